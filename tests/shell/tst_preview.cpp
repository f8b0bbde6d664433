// The live preview against a loopback stand-in for the simulator: connecting through the dialog, the
// log lines, and the exact packets in order for changes, deletions, New and button reports.

#include "ShellFixture.h"

#include "../link/TestPeer.h"
#include "link/Dromo.h"
#include "link/KvdDromo.h"
#include "link/KvdUI.h"

class TestPreview : public QObject {
    Q_OBJECT

private slots:
    void unreachableEndpointLogsAndClearsMark();
    void cancelDoesNotConnect();
    void liveSessionSendsTheLayout();
    void deleteAndNewWhileConnected();
    void deletingAPanelSendsOneRequestPerElement();
    void buttonReportsAreLogged();
    void peerClosingEndsThePreview();
    void endOfProgramDeletesEveryButton();

private:
    // Connects the window to the peer through the dialog and waits for the handshake.
    static void Connect(ShellFixture& f, TestPeer& peer);
    // Types of the packets received, from the first whose type is not in skip.
    static QList<QByteArray> Received(TestPeer& peer);
    static QByteArray Delete(quint8 subCode, quint8 id) {
        QByteArray p = Dromo::BuildDeleteButtons(subCode, id, id, 0);
        p[0] = char(p.size() / 4);
        p[1] = char(Dromo::DR_BTN_DEL);
        return p;
    }
};

void TestPreview::Connect(ShellFixture& f, TestPeer& peer) {
    AnswerModal([&peer](QWidget* modal) {
        auto* port = modal->findChild<QLineEdit*>(QStringLiteral("edPort"));
        port->selectAll();
        QTest::keyClicks(port, QString::number(peer.Port()));
        QTest::keyClick(port, Qt::Key_Return);
    });
    f.Click(f.Main->actPreview);
    QTRY_VERIFY_WITH_TIMEOUT(f.LogLines().value(0).startsWith(QStringLiteral("Connected to Korvadia")), 5000);
    QVERIFY(f.Main->actPreview->isChecked());
    QVERIFY(f.Main->KvdDromo1->Active());
}

QList<QByteArray> TestPreview::Received(TestPeer& peer) {
    QList<QByteArray> out;
    for (const QByteArray& p : peer.PacketBytes())
        if (quint8(p.at(1)) == Dromo::DR_BTN || quint8(p.at(1)) == Dromo::DR_BTN_DEL)
            out << p;
    return out;
}

void TestPreview::unreachableEndpointLogsAndClearsMark() {
    ShellFixture f;
    // A port nothing listens on: take a free port from a peer and close it again.
    quint16 port = 0;
    {
        TestPeer closed;
        port = closed.Port();
    }
    AnswerModal([port](QWidget* modal) {
        auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("edPort"));
        edit->setText(QString::number(port));
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    });
    f.Click(f.Main->actPreview);
    QTRY_VERIFY_WITH_TIMEOUT(f.LogLines().size() == 1, 5000);
    QVERIFY(f.LogLines().at(0).startsWith(QStringLiteral("Error: [127.0.0.1:%1] ").arg(port)));
    QVERIFY(!f.Main->actPreview->isChecked());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(f.Main->KvdDromo1->Port(), int(port));
}

void TestPreview::cancelDoesNotConnect() {
    TestPeer peer;
    ShellFixture f;
    f.Main->KvdDromo1->SetPort(peer.Port());
    AnswerModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    f.Click(f.Main->actPreview);
    f.Settle(200);
    QCOMPARE(peer.Accepted(), 0);
    QVERIFY(!f.Main->actPreview->isChecked());
    QVERIFY(f.LogLines().isEmpty());
}

