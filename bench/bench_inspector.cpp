// Speed of the inspector: choosing editors and building rows for one object of 40 properties and for
// 50 objects of 10 common properties, and re-reading 40 rows.

#include "bench/BenchMain.h"
#include "core/Types.h"
#include "inspector/ELPropInsp.h"

#include <benchmark/benchmark.h>
#include <memory>

// Ten published properties whose names start with G (GInt0 to GDbl9): a mix of integer, string, boolean,
// float, enumeration and set properties, read and written by Qt's reflection straight from the members.
#define BENCH_PROPERTY(TYPE, NAME, INIT)                                                                     \
    Q_PROPERTY(TYPE NAME MEMBER NAME)                                                                        \
public:                                                                                                      \
    TYPE NAME = INIT;
#define BENCH_TEN_PROPERTIES(G)                                                                              \
    BENCH_PROPERTY(int, G##Int0, 0)                                                                          \
    BENCH_PROPERTY(QString, G##Str1, {})                                                                     \
    BENCH_PROPERTY(bool, G##Bool2, false)                                                                    \
    BENCH_PROPERTY(double, G##Dbl3, 0.0)                                                                     \
    BENCH_PROPERTY(Kvd::TAlign, G##Align4, alNone)                                                           \
    BENCH_PROPERTY(Kvd::TAnchors, G##Anchors5, DefaultAnchors())                                             \
    BENCH_PROPERTY(int, G##Int6, 0)                                                                          \
    BENCH_PROPERTY(QString, G##Str7, {})                                                                     \
    BENCH_PROPERTY(bool, G##Bool8, false)                                                                    \
    BENCH_PROPERTY(double, G##Dbl9, 0.0)

class TBench10 : public QObject {
    Q_OBJECT
    BENCH_TEN_PROPERTIES(P0)

public:
    using QObject::QObject;
};

// Thirty more of the same mix: 40 properties in all.
class TBench40 : public TBench10 {
    Q_OBJECT
    BENCH_TEN_PROPERTIES(P1)
    BENCH_TEN_PROPERTIES(P2)
    BENCH_TEN_PROPERTIES(P3)

public:
    using TBench10::TBench10;
};

static void BM_SetObjects_OneObject40Props(benchmark::State& state) {
    TBench40 object;
    TELPropertyInspector insp;
    insp.resize(300, 800);
    for (auto _ : state) {
        insp.SetObjects({&object});
        benchmark::DoNotOptimize(insp.RowCount());
    }
}
BENCHMARK(BM_SetObjects_OneObject40Props)->Unit(benchmark::kMicrosecond);

static void BM_SetObjects_FiftyObjects10Props(benchmark::State& state) {
    std::vector<std::unique_ptr<TBench10>> objects;
    QList<QObject*> list;
    for (int i = 0; i < 50; ++i) {
        objects.push_back(std::make_unique<TBench10>());
        list.append(objects.back().get());
    }
    TELPropertyInspector insp;
    insp.resize(300, 800);
    for (auto _ : state) {
        insp.SetObjects(list);
        benchmark::DoNotOptimize(insp.RowCount());
    }
}
BENCHMARK(BM_SetObjects_FiftyObjects10Props)->Unit(benchmark::kMicrosecond);

static void BM_RefreshValues_40Rows(benchmark::State& state) {
    TBench40 object;
    TELPropertyInspector insp;
    insp.resize(300, 800);
    insp.SetObjects({&object});
    int tick = 0;
    for (auto _ : state) {
        object.P0Int0 = ++tick; // one row really changes each time
        insp.RefreshValues();
    }
}
BENCHMARK(BM_RefreshValues_40Rows)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}

#include "bench_inspector.moc"
