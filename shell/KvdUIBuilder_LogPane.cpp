#include "shell/KvdUIBuilder_LogPane.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

TLogPane::TLogPane(QPlainTextEdit* view, int limit)
    : QObject(view), m_view(view), m_limit(std::max(limit, 1)) {
    // A read-only pane has nothing to undo; an undo stack would keep every line ever shown.
    m_view->setUndoRedoEnabled(false);
    m_frame.setSingleShot(true);
    connect(&m_frame, &QTimer::timeout, this, &TLogPane::Flush);
}

void TLogPane::Add(const QString& line) {
    m_pending.push_back(line);
    if (int(m_pending.size()) > m_limit)
        m_pending.pop_front();
    if (m_frame.isActive())
        return;
    const qint64 since = m_lastFlush.isValid() ? m_lastFlush.elapsed() : FrameMs;
    if (since >= FrameMs)
        Flush();
    else
        m_frame.start(int(FrameMs - since));
}

void TLogPane::Flush() {
    m_frame.stop();
    if (m_pending.empty())
        return;
    QString text;
    for (auto it = m_pending.rbegin(); it != m_pending.rend(); ++it) {
        if (it != m_pending.rbegin())
            text += QLatin1Char('\n');
        text += *it;
    }
    m_pending.clear();

    QTextDocument* document = m_view->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(document->isEmpty() ? text : text + QLatin1Char('\n'));
    if (document->blockCount() > m_limit) {
        // Everything after the last kept line goes, the line break before the first dropped one included.
        const QTextBlock last = document->findBlockByNumber(m_limit - 1);
        QTextCursor cut(document);
        cut.setPosition(last.position() + last.length() - 1);
        cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cut.removeSelectedText();
    }
    cursor.endEditBlock();
    m_lastFlush.start();
}
