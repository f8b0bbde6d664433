// Element names in the window: the View option "Element names" (off by default), which shows each named
// element's name in the tree and a Name row above the inspector where the selected element is named.

#include "shell/KvdUIBuilder_frmMain.h"

#include "core/DeferredError.h"
#include "designer/ELDsgnr.h"
#include "inspector/ELPropInspInspector.h"
#include "layout/KvdUIElement.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTreeWidget>

#include <algorithm>

namespace {
// Where the inspector's row captions start.
constexpr int NameRowIndent = 13;
} // namespace

void TfrmMain::CreateNameRow(QWidget* parent) {
    NameRow = new QWidget(parent);
    NameRow->setObjectName(QStringLiteral("NameRow"));
    auto* layout = new QHBoxLayout(NameRow);
    layout->setContentsMargins(NameRowIndent, 2, 2, 2);
    layout->setSpacing(0);
    auto* label = new QLabel(QStringLiteral("Name"), NameRow);
    edtElementName = new QLineEdit(NameRow);
    edtElementName->setObjectName(QStringLiteral("edtElementName"));
    edtElementName->setToolTip(QStringLiteral("The name your program refers to the element by: a letter or "
                                              "\"_\", then letters, digits or \"_\". Empty for none."));
    edtElementName->setPlaceholderText(QStringLiteral("(none)"));
    label->setBuddy(edtElementName);
    layout->addWidget(label);
    layout->addWidget(edtElementName, 1);
    connect(edtElementName, &QLineEdit::editingFinished, this, [this] {
        // Leaving the row after a refusal must not ask again for the same text.
        if (edtElementName->isModified())
            RunGuarded([this] { NameRowEdited(); });
    });
    NameRow->hide();
}

void TfrmMain::ApplyElementNames(bool on) {
    NameRow->setVisible(on);
    // Lined up with the inspector's rows: the caption as wide as their name column.
    if (auto* label = NameRow->findChild<QLabel*>())
        label->setFixedWidth(std::max(0, ELPropertyInspector1->Splitter() - NameRowIndent));
    m_tree->UpdateAll();
    UpdateNameRow();
}

namespace {

TKvdUIElement* SingleSelected(TELDesigner* designer) {
    TELDesignerSelectedControls* selection = designer->SelectedControls();
    return selection->Count() == 1 ? qobject_cast<TKvdUIElement*>(selection->Items(0)) : nullptr;
}

} // namespace

void TfrmMain::UpdateNameRow() {
    if (!NameRow->isVisible())
        return;
    const TKvdUIElement* element = SingleSelected(ELDesigner1);
    edtElementName->setEnabled(element != nullptr);
    const QString name = element ? element->ElementName() : QString();
    if (edtElementName->text() != name)
        edtElementName->setText(name);
    edtElementName->setModified(false);
}

void TfrmMain::NameRowEdited() {
    TKvdUIElement* element = SingleSelected(ELDesigner1);
    const QString wanted = edtElementName->text().trimmed();
    edtElementName->setModified(false);
    if (!element)
        return;
    // A refused name is shown as it was, with the reason from the element.
    const auto restore = qScopeGuard([this] { UpdateNameRow(); });
    element->SetElementName(wanted);
}
