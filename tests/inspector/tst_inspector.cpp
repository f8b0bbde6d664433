// The inspector driven like a user would: common properties of several objects, editor classes, typed
// values with real key events, set sub-rows, class sub-rows, double-click stepping, events, errors.

#include "InspectorDriver.h"
#include "InspectorTestObjects.h"
#include "inspector/ELPropInsp.h"
#include "tests/Screenshot.h"
#include "tests/TestApplication.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// An object with an event (method) property, shown only when events are asked for.
class TTestEvents : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Width MEMBER Width)
    Q_PROPERTY(QString OnClick MEMBER OnClick)
    Q_CLASSINFO("type:OnClick", "TNotifyEvent")

public:
    using QObject::QObject;
    int Width = 0;
    QString OnClick;
};

// A dialog-style caption editor defined outside the library, as an application would.
class TDialogCaptionEditor : public TELStringPropEditor {
public:
    using TELStringPropEditor::TELStringPropEditor;
    static inline int edits = 0;
    TELPropAttrs GetAttrs() override { return peDialog; }
    void Edit() override {
        ++edits;
        SetValue(GetValue() + QStringLiteral("!"));
    }
};

class TOtherIntegerEditor : public TELIntegerPropEditor {
public:
    using TELIntegerPropEditor::TELIntegerPropEditor;
};

QStringList captions(const TELCustomPropertyInspector& insp, TELPropsPageItem* parent = nullptr) {
    QStringList result;
    const int count = parent ? parent->Count() : insp.Items()->Count();
    for (int i = 0; i < count; ++i)
        result << (parent ? parent->Item(i) : insp.Items()->Item(i))->Caption();
    return result;
}

} // namespace

class TstInspector : public TInspectorDriver {
    Q_OBJECT

    void make(const QList<QObject*>& objects) { TInspectorDriver::make(objects, QSize(260, 420)); }

    void clickExpandBox(TELPropsPageItem* item) {
        insp->SetTopRow(item->Row());
        const QRect cell = insp->CellRect(0, item->Row());
        QTest::mouseClick(insp->viewport(), Qt::LeftButton, {},
                          QPoint(item->Indent() + 5, cell.center().y()));
    }

private Q_SLOTS:
    void init() {
        TTestApplication::TakeErrors();
        TDialogCaptionEditor::edits = 0;
    }
    void cleanup() { insp.reset(); }

    void commonPropertiesOfSeveralClasses() {
        TTestA a;
        TTestB b;
        make({&a, &b});
        // Same name (any case) and same type, in name order; Caption and Hint differ in type.
        QCOMPARE(captions(*insp), QStringList({"Align", "Anchors", "Left", "Top"}));
        // Several objects of a class, before and after one of another class.
        TTestA a2;
        TTestB b2;
        const QStringList ofA = [&] {
            insp->SetObjects({&a});
            return captions(*insp);
        }();
        insp->SetObjects({&a, &a2});
        QCOMPARE(captions(*insp), ofA);
        insp->SetObjects({&a, &a2, &b, &b2});
        QCOMPARE(captions(*insp), QStringList({"Align", "Anchors", "Left", "Top"}));
        insp->SetObjects({&b, &a, &b2, &a2});
        QCOMPARE(captions(*insp), QStringList({"Align", "Anchors", "Left", "top"}));
        insp->SetObjects({&b});
        QCOMPARE(captions(*insp),
                 QStringList({"Align", "Anchors", "Caption", "Extra", "Hint", "Left", "top"}));
        insp->SetObjects({});
        QCOMPARE(insp->RowCount(), 0);
        QVERIFY(!insp->InplaceEditor()->isVisible());
    }

