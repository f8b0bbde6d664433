// The builder's main window: start-up to the first shown window; with 256 elements and the live preview
// connected to a loopback stand-in for the simulator, the time from one change to the last button packet
// on the wire (the 50 ms refresh delay included, and reported apart as overhead); and the memory of the
// running program with 256 elements; and a simulator flooding the builder with click reports (100 000 a
// second for 10 s): the memory, the CPU time and how late the GUI thread answers a timer meanwhile.

#include "../tests/link/TestPeer.h"
#include "BenchCommon.h"
#include "bench/PreviewBench.h"
#include "bench/ShellBenchMain.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"
#include "link/Dromo.h"
#include "link/KvdDromo.h"
#include "link/KvdUI.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_ProblemsPane.h"
#include "shell/KvdUIBuilder_frmMain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <thread>

namespace {

using BenchCommon::ElementCount;
using BenchCommon::FullScreenLayout;
using BenchCommon::ResidentKiB;
constexpr int RefreshDelayMs = 50;

// Shows the window with a new document, optionally holding a layout, and connects its live preview to
// the peer; false (the benchmark skipped) when the window does not appear.
bool ShowConnected(TfrmMain& window, TestPeer& peer, benchmark::State& state, const QString& layout = {}) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("window not shown");
        return false;
    }
    window.Execute(window.actNew);
    if (!layout.isEmpty())
        window.LoadLayout(QString(), layout);
    window.KvdDromo1->SetPort(peer.Port());
    window.KvdDromo1->SetActive(true);
    return true;
}

