// The main window: start-up state, the settings file, the centring of the design surface, the document
// commands with their questions and dialogs, the recent-file list and the undo history.

#include "ShellFixture.h"

#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void firstStartWithoutSettings();
    void selectAllMakesNoWidgets();
    void placementFromSettings_data();
    void placementFromSettings();
    void settingsFallBackWhenFolderIsReadOnly();
    void designPanelStaysCentred();
    void newAsksBeforeDroppingChanges_data();
    void newAsksBeforeDroppingChanges();
    void saveOnNewDocumentRunsSaveAs();
    void saveAsAddsExtensionAndRecentEntry();
    void recentFilesMatchAsTheFileSystemAndKeepTen();
    void settingsWithMoreThanTenRecentFiles();
    void startupOpensArgumentOrNewestRecent();
    void failedOpenKeepsTheDocument();
    void failedSaveKeepsFileAndModified();
    void exitOnModifiedDocument();
    void undoRedoAfterOpen();
    void undoLimitAndBursts();
    void errorsReachTheMessageBox();
    void userGuideIsFoundWithItsPictures();
};

// The selection's handles are drawn on the surface's overlay: selecting makes no widgets, whose making and
// showing would post events and repaints in proportion to the number of elements selected.
void TestMainWindow::selectAllMakesNoWidgets() {
    ShellFixture f;
    f.NewWithButton();
    f.Insert("TKvdUIButton", QRect(100, 20, 60, 30));
    f.Insert("TKvdUIButton", QRect(200, 20, 60, 30));
    QCoreApplication::processEvents();
    const qsizetype widgets = f.Main->findChildren<QWidget*>().size();
    f.Main->Execute(f.Main->actSelectAll);
    QCoreApplication::processEvents();
    QCOMPARE(f.Main->ELDesigner1->SelectedControls()->Count(), 4); // the surface's root and the buttons
    QCOMPARE(f.Main->findChildren<QWidget*>().size(), widgets);
}

void TestMainWindow::firstStartWithoutSettings() {
    ShellFixture f;
    TfrmMain* m = f.Main.get();
    QCOMPARE(f.Title(), QStringLiteral("Korvadia UI Builder - []"));
    QCOMPARE(m->size(), QSize(644, 611));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(m->geometry().center().x() - screen.center().x()) <= 1);
    QCOMPARE(m->FileName(), QString());
    QVERIFY(!m->Modified());
    QCOMPARE(m->TreeView1->topLevelItemCount(), 0);
    m->ActionList1Update();
    for (QAction* a : {m->actToolPointer, ToolOf(m, "TKvdUIPanel"), ToolOf(m, "TKvdUIButton"),
                       ToolOf(m, "TKvdUIText"), m->actSave, m->actSaveAs, m->actClose, m->actCut, m->actCopy,
                       m->actPaste, m->actDelete, m->actUndo})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    for (QAction* a : {m->actNew, m->actOpen, m->actPreview, m->actExit, m->actAbout})
        QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    QCOMPARE(m->Actions().size(), 22);
    // The tools and the arranging commands have no key; the others have the standard ones (checked by
    // the shortcut tests).
    for (QAction* a : {m->actToolPointer, ToolOf(m, "TKvdUIPanel"), ToolOf(m, "TKvdUIButton"),
                       ToolOf(m, "TKvdUIText"), m->actBringToFront, m->actSendToBack,
                       m->findChild<QAction*>(QStringLiteral("actClear")), m->actAbout})
        QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->objectName()));
    QVERIFY(!m->MRUSeparator2->isVisible());
    QVERIFY(m->MRUSeparator1->isVisible());
    f.SaveShot(m, QStringLiteral("main_empty"));

    // Closing writes the three sections.
    f.Stop();
    QSettings ini(f.Ini(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("frmMain/Width")).toInt(), 644);
    QCOMPARE(ini.value(QStringLiteral("frmMain/ShowCmd")).toInt(), 1);
    QCOMPARE(ini.value(QStringLiteral("dromo/address")).toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(ini.value(QStringLiteral("dromo/port")).toInt(), 29999);
    QCOMPARE(ini.value(QStringLiteral("MRU/Count")).toInt(), 0);
}

