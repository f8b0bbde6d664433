// The builder's live preview against the stand-in, both in this process: the real main window connects
// through its dialog, and what the user does on either side shows on the other. Also keeps screenshots
// of the stand-in's window.

#include "../shell/ShellFixture.h"
#include "ShownWindow.h"
#include "SimTestClients.h"

#include "link/KvdUI.h"
#include "sim/SimScreen.h"
#include "sim/SimServer.h"
#include "sim/SimWindow.h"

#include <QFile>

class TestSimPreview : public QObject {
    Q_OBJECT

private slots:
    void insertClickTypeDelete();
    void windowShowsEveryStyleAndAlignment();
    void mouseButtonsAndKeysMakeTheClickFlags();

private:
    static void Connect(ShellFixture& f, quint16 port);
    // Clicks the middle of the stand-in's button with that click id.
    static void ClickButton(TSimWindow& window, int id, Qt::KeyboardModifiers keys = {}) {
        TSimScreen* screen = window.Screen();
        for (const TSimScreen::Entry& e : screen->Entries())
            if (e.Button.ClickID == id) {
                QTest::mouseClick(screen, Qt::LeftButton, keys,
                                  screen->PixelRect(e.Button).center().toPoint());
                return;
            }
        QFAIL("the stand-in shows no such button");
    }
};

void TestSimPreview::Connect(ShellFixture& f, quint16 port) {
    AnswerModal([port](QWidget* modal) {
        auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("edPort"));
        edit->selectAll();
        QTest::keyClicks(edit, QString::number(port));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    f.Click(f.Main->actPreview);
    QTRY_VERIFY_WITH_TIMEOUT(f.LogLines().value(0).startsWith(QStringLiteral("Connected to Korvadia")), 5000);
}

void TestSimPreview::insertClickTypeDelete() {
    TSimServer server;
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    TSimWindow window(server);
    QVERIFY(ShowAt(window, QSize(800, 500)));
    ShellFixture f;
    f.Click(f.Main->actNew);
    f.Settle();
    Connect(f, server.Port());
    QCOMPARE(
        f.LogLines().at(0),
        QStringLiteral("Connected to Korvadia [kvdsim %1]").arg(QStringLiteral(KVD_VERSION_TEXT).left(7)));
    QCOMPARE(server.Client(1)->Name, QByteArray("KvdUIBuilder"));

    // An inserted button appears in the stand-in, as the builder describes it.
    f.Insert(ToolOf(f.Main.get(), "TKvdUIButton"), QRect(40, 40, 120, 40));
    QCOMPARE(f.Elements().size(), 1);
    TKvdUIElement* button = f.Elements().at(0);
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1),
                              TKvdUI::LayoutPackets(WriteLayout(f.Root()), {}, 0, 4), 5000);
    QCOMPARE(window.Screen()->Entries().size(), 1);
    QCOMPARE(window.Screen()->Entries().at(0).Button.UnitRect(), QRect(20, 20, 60, 20));

    // Clicking it in the stand-in's window is logged by the builder.
    ClickButton(window, 0);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogLines().value(0), QStringLiteral("Button 0 clicked []"), 5000);

    // Made a type-in button of 8 characters, it opens an entry that takes no more, and Enter sends it.
    button->setProperty("InputLength", 8);
    QTRY_COMPARE_WITH_TIMEOUT(window.Screen()->Entries().value(0).Button.TypeIn, 8, 5000);
    ClickButton(window, 0);
    QLineEdit* entry = window.Screen()->TypeInEdit();
    QVERIFY(entry);
    QTest::keyClicks(entry, QStringLiteral("Lap 12 and more"));
    QCOMPARE(entry->text(), QStringLiteral("Lap 12 a"));
    QTest::keyClick(entry, Qt::Key_Return);
    QVERIFY(!window.Screen()->TypeInEdit());
    QTRY_COMPARE_WITH_TIMEOUT(f.LogLines().value(0), QStringLiteral("Button 0 clicked [Lap 12 a]"), 5000);
    // Escape leaves the entry without sending.
    const int lines = int(f.LogLines().size());
    ClickButton(window, 0);
    QVERIFY(window.Screen()->TypeInEdit());
    QTest::keyClicks(window.Screen()->TypeInEdit(), QStringLiteral("x"));
    QTest::keyClick(window.Screen()->TypeInEdit(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!window.Screen()->TypeInEdit(), 5000);
    f.Settle(100);
    QCOMPARE(f.LogLines().size(), lines);

    // Deleted in the builder, it vanishes from the stand-in.
    f.ClickOn(button);
    f.Click(f.Main->actDelete);
    QTRY_VERIFY_WITH_TIMEOUT(ServerButtons(server, 1).isEmpty(), 5000);
    QVERIFY(window.Screen()->Entries().isEmpty());

    // Ending the preview in the builder removes the client from the stand-in's list.
    f.Click(f.Main->actPreview);
    QTRY_VERIFY_WITH_TIMEOUT(server.Clients().isEmpty(), 5000);
    window.Flush();
    QCOMPARE(window.ClientList()->topLevelItemCount(), 0);
    QVERIFY(window.LogView()->toPlainText().contains(QStringLiteral("1 - closed by client")));
}

