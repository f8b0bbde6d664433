#include "sim/SimScreen.h"

#include "link/Dromo.h"
#include "sim/SimPackets.h"
#include "sim/SimServer.h"
#include "simview/KvdSimPaint.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>

#include <utility>
#include <vector>

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
// Changes are shown at most this often (a frame at 60 Hz).
constexpr qint64 FrameMs = 16;

} // namespace

TSimScreen::TSimScreen(TSimServer& server, QWidget* parent) : QWidget(parent), m_server(server) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(&server, &TSimServer::ButtonsChanged, this, &TSimScreen::Changed);
    connect(&server, &TSimServer::ClientLeft, this, &TSimScreen::Changed);
    m_frame.setSingleShot(true);
    m_frame.setTimerType(Qt::PreciseTimer);
    connect(&m_frame, &QTimer::timeout, this, &TSimScreen::Frame);
}

void TSimScreen::Changed(int client) {
    // Compared once the packets that have arrived are handled: a burst costs one comparison.
    m_stale.insert(client);
    if (!m_syncQueued) {
        m_syncQueued = true;
        QMetaObject::invokeMethod(this, &TSimScreen::Sync, Qt::QueuedConnection);
    }
}

void TSimScreen::Sync() {
    m_syncQueued = false;
    if (m_stale.empty())
        return;
    const std::set<int> stale = std::exchange(m_stale, {});
    for (const int client : stale)
        SyncClient(client);
    m_entriesStale = true;
    // An open entry goes with its button.
    if (m_edit && m_edit->isVisible() && stale.count(m_editClient)) {
        const auto client = m_shown.find(m_editClient);
        const bool still = client != m_shown.end() && [&] {
            const auto it = client->second.find(m_editButton.ClickID);
            return it != client->second.end() && it->second.Valid && it->second.Item.Button.TypeIn > 0;
        }();
        if (!still)
            QMetaObject::invokeMethod(this, &TSimScreen::CloseEntry, Qt::QueuedConnection);
    }
}

void TSimScreen::SyncClient(int number) {
    const TSimClient* client = m_server.Client(number);
    if (!client) {
        const auto gone = m_shown.find(number);
        if (gone != m_shown.end()) {
            for (const auto& [id, shown] : gone->second)
                Invalidate(shown);
            m_shown.erase(gone);
            m_orderStale = true;
        }
        return;
    }
    // Both are in click-id order: one walk finds what was added, removed and replaced.
    ClientButtons& mine = m_shown[number];
    auto theirs = client->Buttons.begin();
    auto held = mine.begin();
    while (theirs != client->Buttons.end() || held != mine.end()) {
        if (held == mine.end() || (theirs != client->Buttons.end() && theirs->first < held->first)) {
            Shown& added = mine[theirs->first];
            Read(added, number, theirs->second);
            Invalidate(added);
            m_orderStale = true;
            ++theirs;
        } else if (theirs == client->Buttons.end() || held->first < theirs->first) {
            Invalidate(held->second);
            held = mine.erase(held);
            m_orderStale = true;
        } else {
            const QByteArray& packet = theirs->second;
            const QByteArray& known = held->second.Packet;
            // The server keeps the very packet it was given; an unchanged one shares its bytes.
            if (!(packet.constData() == known.constData() && packet.size() == known.size()) &&
                packet != known) {
                const bool wasValid = held->second.Valid;
                Invalidate(held->second);
                Read(held->second, number, packet);
                Invalidate(held->second);
                m_orderStale = m_orderStale || held->second.Valid != wasValid;
            } else {
                held->second.Packet = packet;
            }
            ++theirs;
            ++held;
        }
    }
}

void TSimScreen::Read(Shown& shown, int client, const QByteArray& packet) {
    shown.Packet = packet;
    const auto button = TKvdSimButton::FromPacket(packet, m_server.SizeUnit());
    shown.Valid = button.has_value();
    if (!button)
        return;
    shown.Item = {client, *button};
    shown.Bare = *button;
    shown.Bare.Text.clear();
    shown.Text = TSimButtonText(); // laid out when first painted
}

