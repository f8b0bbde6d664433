#pragma once
// The builder's settings file, an INI file: every key it holds spelt once, in one table with its section,
// type and default, and the one way it is found, read and written. The window, the pane sizes, the
// connection, the View options and the recent files all go through it.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QSettings;

enum class TSetting {
    Left, // frmMain: the window's restored rectangle and its show state
    Top,
    Width,
    Height,
    ShowCmd,   // 1 normal, 2 minimised, 3 maximised
    TreeWidth, // frmMain: the pane sizes and the inspector's name column, when the user chose one
    InspectorHeight,
    LogHeight,
    NameColumn,
    Address, // dromo: the simulator's address and port
    Port,
    SimulatorLook, // view: the View menu's options
    ElementNames,
};

// The show state the file stores under ShowCmd, as the platform's window-placement record numbers it.
enum TShowCmd : int { ShowNormal = 1, ShowMinimised = 2, ShowMaximised = 3 };

// The settings file of one builder, read when made. Writes are gathered and go to the file at Commit.
class TSettingsFile {
public:
    explicit TSettingsFile(const QString& fileName);
    ~TSettingsFile();
    TSettingsFile(const TSettingsFile&) = delete;
    TSettingsFile& operator=(const TSettingsFile&) = delete;

    // A whole number; a value that is missing or does not read as one counts as absent, so that the
    // caller's default applies (a hand-edited "Width=wide" must not become 0).
    std::optional<int> Number(TSetting key) const;
    QString Text(TSetting key) const;
    // A flag, with the table's default when it is missing.
    bool Flag(TSetting key) const;
    // The recent files as listed, at most limit of them (the count is user data too).
    QStringList RecentFiles(int limit) const;

    void Set(TSetting key, int value);
    void Set(TSetting key, const QString& value);
    void SetFlag(TSetting key, bool value);
    void Remove(TSetting key);
    void SetRecentFiles(const QStringList& files);
    // Writes the file; false when it could not be written.
    bool Commit();

    // Where a program keeps this file: beside the executable, with the extension ".ini"; for a program
    // installed for every user (under /usr, or Program Files on Windows), or when that file cannot be
    // written, the same name in the user's configuration folder, so that every user keeps settings of
    // their own and none are lost.
    static QString FileFor(const QString& executable);
    // This program's file: the one SetProgramFileOverride named, else FileFor the running executable.
    static QString ProgramFile();
    // Points ProgramFile elsewhere (tests, before a main window is made); empty undoes it.
    static void SetProgramFileOverride(const QString& fileName);

private:
    QString m_fileName;
    std::unique_ptr<QSettings> m_ini;
};

// The main window's pane sizes as the settings file keeps them: the tree column's width, the inspector's
// and the log's heights, and the inspector's name column once the user chose one.
struct TPaneSizes {
    int TreeWidth = 210;
    int InspectorHeight = 184;
    int LogHeight = 89;
    std::optional<int> NameColumn;

    // Takes the sizes the file holds; a missing or non-positive one keeps its default.
    void Read(const TSettingsFile& ini);
    // Writes the three pane sizes (the name column is the window's to decide).
    void Write(TSettingsFile& ini) const;
};
