// Layout elements: initial values, the ID rule, the bounds rules, the style-flags byte, the change
// notifications and what the design surface shows.

#include "LayoutSurface.h"
#include "core/ClassRegistry.h"
#include "core/PropInfo.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"

#include <QPainter>
#include <QPointer>
#include <QTest>

namespace {

// Records every notification of the test's document.
struct Recorder {
    QList<QPair<TKvdUIElement*, TKvdUIElementChange>> events;
    void operator()(TKvdUIElement* e, TKvdUIElementChange kind) { events.append({e, kind}); }
    int count(TKvdUIElementChange kind) const {
        return int(std::count_if(events.begin(), events.end(), [&](auto& p) { return p.second == kind; }));
    }
};

} // namespace

class TstElements : public QObject {
    Q_OBJECT
    Recorder rec;
    std::unique_ptr<TTestSurface> doc;

    // The root of the test's document, 400 x 400; it owns the elements of the test.
    TControl& Surface() { return *doc->Root(); }

private Q_SLOTS:
    void init() {
        rec = Recorder();
        doc = std::make_unique<TTestSurface>([this](TKvdUIElement* e, TKvdUIElementChange k) { rec(e, k); });
    }
    void cleanup() { doc.reset(); }

    void initialValues_data() {
        QTest::addColumn<QString>("cls");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("clickable");
        QTest::addColumn<int>("bstyle");
        QTest::addColumn<int>("ctorChanges");
        QTest::newRow("panel") << "TKvdUIPanel" << 250 << 200 << "" << int(taCenter) << int(stDark) << false
                               << 32 << 0;
        QTest::newRow("button") << "TKvdUIButton" << 60 << 30 << "BUTTON" << int(taCenter) << int(stDark)
                                << true << 40 << 0;
        QTest::newRow("text") << "TKvdUIText" << 100 << 30 << "TEXT" << int(taLeftJustify)
                              << int(stTransparent) << false << 64 << 2;
    }
    void initialValues() {
        QFETCH(QString, cls);
        RegisterElementClasses();
        const TControlClass* c = ClassRegistry::Find(cls);
        QVERIFY(c);
        std::unique_ptr<TControl> made(c->Create(doc->Root()));
        auto* e = qobject_cast<TKvdUIElement*>(made.get());
        QVERIFY(e);
        QTEST(e->Width(), "width");
        QTEST(e->Height(), "height");
        QTEST(e->Text(), "text");
        QTEST(int(e->Alignment()), "alignment");
        QTEST(int(e->Style()), "style");
        QTEST(e->Clickable(), "clickable");
        QTEST(int(e->EncodeBStyle()), "bstyle");
        QTEST(rec.count(ecChanged), "ctorChanges");
        QCOMPARE(e->ID(), 0);
        QCOMPARE(e->InputLength(), 0);
        QCOMPARE(e->Align(), alNone);
        QCOMPARE(e->Anchors(), TAnchors(akLeft | akTop));
        QCOMPARE(e->Color(), QColor(239, 239, 239));
        QVERIFY(!ClassRegistry::Find(QStringLiteral("TKvdUIElement")));
    }

    void publishedProperties() {
        TKvdUIButton button(doc->Root());
        TKvdUIPanel panel(doc->Root());
        TKvdUIText text(doc->Root());
        auto has = [](QObject* o, const char* n) {
            return Props::GetPropInfo(o, QString::fromLatin1(n)) != nullptr;
        };
        QVERIFY(has(&button, "Text") && has(&button, "InputLength") && has(&button, "Alignment"));
        QVERIFY(has(&text, "Text") && !has(&text, "InputLength") && has(&text, "Alignment"));
        QVERIFY(!has(&panel, "Text") && !has(&panel, "Alignment") && has(&panel, "Style") &&
                has(&panel, "ID"));
        QCOMPARE(Props::GetPropInfo(&button, QStringLiteral("Text"))->PropType, TypeInfo::TCaption());
        QCOMPARE(Props::GetPropInfo(&button, QStringLiteral("Style"))->PropType->EnumNames,
                 QStringList({"stDark", "stLight", "stTransparent"}));
        QVERIFY(Props::IsDefaultPropValue(&button, Props::GetPropInfo(&button, QStringLiteral("Anchors"))));
        QVERIFY(!Props::GetPropInfo(&button, QStringLiteral("ID"))->HasDefault);
        // Writing through the reflection layer reaches the notifying setters.
        rec.events.clear();
        Props::SetEnumProp(&button, Props::GetPropInfo(&button, QStringLiteral("Style")),
                           QStringLiteral("stLight"));
        QCOMPARE(button.Style(), stLight);
        QCOMPARE(rec.count(ecChanged), 1);
    }