void TestMainWindow::placementFromSettings_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("only Left") << "[frmMain]\nLeft=100\n" << QRect(100, 0, 644, 611);
    QTest::newRow("all keys") << "[frmMain]\nLeft=20\nTop=30\nWidth=700\nHeight=650\nShowCmd=1\n"
                              << QRect(20, 30, 700, 650);
}

void TestMainWindow::placementFromSettings() {
    QFETCH(QString, section);
    QFETCH(QRect, geometry);
    ShellFixture f(false);
    QFile file(f.Ini());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(section.toUtf8() + "[dromo]\naddress=10.1.2.3\nport=4000\n");
    file.close();
    f.Start();
    // The platform may push the window down by its frame; left and size are exact.
    QCOMPARE(f.Main->geometry().left(), geometry.left());
    QVERIFY(qAbs(f.Main->geometry().top() - geometry.top()) <= 2);
    QCOMPARE(f.Main->geometry().size(), geometry.size());
    QVERIFY(!f.Main->isMaximized());
    // The address and port read are offered by the connect dialog.
    QString address, port;
    AnswerModal([&](QWidget* modal) {
        address = modal->findChild<QLineEdit*>(QStringLiteral("edAddress"))->text();
        port = modal->findChild<QLineEdit*>(QStringLiteral("edPort"))->text();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    f.Click(f.Main->actPreview);
    QTRY_COMPARE_WITH_TIMEOUT(address, QStringLiteral("10.1.2.3"), 5000);
    QCOMPARE(port, QStringLiteral("4000"));
    QVERIFY(!f.Main->actPreview->isChecked());

    // Maximised at the end: ShowCmd 3 with the restored rectangle; the next start is maximised again.
    f.Main->showMaximized();
    f.Settle();
    f.Stop();
    QSettings ini(f.Ini(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("frmMain/ShowCmd")).toInt(), 3);
    QCOMPARE(ini.value(QStringLiteral("frmMain/Width")).toInt(), geometry.width());
    f.Start();
    QTRY_VERIFY_WITH_TIMEOUT(f.Main->isMaximized(), 2000);
    QCOMPARE(f.Main->normalGeometry().size(), geometry.size());
}

void TestMainWindow::settingsFallBackWhenFolderIsReadOnly() {
    QStandardPaths::setTestModeEnabled(true);
    // Beside a writable executable: the executable's name with ".ini".
    QTemporaryDir dir;
    QCOMPARE(TSettingsFile::FileFor(dir.filePath(QStringLiteral("KvdUIBuilder"))),
             dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
    // Beside an executable in a folder nobody can write to: the user's configuration folder.
    const QString perUser = TSettingsFile::FileFor(QStringLiteral("/proc/kvd/KvdUIBuilder"));
    QCOMPARE(perUser, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                          QStringLiteral("/KvdUIBuilder.ini"));
    QVERIFY(QFileInfo(QFileInfo(perUser).absolutePath()).isDir());
    QStandardPaths::setTestModeEnabled(false);

    // Settings that cannot be saved anywhere are reported in the log pane, not lost silently.
    ShellFixture f(false);
    TSettingsFile::SetProgramFileOverride(QStringLiteral("/proc/kvd/KvdUIBuilder.ini"));
    f.Start();
    f.Main->AddRecentFile(QStringLiteral("/tmp/x.kvdui"));
    QCOMPARE(f.LogLines().value(0),
             QStringLiteral("Settings could not be saved to %1")
                 .arg(QDir::toNativeSeparators(QStringLiteral("/proc/kvd/KvdUIBuilder.ini"))));
}

void TestMainWindow::designPanelStaysCentred() {
    ShellFixture f;
    // Grow the window until the work area is 500 x 403.
    const QSize grow = QSize(500, 403) - f.Main->Panel3->size();
    f.Main->resize(f.Main->size() + grow);
    QTRY_COMPARE_WITH_TIMEOUT(f.Main->Panel3->size(), QSize(500, 403), 2000);
    QCOMPARE(f.Main->ELDesignPanel1->pos(), QPoint(49, 0));
    QCOMPARE(f.Main->ELDesignPanel1->size(), QSize(402, 402));
    f.Main->resize(f.Main->size() + QSize(-97, 197));
    QTRY_COMPARE_WITH_TIMEOUT(f.Main->Panel3->size(), QSize(403, 600), 2000);
    QCOMPARE(f.Main->ELDesignPanel1->pos(), QPoint(0, 99));
    // It cannot become smaller than the design panel.
    f.Main->resize(300, 300);
    QCoreApplication::processEvents();
    QVERIFY(f.Main->Panel3->width() >= 402 && f.Main->Panel3->height() >= 402);
}

void TestMainWindow::newAsksBeforeDroppingChanges_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << "Korvadia UI Builder - [Unsaved.kvdui]" << false;
    QTest::newRow("No") << int(QMessageBox::No) << "Korvadia UI Builder - [Unsaved.kvdui]" << true;
}

void TestMainWindow::newAsksBeforeDroppingChanges() {
    QFETCH(int, answer);
    QFETCH(QString, title);
    QFETCH(bool, cleared);
    ShellFixture f;
    f.Click(f.Main->actNew);
    QCOMPARE(f.Title(), QStringLiteral("Korvadia UI Builder - [Unsaved.kvdui]"));
    QCOMPARE(f.Tree(), QStringList{QStringLiteral("0:Unsaved")});
    f.Insert("TKvdUIButton", QRect(20, 20, 60, 30));
    QVERIFY(f.Main->Modified());
    QString question;
    AnswerModal([&](QWidget* modal) {
        question = qobject_cast<QMessageBox*>(modal)->text();
        ClickBox(modal, QMessageBox::StandardButton(answer));
    });
    f.Click(f.Main->actNew);
    QTRY_VERIFY_WITH_TIMEOUT(!question.isEmpty(), 5000);
    QCOMPARE(question, QStringLiteral("Save changes to Unsaved.kvdui ?"));
    QCOMPARE(f.Title(), title);
    QCOMPARE(f.Elements().isEmpty(), cleared);
    QCOMPARE(f.Main->Modified(), !cleared);
    QCOMPARE(f.Tree().size(), cleared ? 1 : 2);
}

void TestMainWindow::saveOnNewDocumentRunsSaveAs() {
    ShellFixture f;
    f.Click(f.Main->actNew);
    f.Insert("TKvdUIText", QRect(10, 10, 80, 20));
    bool asked = false;
    AnswerModal([&](QWidget* modal) {
        asked = qobject_cast<QFileDialog*>(modal) != nullptr;
        AnswerFileDialog(modal, QString());
    });
    f.Click(f.Main->actSave);
    QTRY_VERIFY_WITH_TIMEOUT(asked, 5000);
    f.Settle();
    QVERIFY(f.Main->Modified());
    QCOMPARE(f.Main->DocumentName(), QStringLiteral("Unsaved.kvdui"));
}

void TestMainWindow::saveAsAddsExtensionAndRecentEntry() {
    ShellFixture f;
    QDir(f.Dir.path()).mkdir(QStringLiteral("ui"));
    f.NewWithButton();
    const auto answered =
        AnswerModal([&](QWidget* modal) { AnswerFileDialog(modal, f.Path(QStringLiteral("ui/panel"))); });
    f.Click(f.Main->actSaveAs);
    QTRY_VERIFY_WITH_TIMEOUT(*answered, 5000);
    f.Settle();
    const QString saved = f.Path(QStringLiteral("ui/panel.kvdui"));
    QVERIFY(QFile::exists(saved));
    QVERIFY(!f.Main->Modified());
    QCOMPARE(f.Main->FileName(), saved);
    QCOMPARE(f.Title(), QStringLiteral("Korvadia UI Builder - [%1]").arg(QDir::toNativeSeparators(saved)));
    QCOMPARE(f.Main->RecentFiles(), QStringList{saved});
    QCOMPARE(f.Tree().first(), QStringLiteral("0:panel"));
    QSettings ini(f.Ini(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("MRU/File0")).toString(), saved);
    QVERIFY(f.Main->MRUSeparator2->isVisible());
    // The file holds what the surface holds.
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), WriteLayout(f.Root()));
}

