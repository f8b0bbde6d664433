// Writing and reading layout text: a realistic full screen has 256 elements; reading is measured up to
// 65 536 to show that its time grows with the element count, not with its square.

#include "bench/BenchMain.h"
#include "core/Control.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"

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

// Reads the text of a layout built by fillLayout, freeing the elements outside the timing.
template <typename Fill> void readLayout(benchmark::State& state, Fill fillLayout) {
    QString text;
    {
        TControl root;
        root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
        fillLayout(root, int(state.range(0)));
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

// Every element directly on the surface: the most siblings one container can have.
void fillFlat(TControl& root, int n) {
    for (int i = 0; i < n; ++i) {
        auto* b = new TKvdUIButton(&root);
        b->SetParentControl(&root);
        b->SetBounds((i * 2) % 340, (i * 4) % 370, 60, 30);
        b->SetID(quint8(i));
    }
}

void BM_ReadLayout(benchmark::State& state) {
    readLayout(state, fill);
}

void BM_ReadFlatLayout(benchmark::State& state) {
    readLayout(state, fillFlat);
}

} // namespace

BENCHMARK(BM_WriteLayout)->RangeMultiplier(4)->Range(16, 4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLayout)->Arg(256)->Arg(4096)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFlatLayout)->Arg(256)->Arg(4096)->Arg(20000)->Arg(65536)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, RegisterElementClasses);
}
