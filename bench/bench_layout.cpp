// Writing and reading layout text for layouts of 16 to 4096 elements (256 is a realistic full screen).

#include "core/Control.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

// A layout of n elements: panels of eight buttons, as a realistic screen is built.
void fill(TControl& root, int n) {
    TKvdUIPanel* panel = nullptr;
    for (int i = 0; i < n; ++i) {
        if (i % 9 == 0) {
            panel = new TKvdUIPanel(&root);
            panel->SetParentControl(&root);
            panel->SetBounds((i / 9 % 4) * 100, (i / 36 % 4) * 100, 96, 96);
            continue;
        }
        auto* b = new TKvdUIButton(&root);
        b->SetParentControl(panel);
        b->SetBounds((i % 3) * 30, (i % 9 / 3) * 30, 28, 28);
        b->SetID(quint8(i));
    }
}

void BM_WriteLayout(benchmark::State& state) {
    TControl root;
    root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    fill(root, int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteLayout(&root));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadLayout(benchmark::State& state) {
    QString text;
    {
        TControl root;
        root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
        fill(root, int(state.range(0)));
        text = WriteLayout(&root);
    }
    for (auto _ : state) {
        // The document gives each element read a free ID, as in the builder.
        TKvdUIDocument document;
        TControl& root = *document.Root();
        root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
        ReadLayout(&root, QString(), text);
        state.PauseTiming();
        root.SetDesigning(false); // freeing is not part of reading
        while (root.ComponentCount() > 0)
            delete root.Components(root.ComponentCount() - 1);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_WriteLayout)->RangeMultiplier(4)->Range(16, 4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLayout)->RangeMultiplier(4)->Range(16, 4096)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterElementClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
