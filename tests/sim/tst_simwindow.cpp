// The stand-in's window against a raw client: what a client sends is shown on one line in the log and
// the client list, a changed button repaints its own place only, and the screen draws the buttons as
// the simulator renderer does.

#include "ShownWindow.h"
#include "SimTestClients.h"

#include "sim/SimScreen.h"
#include "sim/SimWindow.h"
#include "simview/KvdSimPaint.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTreeWidget>

class TestSimWindow : public QObject {
    Q_OBJECT

private slots:
    void clientTextsStayOnTheirLine();
    void aChangedButtonRepaintsItsPlaceOnly();
    void screenDrawsAsTheRenderer();

private:
    // Collects the regions the screen paints.
    struct PaintSpy : QObject {
        QRegion Painted;
        int Paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                Painted += static_cast<QPaintEvent*>(event)->region();
                ++Paints;
            }
            return false;
        }
    };
};

void TestSimWindow::clientTextsStayOnTheirLine() {
    TSimServer server;
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    TSimWindow window(server);
    RawClient client(server.Port());
    QVERIFY(client.WaitConnected());
    // A name and a button text that would each forge a line of their own if shown as they are.
    client.Send(RawClient::Init("x\n2 + forged") +
                ButtonPacket(1, "Go\n12:00:00.000  9 - closed\x1b[2J by client"));
    QTRY_COMPARE_WITH_TIMEOUT(window.Screen()->Entries().size(), 1, 5000);
    window.Flush();
    QCOMPARE(window.ClientList()->topLevelItem(0)->text(1), QStringLiteral("x\\n2 + forged"));
    const QString log = window.LogView()->toPlainText();
    QVERIFY2(log.contains(QStringLiteral("initialise \"x\\n2 + forged\"")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("button 1 \"Go\\n12:00:00.000  9 - closed\\e[2J by client\"")),
             qPrintable(log));
    const QRegularExpression stamped(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  \\S"));
    for (const QString& line : log.split(QLatin1Char('\n')))
        QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));
}

void TestSimWindow::aChangedButtonRepaintsItsPlaceOnly() {
    TSimServer server;
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    TSimWindow window(server);
    QVERIFY(ShowAt(window, QSize(900, 560)));
    TSimScreen* screen = window.Screen();
    PaintSpy spy;
    screen->installEventFilter(&spy);
    RawClient client(server.Port());
    QVERIFY(client.WaitConnected());
    const QRect first(10, 10, 40, 20), second(100, 120, 40, 20);
    client.Send(RawClient::Init() + ButtonPacket(1, "one", 0x28, first) +
                ButtonPacket(2, "two", 0x28, second));
    QTRY_COMPARE_WITH_TIMEOUT(screen->Entries().size(), 2, 5000);
    const QRect firstPixels = screen->PixelRect(screen->Entries().at(0).Button).toAlignedRect();
    const QRect secondPixels = screen->PixelRect(screen->Entries().at(1).Button).toAlignedRect();
    // Both drawn for the first time.
    QTRY_VERIFY_WITH_TIMEOUT(spy.Painted.contains(firstPixels) && spy.Painted.contains(secondPixels), 5000);
    QTest::qWait(50);
    spy.Painted = QRegion();
    spy.Paints = 0;

    // A new text for the first, then a second client whose button covers part of the first.
    client.Send(ButtonPacket(1, "changed", 0x28, first));
    QTRY_COMPARE_WITH_TIMEOUT(screen->Entries().at(0).Button.Text, QStringLiteral("changed"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(spy.Paints > 0, 5000);
    QTest::qWait(50);
    QVERIFY(!spy.Painted.isEmpty());
    QVERIFY(spy.Painted.subtracted(firstPixels).isEmpty());
    QVERIFY(!spy.Painted.intersects(secondPixels));

    spy.Painted = QRegion();
    RawClient other(server.Port());
    QVERIFY(other.WaitConnected());
    other.Send(RawClient::Init() + ButtonPacket(0, "over", 0x18, QRect(30, 10, 40, 20)));
    QTRY_COMPARE_WITH_TIMEOUT(screen->Entries().size(), 3, 5000);
    const QRect overPixels = screen->PixelRect(screen->Entries().at(2).Button).toAlignedRect();
    QTRY_VERIFY_WITH_TIMEOUT(!spy.Painted.isEmpty(), 5000);
    QTest::qWait(50);
    QVERIFY(spy.Painted.subtracted(overPixels).isEmpty());
    // Where it covers the first button, the topmost is hit.
    const auto* hit = screen->EntryAt(QPointF(overPixels.center()));
    QVERIFY(hit);
    QCOMPARE(hit->Client, 2);

    // Leaving clears its place, and only that.
    spy.Painted = QRegion();
    other.Socket.disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(screen->Entries().size(), 2, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!spy.Painted.isEmpty(), 5000);
    QTest::qWait(50);
    QVERIFY(spy.Painted.subtracted(overPixels).isEmpty());
    QCOMPARE(screen->EntryAt(QPointF(overPixels.center()))->Client, 1);
}

void TestSimWindow::screenDrawsAsTheRenderer() {
    // Every style and alignment, long texts cut at both edges, transparent buttons over others: the
    // window's screen next to the renderer drawing the same buttons.
    TSimServer server;
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    TSimWindow window(server);
    QVERIFY(ShowAt(window, QSize(900, 560)));
    RawClient client(server.Port());
    QVERIFY(client.WaitConnected());
    const QByteArray longText = "A text far too long for its little button, and then some more of it";
    QByteArray packets = RawClient::Init();
    const quint8 styles[] = {0x28, 0x58, 0x98, 0x10, 0x60, 0xa0, 0x00, 0x40, 0x80};
    for (int i = 0; i < 9; ++i) {
        const QRect units(8 + (i % 3) * 64, 8 + (i / 3) * 40, 56, 16 + 4 * (i % 3));
        packets += ButtonPacket(quint8(i), i % 2 ? longText : QByteArray("Lap 12"), styles[i], units);
    }
    packets += ButtonPacket(20, "Over\tall", 0x08, QRect(20, 20, 150, 100));
    client.Send(packets);
    TSimScreen* screen = window.Screen();
    QTRY_COMPARE_WITH_TIMEOUT(screen->Entries().size(), 10, 5000);
    const QImage shown = screen->grab().toImage().convertToFormat(QImage::Format_RGB32);

    QImage drawn(shown.size(), QImage::Format_RGB32);
    drawn.fill(Qt::black);
    {
        QPainter painter(&drawn);
        painter.translate(screen->Origin());
        QList<TKvdSimButton> buttons;
        for (const TSimScreen::Entry& e : screen->Entries())
            buttons << e.Button;
        PaintSimScreen(painter, buttons, screen->Scale());
    }
    const QRect area =
        QRectF(screen->Origin(), QSizeF(SimScreenUnits, SimScreenUnits) * screen->Scale()).toRect() &
        shown.rect();
    int differ = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb a = shown.pixel(x, y), b = drawn.pixel(x, y);
            if (qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 96)
                ++differ;
        }
    qInfo("%d of %d pixels differ", differ, area.width() * area.height());
    QVERIFY(differ * 1000 < area.width() * area.height());
}

QTEST_MAIN(TestSimWindow)
#include "tst_simwindow.moc"
