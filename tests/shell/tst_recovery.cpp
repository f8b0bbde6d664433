// The user's work survives: recovery copies of unsaved changes (also of a builder killed outright),
// files changed or removed by other programs before Save, and recent-file lists of builders running at
// the same time.

#include "ShellFixture.h"
#include "tests/ChildProcess.h"
#include "tests/TestFiles.h"

#include "shell/KvdUIBuilder_Recovery.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <filesystem>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {
const char* const ChildFlag = "--recovery-child";

QString Layout(const QString& text) {
    return QStringLiteral("<ui>\n  <element type=\"TKvdUIButton\" align=\"0\" anchors=\"akLeft,akTop\" "
                          "rel_left=\"20\" rel_top=\"20\" width=\"60\" height=\"30\" id=\"1\" text=\"%1\" "
                          "typein=\"0\" bstyle=\"40\" left=\"20\" top=\"20\"/>\n</ui>\n")
        .arg(text);
}

// Clicks the button of that object name in the modal box.
// A copy in folder as a builder that has gone leaves it: written by a store that no longer runs.
void LeaveOrphan(const QString& folder, const QString& layout, const QString& fileName = QString()) {
    TRecoveryStore store(folder, [](const QString&) {});
    store.Update(layout, fileName, TFileStamp());
    store.Flush();
}

void ClickNamed(QWidget* modal, const char* name) {
    auto* button = modal->findChild<QPushButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// The builder a killed child leaves behind: opens dir/pit.kvdui, moves its button, waits until the
// recovery copy is on disk, prints the layout on screen and waits to be killed.
int RunChild(int argc, char** argv) {
    TKvdApplication app(argc, argv);
    InitApplication();
    const QString dir = QString::fromLocal8Bit(argv[2]);
    TSettingsFile::SetProgramFileOverride(dir + QStringLiteral("/KvdUIBuilder.ini"));
    TRecoveryStore::SetFolderOverride(dir + QStringLiteral("/recovery"));
    TfrmMain main;
    main.StartupFile = dir + QStringLiteral("/pit.kvdui");
    main.show();
    QTimer::singleShot(200, &main, [&main] {
        auto* button = qobject_cast<TKvdUIElement*>(main.RootControl()->OwnedComponents().value(0));
        if (!button)
            QCoreApplication::exit(3);
        button->SetBounds(100, 120, 80, 40);
        button->SetText(QStringLiteral("Box box"));
        QTimer::singleShot(200, &main, [&main] {
            main.Recovery()->Flush();
            std::printf("%s\nREADY\n", WriteLayout(main.RootControl()).toUtf8().toBase64().constData());
            std::fflush(stdout);
        });
    });
    return app.exec();
}
} // namespace

class TestRecovery : public QObject {
    Q_OBJECT

private slots:
    void copyFollowsUnsavedChanges();
    void killedBuilderIsOfferedBack_data();
    void killedBuilderIsOfferedBack();
    void copyThatDoesNotReadStays();
    void strangeEntriesAreLeftAlone();
    void manyCopiesOneQuestion();
    void saveAsksWhenFileChangedElsewhere_data();
    void saveAsksWhenFileChangedElsewhere();
    void unchangedDocumentOffersReload();
    void recentFilesOfTwoBuildersMerge();
};

