// The View menu: the simulator look of the design surface and the element names (in the tree and in the
// Name row above the inspector), kept in the settings file.

#include "shell/KvdUIBuilder_frmMain.h"

#include "core/DeferredError.h"
#include "designer/ELDsgnr.h"
#include "inspector/ELPropInspInspector.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"
#include "shell/KvdUIBuilder_NameRow.h"
#include "simview/KvdSimPaint.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void TfrmMain::CreateViewMenu(QMenu* before) {
    actSimulatorLook = new QAction(QStringLiteral("Simulator look"), this);
    actSimulatorLook->setObjectName(QStringLiteral("actSimulatorLook"));
    actSimulatorLook->setToolTip(QStringLiteral("Show the elements as the simulator draws them"));
    actSimulatorLook->setCheckable(true);
    connect(actSimulatorLook, &QAction::toggled, this,
            [this](bool on) { RunGuarded([this, on] { ApplySimulatorLook(on); }); });
    QMenu* view = new QMenu(QStringLiteral("View"), MainMenu1);
    view->setObjectName(QStringLiteral("View1"));
    view->addAction(actSimulatorLook);
    actElementNames = new QAction(QStringLiteral("Element names"), this);
    actElementNames->setObjectName(QStringLiteral("actElementNames"));
    actElementNames->setToolTip(
        QStringLiteral("Show the names programs use for the elements, and name them"));
    actElementNames->setCheckable(true);
    connect(actElementNames, &QAction::toggled, this,
            [this](bool on) { RunGuarded([this, on] { ApplyElementNames(on); }); });
    view->addAction(actElementNames);
    MainMenu1->insertMenu(before->menuAction(), view);
}

void TfrmMain::ApplySimulatorLook(bool on) {
    m_doc->Model()->SetSimulatorLook(on);
    // The surface behind the elements becomes the simulator's screen; the grid is drawn over it.
    // An empty palette inherits every colour again.
    QPalette palette;
    if (on)
        palette.setColor(QPalette::Window, TKvdSimLook().Screen);
    ELDesignPanel1->Surface()->setPalette(palette);
    ELDesignPanel1->Surface()->update();
}

void TfrmMain::ApplyElementNames(bool on) {
    NameRow->setVisible(on);
    NameRow->AlignCaption(ELPropertyInspector1->Splitter());
    m_tree->UpdateAll();
    NameRow->Update();
}

void TfrmMain::LoadViewSettings(const TSettingsFile& ini) {
    const bool on = ini.Flag(TSetting::SimulatorLook);
    actSimulatorLook->setChecked(on);
    // Applied also when unchanged: the look is shared by every element of the program.
    ApplySimulatorLook(on);
    actElementNames->setChecked(ini.Flag(TSetting::ElementNames));
}

void TfrmMain::SaveViewSettings(TSettingsFile& ini) const {
    ini.SetFlag(TSetting::SimulatorLook, actSimulatorLook->isChecked());
    // Written only when on, so that the settings file of someone who never turns names on stays as it was.
    if (actElementNames->isChecked())
        ini.SetFlag(TSetting::ElementNames, true);
    else
        ini.Remove(TSetting::ElementNames);
}