void TestMainWindow::recentFilesMatchAsTheFileSystemAndKeepTen() {
    ShellFixture f;
    QStringList names;
    for (int i = 0; i < 11; ++i) {
        names << f.Path(QStringLiteral("layout%1.kvdui").arg(i));
        QFile file(names.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<ui/>");
    }
    for (int i = 0; i < 11; ++i)
        f.Main->LoadLayout(names.at(i), QString());
    QCOMPARE(f.Main->RecentFiles().size(), 10);
    QCOMPARE(f.Main->RecentFiles().first(), names.at(10));
    QVERIFY(!f.Main->RecentFiles().contains(names.at(0)));
    QSettings ini(f.Ini(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("MRU/Count")).toInt(), 10);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(ini.value(QStringLiteral("MRU/File%1").arg(i)).toString(), names.at(10 - i));
    QVERIFY(!ini.contains(QStringLiteral("MRU/File10")));

    // A name under another letter case is the same file only where the file system ignores case; then it
    // replaces its entry, named as now given. On Linux it is another file and gets an entry of its own.
    const QString upper = names.at(5).toUpper();
    f.Main->AddRecentFile(upper);
    QCOMPARE(f.Main->RecentFiles().size(), 10);
    QCOMPARE(f.Main->RecentFiles().first(), upper);
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    QCOMPARE(f.Main->RecentFiles().count(names.at(5)), 0);
#else
    QCOMPARE(f.Main->RecentFiles().count(names.at(5)), 1);
#endif
    // The File menu lists them with accelerators, between the two separators.
    const QList<QAction*> items = f.Main->FileMenu->actions();
    const int first = items.indexOf(f.Main->MRUSeparator1) + 1;
    QCOMPARE(items.indexOf(f.Main->MRUSeparator2) - first, 10);
    QCOMPARE(items.at(first)->text(), QStringLiteral("&1 %1").arg(QDir::toNativeSeparators(upper)));
    QCOMPARE(items.at(first + 9)->text(),
             QStringLiteral("&10 %1").arg(QDir::toNativeSeparators(f.Main->RecentFiles().last())));
}

void TestMainWindow::settingsWithMoreThanTenRecentFiles() {
    ShellFixture f(false);
    {
        QSettings ini(f.Ini(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("MRU/Count"), 12);
        for (int i = 0; i < 12; ++i)
            if (i != 1) // a missing key reads as an empty entry
                ini.setValue(QStringLiteral("MRU/File%1").arg(i),
                             f.Path(QStringLiteral("missing%1.kvdui").arg(i)));
    }
    // The newest entry does not exist: start-up reports it and the document stays closed.
    AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::Ok); });
    f.Start();
    QTRY_COMPARE_WITH_TIMEOUT(ShellFixture::App()->ShownErrors.size(), 1, 5000);
    QCOMPARE(f.Main->FileName(), QString());
    QCOMPARE(f.Main->RecentFiles().size(), 12);
    QCOMPARE(f.Main->RecentFiles().at(1), QString());
    const QList<QAction*> items = f.Main->FileMenu->actions();
    QCOMPARE(items.indexOf(f.Main->MRUSeparator2) - items.indexOf(f.Main->MRUSeparator1) - 1, 12);
    f.Main->AddRecentFile(f.Path(QStringLiteral("new.kvdui")));
    QCOMPARE(f.Main->RecentFiles().size(), 10);
}

