// Writing a whole file: on a full file system (a small tmpfs, where one is allowed to be mounted), to a
// device that is always full, and into a folder that does not exist. Every failure names the system's
// reason and leaves the old file as it was; outputs are kept smaller than Qt's 16 KiB write buffer, where
// a buffered write would report success.

#include "core/FileWrite.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TstFileWrite : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullFileSystemKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString mountPoint = dir.filePath(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(mountPoint));
        if (QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=64k"), QStringLiteral("tmpfs"), mountPoint}) != 0)
            QSKIP("no tmpfs can be mounted here");
        const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {mountPoint}); });
        const QString old = mountPoint + QStringLiteral("/old.png");
        QCOMPARE(WriteWholeFile(old, QByteArray("the old picture")), QString());

        // Fill what is left, in bounded steps.
        QFile filler(mountPoint + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        for (int i = 0; i < 64 && filler.write(block) == block.size(); ++i) {
        }
        filler.close();

        const QString reason = WriteWholeFile(old, QByteArray(3000, 'n'));
        QVERIFY2(reason.contains(QStringLiteral("No space left on device")), qPrintable(reason));
        QFile kept(old);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("the old picture"));
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }

    void deviceAndMissingFolder() {
#ifdef Q_OS_LINUX
        const QString full = WriteWholeFile(QStringLiteral("/dev/full"), QByteArray(100, 'x'));
        QVERIFY2(full.contains(QStringLiteral("No space left on device")), qPrintable(full));
#endif
        QTemporaryDir dir;
        const QString missing = WriteWholeFile(dir.filePath(QStringLiteral("no/such/folder/a.kvdui")), "x");
        QVERIFY(!missing.isEmpty());
        QVERIFY2(missing != QLatin1String("Unknown error"), qPrintable(missing));
        QCOMPARE(WriteWholeFile(dir.filePath(QStringLiteral("a.kvdui")), "<ui/>"), QString());
        QFile written(dir.filePath(QStringLiteral("a.kvdui")));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("<ui/>"));
    }
};

QTEST_GUILESS_MAIN(TstFileWrite)
#include "tst_filewrite.moc"