void TestRecovery::copyFollowsUnsavedChanges() {
    ShellFixture f;
    const QString folder = f.Path(QStringLiteral("recovery"));
    f.NewWithButton();
    f.Settle();
    f.Main->Recovery()->Flush();
    const QString copy = f.Main->Recovery()->CopyPath();
    QVERIFY(copy.startsWith(folder));
    QVERIFY(QFileInfo::exists(copy));
    const QJsonObject o = QJsonDocument::fromJson(ReadFile(copy)).object();
    QCOMPARE(o.value(QStringLiteral("layout")).toString(), WriteLayout(f.Root()));
    QCOMPARE(o.value(QStringLiteral("file")).toString(), QString());

    // Saved: no copy is kept. Changed again: it comes back, with the file it belongs to.
    const QString saved = f.Path(QStringLiteral("saved.kvdui"));
    AnswerModal([&](QWidget* modal) { AnswerFileDialog(modal, saved); });
    f.Click(f.Main->actSaveAs);
    f.Main->Recovery()->Flush();
    QVERIFY(!QFileInfo::exists(copy));
    f.Elements().at(0)->SetText(QStringLiteral("Pit"));
    f.Settle();
    f.Main->Recovery()->Flush();
    QCOMPARE(QJsonDocument::fromJson(ReadFile(copy)).object().value(QStringLiteral("file")).toString(),
             saved);

    // Closed with the changes dropped: gone again, and a clean exit leaves nothing to offer.
    AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::No); });
    f.Click(f.Main->actClose);
    f.Main->Recovery()->Flush();
    QVERIFY(!QFileInfo::exists(copy));
    f.Stop();
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.json")}, QDir::Files), QStringList());
}

void TestRecovery::killedBuilderIsOfferedBack_data() {
    QTest::addColumn<bool>("restore");
    QTest::newRow("restored") << true;
    QTest::newRow("discarded") << false;
}

void TestRecovery::killedBuilderIsOfferedBack() {
    QFETCH(bool, restore);
    QTemporaryDir dir;
    const QString pit = dir.filePath(QStringLiteral("pit.kvdui"));
    const QByteArray original = Layout(QStringLiteral("Pit")).toUtf8();
    WriteFile(pit, original);

    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(ChildFlag), dir.path()});
    QVERIFY(child.waitForStarted(10000));
    QByteArray out;
    for (int i = 0; i < 300 && !out.contains("READY\n") && child.state() == QProcess::Running; ++i) {
        child.waitForReadyRead(100);
        out += UnixLineBreaks(child.readAllStandardOutput());
    }
    QVERIFY2(out.contains("READY\n"), out.constData());
    const QString onScreen = QString::fromUtf8(QByteArray::fromBase64(out.left(out.indexOf('\n'))));
    QVERIFY(onScreen.contains(QLatin1String("Box box")));

    // A second builder while the first still runs: nothing is offered, and the copy stays.
    {
        ShellFixture other(false);
        TRecoveryStore::SetFolderOverride(dir.filePath(QStringLiteral("recovery")));
        other.Start();
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(other.Main->FileName(), QString());
    }
    QCOMPARE(QDir(dir.filePath(QStringLiteral("recovery"))).entryList({QStringLiteral("*.json")}).size(), 1);

    child.kill(); // SIGKILL on Unix, TerminateProcess on Windows: no chance to clean up either way
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(ReadFile(pit), original);

    ShellFixture f(false);
    TSettingsFile::SetProgramFileOverride(dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
    TRecoveryStore::SetFolderOverride(dir.filePath(QStringLiteral("recovery")));
    QString offer;
    const auto answered = AnswerModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        offer = box->text();
        ClickNamed(modal, restore ? "restore" : "discard");
    });
    f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(*answered, 5000);
    QCOMPARE(offer,
             QStringLiteral("Korvadia UI Builder did not exit cleanly. Unsaved changes to %1 were kept.")
                 .arg(QDir::toNativeSeparators(pit)));
    f.Settle();
    QCOMPARE(f.Main->FileName(), pit);
    if (restore) {
        QCOMPARE(WriteLayout(f.Root()), onScreen);
        QVERIFY(f.Main->Modified());
        // Save writes where the user expects, and the copy has done its work.
        f.Click(f.Main->actSave);
        QCOMPARE(QString::fromUtf8(ReadFile(pit)), onScreen);
        f.Main->Recovery()->Flush();
    } else {
        // The start-up went on as usual: the newest recent file, as it is on disk.
        QVERIFY(!f.Main->Modified());
        QVERIFY(WriteLayout(f.Root()).contains(QLatin1String("\"Pit\"")));
    }
    QCOMPARE(QDir(dir.filePath(QStringLiteral("recovery"))).entryList({QStringLiteral("*.json")}),
             QStringList());
    QVERIFY(ShellFixture::App()->ShownErrors.isEmpty());
}

