// The simulator look of the design surface: off by default, switched from the View menu and kept in
// the settings file; elements drawn with their real style, text and placeholders; handles and drags
// unchanged, a drag repainting no element while the mouse moves.

#include "ShellFixture.h"

#include "designer/ELDsgnrHandles.h"
#include "simview/KvdSimPaint.h"

namespace {

// A clickable dark button, a light type-in button, a transparent right-aligned label with a
// placeholder, and a panel holding a light button.
const char* kLayout = R"(<ui>
<element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="20" rel_top="20" width="120" height="40" id="1" text="Go" typein="0" bstyle="40"/>
<element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="20" rel_top="80" width="120" height="40" id="2" text="Name" typein="12" bstyle="88"/>
<element type="TKvdUIText" align="0" anchors="akLeft,akTop" rel_left="160" rel_top="20" width="220" height="40" id="3" text="Lap {lap}" typein="0" bstyle="128"/>
<element type="TKvdUIPanel" align="0" anchors="akLeft,akTop" rel_left="160" rel_top="100" width="220" height="120" id="4" text="" typein="0" bstyle="32">
<element type="TKvdUIButton" align="0" anchors="akLeft,akTop" rel_left="20" rel_top="20" width="160" height="40" id="5" text="{driver}" typein="0" bstyle="24"/>
</element>
</ui>)";

// Counts the paint events of the widgets it watches.
struct PaintCounter : QObject {
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        Paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestSimLook : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_layout;

    static TKvdUIElement* ById(ShellFixture& f, int id) {
        for (TKvdUIElement* e : f.Elements())
            if (e->ID() == id)
                return e;
        return nullptr;
    }
    // The surface as it shows, and the colour at a point of an element.
    static QColor At(const QImage& surface, ShellFixture& f, int id, QPoint p) {
        TKvdUIElement* e = ById(f, id);
        return e ? surface.pixelColor(e->mapTo(f.Surface(), p)) : QColor();
    }
    static int CountIn(const QImage& surface, ShellFixture& f, int id, const QColor& colour) {
        TKvdUIElement* e = ById(f, id);
        int n = 0;
        const QPoint origin = e->mapTo(f.Surface(), QPoint());
        for (int y = 0; y < e->height(); ++y)
            for (int x = 0; x < e->width(); ++x)
                n += surface.pixelColor(origin + QPoint(x, y)) == colour;
        return n;
    }
    static QImage Shot(ShellFixture& f) {
        QCoreApplication::processEvents();
        return f.Surface()->grab().toImage();
    }
    static int VisibleHandles(ShellFixture& f) {
        int n = 0;
        const TELDesignerSelectedControls* selection = f.Main->ELDesigner1->SelectedControls();
        for (int i = 0; i < selection->Count(); ++i)
            for (THandlePosition p : AllHandlePositions)
                n += selection->ItemOf(selection->Items(i))->HandleShown(p);
        return n;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_layout = m_dir.filePath(QStringLiteral("looks.kvdui"));
        QFile file(m_layout);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kLayout);
    }

    void bothLooksAndTheSettingAcrossRestarts() {
        ShellFixture f(false);
        f.Start(m_layout);
        QCOMPARE(f.Elements().size(), 5);
        const TKvdSimLook look;
        QVERIFY(!f.Main->actSimulatorLook->isChecked());
        QVERIFY(!ById(f, 1)->SimulatorLook());
        QImage shot = Shot(f);
        const QColor identification = ById(f, 1)->Color();
        QCOMPARE(At(shot, f, 1, QPoint(3, 3)), identification);
        QCOMPARE(At(shot, f, 2, QPoint(3, 3)), identification);
        QCOMPARE(CountIn(shot, f, 3, look.PlaceholderBack), 0);
        f.ClickOn(ById(f, 1));
        const int handles = VisibleHandles(f);
        QVERIFY(handles > 0);
        f.SaveShot(f.Main.get(), QStringLiteral("main_identification_look"));

        f.Main->actSimulatorLook->trigger();
        QVERIFY(ById(f, 1)->SimulatorLook());
        shot = Shot(f);
        QCOMPARE(At(shot, f, 1, QPoint(0, 10)), look.ClickFrame); // between two handles
        QCOMPARE(At(shot, f, 1, QPoint(3, 3)), look.DarkBack);
        QCOMPARE(At(shot, f, 2, QPoint(3, 3)), look.LightBack);
        QVERIFY(CountIn(shot, f, 2, look.TypeInMark) > 100);
        // The transparent label shows the screen behind it, its placeholder highlighted; the panel's
        // button its own placeholder.
        QCOMPARE(At(shot, f, 3, QPoint(3, 3)), look.Screen);
        QVERIFY(CountIn(shot, f, 3, look.PlaceholderBack) > 100);
        QVERIFY(CountIn(shot, f, 5, look.PlaceholderBack) > 100);
        QCOMPARE(At(shot, f, 4, QPoint(3, 70)), look.DarkBack);
        QCOMPARE(VisibleHandles(f), handles);
        f.SaveShot(f.Main.get(), QStringLiteral("main_simulator_look"));

        f.Stop();
        QCOMPARE(
            QSettings(f.Ini(), QSettings::IniFormat).value(QStringLiteral("view/SimulatorLook")).toBool(),
            true);
        f.Start(m_layout);
        QVERIFY(f.Main->actSimulatorLook->isChecked());
        QCOMPARE(At(Shot(f), f, 1, QPoint(3, 3)), look.DarkBack);

        f.Main->actSimulatorLook->trigger();
        QVERIFY(!ById(f, 1)->SimulatorLook());
        shot = Shot(f);
        QCOMPARE(At(shot, f, 1, QPoint(3, 3)), identification);
        QVERIFY(At(shot, f, 3, QPoint(3, 3)) != look.Screen);
        f.Stop();
        f.Start(m_layout);
        QVERIFY(!f.Main->actSimulatorLook->isChecked());
    }

    // A move drag in the simulator look repaints no element while the mouse moves, and still moves;
    // changes of the style byte's fields repaint.
    void dragRepaintsNoElement() {
        ShellFixture f(false);
        f.Start(m_layout);
        f.Main->actSimulatorLook->trigger();
        TKvdUIElement* button = ById(f, 1);
        f.ClickOn(button);
        QCoreApplication::processEvents();
        PaintCounter counter;
        for (TKvdUIElement* e : f.Elements())
            e->installEventFilter(&counter);
        const QPoint start(10, 10);
        QTest::mousePress(button, Qt::LeftButton, {}, start);
        QCoreApplication::processEvents();
        const int before = counter.Paints;
        for (int i = 1; i <= 20; ++i) {
            QTest::mouseMove(button, start + QPoint(2 * i, i));
            QCoreApplication::processEvents();
        }
        QCOMPARE(counter.Paints, before);
        QTest::mouseRelease(button, Qt::LeftButton, {}, start + QPoint(40, 20));
        QCoreApplication::processEvents();
        QCOMPARE(button->Left(), 60);
        QCOMPARE(button->Top(), 40);

        // A changed style or type-in length shows at once.
        ById(f, 2)->SetStyle(stDark);
        QCOMPARE(At(Shot(f), f, 2, QPoint(3, 3)), TKvdSimLook().DarkBack);
        ById(f, 2)->SetInputLength(0);
        QCOMPARE(CountIn(Shot(f), f, 2, TKvdSimLook().TypeInMark), 0);
    }
};

KVD_SHELL_TEST_MAIN(TestSimLook)
#include "tst_simlook.moc"
