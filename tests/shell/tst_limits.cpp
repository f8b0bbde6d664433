// What the window does at the edges of a layout: IDs past 255, a layout with every ID in use, nesting as
// deep as Open reads, a layout Save must refuse, and Undo or Redo across a save.

#include "ShellFixture.h"
#include "core/ClassRegistry.h"
#include "designer/ELDsgnrArrange.h"
#include "layout/KvdUILayoutFile.h"

#include <QClipboard>

#include <functional>

namespace {

QString ButtonXml(int id, int left = 0, int top = 0, const QString& inner = QString(),
                  const char* type = "TKvdUIButton") {
    return QStringLiteral(
               "<element type=\"%1\" align=\"0\" anchors=\"akLeft,akTop\" rel_left=\"%2\" rel_top=\"%3\" "
               "width=\"%5\" height=\"%5\" id=\"%4\" text=\"\" typein=\"0\" bstyle=\"32\" left=\"0\" "
               "top=\"0\">%6</element>")
        .arg(QLatin1String(type))
        .arg(left)
        .arg(top)
        .arg(id)
        .arg(inner.isEmpty() ? 20 : 300)
        .arg(inner);
}

void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

// Runs act, which must show an error box, and closes the box.
void Refused(const std::function<void()>& act) {
    const auto answered = AnswerModal([](QWidget* box) { ClickBox(box, QMessageBox::Ok); });
    act();
    QTRY_VERIFY_WITH_TIMEOUT(*answered, 5000);
}

void Select(ShellFixture& f, TControl* c) {
    f.Main->ELDesigner1->SelectedControls()->Clear();
    f.Main->ELDesigner1->SelectedControls()->SetSelection({c});
    f.Main->ActionList1Update();
}

} // namespace

class TestLimits : public QObject {
    Q_OBJECT

private slots:
    void idsPastTheTopTakeTheLowestFree();
    void everyIdInUseRefusesAdding();
    void nestingAsDeepAsOpenReads();
    void saveRefusesWhatOpenWouldRefuse();
    void duplicateRefusedPastTheSizeOpenReads();
    void undoAcrossSaveIsAChange();
};

void TestLimits::idsPastTheTopTakeTheLowestFree() {
    ShellFixture f;
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt({QRect(20, 20, 40, 20), QRect(100, 20, 40, 20)});
    e[1]->SetID(255);
    for (int round = 0; round < 3; ++round) {
        Select(f, e[0]);
        f.Main->Execute(f.Main->actDuplicate);
    }
    f.Insert("TKvdUIText", QRect(200, 200, 60, 20));
    QList<int> ids;
    for (TKvdUIElement* element : f.Elements())
        ids << element->ID();
    QCOMPARE(ids, (QList<int>{0, 255, 1, 2, 3, 4}));
    QVERIFY(f.App()->ShownErrors.isEmpty());
}

void TestLimits::everyIdInUseRefusesAdding() {
    ShellFixture f(false);
    QString body;
    for (int id = 0; id < 256; ++id)
        body += ButtonXml(id, (id % 16) * 24, (id / 16) * 24);
    const QString path = f.Path(QStringLiteral("full.kvdui"));
    WriteText(path, QStringLiteral("<ui>%1</ui>").arg(body));
    f.Start(TFileName(path));
    QTRY_COMPARE_WITH_TIMEOUT(f.Elements().size(), 256, 5000);
    const int undoCount = f.Main->History()->UndoCount();

    // Duplicate, paste and the insertion tool are each refused as a whole, with the reason.
    Select(f, f.Elements().at(3));
    f.Main->Execute(f.Main->actCopy);
    Refused([&] { f.Main->Execute(f.Main->actDuplicate); });
    Refused([&] { f.Main->Execute(f.Main->actPaste); });
    Refused([&] { f.Insert("TKvdUIText", QRect(200, 390, 20, 8)); });
    f.Settle();
    QCOMPARE(f.Elements().size(), 256);
    QCOMPARE(f.App()->ShownErrors.size(), 3);
    for (const QString& error : std::as_const(f.App()->ShownErrors))
        QVERIFY2(error.contains(QStringLiteral("Every ID from 0 to 255 is in use")), qPrintable(error));
    QCOMPARE(f.Tree().size(), 257);
    QCOMPARE(f.Main->History()->UndoCount(), undoCount);

    // With one ID free again, one element can be added, and it takes that ID.
    delete f.Elements().at(100);
    f.Settle();
    Select(f, f.Elements().at(3));
    f.Main->Execute(f.Main->actDuplicate);
    f.Settle();
    QCOMPARE(f.Elements().size(), 256);
    QCOMPARE(f.App()->ShownErrors.size(), 3);
    QCOMPARE(f.Elements().last()->ID(), 100);
}

