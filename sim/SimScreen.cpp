#include "sim/SimScreen.h"

#include "sim/SimPackets.h"
#include "sim/SimServer.h"
#include "simview/KvdSimPaint.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace {

// The type-in entry: Escape or leaving it cancels.
class EntryEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> Cancelled;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && Cancelled) {
            Cancelled();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        if (Cancelled && event->reason() != Qt::PopupFocusReason)
            Cancelled();
    }
};

const QColor Letterbox(24, 26, 30);

} // namespace

TSimScreen::TSimScreen(TSimServer& server, QWidget* parent) : QWidget(parent), m_server(server) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(&server, &TSimServer::ButtonsChanged, this, &TSimScreen::Changed);
    connect(&server, &TSimServer::ClientLeft, this, &TSimScreen::Changed);
}

void TSimScreen::Changed() {
    // Rebuilt when next painted or asked for: a burst of packets costs one rebuild.
    m_dirty = true;
    update();
}

const QList<TSimScreen::Entry>& TSimScreen::Entries() {
    if (!m_dirty)
        return m_entries;
    m_dirty = false;
    m_entries.clear();
    for (const int number : m_server.Clients()) {
        const TSimClient* client = m_server.Client(number);
        for (const auto& [id, packet] : client->Buttons)
            if (const auto button = TKvdSimButton::FromPacket(packet, m_server.SizeUnit()))
                m_entries.append({number, *button});
    }
    // An open entry goes with its button.
    if (m_edit && m_edit->isVisible()) {
        const bool still = std::any_of(m_entries.begin(), m_entries.end(), [this](const Entry& e) {
            return e.Client == m_editClient && e.Button.ClickID == m_editButton.ClickID &&
                   e.Button.TypeIn > 0;
        });
        if (!still)
            QMetaObject::invokeMethod(this, &TSimScreen::CloseEntry, Qt::QueuedConnection);
    }
    return m_entries;
}

qreal TSimScreen::Scale() const {
    return qMax(qreal(0.1), qMin(width(), height()) / qreal(SimScreenUnits));
}

QPointF TSimScreen::Origin() const {
    const qreal side = Scale() * SimScreenUnits;
    return QPointF((width() - side) / 2, (height() - side) / 2);
}

QRectF TSimScreen::PixelRect(const TKvdSimButton& button) const {
    const qreal s = Scale();
    return QRectF(Origin() + QPointF(button.Left * s, button.Top * s),
                  QSizeF(button.Width * s, button.Height * s));
}

const TSimScreen::Entry* TSimScreen::EntryAt(const QPointF& position) {
    const QList<Entry>& entries = Entries();
    for (qsizetype i = entries.size() - 1; i >= 0; --i)
        if (PixelRect(entries.at(i).Button).contains(position))
            return &entries.at(i);
    return nullptr;
}

QLineEdit* TSimScreen::TypeInEdit() const {
    return m_edit && m_edit->isVisible() ? m_edit.data() : nullptr;
}

void TSimScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Letterbox);
    QList<TKvdSimButton> buttons;
    for (const Entry& entry : Entries())
        buttons.append(entry.Button);
    painter.translate(Origin());
    PaintSimScreen(painter, buttons, Scale());
}

void TSimScreen::mousePressEvent(QMouseEvent* event) {
    const Entry* entry = EntryAt(event->position());
    if (!entry)
        return;
    if (entry->Button.TypeInField()) {
        OpenEntry(*entry);
        return;
    }
    if (!entry->Button.Clickable())
        return;
    quint8 flags = event->button() == Qt::RightButton ? SimPackets::CF_RIGHT : SimPackets::CF_LEFT;
    if (event->modifiers() & Qt::ControlModifier)
        flags |= SimPackets::CF_CTRL;
    if (event->modifiers() & Qt::ShiftModifier)
        flags |= SimPackets::CF_SHIFT;
    m_server.Click(entry->Client, entry->Button.ClickID, flags);
}

void TSimScreen::mouseMoveEvent(QMouseEvent* event) {
    const Entry* entry = EntryAt(event->position());
    const bool active = entry && (entry->Button.Clickable() || entry->Button.TypeInField());
    setCursor(active ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TSimScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceEntry();
}

void TSimScreen::OpenEntry(const Entry& entry) {
    if (!m_edit) {
        auto* edit = new EntryEdit(this);
        edit->Cancelled = [this] {
            QMetaObject::invokeMethod(this, &TSimScreen::CloseEntry, Qt::QueuedConnection);
        };
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            const QByteArray text = m_edit->text().toLocal8Bit();
            CloseEntry();
            m_server.Type(m_editClient, m_editButton.ClickID, text);
        });
        m_edit = edit;
    }
    m_editClient = entry.Client;
    m_editButton = entry.Button;
    m_edit->clear();
    // The typed-text area of the report holds 96 bytes.
    m_edit->setMaxLength(qMin(int(entry.Button.TypeIn), 96));
    m_edit->setPlaceholderText(entry.Button.Text);
    PlaceEntry();
    m_edit->show();
    m_edit->setFocus(Qt::MouseFocusReason);
}

void TSimScreen::CloseEntry() {
    if (m_edit && m_edit->isVisible()) {
        m_edit->hide();
        setFocus();
    }
}

void TSimScreen::PlaceEntry() {
    if (!m_edit)
        return;
    const QRect r = PixelRect(m_editButton).toAlignedRect();
    // The entry's text about as large as the button's.
    QFont font = m_edit->font();
    font.setPixelSize(qMax(10, qRound(r.height() * 0.55)));
    m_edit->setFont(font);
    const int height = qMax(r.height(), m_edit->sizeHint().height());
    m_edit->setGeometry(r.x(), r.center().y() - height / 2, qMax(r.width(), 60), height);
}
