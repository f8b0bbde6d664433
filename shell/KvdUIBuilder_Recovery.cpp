#include "shell/KvdUIBuilder_Recovery.h"

#include "core/FileName.h"
#include "core/FileWrite.h"
#include "layout/KvdUILayoutSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {
const QString FormatName = QStringLiteral("kvdui-recovery");

// What the writer thread is to do next: write a copy, or remove it. The copy's text is made there too,
// so the GUI thread only hands over shared strings.
struct TJob {
    QString Path;
    bool Remove = false;
    QString Layout;
    QString FileName;
    TFileStamp Stamp;
};

QByteArray CopyJson(const QString& layout, const QString& fileName, const TFileStamp& stamp) {
    QJsonObject o;
    o[QStringLiteral("format")] = FormatName;
    o[QStringLiteral("file")] = fileName;
    o[QStringLiteral("written")] = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    o[QStringLiteral("stamp")] = stamp.ToText();
    o[QStringLiteral("layout")] = layout;
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<TRecoveryCopy> ReadCopy(const QString& path, const QString& id) {
    // Opened without waiting (a FIFO would block the start) and read only when it is a regular file, and
    // then at most up to the limit whatever its size said (a link to a device reports 0).
    constexpr qint64 MaxCopyBytes = 2 * MaxLayoutFileSize;
    QFile file;
    TFileFacts facts;
    if (!OpenForReading(TFileName(path), file, facts).isEmpty() || !facts.Regular ||
        facts.Size > MaxCopyBytes)
        return std::nullopt;
    const QByteArray bytes = file.read(MaxCopyBytes + 1);
    if (bytes.size() > MaxCopyBytes)
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    if (o.value(QStringLiteral("format")).toString() != FormatName)
        return std::nullopt;
    TRecoveryCopy copy;
    copy.Id = id;
    copy.FileName = o.value(QStringLiteral("file")).toString();
    copy.Written = QDateTime::fromString(o.value(QStringLiteral("written")).toString(), Qt::ISODateWithMs);
    if (!copy.Written.isValid())
        copy.Written = QFileInfo(path).lastModified();
    copy.Stamp = TFileStamp::FromText(o.value(QStringLiteral("stamp")).toString());
    copy.Layout = o.value(QStringLiteral("layout")).toString();
    return copy;
}

std::shared_ptr<QLockFile> TryLock(const QString& path) {
    auto lock = std::make_shared<QLockFile>(path);
    // Held for as long as a builder runs: only a dead owner makes it stale, never its age.
    lock->setStaleLockTime(0);
    return lock->tryLock(0) ? lock : nullptr;
}
} // namespace

// One thread that writes or removes copies, always the latest job only.
class TRecoveryStore::TWriter {
public:
    explicit TWriter(std::function<void(const QString&)> onError)
        : m_onError(std::move(onError)), m_thread([this] { Run(); }) {}
    ~TWriter() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void Post(TJob job) {
        {
            std::lock_guard lock(m_mutex);
            m_job = std::move(job);
        }
        m_wake.notify_all();
    }
    void WaitIdle() {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return !m_job && !m_busy; });
    }

private:
    void Run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || m_job; });
            if (!m_job)
                return;
            TJob job = std::move(*m_job);
            m_job.reset();
            m_busy = true;
            lock.unlock();
            const QString error = Execute(job);
            if (!error.isEmpty())
                m_onError(error);
            lock.lock();
            m_busy = false;
            m_idle.notify_all();
        }
    }
    static QString Execute(const TJob& job) {
        if (job.Remove) {
            QFile::remove(job.Path);
            return QString();
        }
        return WriteWholeFile(job.Path, CopyJson(job.Layout, job.FileName, job.Stamp));
    }

    std::function<void(const QString&)> m_onError;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<TJob> m_job;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};

namespace {
QString g_folderOverride;
} // namespace