void TestLimits::nestingAsDeepAsOpenReads() {
    ShellFixture f(false);
    // Panels nested 99 deep with a button in the innermost: 100 levels, the deepest Open reads.
    QString inner = ButtonXml(200);
    for (int level = 99; level >= 1; --level)
        inner = ButtonXml(level, 0, 0, inner, "TKvdUIPanel");
    const QString path = f.Path(QStringLiteral("deep.kvdui"));
    WriteText(path, QStringLiteral("<ui>%1</ui>").arg(inner));
    f.Start(TFileName(path));
    QTRY_COMPARE_WITH_TIMEOUT(f.Elements().size(), 100, 5000);
    TKvdUIElement* innermostPanel = nullptr;
    for (TKvdUIElement* e : f.Elements())
        if (e->ID() == 99)
            innermostPanel = e;
    QVERIFY(innermostPanel);
    QCOMPARE(ElementDepth(f.Root()), 100);

    // A button pasted into the innermost panel would be the 101st level.
    TKvdUIElement* button = innermostPanel->findChild<TKvdUIElement*>();
    QVERIFY(button);
    Select(f, button);
    f.Main->Execute(f.Main->actCopy);
    // Paste goes into the container of the selection: with the button selected, the innermost panel.
    f.Main->Execute(f.Main->actPaste);
    f.Settle();
    QCOMPARE(f.Elements().size(), 101); // beside the button, in the same panel: still 100 levels
    QVERIFY(f.App()->ShownErrors.isEmpty());
    // A panel holding the innermost panel's copy goes one level deeper: refused.
    Select(f, innermostPanel);
    f.Main->Execute(f.Main->actCopy);
    Select(f, button);
    Refused([&] { f.Main->Execute(f.Main->actPaste); });
    f.Settle();
    QCOMPARE(f.Elements().size(), 101);
    QCOMPARE(f.App()->ShownErrors.size(), 1);
    QVERIFY2(
        f.App()->ShownErrors.first().contains(QStringLiteral("more than 100 levels deep cannot be opened")),
        qPrintable(f.App()->ShownErrors.first()));
    QCOMPARE(ElementDepth(f.Root()), 100);
}

void TestLimits::saveRefusesWhatOpenWouldRefuse() {
    ShellFixture f;
    f.NewWithButton();
    const QString path = f.Path(QStringLiteral("kept.kvdui"));
    AnswerModal([&](QWidget* modal) { AnswerFileDialog(modal, path); });
    f.Click(f.Main->actSaveAs);
    QTRY_COMPARE_WITH_TIMEOUT(f.Main->FileName(), path, 5000);
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    saved.close();

    // Built past the designer's checks: 101 levels of panels, then a caption with a control character.
    QWidget* parent = f.Root();
    TControl* outermost = nullptr;
    for (int level = 0; level < 101; ++level) {
        TControl* panel = ClassRegistry::Find(QStringLiteral("TKvdUIPanel"))->Create(f.Root());
        panel->SetParentControl(parent);
        outermost = outermost ? outermost : panel;
        parent = panel;
    }
    f.Settle();
    QVERIFY(f.Main->Modified());
    Refused([&] { f.Click(f.Main->actSave); });
    f.Settle();
    QCOMPARE(f.App()->ShownErrors.size(), 1);
    QVERIFY2(f.App()->ShownErrors.first().contains(QStringLiteral("nested more than 100 levels deep")),
             qPrintable(f.App()->ShownErrors.first()));
    QVERIFY(f.Main->Modified());
    delete outermost;
    f.Settle();

    f.Elements().first()->SetText(QStringLiteral("Pit\u0001stop"));
    f.Settle();
    Refused([&] { f.Click(f.Main->actSave); });
    f.Settle();
    QCOMPARE(f.App()->ShownErrors.size(), 2);
    QVERIFY2(f.App()->ShownErrors.last().contains(QStringLiteral("control character")),
             qPrintable(f.App()->ShownErrors.last()));
    QVERIFY(f.Main->Modified());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), before);
}

