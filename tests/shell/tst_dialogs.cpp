// The connect, text editor and about dialogs: their controls, keys and results.

#include "shell/KvdUIBuilder_frmAbout.h"
#include "shell/KvdUIBuilder_frmConnect.h"
#include "shell/KvdUIBuilder_frmTextEditor.h"
#include "tests/Screenshot.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// Receives the links the about box asks the platform to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void open(const QUrl& url) { Urls << url; }
};

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Korvadia UI Builder")); }
    void connectDialogKeys_data();
    void connectDialogKeys();
    void connectDialogLayout();
    void textEditorResults_data();
    void textEditorResults();
    void aboutShowsVersionAndOpensLink();

private:
    static void SaveShot(QWidget* w, const QString& name) { SaveScreenshot(w, name); }
    // Runs the dialog modally and, once it is up, calls act on it; returns the dialog's result.
    static int RunModal(QDialog* dialog, const std::function<void()>& act) {
        QTimer::singleShot(0, dialog, [dialog, act] {
            QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), 2000);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            act();
        });
        QTimer::singleShot(5000, dialog, [dialog] { dialog->done(-1); }); // bounded
        return dialog->exec();
    }
};

void TestDialogs::connectDialogKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter connects") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Esc cancels") << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestDialogs::connectDialogKeys() {
    QFETCH(int, key);
    QFETCH(int, result);
    QWidget owner;
    TfrmConnect dialog(&owner);
    dialog.edAddress->setText(QStringLiteral("127.0.0.1"));
    dialog.edPort->setText(QStringLiteral("29999"));
    const int got = RunModal(&dialog, [&] {
        SaveShot(&dialog, QStringLiteral("dialog_connect"));
        QTest::keyClicks(dialog.edPort, QStringLiteral("1"));
        QTest::keyClick(dialog.edPort, Qt::Key(key));
    });
    QCOMPARE(got, result);
    QCOMPARE(dialog.edPort->text(), QStringLiteral("299991"));
}

void TestDialogs::connectDialogLayout() {
    TfrmConnect dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect to Korvadia"));
    QCOMPARE(dialog.size(), QSize(280, 102));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.edAddress->geometry(), QRect(12, 28, 90, 21));
    QCOMPARE(dialog.edPort->geometry(), QRect(112, 28, 90, 21));
    QCOMPARE(dialog.Button1->text(), QStringLiteral("Connect"));
    QCOMPARE(dialog.Button2->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialog.Label1->text(), QStringLiteral("Address"));
    QCOMPARE(dialog.Label2->text(), QStringLiteral("Port"));
    // Tab goes from the address to the port box.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.edAddress->setFocus();
    QTest::keyClick(&dialog, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.edPort));
    QTest::mouseClick(dialog.Button2, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TestDialogs::textEditorResults_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("memo");
    QTest::newRow("OK with two lines") << "one\ntwo" << true << "one\ntwo";
    QTest::newRow("OK with nothing") << "" << true << "";
    QTest::newRow("Cancel") << "changed" << false << "changed";
}

void TestDialogs::textEditorResults() {
    QFETCH(QString, typed);
    QFETCH(bool, ok);
    QFETCH(QString, memo);
    QWidget owner;
    bool focused = false;
    TfrmTextEditor dialog(&owner);
    dialog.setWindowTitle(QStringLiteral("Text property editor"));
    dialog.Memo1->setPlainText(QStringLiteral("old"));
    dialog.Memo1->selectAll();
    const int got = RunModal(&dialog, [&] {
        focused = QApplication::focusWidget() == dialog.Memo1;
        // Typing replaces the selected text; Delete clears it when nothing is typed.
        if (typed.isEmpty())
            QTest::keyClick(dialog.Memo1, Qt::Key_Delete);
        const QStringList lines = typed.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(dialog.Memo1, Qt::Key_Return); // a new line, not the default button
            QTest::keyClicks(dialog.Memo1, lines.at(i));
        }
        SaveShot(&dialog, QStringLiteral("dialog_texteditor"));
        QTest::mouseClick(ok ? dialog.Button1 : dialog.Button2, Qt::LeftButton);
    });
    QCOMPARE(got, ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QVERIFY(focused);
    QCOMPARE(dialog.Memo1->toPlainText(), memo);
    QCOMPARE(dialog.size(), QSize(333, 139));
}

void TestDialogs::aboutShowsVersionAndOpensLink() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    QWidget owner;
    TfrmAbout dialog(&owner);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About Korvadia UI Builder"));
    QCOMPARE(dialog.Label1->text(), QStringLiteral("0.9.1.0"));
    QCOMPARE(dialog.Button1->text(), QStringLiteral("Close"));
    QVERIFY(!dialog.Image1->pixmap().isNull());
    QVERIFY(dialog.Label2->font().underline());
    const int got = RunModal(&dialog, [&] {
        SaveShot(&dialog, QStringLiteral("dialog_about"));
        QTest::mouseClick(dialog.Label2, Qt::LeftButton);
    });
    QCOMPARE(got, int(QDialog::Rejected));
    QCOMPARE(catcher.Urls, QList<QUrl>{QUrl(TfrmAbout::WebPage())});
    // Esc closes it too.
    const int esc = RunModal(&dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(esc, int(QDialog::Rejected));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
