// Selection in the real main window at 256 and 1 000 elements: Select all through the menu action,
// select all by a rubber band drawn with the mouse over the whole surface, and clearing the selection
// by a click on an empty spot of the surface. Each iteration runs until the window has repainted.

#include "bench/ShellBenchMain.h"
#include "designer/ELDsgnr.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_frmMain.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// count buttons in a square grid that fills the surface, with a free margin of 4 pixels around it.
QString GridLayout(int count) {
    int side = 1;
    while (side * side < count)
        ++side;
    const int pitch = (LayoutSurfaceWidth - 8) / side;
    TControl root;
    root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    for (int i = 0; i < count; ++i) {
        auto* b = new TKvdUIButton(&root);
        b->SetParentControl(&root);
        b->SetBounds((i % side) * pitch + 4, (i / side) * pitch + 4, pitch - 2, pitch - 2);
        b->SetID(quint8(i % 256));
    }
    return WriteLayout(&root);
}

struct MainWindow {
    const BenchSettings settings;
    std::unique_ptr<TfrmMain> window;
    TELDesignerSelectedControls* selection = nullptr;

    explicit MainWindow(int count) {
        window = std::make_unique<TfrmMain>();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the main window was not shown");
        window->Execute(window->actNew);
        window->LoadLayout(QString(), GridLayout(count));
        selection = window->ELDesigner1->SelectedControls();
        Settle();
    }
    TControl* Root() const { return window->RootControl(); }
    // Runs everything the last input left to do, the repaint included.
    static void Settle() { QCoreApplication::processEvents(); }
    // A click on the free top-left corner of the surface.
    void ClickOnEmptySpot() {
        QTest::mouseClick(Root(), Qt::LeftButton, {}, QPoint(1, 1));
        Settle();
    }
};

void BM_SelectAllAction(benchmark::State& state) {
    MainWindow main(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        main.ClickOnEmptySpot();
        state.ResumeTiming();
        main.window->Execute(main.window->actSelectAll);
        MainWindow::Settle();
    }
    state.counters["selected"] = main.selection->Count();
}
BENCHMARK(BM_SelectAllAction)->Arg(256)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SelectAllByRubberBand(benchmark::State& state) {
    MainWindow main(int(state.range(0)));
    TControl* root = main.Root();
    const QPoint from(1, 1), to(root->width() - 2, root->height() - 2);
    for (auto _ : state) {
        state.PauseTiming();
        main.ClickOnEmptySpot();
        state.ResumeTiming();
        QTest::mousePress(root, Qt::LeftButton, {}, from);
        QTest::mouseMove(root, (from + to) / 2);
        QTest::mouseMove(root, to);
        QTest::mouseRelease(root, Qt::LeftButton, {}, to);
        MainWindow::Settle();
    }
    state.counters["selected"] = main.selection->Count();
}
BENCHMARK(BM_SelectAllByRubberBand)->Arg(256)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_ClearSelectionByClick(benchmark::State& state) {
    MainWindow main(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        main.window->Execute(main.window->actSelectAll);
        MainWindow::Settle();
        state.ResumeTiming();
        main.ClickOnEmptySpot();
    }
    state.counters["selected"] = main.selection->Count();
}
BENCHMARK(BM_ClearSelectionByClick)->Arg(256)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunShellBenchmarks(argc, argv);
}