    void idRule() {
        TControl& surface = Surface();
        auto add = [&](TControl* parent) {
            auto* b = new TKvdUIButton(&surface);
            b->SetParentControl(parent);
            return b;
        };
        auto* b0 = add(&surface);
        auto* b1 = add(&surface);
        auto* b2 = add(&surface);
        QCOMPARE(QList<int>({b0->ID(), b1->ID(), b2->ID()}), QList<int>({0, 1, 2}));
        delete b1;
        auto* b3 = add(&surface);
        QCOMPARE(b3->ID(), 3); // highest in use plus one, not the freed 1
        // Free values are kept, also below others; elements inside panels count.
        auto* panel = new TKvdUIPanel(&surface);
        panel->SetParentControl(&surface);
        auto* nested = add(panel);
        nested->SetID(7);
        QCOMPARE(nested->ID(), 7);
        b0->SetID(7);
        QCOMPARE(b0->ID(), 8);
        b0->SetID(1);
        QCOMPARE(b0->ID(), 1);
        // After 255 comes 0, taken without a further check.
        nested->SetID(255);
        b2->SetID(255);
        QCOMPARE(b2->ID(), 0);
        QCOMPARE(panel->ID(), 4);
    }

    // Each document counts its own IDs and hears only its own elements; freeing it frees its elements,
    // which still report their destruction.
    void documentsShareNothing() {
        Recorder other;
        auto second =
            std::make_unique<TKvdUIDocument>([&](TKvdUIElement* e, TKvdUIElementChange k) { other(e, k); });
        auto place = [](TControl* root) {
            auto* b = new TKvdUIButton(root);
            b->SetParentControl(root);
            return b;
        };
        place(doc->Root());
        QCOMPARE(place(doc->Root())->ID(), 1);
        QPointer<TKvdUIButton> alone = place(second->Root());
        QCOMPARE(alone->ID(), 0);
        QCOMPARE(other.count(ecCreated), 1);
        QCOMPARE(rec.count(ecCreated), 2);
        second.reset();
        QVERIFY(alone.isNull());
        QCOMPARE(other.count(ecDestroying), 1);
        QCOMPARE(rec.count(ecDestroying), 0);
    }

    void idSetterAlwaysNotifiesAndRepaints() {
        TKvdUIButton b(doc->Root());
        rec.events.clear();
        b.SetID(0);
        b.SetText(b.Text());
        b.SetStyle(b.Style());
        b.SetInputLength(b.InputLength());
        b.SetAlignment(b.Alignment());
        QCOMPARE(rec.count(ecChanged), 5);
    }

    void boundsRules_data() {
        QTest::addColumn<bool>("parented");
        QTest::addColumn<QRect>("request");
        QTest::addColumn<QRect>("result");
        QTest::newRow("odd values") << true << QRect(3, 5, 61, 31) << QRect(4, 4, 60, 30);
        QTest::newRow("halves to even") << true << QRect(1, 7, 10, 10) << QRect(0, 8, 10, 10);
        QTest::newRow("past right edge") << true << QRect(380, 10, 60, 30) << QRect(340, 10, 60, 30);
        QTest::newRow("wider than parent") << true << QRect(20, 0, 500, 30) << QRect(0, 0, 400, 30);
        QTest::newRow("negative position") << true << QRect(-3, -10, 60, 30) << QRect(0, 0, 60, 30);
        QTest::newRow("negative size in parent") << true << QRect(10, 10, -7, -3) << QRect(10, 10, 0, 0);
        QTest::newRow("no parent keeps negatives") << false << QRect(-3, 5, -3, 61) << QRect(-4, 4, -2, 60);
    }
    void boundsRules() {
        QFETCH(bool, parented);
        QFETCH(QRect, request);
        TControl& surface = Surface();
        TKvdUIButton* b = new TKvdUIButton(&surface);
        if (parented)
            b->SetParentControl(&surface);
        b->SetBounds(request.x(), request.y(), request.width(), request.height());
        QTEST(b->BoundsRect(), "result");
    }

