#pragma once
// A designer on a design panel in a real window, with two plain control classes: a container and a
// leaf. Both count their paint events so tests can tell what repainted. Mouse input goes through the
// window like a user's, so widget picking and the mouse grab apply.

#define QTEST_QPA_MOUSE_HANDLING
#include "core/ClassRegistry.h"
#include "core/Control.h"
#include "designer/ELDsgnr.h"
#include "designer/ELDsgnrEngine.h"
#include "designer/ELDsgnrHandles.h"
#include "tests/Screenshot.h"
#include "tests/TestApplication.h"
#include "tests/designer/DesignerScene.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <memory>
#include <type_traits>

class TTestContainer : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_CLASSINFO("type:Caption", "TCaption")

public:
    explicit TTestContainer(TControl* owner = nullptr) : TControl(owner) {
        SetAcceptsControls(true);
        SetBounds(0, 0, 120, 80);
    }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        PaintCountedBox(this, Paints, QColor(230, 236, 244), QColor(90, 110, 140));
    }

private:
    QString m_caption;
};

class TTestLeaf : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_CLASSINFO("type:Caption", "TCaption")
    Q_PROPERTY(TControl* Buddy READ Buddy WRITE SetBuddy)

public:
    explicit TTestLeaf(TControl* owner = nullptr) : TControl(owner) { SetBounds(0, 0, 60, 30); }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    TControl* Buddy() const { return m_buddy; }
    void SetBuddy(TControl* v) { m_buddy = v; }
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        PaintCountedBox(this, Paints, Qt::white, Qt::black);
        QPainter(this).drawText(rect(), Qt::AlignCenter, Name());
    }

private:
    QString m_caption;
    TControl* m_buddy = nullptr;
};

// The message of the error that f raises, empty when it raises none; an error that is not of the class
// Own is marked "other: ".
template <class Own = Exception, class F> QString ErrorOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        if constexpr (!std::is_same_v<Own, Exception>)
            if (!dynamic_cast<const Own*>(&e))
                return QStringLiteral("other: ") + e.Message();
        return e.Message();
    }
    return QString();
}

#define KVD_DESIGNER_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char** argv) {                                                                        \
        TTestApplication app(argc, argv);                                                                    \
        ClassRegistry::Register<TTestContainer>();                                                           \
        ClassRegistry::Register<TTestLeaf>();                                                                \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

struct DesignerFixture {
    QWidget Window;
    TELDesignPanel* Panel = nullptr;
    std::unique_ptr<TTestContainer> Root;
    std::unique_ptr<TELDesigner> Designer;
    QStringList Events;

    DesignerFixture() {
        TTestApplication::Instance()->Errors.clear();
        Window.resize(440, 440);
        Root = std::make_unique<TTestContainer>();
        Root->SetName(QStringLiteral("Root"));
        Root->SetBounds(0, 0, 400, 400);
        Designer = NewDesignerOnPanel(&Window, QRect(10, 10, 402, 402), Root.get());
        Panel = static_cast<TELDesignPanel*>(Designer->DesignPanel());
        Panel->SetName(QStringLiteral("ELDesignPanel1"));
        Designer->SetPixelStep(2);
        Designer->SetClipboardFormat(QStringLiteral("kvdui"));
        Designer->OnChangeSelection = [this](QObject*) { Events << QStringLiteral("change"); };
        Designer->OnModified = [this](QObject*) { Events << QStringLiteral("modified"); };
        Designer->OnControlInserted = [this](QObject*) { Events << QStringLiteral("inserted"); };
        Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window));
        Window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Window));
        Designer->SetActive(true);
        Surface()->setFocus();
        QCoreApplication::processEvents();
        Events.clear();
    }
    ~DesignerFixture() { Designer.reset(); }

    TELDesignerSelectedControls* Sel() const { return Designer->SelectedControls(); }
    TDEng* Engine() const { return Designer->Engine(); }
    TDPForm* Surface() const { return Panel->Surface(); }

    template <typename T = TTestLeaf> T* Add(TControl* parent, const QString& name, const QRect& r) {
        auto* c = new T(Root.get());
        c->SetName(name);
        c->SetParentControl(parent);
        c->SetBounds(r.x(), r.y(), r.width(), r.height());
        return c;
    }

    // A container named Box1 on the root, with one leaf at (10, 10), 30 x 20 pixels, in it.
    struct BoxWithLeaf {
        TTestContainer* Box;
        TTestLeaf* Leaf;
    };
    BoxWithLeaf AddBoxWithLeaf(const QRect& box, const QString& leafName) {
        auto* b = Add<TTestContainer>(Root.get(), QStringLiteral("Box1"), box);
        return {b, Add(b, leafName, QRect(10, 10, 30, 20))};
    }

    QList<TControl*> Selection() const {
        QList<TControl*> list;
        for (int i = 0; i < Sel()->Count(); ++i)
            list << Sel()->Items(i);
        return list;
    }

    // Mouse input at a point of a widget, delivered through the window.
    void Press(QWidget* w, QPoint p, Qt::KeyboardModifiers keys = {}, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(w, b, keys, p);
    }
    void Move(QWidget* w, QPoint p) { QTest::mouseMove(w, p); }
    void Release(QWidget* w, QPoint p, Qt::KeyboardModifiers keys = {}, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseRelease(w, b, keys, p);
    }
    // Press at from, move in steps to to, release there (points in w's coordinates).
    void Drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers keys = {}) {
        Press(w, from, keys);
        const QPoint d = to - from;
        for (int i = 1; i <= 4; ++i)
            Move(w, from + d * i / 4);
        Release(w, to, keys);
    }
    void Key(int key, Qt::KeyboardModifiers keys = {}) { QTest::keyClick(Surface(), Qt::Key(key), keys); }

    // Where a selected control's handle lies on the surface's overlay, and on the screen.
    QRect OnOverlay(TControl* c, THandlePosition p) const {
        const TDSelCtrlItem* item = Sel()->ItemOf(c);
        TDEngOverlay* overlay = Engine()->Overlay();
        const QRect r = item->HandleRect(p);
        return r.translated(overlay->mapFromGlobal(item->ParentOfHandles()->mapToGlobal(QPoint(0, 0))));
    }
    QPoint GlobalOf(TControl* c, THandlePosition p) const {
        const TDSelCtrlItem* item = Sel()->ItemOf(c);
        return item->ParentOfHandles()->mapToGlobal(item->HandleRect(p).center());
    }

    static void SaveImage(const QImage& image, const QString& name) { SaveScreenshot(image, name); }
    static void SaveShot(QWidget* w, const QString& name) { SaveScreenshot(w, name); }
};