void TestRecovery::copyThatDoesNotReadStays() {
    QTemporaryDir dir;
    const QString pit = dir.filePath(QStringLiteral("pit.kvdui"));
    const QByteArray original = Layout(QStringLiteral("Pit")).toUtf8();
    WriteFile(pit, original);
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    // A copy left by a builder that is gone, of a layout nested deeper than the reader takes.
    QString deep = QStringLiteral("<element type=\"TKvdUIButton\"/>");
    for (int level = 0; level < 101; ++level)
        deep = QStringLiteral("<element type=\"TKvdUIPanel\">%1</element>").arg(deep);
    LeaveOrphan(folder, QStringLiteral("<ui>%1</ui>").arg(deep), pit);
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.json")}).size(), 1);

    ShellFixture f(false);
    TRecoveryStore::SetFolderOverride(folder);
    const auto offered = AnswerModal([](QWidget* modal) { ClickNamed(modal, "restore"); });
    // The error box comes once the offer has gone; it is closed when it is up.
    QTimer closeError;
    QObject::connect(&closeError, &QTimer::timeout, [&f] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible() && box->objectName() != QLatin1String("recoveryOffer") &&
            box->button(QMessageBox::Ok)) {
            box->button(QMessageBox::Ok)->click();
            // The offscreen platform gives the window no focus back by itself.
            QTimer::singleShot(0, f.Main.get(), [&f] { f.Main->activateWindow(); });
        }
    });
    closeError.start(20);
    f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(*offered, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(f.App()->ShownErrors.size(), 1, 5000);
    QVERIFY2(
        f.App()->ShownErrors.first().contains(QStringLiteral("cannot be restored: The layout is nested more "
                                                             "than 100 levels deep")),
        qPrintable(f.App()->ShownErrors.first()));
    f.Settle();
    // Not the file's document: Save cannot write an empty layout over it.
    QVERIFY(f.Main->FileName() != pit);
    QVERIFY(!f.Main->Modified());
    f.Stop();
    QCOMPARE(ReadFile(pit), original);
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.json")}).size(), 1);
}

void TestRecovery::strangeEntriesAreLeftAlone() {
#ifdef Q_OS_UNIX
    // A FIFO would block the start in open(), a link to /dev/zero would be read until memory ran out; a
    // real copy beside them is still offered.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    LeaveOrphan(folder, QStringLiteral("<ui/>"));
    const QByteArray fifo = QFile::encodeName(QDir(folder).filePath(QStringLiteral("fifo.json")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), QDir(folder).filePath(QStringLiteral("zero.json"))));
    TRecoveryStore store(folder, [](const QString&) {});
    QElapsedTimer timer;
    timer.start();
    const QList<TRecoveryCopy> copies = store.TakeOrphans();
    QVERIFY2(timer.elapsed() < 5000, "the strange entries held the start up");
    QCOMPARE(copies.size(), 1);
    store.ReleaseOrphans();
#else
    QSKIP("FIFOs and /dev/zero are Unix's");
#endif
}

void TestRecovery::manyCopiesOneQuestion() {
#ifdef Q_OS_UNIX
    // 1 100 copies of builders that are gone, under the usual limit of 1 024 open files: one question
    // lists them, nothing is held open per copy, and "Keep for later" leaves every one.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    LeaveOrphan(folder, QStringLiteral("<ui/>"));
    const QStringList written = QDir(folder).entryList({QStringLiteral("*.json")});
    QCOMPARE(written.size(), 1);
    const QByteArray copy = ReadFile(QDir(folder).filePath(written.first()));
    for (int i = 1; i < 1100; ++i)
        WriteFile(QDir(folder).filePath(QStringLiteral("gone-%1.json").arg(i)), copy);
    rlimit before{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &before), 0);
    rlimit limited = before;
    limited.rlim_cur = std::min<rlim_t>(before.rlim_cur, 1024);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &limited), 0);
    const auto restoreLimit = qScopeGuard([&before] { ::setrlimit(RLIMIT_NOFILE, &before); });

    ShellFixture f(false);
    TRecoveryStore::SetFolderOverride(folder);
    int questions = 0;
    QString offer;
    const auto answered = AnswerModal([&](QWidget* modal) {
        ++questions;
        offer = qobject_cast<QMessageBox*>(modal)->text();
        ClickNamed(modal, "keep");
    });
    f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(*answered, 10000);
    f.Settle();
    QCOMPARE(questions, 1);
    QCOMPARE(offer,
             QStringLiteral("Korvadia UI Builder did not exit cleanly. Unsaved changes to 1100 layouts were "
                            "kept."));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    f.Stop();
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.json")}).size(), 1100);
#else
    QSKIP("the open-file limit is set the Unix way");
