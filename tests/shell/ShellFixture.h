#pragma once
// The real main window in a test: a temporary settings file, the application's error handler, and
// helpers that click actions, answer modal dialogs and drive the design surface with real mouse events.

#define QTEST_QPA_MOUSE_HANDLING
#include "designer/ELDsgnr.h"
#include "inspector/ELPropInspInspector.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUIElementKinds.h"
#include "layout/KvdUILayoutFile.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_Recovery.h"
#include "shell/KvdUIBuilder_frmMain.h"
#include "tests/Screenshot.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <memory>

#define KVD_SHELL_TEST_MAIN(TestClass)                                                                       \
    int main(int argc, char** argv) {                                                                        \
        TKvdApplication app(argc, argv);                                                                     \
        InitApplication();                                                                                   \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

// Calls act with the next modal dialog once it is up. Polls every 10 ms and gives up after 5 s; the
// returned flag tells whether it ran.
inline std::shared_ptr<bool> AnswerModal(std::function<void(QWidget*)> act) {
    auto done = std::make_shared<bool>(false);
    auto tries = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> weakPoll = poll;
    *poll = [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            *done = true;
            QPointer<QWidget> answered = modal;
            act(modal);
            // A dialog the answer did not close would hold the test forever: it is rejected after 5 s.
            QTimer::singleShot(5000, [answered] {
                if (auto* dialog = qobject_cast<QDialog*>(answered.data()); dialog && dialog->isVisible())
                    dialog->reject();
            });
            return;
        }
        if (++*tries < 500)
            if (auto next = weakPoll.lock())
                QTimer::singleShot(10, [next] { (*next)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
    return done;
}

// The insertion tool of the element kind with that class name.
inline QAction* ToolOf(TfrmMain* main, const char* className) {
    const TKvdUIElementKind* kind = ElementKindNamed(QLatin1String(className));
    return kind ? main->ToolAction(*kind) : nullptr;
}

// Clicks the standard button of a message box.
inline void ClickBox(QWidget* modal, QMessageBox::StandardButton which) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY2(box, "the modal window is not a message box");
    QTest::mouseClick(box->button(which), Qt::LeftButton);
}

// Types a file name into a file dialog and presses Enter (empty: Esc).
inline void AnswerFileDialog(QWidget* modal, const QString& name) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY2(dialog, "the modal window is not a file dialog");
    if (name.isEmpty()) {
        QTest::keyClick(dialog, Qt::Key_Escape);
        return;
    }
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(edit && buttons);
    // Set directly: typing would open the name completer, which takes the Enter key.
    edit->setText(name);
    QPushButton* accept = buttons->button(
        dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save : QDialogButtonBox::Open);
    QVERIFY(accept && accept->isEnabled());
    QTest::mouseClick(accept, Qt::LeftButton);
}

struct ShellFixture {
    QTemporaryDir Dir;
    std::unique_ptr<TfrmMain> Main;

    explicit ShellFixture(bool show = true) {
        TSettingsFile::SetProgramFileOverride(Dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
        TRecoveryStore::SetFolderOverride(Dir.filePath(QStringLiteral("recovery")));
        App()->ShownErrors.clear();
        if (show)
            Start();
    }
    ~ShellFixture() { Main.reset(); }

    static TKvdApplication* App() { return static_cast<TKvdApplication*>(qApp); }
    QString Ini() const { return Dir.filePath(QStringLiteral("KvdUIBuilder.ini")); }
    QString Path(const QString& name) const { return Dir.filePath(name); }

    void Start(const TFileName& startupFile = TFileName()) {
        Main = std::make_unique<TfrmMain>();
        Main->StartupFile = startupFile;
        Main->ShowByPlacement();
        QVERIFY(QTest::qWaitForWindowExposed(Main.get()));
        Main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Main.get()));
        Settle();
    }
    // Closes the window the way the user does and destroys it (writing the settings).
    void Stop() {
        Main->close();
        Main.reset();
    }

    // Lets queued work run and waits (bounded) until a pending refresh has run, however loaded the machine.
    // Runs what the last step left to do: the queued calls and deferred errors, then the refresh run once
    // its timer fires; with ms, also a fixed wait first (for what arrives from outside, such as a peer).
    void Settle(int ms = 0) {
        if (ms > 0)
            QTest::qWait(ms);
        for (int round = 0; round < 2; ++round) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            for (int i = 0; i < 400 && Main && Main->Timer1->isActive(); ++i)
                QTest::qWait(5);
        }
    }

    // Clicks the action's tool-bar button; actions without one are triggered from the event loop, so
    // that their errors reach the application's handler as from a menu.
    void Click(QAction* action) {
        Main->ActionList1Update();
        if (QWidget* button = Main->ToolBar1->widgetForAction(action)) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            QTimer::singleShot(0, Main.get(), [this, action] { Main->Execute(action); });
            QTest::qWait(20);
        }
    }

    TDPForm* Surface() const { return Main->ELDesignPanel1->Surface(); }
    TControl* Root() const { return Main->RootControl(); }

    // Inserts an element with a tool by dragging a rectangle on the surface (root coordinates).
    void Insert(QAction* tool, const QRect& r, QWidget* on = nullptr) {
        Click(tool);
        QWidget* target = on ? on : Surface();
        QTest::mousePress(target, Qt::LeftButton, {}, r.topLeft());
        QTest::mouseMove(target, r.topLeft() + QPoint(r.width() / 2, r.height() / 2));
        QTest::mouseMove(target, r.bottomRight());
        QTest::mouseRelease(target, Qt::LeftButton, {}, r.bottomRight());
        QCoreApplication::processEvents();
    }
    // Inserts an element with the tool of its class.
    void Insert(const char* className, const QRect& r, QWidget* on = nullptr) {
        Insert(ToolOf(Main.get(), className), r, on);
    }
    // A new document with one button inserted with the tool.
    void NewWithButton(const QRect& r = QRect(20, 20, 60, 30)) {
        Click(Main->actNew);
        Insert("TKvdUIButton", r);
    }
    // A new document with one button per rectangle, placed exactly there. Each is inserted with the tool
    // on a spot the rectangles leave free and then put in its place.
    QList<TKvdUIElement*> NewWithButtonsAt(const QList<QRect>& rects) {
        Click(Main->actNew);
        Settle();
        for (const QRect& r : rects) {
            Insert("TKvdUIButton", QRect(360, 360, 20, 20));
            Elements().last()->SetBounds(r.x(), r.y(), r.width(), r.height());
        }
        Settle();
        return Elements();
    }
    // A new document with a panel holding two buttons and a text beside it, inserted with the tools;
    // returns the panel.
    TKvdUIElement* NewPanelWithButtonsAndText() {
        Click(Main->actNew);
        Insert("TKvdUIPanel", QRect(20, 20, 200, 200));
        TKvdUIElement* panel = Elements().at(0);
        Insert("TKvdUIButton", QRect(10, 10, 40, 20), panel);
        Insert("TKvdUIButton", QRect(60, 10, 40, 20), panel);
        Insert("TKvdUIText", QRect(250, 250, 80, 20));
        return panel;
    }
    // Selects by clicking inside a control.
    void ClickOn(QWidget* w, QPoint p = QPoint(3, 3), Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(w, Qt::LeftButton, keys, p);
        QCoreApplication::processEvents();
    }

    QList<TKvdUIElement*> Elements() const {
        QList<TKvdUIElement*> list;
        for (TControl* c : Root()->OwnedComponents())
            if (auto* e = qobject_cast<TKvdUIElement*>(c))
                list << e;
        return list;
    }
    QStringList LogLines() const {
        return Main->Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // The tree as text: one "depth:text" entry per node, in order.
    QStringList Tree() const {
        QStringList out;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
            out << QStringLiteral("%1:%2").arg(depth).arg(item->text(0));
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i), depth + 1);
        };
        for (int i = 0; i < Main->TreeView1->topLevelItemCount(); ++i)
            walk(Main->TreeView1->topLevelItem(i), 0);
        return out;
    }
    QStringList InspectorRows() const {
        QStringList rows;
        TELPropsPageItems* items = Main->ELPropertyInspector1->Items();
        for (int i = 0; i < items->Count(); ++i)
            rows << items->Item(i)->Caption();
        return rows;
    }
    QString Title() const { return Main->windowTitle(); }

    static void SaveShot(QWidget* w, const QString& name) { SaveScreenshot(w, name); }
};
