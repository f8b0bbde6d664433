#pragma once
// The simulator's 200 x 200 unit button area, scaled to fit the widget and centred in it, showing the
// buttons of every client (in connection order, each client's in click-id order). A click on a clickable
// button reports it to its client; a click on a type-in button opens an entry over it, limited to the
// button's type-in length, whose text goes to the client on Enter.

#include "simview/KvdSimButton.h"

#include <QPointer>
#include <QWidget>

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
    void Changed();
    void OpenEntry(const Entry& entry);
    void CloseEntry();
    void PlaceEntry();

    TSimServer& m_server;
    QList<Entry> m_entries;
    bool m_dirty = true;
    QPointer<QLineEdit> m_edit;
    int m_editClient = 0;
    TKvdSimButton m_editButton;
};
