#include "shell/UndoRedoManager.h"

TUndoRedoManager::TUndoRedoManager(int limit) : m_limit(limit) {}

TUndoRedoManager::~TUndoRedoManager() {
    Clear();
}

void TUndoRedoManager::Push(const QString& text) {
    if (text == m_current)
        return;
    m_undoStack.append(m_current);
    while (m_undoStack.size() > qMax(0, m_limit))
        m_undoStack.removeFirst();
    m_current = text;
    m_redoStack.clear();
}

QString TUndoRedoManager::Undo() {
    if (!m_undoStack.isEmpty()) {
        m_redoStack.append(m_current);
        m_current = m_undoStack.takeLast();
    }
    return m_current;
}

QString TUndoRedoManager::Redo() {
    if (!m_redoStack.isEmpty()) {
        m_undoStack.append(m_current);
        m_current = m_redoStack.takeLast();
    }
    return m_current;
}

void TUndoRedoManager::Clear() {
    m_undoStack.clear();
    m_redoStack.clear();
    m_current.clear();
}