void TestSimPreview::windowShowsEveryStyleAndAlignment() {
    // A dark panel holding three clickable buttons (dark left, light centre, transparent right), three
    // texts (light left, dark right, transparent centre) and a type-in button, opened by the builder.
    auto element = [](const char* type, int x, int y, int ax, int ay, int w, int h, int id, const char* text,
                      int typein, int bstyle, const QString& inner = QString()) {
        return QStringLiteral("<element type=\"%1\" align=\"0\" anchors=\"akLeft,akTop\" rel_left=\"%2\" "
                              "rel_top=\"%3\" width=\"%4\" height=\"%5\" id=\"%6\" text=\"%7\" typein=\"%8\" "
                              "bstyle=\"%9\" left=\"%10\" top=\"%11\">%12</element>")
            .arg(QLatin1String(type))
            .arg(x)
            .arg(y)
            .arg(w)
            .arg(h)
            .arg(id)
            .arg(QLatin1String(text))
            .arg(typein)
            .arg(bstyle)
            .arg(ax)
            .arg(ay)
            .arg(inner);
    };
    const QString buttons =
        element("TKvdUIButton", 16, 16, 26, 26, 110, 36, 1, "Pit stop", 0, 8 | 32 | 64) +
        element("TKvdUIButton", 134, 16, 144, 26, 110, 36, 2, "Box box", 0, 8 | 16) +
        element("TKvdUIButton", 252, 16, 262, 26, 110, 36, 3, "Lap 12", 0, 8 | 128) +
        element("TKvdUIButton", 16, 64, 26, 74, 346, 36, 4, "Driver name", 16, 8 | 16 | 64);
    const QString layout = QStringLiteral("<ui>") +
                           element("TKvdUIPanel", 10, 10, 10, 10, 380, 120, 0, "", 0, 32, buttons) +
                           element("TKvdUIText", 10, 150, 10, 150, 120, 30, 5, "Position 3/20", 0, 16 | 64) +
                           element("TKvdUIText", 140, 150, 140, 150, 120, 30, 6, "Gap +1.204", 0, 32 | 128) +
                           element("TKvdUIText", 270, 150, 270, 150, 120, 30, 7, "Fuel 42 l", 0, 0) +
                           element("TKvdUIButton", 10, 200, 10, 200, 380, 40, 8,
                                   "A text far too long for its little button", 0, 8 | 32) +
                           QStringLiteral("</ui>");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("styles.kvdui"));
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(layout.toUtf8());
    }
    TSimLimits limits;
    limits.KeepAliveMs = 200;
    limits.SilentMs = 600;
    TSimServer server(9, limits);
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    TSimWindow window(server);
    QVERIFY(ShowAt(window, QSize(900, 520)));
    ShellFixture f(false);
    f.Start(file);
    QCOMPARE(f.Elements().size(), 9);
    Connect(f, server.Port());
    QTRY_COMPARE_WITH_TIMEOUT(ServerButtons(server, 1).size(), 9, 5000);
    // A second client that shows one button of its own and never answers the keep-alives.
    RawClient silent(server.Port());
    QVERIFY(silent.WaitConnected());
    QByteArray own = TKvdUI::LayoutPackets(QStringLiteral("<ui><element id=\"0\" text=\"Other client\" "
                                                          "left=\"10\" top=\"340\" width=\"200\" "
                                                          "height=\"40\" bstyle=\"16\"/></ui>"),
                                           {}, 0, 4)
                         .value(0);
    silent.Send(RawClient::Init("timing screen") + own);
    QTRY_VERIFY_WITH_TIMEOUT(server.Client(2) && !server.Client(2)->Answering, 5000);
    window.Flush();
    QCOMPARE(window.ClientList()->topLevelItem(1)->text(2), QStringLiteral("not answering"));
    QCOMPARE(window.Screen()->Entries().size(), 10);
    QCOMPARE(window.ClientList()->topLevelItem(0)->text(1), QStringLiteral("KvdUIBuilder"));
    QCOMPARE(window.ClientList()->topLevelItem(0)->text(3), QStringLiteral("9"));
    // The screen follows the window's size and stays square.
    const qreal wide = window.Screen()->Scale();
    QVERIFY(wide > 1.5);
    f.SaveShot(&window, QStringLiteral("kvdsim_window"));
    ClickButton(window, 4);
    QVERIFY(window.Screen()->TypeInEdit());
    QTest::keyClicks(window.Screen()->TypeInEdit(), QStringLiteral("Kimi"));
    f.SaveShot(&window, QStringLiteral("kvdsim_typein"));
    QTest::keyClick(window.Screen()->TypeInEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogLines().value(0), QStringLiteral("Button 4 clicked [Kimi]"), 5000);
    window.resize(560, 360);
    QTRY_VERIFY_WITH_TIMEOUT(window.Screen()->Scale() < wide, 5000);
    f.SaveShot(&window, QStringLiteral("kvdsim_window_small"));
}

