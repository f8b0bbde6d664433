#pragma once
// The simulator's 200 x 200 unit button area, scaled to fit the widget and centred in it, showing the
// buttons of every client (in connection order, each client's in click-id order). A click on a clickable
// button reports it to its client; a click on a type-in button opens an entry over it, limited to the
// button's type-in length, whose text goes to the client on Enter.
//
// A screen may show thousands of buttons of many clients that change a few at a time: each client's
// buttons are compared with what the screen holds when the client reports a change, only the places
// of buttons that changed are repainted, together at most once a frame, a button's text is laid out
// once, and buttons hidden under an opaque one are not drawn.

#include "sim/SimButtonText.h"
#include "simview/KvdSimButton.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <map>
#include <set>
#include <vector>

class QLineEdit;
class TSimServer;

class TSimScreen : public QWidget {
    Q_OBJECT

public:
    struct Entry {
        int Client;
        TKvdSimButton Button;
    };

    explicit TSimScreen(TSimServer& server, QWidget* parent = nullptr);

    QSize sizeHint() const override { return QSize(400, 400); }
    QSize minimumSizeHint() const override { return QSize(200, 200); }

    // Pixels per simulator unit, and where the area's top-left corner is.
    qreal Scale() const;
    QPointF Origin() const;
    // A button's rectangle in widget pixels.
    QRectF PixelRect(const TKvdSimButton& button) const;
    // Everything shown, bottom first.
    const QList<Entry>& Entries();
    // The topmost button under a widget position, or nullptr.
    const Entry* EntryAt(const QPointF& position);
    // The open type-in entry, or nullptr.
    QLineEdit* TypeInEdit() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One button as the screen holds it.
    struct Shown {
        Entry Item;
        QByteArray Packet;  // the packet it was read from, to notice a replacement
        bool Valid = false; // the packet reads as a button
        TKvdSimButton Bare; // the button without its text: box, frame and marks
        TSimButtonText Text;
    };
    using ClientButtons = std::map<quint8, Shown>;

    void Changed(int client);
    // Brings what the screen holds in line with the clients that reported changes, and marks the places
    // of the buttons that changed for repainting.
    void Sync();
    void SyncClient(int client);
    void Read(Shown& shown, int client, const QByteArray& packet);
    void Invalidate(const Shown& shown);
    // Every shown button, bottom first.
    const std::vector<Shown*>& Order();
    // Repaints what was invalidated, at most once a frame.
    void ScheduleFrame();
    void Frame();
    void OpenEntry(const Entry& entry);
    void CloseEntry();
    void PlaceEntry();

    TSimServer& m_server;
    std::map<int, ClientButtons> m_shown; // by client number, which is connection order
    std::set<int> m_stale;                // clients that reported changes since the last Sync
    bool m_syncQueued = false;
    QRegion m_dirty; // places to repaint with the next frame
    QTimer m_frame;
    QElapsedTimer m_sinceFrame;
    QList<Entry> m_entries;
    bool m_entriesStale = true;
    std::vector<Shown*> m_order; // into m_shown
    bool m_orderStale = true;
    QPointer<QLineEdit> m_edit;
    int m_editClient = 0;
    TKvdSimButton m_editButton;
};
