#include "shell/KvdUIBuilder_Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

enum class TType { Number, Text, Flag };

struct TKey {
    TSetting Setting;
    const char* Section;
    const char* Name;
    TType Type;
    bool Default; // for flags
};

// Every key of the file, in the order of TSetting.
constexpr TKey Keys[] = {
    {TSetting::Left, "frmMain", "Left", TType::Number, false},
    {TSetting::Top, "frmMain", "Top", TType::Number, false},
    {TSetting::Width, "frmMain", "Width", TType::Number, false},
    {TSetting::Height, "frmMain", "Height", TType::Number, false},
    {TSetting::ShowCmd, "frmMain", "ShowCmd", TType::Number, false},
    {TSetting::TreeWidth, "frmMain", "TreeWidth", TType::Number, false},
    {TSetting::InspectorHeight, "frmMain", "InspectorHeight", TType::Number, false},
    {TSetting::LogHeight, "frmMain", "LogHeight", TType::Number, false},
    {TSetting::NameColumn, "frmMain", "NameColumn", TType::Number, false},
    {TSetting::Address, "dromo", "address", TType::Text, false},
    {TSetting::Port, "dromo", "port", TType::Number, false},
    {TSetting::SimulatorLook, "view", "SimulatorLook", TType::Flag, false},
    {TSetting::ElementNames, "view", "ElementNames", TType::Flag, false},
};

// The recent files' section: its count, then File0, File1, ...
const QString RecentSection = QStringLiteral("MRU");

const TKey& KeyOf(TSetting setting) {
    const TKey& key = Keys[int(setting)];
    Q_ASSERT(key.Setting == setting);
    return key;
}

QString Path(TSetting setting) {
    const TKey& key = KeyOf(setting);
    return QLatin1String(key.Section) + QLatin1Char('/') + QLatin1String(key.Name);
}

// Whether a file can be written at that path, found out by opening it for appending (which changes
// nothing); a file created for the test is removed again. Permission bits alone do not tell, for
// example on a read-only file system or for the superuser.
bool CanWrite(const QString& fileName) {
    const bool existed = QFileInfo::exists(fileName);
    QFile probe(fileName);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    probe.close();
    if (!existed)
        probe.remove();
    return true;
}

// True for a folder where the system installs programs for every user: /usr on Unix, the Program Files
// folders on Windows (which ordinary users cannot write to).
bool IsInstalledFolder(const QString& folder) {
#ifdef Q_OS_WIN
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        const QString root = QDir::fromNativeSeparators(qEnvironmentVariable(variable));
        if (!root.isEmpty() && (folder.compare(root, Qt::CaseInsensitive) == 0 ||
                                folder.startsWith(root + QLatin1Char('/'), Qt::CaseInsensitive)))
            return true;
    }
    return false;
#else
    return folder.startsWith(QLatin1String("/usr/"));
#endif
}

} // namespace

TSettingsFile::TSettingsFile(const QString& fileName)
    : m_fileName(fileName), m_ini(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

TSettingsFile::~TSettingsFile() = default;

std::optional<int> TSettingsFile::Number(TSetting key) const {
    Q_ASSERT(KeyOf(key).Type == TType::Number);
    bool ok = false;
    const int value = m_ini->value(Path(key)).toString().trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString TSettingsFile::Text(TSetting key) const {
    return m_ini->value(Path(key)).toString();
}

bool TSettingsFile::Flag(TSetting key) const {
    return m_ini->value(Path(key), KeyOf(key).Default).toBool();
}

QStringList TSettingsFile::RecentFiles(int limit) const {
    QStringList files;
    const int count = std::clamp(m_ini->value(RecentSection + QStringLiteral("/Count"), 0).toInt(), 0, limit);
    for (int i = 0; i < count; ++i)
        files.append(m_ini->value(RecentSection + QStringLiteral("/File%1").arg(i), QString()).toString());
    return files;
}

void TSettingsFile::Set(TSetting key, int value) {
    m_ini->setValue(Path(key), value);
}

void TSettingsFile::Set(TSetting key, const QString& value) {
    m_ini->setValue(Path(key), value);
}

void TSettingsFile::SetFlag(TSetting key, bool value) {
    m_ini->setValue(Path(key), value);
}

void TSettingsFile::Remove(TSetting key) {
    m_ini->remove(Path(key));
}

void TSettingsFile::SetRecentFiles(const QStringList& files) {
    m_ini->remove(RecentSection);
    m_ini->beginGroup(RecentSection);
    m_ini->setValue(QStringLiteral("Count"), int(files.size()));
    for (int i = 0; i < files.size(); ++i)
        m_ini->setValue(QStringLiteral("File%1").arg(i), files.at(i));
    m_ini->endGroup();
}

bool TSettingsFile::Commit() {
    m_ini->sync();
    return m_ini->status() == QSettings::NoError && CanWrite(m_fileName);
}

QString TSettingsFile::FileFor(const QString& executable) {
    const QFileInfo exe(executable);
    const QString besideExe =
        exe.absolutePath() + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral(".ini");
    const bool installed = IsInstalledFolder(exe.absolutePath());
    if (!installed && CanWrite(besideExe))
        return besideExe;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (folder.isEmpty())
        return besideExe;
    const QString perUser = folder + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral(".ini");
    // The first time, the settings beside the executable (if any) are taken over.
    if (!QFileInfo::exists(perUser) && QFileInfo::exists(besideExe) && QDir().mkpath(folder) &&
        QFile::copy(besideExe, perUser))
        QFile::setPermissions(perUser, QFile::ReadOwner | QFile::WriteOwner);
    QDir().mkpath(folder);
    return perUser;
}

namespace {
// Set before any main window is made; read only while one is made.
QString g_programFileOverride;
} // namespace

QString TSettingsFile::ProgramFile() {
    return g_programFileOverride.isEmpty() ? FileFor(QCoreApplication::applicationFilePath())
                                           : g_programFileOverride;
}

void TSettingsFile::SetProgramFileOverride(const QString& fileName) {
    g_programFileOverride = fileName;
}

void TPaneSizes::Read(const TSettingsFile& ini) {
    for (const auto& [key, size] :
         {std::pair{TSetting::TreeWidth, &TreeWidth}, std::pair{TSetting::InspectorHeight, &InspectorHeight},
          std::pair{TSetting::LogHeight, &LogHeight}})
        if (const std::optional<int> value = ini.Number(key); value && *value > 0)
            *size = *value;
    NameColumn = ini.Number(TSetting::NameColumn);
}

void TPaneSizes::Write(TSettingsFile& ini) const {
    ini.Set(TSetting::TreeWidth, TreeWidth);
    ini.Set(TSetting::InspectorHeight, InspectorHeight);
    ini.Set(TSetting::LogHeight, LogHeight);
}