void BM_StartupToShownWindow(benchmark::State& state) {
    const BenchSettings settings;
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
    const BenchSettings settings;
    TestPeer peer;
    TfrmMain window;
    if (!ShowConnected(window, peer, state, FullScreenLayout()))
        return;
    if (!WaitForButtonPackets(peer, ElementCount)) {
        state.SkipWithError("the preview did not connect");
        return;
    }
    QTest::qWait(100);
    TKvdUIElement* element = nullptr;
    for (TControl* c : window.RootControl()->OwnedComponents())
        if ((element = qobject_cast<TKvdUIElement*>(c)))
            break;
    double overheadMs = 0, refreshedMs = 0, deliveredMs = 0;
    int step = 0;
    QElapsedTimer clock;
    qint64 refreshed = 0;
    // Connected after the window's own handler, so it runs once the refresh run has returned.
    QObject::connect(window.Timer1, &QTimer::timeout, [&] { refreshed = clock.nsecsElapsed(); });
    for (auto _ : state) {
        peer.ClearPackets();
        clock.start();
        element->SetLeft(step++ % 2 ? 4 : 6);
        // The refresh runs from the event loop; once it has, every packet is on its way.
        while (window.Timer1->isActive() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        peer.WaitForPackets(ElementCount, 5000);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        overheadMs += seconds * 1000 - RefreshDelayMs;
        refreshedMs += double(refreshed) / 1e6 - RefreshDelayMs;
        deliveredMs += seconds * 1000 - double(refreshed) / 1e6;
        if (ButtonPackets(peer) < ElementCount)
            state.SkipWithError("packets missing");
    }
    state.counters["overhead_ms"] = benchmark::Counter(overheadMs / double(state.iterations()));
    // Where the overhead goes: until the refresh run has returned (the timer's lateness and the run), and
    // from then until the last packet reached the peer.
    state.counters["refreshed_ms"] = benchmark::Counter(refreshedMs / double(state.iterations()));
    state.counters["delivered_ms"] = benchmark::Counter(deliveredMs / double(state.iterations()));
    window.KvdDromo1->SetActive(false);
}
BENCHMARK(BM_ChangeToLastButtonPacket)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

// One refresh run alone (layout text, undo snapshot, 256 button packets sent), connected. With the
// argument 1 the layout has unsaved changes, so the run also hands its text to the recovery copy; 0 is a
// saved layout, which keeps no copy.
void BM_RefreshRun256(benchmark::State& state) {
    const BenchSettings settings;
    TestPeer peer;
    TfrmMain window;
    window.Execute(window.actNew);
    window.LoadLayout(QString(), FullScreenLayout());
    if (state.range(0)) {
        auto* element = qobject_cast<TKvdUIElement*>(window.RootControl()->OwnedComponents().value(0));
        element->SetText(element->Text() + QStringLiteral(" changed"));
    }
    if (window.Modified() != bool(state.range(0)))
        state.SkipWithError("the layout is not in the state measured");
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
BENCHMARK(BM_RefreshRun256)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The Problems pane's part of a refresh run over 256 labelled elements: the layout checks of the run's text
// and the rows. With 0 the findings are those already shown (a change that neither adds nor removes one),
// with 1 every row is built again.
void BM_ProblemsPane256(benchmark::State& state) {
    const BenchSettings settings;
    TfrmMain window;
    window.Execute(window.actNew);
    window.LoadLayout(QString(), FullScreenLayout(true));
    const QString text = WriteLayout(window.RootControl());
    window.ProblemsPane->Check(text);
    for (auto _ : state) {
        if (state.range(0)) {
            state.PauseTiming();
            window.ProblemsPane->Show({});
            state.ResumeTiming();
        }
        window.ProblemsPane->Check(text);
    }
    state.counters["findings"] = benchmark::Counter(double(window.ProblemsPane->Findings().size()));
}
BENCHMARK(BM_ProblemsPane256)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The Problems pane over a pile of 2 000 clickable buttons at one place (every pair overlaps): the checks
// and all rows built again, as after an edit that changes the findings; the memory the pane's rows add.
void BM_ProblemsPanePile2000(benchmark::State& state) {
    const BenchSettings settings;
    TControl root;
    root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    for (int i = 0; i < 2000; ++i) {
        auto* b = new TKvdUIButton(&root);
        b->SetParentControl(&root);
        b->SetBounds(100, 100, 60, 30);
        b->SetID(quint8(i % 256));
        b->SetText(QStringLiteral("B%1").arg(i));
    }
    const QString text = WriteLayout(&root);
    TfrmMain window;
    window.Execute(window.actNew);
    window.ProblemsPane->Show({});
    const long before = ResidentKiB();
    for (auto _ : state) {
        state.PauseTiming();
        window.ProblemsPane->Show({});
        state.ResumeTiming();
        window.ProblemsPane->Check(text);
    }
    state.counters["findings"] = benchmark::Counter(double(window.ProblemsPane->Findings().size()));
    state.counters["added_MiB"] = benchmark::Counter(double(ResidentKiB() - before) / 1024.0);
}
BENCHMARK(BM_ProblemsPanePile2000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MemoryWith256Elements(benchmark::State& state) {
    const BenchSettings settings;
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

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A loopback simulator sends click reports at 100 000 a second (in bursts of 1 000 every 10 ms) for 10 s
// to the connected main window, which shows every report in its log pane. Measured: reports sent and
// shown, resident memory growth (at the end and at most), CPU time of the whole process per second of
// flood (both threads), and the worst lateness of a 10 ms timer on the GUI thread, i.e. how long the
// window could not answer the user. The pane's lines are counted at the end.
void BM_ClickFlood(benchmark::State& state) {
    constexpr int RatePerSecond = 100000;
    constexpr int Seconds = 10;
    constexpr int Burst = 1000;
    const BenchSettings settings;
    for (auto _ : state) {
        TestPeer peer;
        TfrmMain window;
        if (!ShowConnected(window, peer, state))
            return;
        if (!peer.WaitForAccepted(1)) {
            state.SkipWithError("the preview did not connect");
            return;
        }
        QTest::qWait(200);
        std::atomic<long> shown{0};
        const auto previous = window.KvdUI1->OnEvent;
        window.KvdUI1->OnEvent = [&](QObject* sender, quint8 id, quint8 flags, const QString& text) {
            ++shown;
            previous(sender, id, flags, text);
        };

        QByteArray burst;
        for (int i = 0; i < Burst; ++i)
            burst += TestPeer::Click(quint8(i), 1);
        std::atomic<bool> sending{true};
        std::atomic<long> sent{0};
        std::thread sender([&] {
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < Seconds * 1000) {
                if (sent < clock.elapsed() * (RatePerSecond / 1000)) {
                    if (!peer.Send(burst))
                        break;
                    sent += Burst;
                } else {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            }
            sending = false;
        });

        const long rssBefore = ResidentKiB();
        long rssPeak = rssBefore;
        const double cpuBefore = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        qint64 lastTick = 0, worstLateMs = 0;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = wall.elapsed();
            worstLateMs = std::max(worstLateMs, now - lastTick - 10);
            lastTick = now;
            rssPeak = std::max(rssPeak, ResidentKiB());
        });
        tick.start();
        while (sending)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const double floodSeconds = double(wall.elapsed()) / 1000;
        const double cpu = CpuSeconds() - cpuBefore;
        // What is still on its way is handled before the pane is counted (at most 60 s).
        QElapsedTimer drain;
        drain.start();
        long seen = -1;
        while (seen != shown && drain.elapsed() < 60000) {
            seen = shown;
            QTest::qWait(200);
        }
        tick.stop();
        const long rssAfter = ResidentKiB();
        state.counters["sent"] = benchmark::Counter(double(sent));
        state.counters["shown"] = benchmark::Counter(double(shown));
        state.counters["rss_growth_MiB"] = benchmark::Counter(double(rssAfter - rssBefore) / 1024);
        state.counters["rss_peak_growth_MiB"] = benchmark::Counter(double(rssPeak - rssBefore) / 1024);
        state.counters["cpu_pct"] = benchmark::Counter(100 * cpu / floodSeconds);
        state.counters["worst_late_ms"] = benchmark::Counter(double(worstLateMs));
        state.counters["drain_s"] = benchmark::Counter(double(drain.elapsed()) / 1000);
        state.counters["pane_lines"] = benchmark::Counter(double(window.Memo1->document()->blockCount()));
        sender.join();
        window.KvdDromo1->SetActive(false);
    }
}
BENCHMARK(BM_ClickFlood)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    return RunShellBenchmarks(argc, argv);
}