void TestPreview::liveSessionSendsTheLayout() {
    TestPeer peer;
    ShellFixture f;
    f.Click(f.Main->actNew);
    f.Settle();
    f.Insert("TKvdUIButton", QRect(20, 20, 60, 30));
    f.Insert("TKvdUIText", QRect(100, 100, 80, 20));
    f.Settle();
    const int undoSteps = f.Main->History()->UndoCount();
    Connect(f, peer);
    // The handshake's refresh sends every element once, and records no undo step (nothing changed).
    const QList<QByteArray> expected = TKvdUI::LayoutPackets(WriteLayout(f.Root()), {}, 0, 4);
    QCOMPARE(expected.size(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(Received(peer), expected, 5000);
    QCOMPARE(f.Main->History()->UndoCount(), undoSteps);
    QCOMPARE(f.LogLines().at(0), QStringLiteral("Connected to Korvadia [KV 0.9]"));

    // Moving an element by one grid step sends every element once, after the refresh.
    peer.ClearPackets();
    f.ClickOn(f.Elements().at(0));
    QTest::keyClick(f.Surface(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(f.Elements().at(0)->Left(), 22);
    QTRY_COMPARE_WITH_TIMEOUT(Received(peer), TKvdUI::LayoutPackets(WriteLayout(f.Root()), {}, 0, 4), 5000);
    f.Settle(150);
    QCOMPARE(Received(peer).size(), 2);

    // Unchecking the mark ends the session with one log line.
    f.Click(f.Main->actPreview);
    QTRY_COMPARE_WITH_TIMEOUT(f.LogLines().at(0), QStringLiteral("Disconnected from Korvadia."), 5000);
    f.Settle();
    QCOMPARE(f.LogLines().count(QStringLiteral("Disconnected from Korvadia.")), 1);
    QVERIFY(!f.Main->actPreview->isChecked());
    QVERIFY(peer.WaitForEnded(1));
    f.SaveShot(f.Main.get(), QStringLiteral("main_after_session"));
}

void TestPreview::deleteAndNewWhileConnected() {
    TestPeer peer;
    ShellFixture f;
    f.Click(f.Main->actNew);
    for (int i = 0; i < 4; ++i)
        f.Insert("TKvdUIButton", QRect(20 + 70 * i, 20, 60, 30));
    f.Settle();
    QCOMPARE(f.Elements().at(3)->ID(), 3);
    Connect(f, peer);
    QTRY_COMPARE_WITH_TIMEOUT(Received(peer).size(), 4, 5000);

    // Deleting the element with ID 3: its delete request at once, then the remaining layout.
    peer.ClearPackets();
    f.ClickOn(f.Elements().at(3));
    f.Click(f.Main->actDelete);
    QList<QByteArray> expected{Delete(0, 3)};
    expected << TKvdUI::LayoutPackets(WriteLayout(f.Root()), {}, 0, 4);
    QTRY_COMPARE_WITH_TIMEOUT(Received(peer), expected, 5000);

    // New (answering No): one delete per element, the clear-all, then an empty layout (no packets).
    peer.ClearPackets();
    AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::No); });
    f.Click(f.Main->actNew);
    expected = {Delete(0, 0), Delete(0, 1), Delete(0, 2), Delete(1, 0)};
    QTRY_COMPARE_WITH_TIMEOUT(Received(peer), expected, 5000);
    f.Settle(150);
    QCOMPARE(Received(peer), expected);
}

void TestPreview::deletingAPanelSendsOneRequestPerElement() {
    TestPeer peer;
    ShellFixture f;
    auto* panel = f.NewPanelWithButtonsAndText();
    Connect(f, peer);
    QTRY_COMPARE_WITH_TIMEOUT(Received(peer).size(), 4, 5000);
    peer.ClearPackets();
    f.ClickOn(panel, QPoint(150, 150));
    f.Click(f.Main->actDelete);
    // The panel's request first, then one per button as each is freed, then the remaining layout.
    QList<QByteArray> expected{Delete(0, 0), Delete(0, 1), Delete(0, 2)};
    expected << TKvdUI::LayoutPackets(WriteLayout(f.Root()), {}, 0, 4);
    QCOMPARE(expected.size(), 4);
    QTRY_COMPARE_WITH_TIMEOUT(Received(peer), expected, 5000);
}

void TestPreview::buttonReportsAreLogged() {
    TestPeer peer;
    ShellFixture f;
    Connect(f, peer);
    QVERIFY(peer.Send(TestPeer::Click(7, 1)));
    QTRY_COMPARE_WITH_TIMEOUT(f.LogLines().at(0), QStringLiteral("Button 7 clicked []"), 5000);
    QVERIFY(peer.Send(TestPeer::Typed(2, "abc")));
    QTRY_COMPARE_WITH_TIMEOUT(f.LogLines().at(0), QStringLiteral("Button 2 clicked [abc]"), 5000);
}

void TestPreview::peerClosingEndsThePreview() {
    TestPeer peer;
    ShellFixture f;
    Connect(f, peer);
    peer.CloseConnection();
    QTRY_COMPARE_WITH_TIMEOUT(f.LogLines().at(0), QStringLiteral("Disconnected from Korvadia."), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Main->actPreview->isChecked(), 5000);
    QVERIFY(!f.Main->KvdDromo1->Active());
    // Connecting again works and offers the port used last.
    Connect(f, peer);
    QCOMPARE(f.Main->KvdDromo1->Port(), int(peer.Port()));
}

void TestPreview::endOfProgramDeletesEveryButton() {
    TestPeer peer;
    ShellFixture f;
    f.NewWithButton();
    f.Insert("TKvdUIButton", QRect(100, 20, 60, 30));
    Connect(f, peer);
    QTRY_COMPARE_WITH_TIMEOUT(Received(peer).size(), 2, 5000);
    peer.ClearPackets();
    AnswerModal([](QWidget* modal) { ClickBox(modal, QMessageBox::No); });
    f.Stop();
    QVERIFY(peer.WaitForEnded(1));
    // One delete request per element, before the link closes (in the order the elements are freed).
    QList<QByteArray> received = Received(peer);
    std::sort(received.begin(), received.end());
    QCOMPARE(received, (QList<QByteArray>{Delete(0, 0), Delete(0, 1)}));
    QSettings ini(f.Ini(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("dromo/port")).toInt(), int(peer.Port()));
}

KVD_SHELL_TEST_MAIN(TestPreview)
#include "tst_preview.moc"
