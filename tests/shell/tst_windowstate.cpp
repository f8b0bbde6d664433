// What the main window remembers and takes from the desktop: the splitter positions and the inspector's
// name column across restarts, a name column that fits the property names in the font in use, layouts
// dropped from a file manager, and recent-file entries that stay valid from another working folder.

#include "ShellFixture.h"
#include "tests/TestFiles.h"

#include <QMimeData>
#include <QSplitter>
#include <QStandardPaths>
#include <QUrl>

namespace {

// Sends a drag that enters the window and drops there; returns whether the window took it.
bool Drop(QWidget* window, QMimeData* data) {
    const QPoint at(window->width() / 2, window->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
    enter.setAccepted(false);
    QApplication::sendEvent(window, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
    drop.setAccepted(false);
    QApplication::sendEvent(window, &drop);
    QCoreApplication::processEvents();
    return enter.isAccepted() && drop.isAccepted();
}

QMimeData* Urls(const QList<QUrl>& urls) {
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

} // namespace

class TestWindowState : public QObject {
    Q_OBJECT

private slots:
    void splittersAndNameColumnAreRemembered() {
        ShellFixture f;
        TfrmMain* m = f.Main.get();
        // The first start gives the panes their usual sizes.
        QCOMPARE(m->Splitter1->sizes().value(0), 210);
        QCOMPARE(m->Splitter2->sizes().value(1), 184);
        QCOMPARE(m->Splitter3->sizes().value(1), 89);
        const int defaultColumn = m->ELPropertyInspector1->Splitter();

        const auto set = [](QSplitter* splitter, int index, int size) {
            QList<int> sizes = splitter->sizes();
            sizes[1 - index] += sizes[index] - size;
            sizes[index] = size;
            splitter->setSizes(sizes);
        };
        set(m->Splitter1, 0, 190);
        set(m->Splitter2, 1, 140);
        set(m->Splitter3, 1, 100);
        // The name column dragged by its edge, as the user does.
        QWidget* grid = m->ELPropertyInspector1->viewport();
        QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(defaultColumn, 5));
        QTest::mouseMove(grid, QPoint(defaultColumn + 20, 5));
        QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(defaultColumn + 20, 5));
        QCOMPARE(m->ELPropertyInspector1->Splitter(), defaultColumn + 20);
        f.Stop();

        {
            QSettings ini(f.Ini(), QSettings::IniFormat);
            QCOMPARE(ini.value(QStringLiteral("frmMain/TreeWidth")).toInt(), 190);
            QCOMPARE(ini.value(QStringLiteral("frmMain/InspectorHeight")).toInt(), 140);
            QCOMPARE(ini.value(QStringLiteral("frmMain/LogHeight")).toInt(), 100);
            QCOMPARE(ini.value(QStringLiteral("frmMain/NameColumn")).toInt(), defaultColumn + 20);
        }
        f.Start();
        m = f.Main.get();
        QCOMPARE(m->Splitter1->sizes().value(0), 190);
        QCOMPARE(m->Splitter2->sizes().value(1), 140);
        QCOMPARE(m->Splitter3->sizes().value(1), 100);
        QCOMPARE(m->ELPropertyInspector1->Splitter(), defaultColumn + 20);
        f.Stop();

        // Unreadable positions are absent ones.
        {
            QSettings ini(f.Ini(), QSettings::IniFormat);
            ini.setValue(QStringLiteral("frmMain/TreeWidth"), QStringLiteral("wide"));
            ini.setValue(QStringLiteral("frmMain/NameColumn"), QStringLiteral("narrow"));
        }
        f.Start();
        QCOMPARE(f.Main->Splitter1->sizes().value(0), 210);
        QCOMPARE(f.Main->ELPropertyInspector1->Splitter(), defaultColumn);
    }

    // Every property name the inspector shows fits its column, at the font the program uses and at a
    // larger one.
    void nameColumnFitsThePropertyNames_data() {
        QTest::addColumn<int>("pointSize");
        QTest::newRow("program font") << 0;
        QTest::newRow("12 point") << 12;
    }

    void nameColumnFitsThePropertyNames() {
        QFETCH(int, pointSize);
        const QFont previous = QApplication::font();
        if (pointSize) {
            QFont font = previous;
            font.setPointSize(pointSize);
            QApplication::setFont(font);
        }
        {
            ShellFixture f;
            TELPropertyInspector* insp = f.Main->ELPropertyInspector1;
            f.Click(f.Main->actNew);
            QStringList captions;
            for (QAction* tool : {ToolOf(f.Main.get(), "TKvdUIPanel"), ToolOf(f.Main.get(), "TKvdUIButton"),
                                  ToolOf(f.Main.get(), "TKvdUIText")}) {
                f.Insert(tool, QRect(10, 10 + 60 * int(captions.size() % 3), 50, 30));
                captions << f.InspectorRows();
            }
            QVERIFY(captions.contains(QStringLiteral("InputLength")));
            QVERIFY(captions.contains(QStringLiteral("Alignment")));
            const QFontMetrics metrics(insp->font());
            for (const QString& caption : captions)
                QVERIFY2(13 + metrics.horizontalAdvance(caption) + 2 <= insp->Splitter(),
                         qPrintable(caption));
        }
        QApplication::setFont(previous);
    }

    void droppedLayoutOpensAfterTheSaveQuestion() {
        ShellFixture f;
        const QString file = f.Path(QStringLiteral("dropped.kvdui"));
        WriteFile(file, "<ui/>");
        f.NewWithButton(QRect(10, 10, 60, 30));
        QVERIFY(f.Main->Modified());

        // Cancel keeps the document.
        std::unique_ptr<QMimeData> data(Urls({QUrl::fromLocalFile(file)}));
        auto asked = AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::Cancel); });
        QVERIFY(Drop(f.Main.get(), data.get()));
        QTRY_VERIFY_WITH_TIMEOUT(*asked, 5000);
        QTest::qWait(50);
        QCOMPARE(f.Main->DocumentName(), QStringLiteral("Unsaved.kvdui"));
        QCOMPARE(f.Elements().size(), 1);

        // No drops the changes and opens the file.
        asked = AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::No); });
        QVERIFY(Drop(f.Main.get(), data.get()));
        QTRY_VERIFY_WITH_TIMEOUT(*asked, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(f.Main->FileName(), file, 5000);
        QCOMPARE(f.Elements().size(), 0);
        QCOMPARE(f.Main->RecentFiles().value(0), file);
        QVERIFY(f.App()->ShownErrors.isEmpty());
    }

    void otherDropsAreIgnored_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("text file") << 0;
        QTest::newRow("two layouts") << 1;
        QTest::newRow("web address") << 2;
        QTest::newRow("plain text") << 3;
    }

    void otherDropsAreIgnored() {
        QFETCH(int, kind);
        ShellFixture f;
        const QString layout = f.Path(QStringLiteral("a.kvdui"));
        const QString text = f.Path(QStringLiteral("notes.txt"));
        WriteFile(layout, "<ui/>");
        WriteFile(text, "<ui/>");
        f.NewWithButton(QRect(10, 10, 60, 30));
        std::unique_ptr<QMimeData> data;
        switch (kind) {
        case 0:
            data.reset(Urls({QUrl::fromLocalFile(text)}));
            break;
        case 1:
            data.reset(Urls({QUrl::fromLocalFile(layout), QUrl::fromLocalFile(layout)}));
            break;
        case 2:
            data.reset(Urls({QUrl(QStringLiteral("https://example.org/a.kvdui"))}));
            break;
        default:
            data.reset(new QMimeData);
            data->setText(layout);
            break;
        }
        auto asked = AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::Cancel); });
        QVERIFY(!Drop(f.Main.get(), data.get()));
        QTest::qWait(100);
        QVERIFY(!*asked);
        QCOMPARE(f.Main->DocumentName(), QStringLiteral("Unsaved.kvdui"));
        QCOMPARE(f.Elements().size(), 1);
        QVERIFY(f.LogLines().isEmpty());
        QVERIFY(f.App()->ShownErrors.isEmpty());
    }

    // Installed for every user (under /usr, or Program Files on Windows) the program keeps its settings
    // per user, even where it could write beside itself (as the superuser or an administrator can).
    void installedProgramKeepsSettingsPerUser() {
        QStandardPaths::setTestModeEnabled(true);
        const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                                QStringLiteral("/KvdUIBuilder.ini");
#ifdef Q_OS_WIN
        const QString programFiles = qEnvironmentVariable("ProgramFiles");
        QVERIFY(!programFiles.isEmpty());
        QCOMPARE(
            TSettingsFile::FileFor(programFiles + QStringLiteral("\\Korvadia UI Builder\\KvdUIBuilder.exe")),
            perUser);
        QCOMPARE(TSettingsFile::FileFor(programFiles.toUpper() + QStringLiteral("/Kvd/bin/KvdUIBuilder.exe")),
                 perUser);
#else
        QCOMPARE(TSettingsFile::FileFor(QStringLiteral("/usr/bin/KvdUIBuilder")), perUser);
        QCOMPARE(TSettingsFile::FileFor(QStringLiteral("/usr/local/bin/KvdUIBuilder")), perUser);
#endif
        QStandardPaths::setTestModeEnabled(false);
    }

    void relativeStartupFileIsRecentAsAbsolute() {
        ShellFixture f(false);
        WriteFile(f.Path(QStringLiteral("rel.kvdui")), "<ui/>");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(f.Dir.path()));
        f.Start(QStringLiteral("rel.kvdui"));
        QTRY_COMPARE_WITH_TIMEOUT(f.Main->FileName(), QStringLiteral("rel.kvdui"), 2000);
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(f.Main->RecentFiles(),
                 QStringList{QFileInfo(f.Path(QStringLiteral("rel.kvdui"))).absoluteFilePath()});
        f.Stop();
        QSettings ini(f.Ini(), QSettings::IniFormat);
        QVERIFY(QFileInfo(ini.value(QStringLiteral("MRU/File0")).toString()).isAbsolute());
    }
};

KVD_SHELL_TEST_MAIN(TestWindowState)
#include "tst_windowstate.moc"
