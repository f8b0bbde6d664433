// Speed of the inspector: choosing editors and building rows for one object of 40 properties and for
// 50 objects of 10 common properties, and re-reading 40 rows.

#include "core/Types.h"
#include "inspector/ELPropInsp.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

// Generated: a mix of integer, string, boolean, float, enumeration and set properties.
class TBench40 : public QObject {
    Q_OBJECT
    Q_PROPERTY(int P00Int READ P00Int WRITE SetP00Int)
    Q_PROPERTY(QString P01Str READ P01Str WRITE SetP01Str)
    Q_PROPERTY(bool P02Bool READ P02Bool WRITE SetP02Bool)
    Q_PROPERTY(double P03Dbl READ P03Dbl WRITE SetP03Dbl)
    Q_PROPERTY(Kvd::TAlign P04Align READ P04Align WRITE SetP04Align)
    Q_PROPERTY(Kvd::TAnchors P05Anchors READ P05Anchors WRITE SetP05Anchors)
    Q_PROPERTY(int P06Int READ P06Int WRITE SetP06Int)
    Q_PROPERTY(QString P07Str READ P07Str WRITE SetP07Str)
    Q_PROPERTY(bool P08Bool READ P08Bool WRITE SetP08Bool)
    Q_PROPERTY(double P09Dbl READ P09Dbl WRITE SetP09Dbl)
    Q_PROPERTY(Kvd::TAlign P10Align READ P10Align WRITE SetP10Align)
    Q_PROPERTY(Kvd::TAnchors P11Anchors READ P11Anchors WRITE SetP11Anchors)
    Q_PROPERTY(int P12Int READ P12Int WRITE SetP12Int)
    Q_PROPERTY(QString P13Str READ P13Str WRITE SetP13Str)
    Q_PROPERTY(bool P14Bool READ P14Bool WRITE SetP14Bool)
    Q_PROPERTY(double P15Dbl READ P15Dbl WRITE SetP15Dbl)
    Q_PROPERTY(Kvd::TAlign P16Align READ P16Align WRITE SetP16Align)
    Q_PROPERTY(Kvd::TAnchors P17Anchors READ P17Anchors WRITE SetP17Anchors)
    Q_PROPERTY(int P18Int READ P18Int WRITE SetP18Int)
    Q_PROPERTY(QString P19Str READ P19Str WRITE SetP19Str)
    Q_PROPERTY(bool P20Bool READ P20Bool WRITE SetP20Bool)
    Q_PROPERTY(double P21Dbl READ P21Dbl WRITE SetP21Dbl)
    Q_PROPERTY(Kvd::TAlign P22Align READ P22Align WRITE SetP22Align)
    Q_PROPERTY(Kvd::TAnchors P23Anchors READ P23Anchors WRITE SetP23Anchors)
    Q_PROPERTY(int P24Int READ P24Int WRITE SetP24Int)
    Q_PROPERTY(QString P25Str READ P25Str WRITE SetP25Str)
    Q_PROPERTY(bool P26Bool READ P26Bool WRITE SetP26Bool)
    Q_PROPERTY(double P27Dbl READ P27Dbl WRITE SetP27Dbl)
    Q_PROPERTY(Kvd::TAlign P28Align READ P28Align WRITE SetP28Align)
    Q_PROPERTY(Kvd::TAnchors P29Anchors READ P29Anchors WRITE SetP29Anchors)
    Q_PROPERTY(int P30Int READ P30Int WRITE SetP30Int)
    Q_PROPERTY(QString P31Str READ P31Str WRITE SetP31Str)
    Q_PROPERTY(bool P32Bool READ P32Bool WRITE SetP32Bool)
    Q_PROPERTY(double P33Dbl READ P33Dbl WRITE SetP33Dbl)
    Q_PROPERTY(Kvd::TAlign P34Align READ P34Align WRITE SetP34Align)
    Q_PROPERTY(Kvd::TAnchors P35Anchors READ P35Anchors WRITE SetP35Anchors)
    Q_PROPERTY(int P36Int READ P36Int WRITE SetP36Int)
    Q_PROPERTY(QString P37Str READ P37Str WRITE SetP37Str)
    Q_PROPERTY(bool P38Bool READ P38Bool WRITE SetP38Bool)
    Q_PROPERTY(double P39Dbl READ P39Dbl WRITE SetP39Dbl)

public:
    using QObject::QObject;
    int P00Int() const { return m_P00Int; }
    void SetP00Int(int v) { m_P00Int = v; }
    QString P01Str() const { return m_P01Str; }
    void SetP01Str(const QString& v) { m_P01Str = v; }
    bool P02Bool() const { return m_P02Bool; }
    void SetP02Bool(bool v) { m_P02Bool = v; }
    double P03Dbl() const { return m_P03Dbl; }
    void SetP03Dbl(double v) { m_P03Dbl = v; }
    Kvd::TAlign P04Align() const { return m_P04Align; }
    void SetP04Align(Kvd::TAlign v) { m_P04Align = v; }
    Kvd::TAnchors P05Anchors() const { return m_P05Anchors; }
    void SetP05Anchors(Kvd::TAnchors v) { m_P05Anchors = v; }
    int P06Int() const { return m_P06Int; }
    void SetP06Int(int v) { m_P06Int = v; }
    QString P07Str() const { return m_P07Str; }
    void SetP07Str(const QString& v) { m_P07Str = v; }
    bool P08Bool() const { return m_P08Bool; }
    void SetP08Bool(bool v) { m_P08Bool = v; }
    double P09Dbl() const { return m_P09Dbl; }
    void SetP09Dbl(double v) { m_P09Dbl = v; }
    Kvd::TAlign P10Align() const { return m_P10Align; }
    void SetP10Align(Kvd::TAlign v) { m_P10Align = v; }
    Kvd::TAnchors P11Anchors() const { return m_P11Anchors; }
    void SetP11Anchors(Kvd::TAnchors v) { m_P11Anchors = v; }
    int P12Int() const { return m_P12Int; }
    void SetP12Int(int v) { m_P12Int = v; }
    QString P13Str() const { return m_P13Str; }
    void SetP13Str(const QString& v) { m_P13Str = v; }
    bool P14Bool() const { return m_P14Bool; }
    void SetP14Bool(bool v) { m_P14Bool = v; }
    double P15Dbl() const { return m_P15Dbl; }
    void SetP15Dbl(double v) { m_P15Dbl = v; }
    Kvd::TAlign P16Align() const { return m_P16Align; }
    void SetP16Align(Kvd::TAlign v) { m_P16Align = v; }
    Kvd::TAnchors P17Anchors() const { return m_P17Anchors; }
    void SetP17Anchors(Kvd::TAnchors v) { m_P17Anchors = v; }
    int P18Int() const { return m_P18Int; }
    void SetP18Int(int v) { m_P18Int = v; }
    QString P19Str() const { return m_P19Str; }
    void SetP19Str(const QString& v) { m_P19Str = v; }
    bool P20Bool() const { return m_P20Bool; }
    void SetP20Bool(bool v) { m_P20Bool = v; }
    double P21Dbl() const { return m_P21Dbl; }
    void SetP21Dbl(double v) { m_P21Dbl = v; }
    Kvd::TAlign P22Align() const { return m_P22Align; }
    void SetP22Align(Kvd::TAlign v) { m_P22Align = v; }
    Kvd::TAnchors P23Anchors() const { return m_P23Anchors; }
    void SetP23Anchors(Kvd::TAnchors v) { m_P23Anchors = v; }
    int P24Int() const { return m_P24Int; }
    void SetP24Int(int v) { m_P24Int = v; }
    QString P25Str() const { return m_P25Str; }
    void SetP25Str(const QString& v) { m_P25Str = v; }
    bool P26Bool() const { return m_P26Bool; }
    void SetP26Bool(bool v) { m_P26Bool = v; }
    double P27Dbl() const { return m_P27Dbl; }
    void SetP27Dbl(double v) { m_P27Dbl = v; }
    Kvd::TAlign P28Align() const { return m_P28Align; }
    void SetP28Align(Kvd::TAlign v) { m_P28Align = v; }
    Kvd::TAnchors P29Anchors() const { return m_P29Anchors; }
    void SetP29Anchors(Kvd::TAnchors v) { m_P29Anchors = v; }
    int P30Int() const { return m_P30Int; }
    void SetP30Int(int v) { m_P30Int = v; }
    QString P31Str() const { return m_P31Str; }
    void SetP31Str(const QString& v) { m_P31Str = v; }
    bool P32Bool() const { return m_P32Bool; }
    void SetP32Bool(bool v) { m_P32Bool = v; }
    double P33Dbl() const { return m_P33Dbl; }
    void SetP33Dbl(double v) { m_P33Dbl = v; }
    Kvd::TAlign P34Align() const { return m_P34Align; }
    void SetP34Align(Kvd::TAlign v) { m_P34Align = v; }
    Kvd::TAnchors P35Anchors() const { return m_P35Anchors; }
    void SetP35Anchors(Kvd::TAnchors v) { m_P35Anchors = v; }
    int P36Int() const { return m_P36Int; }
    void SetP36Int(int v) { m_P36Int = v; }
    QString P37Str() const { return m_P37Str; }
    void SetP37Str(const QString& v) { m_P37Str = v; }
    bool P38Bool() const { return m_P38Bool; }
    void SetP38Bool(bool v) { m_P38Bool = v; }
    double P39Dbl() const { return m_P39Dbl; }
    void SetP39Dbl(double v) { m_P39Dbl = v; }

private:
    int m_P00Int = 0;
    QString m_P01Str = QString();
    bool m_P02Bool = false;
    double m_P03Dbl = 0.0;
    Kvd::TAlign m_P04Align = alNone;
    Kvd::TAnchors m_P05Anchors = DefaultAnchors();
    int m_P06Int = 0;
    QString m_P07Str = QString();
    bool m_P08Bool = false;
    double m_P09Dbl = 0.0;
    Kvd::TAlign m_P10Align = alNone;
    Kvd::TAnchors m_P11Anchors = DefaultAnchors();
    int m_P12Int = 0;
    QString m_P13Str = QString();
    bool m_P14Bool = false;
    double m_P15Dbl = 0.0;
    Kvd::TAlign m_P16Align = alNone;
    Kvd::TAnchors m_P17Anchors = DefaultAnchors();
    int m_P18Int = 0;
    QString m_P19Str = QString();
    bool m_P20Bool = false;
    double m_P21Dbl = 0.0;
    Kvd::TAlign m_P22Align = alNone;
    Kvd::TAnchors m_P23Anchors = DefaultAnchors();
    int m_P24Int = 0;
    QString m_P25Str = QString();
    bool m_P26Bool = false;
    double m_P27Dbl = 0.0;
    Kvd::TAlign m_P28Align = alNone;
    Kvd::TAnchors m_P29Anchors = DefaultAnchors();
    int m_P30Int = 0;
    QString m_P31Str = QString();
    bool m_P32Bool = false;
    double m_P33Dbl = 0.0;
    Kvd::TAlign m_P34Align = alNone;
    Kvd::TAnchors m_P35Anchors = DefaultAnchors();
    int m_P36Int = 0;
    QString m_P37Str = QString();
    bool m_P38Bool = false;
    double m_P39Dbl = 0.0;
};