void TestMainWindow::startupOpensArgumentOrNewestRecent() {
    ShellFixture f(false);
    const QString a = f.Path(QStringLiteral("a.kvdui"));
    const QString b = f.Path(QStringLiteral("b.kvdui"));
    for (const QString& name : {a, b}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<ui/>");
    }
    {
        QSettings ini(f.Ini(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("MRU/Count"), 1);
        ini.setValue(QStringLiteral("MRU/File0"), b);
    }
    f.Start(a);
    QTRY_COMPARE_WITH_TIMEOUT(f.Main->FileName(), a, 2000);
    QCOMPARE(f.Main->RecentFiles(), (QStringList{a, b}));
    f.Stop();
    f.Start();
    QTRY_COMPARE_WITH_TIMEOUT(f.Main->FileName(), a, 2000);
}

void TestMainWindow::failedOpenKeepsTheDocument() {
    ShellFixture f;
    const QString good = f.Path(QStringLiteral("good.kvdui"));
    f.NewWithButton();
    AnswerModal([&](QWidget* modal) { AnswerFileDialog(modal, good); });
    f.Click(f.Main->actSaveAs);
    QTRY_COMPARE_WITH_TIMEOUT(f.Main->FileName(), good, 5000);
    f.Insert("TKvdUIText", QRect(100, 100, 60, 20));
    QVERIFY(f.Main->Modified());
    const QString before = WriteLayout(f.Root());

    // A file that breaks off after its first element.
    const QString broken = f.Path(QStringLiteral("broken.kvdui"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QString(before).replace(QStringLiteral("</ui>"), QString()).toUtf8() +
               "<element type=\"TKvdUIButton\" id=\"x\"/>");
    file.close();
    AnswerModal([&](QWidget* modal) {
        ClickBox(modal, QMessageBox::No); // drop the changes
        AnswerModal([&](QWidget* dialog) {
            AnswerFileDialog(dialog, broken);
            AnswerModal([](QWidget* error) { ClickBox(error, QMessageBox::Ok); });
        });
    });
    f.Click(f.Main->actOpen);
    QTRY_COMPARE_WITH_TIMEOUT(ShellFixture::App()->ShownErrors.size(), 1, 5000);
    f.Settle();
    QCOMPARE(f.Main->FileName(), good);
    QCOMPARE(WriteLayout(f.Root()), before);
    QVERIFY(f.Main->Modified());
    QCOMPARE(f.Main->RecentFiles(), QStringList{good});
    QCOMPARE(f.Tree().size(), 3);
}

void TestMainWindow::failedSaveKeepsFileAndModified() {
    ShellFixture f;
    QVERIFY(QDir(f.Dir.path()).mkdir(QStringLiteral("sub")));
    const QString path = f.Path(QStringLiteral("sub/kept.kvdui"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<ui/>");
    file.close();
    f.Main->LoadLayout(path, QString());
    f.Insert("TKvdUIText", QRect(100, 100, 60, 20));
    QVERIFY(f.Main->Modified());
    // The file's folder goes away: the save cannot be written, the error is shown, nothing is lost.
    QVERIFY(QDir(f.Dir.path()).rename(QStringLiteral("sub"), QStringLiteral("elsewhere")));
    AnswerModal([](QWidget* box) { ClickBox(box, QMessageBox::Ok); });
    f.Click(f.Main->actSave);
    QTRY_COMPARE_WITH_TIMEOUT(ShellFixture::App()->ShownErrors.size(), 1, 5000);
    QVERIFY(f.Main->Modified());
    QCOMPARE(f.Main->FileName(), path);
    QFile moved(f.Path(QStringLiteral("elsewhere/kept.kvdui")));
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), QByteArray("<ui/>"));
}

void TestMainWindow::exitOnModifiedDocument() {
    ShellFixture f;
    f.NewWithButton();
    // Yes on a never-saved document asks for a name; cancelling that keeps the program running.
    AnswerModal([](QWidget* modal) {
        ClickBox(modal, QMessageBox::Yes);
        AnswerModal([](QWidget* dialog) { AnswerFileDialog(dialog, QString()); });
    });
    f.Click(f.Main->actExit);
    f.Settle(300);
    QVERIFY(f.Main->isVisible());
    QVERIFY(f.Main->Modified());
    // No closes it.
    AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::No); });
    f.Click(f.Main->actExit);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Main->isVisible(), 5000);
}