// Two buttons with 20-MB captions: one duplicate (60 MB) is taken, the next would pass the 64 MB Open
// reads and is refused as a whole, before the layout is one Save would refuse.
void TestLimits::duplicateRefusedPastTheSizeOpenReads() {
    ShellFixture f;
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt({QRect(20, 20, 40, 20), QRect(100, 20, 40, 20)});
    const QString caption(20 * 1024 * 1024, QLatin1Char('x'));
    for (TKvdUIElement* element : e)
        element->SetText(caption);
    f.Settle();
    Select(f, e[0]);
    f.Main->Execute(f.Main->actDuplicate);
    f.Settle();
    QCOMPARE(f.Elements().size(), 3);
    QVERIFY(f.App()->ShownErrors.isEmpty());
    const int undoCount = f.Main->History()->UndoCount();
    Select(f, e[1]);
    Refused([&] { f.Main->Execute(f.Main->actDuplicate); });
    f.Settle();
    QCOMPARE(f.Elements().size(), 3);
    QCOMPARE(f.App()->ShownErrors.size(), 1);
    QVERIFY2(f.App()->ShownErrors.first().contains(QStringLiteral("larger than 64 MB, which Open refuses")),
             qPrintable(f.App()->ShownErrors.first()));
    QCOMPARE(f.Main->History()->UndoCount(), undoCount);
}

void TestLimits::undoAcrossSaveIsAChange() {
    ShellFixture f;
    f.NewWithButton();
    f.Settle();
    f.Insert("TKvdUIText", QRect(100, 100, 60, 20));
    f.Settle();
    const QString path = f.Path(QStringLiteral("undo.kvdui"));
    AnswerModal([&](QWidget* modal) { AnswerFileDialog(modal, path); });
    f.Click(f.Main->actSaveAs);
    QTRY_COMPARE_WITH_TIMEOUT(f.Main->FileName(), path, 5000);
    QVERIFY(!f.Main->Modified());
    const QString saved = WriteLayout(f.Root());

    // The history may hold the saved state twice (the insertion and the tool's reset): undo until the
    // surface shows something else.
    for (int step = 0; step < 5 && WriteLayout(f.Root()) == saved; ++step) {
        f.Click(f.Main->actUndo);
        f.Settle();
        QCOMPARE(f.Main->Modified(), WriteLayout(f.Root()) != saved);
    }
    QVERIFY(WriteLayout(f.Root()) != saved);
    QVERIFY(f.Main->Modified());
    f.Main->ActionList1Update();
    QVERIFY(f.Main->actSave->isEnabled());
    // Redo comes back to the saved layout: nothing to save then.
    for (int step = 0; step < 5 && WriteLayout(f.Root()) != saved; ++step) {
        f.Click(f.Main->actRedo);
        f.Settle();
    }
    QCOMPARE(WriteLayout(f.Root()), saved);
    QVERIFY(!f.Main->Modified());
}

KVD_SHELL_TEST_MAIN(TestLimits)
#include "tst_limits.moc"
