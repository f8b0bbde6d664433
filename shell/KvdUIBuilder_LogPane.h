#pragma once
// TLogPane: the lines written into the main window's log view, newest on top. The view keeps at most
// Limit lines (the oldest at the bottom go), and lines that arrive faster than a frame are collected
// and shown together, so that a peer reporting thousands of clicks a second neither grows memory
// without end nor keeps the GUI thread busy laying out text.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>

class QPlainTextEdit;

class TLogPane : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultLimit = 5000;
    // Lines are shown at most once per this many milliseconds.
    static constexpr int FrameMs = 16;

    explicit TLogPane(QPlainTextEdit* view, int limit = DefaultLimit);

    // Adds a line on top: at once when the view was not written to within the last frame, else with the
    // next frame.
    void Add(const QString& line);
    // Shows the lines still waiting.
    void Flush();
    int Limit() const { return m_limit; }
    int Pending() const { return int(m_pending.size()); }

private:
    QPlainTextEdit* m_view;
    int m_limit;
    std::deque<QString> m_pending; // oldest first
    QTimer m_frame;
    QElapsedTimer m_lastFlush;
};
