#pragma once
// TUndoRedoManager: the undo/redo history of whole-layout snapshots. It stores opaque texts and knows
// nothing of what they mean. The states in the order the user passed through them are the undo stack
// from bottom to top, then Current, then the redo stack from top to bottom.

#include <QList>
#include <QString>

class TUndoRedoManager {
public:
    explicit TUndoRedoManager(int limit);
    ~TUndoRedoManager();
    TUndoRedoManager(const TUndoRedoManager&) = delete;
    TUndoRedoManager& operator=(const TUndoRedoManager&) = delete;

    // Records a new present state; the same text as the present one changes nothing.
    void Push(const QString& text);
    // Step back or forward; both return the (new) present state.
    QString Undo();
    QString Redo();
    bool CanUndo() const { return !m_undoStack.isEmpty(); }
    bool CanRedo() const { return !m_redoStack.isEmpty(); }
    void Clear();

    QString Current() const { return m_current; }
    int UndoCount() const { return int(m_undoStack.size()); }
    int RedoCount() const { return int(m_redoStack.size()); }

private:
    // Both stacks keep their top at the end of the list.
    QList<QString> m_undoStack;
    QList<QString> m_redoStack;
    QString m_current;
    int m_limit;
};
