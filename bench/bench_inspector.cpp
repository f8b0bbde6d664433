// Speed of the inspector: choosing editors and building rows for one object of 40 properties and for
// 50 objects of 10 common properties, and re-reading 40 rows.

#include "core/Types.h"
#include "inspector/ELPropInsp.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

// A mix of integer, string, boolean, float, enumeration and set properties, read and written by Qt's
// reflection straight from the members.
class TBench10 : public QObject {
    Q_OBJECT
    Q_PROPERTY(int P00Int MEMBER P00Int)
    Q_PROPERTY(QString P01Str MEMBER P01Str)
    Q_PROPERTY(bool P02Bool MEMBER P02Bool)
    Q_PROPERTY(double P03Dbl MEMBER P03Dbl)
    Q_PROPERTY(Kvd::TAlign P04Align MEMBER P04Align)
    Q_PROPERTY(Kvd::TAnchors P05Anchors MEMBER P05Anchors)
    Q_PROPERTY(int P06Int MEMBER P06Int)
    Q_PROPERTY(QString P07Str MEMBER P07Str)
    Q_PROPERTY(bool P08Bool MEMBER P08Bool)
    Q_PROPERTY(double P09Dbl MEMBER P09Dbl)

public:
    using QObject::QObject;
    int P00Int = 0;
    QString P01Str;
    bool P02Bool = false;
    double P03Dbl = 0.0;
    Kvd::TAlign P04Align = alNone;
    Kvd::TAnchors P05Anchors = DefaultAnchors();
    int P06Int = 0;
    QString P07Str;
    bool P08Bool = false;
    double P09Dbl = 0.0;
};

// Thirty more of the same mix: 40 properties in all.
class TBench40 : public TBench10 {
    Q_OBJECT
    Q_PROPERTY(Kvd::TAlign P10Align MEMBER P10Align)
    Q_PROPERTY(Kvd::TAnchors P11Anchors MEMBER P11Anchors)
    Q_PROPERTY(int P12Int MEMBER P12Int)
    Q_PROPERTY(QString P13Str MEMBER P13Str)
    Q_PROPERTY(bool P14Bool MEMBER P14Bool)
    Q_PROPERTY(double P15Dbl MEMBER P15Dbl)
    Q_PROPERTY(Kvd::TAlign P16Align MEMBER P16Align)
    Q_PROPERTY(Kvd::TAnchors P17Anchors MEMBER P17Anchors)
    Q_PROPERTY(int P18Int MEMBER P18Int)
    Q_PROPERTY(QString P19Str MEMBER P19Str)
    Q_PROPERTY(bool P20Bool MEMBER P20Bool)
    Q_PROPERTY(double P21Dbl MEMBER P21Dbl)
    Q_PROPERTY(Kvd::TAlign P22Align MEMBER P22Align)
    Q_PROPERTY(Kvd::TAnchors P23Anchors MEMBER P23Anchors)
    Q_PROPERTY(int P24Int MEMBER P24Int)
    Q_PROPERTY(QString P25Str MEMBER P25Str)
    Q_PROPERTY(bool P26Bool MEMBER P26Bool)
    Q_PROPERTY(double P27Dbl MEMBER P27Dbl)
    Q_PROPERTY(Kvd::TAlign P28Align MEMBER P28Align)
    Q_PROPERTY(Kvd::TAnchors P29Anchors MEMBER P29Anchors)
    Q_PROPERTY(int P30Int MEMBER P30Int)
    Q_PROPERTY(QString P31Str MEMBER P31Str)
    Q_PROPERTY(bool P32Bool MEMBER P32Bool)
    Q_PROPERTY(double P33Dbl MEMBER P33Dbl)
    Q_PROPERTY(Kvd::TAlign P34Align MEMBER P34Align)
    Q_PROPERTY(Kvd::TAnchors P35Anchors MEMBER P35Anchors)
    Q_PROPERTY(int P36Int MEMBER P36Int)
    Q_PROPERTY(QString P37Str MEMBER P37Str)
    Q_PROPERTY(bool P38Bool MEMBER P38Bool)
    Q_PROPERTY(double P39Dbl MEMBER P39Dbl)

public:
    using TBench10::TBench10;
    Kvd::TAlign P10Align = alNone;
    Kvd::TAnchors P11Anchors = DefaultAnchors();
    int P12Int = 0;
    QString P13Str;
    bool P14Bool = false;
    double P15Dbl = 0.0;
    Kvd::TAlign P16Align = alNone;
    Kvd::TAnchors P17Anchors = DefaultAnchors();
    int P18Int = 0;
    QString P19Str;
    bool P20Bool = false;
    double P21Dbl = 0.0;
    Kvd::TAlign P22Align = alNone;
    Kvd::TAnchors P23Anchors = DefaultAnchors();
    int P24Int = 0;
    QString P25Str;
    bool P26Bool = false;
    double P27Dbl = 0.0;
    Kvd::TAlign P28Align = alNone;
    Kvd::TAnchors P29Anchors = DefaultAnchors();
    int P30Int = 0;
    QString P31Str;
    bool P32Bool = false;
    double P33Dbl = 0.0;
    Kvd::TAlign P34Align = alNone;
    Kvd::TAnchors P35Anchors = DefaultAnchors();
    int P36Int = 0;
    QString P37Str;
    bool P38Bool = false;
    double P39Dbl = 0.0;
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
        object.P00Int = ++tick; // one row really changes each time
        insp.RefreshValues();
    }
}
BENCHMARK(BM_RefreshValues_40Rows)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "bench_inspector.moc"
