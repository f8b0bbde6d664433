// Saving a layout when the disk or the process fails: a full file system, a file size limit, a
// read-only folder or file system, and a process killed in the middle of the write. Every case must
// leave the previous file exactly as it was and, where the process survives, raise an error that
// names the file and the system's reason.

#include "LayoutSurface.h"
#include "core/Exceptions.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Surface = TTestSurface;

// A layout whose text is far larger than the limits the faults below impose (about 60 KB).
void FillLarge(Surface& s) {
    for (int i = 0; i < 200; ++i) {
        auto* b = new TKvdUIButton(s.Root());
        b->SetParentControl(s.Root());
        b->SetBounds(i % 20 * 20, i / 20 * 20, 20, 20);
        b->SetText(QString(200, QChar(u'a' + i % 26)));
    }
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Mounts a tmpfs of the given size at path; false where this process may not mount.
bool MountTmpfs(const QString& path, const QByteArray& options) {
    return ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, options.constData()) == 0;
}

// Undoes a mount, a resource limit or a changed file system user when the test case ends.
class Restore {
public:
    explicit Restore(std::function<void()> undo) : m_undo(std::move(undo)) {}
    ~Restore() { m_undo(); }

private:
    std::function<void()> m_undo;
};

enum Fault { TinyTmpfs, FileSizeLimit, ReadOnlyFolder, ReadOnlyFileSystem };

} // namespace

class TstSaveFaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_path;
    QByteArray m_previous;

    // Saves a small layout at folder/a.kvdui and remembers its bytes.
    void SavePrevious(const QString& folder) {
        m_folder = folder;
        m_path = QDir(folder).filePath(QStringLiteral("a.kvdui"));
        Surface s;
        auto* b = new TKvdUIButton(s.Root());
        b->SetParentControl(s.Root());
        b->SetBounds(10, 10, 60, 20);
        b->SetText(QStringLiteral("previous"));
        WriteLayout(s.Root(), m_path);
        m_previous = FileBytes(m_path);
        QVERIFY(!m_previous.isEmpty());
    }

    void VerifyPreviousIntact() {
        QCOMPARE(FileBytes(m_path), m_previous);
        Surface t;
        ReadLayout(t.Root(), m_path);
        QCOMPARE(t.Root()->findChild<TKvdUIButton*>()->Text(), QStringLiteral("previous"));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // Open to every user, so that the read-only case is refused by its own folder only.
        QVERIFY(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                        QFile::ReadGroup | QFile::ExeGroup |
                                                        QFile::ReadOther | QFile::ExeOther));
        RegisterElementClasses();
    }

    void failedSaveKeepsPreviousFile_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full file system") << int(TinyTmpfs) << QStringLiteral("No space left on device");
        QTest::newRow("file size limit") << int(FileSizeLimit) << QStringLiteral("File too large");
        QTest::newRow("read-only folder") << int(ReadOnlyFolder) << QStringLiteral("ermission");
        QTest::newRow("read-only file system")
            << int(ReadOnlyFileSystem) << QStringLiteral("is not writable");
    }

    void failedSaveKeepsPreviousFile() {
        QFETCH(int, fault);
        QFETCH(QString, reason);
        const QString folder = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        QVERIFY(QDir().mkpath(folder));
        std::function<void()> undo = [] {};
        if (fault == TinyTmpfs || fault == ReadOnlyFileSystem) {
            if (!MountTmpfs(folder, "size=16k"))
                QSKIP("this process may not mount a file system");
            undo = [folder] { ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH); };
        }
        Restore unmount(undo);
        SavePrevious(folder);
        Surface s;
        FillLarge(s);

        struct rlimit oldLimit {};
        ::getrlimit(RLIMIT_FSIZE, &oldLimit);
        std::function<void()> undoFault = [] {};
        switch (Fault(fault)) {
        case TinyTmpfs:
            break;
        case FileSizeLimit: {
            // The kernel refuses to grow any file past the limit; the signal it sends is ignored here,
            // so the write fails with EFBIG instead.
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = oldLimit;
            limit.rlim_cur = 4096;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            undoFault = [oldLimit, oldHandler] {
                ::setrlimit(RLIMIT_FSIZE, &oldLimit);
                std::signal(SIGXFSZ, oldHandler);
            };
            break;
        }
        case ReadOnlyFolder:
            QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                      QFile::WriteGroup | QFile::ReadOther |
                                                      QFile::WriteOther));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
            // The superuser writes anywhere: check as an ordinary user (the file system user of this
            // thread only, switched back below).
            if (::geteuid() == 0) {
                ::setfsuid(65534);
                ::setfsgid(65534);
            }
            undoFault = [folder] {
                if (::geteuid() == 0) {
                    ::setfsuid(0);
                    ::setfsgid(0);
                }
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            };
            break;
        case ReadOnlyFileSystem:
            QCOMPARE(::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                             nullptr),
                     0);
            break;
        }
        QString message;
        {
            Restore restoreFault(undoFault);
            try {
                WriteLayout(s.Root(), m_path);
            } catch (const Exception& e) {
                message = e.Message();
            }
        }
        QVERIFY2(message.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(m_path)),
                 qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        VerifyPreviousIntact();
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.kvdui")});
    }

    void killedMidSaveKeepsPreviousFile() {
        const QString folder = m_dir.filePath(QStringLiteral("killed"));
        QVERIFY(QDir().mkpath(folder));
        SavePrevious(folder);
        Surface s;
        FillLarge(s);
        const QString expected = WriteLayout(s.Root());
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // The kernel kills this process with SIGXFSZ inside the write that crosses 8 KB: a crash in
            // the middle of saving, at a point the test controls.
            struct rlimit limit {};
            ::setrlimit(RLIMIT_CORE, &limit);
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 8192;
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_DFL);
            try {
                WriteLayout(s.Root(), m_path);
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGXFSZ);
        VerifyPreviousIntact();
        // The next save replaces the file completely.
        QCOMPARE(WriteLayout(s.Root(), m_path), expected);
        QCOMPARE(FileBytes(m_path), expected.toUtf8());
    }
};

QTEST_MAIN(TstSaveFaults)
#include "tst_savefaults.moc"
