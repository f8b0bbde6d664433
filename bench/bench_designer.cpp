// Designer speed: a move drag of 100 selected controls (each mouse move, and the commit), each mouse move
// of a drag of 1 000, and SelectAll over 500 controls until the window has repainted. The mouse moves
// count the paint events of every designed control (control_repaints), which should stay at none.

#include "bench/BenchMain.h"
#include "designer/ELDsgnr.h"
#include "designer/ELDsgnrEngine.h"
#include "tests/designer/DesignerScene.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

class TBenchBox : public TControl {
public:
    explicit TBenchBox(TControl* owner = nullptr) : TControl(owner) { SetAcceptsControls(true); }
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        PaintCountedBox(this, Paints, QColor(230, 236, 244), QColor(90, 110, 140));
    }
};

class TBenchLeaf : public TControl {
public:
    using TControl::TControl;
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { PaintCountedBox(this, Paints, Qt::white, Qt::black); }
};

struct Scene {
    QWidget window;
    std::unique_ptr<TBenchBox> root;
    std::unique_ptr<TELDesigner> designer;
    QList<TBenchLeaf*> leaves;
    int changes = 0;

    explicit Scene(int count) {
        window.resize(820, 820);
        root = std::make_unique<TBenchBox>();
        root->SetBounds(0, 0, 800, 800);
        for (int i = 0; i < count; ++i) {
            auto* leaf = new TBenchLeaf(root.get());
            leaf->SetName(QStringLiteral("Leaf%1").arg(i + 1));
            leaf->SetParentControl(root.get());
            if (count <= 500)
                leaf->SetBounds(10 + (i % 20) * 38, 10 + (i / 20) * 30, 30, 20);
            else // 40 to a row, so that 1 000 fit
                leaf->SetBounds(10 + (i % 40) * 19, 10 + (i / 40) * 18, 15, 14);
            leaves << leaf;
        }
        designer = NewDesignerOnPanel(&window, QRect(0, 0, 802, 802), root.get());
        designer->OnChangeSelection = [this](QObject*) { ++changes; };
        window.show();
        designer->SetActive(true);
        QCoreApplication::processEvents();
    }
    ~Scene() { designer.reset(); }

    void Mouse(QEvent::Type type, QWidget* w, QPoint p, Qt::MouseButtons buttons) {
        QMouseEvent e(type, p, w->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest); }
    void SelectFirst(int n) {
        QList<TControl*> list;
        for (int i = 0; i < n; ++i)
            list << leaves[i];
        designer->SelectedControls()->SetSelection(list);
    }
};

// Every paint event of the designed controls so far.
int AllPaints(const Scene& scene) {
    int paints = scene.root->Paints;
    for (const TBenchLeaf* leaf : scene.leaves)
        paints += leaf->Paints;
    return paints;
}

void MoveDragMouseMove(benchmark::State& state, int count) {
    Scene scene(count);
    scene.SelectFirst(count);
    TBenchLeaf* first = scene.leaves.first();
    scene.Mouse(QEvent::MouseButtonPress, first, QPoint(5, 5), Qt::LeftButton);
    scene.Flush();
    const int paintsBefore = AllPaints(scene);
    int step = 0;
    for (auto _ : state) {
        // Alternate between two spots 10 pixels apart so every move changes the snapped point.
        const QPoint p = first->pos() + QPoint(5, 5) + ((++step & 1) ? QPoint(10, 10) : QPoint(0, 0));
        scene.Mouse(QEvent::MouseMove, scene.root.get(), p, Qt::LeftButton);
        scene.Flush();
    }
    state.counters["control_repaints"] = AllPaints(scene) - paintsBefore;
    scene.Mouse(QEvent::MouseButtonRelease, scene.root.get(), first->pos() + QPoint(5, 5), Qt::NoButton);
}

void BM_MoveDrag100_MouseMove(benchmark::State& state) {
    MoveDragMouseMove(state, 100);
}
BENCHMARK(BM_MoveDrag100_MouseMove)->Unit(benchmark::kMicrosecond);

void BM_MoveDrag1000_MouseMove(benchmark::State& state) {
    MoveDragMouseMove(state, 1000);
}
BENCHMARK(BM_MoveDrag1000_MouseMove)->Unit(benchmark::kMicrosecond);

void BM_MoveDrag100_Commit(benchmark::State& state) {
    Scene scene(100);
    scene.SelectFirst(100);
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TBenchLeaf* first = scene.leaves.first();
        const QPoint start = first->pos() + QPoint(5, 5);
        const QPoint end = start + ((++step & 1) ? QPoint(10, 10) : QPoint(-10, -10));
        scene.Mouse(QEvent::MouseButtonPress, first, QPoint(5, 5), Qt::LeftButton);
        scene.Mouse(QEvent::MouseMove, scene.root.get(), end, Qt::LeftButton);
        scene.Flush();
        state.ResumeTiming();
        scene.Mouse(QEvent::MouseButtonRelease, scene.root.get(), end, Qt::NoButton);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_MoveDrag100_Commit)->Unit(benchmark::kMillisecond);

void BM_SelectAll500(benchmark::State& state) {
    Scene scene(500);
    TELDesignerSelectedControls* selection = scene.designer->SelectedControls();
    int changes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        selection->SelectOnly(scene.root.get());
        QCoreApplication::processEvents();
        const int before = scene.changes;
        state.ResumeTiming();
        selection->SelectAll();
        QCoreApplication::processEvents(); // until the window has repainted
        changes += scene.changes - before;
    }
    state.counters["OnChangeSelection_per_call"] =
        benchmark::Counter(changes, benchmark::Counter::kAvgIterations);
    state.counters["selected"] = selection->Count();
}
BENCHMARK(BM_SelectAll500)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
