// The layout checks: each rule with a layout that breaks it and one that just keeps it, placeholders
// filled in or measured as written, and the builder's own layout text.

#include "core/ButtonFields.h"
#include "layout/KvdUIClickAreas.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutChecks.h"
#include "layout/KvdUILayoutFile.h"
#include "simview/KvdSimPaint.h"

#include <QRandomGenerator>
#include <QTest>

#include <optional>

namespace {

constexpr int Clickable = 40;   // dark, centred, clickable: a default button
constexpr int Label = 64;       // transparent, left-aligned: a default text label
constexpr int DarkCentred = 32; // dark, centred, not clickable

struct El {
    El(int id = 0, int left = 0, int top = 0, int width = 60, int height = 30, int bstyle = Clickable,
       const QString& text = QString(), int typeIn = 0, const QString& type = QStringLiteral("TKvdUIButton"))
        : ID(id), Left(left), Top(top), Width(width), Height(height), BStyle(bstyle), Text(text),
          TypeIn(typeIn), Type(type) {}
    int ID;
    int Left; // absolute, design pixels
    int Top;
    int Width;
    int Height;
    int BStyle;
    QString Text;
    int TypeIn;
    QString Type;
};

QString element(const El& e) {
    return QStringLiteral("<element type=\"%1\" align=\"0\" anchors=\"akLeft,akTop\" rel_left=\"%2\" "
                          "rel_top=\"%3\" width=\"%4\" height=\"%5\" id=\"%6\" text=\"%7\" typein=\"%8\" "
                          "bstyle=\"%9\" left=\"%2\" top=\"%3\"/>")
        .arg(e.Type)
        .arg(e.Left)
        .arg(e.Top)
        .arg(e.Width)
        .arg(e.Height)
        .arg(e.ID)
        .arg(e.Text.toHtmlEscaped())
        .arg(e.TypeIn)
        .arg(e.BStyle);
}

QString layout(const QList<El>& elements) {
    QString body;
    for (const El& e : elements)
        body += element(e);
    return QStringLiteral("<ui>%1</ui>").arg(body);
}

// The findings as "ID rule severity", in their order.
QStringList summary(const QList<TKvdCheckFinding>& findings) {
    QStringList lines;
    for (const TKvdCheckFinding& f : findings)
        lines << QStringLiteral("%1 %2 %3").arg(f.ID).arg(f.Rule, CheckSeverityName(f.Severity));
    return lines;
}

// The placeholder values a test row gives as two lists, name by name.
QHash<QString, QString> valuesByName(const QStringList& names, const QStringList& values) {
    QHash<QString, QString> hash;
    for (qsizetype i = 0; i < names.size(); ++i)
        hash.insert(names.at(i), values.at(i));
    return hash;
}

QStringList check(const QList<El>& elements, const QHash<QString, QString>& values = {}) {
    return summary(CheckLayoutText(layout(elements), values));
}

// A caption of n letters "i" and a button height, in units, at which the caption is a whole number of
// units wide as the simulator look draws it (two pixels a unit); found by trying a bounded number of both.
struct ExactCaption {
    QString Text;
    int HeightUnits = 0;
    int WidthUnits = 0;
};
std::optional<ExactCaption> exactCaption() {
    for (int height = 8; height <= 40; ++height)
        for (int n = 1; n <= 40; ++n) {
            const QString text(n, QLatin1Char('i'));
            const qreal width = SimTextWidth(text, height * 2);
            const int units = qRound(width / 2);
            if (qAbs(width - units * 2) < 1e-9 && units >= 8 && units < 200)
                return ExactCaption{text, height, units};
        }
    return std::nullopt;
}

} // namespace

Q_DECLARE_METATYPE(El)

class TstChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { RegisterElementClasses(); }

    // Position and size against the button area and against what a button packet holds. Text labels
    // without text, so that no other rule speaks.
    void place_data() {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        const QStringList outside{"0 outside warning"};
        const QStringList wraps{"0 wraps error"};
        QTest::newRow("at the right and bottom edges") << 340 << 370 << 60 << 30 << none;
        QTest::newRow("one unit past the right edge") << 342 << 0 << 60 << 30 << outside;
        QTest::newRow("one unit past the bottom edge") << 0 << 372 << 60 << 30 << outside;
        QTest::newRow("whole area") << 0 << 0 << 400 << 400 << none;
        QTest::newRow("left at the packet's limit") << 510 << 0 << 2 << 2 << outside;
        QTest::newRow("left past the packet's limit") << 512 << 0 << 2 << 2 << wraps;
        QTest::newRow("width at the packet's limit") << 0 << 0 << 511 << 30 << outside;
        QTest::newRow("height past the packet's limit") << 0 << 0 << 30 << 512 << wraps;
        QTest::newRow("negative top") << 0 << -2 << 60 << 30 << wraps;
    }
    void place() {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QStringList, expected);
        QCOMPARE(check({{0, left, top, width, height, Label, QString(), 0, "TKvdUIText"}}), expected);
    }

    void overlap_data() {
        QTest::addColumn<QList<El>>("elements");
        QTest::addColumn<QStringList>("expected");
        const El a{1, 100, 100, 60, 30};
        QTest::newRow("one unit in common")
            << QList<El>{a, {2, 158, 128, 60, 30}} << QStringList{"2 overlap warning"};
        QTest::newRow("shared right edge") << QList<El>{a, {2, 160, 100, 60, 30}} << QStringList();
        QTest::newRow("shared bottom edge") << QList<El>{a, {2, 100, 130, 60, 30}} << QStringList();
        QTest::newRow("a label over a button")
            << QList<El>{a, {2, 110, 110, 60, 30, Label, {}, 0, "TKvdUIText"}} << QStringList();
        QTest::newRow("a type-in field over a button")
            << QList<El>{a, {2, 110, 110, 60, 30, DarkCentred, {}, 8}} << QStringList{"2 overlap warning"};
        QTest::newRow("an empty button inside another")
            << QList<El>{a, {2, 110, 110, 0, 30}} << QStringList{"2 small-target information"};
        QTest::newRow("three in a pile")
            << QList<El>{a, {2, 110, 110, 60, 30}, {3, 120, 120, 60, 30}}
            << QStringList{"2 overlap warning", "3 overlap warning", "3 overlap warning"};
    }
    void overlap() {
        QFETCH(QList<El>, elements);
        QFETCH(QStringList, expected);
        QCOMPARE(check(elements), expected);
    }

    // A pile of 2 000 clickable buttons: findings grow with the buttons, not with their pairs; the
    // overlaps past the first eight of an element are one finding that counts them.
    void pileOfButtons() {
        QList<El> pile;
        for (int i = 0; i < 2000; ++i)
            pile << El{i % 256, 100, 100};
        const QList<TKvdCheckFinding> findings = CheckLayoutText(layout(pile));
        qsizetype overlaps = 0;
        for (const TKvdCheckFinding& f : findings)
            overlaps += f.Rule == QStringLiteral("overlap");
        QCOMPARE(overlaps, qsizetype(8 * 9 / 2 + 8 * (2000 - 9) + (2000 - 9)));
        const TKvdCheckFinding& last = findings.constLast();
        QCOMPARE(last.Rule, QStringLiteral("overlap"));
        QVERIFY2(last.Message.startsWith(
                     QStringLiteral("overlaps 1991 more clickable buttons (IDs 8, 9, 10, 11, 12, "
                                    "13, 14, 15 …)")),
                 qPrintable(last.Message));
    }

    // The click areas find the same overlaps as comparing every pair: the count, and the first IDs in
    // document order, for scattered buttons, piles at a few places (where the count comes from the corner
    // trees) and buttons over the whole area reaching the last coordinates.
    void clickAreasAgreeWithEveryPair() {
        QRandomGenerator random(2026);
        for (const int places : {1, 3, 40, 100000}) {
            TClickAreas areas;
            std::vector<TClickArea> earlier;
            for (int i = 0; i < 600; ++i) {
                const int spot = int(random.bounded(places));
                const int left = spot % 256, top = (spot / 7) % 256;
                const int width = 1 + int(random.bounded(places == 1 ? 1 : 255));
                const int height = 1 + int(random.bounded(places == 1 ? 1 : 255));
                const TClickArea area{left, top, left + width, top + height, i % 256};
                std::vector<int> ids;
                for (const TClickArea& e : earlier)
                    if (area.Overlaps(e))
                        ids.push_back(e.ID);
                const TClickAreas::Overlap found = areas.Add(area, 16);
                QCOMPARE(found.Count, int(ids.size()));
                ids.resize(std::min<size_t>(ids.size(), 16));
                QCOMPARE(found.First, ids);
                earlier.push_back(area);
            }
        }
    }

    // The messages name what the user must look at: the other button, the value the simulator gets.
    void messages() {
        const auto findings = CheckLayoutText(
            layout({{7, 0, 0}, {9, 20, 10}, {4, 520, 0, 60, 30, Label, {}, 0, "TKvdUIText"}}));
        QCOMPARE(summary(findings), QStringList({"9 overlap warning", "4 wraps error"}));
        QVERIFY2(findings.at(0).Message.contains(QStringLiteral("button ID 7")),
                 qPrintable(findings.at(0).Message));
        QVERIFY2(findings.at(1).Message.contains(QStringLiteral("left 520 is sent as 4")),
                 qPrintable(findings.at(1).Message));
    }

    // The caption measured as the simulator look draws it: exactly as wide as its button fits, one unit
    // less is cut, centred or left-aligned.
    void captionAtTheButtonsWidth() {
        const auto exact = exactCaption();
        if (!exact)
            QSKIP("no caption of a whole number of units in this font");
        const int h = exact->HeightUnits * 2;
        const int w = exact->WidthUnits * 2;
        QCOMPARE(check({{0, 0, 0, w, h, Clickable, exact->Text}}), QStringList());
        QCOMPARE(check({{0, 0, 0, w - 2, h, Clickable, exact->Text}}), QStringList{"0 caption-cut warning"});
        // Left and right alignment keep two units of padding (frame and gap) at the aligned side.
        QCOMPARE(check({{0, 0, 0, w + 4, h, Label, exact->Text, 0, "TKvdUIText"}}), QStringList());
        QCOMPARE(check({{0, 0, 0, w + 2, h, Label, exact->Text, 0, "TKvdUIText"}}),
                 QStringList{"0 caption-cut warning"});
        QCOMPARE(check({{0, 0, 0, w + 2, h, 128, exact->Text, 0, "TKvdUIText"}}),
                 QStringList{"0 caption-cut warning"});
    }

    void captionWithoutRoom() {
        QCOMPARE(check({{0, 0, 0, 0, 30, Label, "x", 0, "TKvdUIText"}}),
                 QStringList{"0 caption-cut warning"});
        // Line breaks are drawn as spaces: a caption of two short lines is one long line.
        QCOMPARE(check({{0, 0, 0, 60, 30, Clickable, "GO"}}), QStringList());
        QCOMPARE(check({{0, 0, 0, 60, 30, Clickable, "GO\nGO\nGO\nGO\nGO"}}),
                 QStringList{"0 caption-cut warning"});
    }

    void placeholders_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QStringList>("expected");
        const QStringList cut{"0 caption-cut warning"};
        QTest::newRow("as written, short") << "{lap}" << QStringList() << QStringList() << QStringList();
        QTest::newRow("filled in, long") << "{lap}" << QStringList{"lap"} << QStringList{"123456789"} << cut;
        QTest::newRow("any letter case") << "{LAP}" << QStringList{"Lap"} << QStringList{"123456789"} << cut;
        QTest::newRow("as written, long") << "{driver_name}" << QStringList() << QStringList() << cut;
        QTest::newRow("filled in, short")
            << "{driver_name}" << QStringList{"driver_name"} << QStringList{"Al"} << QStringList();
        QTest::newRow("other names stay") << "{driver_name}" << QStringList{"lap"} << QStringList{"1"} << cut;
    }
    void placeholders() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        QFETCH(QStringList, values);
        QFETCH(QStringList, expected);
        const QHash<QString, QString> hash = valuesByName(names, values);
        QCOMPARE(check({{0, 0, 0, 80, 30, Clickable, text}}, hash), expected);
    }

    // A wide, low button whose caption is never cut, so only the packet's limit speaks.
    void captionLength_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<bool>("tooLong");
        QTest::newRow("240 bytes") << QString(240, 'x') << QStringList() << QStringList() << false;
        QTest::newRow("241 bytes") << QString(241, 'x') << QStringList() << QStringList() << true;
        // Captions go out in the system's code page: "\u00e9" is two bytes in UTF-8 (Linux), one in
        // Windows-1252.
        if (QString(QChar(0xE9)).toLocal8Bit().size() == 2) {
            QTest::newRow("120 two-byte letters")
                << QString(120, QChar(0xE9)) << QStringList() << QStringList() << false;
            QTest::newRow("121 two-byte letters")
                << QString(121, QChar(0xE9)) << QStringList() << QStringList() << true;
        } else {
            QTest::newRow("240 one-byte accented letters")
                << QString(240, QChar(0xE9)) << QStringList() << QStringList() << false;
            QTest::newRow("241 one-byte accented letters")
                << QString(241, QChar(0xE9)) << QStringList() << QStringList() << true;
        }
        QTest::newRow("filled in past the limit")
            << QString(230, 'x') + "{p}" << QStringList{"p"} << QStringList{"0123456789A"} << true;
        QTest::newRow("as written within it")
            << QString(230, 'x') + "{p}" << QStringList() << QStringList() << false;
    }
    void captionLength() {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        QFETCH(QStringList, values);
        QFETCH(bool, tooLong);
        const QHash<QString, QString> hash = valuesByName(names, values);
        const QStringList found = check({{0, 0, 0, 60, 2, Label, text, 0, "TKvdUIText"}}, hash);
        QCOMPARE(found.contains(QStringLiteral("0 caption-too-long error")), tooLong);
    }

    void input_data() {
        QTest::addColumn<El>("element");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("default button") << El{} << QStringList();
        QTest::newRow("button that takes nothing")
            << El{0, 0, 0, 60, 30, DarkCentred} << QStringList{"0 no-input information"};
        QTest::newRow("type-in field without the click bit")
            << El{0, 0, 0, 60, 30, DarkCentred, {}, 5} << QStringList();
        QTest::newRow("label") << El{0, 0, 0, 60, 30, Label, {}, 0, "TKvdUIText"} << QStringList();
        QTest::newRow("button at the smallest size") << El{0, 0, 0, 12, 12} << QStringList();
        QTest::newRow("button one unit too narrow")
            << El{0, 0, 0, 10, 12} << QStringList{"0 small-target information"};
        QTest::newRow("type-in field one unit too low")
            << El{0, 0, 0, 60, 10, DarkCentred, {}, 5} << QStringList{"0 small-target information"};
        QTest::newRow("tiny label") << El{0, 0, 0, 4, 4, Label, {}, 0, "TKvdUIText"} << QStringList();
    }
    void input() {
        QFETCH(El, element);
        QFETCH(QStringList, expected);
        QCOMPARE(check({element}), expected);
    }

    void duplicateIDs() {
        QCOMPARE(check({{3, 0, 0}, {3, 100, 0}, {4, 200, 0}, {259, 300, 0}}),
                 QStringList({"3 duplicate-id information", "3 duplicate-id information"}));
        QCOMPARE(check({{3, 0, 0}, {4, 100, 0}}), QStringList());
        // With every ID in use, a clash stays one: an error, not a move to a new ID.
        QList<El> full;
        for (int id = 0; id < 257; ++id)
            full << El{id % 256, (id % 16) * 24, (id / 16) * 22, 20, 20};
        const QStringList clashes = check(full).filter(QStringLiteral("duplicate-id"));
        QCOMPARE(clashes, QStringList({"0 duplicate-id error"}));
    }

    // Findings come element by element in document order; a nested element is placed by its position in
    // its panel. The writer's plain text goes through the quick scanner, anything else (here a comment)
    // through the XML reader, and both find the same.
    void scannerAndReaderAgree() {
        const QString panel = QStringLiteral("<element type=\"TKvdUIPanel\" rel_left=\"300\" rel_top=\"20\" "
                                             "width=\"100\" height=\"100\" id=\"9\" bstyle=\"32\" "
                                             "text=\"\" typein=\"0\">%1</element>")
                                  .arg(element({2, 90, 0}) + element({3, 100, 10, 8, 8}));
        const QString body =
            element({1, 0, 0, 60, 30, Clickable, "a &amp; {b}"}) + panel + element({1, 600, 0});
        const QString plain = QStringLiteral("<ui>%1</ui>").arg(body);
        const QString commented = QStringLiteral("<ui><!-- hand-made -->%1</ui>").arg(body);
        const QHash<QString, QString> values{{"b", "a long replacement"}};
        const QStringList expected{
            "1 caption-cut warning", "2 outside warning",          "3 outside warning",
            "3 overlap warning",     "3 small-target information", "1 duplicate-id information",
            "1 wraps error"};
        QCOMPARE(summary(CheckLayoutText(plain, values)), expected);
        QCOMPARE(summary(CheckLayoutText(commented, values)), expected);
        QCOMPARE(summary(CheckLayoutBytes(plain.toUtf8(), values)), expected);
    }

    void unreadableAndEmpty() {
        const auto findings = CheckLayoutText(QStringLiteral("<ui><element id=\"1\" left=\"900\"></ui>"));
        QCOMPARE(summary(findings), QStringList{"-1 unreadable error"});
        QVERIFY(findings.first().Message.contains(QStringLiteral("line 1")));
        QVERIFY(CheckLayoutText(QString()).isEmpty());
        QVERIFY(CheckLayoutText(QStringLiteral("<ui/>")).isEmpty());
    }

    // The builder's own text: elements of each kind inside the area are clean once the button's caption
    // fits; a button in a panel beyond the area (the surface is as large as the window) is found by its
    // absolute position.
    void builderText() {
        TKvdUIDocument document;
        TControl* root = document.Root();
        root->SetBounds(0, 0, 800, 600);
        root->SetAcceptsControls(true);
        const auto place = [&](TKvdUIElement* e, TControl* parent, int left, int top) {
            e->SetParentControl(parent);
            e->SetID(e->ID());
            e->SetBounds(left, top, e->Width(), e->Height());
            return e;
        };
        auto* panel = place(new TKvdUIPanel(root), root, 100, 100);
        auto* go = place(new TKvdUIButton(root), panel, 20, 20);
        place(new TKvdUIText(root), panel, 20, 100);
        // "BUTTON" is wider than a default button in the simulator look.
        QCOMPARE(summary(CheckLayoutText(WriteLayout(root))), QStringList{"1 caption-cut warning"});
        go->SetText(QStringLiteral("GO"));
        QCOMPARE(summary(CheckLayoutText(WriteLayout(root))), QStringList());
        panel->SetLeft(300);
        auto* far = place(new TKvdUIButton(root), panel, 180, 20);
        far->SetText(QStringLiteral("GO"));
        QCOMPARE(far->ID(), 3);
        QCOMPARE(summary(CheckLayoutText(WriteLayout(root))),
                 QStringList({"0 outside warning", "2 outside warning", "3 outside warning"}));
        while (root->ComponentCount() > 0)
            delete root->Components(root->ComponentCount() - 1);
    }
};

QTEST_MAIN(TstChecks)
#include "tst_checks.moc"
