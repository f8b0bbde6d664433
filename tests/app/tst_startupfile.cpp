// The builder's file argument keeps its bytes from the command line to the open: a layout whose name is
// not valid UTF-8 opens at start-up, and Save then says why it needs a name instead of writing a file
// under a different, mangled one.

#include "core/CommandLine.h"
#include "core/FileName.h"
#include "shell/KvdUIBuilder_Recovery.h"
#include "tests/TestFiles.h"
#include "tests/shell/ShellFixture.h"

#include <unistd.h>

namespace {

QByteArray ReadByName(const QByteArray& path) {
    QFile file;
    TFileFacts facts;
    return OpenForReading(TFileName::FromBytes(path), file, facts).isEmpty() ? file.readAll() : QByteArray();
}

const QByteArray Layout =
    R"(<ui><element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="20" rel_top="20" )"
    R"(width="60" height="30" id="1" text="Go" typein="0" bstyle="40"/></ui>)";

} // namespace

class TestStartupFile : public QObject {
    Q_OBJECT

private slots:
    // The file argument comes out of the command-line parser with the bytes it went in with, also when
    // another argument would show the same ("\xe9" and "\xe8" both show as U+FFFD); "--" ends the options,
    // and the application object sees only what comes before it.
    void argumentKeepsItsBytes() {
        QByteArray words[] = {"KvdUIBuilder", "-style", "\xe9", "--", "-caf\xe8.kvdui"};
        char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(), words[4].data()};
        QCommandLineParser parser;
        parser.addPositionalArgument(QStringLiteral("file"), QString());
        QVERIFY(!ParseCommandLine(parser, ArgumentList(5, argv), QStringLiteral("KvdUIBuilder")));
        QCOMPARE(parser.positionalArguments().size(), 1);
        const TFileName name(parser.positionalArguments().first());
        QCOMPARE(name.Bytes(), QByteArray("-caf\xe8.kvdui"));
        QVERIFY(!name.IsText());
        QCOMPARE(name.Text(), QStringLiteral("-caf\uFFFD.kvdui"));
        QCOMPARE(QtArgumentCount(5, argv), 3);