void TestSimPreview::mouseButtonsAndKeysMakeTheClickFlags() {
    TSimServer server;
    QVERIFY(server.Listen(QHostAddress::LocalHost, 0));
    TSimWindow window(server);
    QVERIFY(ShowAt(window, QSize(800, 500)));
    BuilderClient client(server.Port());
    QVERIFY(client.Connect());
    // A clickable button under a text label that covers its right half, and the label itself.
    client.UI->ShowLayout(QStringLiteral(
        "<ui><element id=\"1\" text=\"Go\" left=\"20\" top=\"20\" width=\"200\" height=\"40\" bstyle=\"40\"/>"
        "<element id=\"2\" text=\"label\" left=\"120\" top=\"20\" width=\"100\" height=\"40\" "
        "bstyle=\"0\"/></ui>"));
    QTRY_COMPARE_WITH_TIMEOUT(window.Screen()->Entries().size(), 2, 5000);
    TSimScreen* screen = window.Screen();
    const QRectF go = screen->PixelRect(screen->Entries().at(0).Button);
    const QPoint left = QPointF(go.left() + go.width() / 4, go.center().y()).toPoint();
    QTest::mouseClick(screen, Qt::LeftButton, {}, left);
    QTest::mouseClick(screen, Qt::RightButton, Qt::ControlModifier, left);
    QTest::mouseClick(screen, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, left);
    // The label on top takes the click, and being neither clickable nor type-in, reports nothing; nor does
    // a click beside every button.
    QTest::mouseClick(screen, Qt::LeftButton, {}, QPointF(go.right() - 4, go.center().y()).toPoint());
    QTest::mouseClick(screen, Qt::LeftButton, {}, QPointF(go.left(), go.bottom() + 20).toPoint());
    using E = BuilderClient::Event;
    QTRY_COMPARE_WITH_TIMEOUT(client.Events,
                              (QList<E>{{1, 1, QString()}, {1, 6, QString()}, {1, 13, QString()}}), 5000);
    QTest::qWait(100);
    QCOMPARE(client.Events.size(), 3);
}

KVD_SHELL_TEST_MAIN(TestSimPreview)
#include "tst_simpreview.moc"
