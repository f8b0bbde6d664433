// The builder's main window: start-up to the first shown window; with 256 elements and the live preview
// connected to a loopback stand-in for the simulator, the time from one change to the last button packet
// on the wire (the 50 ms refresh delay included, and reported apart as overhead); and the memory of the
// running program with 256 elements.

#include "../tests/link/TestPeer.h"
#include "BenchCommon.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"
#include "link/Dromo.h"
#include "link/KvdDromo.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_frmMain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

using BenchCommon::ElementCount;
using BenchCommon::FullScreenLayout;
using BenchCommon::ResidentKiB;
constexpr int RefreshDelayMs = 50;

int ButtonPackets(const TestPeer& peer) {
    int count = 0;
    for (const QByteArray& p : peer.PacketBytes())
        if (p.size() > 1 && quint8(p.at(1)) == Dromo::DR_BTN)
            ++count;
    return count;
}

void BM_StartupToShownWindow(benchmark::State& state) {
    QTemporaryDir dir;
    TfrmMain::SetSettingsFileOverride(dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto* window = new TfrmMain;
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            state.SkipWithError("window not shown");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        delete window;
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_StartupToShownWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ChangeToLastButtonPacket(benchmark::State& state) {
    QTemporaryDir dir;
    TfrmMain::SetSettingsFileOverride(dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
    TestPeer peer;
    TfrmMain window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("window not shown");
        return;
    }
    window.Execute(window.actNew);
    window.LoadLayout(QString(), FullScreenLayout());
    window.KvdDromo1->SetPort(peer.Port());
    window.KvdDromo1->SetActive(true);
    QElapsedTimer wait;
    wait.start();
    while (ButtonPackets(peer) < ElementCount && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (ButtonPackets(peer) < ElementCount) {
        state.SkipWithError("the preview did not connect");
        return;
    }
    QTest::qWait(100);
    TKvdUIElement* element = nullptr;
    for (TControl* c : window.RootControl()->OwnedComponents())
        if ((element = qobject_cast<TKvdUIElement*>(c)))
            break;
    double overheadMs = 0;
    int step = 0;
    for (auto _ : state) {
        peer.ClearPackets();
        QElapsedTimer clock;
        clock.start();
        element->SetLeft(step++ % 2 ? 4 : 6);
        // The refresh runs from the event loop; once it has, every packet is on its way.
        while (window.Timer1->isActive() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        peer.WaitForPackets(ElementCount, 5000);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        overheadMs += seconds * 1000 - RefreshDelayMs;
        if (ButtonPackets(peer) < ElementCount)
            state.SkipWithError("packets missing");
    }
    state.counters["overhead_ms"] = benchmark::Counter(overheadMs / double(state.iterations()));
    window.KvdDromo1->SetActive(false);
}
BENCHMARK(BM_ChangeToLastButtonPacket)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

// One refresh run alone (layout text, undo snapshot, 256 button packets sent), connected.
void BM_RefreshRun256(benchmark::State& state) {
    QTemporaryDir dir;
    TfrmMain::SetSettingsFileOverride(dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
    TestPeer peer;
    TfrmMain window;
    window.Execute(window.actNew);
    window.LoadLayout(QString(), FullScreenLayout());
    window.KvdDromo1->SetPort(peer.Port());
    window.KvdDromo1->SetActive(true);
    QTest::qWait(200);
    for (auto _ : state) {
        window.Timer1Timer();
        state.PauseTiming();
        peer.ClearPackets();
        state.ResumeTiming();
    }
    window.KvdDromo1->SetActive(false);
}
BENCHMARK(BM_RefreshRun256)->Unit(benchmark::kMicrosecond);

void BM_MemoryWith256Elements(benchmark::State& state) {
    QTemporaryDir dir;
    TfrmMain::SetSettingsFileOverride(dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
    const QString layout = FullScreenLayout();
    long before = 0, after = 0;
    for (auto _ : state) {
        TfrmMain window;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            state.SkipWithError("window not shown");
        window.Execute(window.actNew);
        QTest::qWait(100);
        before = ResidentKiB();
        window.LoadLayout(QString(), layout);
        QTest::qWait(100);
        after = ResidentKiB();
    }
    state.counters["rss_MiB"] = benchmark::Counter(double(after) / 1024);
    state.counters["elements_MiB"] = benchmark::Counter(double(after - before) / 1024);
}
BENCHMARK(BM_MemoryWith256Elements)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? qgetenv("QT_QPA_PLATFORM") : "offscreen");
    TKvdApplication app(argc, argv);
    InitApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