    void readOnlyAndClassPropertiesByKinds() {
        TTestA a;
        make({&a});
        const QStringList all = captions(*insp);
        QVERIFY(!all.contains("Counter")); // no writer
        QVERIFY(all.contains("Sub"));      // class properties need no writer
        insp->SetPropKinds(pkProperties | pkReadOnly);
        QVERIFY(captions(*insp).contains("Counter"));
        QVERIFY(row("Counter")->ReadOnly() == false); // the integer editor itself is not read-only
        TTestEvents e;
        insp->SetPropKinds(pkProperties);
        insp->SetObjects({&e});
        QCOMPARE(captions(*insp), QStringList{"Width"});
        insp->SetPropKinds(pkEvents);
        QCOMPARE(captions(*insp), QStringList{"OnClick"});
        QCOMPARE(row("OnClick")->DisplayValue(), QStringLiteral("(Unknown)"));
        QCOMPARE(row("OnClick")->Editor()->GetPropType(), TypeInfo::TNotifyEvent());
    }

    void typedValues_data() {
        addTypedValueColumns();
        addTypedValueRow("byte in range", "Small", "255", "255");
        addTypedValueRow("byte too large", "Small", "300", "0", "Value must be between 0 and 255");
        addTypedValueRow("integer not a number", "Left", "abc", "0", "'abc' is not a valid integer value");
        addTypedValueRow("integer beyond 32 bits", "Left", "99999999999", "0",
                         "Value must be between -2147483648 and 2147483647");
        addTypedValueRow("integer negative", "Left", "-12", "-12");
        addTypedValueRow("unsigned", "Unsigned", "4000000000", "4000000000");
        addTypedValueRow("char by code", "Letter", "#65", "A");
        addTypedValueRow("char space", "Letter", " ", "#32");
        addTypedValueRow("char 200", "Letter", "#200", "#200");
        addTypedValueRow("char empty", "Letter", "", "#0");
        addTypedValueRow("char two letters", "Letter", "ab", "x", "Invalid property value");
        addTypedValueRow("char code too large", "Letter", "#300", "x", "Value must be between 0 and 255");
        addTypedValueRow("enum any case", "Align", "ALCLIENT", "alClient");
        addTypedValueRow("enum unknown", "Align", "alNowhere", "alNone", "Invalid property value");
        addTypedValueRow("boolean", "Flag", "true", "True");
        addTypedValueRow("double", "Ratio", "2.25", "2.25");
        addTypedValueRow("double bad", "Ratio", "x", "0.5", "'x' is not a valid floating point value");
        addTypedValueRow("single, 7 digits", "Scale", "0.333333333333", "0.3333333");
        addTypedValueRow("int64", "Big", "-9000000000", "-9000000000");
        addTypedValueRow("string", "Hint", "some text", "some text");
    }
    void typedValues() {
        QFETCH(QString, prop);
        QFETCH(QString, shown);
        QFETCH(QString, error);
        TTestA a;
        make({&a});
        int modified = 0;
        insp->OnModified = [&](QObject* sender) {
            QCOMPARE(sender, insp.get());
            ++modified;
        };
        checkTypedValue();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(insp->InplaceEditor()->text(), shown); // a rejected value shows the stored one
        QCOMPARE(Props::GetPropText(&a, Props::GetPropInfo(&a, prop)).isEmpty(), false);
        QCOMPARE(modified, error.isEmpty() ? 1 : 0);
        QVERIFY(!insp->ChangingValue());
    }

    void differingValuesShowEmptyAndTypingSetsAll() {
        TTestA a;
        TTestB b;
        a.Left = 1;
        b.Left = 2;
        a.Top = 5;
        b.Top = 5;
        make({&a, &b});
        QCOMPARE(row("Left")->DisplayValue(), QString());
        QCOMPARE(row("Top")->DisplayValue(), QStringLiteral("5"));
        typeInto(row("Left"), QStringLiteral("10"));
        QCOMPARE(a.Left, 10);
        QCOMPARE(b.Left, 10);
        QCOMPARE(row("Left")->DisplayValue(), QStringLiteral("10"));
    }