QString TRecoveryStore::DefaultFolder() {
    if (!g_folderOverride.isEmpty())
        return g_folderOverride;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

void TRecoveryStore::SetFolderOverride(const QString& folder) {
    g_folderOverride = folder;
}

TRecoveryStore::TRecoveryStore(const QString& folder, std::function<void(const QString&)> onError)
    : m_folder(folder), m_id(QStringLiteral("%1-%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))),
      m_onError(std::move(onError)) {
    m_writer = std::make_unique<TWriter>([this](const QString& error) {
        QMetaObject::invokeMethod(
            this,
            [this, error] {
                if (m_errorShown || !m_onError)
                    return;
                m_errorShown = true;
                m_onError(QStringLiteral("Recovery copy could not be written to %1: %2")
                              .arg(QDir::toNativeSeparators(CopyPath()), error));
            },
            Qt::QueuedConnection);
    });
    m_throttle.setSingleShot(true);
    m_throttle.setInterval(WriteInterval);
    connect(&m_throttle, &QTimer::timeout, this, &TRecoveryStore::WritePending);
}

TRecoveryStore::~TRecoveryStore() {
    m_writer.reset();
    ReleaseOrphans();
}

QString TRecoveryStore::PathOf(const QString& id, const char* suffix) const {
    return m_folder + QLatin1Char('/') + id + QLatin1String(suffix);
}

QString TRecoveryStore::CopyPath() const {
    return PathOf(m_id, ".json");
}

bool TRecoveryStore::EnsureLocked() {
    if (m_lock)
        return true;
    if (!QDir().mkpath(m_folder))
        return false;
    m_lock = TryLock(PathOf(m_id, ".lock"));
    return m_lock != nullptr;
}

void TRecoveryStore::Update(const QString& layout, const QString& fileName, const TFileStamp& stamp) {
    m_layout = layout;
    m_fileName = fileName;
    m_stamp = stamp;
    m_pending = true;
    if (!m_throttle.isActive())
        m_throttle.start();
}

void TRecoveryStore::WritePending() {
    if (!m_pending)
        return;
    m_pending = false;
    if (!EnsureLocked()) {
        if (!m_errorShown && m_onError) {
            m_errorShown = true;
            m_onError(QStringLiteral("Recovery copy could not be written to %1")
                          .arg(QDir::toNativeSeparators(m_folder)));
        }
        return;
    }
    m_writer->Post({CopyPath(), false, m_layout, m_fileName, m_stamp});
}

void TRecoveryStore::Discard() {
    m_throttle.stop();
    m_pending = false;
    m_layout.clear();
    // The lock stays: it marks this builder as running for as long as it does.
    if (m_lock)
        m_writer->Post({CopyPath(), true, {}, {}, {}});
}

void TRecoveryStore::Flush() {
    if (m_throttle.isActive()) {
        m_throttle.stop();
        WritePending();
    }
    m_writer->WaitIdle();
}

QList<TRecoveryCopy> TRecoveryStore::TakeOrphans() {
    QList<TRecoveryCopy> copies;
    m_orphans.clear();
    // One lock for the whole offer, so that no other builder offers the same copies meanwhile; none is
    // held per copy, so that any number of them fits within the open-file limit.
    m_offerLock = TryLock(QDir(m_folder).filePath(QStringLiteral("offer.lock")));
    if (!m_offerLock)
        return copies; // another builder is offering them right now
    const QDir dir(m_folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.lock")}, QDir::Files)) {
        // A lock whose builder is gone and whose copy is gone too is only litter: taking it removes it.
        const QString id = QFileInfo(name).completeBaseName();
        if (id != m_id && id != QLatin1String("offer") && !dir.exists(id + QStringLiteral(".json")))
            if (const std::shared_ptr<QLockFile> stale = TryLock(dir.filePath(name)))
                stale->unlock();
    }
    const QStringList names = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Time);
    for (const QString& name : names) {
        const QString id = QFileInfo(name).completeBaseName();
        if (id == m_id)
            continue;
        const std::shared_ptr<QLockFile> lock = TryLock(PathOf(id, ".lock"));
        if (!lock)
            continue; // its builder is still running
        // Let go at once (which also removes the dead owner's lock file); the offer lock keeps other
        // builders away until this one has decided.
        lock->unlock();
        std::optional<TRecoveryCopy> copy = ReadCopy(dir.filePath(name), id);
        if (!copy)
            continue; // not ours to offer or unreadable: left as it is
        m_orphans << id;
        copies.append(*copy);
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const TRecoveryCopy& a, const TRecoveryCopy& b) { return a.Written > b.Written; });
    return copies;
}

void TRecoveryStore::Adopt(const TRecoveryCopy& copy) {
    if (!m_orphans.contains(copy.Id))
        return;
    std::shared_ptr<QLockFile> lock = TryLock(PathOf(copy.Id, ".lock"));
    if (!lock)
        return;
    m_orphans.removeAll(copy.Id);
    m_throttle.stop();
    m_pending = false;
    m_writer->WaitIdle();
    if (m_lock)
        QFile::remove(CopyPath());
    m_lock = std::move(lock);
    m_id = copy.Id;
}

void TRecoveryStore::DropOrphan(const TRecoveryCopy& copy) {
    if (!m_orphans.removeAll(copy.Id))
        return;
    QFile::remove(PathOf(copy.Id, ".json"));
}

void TRecoveryStore::ReleaseOrphans() {
    m_orphans.clear();
    m_offerLock.reset();
}
