// Simulator link: framing throughput of ProcessData against a plain memcpy of the same bytes, and
// ShowLayout of 256 elements handed to a connected socket.

#include "../tests/link/TestPeer.h"
#include "bench/BenchMain.h"
#include "bench/ButtonGrid.h"
#include "link/KvdUI.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cstring>

namespace {

// A long stream of the packets a simulator sends: keep-alives, clicks, typed and console text,
// version packets and larger records.
QByteArray MixedStream(int bytes) {
    QRandomGenerator random(99);
    const int sizes[] = {4, 8, 108, 140, 20, 4, 8, 256, 16, 1020};
    const quint8 types[] = {3, 46, 47, 11, 2, 3, 46, 45, 45, 11};
    QByteArray stream;
    stream.reserve(bytes + 1024);
    while (stream.size() < bytes) {
        const int kind = random.bounded(10);
        QByteArray packet(sizes[kind], 'k');
        packet[0] = char(sizes[kind] / 4);
        packet[1] = char(types[kind]);
        stream += packet;
    }
    return stream;
}

class CountingSocket : public TKvdSocket {
public:
    ~CountingSocket() override { ShutDown(); }
    quint64 Sum = 0;

protected:
    void HandlePacket(const TKvdPacket& packet) override { Sum += packet.Type() + packet.Length(); }
    void Open() override {}
    void Close() override {}
};

constexpr int Chunk = TKvdSocket::RecvSize; // what one receive delivers at most

// The stream size is the argument: 256 KiB stays in the cache, as freshly received bytes are; 4 MiB
// comes from memory, where the size byte of each packet must be fetched before the next can be found.
void BM_ProcessData(benchmark::State& state) {
    const QByteArray stream = MixedStream(int(state.range(0)));
    CountingSocket socket;
    for (auto _ : state) {
        for (qsizetype at = 0; at < stream.size(); at += Chunk)
            socket.ProcessData(stream.constData() + at, int(qMin<qsizetype>(Chunk, stream.size() - at)));
        benchmark::DoNotOptimize(socket.Sum);
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}
BENCHMARK(BM_ProcessData)->Arg(256 << 10)->Arg(4 << 20);

void BM_Memcpy(benchmark::State& state) {
    const QByteArray stream = MixedStream(int(state.range(0)));
    std::vector<char> target(Chunk);
    for (auto _ : state) {
        for (qsizetype at = 0; at < stream.size(); at += Chunk) {
            std::memcpy(target.data(), stream.constData() + at,
                        size_t(qMin<qsizetype>(Chunk, stream.size() - at)));
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}
BENCHMARK(BM_Memcpy)->Arg(256 << 10)->Arg(4 << 20);

void BM_ShowLayout256(benchmark::State& state) {
    const QString xml = ButtonGrid256();
    // The peer reads and drops everything, answering nothing.
    TestPeer peer;
    peer.SetAnswerInit(false);
    peer.SetRecording(false);
    TKvdDromo client;
    client.SetSynchronized(false);
    client.SetPort(peer.Port());
    TKvdUI ui;
    ui.SetDromo(&client);
    client.SetActive(true);
    if (!client.Active()) {
        state.SkipWithError("no connection");
        return;
    }
    for (auto _ : state)
        ui.ShowLayout(xml);
    // A link given up on the way (a peer too slow for the outgoing queue) would have sent nothing.
    const bool kept = client.Handle() != KvdSys::InvalidSocket;
    client.SetActive(false);
    if (!kept)
        state.SkipWithError("the link went down");
    state.SetItemsProcessed(state.iterations() * 256);
    state.counters["peer_bytes"] = double(peer.BytesReceived());
}
BENCHMARK(BM_ShowLayout256)->Unit(benchmark::kMicrosecond);

// The same without the socket: parsing and building only.
void BM_LayoutPackets256(benchmark::State& state) {
    const QString xml = ButtonGrid256();
    for (auto _ : state)
        benchmark::DoNotOptimize(TKvdUI::LayoutPackets(xml, {}, 0, 4));
}
BENCHMARK(BM_LayoutPackets256)->Unit(benchmark::kMicrosecond);

} // namespace

// The test peer's sockets need an application object.
int main(int argc, char** argv) {
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
