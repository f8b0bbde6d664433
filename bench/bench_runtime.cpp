// The runtime library through its C interface, as a user's program calls it: opening a 256-element
// layout (against the reading the builder's preview does for it), showing it to a connected stand-in,
// setting one placeholder that one button uses, and the time from kvdui_show to the stand-in's last byte.
// Counters give the memory an opened and shown layout costs.

#include "../tests/link/TestPeer.h"
#include "bench/BenchMain.h"
#include "bench/ButtonGrid.h"
#include "link/KvdUI.h"

#include <kvdui/kvdui.h>

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <malloc.h>

namespace {

// 256 buttons, the first of which shows the placeholder {v}; the same shape as the link benchmark's.
QByteArray Layout256() {
    return ButtonGrid256(QStringLiteral("Lap {v}")).toUtf8();
}

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// The 256-button layout opened and shown to nobody yet, at a stand-in that reads and drops everything
// once the connection is made.
struct Session {
    TestPeer Peer;
    kvdui_client* Client = nullptr;
    kvdui_layout* Layout = nullptr;
    Session() {
        const QByteArray xml = Layout256();
        Layout = kvdui_layout_from_text(xml.constData(), size_t(xml.size()), nullptr);
        const kvdui_options options{"127.0.0.1", Peer.Port(), "bench", nullptr, 5000};
        Client = kvdui_connect(&options, nullptr);
        Peer.SetRecording(false);
    }
    ~Session() {
        kvdui_close(Client);
        kvdui_layout_free(Layout);
    }
    // False, with the benchmark marked as failed, when the layout did not read or the connection failed.
    bool Ready(benchmark::State& state) const {
        if (Client && Layout)
            return true;
        state.SkipWithError("no connection or no layout");
        return false;
    }
};

void BM_RuntimeOpen256(benchmark::State& state) {
    const QByteArray xml = Layout256();
    for (auto _ : state) {
        kvdui_layout* layout = kvdui_layout_from_text(xml.constData(), size_t(xml.size()), nullptr);
        benchmark::DoNotOptimize(layout);
        kvdui_layout_free(layout);
    }
    const size_t before = HeapInUse();
    kvdui_layout* layout = kvdui_layout_from_text(xml.constData(), size_t(xml.size()), nullptr);
    state.counters["layout_bytes"] = double(HeapInUse() - before);
    kvdui_layout_free(layout);
}
BENCHMARK(BM_RuntimeOpen256)->Unit(benchmark::kMicrosecond);

// What the builder's preview reads for every show: the layout text into button packets.
void BM_PreviewReading256(benchmark::State& state) {
    const QString xml = QString::fromUtf8(Layout256());
    for (auto _ : state)
        benchmark::DoNotOptimize(TKvdUI::LayoutPackets(xml, {}, 0, 4));
}
BENCHMARK(BM_PreviewReading256)->Unit(benchmark::kMicrosecond);

void BM_RuntimeShow256(benchmark::State& state) {
    Session s;
    if (!s.Ready(state))
        return;
    const char* values[] = {"v", "1", nullptr};
    const size_t before = HeapInUse();
    int sent = kvdui_show(s.Client, s.Layout, values, 0, nullptr);
    state.counters["shown_bytes"] = double(HeapInUse() - before);
    for (auto _ : state)
        sent = kvdui_show(s.Client, s.Layout, values, 0, nullptr);
    if (sent != 256)
        state.SkipWithError("the show failed");
    state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_RuntimeShow256)->Unit(benchmark::kMicrosecond);

// One placeholder used by one button of 256, set to a new value each time: one packet.
void BM_RuntimeSet1of256(benchmark::State& state) {
    Session s;
    if (!s.Ready(state))
        return;
    if (kvdui_show(s.Client, s.Layout, nullptr, 0, nullptr) != 256) {
        state.SkipWithError("the show failed");
        return;
    }
    const char* lapValues[] = {"1", "2"};
    int lap = 0;
    int packets = 0;
    for (auto _ : state)
        packets += kvdui_set(s.Client, s.Layout, "v", lapValues[++lap % 2], nullptr);
    state.counters["packets_per_set"] = double(packets) / double(state.iterations());
}
BENCHMARK(BM_RuntimeSet1of256)->Unit(benchmark::kMicrosecond);

// From the call to the stand-in's last byte of a 256-button show, on loopback.
void BM_RuntimeShowToLastByte256(benchmark::State& state) {
    Session s;
    if (!s.Ready(state))
        return;
    // The bytes received once they stop growing for 50 ms (at most 2 s).
    const auto settled = [&s] {
        QElapsedTimer wait;
        wait.start();
        qint64 last = -1;
        while (wait.elapsed() < 2000 && s.Peer.BytesReceived() != last) {
            last = s.Peer.BytesReceived();
            QThread::msleep(50);
        }
        return last;
    };
    kvdui_show(s.Client, s.Layout, nullptr, 0, nullptr);
    const qint64 before = settled();
    kvdui_show(s.Client, s.Layout, nullptr, 0, nullptr);
    const qint64 perShow = settled() - before;
    for (auto _ : state) {
        const qint64 target = s.Peer.BytesReceived() + perShow;
        QElapsedTimer timer;
        timer.start();
        kvdui_show(s.Client, s.Layout, nullptr, 0, nullptr);
        while (s.Peer.BytesReceived() < target && timer.elapsed() < 2000) {
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    state.counters["bytes_per_show"] = double(perShow);
}
BENCHMARK(BM_RuntimeShowToLastByte256)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

// The stand-in's sockets need an application object.
int main(int argc, char** argv) {
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