    void setRowAndElementSubRows() {
        TTestA a;
        make({&a});
        TELPropertyInspectorItem* anchors = row("Anchors");
        QCOMPARE(anchors->DisplayValue(), QStringLiteral("[akLeft,akTop]"));
        QVERIFY(anchors->ReadOnly());
        QCOMPARE(anchors->ChildrenState(), chAlways);
        clickExpandBox(anchors);
        QVERIFY(anchors->Expanded());
        QCOMPARE(insp->ActiveItem(), anchors);
        QCOMPARE(captions(*insp, anchors), QStringList({"akLeft", "akTop", "akRight", "akBottom"}));
        TELPropertyInspectorItem* right = row("akRight", anchors);
        QCOMPARE(right->DisplayValue(), QStringLiteral("False"));
        QCOMPARE(right->EditStyle(), esPickList);
        QCOMPARE(right->Indent(), 10);

        // Choose True from the drop-down with the keyboard.
        select(right);
        TELPropsPageInplaceEdit* editor = insp->InplaceEditor();
        QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
        QListWidget* list = editor->PickList();
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentItem()->data(Qt::AccessibleTextRole).toString(), QStringLiteral("False"));
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(a.Anchors, TAnchors(akLeft | akTop | akRight));
        QCOMPARE(anchors->DisplayValue(), QStringLiteral("[akLeft,akTop,akRight]"));
        QCOMPARE(right->DisplayValue(), QStringLiteral("True"));

