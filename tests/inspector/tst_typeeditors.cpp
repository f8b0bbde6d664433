// The editors for the toolkit's distinct types, chosen by the built-in table and driven through the
// inspector with real key and mouse events; the colour, font and strings dialogs driven from the test.

#include "InspectorDriver.h"
#include "core/Control.h"
#include "core/Graphics.h"
#include "core/Strings.h"
#include "inspector/ELPropInsp.h"
#include "tests/Screenshot.h"
#include "tests/TestApplication.h"

#include <QColorDialog>
#include <QDir>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <typeinfo>

namespace {

// Published properties of the toolkit's distinct types, most of them kept in public members that the
// checks set and read directly.
class TTestTypes : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name MEMBER name)
    Q_PROPERTY(double Day MEMBER day)
    Q_PROPERTY(double Clock MEMBER clock)
    Q_PROPERTY(double Stamp MEMBER stamp)
    Q_PROPERTY(int Color MEMBER color)
    Q_PROPERTY(int Cursor MEMBER cursor)
    Q_PROPERTY(int Charset MEMBER charset)
    Q_PROPERTY(QString FontName MEMBER fontName)
    Q_PROPERTY(QString Ime MEMBER ime)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(int Result MEMBER result)
    Q_PROPERTY(KvdGraphics::TPenStyle Pen MEMBER pen)
    Q_PROPERTY(KvdGraphics::TBrushStyle Brush MEMBER brush)
    Q_PROPERTY(int TabOrder MEMBER tabOrder)
    Q_PROPERTY(int ShortCut MEMBER shortCut)
    Q_PROPERTY(TStrings* Lines READ Lines)
    Q_PROPERTY(QVariant Value MEMBER value)
    Q_PROPERTY(TControl* Buddy MEMBER buddy)
    // The toolkit type that each plain-typed property stands for.
    Q_CLASSINFO("type:Name", "TComponentName")
    Q_CLASSINFO("type:Day", "TDate")
    Q_CLASSINFO("type:Clock", "TTime")
    Q_CLASSINFO("type:Stamp", "TDateTime")
    Q_CLASSINFO("type:Color", "TColor")
    Q_CLASSINFO("type:Cursor", "TCursor")
    Q_CLASSINFO("type:Charset", "TFontCharset")
    Q_CLASSINFO("type:FontName", "TFontName")
    Q_CLASSINFO("type:Ime", "TImeName")
    Q_CLASSINFO("type:Result", "TModalResult")
    Q_CLASSINFO("type:TabOrder", "TTabOrder")
    Q_CLASSINFO("type:ShortCut", "TShortCut")

public:
    explicit TTestTypes(QObject* parent = nullptr)
        : QObject(parent), font(new TFont(this)), lines(new TStrings(this)) {}
    TFont* Font() const { return font; }
    TStrings* Lines() const { return lines; }

    QString name, fontName, ime;
    double day = 0, clock = 0, stamp = 0;
    int color = 0, cursor = 0, charset = 1, result = 0, tabOrder = 0, shortCut = 0;
    KvdGraphics::TPenStyle pen = KvdGraphics::psSolid;
    KvdGraphics::TBrushStyle brush = KvdGraphics::bsSolid;
    QVariant value;
    TControl* buddy = nullptr;
    TFont* font;
    TStrings* lines;
};