#endif
}

void TestRecovery::saveAsksWhenFileChangedElsewhere_data() {
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("answer");
    QTest::newRow("changed, cancel") << false << QStringLiteral("cancel");
    QTest::newRow("changed, overwrite") << false << QStringLiteral("overwrite");
    QTest::newRow("changed, save as") << false << QStringLiteral("saveAs");
    QTest::newRow("deleted, cancel") << true << QStringLiteral("cancel");
    QTest::newRow("deleted, save") << true << QStringLiteral("overwrite");
}

void TestRecovery::saveAsksWhenFileChangedElsewhere() {
    QFETCH(bool, deleted);
    QFETCH(QString, answer);
    ShellFixture f(false);
    const QString file = f.Path(QStringLiteral("pit.kvdui"));
    WriteFile(file, Layout(QStringLiteral("Mine")).toUtf8());
    f.Start(file);
    QCOMPARE(f.Main->FileName(), file);

    // Touched without a change of content: saving asks nothing.
    QFile(file).setFileTime(QDateTime::currentDateTime().addSecs(-100), QFileDevice::FileModificationTime);
    f.Elements().at(0)->SetText(QStringLiteral("Edited"));
    f.Settle();
    f.Click(f.Main->actSave);
    QVERIFY(!f.Main->Modified());
    QVERIFY(QString::fromUtf8(ReadFile(file)).contains(QLatin1String("Edited")));

    const QByteArray theirs = Layout(QStringLiteral("Theirs")).toUtf8();
    if (deleted)
        QVERIFY(QFile::remove(file));
    else
        WriteFile(file, theirs);
    f.Elements().at(0)->SetText(QStringLiteral("Mine again"));
    f.Settle();
    const QString other = f.Path(QStringLiteral("other.kvdui"));
    QString question;
    const auto answered = AnswerModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box && box->objectName() == QLatin1String("saveConflict"));
        question = box->text();
        if (answer == QLatin1String("cancel"))
            ClickBox(modal, QMessageBox::Cancel);
        else
            ClickNamed(modal, answer.toLatin1().constData());
        if (answer == QLatin1String("saveAs"))
            AnswerModal([&](QWidget* dialog) { AnswerFileDialog(dialog, other); });
    });
    f.Click(f.Main->actSave);
    QTRY_VERIFY_WITH_TIMEOUT(*answered, 5000);
    f.Settle();
    QCOMPARE(question, deleted
                           ? QStringLiteral("%1 was deleted or moved by another program since it was opened.")
                                 .arg(QDir::toNativeSeparators(file))
                           : QStringLiteral("%1 was changed by another program since it was opened.")
                                 .arg(QDir::toNativeSeparators(file)));
    if (answer == QLatin1String("cancel")) {
        // The other program's content stays byte for byte, and so do the unsaved changes.
        QCOMPARE(QFileInfo::exists(file), !deleted);
        if (!deleted)
            QCOMPARE(ReadFile(file), theirs);
        QVERIFY(f.Main->Modified());
    } else if (answer == QLatin1String("overwrite")) {
        QVERIFY(QString::fromUtf8(ReadFile(file)).contains(QLatin1String("Mine again")));
        QVERIFY(!f.Main->Modified());
    } else {
        QCOMPARE(ReadFile(file), theirs);
        QVERIFY(QString::fromUtf8(ReadFile(other)).contains(QLatin1String("Mine again")));
        QCOMPARE(f.Main->FileName(), other);
        QVERIFY(!f.Main->Modified());
    }
    QVERIFY(ShellFixture::App()->ShownErrors.isEmpty());
}