void TestMainWindow::undoRedoAfterOpen() {
    ShellFixture f;
    f.NewWithButton();
    f.Insert("TKvdUIPanel", QRect(100, 100, 100, 100));
    const QString path = f.Path(QStringLiteral("two.kvdui"));
    AnswerModal([&](QWidget* modal) { AnswerFileDialog(modal, path); });
    f.Click(f.Main->actSaveAs);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Main->Modified(), 5000);
    f.Click(f.Main->actClose);
    f.Settle();
    QCOMPARE(f.Main->FileName(), QString());
    f.Main->LoadLayout(path, QString());
    f.Settle();
    const QString loaded = WriteLayout(f.Root());
    QCOMPARE(f.Elements().size(), 2);
    f.Main->ActionList1Update();
    QVERIFY(f.Main->actUndo->isEnabled());
    f.Click(f.Main->actUndo);
    f.Settle();
    QCOMPARE(f.Elements().size(), 0);
    QCOMPARE(f.Tree(), QStringList{QStringLiteral("0:two")});
    // The empty surface is not what the file holds: a change that Save and quitting ask about.
    QVERIFY(f.Main->Modified());
    f.Click(f.Main->actRedo);
    f.Settle();
    QCOMPARE(WriteLayout(f.Root()), loaded);
    QCOMPARE(f.Tree().size(), 3);
    QVERIFY(!f.Main->Modified());
    QCOMPARE(f.Main->FileName(), path);
}