// Runs the action on the next modal dialog of the class once it is shown (bounded wait).
// The poll holds itself only weakly; the pending timer keeps it alive, so it is freed after its last run.
template <class T> void whenModal(std::function<void(T*)> action) {
    auto attempts = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> weakPoll = poll;
    *poll = [=] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            action(dialog);
            return;
        }
        if (++*attempts < 200)
            if (auto next = weakPoll.lock())
                QTimer::singleShot(10, [next] { (*next)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

template <class T> QString className() {
    return QString::fromLatin1(typeid(T).name());
}

} // namespace

class TstTypeEditors : public TInspectorDriver {
    Q_OBJECT

    std::unique_ptr<TTestTypes> obj;

    void make(const QList<QObject*>& objects) { TInspectorDriver::make(objects, QSize(300, 520)); }
    void clickEllipsis(TELPropsPageItem* item) {
        select(item);
        QCOMPARE(item->EditStyle(), esEllipsis);
        QTest::mouseClick(insp->InplaceEditor()->Button(), Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init() {
        TTestApplication::TakeErrors();
        obj = std::make_unique<TTestTypes>();
    }
    void cleanup() {
        insp.reset();
        obj.reset();
    }

    void builtInTableChoosesTheEditor_data() {
        QTest::addColumn<QString>("prop");
        QTest::addColumn<QString>("editorClass");
        QTest::newRow("TComponentName") << "Name" << className<TELComponentNamePropEditor>();
        QTest::newRow("TDate") << "Day" << className<TELDatePropEditor>();
        QTest::newRow("TTime") << "Clock" << className<TELTimePropEditor>();
        QTest::newRow("TDateTime") << "Stamp" << className<TELDateTimePropEditor>();
        QTest::newRow("TColor") << "Color" << className<TELColorPropEditor>();
        QTest::newRow("TCursor") << "Cursor" << className<TELCursorPropEditor>();
        QTest::newRow("TFontCharset") << "Charset" << className<TELFontCharsetPropEditor>();
        QTest::newRow("TFontName") << "FontName" << className<TELFontNamePropEditor>();
        QTest::newRow("TImeName") << "Ime" << className<TELImeNamePropEditor>();
        QTest::newRow("TFont") << "Font" << className<TELFontPropEditor>();
        QTest::newRow("TModalResult") << "Result" << className<TELModalResultPropEditor>();
        QTest::newRow("TPenStyle") << "Pen" << className<TELPenStylePropEditor>();
        QTest::newRow("TBrushStyle") << "Brush" << className<TELBrushStylePropEditor>();
        QTest::newRow("TTabOrder") << "TabOrder" << className<TELTabOrderPropEditor>();
        QTest::newRow("TShortCut") << "ShortCut" << className<TELShortCutPropEditor>();
        QTest::newRow("TStrings") << "Lines" << className<TELStringsPropEditor>();
        QTest::newRow("variant") << "Value" << className<TELVariantPropEditor>();
        QTest::newRow("component") << "Buddy" << className<TELComponentPropEditor>();
    }
    void builtInTableChoosesTheEditor() {
        QFETCH(QString, prop);
        QFETCH(QString, editorClass);
        make({obj.get()});
        TELPropertyInspectorItem* item = row(prop);
        QVERIFY(item);
        QCOMPARE(QString::fromLatin1(typeid(*item->Editor()).name()), editorClass);
    }

    void typedValues_data() {
        addTypedValueColumns();
        addTypedValueRow("colour hex with identifier", "Color", "$00FF0000", "clBlue");
        addTypedValueRow("colour hex without one", "Color", "$00123456", "$00123456");
        addTypedValueRow("colour identifier", "Color", "clred", "clRed");
        addTypedValueRow("colour decimal", "Color", "255", "clRed");
        addTypedValueRow("colour system", "Color", "clBtnFace", "clBtnFace");
        addTypedValueRow("colour bad", "Color", "pink", "clBlack", "'pink' is not a valid integer value");
        addTypedValueRow("cursor identifier", "Cursor", "crHandPoint", "crHandPoint");
        addTypedValueRow("cursor number with identifier", "Cursor", "-2", "crArrow");
        addTypedValueRow("cursor number", "Cursor", "5", "5");
        addTypedValueRow("charset", "Charset", "russian_charset", "RUSSIAN_CHARSET");
        addTypedValueRow("charset number", "Charset", "3", "3");
        addTypedValueRow("charset range", "Charset", "256", "DEFAULT_CHARSET",
                         "Value must be between 0 and 255");
        addTypedValueRow("modal result name", "Result", "mryes", "mrYes");
        addTypedValueRow("modal result empty", "Result", "", "mrNone");
        addTypedValueRow("modal result number", "Result", "42", "42");
        addTypedValueRow("shortcut none", "ShortCut", "(none)", "(None)");
        addTypedValueRow("shortcut text", "ShortCut", "ctrl+a", "Ctrl+A");
        addTypedValueRow("shortcut function key", "ShortCut", "Shift+F3", "Shift+F3");
        addTypedValueRow("shortcut bad", "ShortCut", "bogus", "(None)", "Invalid property value");
        addTypedValueRow("pen style", "Pen", "psDot", "psDot");
        addTypedValueRow("brush style", "Brush", "bsCross", "bsCross");
        addTypedValueRow("tab order", "TabOrder", "3", "3");
        addTypedValueRow("date", "Day", "1/15/2024", "1/15/2024");
        addTypedValueRow("date bad", "Day", "soon", "", "'soon' is not a valid date");
        addTypedValueRow("time", "Clock", "10:30:15 AM", "10:30:15 AM");
        addTypedValueRow("date and time", "Stamp", "1/15/2024 10:30:15 PM", "1/15/2024 10:30:15 PM");
        addTypedValueRow("date and time, date only", "Stamp", "2/1/2024", "2/1/2024");
        addTypedValueRow("component name", "Name", "Button1", "Button1");
        addTypedValueRow("font name", "FontName", "Serif", "Serif");
    }
    void typedValues() {
        make({obj.get()});
        checkTypedValue();
    }

    void dateZeroShowsEmptyAndEmptyTextClears() {
        obj->day = 45306; // 2024-01-15
        make({obj.get()});
        QCOMPARE(row("Day")->DisplayValue(), QStringLiteral("1/15/2024"));
        typeInto(row("Day"), QString());
        QCOMPARE(obj->day, 0.0);
        QCOMPARE(row("Day")->DisplayValue(), QString());
        obj->stamp = 45306.5;
        insp->RefreshValues();
        QCOMPARE(row("Stamp")->DisplayValue(), QStringLiteral("1/15/2024 12:00:00 PM"));
    }

    void shortCutListHasItsEntriesInOrder() {
        make({obj.get()});
        QStringList values;
        row("ShortCut")->GetPickList(values);
        QCOMPARE(values.size(), 109);
        QCOMPARE(values.first(), QStringLiteral("(None)"));
        QCOMPARE(values.at(1), QStringLiteral("Ctrl+A"));
        QCOMPARE(values.at(27), QStringLiteral("Ctrl+Alt+A"));
        QCOMPARE(values.at(53), QStringLiteral("F1"));
        QCOMPARE(values.at(65), QStringLiteral("Ctrl+F1"));
        QCOMPARE(values.at(101), QStringLiteral("Ins"));
        QCOMPARE(values.last(), QStringLiteral("Alt+Shift+Backspace"));
        for (const QString& text : values.mid(1)) // every text reads back as itself
            QCOMPARE(ELTables::ShortCutToText(ELTables::TextToShortCut(text)), text);
    }

    void severalObjectsHideNameAndTabOrder() {
        TTestTypes other;
        make({obj.get()});
        QVERIFY(row("Name") && row("TabOrder"));
        insp->SetObjects({obj.get(), &other});
        QVERIFY(!row("Name"));
        QVERIFY(!row("TabOrder"));
        QVERIFY(row("Color"));
    }

    void variantRowAndItsType() {
        make({obj.get()});
        TELPropertyInspectorItem* value = row("Value");
        QCOMPARE(value->DisplayValue(), QString());
        typeInto(value, QStringLiteral("12"));
        QCOMPARE(obj->value.metaType().id(), QMetaType::QString); // unassigned: stored as text
        value->Expand();
        TELPropertyInspectorItem* type = row("Type", value);
        QCOMPARE(type->DisplayValue(), QStringLiteral("OleStr"));
        typeInto(type, QStringLiteral("Integer"));
        QCOMPARE(obj->value, QVariant(12));
        typeInto(value, QStringLiteral("40"));
        QCOMPARE(obj->value, QVariant(40)); // converts to the current type
        typeInto(value, QStringLiteral("4.5"));
        QCOMPARE(obj->value, QVariant(QStringLiteral("4.5"))); // not an integer: text
        typeInto(type, QStringLiteral("Boolean"));
        QCOMPARE(obj->value, QVariant(true)); // a number other than 0 converts to True
        typeInto(value, QStringLiteral("abc"));
        QCOMPARE(obj->value, QVariant(QStringLiteral("abc")));
        typeInto(type, QStringLiteral("Boolean"));
        QCOMPARE(obj->value, QVariant(false)); // no conversion: the type's default
        QCOMPARE(value->DisplayValue(), QStringLiteral("False"));
        typeInto(value, QStringLiteral("(null)"));
        QCOMPARE(value->DisplayValue(), QStringLiteral("(Null)"));
        QCOMPARE(type->DisplayValue(), QStringLiteral("Null"));
        typeInto(type, QStringLiteral("Currency"));
        typeInto(value, QStringLiteral("3.5"));
        QCOMPARE(value->DisplayValue(), QLocale().toCurrencyString(3.5));
        typeInto(type, QStringLiteral("Bogus"));
        QCOMPARE(TTestApplication::TakeErrors(), QStringList{"Unknown Type"});
        typeInto(value, QString());
        QVERIFY(!obj->value.isValid());
        QCOMPARE(type->DisplayValue(), QStringLiteral("Unassigned"));
        QStringList names;
        type->GetPickList(names);
        QCOMPARE(names.size(), 16);
    }

    void componentReferenceRow() {
        TControl panel;
        panel.SetName(QStringLiteral("Panel1"));
        panel.SetLeft(8);
        TControl button;
        button.SetName(QStringLiteral("Button1"));
        QObject stranger;
        stranger.setObjectName(QStringLiteral("Stranger"));
        make({});
        insp->OnGetComponentNames = [&](QObject*, const QMetaObject* cls, QStringList& result) {
            QCOMPARE(cls, &TControl::staticMetaObject);
            result << QStringLiteral("Panel1") << QStringLiteral("Button1");
        };
        insp->OnGetComponent = [&](QObject*, const QString& name, QObject*& component) {
            for (QObject* o : {static_cast<QObject*>(&panel), static_cast<QObject*>(&button), &stranger})
                if (o->objectName() == name)
                    component = o;
        };
        insp->SetObjects({obj.get()});
        TELPropertyInspectorItem* buddy = row("Buddy");
        QCOMPARE(buddy->DisplayValue(), QString());
        QCOMPARE(buddy->ChildrenState(), chNever); // nothing referenced yet
        QCOMPARE(buddy->EditStyle(), esPickList);

        // Choose from the sorted drop-down with the mouse.
        select(buddy);
        QTest::mouseClick(insp->InplaceEditor()->Button(), Qt::LeftButton);
        QListWidget* list = insp->InplaceEditor()->PickList();
        QVERIFY(list->isVisible());
        QCOMPARE(list->item(0)->data(Qt::AccessibleTextRole).toString(), QStringLiteral("Button1"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(obj->buddy, &panel);
        buddy = row("Buddy");
        QCOMPARE(buddy->DisplayValue(), QStringLiteral("Panel1"));
        QCOMPARE(buddy->ChildrenState(), chAlways);

        // Sub-rows: the referenced component's properties without its name.
        buddy->Expand();
        QVERIFY(row("Left", buddy));
        QVERIFY(!row("Name", buddy));
        QCOMPARE(row("Left", buddy)->DisplayValue(), QStringLiteral("8"));
        // Volatile: choosing another component rebuilds the sub-rows.
        button.SetLeft(30);
        typeInto(buddy, QStringLiteral("Button1"));
        QCOMPARE(obj->buddy, &button);
        QVERIFY(buddy->Expanded());
        QCOMPARE(row("Left", buddy)->DisplayValue(), QStringLiteral("30"));

        // Colours of the reference row and its sub-rows.
        QColor seen;
        insp->OnGetCaptionColor = [&](QObject*, const TTypeInfo*, const QString& name, QColor& color) {
            if (name == QLatin1String("Buddy") || name == QLatin1String("Left"))
                seen = color;
        };
        insp->grab();
        QVERIFY(seen == QColor(128, 0, 0) || seen == QColor(0, 128, 0));

        typeInto(buddy, QStringLiteral("Stranger")); // not a component of the property's class
        QCOMPARE(TTestApplication::TakeErrors(), QStringList{"Invalid property value"});
        QCOMPARE(obj->buddy, &button);
        typeInto(row("Buddy"), QString());
        QVERIFY(!obj->buddy);

        // Without expansion of references the row has no box, and turning it on rebuilds.
        obj->buddy = &panel;
        insp->SetExpandComponentRefs(false);
        QCOMPARE(row("Buddy")->ChildrenState(), chNever);
        insp->SetExpandComponentRefs(true);
        QCOMPARE(row("Buddy")->ChildrenState(), chAlways);
        insp->OnGetComponentName = [](QObject*, QObject*, QString& name) {
            name = QStringLiteral("Shown ") + name;
        };
        insp->RefreshValues();
        QCOMPARE(row("Buddy")->DisplayValue(), QStringLiteral("Shown Panel1"));
    }

    void colourDialog() {
        make({obj.get()});
        // A colour row has a list and a dialog: the button opens the list, a double click the dialog.
        QCOMPARE(row("Color")->EditStyle(), esPickList);
        whenModal<QColorDialog>([](QColorDialog* d) {
            QCOMPARE(d->currentColor(), QColor(Qt::black));
            d->setCurrentColor(QColor(1, 2, 3));
            d->accept();
        });
        select(row("Color"));
        QTest::mouseDClick(insp->InplaceEditor(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(obj->color, 0x030201);
        QCOMPARE(row("Color")->DisplayValue(), QStringLiteral("$00030201"));
        whenModal<QColorDialog>([](QColorDialog* d) {
            d->setCurrentColor(QColor(9, 9, 9));
            d->reject();
        });
        QTest::keyClick(insp->InplaceEditor(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(obj->color, 0x030201);
    }

    void fontDialogAndSubRows() {
        TTestTypes other;
        make({obj.get(), &other});
        TELPropertyInspectorItem* font = row("Font");
        QCOMPARE(font->DisplayValue(), QString()); // a class row shows its type only for one object
        insp->SetObjects({obj.get()});
        font = row("Font");
        QCOMPARE(font->DisplayValue(), QStringLiteral("(TFont)"));
        font->Expand();
        QCOMPARE(row("Color", font)->DisplayValue(), QStringLiteral("clBlack"));
        QCOMPARE(row("Charset", font)->DisplayValue(), QStringLiteral("DEFAULT_CHARSET"));
        // The dialog lists real families only. Where the application's font is a generic name that no
        // family carries (the offscreen platform on Windows), both objects get the family it stands for.
        for (TTestTypes* t : {obj.get(), &other})
            if (!QFontDatabase::hasFamily(t->font->Name()))
                t->font->SetName(QFontInfo(t->font->ToQFont()).family());
        insp->SetObjects({obj.get(), &other});
        QFont chosen;
        whenModal<QFontDialog>([&](QFontDialog* d) {
            QCOMPARE(d->currentFont().family(), obj->font->Name());
            QFont f = d->currentFont();
            f.setItalic(true);
            f.setPointSize(14);
            d->setCurrentFont(f);
            chosen = d->currentFont();
            d->accept();
        });
        clickEllipsis(row("Font"));
        QCOMPARE(chosen.pointSize(), 14);
        for (TTestTypes* t : {obj.get(), &other}) {
            QCOMPARE(t->font->Size(), 14);
            QCOMPARE(t->font->Name(), chosen.family());
            QCOMPARE(t->font->Style().testFlag(KvdGraphics::fsItalic), chosen.italic());
        }
    }

    void stringsDialog() {
        obj->lines->SetLines({QStringLiteral("one")});
        make({obj.get()});
        TELPropertyInspectorItem* lines = row("Lines");
        QCOMPARE(lines->DisplayValue(), QStringLiteral("(TStrings)"));
        QVERIFY(lines->ReadOnly());
        whenModal<TELStringsEditorDlg>([](TELStringsEditorDlg* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("String List Editor"));
            QCOMPARE(d->btnOk->text(), QStringLiteral("&OK"));
            QCOMPARE(d->lbLineCount->text(), QStringLiteral("1 lines"));
            QTest::keyClick(d->memMain, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(d->memMain, QStringLiteral("a"));
            QTest::keyClick(d->memMain, Qt::Key_Return);
            QTest::keyClicks(d->memMain, QStringLiteral("b"));
            QTest::keyClick(d->memMain, Qt::Key_Return);
            QTest::keyClicks(d->memMain, QStringLiteral("c"));
            QCOMPARE(d->lbLineCount->text(), QStringLiteral("3 lines"));
            QTest::mouseClick(d->btnOk, Qt::LeftButton);
        });
        clickEllipsis(lines);
        QCOMPARE(obj->lines->Lines(), QStringList({"a", "b", "c"}));

        whenModal<TELStringsEditorDlg>([](TELStringsEditorDlg* d) {
            QTest::keyClick(d->memMain, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(d->memMain, Qt::Key_Delete);
            QCOMPARE(d->lbLineCount->text(), QStringLiteral("0 lines"));
            QTest::keyClick(d, Qt::Key_Escape);
        });
        int modified = 0;
        insp->OnModified = [&](QObject*) { ++modified; };
        clickEllipsis(row("Lines"));
        QCOMPARE(obj->lines->Lines(), QStringList({"a", "b", "c"}));
        QCOMPARE(modified, 0);
    }

    void stringsDialogLayoutAndLongLines() {
        TELStringsEditorDlg dialog;
        QCOMPARE(dialog.size(), QSize(431, 279));
        QCOMPARE(dialog.memMain->geometry(), QRect(16, 31, 397, 197));
        QCOMPARE(dialog.btnCancel->geometry(), QRect(345, 248, 75, 25));
        QVERIFY(dialog.btnOk->isDefault());
        dialog.show();
        QTest::keyClicks(dialog.memMain, QString(300, QLatin1Char('x')));
        QCoreApplication::processEvents();
        QCOMPARE(dialog.Lines().size(), 1); // no wrapping
        QVERIFY(dialog.memMain->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(dialog.lbLineCount->text(), QStringLiteral("1 lines"));
    }

    void ownerDrawnDropDowns_data() {
        QTest::addColumn<QString>("prop");
        QTest::addColumn<int>("entryHeight");
        const int text = QFontMetrics(QApplication::font()).height();
        QTest::newRow("colour") << "Color" << text + 2;
        QTest::newRow("cursor") << "Cursor" << qMax(text, TELCursorPropEditor::CursorSize + 4);
        QTest::newRow("pen") << "Pen" << text + 2;
        QTest::newRow("brush") << "Brush" << text + 2;
    }
    void ownerDrawnDropDowns() {
        QFETCH(QString, prop);
        QFETCH(int, entryHeight);
        make({obj.get()});
        insp->SetSplitter(90);
        TELPropertyInspectorItem* item = row(prop);
        QVERIFY(item->OwnerDrawPickList());
        select(item);
        QTest::keyClick(insp->InplaceEditor(), Qt::Key_Down, Qt::AltModifier);
        QListWidget* list = insp->InplaceEditor()->PickList();
        QVERIFY(list->isVisible());
        QCOMPARE(list->visualItemRect(list->item(0)).height(), entryHeight);
        QCOMPARE(list->height(), qMin(8, list->count()) * entryHeight + 4);
        QImage shot(insp->width(), insp->height() + list->height(), QImage::Format_ARGB32);
        shot.fill(Qt::white);
        QPainter painter(&shot);
        painter.drawPixmap(0, 0, insp->grab());
        painter.drawPixmap(insp->mapFromGlobal(list->pos()), list->grab());
        painter.end();
        SaveScreenshot(shot, QStringLiteral("dropdown-%1").arg(prop.toLower()));
        QTest::keyClick(list, Qt::Key_Escape);
    }
};

KVD_TEST_MAIN(TstTypeEditors)
#include "tst_typeeditors.moc"
