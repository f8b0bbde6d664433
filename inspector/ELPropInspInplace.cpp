#include "inspector/ELPropInspInplace.h"

#include "core/DeferredError.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>

namespace {

constexpr int EntryTextRole = Qt::UserRole + 1;

// Lets the grid item measure and draw the drop-down entries of an owner-draw item.
class TELPickListDelegate : public QStyledItemDelegate {
public:
    TELPickListDelegate(QListWidget* list, TELPropsPageItem* item)
        : QStyledItemDelegate(list), m_item(item) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        painter->save();
        painter->fillRect(option.rect, pal.color(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        const QString text = index.data(EntryTextRole).toString();
        if (m_item && m_item->OwnerDrawPickList())
            m_item->DrawValue(text, painter, option.rect, selected);
        else
            painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString text = index.data(EntryTextRole).toString();
        QFontMetrics fm(option.font);
        int height = fm.height();
        int width = fm.horizontalAdvance(text) + 4;
        if (m_item && m_item->OwnerDrawPickList()) {
            QPixmap scratch(1, 1);
            QPainter canvas(&scratch);
            canvas.setFont(option.font);
            m_item->MeasureHeight(text, &canvas, height);
            m_item->MeasureWidth(text, &canvas, width);
        }
        return QSize(width, height);
    }

    TELPropsPageItem* m_item;
};

} // namespace

TELPropsPageInplaceEdit::TELPropsPageInplaceEdit(TELCustomPropsPage* page)
    : QLineEdit(page->viewport()), m_page(page), m_button(new QToolButton(this)),
      m_pickList(new QListWidget(this)) {
    setFrame(false);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->hide();
    connect(m_button, &QToolButton::clicked, this, [this] { RunGuarded([this] { ButtonClicked(); }); });

    m_pickList->setWindowFlags(Qt::Popup);
    m_pickList->setFocusPolicy(Qt::NoFocus);
    m_pickList->setFocusProxy(this);
    m_pickList->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_pickList->setLineWidth(1);
    m_pickList->setContentsMargins(1, 1, 1, 1);
    m_pickList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pickList->setUniformItemSizes(false);
    m_pickList->setMouseTracking(true);
    m_pickList->installEventFilter(this);
    m_pickList->viewport()->installEventFilter(this);
    m_pickList->hide();

    connect(this, &QLineEdit::textEdited, this,
            [this](const QString& text) { RunGuarded([&] { m_page->EditTextChanged(text); }); });
}

TELPropsPageInplaceEdit::~TELPropsPageInplaceEdit() = default;

TELPropsPageItem* TELPropsPageInplaceEdit::Item() const {
    return m_page->ActiveItem();
}

void TELPropsPageInplaceEdit::SetEditStyle(TELPropsPageItemEditStyle value) {
    if (ListVisible())
        CloseUp(false);
    m_editStyle = value;
    // Room for the button on the right, else a plain margin.
    setTextMargins(0, 0, value == esSimple ? 2 : ButtonWidth + 2, 0);
    if (value == esSimple) {
        m_button->hide();
    } else {
        m_button->setArrowType(value == esPickList ? Qt::DownArrow : Qt::NoArrow);
        m_button->setText(value == esEllipsis ? QStringLiteral("...") : QString());
        m_button->setToolButtonStyle(value == esPickList ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
        m_button->show();
        PlaceButton();
    }
}

void TELPropsPageInplaceEdit::PlaceButton() {
    m_button->setGeometry(width() - ButtonWidth, 0, ButtonWidth, height());
}

void TELPropsPageInplaceEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceButton();
}

void TELPropsPageInplaceEdit::ButtonClicked() {
    if (m_editStyle == esPickList) {
        if (ListVisible())
            CloseUp(false);
        else
            DropDown();
    } else if (m_editStyle == esEllipsis) {
        if (TELPropsPageItem* item = Item()) {
            item->ButtonClick();
            selectAll();
        }
    }
}

bool TELPropsPageInplaceEdit::ListVisible() const {
    return m_pickList->isVisible();
}

void TELPropsPageInplaceEdit::DropDown() {
    TELPropsPageItem* item = Item();
    if (!item || ListVisible())
        return;
    QStringList values;
    item->GetPickList(values);
    m_pickList->clear();
    delete m_pickList->itemDelegate();
    auto* delegate = new TELPickListDelegate(m_pickList, item);
    m_pickList->setItemDelegate(delegate);
    m_pickList->setFont(font());
    QStyleOptionViewItem option;
    option.font = font();
    int widest = 0;
    int listHeight = 0;
    for (int i = 0; i < values.size(); ++i) {
        auto* entry = new QListWidgetItem(m_pickList);
        entry->setData(EntryTextRole, values.at(i));
        entry->setData(Qt::AccessibleTextRole, values.at(i));
        const QSize size = delegate->sizeHint(option, m_pickList->model()->index(i, 0));
        entry->setSizeHint(size);
        widest = qMax(widest, size.width());
        if (i < DropDownRows)
            listHeight += size.height();
        if (values.at(i) == text())
            m_pickList->setCurrentItem(entry);
    }
    listHeight = values.isEmpty() ? 20 : listHeight + 4;
    int listWidth = qMax(width(), widest + 4);
    if (values.size() > DropDownRows) {
        m_pickList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        listWidth = qMax(width(), widest + 4 + m_pickList->verticalScrollBar()->sizeHint().width());
    } else {
        m_pickList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    QPoint pos = mapToGlobal(QPoint(0, height()));
    if (const QScreen* s = screen()) {
        const QRect avail = s->availableGeometry();
        if (pos.y() + listHeight > avail.bottom())
            pos.setY(mapToGlobal(QPoint(0, 0)).y() - listHeight);
    }
    m_pickList->setGeometry(QRect(pos, QSize(listWidth, listHeight)));
    m_pickList->show();
    if (m_pickList->currentItem())
        m_pickList->scrollToItem(m_pickList->currentItem());
}

void TELPropsPageInplaceEdit::CloseUp(bool accept) {
    if (!ListVisible() || m_closing)
        return;
    m_closing = true;
    QListWidgetItem* chosen = m_pickList->currentItem();
    m_pickList->hide();
    m_closing = false;
    if (!accept || !chosen)
        return;
    const QString value = chosen->data(EntryTextRole).toString();
    setText(value);
    m_page->EditTextChanged(value);
    m_page->ApplyEdit();
    selectAll();
}

bool TELPropsPageInplaceEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_pickList && watched != m_pickList->viewport())
        return QLineEdit::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            RunGuarded([this] { CloseUp(true); });
            return true;
        case Qt::Key_Escape:
            CloseUp(false);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (key->modifiers() & Qt::AltModifier) {
                RunGuarded([this] { CloseUp(true); });
                return true;
            }
            return false;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return false;
        default:
            // Typing goes on in the editor while the list is open.
            QLineEdit::keyPressEvent(key);
            return true;
        }
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == m_pickList->viewport() && mouse->button() == Qt::LeftButton) {
            if (QListWidgetItem* hit = m_pickList->itemAt(mouse->position().toPoint())) {
                m_pickList->setCurrentItem(hit);
                RunGuarded([this] { CloseUp(true); });
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

void TELPropsPageInplaceEdit::keyPressEvent(QKeyEvent* event) {
    TELPropsPageItem* item = Item();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const bool withControl = event->modifiers() & Qt::ControlModifier;
        event->accept();
        RunGuarded([&] {
            m_page->ApplyEdit();
            if (withControl && (item = Item()))
                item->DblClick();
            selectAll();
        });
        return;
    }
    case Qt::Key_Escape:
        if (item) {
            const QScopedValueRollback updating(m_page->m_updatingEditor, true);
            setText(item->DisplayValue());
            m_page->m_editText = text();
        }
        selectAll();
        event->accept();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if ((event->modifiers() & Qt::AltModifier) && m_editStyle == esPickList) {
            DropDown();
            event->accept();
            return;
        }
        [[fallthrough]];
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        m_page->keyPressEvent(event);
        return;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            m_page->keyPressEvent(event);
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void TELPropsPageInplaceEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLineEdit::mouseDoubleClickEvent(event);
        return;
    }
    RunGuarded([this] {
        if (TELPropsPageItem* item = Item()) {
            item->DblClick();
            selectAll();
        }
    });
}

void TELPropsPageInplaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!m_page || event->reason() == Qt::PopupFocusReason || ListVisible())
        return;
    QWidget* now = QApplication::focusWidget();
    if (now && (now == this || now == m_page || m_page->isAncestorOf(now)))
        return;
    RunGuarded([this] { m_page->EditorLostFocus(); });
}
