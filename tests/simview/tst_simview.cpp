// The simulator's button records: reading them from the packets the builder sends, and how they are
// drawn (backgrounds, frames, marks, alignment, cutting, scale, placeholders).

#include "link/Dromo.h"
#include "link/KvdUI.h"
#include "simview/KvdSimPaint.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

QByteArray SentPacket(const TKvdButton& b, quint8 target = 0, quint8 unit = 4) {
    quint8 bytes[Dromo::MaxButtonPacketSize];
    const int length = Dromo::BuildButton(ButtonRecordOf(b, target), unit, bytes);
    Dromo::StampHead(bytes, length, Dromo::DR_BTN, unit);
    return QByteArray(reinterpret_cast<const char*>(bytes), length);
}

TKvdSimButton Button(int left, int top, int width, int height, quint8 bstyle, const QString& text,
                     quint8 typeIn = 0) {
    TKvdSimButton b;
    b.Left = quint8(left);
    b.Top = quint8(top);
    b.Width = quint8(width);
    b.Height = quint8(height);
    b.BStyle = bstyle;
    b.Text = text;
    b.TypeIn = typeIn;
    return b;
}

QImage Screen(const QList<TKvdSimButton>& buttons, qreal scale = 2, const TKvdSimLook& look = {}) {
    const int side = int(SimScreenUnits * scale);
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    PaintSimScreen(painter, buttons, scale, look);
    return image;
}

// Pixels of rect (in pixels) that differ from colour: where something was drawn over it.
int CountOther(const QImage& image, const QRect& rect, const QColor& colour) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += image.pixelColor(x, y) != colour;
    return n;
}

int CountExactly(const QImage& image, const QRect& rect, const QColor& colour) {
    return rect.width() * rect.height() - CountOther(image, rect, colour);
}

} // namespace

