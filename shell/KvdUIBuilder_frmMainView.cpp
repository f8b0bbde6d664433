// The View menu: the simulator look of the design surface, kept in the settings file.

#include "shell/KvdUIBuilder_frmMain.h"

#include "designer/ELDsgnr.h"
#include "layout/KvdUIElement.h"
#include "simview/KvdSimPaint.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

namespace {
const QString ViewGroup = QStringLiteral("view");
const QString SimulatorLookKey = QStringLiteral("SimulatorLook");
} // namespace

void TfrmMain::CreateViewMenu(QMenu* before) {
    actSimulatorLook = new QAction(QStringLiteral("Simulator look"), this);
    actSimulatorLook->setObjectName(QStringLiteral("actSimulatorLook"));
    actSimulatorLook->setToolTip(QStringLiteral("Show the elements as the simulator draws them"));
    actSimulatorLook->setCheckable(true);
    connect(actSimulatorLook, &QAction::toggled, this, &TfrmMain::ApplySimulatorLook);
    QMenu* view = new QMenu(QStringLiteral("View"), MainMenu1);
    view->setObjectName(QStringLiteral("View1"));
    view->addAction(actSimulatorLook);
    MainMenu1->insertMenu(before->menuAction(), view);
}

void TfrmMain::ApplySimulatorLook(bool on) {
    TKvdUIElement::SetSimulatorLook(on);
    // The surface behind the elements becomes the simulator's screen; the grid is drawn over it.
    // An empty palette inherits every colour again.
    QPalette palette;
    if (on)
        palette.setColor(QPalette::Window, TKvdSimLook().Screen);
    ELDesignPanel1->Surface()->setPalette(palette);
    ELDesignPanel1->Surface()->update();
}

void TfrmMain::LoadViewSettings(QSettings& ini) {
    const bool on = ini.value(ViewGroup + QLatin1Char('/') + SimulatorLookKey, false).toBool();
    actSimulatorLook->setChecked(on);
    // Applied also when unchanged: the look is shared by every element of the program.
    ApplySimulatorLook(on);
}

void TfrmMain::SaveViewSettings(QSettings& ini) const {
    ini.setValue(ViewGroup + QLatin1Char('/') + SimulatorLookKey, actSimulatorLook->isChecked());
}