    void boundsNotifyOnlyOnChange() {
        TControl& surface = Surface();
        auto* b = new TKvdUIButton(&surface);
        b->SetParentControl(&surface);
        b->SetBounds(10, 10, 60, 30);
        rec.events.clear();
        b->SetBounds(10, 10, 61, 31); // rounds back to the same rectangle
        QCOMPARE(rec.count(ecChanged), 0);
        b->SetLeft(20);
        QCOMPARE(rec.count(ecChanged), 1);
    }

    void notificationsOfLifecycle() {
        TControl& surface = Surface();
        auto* b = new TKvdUIButton(&surface);
        QCOMPARE(rec.count(ecCreated), 0);
        b->SetParentControl(&surface);
        QCOMPARE(rec.count(ecCreated), 1);
        rec.events.clear();
        delete b;
        QCOMPARE(rec.events.size(), 1);
        QCOMPARE(rec.events.first().second, ecDestroying);
    }

    void styleByte_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("style");
        QTest::newRow("152") << 152 << int(taRightJustify) << int(stLight);
        QTest::newRow("96") << 96 << int(taLeftJustify) << int(stDark);
        QTest::newRow("0") << 0 << int(taCenter) << int(stTransparent);
        QTest::newRow("dark wins") << (16 | 32) << int(taCenter) << int(stDark);
        QTest::newRow("left wins") << (64 | 128) << int(taLeftJustify) << int(stTransparent);
        QTest::newRow("low bits ignored") << (1 | 2 | 4 | 8 | 16) << int(taCenter) << int(stLight);
    }
    void styleByte() {
        QFETCH(int, byte);
        TKvdUIText t;
        rec.events.clear();
        t.DecodeBStyle(quint8(byte));
        QVERIFY(rec.events.isEmpty());
        QTEST(int(t.Alignment()), "alignment");
        QTEST(int(t.Style()), "style");
        QVERIFY(!t.Clickable());
    }

    void encodeRightAlignedLightButton() {
        TKvdUIButton b;
        b.SetAlignment(taRightJustify);
        b.SetStyle(stLight);
        QCOMPARE(b.EncodeBStyle(), 152);
    }

    void paintingIdentifiesTheElement() {
        TControl& surface = Surface();
        surface.resize(400, 400);
        auto* panel = new TKvdUIPanel(&surface);
        panel->SetParentControl(&surface);
        auto* button = new TKvdUIButton(&surface);
        button->SetParentControl(panel);
        button->SetBounds(20, 60, 120, 40);
        button->SetID(12);
        QCOMPARE(button->KindWord(), QStringLiteral("BUTTON"));
        QCOMPARE(panel->KindWord(), QStringLiteral("PANEL"));
        const QImage image = surface.grab().toImage();
        // Black frame, element colour inside, silver hatch on the panel, red caption on the button.
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
        QCOMPARE(image.pixelColor(20, 60), QColor(Qt::black));
        QCOMPARE(image.pixelColor(22, 62), QColor(239, 239, 239));
        bool silver = false, red = false;
        for (int y = 1; y < 199 && !silver; ++y)
            silver = image.pixelColor(200, y) == QColor(192, 192, 192);
        for (int x = 22; x < 138 && !red; ++x)
            for (int y = 62; y < 98 && !red; ++y)
                red = image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).green() < 100;
        QVERIFY(silver);
        QVERIFY(red);
    }

    // A text label's caption is black and follows its alignment; a panel's sits at the top left.
    void captionFollowsAlignment_data() {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("inkLeft");
        QTest::addColumn<bool>("inkRight");
        QTest::newRow("left") << int(taLeftJustify) << true << false;
        QTest::newRow("right") << int(taRightJustify) << false << true;
    }
    void captionFollowsAlignment() {
        QFETCH(int, alignment);
        QFETCH(bool, inkLeft);
        QFETCH(bool, inkRight);
        TControl& surface = Surface();
        auto* text = new TKvdUIText(&surface);
        text->SetParentControl(&surface);
        text->SetBounds(0, 0, 300, 30);
        text->SetAlignment(TAlignment(alignment));
        const QImage image = surface.grab().toImage();
        auto inkIn = [&](int from, int to) {
            for (int x = from; x < to; ++x)
                for (int y = 3; y < 27; ++y)
                    if (image.pixelColor(x, y).lightness() < 100)
                        return true;
            return false;
        };
        QCOMPARE(inkIn(4, 100), inkLeft);
        QCOMPARE(inkIn(200, 296), inkRight);
    }

    // An element repainted one row of pixels at a time looks as when painted whole: a repaint that leaves
    // the caption out never covers a pixel of it, whatever the element's height and kind.
    void partialRepaintsMatchTheWholePicture_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("height");
        QTest::newRow("button") << QStringLiteral("button") << 40;
        QTest::newRow("button of a dense grid") << QStringLiteral("button") << 22;
        QTest::newRow("button lower than its line") << QStringLiteral("button") << 9;
        QTest::newRow("text") << QStringLiteral("text") << 21;
        QTest::newRow("panel") << QStringLiteral("panel") << 60;
    }
    void partialRepaintsMatchTheWholePicture() {
        QFETCH(QString, kind);
        QFETCH(int, height);
        TControl& surface = Surface();
        TKvdUIElement* e = nullptr;
        if (kind == QLatin1String("panel"))
            e = new TKvdUIPanel(&surface);
        else if (kind == QLatin1String("text"))
            e = new TKvdUIText(&surface);
        else
            e = new TKvdUIButton(&surface);
        e->SetParentControl(&surface);
        e->SetBounds(0, 0, 120, height);
        const QImage whole = e->grab().toImage();
        QImage rows(whole.size(), whole.format());
        rows.fill(Qt::blue);
        for (int y = 0; y < height; ++y) {
            QPixmap row(e->size());
            row.fill(Qt::blue);
            e->render(&row, QPoint(0, y), QRegion(0, y, e->width(), 1));
            const QImage picture = row.toImage().convertToFormat(whole.format());
            for (int x = 0; x < e->width(); ++x)
                rows.setPixel(x, y, picture.pixel(x, y));
        }
        QCOMPARE(rows, whole);
    }

    // An element keeps its caption laid out between repaints; after a change of ID or width it looks as a
    // new element made with them does.
    void repaintedCaptionFollowsIdAndWidth() {
        TControl& surface = Surface();
        auto make = [&](quint8 id, int width) {
            auto* e = new TKvdUIButton(&surface);
            e->SetParentControl(&surface);
            e->SetBounds(0, 0, width, 40);
            e->SetID(id);
            return e;
        };
        // One element at a time: a second one with the same ID would be marked as a duplicate.
        std::unique_ptr<TKvdUIButton> e(make(1, 120));
        const QImage first = e->grab().toImage();
        e->SetID(200);
        const QImage renamed = e->grab().toImage();
        QVERIFY(renamed != first);
        e->SetBounds(0, 0, 36, 40);
        const QImage narrow = e->grab().toImage();
        e->SetBounds(0, 0, 120, 40);
        QCOMPARE(e->grab().toImage(), renamed);
        e.reset();
        e.reset(make(200, 120));
        QCOMPARE(e->grab().toImage(), renamed);
        e.reset();
        e.reset(make(200, 36));
        QCOMPARE(e->grab().toImage(), narrow);
    }
};

QTEST_MAIN(TstElements)
#include "tst_elements.moc"
