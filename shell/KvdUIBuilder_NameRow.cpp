#include "shell/KvdUIBuilder_NameRow.h"

#include "core/DeferredError.h"
#include "designer/ELDsgnr.h"
#include "layout/KvdUIElement.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

#include <algorithm>

namespace {
// Where the inspector's row captions start.
constexpr int NameRowIndent = 13;

TKvdUIElement* SingleSelected(TELDesigner* designer) {
    if (!designer)
        return nullptr;
    TELDesignerSelectedControls* selection = designer->SelectedControls();
    return selection->Count() == 1 ? qobject_cast<TKvdUIElement*>(selection->Items(0)) : nullptr;
}
} // namespace

TNameRow::TNameRow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("NameRow"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(NameRowIndent, 2, 2, 2);
    layout->setSpacing(0);
    m_label = new QLabel(QStringLiteral("Name"), this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("edtElementName"));
    m_edit->setToolTip(QStringLiteral("The name your program refers to the element by: a letter or "
                                      "\"_\", then letters, digits or \"_\". Empty for none."));
    m_edit->setPlaceholderText(QStringLiteral("(none)"));
    m_label->setBuddy(m_edit);
    layout->addWidget(m_label);
    layout->addWidget(m_edit, 1);
    connect(m_edit, &QLineEdit::editingFinished, this, [this] {
        // Leaving the row after a refusal must not ask again for the same text.
        if (m_edit->isModified())
            RunGuarded([this] { Edited(); });
    });
    hide();
}

void TNameRow::AlignCaption(int nameColumnWidth) {
    m_label->setFixedWidth(std::max(0, nameColumnWidth - NameRowIndent));
}

void TNameRow::Update() {
    if (!isVisible())
        return;
    const TKvdUIElement* element = SingleSelected(m_designer);
    m_edit->setEnabled(element != nullptr);
    const QString name = element ? element->ElementName() : QString();
    if (m_edit->text() != name)
        m_edit->setText(name);
    m_edit->setModified(false);
}

void TNameRow::Edited() {
    TKvdUIElement* element = SingleSelected(m_designer);
    const QString wanted = m_edit->text().trimmed();
    m_edit->setModified(false);
    if (!element)
        return;
    const auto restore = qScopeGuard([this] { Update(); });
    element->SetElementName(wanted);
}
