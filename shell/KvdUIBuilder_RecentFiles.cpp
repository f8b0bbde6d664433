#include "shell/KvdUIBuilder_RecentFiles.h"

#include "shell/KvdUIBuilder_Settings.h"

#include <QFileInfo>

namespace {
// The file is user data: a hand-edited count must not make start-up build millions of entries. Lists
// somewhat longer than the limit are still read as they stand.
constexpr int ReadLimit = 1000;

// File names compare as the file system does: two names that differ in case are two files on Linux.
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
constexpr Qt::CaseSensitivity FileNameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity FileNameCase = Qt::CaseSensitive;
#endif
} // namespace

void TRecentFiles::Reload() {
    m_files = TSettingsFile(m_settingsFile).RecentFiles(ReadLimit);
}

bool TRecentFiles::Add(const QString& fileName) {
    const QString path = QFileInfo(fileName).absoluteFilePath();
    Reload();
    m_files.removeIf([&path](const QString& entry) { return entry.compare(path, FileNameCase) == 0; });
    m_files.insert(0, path);
    while (m_files.size() > Limit)
        m_files.removeLast();
    TSettingsFile ini(m_settingsFile);
    ini.SetRecentFiles(m_files);
    return ini.Commit();
}