void TSimScreen::Invalidate(const Shown& shown) {
    if (!shown.Valid)
        return;
    m_dirty += PixelRect(shown.Item.Button).toAlignedRect();
    ScheduleFrame();
}

void TSimScreen::ScheduleFrame() {
    if (m_frame.isActive())
        return;
    const qint64 since = m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : FrameMs;
    m_frame.start(int(qBound<qint64>(0, FrameMs - since, FrameMs)));
}

void TSimScreen::Frame() {
    m_sinceFrame.restart();
    update(m_dirty);
    m_dirty = QRegion();
}

const QList<TSimScreen::Entry>& TSimScreen::Entries() {
    Sync();
    if (!m_entriesStale)
        return m_entries;
    m_entriesStale = false;
    m_entries.clear();
    for (const auto& [number, buttons] : m_shown)
        for (const auto& [id, shown] : buttons)
            if (shown.Valid)
                m_entries.append(shown.Item);
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

const std::vector<TSimScreen::Shown*>& TSimScreen::Order() {
    Sync();
    if (m_orderStale) {
        m_orderStale = false;
        m_order.clear();
        for (auto& [number, buttons] : m_shown)
            for (auto& [id, shown] : buttons)
                if (shown.Valid)
                    m_order.push_back(&shown);
    }
    return m_order;
}

const TSimScreen::Entry* TSimScreen::EntryAt(const QPointF& position) {
    const std::vector<Shown*>& order = Order();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (PixelRect((*it)->Item.Button).contains(position))
            return &(*it)->Item;
    return nullptr;
}

QLineEdit* TSimScreen::TypeInEdit() const {
    return m_edit && m_edit->isVisible() ? m_edit.data() : nullptr;
}

void TSimScreen::paintEvent(QPaintEvent* event) {
    Sync();
    const qreal scale = Scale();
    const QPointF origin = Origin();
    // From the top down, the buttons that reach into what is still to be painted; an opaque one covers
    // what lies under it.
    QRegion open = event->region();
    const QRectF bounds = open.boundingRect();
    std::vector<Shown*> visible;
    const std::vector<Shown*>& order = Order();
    for (auto it = order.rbegin(); it != order.rend() && !open.isEmpty(); ++it) {
        Shown& shown = **it;
        const TKvdSimButton& b = shown.Item.Button;
        const QRectF pixels(origin.x() + b.Left * scale, origin.y() + b.Top * scale, b.Width * scale,
                            b.Height * scale);
        if (!pixels.intersects(bounds) || !open.intersects(pixels.toAlignedRect()))
            continue;
        visible.push_back(&shown);
        if (b.DarkBackground() || b.LightBackground()) {
            // The whole pixels inside the box: its fractional edges still show what lies under it.
            const QPoint topLeft(qCeil(pixels.left()), qCeil(pixels.top()));
            const QPoint bottomRight(qFloor(pixels.right()) - 1, qFloor(pixels.bottom()) - 1);
            open -= QRect(topLeft, bottomRight);
        }
    }

    QPainter painter(this);
    painter.fillRect(rect(), Letterbox);
    painter.translate(origin);
    const TKvdSimLook look;
    painter.fillRect(QRectF(0, 0, SimScreenUnits * scale, SimScreenUnits * scale), look.Screen);
    for (auto it = visible.rbegin(); it != visible.rend(); ++it) {
        Shown& shown = **it;
        PaintSimButton(painter, shown.Bare, scale, look);
        if (shown.Text.Scale != scale)
            shown.Text = TSimButtonText::LayOut(shown.Item.Button, scale, look);
        const TKvdSimButton& b = shown.Item.Button;
        shown.Text.Paint(painter, QRectF(b.Left * scale, b.Top * scale, b.Width * scale, b.Height * scale));
    }
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
    quint8 flags = event->button() == Qt::RightButton ? Dromo::CF_RIGHT : Dromo::CF_LEFT;
    if (event->modifiers() & Qt::ControlModifier)
        flags |= Dromo::CF_CTRL;
    if (event->modifiers() & Qt::ShiftModifier)
        flags |= Dromo::CF_SHIFT;
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