class TBench10 : public QObject {
    Q_OBJECT
    Q_PROPERTY(int P00Int READ P00Int WRITE SetP00Int)
    Q_PROPERTY(QString P01Str READ P01Str WRITE SetP01Str)
    Q_PROPERTY(bool P02Bool READ P02Bool WRITE SetP02Bool)
    Q_PROPERTY(double P03Dbl READ P03Dbl WRITE SetP03Dbl)
    Q_PROPERTY(Kvd::TAlign P04Align READ P04Align WRITE SetP04Align)
    Q_PROPERTY(Kvd::TAnchors P05Anchors READ P05Anchors WRITE SetP05Anchors)
    Q_PROPERTY(int P06Int READ P06Int WRITE SetP06Int)
    Q_PROPERTY(QString P07Str READ P07Str WRITE SetP07Str)
    Q_PROPERTY(bool P08Bool READ P08Bool WRITE SetP08Bool)
    Q_PROPERTY(double P09Dbl READ P09Dbl WRITE SetP09Dbl)

public:
    using QObject::QObject;
    int P00Int() const { return m_P00Int; }
    void SetP00Int(int v) { m_P00Int = v; }
    QString P01Str() const { return m_P01Str; }
    void SetP01Str(const QString& v) { m_P01Str = v; }
    bool P02Bool() const { return m_P02Bool; }
    void SetP02Bool(bool v) { m_P02Bool = v; }
    double P03Dbl() const { return m_P03Dbl; }
    void SetP03Dbl(double v) { m_P03Dbl = v; }
    Kvd::TAlign P04Align() const { return m_P04Align; }
    void SetP04Align(Kvd::TAlign v) { m_P04Align = v; }
    Kvd::TAnchors P05Anchors() const { return m_P05Anchors; }
    void SetP05Anchors(Kvd::TAnchors v) { m_P05Anchors = v; }
    int P06Int() const { return m_P06Int; }
    void SetP06Int(int v) { m_P06Int = v; }
    QString P07Str() const { return m_P07Str; }
    void SetP07Str(const QString& v) { m_P07Str = v; }
    bool P08Bool() const { return m_P08Bool; }
    void SetP08Bool(bool v) { m_P08Bool = v; }
    double P09Dbl() const { return m_P09Dbl; }
    void SetP09Dbl(double v) { m_P09Dbl = v; }

private:
    int m_P00Int = 0;
    QString m_P01Str = QString();
    bool m_P02Bool = false;
    double m_P03Dbl = 0.0;
    Kvd::TAlign m_P04Align = alNone;
    Kvd::TAnchors m_P05Anchors = DefaultAnchors();
    int m_P06Int = 0;
    QString m_P07Str = QString();
    bool m_P08Bool = false;
    double m_P09Dbl = 0.0;
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
        object.SetP00Int(++tick); // one row really changes each time
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
