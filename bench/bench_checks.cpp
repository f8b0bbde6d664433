// The layout checks over a full screen of 256 elements, as the builder runs them after each refresh: with
// the captions measured before (a change touches one element, the rest stay) and with every caption new.

#include "bench/BenchCommon.h"
#include "bench/BenchMain.h"
#include "layout/KvdUILayoutChecks.h"

#include <benchmark/benchmark.h>

namespace {

// 256 labelled buttons whose captions name the round too, so that no two rounds share a caption.
QString RoundLayout(int round) {
    QString text = BenchCommon::FullScreenLayout(true);
    return text.replace(QStringLiteral("text=\"B"), QStringLiteral("text=\"R%1 B").arg(round));
}

void BM_CheckLayout256(benchmark::State& state) {
    const QString text = BenchCommon::FullScreenLayout(true);
    const QHash<QString, QString> values{{QStringLiteral("lap"), QStringLiteral("12")}};
    benchmark::DoNotOptimize(CheckLayoutText(text, values)); // the captions as the previous refresh left them
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckLayoutText(text, values));
    state.SetItemsProcessed(state.iterations() * BenchCommon::ElementCount);
}

// Rounds of new captions: every caption is measured, as after opening a layout.
void BM_CheckLayout256_NewCaptions(benchmark::State& state) {
    constexpr int Rounds = 64; // 16 384 captions, more than the measurements kept
    QList<QString> layouts;
    for (int round = 0; round < Rounds; ++round)
        layouts.append(RoundLayout(round));
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CheckLayoutText(layouts.at(next)));
        next = (next + 1) % Rounds;
    }
    state.SetItemsProcessed(state.iterations() * BenchCommon::ElementCount);
}

} // namespace

BENCHMARK(BM_CheckLayout256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CheckLayout256_NewCaptions)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv, RegisterElementClasses);
}