void TestMainWindow::undoLimitAndBursts() {
    ShellFixture f;
    f.NewWithButton();
    f.Settle();
    auto* button = f.Elements().first();
    // Twelve changes, each its own burst.
    for (int i = 1; i <= 11; ++i) {
        button->SetLeft(20 + 2 * i);
        f.Settle();
    }
    QCOMPARE(f.Main->History()->UndoCount(), 10);
    // Three changes within 50 ms of each other are one step.
    button->SetTop(40);
    button->SetTop(42);
    button->SetTop(44);
    f.Settle();
    QCOMPARE(f.Main->History()->UndoCount(), 10);
    QCOMPARE(f.Main->History()->Current(), WriteLayout(f.Root()));
    f.Click(f.Main->actUndo);
    f.Settle();
    QCOMPARE(f.Elements().first()->Top(), 20);
    QCOMPARE(f.Elements().first()->Left(), 42);
    // A new change after Undo drops Redo.
    f.Main->ActionList1Update();
    QVERIFY(f.Main->actRedo->isEnabled());
    f.Elements().first()->SetLeft(100);
    f.Settle();
    f.Main->ActionList1Update();
    QVERIFY(!f.Main->actRedo->isEnabled());
}

void TestMainWindow::errorsReachTheMessageBox() {
    ShellFixture f;
    // A port that is not a number: the message is shown and the mark does not claim a connection.
    AnswerModal([](QWidget* modal) {
        auto* port = modal->findChild<QLineEdit*>(QStringLiteral("edPort"));
        port->selectAll();
        QTest::keyClicks(port, QStringLiteral("29x"));
        QTest::keyClick(port, Qt::Key_Return);
        AnswerModal([](QWidget* box) { ClickBox(box, QMessageBox::Ok); });
    });
    f.Click(f.Main->actPreview);
    QTRY_COMPARE_WITH_TIMEOUT(ShellFixture::App()->ShownErrors,
                              QStringList{QStringLiteral("'29x' is not a valid integer value")}, 5000);
    f.Settle();
    QVERIFY(!f.Main->actPreview->isChecked());
    QVERIFY(f.Main->isVisible());
}

// Help -> User guide finds the guide of a program run from its build, and every picture the guide shows
// is there.
void TestMainWindow::userGuideIsFoundWithItsPictures() {
    ShellFixture f;
    QVERIFY(f.Main->actUserGuide);
    QCOMPARE(f.Main->actUserGuide->shortcut(), QKeySequence(QKeySequence::HelpContents));
    const QString guide = TfrmMain::UserGuideFile();
    QVERIFY(guide.endsWith(QLatin1String("/guide.md")));
    QFile file(guide);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpression picture(QStringLiteral(R"(!\[[^\]]*\]\(([^)]+)\))"));
    int pictures = 0;
    for (auto it = picture.globalMatch(text); it.hasNext(); ++pictures) {
        const QString name = it.next().captured(1);
        QVERIFY2(QFileInfo(QFileInfo(guide).dir().filePath(name)).isFile(), qPrintable(name));
    }
    QVERIFY(pictures >= 5);
}

KVD_SHELL_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
