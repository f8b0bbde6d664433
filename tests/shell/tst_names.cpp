// Element names in the window: hidden with the default settings, shown in the tree and edited in the
// Name row with the View option, kept in the settings file; renames refused with a message, undone with
// Undo, and copies named after their originals.

#include "ShellFixture.h"
#include "shell/KvdUIBuilder_NameRow.h"

#include <QClipboard>

namespace {

void Select(ShellFixture& f, TControl* c) {
    f.Main->ELDesigner1->SelectedControls()->Clear();
    f.Main->ELDesigner1->SelectedControls()->SetSelection({c});
    f.Main->ActionList1Update();
}

// Types text into the Name row and leaves it with Enter, as a user does.
void Rename(ShellFixture& f, const QString& text) {
    QLineEdit* edit = f.Main->edtElementName;
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    f.Settle();
}

QStringList Names(const ShellFixture& f) {
    QStringList names;
    for (const TKvdUIElement* e : f.Elements())
        names << e->ElementName();
    return names;
}

} // namespace

class TestNames : public QObject {
    Q_OBJECT

private slots:
    void hiddenByDefault();
    void renameInTheNameRow();
    void copiesGetFreeNames();
    void optionKeptInSettings();
};

void TestNames::hiddenByDefault() {
    ShellFixture f;
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt({QRect(20, 20, 60, 30)});
    e[0]->SetElementName(QStringLiteral("fuel_plus"));
    Select(f, e[0]);
    f.Settle();
    QVERIFY(!f.Main->actElementNames->isChecked());
    QVERIFY(!f.Main->NameRow->isVisible());
    QCOMPARE(f.Tree().last(), QStringLiteral("1:ID = 0"));
    QCOMPARE(f.InspectorRows().size(), 11);
    QVERIFY(!f.InspectorRows().contains(QStringLiteral("ElementName")));
}

void TestNames::renameInTheNameRow() {
    ShellFixture f;
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt({QRect(20, 20, 60, 30), QRect(100, 20, 60, 30)});
    e[1]->SetElementName(QStringLiteral("fuel_minus"));
    f.Settle(); // its own undo step
    f.Main->actElementNames->setChecked(true);
    QVERIFY(f.Main->NameRow->isVisible());
    QCOMPARE(f.Tree().last(), QStringLiteral("1:ID = 1 fuel_minus"));
    Select(f, e[0]);
    QVERIFY(f.Main->edtElementName->isEnabled());
    QCOMPARE(f.Main->edtElementName->text(), QString());

    Rename(f, QStringLiteral("fuel_plus"));
    QCOMPARE(e[0]->ElementName(), QStringLiteral("fuel_plus"));
    QCOMPARE(f.Tree().at(1), QStringLiteral("1:ID = 0 fuel_plus"));
    QVERIFY(f.Main->Modified());
    QVERIFY(WriteLayout(f.Root()).contains(QStringLiteral("name=\"fuel_plus\"")));

    // A taken name and one that is not a name are refused with the reason; the row shows the name again.
    for (const QString& bad : {QStringLiteral("fuel_minus"), QStringLiteral("fuel plus")}) {
        const auto answered = AnswerModal([](QWidget* box) { ClickBox(box, QMessageBox::Ok); });
        Rename(f, bad);
        QTRY_VERIFY_WITH_TIMEOUT(*answered, 5000);
        QCOMPARE(f.Main->edtElementName->text(), QStringLiteral("fuel_plus"));
    }
    QCOMPARE(f.App()->ShownErrors.size(), 2);
    QVERIFY2(f.App()->ShownErrors.at(0).contains(QStringLiteral("already used by the element with ID 1")),
             qPrintable(f.App()->ShownErrors.at(0)));
    QVERIFY2(f.App()->ShownErrors.at(1).contains(QStringLiteral("is not a valid element name")),
             qPrintable(f.App()->ShownErrors.at(1)));
    QCOMPARE(Names(f), (QStringList{QStringLiteral("fuel_plus"), QStringLiteral("fuel_minus")}));

    // Undo takes the rename back; the element is read anew, and the row follows the selection.
    f.Click(f.Main->actUndo);
    f.Settle();
    QCOMPARE(Names(f), (QStringList{QString(), QStringLiteral("fuel_minus")}));
    f.Click(f.Main->actRedo);
    f.Settle();
    QCOMPARE(Names(f), (QStringList{QStringLiteral("fuel_plus"), QStringLiteral("fuel_minus")}));

    // An empty row removes the name; with two selected the row is off.
    Select(f, f.Elements().at(0));
    Rename(f, QString());
    QCOMPARE(f.Elements().at(0)->ElementName(), QString());
    f.Main->ELDesigner1->SelectedControls()->SetSelection({f.Elements().at(0), f.Elements().at(1)});
    f.Settle();
    QVERIFY(!f.Main->edtElementName->isEnabled());
}

void TestNames::copiesGetFreeNames() {
    ShellFixture f;
    const QList<TKvdUIElement*> e = f.NewWithButtonsAt({QRect(20, 20, 60, 30)});
    e[0]->SetElementName(QStringLiteral("fuel_plus"));
    Select(f, e[0]);
    f.Main->Execute(f.Main->actDuplicate);
    f.Settle();
    Select(f, f.Elements().at(0));
    f.Main->Execute(f.Main->actCopy);
    f.Main->Execute(f.Main->actPaste);
    f.Settle();
    QCOMPARE(Names(f), (QStringList{QStringLiteral("fuel_plus"), QStringLiteral("fuel_plus_2"),
                                    QStringLiteral("fuel_plus_3")}));
    QVERIFY(f.App()->ShownErrors.isEmpty());
    // The copies' names reach the file and come back from it.
    const QString text = WriteLayout(f.Root());
    QVERIFY(text.contains(QStringLiteral("name=\"fuel_plus_3\"")));
}

void TestNames::optionKeptInSettings() {
    ShellFixture f;
    f.Main->actElementNames->setChecked(true);
    f.Stop();
    QCOMPARE(QSettings(f.Ini(), QSettings::IniFormat).value(QStringLiteral("view/ElementNames")).toBool(),
             true);
    f.Start();
    QVERIFY(f.Main->actElementNames->isChecked());
    QVERIFY(f.Main->NameRow->isVisible());
    f.Main->actElementNames->setChecked(false);
    f.Stop();
    // Off is the default, which the settings file does not spell out.
    QVERIFY(!QSettings(f.Ini(), QSettings::IniFormat).contains(QStringLiteral("view/ElementNames")));
}

KVD_SHELL_TEST_MAIN(TestNames)
#include "tst_names.moc"
