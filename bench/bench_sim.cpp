// The stand-in simulator under the load of a full-screen live preview: a client that sends 256 button
// packets per refresh. How long the stand-in takes for one refresh (server alone, and with its window
// drawing and logging), and whether it keeps up at 20 refreshes a second for ten seconds without its
// resident memory growing.

#include "BenchCommon.h"
#include "link/Dromo.h"
#include "link/KvdUI.h"
#include "sim/SimScreen.h"
#include "sim/SimServer.h"
#include "sim/SimWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <atomic>
#include <limits>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int ButtonCount = BenchCommon::ElementCount;
using BenchCommon::ResidentKiB;

// One refresh of a full screen: the 256 button packets of a 16 x 16 grid of labelled buttons.
QByteArray RefreshBytes() {
    QByteArray bytes;
    for (const QByteArray& packet : TKvdUI::LayoutPackets(BenchCommon::FullScreenLayout(true), {}, 0, 4))
        bytes += packet;
    return bytes;
}

// A client on a thread of its own with a blocking socket, as a real one would be; it never reads.
class LoadClient {
public:
    explicit LoadClient(quint16 port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ok = m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        QByteArray init = Dromo::BuildInit({}, 9, QByteArray(), "bench");
        Dromo::StampHead(reinterpret_cast<quint8*>(init.data()), int(init.size()), Dromo::DR_INIT, 4);
        m_ok = m_ok && Send(init);
    }
    ~LoadClient() {
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Ok() const { return m_ok; }
    bool Send(const QByteArray& bytes) {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n =
                ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += n;
        }
        return true;
    }
    // Sends the bytes count times, one every periodMs, from the client's thread.
    void SendPaced(const QByteArray& bytes, int count, int periodMs) {
        m_thread = std::thread([this, bytes, count, periodMs] {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < count && m_ok; ++i) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(i * periodMs));
                m_ok = Send(bytes);
                Sent = i + 1;
            }
        });
    }
    std::atomic<int> Sent{0};

private:
    int m_fd = -1;
    std::atomic<bool> m_ok{false};
    std::thread m_thread;
};

// Counts the button packets the server has handled.
struct Counter {
    explicit Counter(TSimServer& server) {
        QObject::connect(&server, &TSimServer::PacketReceived, [this](int, const QByteArray& packet) {
            if (quint8(packet.at(1)) == Dromo::DR_BTN)
                ++Buttons;
        });
    }
    long Buttons = 0;
    // Runs the event loop until count buttons have been handled; false after 10 s.
    bool WaitFor(long count) {
        QElapsedTimer clock;
        clock.start();
        while (Buttons < count && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        return Buttons >= count;
    }
};

// One refresh sent at once; the time until the stand-in has taken every packet in (and, with the window,
// logged them and drawn the screen).
void RefreshThroughput(benchmark::State& state, bool withWindow) {
    // Refreshes back to back are far more than a flood by the stand-in's rule; here only speed counts.
    TSimLimits limits;
    limits.FloodPackets = std::numeric_limits<int>::max();
    limits.FloodBytes = std::numeric_limits<int>::max();
    TSimServer server(9, limits);
    if (!server.Listen(QHostAddress::LocalHost, 0)) {
        state.SkipWithError("cannot listen");
        return;
    }
    std::unique_ptr<TSimWindow> window;
    if (withWindow) {
        window = std::make_unique<TSimWindow>(server);
        window->resize(900, 560);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            state.SkipWithError("window not shown");
            return;
        }
    }
    Counter counter(server);
    LoadClient client(server.Port());
    const QByteArray refresh = RefreshBytes();
    long expected = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        if (!client.Send(refresh) || !counter.WaitFor(expected += ButtonCount)) {
            state.SkipWithError("the stand-in did not take the refresh");
            break;
        }
        if (window) {
            window->Flush();
            window->Screen()->repaint();
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    state.counters["packets/s"] = benchmark::Counter(double(counter.Buttons), benchmark::Counter::kIsRate);
}

void BM_SimRefresh256(benchmark::State& state) {
    RefreshThroughput(state, false);
}
BENCHMARK(BM_SimRefresh256)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SimWindowRefresh256(benchmark::State& state) {
    RefreshThroughput(state, true);
}
BENCHMARK(BM_SimWindowRefresh256)->UseManualTime()->Unit(benchmark::kMillisecond);

// Twenty seconds at 20 refreshes a second with the window shown: whether every packet was taken in while
// the client sent, how far behind it fell at worst, and the resident memory after 2, 10 and 20 seconds
// (the log view is full after the first second).
void BM_SimWindowAt20Hz(benchmark::State& state) {
    constexpr int Refreshes = 400;
    constexpr int PeriodMs = 50;
    for (auto _ : state) {
        TSimServer server;
        if (!server.Listen(QHostAddress::LocalHost, 0)) {
            state.SkipWithError("cannot listen");
            return;
        }
        TSimWindow window(server);
        window.resize(900, 560);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            state.SkipWithError("window not shown");
            return;
        }
        Counter counter(server);
        LoadClient client(server.Port());
        client.SendPaced(RefreshBytes(), Refreshes, PeriodMs);
        long rss[3] = {};
        const qint64 sampleMs[3] = {2000, 10000, 20000};
        long maxBehind = 0; // refreshes sent but not yet taken in, at worst
        QElapsedTimer clock;
        clock.start();
        while (counter.Buttons < long(Refreshes) * ButtonCount && clock.elapsed() < 40000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
            maxBehind = qMax(maxBehind, client.Sent.load() - counter.Buttons / ButtonCount);
            for (int i = 0; i < 3; ++i)
                if (!rss[i] && clock.elapsed() >= sampleMs[i])
                    rss[i] = ResidentKiB();
        }
        const double seconds = clock.elapsed() / 1000.0;
        if (counter.Buttons < long(Refreshes) * ButtonCount)
            state.SkipWithError("the stand-in fell behind");
        if (!rss[2])
            rss[2] = ResidentKiB();
        state.counters["seconds"] = seconds;
        state.counters["max_refreshes_behind"] = double(maxBehind);
        state.counters["rss_2s_MiB"] = rss[0] / 1024.0;
        state.counters["rss_10s_MiB"] = rss[1] / 1024.0;
        state.counters["rss_20s_MiB"] = rss[2] / 1024.0;
    }
}
BENCHMARK(BM_SimWindowAt20Hz)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? qgetenv("QT_QPA_PLATFORM") : "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