void TestRecovery::unchangedDocumentOffersReload() {
    ShellFixture f(false);
    const QString file = f.Path(QStringLiteral("pit.kvdui"));
    WriteFile(file, Layout(QStringLiteral("Mine")).toUtf8());
    f.Start(file);
    // The builder's own save is not taken for another program's.
    f.Elements().at(0)->SetText(QStringLiteral("Saved here"));
    f.Settle();
    f.Click(f.Main->actSave);
    QTest::qWait(600);
    QCOMPARE(f.Main->findChild<QMessageBox*>(QStringLiteral("reloadNote")), nullptr);

    // Replaced by a rename, as careful editors and version control do.
    const QString temp = f.Path(QStringLiteral("pit.kvdui.new"));
    WriteFile(temp, Layout(QStringLiteral("Theirs")).toUtf8());
    std::error_code renamed;
    std::filesystem::rename(std::filesystem::path(temp.toStdU16String()),
                            std::filesystem::path(file.toStdU16String()), renamed);
    QVERIFY2(!renamed, renamed.message().c_str());
    QMessageBox* note = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((note = f.Main->findChild<QMessageBox*>(QStringLiteral("reloadNote"))), 5000);
    QVERIFY(note->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    ClickNamed(note, "reload");
    f.Settle();
    QVERIFY(WriteLayout(f.Root()).contains(QLatin1String("\"Theirs\"")));
    QVERIFY(!f.Main->Modified());

    // Changed again while there are unsaved changes: nothing pops up (Save will ask).
    f.Elements().at(0)->SetText(QStringLiteral("Unsaved"));
    f.Settle();
    WriteFile(file, Layout(QStringLiteral("Third")).toUtf8());
    QTest::qWait(600);
    QCOMPARE(f.Main->findChild<QMessageBox*>(QStringLiteral("reloadNote")), nullptr);
    QVERIFY(WriteLayout(f.Root()).contains(QLatin1String("\"Unsaved\"")));
}

void TestRecovery::recentFilesOfTwoBuildersMerge() {
    ShellFixture first;
    ShellFixture second(false);
    TSettingsFile::SetProgramFileOverride(first.Ini());
    second.Start();
    first.Main->AddRecentFile(QStringLiteral("/tmp/first.kvdui"));
    second.Main->AddRecentFile(QStringLiteral("/tmp/second.kvdui"));
    // Names that differ in case are different files on Linux, one file on Windows.
    first.Main->AddRecentFile(QStringLiteral("/tmp/Track.kvdui"));
    second.Main->AddRecentFile(QStringLiteral("/tmp/track.kvdui"));
    first.Stop();
    second.Stop();
    QSettings ini(first.Ini(), QSettings::IniFormat);
    QStringList files;
    for (int i = 0; i < ini.value(QStringLiteral("MRU/Count")).toInt(); ++i)
        files << ini.value(QStringLiteral("MRU/File%1").arg(i)).toString();
    QStringList expected = {QStringLiteral("/tmp/track.kvdui"), QStringLiteral("/tmp/Track.kvdui"),
                            QStringLiteral("/tmp/second.kvdui"), QStringLiteral("/tmp/first.kvdui")};
#ifdef Q_OS_WIN
    expected.removeAt(1); // one file there, whose latest spelling is kept
#endif
    for (QString& name : expected)
        name = QFileInfo(name).absoluteFilePath(); // with the drive on Windows
    QCOMPARE(files, expected);
}

int main(int argc, char** argv) {
    if (argc >= 3 && qstrcmp(argv[1], ChildFlag) == 0)
        return RunChild(argc, argv);
    TKvdApplication app(argc, argv);
    InitApplication();
    TestRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
