// The settings file when it cannot be trusted: missing, unreadable, replaced by a folder or by
// arbitrary bytes. The main window must come up as on a first start (default size, centred, the
// default simulator address and port, no recent files) and close normally.

#include "../shell/ShellFixture.h"
#include "link/KvdDromo.h"

#include <QRandomGenerator>

#ifdef Q_OS_LINUX
#include <sys/fsuid.h>
#include <unistd.h>
#endif

namespace {

enum Damage { Missing, Unreadable, Folder, RandomBytes, NonsenseValues };

// Settings that differ from every default, so that a file that was read shows.
const QByteArray Customised = "[frmMain]\nLeft=10\nTop=20\nWidth=900\nHeight=700\nShowCmd=1\n"
                              "[dromo]\naddress=10.1.2.3\nport=4000\n[MRU]\nCount=1\nFile0=/tmp/a.kvdui\n";

} // namespace

class TestSettingsFaults : public QObject {
    Q_OBJECT

private slots:
    void damagedSettingsGiveDefaults_data() {
        QTest::addColumn<int>("damage");
        QTest::newRow("missing") << int(Missing);
#ifdef Q_OS_LINUX
        // Windows has no permission that keeps the owner from reading a file.
        QTest::newRow("unreadable") << int(Unreadable);
#endif
        QTest::newRow("a folder in its place") << int(Folder);
        QTest::newRow("random bytes") << int(RandomBytes);
        QTest::newRow("nonsense values") << int(NonsenseValues);
    }

    void damagedSettingsGiveDefaults() {
        QFETCH(int, damage);
        ShellFixture f(false);
        QFile ini(f.Ini());
        switch (Damage(damage)) {
        case Missing:
            break;
        case Unreadable:
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(Customised);
            ini.close();
            QVERIFY(ini.setPermissions({}));
            break;
        case Folder:
            QVERIFY(QDir().mkpath(f.Ini()));
            break;
        case NonsenseValues:
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[frmMain]\nLeft=west\nTop=\nWidth=wide\nHeight=-40\nShowCmd=77\n"
                      "[dromo]\naddress=\nport=harbour\n[MRU]\nCount=-3\n");
            ini.close();
            break;
        case RandomBytes: {
            QRandomGenerator random(77);
            QByteArray bytes(4096, '\0');
            for (char& b : bytes)
                b = char(random.bounded(256));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(bytes);
            ini.close();
            break;
        }
        }
        // The superuser reads any file: the unreadable case is checked as an ordinary user (the file
        // system user of this thread only).
#ifdef Q_OS_LINUX
        const bool asUser = damage == Unreadable && ::geteuid() == 0;
        if (asUser)
            ::setfsuid(65534);
        f.Start();
        if (asUser)
            ::setfsuid(0);
#else
        f.Start();
#endif
        TfrmMain* m = f.Main.get();
        QVERIFY(m->isVisible());
        QCOMPARE(m->size(), QSize(644, 611));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(m->geometry().center().x() - screen.center().x()) <= 1);
        QCOMPARE(m->KvdDromo1->Address(), QStringLiteral("127.0.0.1"));
        QCOMPARE(m->KvdDromo1->Port(), 29999);
        QCOMPARE(m->RecentFiles(), QStringList());
        QCOMPARE(m->FileName(), QString());
        QVERIFY(f.App()->ShownErrors.isEmpty());
        f.Stop();
    }
};

KVD_SHELL_TEST_MAIN(TestSettingsFaults)
#include "tst_settingsfaults.moc"