class TstSimView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every field of what the builder sends comes back out of the packet unchanged.
    void readsSentPackets_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("three letters") << "abc"
                                       << "abc";
        QTest::newRow("four letters") << "abcd"
                                      << "abcd";
        QTest::newRow("cut to 240") << QString(300, QLatin1Char('x')) << QString(240, QLatin1Char('x'));
    }
    void readsSentPackets() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        TKvdButton sent(false);
        sent.ClickID = 7;
        sent.BStyle = 0x08 | 0x10 | 0x80;
        sent.TypeIn = 12;
        sent.Left = 50;
        sent.Top = 25;
        sent.Width = 255;
        sent.Height = 15;
        sent.Text = text;
        const auto b = TKvdSimButton::FromPacket(SentPacket(sent, 3));
        QVERIFY(b.has_value());
        QCOMPARE(b->Target, 3);
        QCOMPARE(b->ClickID, 7);
        QCOMPARE(b->BStyle, 0x98);
        QCOMPARE(b->TypeIn, 12);
        QCOMPARE(b->UnitRect(), QRect(50, 25, 255, 15));
        QCOMPARE(b->Text, expected);
        QVERIFY(b->Clickable() && b->TypeInField() && b->LightBackground());
        QCOMPARE(b->HorizontalAlignment(), Qt::AlignRight);
    }

    void rejectsMalformedPackets_data() {
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<int>("unit");
        TKvdButton sent(false);
        sent.Text = QStringLiteral("Go");
        const QByteArray good = SentPacket(sent);
        QByteArray wrongType = good;
        wrongType[1] = char(46);
        QByteArray wrongSize = good;
        wrongSize[0] = char(good.size() / 4 + 1);
        QTest::newRow("other type") << wrongType << 4;
        QTest::newRow("size byte disagrees") << wrongSize << 4;
        QTest::newRow("read with unit 1") << good << 1;
        QTest::newRow("shorter than head") << good.left(8) << 4;
        QTest::newRow("empty") << QByteArray() << 4;
        QTest::newRow("longer than 256") << QByteArray(260, '\0').replace(0, 2, "\x41\x2d") << 4;
    }
    void rejectsMalformedPackets() {
        QFETCH(QByteArray, packet);
        QFETCH(int, unit);
        QVERIFY(!TKvdSimButton::FromPacket(packet, unit).has_value());
    }

    // A text that fills the packet without a terminator ends with the packet; unit 1 counts bytes.
    void textWithoutTerminatorAndByteUnit() {
        QByteArray packet(16, '\0');
        packet[0] = 16;
        packet[1] = 45;
        packet.replace(12, 4, "ABCD");
        const auto b = TKvdSimButton::FromPacket(packet, 1);
        QVERIFY(b.has_value());
        QCOMPARE(b->Text, QStringLiteral("ABCD"));
    }

    void styleByteReading_data() {
        QTest::addColumn<int>("bstyle");
        QTest::addColumn<int>("background"); // 0 dark, 1 light, 2 transparent
        QTest::addColumn<int>("align");
        QTest::newRow("none") << 0 << 2 << int(Qt::AlignHCenter);
        QTest::newRow("dark left") << 0x60 << 0 << int(Qt::AlignLeft);
        QTest::newRow("light right") << 0x90 << 1 << int(Qt::AlignRight);
        QTest::newRow("both backgrounds, both alignments") << 0xF0 << 0 << int(Qt::AlignLeft);
    }
    void styleByteReading() {
        QFETCH(int, bstyle);
        QFETCH(int, background);
        QFETCH(int, align);
        const TKvdSimButton b = Button(0, 0, 10, 10, quint8(bstyle), {});
        QCOMPARE(b.DarkBackground(), background == 0);
        QCOMPARE(b.LightBackground(), background == 1);
        QCOMPARE(b.Transparent(), background == 2);
        QCOMPARE(int(b.HorizontalAlignment()), align);
        QVERIFY(!b.Clickable());
    }

    // Backgrounds per style, the frame of clickable buttons and the line of type-in buttons, drawn
    // at the place given in units times the scale, nothing outside it.
    void backgroundsFramesAndMarks_data() {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("design surface") << qreal(2);
        QTest::newRow("one pixel a unit") << qreal(1);
        QTest::newRow("large") << qreal(5);
    }
    void backgroundsFramesAndMarks() {
        QFETCH(qreal, scale);
        const TKvdSimLook look;
        const QImage image =
            Screen({Button(10, 10, 40, 20, sbDark, {}), Button(60, 10, 40, 20, sbLight, {}),
                    Button(110, 10, 40, 20, 0, {}), Button(10, 50, 40, 20, sbDark | sbClickable, {}),
                    Button(60, 50, 40, 20, sbLight, {}, 10)},
                   scale);
        QCOMPARE(image.size(), QSize(int(200 * scale), int(200 * scale)));
        const auto at = [&](qreal ux, qreal uy) {
            return image.pixelColor(int(ux * scale), int(uy * scale));
        };
        const auto units = [&](int l, int t, int w, int h) {
            return QRect(int(l * scale), int(t * scale), int(w * scale), int(h * scale));
        };
        QCOMPARE(CountOther(image, units(10, 10, 40, 20), look.DarkBack), 0);
        QCOMPARE(CountOther(image, units(60, 10, 40, 20), look.LightBack), 0);
        QCOMPARE(CountOther(image, units(110, 10, 40, 20), look.Screen), 0);
        QCOMPARE(at(9.5, 15), look.Screen);
        QCOMPARE(at(50.5, 15), look.Screen);

        // Clickable: framed all round, dark inside.
        QCOMPARE(at(10, 60), look.ClickFrame);
        QCOMPARE(at(49.9, 60), look.ClickFrame);
        QCOMPARE(at(30, 50), look.ClickFrame);
        QCOMPARE(at(30, 69.9), look.ClickFrame);
        QCOMPARE(at(30, 60), look.DarkBack);
        QCOMPARE(at(50.5, 60), look.Screen);

        // Type-in: a line near the bottom, no frame.
        QCOMPARE(at(60, 60), look.LightBack);
        QVERIFY(CountExactly(image, units(60, 65, 40, 5), look.TypeInMark) >= int(30 * scale));
        QCOMPARE(CountExactly(image, units(60, 50, 40, 12), look.TypeInMark), 0);
    }

    // Text sits on the side its alignment bits name and never crosses the button's edges.
    void textAlignmentAndCutting_data() {
        QTest::addColumn<int>("bstyle");
        QTest::addColumn<bool>("leftInk");
        QTest::addColumn<bool>("middleInk");
        QTest::addColumn<bool>("rightInk");
        QTest::newRow("centred") << int(sbDark) << false << true << false;
        QTest::newRow("left") << int(sbDark | sbLeft) << true << false << false;
        QTest::newRow("right") << int(sbDark | sbRight) << false << false << true;
        QTest::newRow("light right") << int(sbLight | sbRight) << false << false << true;
    }
    void textAlignmentAndCutting() {
        QFETCH(int, bstyle);
        QFETCH(bool, leftInk);
        QFETCH(bool, middleInk);
        QFETCH(bool, rightInk);
        const TKvdSimButton b = Button(20, 20, 120, 10, quint8(bstyle), QStringLiteral("Pit"));
        const QImage image = Screen({b});
        const QColor back = b.LightBackground() ? TKvdSimLook().LightBack : TKvdSimLook().DarkBack;
        // Thirds of the button, in pixels (scale 2).
        QCOMPARE(CountOther(image, QRect(40, 40, 80, 20), back) > 0, leftInk);
        QCOMPARE(CountOther(image, QRect(120, 40, 80, 20), back) > 0, middleInk);
        QCOMPARE(CountOther(image, QRect(200, 40, 80, 20), back) > 0, rightInk);
        const QColor text = b.LightBackground() ? TKvdSimLook().TextOnLight : TKvdSimLook().TextOnDark;
        QVERIFY(CountExactly(image, QRect(40, 40, 240, 20), text) > 0);
    }
    void longTextIsCutAtTheEdges_data() {
        QTest::addColumn<int>("bstyle");
        QTest::newRow("dark centred") << int(sbDark);
        QTest::newRow("transparent left") << int(sbLeft);
        QTest::newRow("light right") << int(sbLight | sbRight);
    }
    void longTextIsCutAtTheEdges() {
        QFETCH(int, bstyle);
        const QString text(60, QLatin1Char('W'));
        const QImage image = Screen({Button(50, 50, 30, 12, quint8(bstyle), text)});
        const QColor screen = TKvdSimLook().Screen;
        QCOMPARE(CountOther(image, QRect(0, 100, 100, 24), screen), 0);
        QCOMPARE(CountOther(image, QRect(160, 100, 240, 24), screen), 0);
        QCOMPARE(CountOther(image, QRect(100, 80, 60, 20), screen), 0);
        QCOMPARE(CountOther(image, QRect(100, 124, 60, 20), screen), 0);
        QVERIFY(CountOther(image, QRect(100, 100, 60, 24), screen) > 0);
    }

    // Placeholders stand out only when asked for, and only the braced part.
    void placeholdersMarked() {
        TKvdSimLook look;
        const TKvdSimButton b = Button(10, 10, 180, 16, sbDark | sbLeft, QStringLiteral("Lap {lap} of"));
        const QRect button(20, 20, 360, 32);
        QCOMPARE(CountExactly(Screen({b}), button, look.PlaceholderBack), 0);
        look.MarkPlaceholders = true;
        const QImage marked = Screen({b}, 2, look);
        QVERIFY(CountExactly(marked, button, look.PlaceholderBack) > 100);
        // "Lap " comes first, unmarked.
        QCOMPARE(CountExactly(marked, QRect(20, 20, 10, 32), look.PlaceholderBack), 0);

        const TKvdSimButton unclosed = Button(10, 10, 180, 16, sbDark, QStringLiteral("Lap {lap"));
        QCOMPARE(CountExactly(Screen({unclosed}, 2, look), button, look.PlaceholderBack), 0);
    }

    // One line: a line break is drawn as a space, in both text paths.
    void lineBreaksDrawnAsSpaces() {
        for (const bool mark : {false, true}) {
            TKvdSimLook look;
            look.MarkPlaceholders = mark;
            const auto shot = [&](const QString& text) {
                return Screen({Button(10, 10, 180, 16, sbDark | sbLeft, text)}, 2, look);
            };
            QCOMPARE(shot(QStringLiteral("Lap\r\n{n} of")), shot(QStringLiteral("Lap  {n} of")));
        }
    }

    // Later buttons cover earlier ones; an empty button draws nothing.
    void screenOrder() {
        const TKvdSimLook look;
        const QImage image =
            Screen({Button(0, 0, 100, 100, sbDark, {}), Button(50, 50, 100, 100, sbLight, {}),
                    Button(0, 150, 0, 20, sbDark, QStringLiteral("x"))});
        QCOMPARE(image.pixelColor(20, 20), look.DarkBack);
        QCOMPARE(image.pixelColor(150, 150), look.LightBack);
        QCOMPARE(CountOther(image, QRect(0, 300, 100, 40), look.Screen), 0);
    }
};

QTEST_MAIN(TstSimView)
#include "tst_simview.moc"
