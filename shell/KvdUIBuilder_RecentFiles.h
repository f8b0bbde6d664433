#pragma once
// The recent-file list of the settings file. Several builders may run at once: each change starts from
// the list in the file as it is now, changes only the one entry and writes the file once, so that no
// builder drops what another added.

#include <QString>
#include <QStringList>

class TRecentFiles {
public:
    // How many entries the list keeps.
    static constexpr int Limit = 10;

    TRecentFiles() = default;
    explicit TRecentFiles(const QString& settingsFile) : m_settingsFile(settingsFile) {}

    const QStringList& Files() const { return m_files; }
    // Reads the list from the settings file.
    void Reload();
    // Puts the file first (stored absolute, so that a name relative to the working folder still opens from
    // another one), drops its older entry and the oldest beyond Limit. False when the settings file could
    // not be written; the list in memory has changed all the same.
    bool Add(const QString& fileName);

private:
    QString m_settingsFile;
    QStringList m_files;
};