        // Valid UTF-8 is plain text, the same name as a dialog would give.
        QByteArray accented("caf\xc3\xa9.kvdui");
        const TFileName text(ArgumentText(accented.constData()));
        QVERIFY(text.IsText());
        QCOMPARE(text.Text(), QStringLiteral("caf\u00e9.kvdui"));
        QVERIFY(text == TFileName(QStringLiteral("caf\u00e9.kvdui")));
    }

    void nameThatIsNotUtf8OpensAtStartUp() {
        ShellFixture f(false);
        const QByteArray name = QFile::encodeName(f.Dir.path()) + "/caf\xe9.kvdui";
        QVERIFY(WriteByName(name, Layout));
        // The fixture's folder is removed by names as text, which cannot reach this one.
        const auto remove = qScopeGuard([&name] { ::unlink(name.constData()); });
        // As main() hands it over: the argument's text, with its bytes kept.
        f.Start(TFileName(ArgumentText(name.constData())));
        f.Settle();
        QCOMPARE(f.App()->ShownErrors, QStringList());
        QCOMPARE(f.Elements().size(), 1);
        QCOMPARE(f.Elements().first()->Text(), QStringLiteral("Go"));
        QCOMPARE(f.Title(), QStringLiteral("Korvadia UI Builder - [%1]").arg(QFile::decodeName(name)));
        QVERIFY(!f.Main->Modified());
        // The list holds names as text, under which this file would not open again.
        QCOMPARE(f.Main->RecentFiles(), QStringList());

        // Save (of a change) explains, then asks for a name; the file under the odd name is left alone.
        f.Insert("TKvdUIText", QRect(100, 100, 60, 20));
        QVERIFY(f.Main->Modified());
        QString explained;
        const auto answeredSaveAs = std::make_shared<bool>(false);
        const QString chosen = f.Path(QStringLiteral("renamed.kvdui"));
        AnswerModal([&](QWidget* modal) {
            explained =
                qobject_cast<QMessageBox*>(modal) ? qobject_cast<QMessageBox*>(modal)->text() : QString();
            AnswerModal([&, answeredSaveAs](QWidget* dialog) {
                *answeredSaveAs = qobject_cast<QFileDialog*>(dialog) != nullptr;
                AnswerFileDialog(dialog, chosen);
            });
            ClickBox(modal, QMessageBox::Ok);
        });
        f.Click(f.Main->actSave);
        QTRY_VERIFY_WITH_TIMEOUT(*answeredSaveAs, 5000);
        f.Settle();
        QVERIFY2(explained.contains(QStringLiteral("is not valid UTF-8")), qPrintable(explained));
        QCOMPARE(f.App()->ShownErrors, QStringList());
        QCOMPARE(f.Main->FileName(), chosen);
        QVERIFY(QFile::exists(chosen));
        QCOMPARE(ReadByName(name), Layout);
        QCOMPARE(f.Main->RecentFiles(), QStringList{chosen});

        QVERIFY(!f.Main->Modified());
        QCOMPARE(f.Title(), QStringLiteral("Korvadia UI Builder - [%1]").arg(chosen));
    }

    // A missing file with such a name is reported as missing, under the name as it shows; a file that is
    // there but named by its name as text (as a file dialog gives it) is reported as such, not as missing.
    void namesThatDoNotOpenSayWhy() {
        ShellFixture f(false);
        const QByteArray missing = QFile::encodeName(f.Dir.path()) + "/gon\xe9.kvdui";
        AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::Ok); });
        f.Start(TFileName(ArgumentText(missing.constData())));
        QTRY_COMPARE_WITH_TIMEOUT(f.App()->ShownErrors.size(), 1, 5000);
        QCOMPARE(f.App()->ShownErrors.first(),
                 QStringLiteral("Cannot open file \"%1\". No such file or directory")
                     .arg(QFile::decodeName(missing)));
        QCOMPARE(f.Elements().size(), 0);

        const QByteArray there = QFile::encodeName(f.Dir.path()) + "/caf\xe9.kvdui";
        QVERIFY(WriteByName(there, Layout));
        const auto remove = qScopeGuard([&there] { ::unlink(there.constData()); });
        QString message;
        try {
            f.Main->LoadLayout(QFile::decodeName(there), QString());
        } catch (const Exception& e) {
            message = e.Message();
        }
        QCOMPARE(message, QStringLiteral("Cannot open file \"%1\". The file name is not valid UTF-8")
                              .arg(QFile::decodeName(there)));
    }

    // A recovery copy of such a document keeps the name's bytes: Restore names the real file (not one with
    // U+FFFD in its name), and Save explains and asks for a name rather than making another file.
    void restoredCopyKeepsTheNamesBytes() {
        const QByteArray name = QFile::encodeName(QDir::tempPath()) + "/kvd-caf\xe9-" +
                                QByteArray::number(QCoreApplication::applicationPid()) + ".kvdui";
        QVERIFY(WriteByName(name, Layout));
        const auto remove = qScopeGuard([&name] { ::unlink(name.constData()); });
        QTemporaryDir kept;
        {
            // A builder with a change to the file, whose copy is taken as a builder that has gone leaves it.
            ShellFixture gone(false);
            gone.Start(TFileName(ArgumentText(name.constData())));
            gone.Settle();
            gone.Insert("TKvdUIText", QRect(100, 100, 60, 20));
            gone.Settle();
            gone.Main->Recovery()->Flush();
            const QStringList copies =
                QDir(gone.Main->Recovery()->Folder()).entryList({QStringLiteral("*.json")});
            QCOMPARE(copies.size(), 1);
            QVERIFY(QFile::copy(QDir(gone.Main->Recovery()->Folder()).filePath(copies.first()),
                                kept.filePath(copies.first())));
        }
        ShellFixture f(false);
        TRecoveryStore::SetFolderOverride(kept.path());
        const auto offered = AnswerModal([](QWidget* modal) {
            auto* restore = modal->findChild<QPushButton*>(QStringLiteral("restore"));
            QVERIFY(restore);
            restore->click();
        });
        f.Start();
        QTRY_VERIFY_WITH_TIMEOUT(*offered, 5000);
        f.Settle();
        QCOMPARE(f.App()->ShownErrors, QStringList());
        QCOMPARE(f.Elements().size(), 2);
        QVERIFY(f.Main->Modified());
        QCOMPARE(f.Title(), QStringLiteral("Korvadia UI Builder - [%1]").arg(QFile::decodeName(name)));
        QCOMPARE(f.Main->RecentFiles(), QStringList());

        QString explained;
        const auto cancelled = std::make_shared<bool>(false);
        AnswerModal([&](QWidget* modal) {
            explained =
                qobject_cast<QMessageBox*>(modal) ? qobject_cast<QMessageBox*>(modal)->text() : QString();
            AnswerModal([cancelled](QWidget* dialog) {
                *cancelled = qobject_cast<QFileDialog*>(dialog) != nullptr;
                qobject_cast<QDialog*>(dialog)->reject();
            });
            ClickBox(modal, QMessageBox::Ok);
        });
        f.Click(f.Main->actSave);
        QTRY_VERIFY_WITH_TIMEOUT(*cancelled, 5000);
        f.Settle();
        QVERIFY2(explained.contains(QStringLiteral("is not valid UTF-8")), qPrintable(explained));
        QVERIFY(f.Main->Modified());
        QCOMPARE(ReadByName(name), Layout);
        QVERIFY(!QFile::exists(QFile::decodeName(name)));
    }
};

KVD_SHELL_TEST_MAIN(TestStartupFile)
#include "tst_startupfile.moc"