        // Typing works too: anything but "true" removes the element.
        typeInto(row("akLeft", anchors), QStringLiteral("no"));
        QCOMPARE(a.Anchors, TAnchors(akTop | akRight));
        QCOMPARE(anchors->DisplayValue(), QStringLiteral("[akTop,akRight]"));
    }

    void setElementOfTwoObjectsWritesTheFirstObjectsSet() {
        TTestA a;
        TTestB b;
        a.Anchors = akLeft;
        b.Anchors = TAnchors(akTop | akRight);
        make({&a, &b});
        TELPropertyInspectorItem* anchors = row("Anchors");
        QCOMPARE(anchors->DisplayValue(), QString());
        anchors->Expand();
        QCOMPARE(row("akLeft", anchors)->DisplayValue(), QString()); // members differ
        QCOMPARE(row("akBottom", anchors)->DisplayValue(), QStringLiteral("False"));
        typeInto(row("akBottom", anchors), QStringLiteral("True"));
        QCOMPARE(a.Anchors, TAnchors(akLeft | akBottom));
        QCOMPARE(b.Anchors, TAnchors(akLeft | akBottom));
        QCOMPARE(anchors->DisplayValue(), QStringLiteral("[akLeft,akBottom]"));
    }

    void classRowShowsTheHeldObjectsProperties() {
        TTestA a;
        make({&a});
        TELPropertyInspectorItem* sub = row("Sub");
        QCOMPARE(sub->DisplayValue(), QStringLiteral("(TTestSub)"));
        sub->Expand();
        QCOMPARE(captions(*insp, sub), QStringList({"Depth", "Label"}));
        typeInto(row("Depth", sub), QStringLiteral("5"));
        QCOMPARE(a.Sub()->Depth, 5);
        sub->Collapse();
        QCOMPARE(sub->Count(), 0);
    }

    void captionAppliesEveryKeystrokeAndEscapeRestores() {
        TTestA a;
        a.Hint = QStringLiteral("keep");
        make({&a});
        select(row("Caption"));
        a.captionWrites = 0;
        QTest::keyClicks(insp->InplaceEditor(), QStringLiteral("ab"));
        QCOMPARE(a.Caption(), QStringLiteral("ab"));
        QCOMPARE(a.captionWrites, 2);
        QCOMPARE(insp->InplaceEditor()->text(), QStringLiteral("ab"));

        int modified = 0;
        insp->OnModified = [&](QObject*) { ++modified; };
        select(row("Hint"));
        QTest::keyClicks(insp->InplaceEditor(), QStringLiteral("zzz"));
        QCOMPARE(a.Hint, QStringLiteral("keep")); // no live update for plain strings
        QTest::keyClick(insp->InplaceEditor(), Qt::Key_Escape);
        QCOMPARE(insp->InplaceEditor()->text(), QStringLiteral("keep"));
        QCOMPARE(insp->InplaceEditor()->selectedText(), QStringLiteral("keep"));
        select(row("Left"));
        QCOMPARE(a.Hint, QStringLiteral("keep"));
        QCOMPARE(modified, 0);
    }

    void doubleClickStepsThroughSortedValues() {
        TTestA a;
        a.Align = alNone;
        make({&a});
        TELPropertyInspectorItem* align = row("Align");
        select(align);
        // Sorted: alBottom alClient alCustom alLeft alNone alRight alTop.
        const QList<TAlign> expected{alRight, alTop, alBottom, alClient};
        for (TAlign next : expected) {
            QTest::mouseDClick(insp->InplaceEditor(), Qt::LeftButton, {}, QPoint(5, 5));
            QCOMPARE(a.Align, next);
        }
        QCOMPARE(insp->InplaceEditor()->text(), QStringLiteral("alClient"));
        QTest::keyClick(insp->InplaceEditor(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(a.Align, alCustom);
        // Read-only inspectors do not step.
        insp->SetReadOnly(true);
        align = row("Align");
        QCOMPARE(align->EditStyle(), esSimple);
        QVERIFY(align->ReadOnly());
        select(align);
        QTest::mouseDClick(insp->InplaceEditor(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(a.Align, alCustom);
    }

    void editorClassEventBypassesFilterAndReadOnly() {
        TTestA a;
        make({&a});
        insp->OnFilterProp = [](QObject*, QObject*, const TPropInfo* prop, bool& include) {
            QVERIFY(include); // arrives true
            include = prop->Name == QLatin1String("Left");
        };
        insp->SetObjects({&a});
        QCOMPARE(captions(*insp), QStringList{"Left"});
        insp->OnGetEditorClass = [](QObject*, QObject*, const TPropInfo* prop, TELPropEditorClass& cls) {
            QVERIFY(!cls); // arrives empty
            if (prop->Name == QLatin1String("Counter"))
                cls = ELPropEditorClass<TELIntegerPropEditor>();
        };
        insp->SetObjects({&a});
        QCOMPARE(captions(*insp), QStringList({"Counter", "Left"}));
        QCOMPARE(row("Counter")->DisplayValue(), QStringLiteral("7"));
    }

    void differingEditorClassesDropTheProperty() {
        TTestA a;
        TTestB b;
        make({});
        insp->OnGetEditorClass = [&](QObject*, QObject* instance, const TPropInfo* prop,
                                     TELPropEditorClass& cls) {
            if (instance == &b && prop->Name == QLatin1String("Left"))
                cls = ELPropEditorClass<TOtherIntegerEditor>();
        };
        insp->SetObjects({&a, &b});
        QCOMPARE(captions(*insp), QStringList({"Align", "Anchors", "Top"}));
    }

    void registryMatchesNewestFirstAndKeepsOneEntryPerKey() {
        TTestA a;
        TTestB b;
        make({&a});
        insp->RegisterEditor(TypeInfo::Integer(), nullptr, ELPropEditorClass<TOtherIntegerEditor>());
        insp->RegisterEditor(TypeInfo::Integer(), nullptr, ELPropEditorClass<TOtherIntegerEditor>());
        QCOMPARE(insp->EditorRegistry().size(), 1);
        QVERIFY(dynamic_cast<TOtherIntegerEditor*>(row("Left")->Editor()));
        // Newest first: a later registration for the Left property of TTestA wins there only.
        insp->RegisterEditor(TypeInfo::Integer(), &TTestA::staticMetaObject,
                             ELPropEditorClass<TELIntegerPropEditor>(), QStringLiteral("left"));
        QCOMPARE(insp->EditorRegistry().size(), 2);
        QVERIFY(!dynamic_cast<TOtherIntegerEditor*>(row("Left")->Editor()));
        QVERIFY(dynamic_cast<TOtherIntegerEditor*>(row("Top")->Editor()));
        insp->SetObjects({&b});
        QVERIFY(dynamic_cast<TOtherIntegerEditor*>(row("Left")->Editor())); // other class: older entry
        // Class types match descendants.
        insp->RegisterEditor(TypeInfo::ForClass(&QObject::staticMetaObject), nullptr,
                             ELPropEditorClass<TELPropEditor>());
        insp->SetObjects({&a});
        QCOMPARE(row("Sub")->DisplayValue(), QStringLiteral("(Unknown)"));
    }

    void editorWithoutMultiSelectOnlyForOneObject() {
        TTestA a1;
        TTestA a2;
        make({&a1});
        insp->RegisterEditor(TypeInfo::TCaption(), nullptr, ELPropEditorClass<TDialogCaptionEditor>(),
                             QStringLiteral("Caption"));
        TELPropertyInspectorItem* caption = row("Caption");
        QVERIFY(caption);
        QCOMPARE(caption->EditStyle(), esEllipsis);
        select(caption);
        QTest::mouseClick(insp->InplaceEditor()->Button(), Qt::LeftButton);
        QCOMPARE(TDialogCaptionEditor::edits, 1);
        QCOMPARE(a1.Caption(), QStringLiteral("!"));
        QCOMPARE(insp->InplaceEditor()->text(), QStringLiteral("!"));
        QTest::mouseDClick(insp->InplaceEditor(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(a1.Caption(), QStringLiteral("!!"));
        insp->SetObjects({&a1, &a2});
        QVERIFY(!row("Caption"));
        QVERIFY(row("Hint"));
    }

    // A rejected value is reported once, by a queued call rather than out of the input handler, and the
    // grid stays usable: it shows the stored value and the next edit is applied.
    void rejectedValueReportedOnce_data() {
        QTest::addColumn<bool>("leaveByFocus");
        QTest::newRow("enter") << false;
        QTest::newRow("focus change") << true;
    }
    void rejectedValueReportedOnce() {
        QFETCH(bool, leaveByFocus);
        TTestA a;
        a.Left = 5;
        QWidget host;
        auto* layout = new QVBoxLayout(&host);
        auto* elsewhere = new QLineEdit(&host);
        layout->addWidget(elsewhere);
        make({&a});
        const auto freeFirst = qScopeGuard([this] { insp.reset(); }); // before host frees it
        layout->addWidget(insp.get());
        host.resize(260, 460);
        host.show();
        host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host));

        select(row("Left"));
        QLineEdit* editor = insp->InplaceEditor();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("x"));
        const auto focusElsewhere = [&] {
            elsewhere->setFocus(Qt::MouseFocusReason);
            QCOMPARE(QApplication::focusWidget(), elsewhere);
        };
        if (leaveByFocus)
            focusElsewhere();
        else
            QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(TTestApplication::Instance()->Errors.isEmpty()); // nothing left the handler
        QCOMPARE(TTestApplication::TakeErrors(), QStringList{"'x' is not a valid integer value"});
        QCOMPARE(a.Left, 5);
        QCOMPARE(editor->text(), QStringLiteral("5"));

        // Leaving the other way does not report it again.
        if (leaveByFocus) {
            select(row("Left"));
            QTest::keyClick(editor, Qt::Key_Return);
        } else {
            focusElsewhere();
        }
        QCOMPARE(TTestApplication::TakeErrors(), QStringList());

        typeInto(row("Left"), QStringLiteral("7"));
        QCOMPARE(TTestApplication::TakeErrors(), QStringList());
        QCOMPARE(a.Left, 7);
        QCOMPARE(editor->text(), QStringLiteral("7"));
    }

    void changingObjectsWhileWritingFails() {
        TTestA a;
        TTestA other;
        make({&a});
        // The modified event is raised while the editor is still writing.
        insp->OnModified = [&](QObject*) { insp->SetObjects({&other}); };
        typeInto(row("Left"), QStringLiteral("3"));
        QCOMPARE(TTestApplication::TakeErrors(),
                 QStringList{"Property inspector is changing property value. Can not change objects"});
        QCOMPARE(a.Left, 3);
        QCOMPARE(insp->Objects(), QList<QObject*>{&a});
        QVERIFY(!insp->ChangingValue());
        QCOMPARE(row("Left")->DisplayValue(), QStringLiteral("3"));
        insp->OnModified = nullptr;
        insp->SetObjects({&other}); // and afterwards it works again
        QCOMPARE(insp->Objects(), QList<QObject*>{&other});
    }

    void captionColours() {
        TTestA a;
        make({&a});
        TELPropertyInspectorItem* left = row("Left");
        QCOMPARE(insp->ComponentRefColor(), QColor(128, 0, 0));
        QCOMPARE(insp->ComponentRefChildColor(), QColor(0, 128, 0));
        // The published colours are TColor values with their defaults.
        for (const char* name : {"ValuesColor", "ComponentRefColor", "ComponentRefChildColor", "GridLines"}) {
            const TPropInfo* prop = Props::GetPropInfo(insp.get(), QString::fromLatin1(name));
            QVERIFY2(prop && Props::IsDefaultPropValue(insp.get(), prop), name);
        }
        Props::SetPropText(insp.get(), Props::GetPropInfo(insp.get(), QStringLiteral("ValuesColor")),
                           QStringLiteral("255"));
        QCOMPARE(insp->ValuesColor(), QColor(255, 0, 0));
        QStringList asked;
        insp->OnGetCaptionColor = [&](QObject*, const TTypeInfo* type, const QString& name, QColor& color) {
            asked << name;
            if (type == TypeInfo::Integer())
                color = Qt::red;
        };
        QImage shot = insp->grab().toImage();
        QVERIFY(asked.contains("Left"));
        // Some pixel of the Left caption is red (or nearly: where the font engine leaves no pixel fully
        // covered, the strongest ones are still far from the black or grey of an ordinary caption).
        const QRect cell = insp->CellRect(0, left->Row());
        bool red = false;
        for (int x = cell.left() + 13; x < cell.right() - 3 && !red; ++x)
            for (int y = cell.top(); y < cell.bottom() && !red; ++y) {
                const QColor pixel = shot.pixelColor(x, y);
                red = pixel.red() >= 200 && pixel.green() <= 80 && pixel.blue() <= 80;
            }
        QVERIFY(red);
    }

    void refreshValuesRereadsWithoutRebuilding() {
        TTestA a;
        make({&a});
        TELPropertyInspectorItem* left = row("Left");
        a.Left = 42;
        QCOMPARE(left->DisplayValue(), QStringLiteral("0"));
        insp->RefreshValues();
        QCOMPARE(row("Left"), left);
        QCOMPARE(left->DisplayValue(), QStringLiteral("42"));
    }

    // Pictures of what a user sees, written next to the test program for a look.
    void screenshots() {
        auto save = [](const QImage& image, const char* name) { SaveScreenshot(image, QLatin1String(name)); };
        TTestA a;
        TTestB b;
        a.SetCaption(QStringLiteral("Start"));
        a.Hint = QStringLiteral("Press to start");
        a.Left = 16;
        b.Left = 40;
        make({&a});
        insp->SetSplitter(100);
        select(row("Hint"));
        save(insp->grab().toImage(), "inspector-one-object");
        insp->SetObjects({&a, &b});
        save(insp->grab().toImage(), "inspector-two-objects");
        insp->SetObjects({&a});
        row("Anchors")->Expand();
        select(row("akRight", row("Anchors")));
        save(insp->grab().toImage(), "inspector-set-expanded");
        select(row("Align"));
        QTest::keyClick(insp->InplaceEditor(), Qt::Key_Down, Qt::AltModifier);
        QListWidget* list = insp->InplaceEditor()->PickList();
        QVERIFY(list->isVisible());
        // The list is a window of its own: paint it where it shows over the inspector.
        QImage shot(insp->width(), insp->height() + list->height(), QImage::Format_ARGB32);
        shot.fill(Qt::white);
        QPainter painter(&shot);
        painter.drawPixmap(0, 0, insp->grab());
        painter.drawPixmap(insp->mapFromGlobal(list->pos()), list->grab());
        painter.end();
        save(shot, "inspector-dropdown-open");
        list->hide();
    }
};

KVD_TEST_MAIN(TstInspector)
#include "tst_inspector.moc"
