// The stand-in simulator under the load of a full-screen live preview: a client that sends 256 button
// packets per refresh. How long the stand-in takes for one refresh (server alone, and with its window
// drawing and logging), and whether it keeps up at 20 refreshes a second for ten seconds without its
// resident memory growing. Then the window under many clients: how long a click in it takes to reach
// its client while 64 clients of 256 buttons each change one button every 200 ms.

#include "BenchCommon.h"
#include "bench/BenchMain.h"
#include "link/Dromo.h"
#include "link/KvdFramer.h"
#include "link/KvdUI.h"
#include "sim/SimScreen.h"
#include "sim/SimServer.h"
#include "sim/SimWindow.h"
#ifdef KVD_BENCH_X11
#include "bench/XProbe.h"
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <ctime>
#include <functional>
#include <limits>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

// Lets the stand-in listen on a free loopback port; false, with the benchmark stopped, when it cannot.
bool Listen(benchmark::State& state, TSimServer& server) {
    if (server.Listen(QHostAddress::LocalHost, 0))
        return true;
    state.SkipWithError("cannot listen");
    return false;
}

// The stand-in's window, shown at the size every window benchmark uses; null, with the benchmark
// stopped, when it did not come up.
std::unique_ptr<TSimWindow> ShowWindow(benchmark::State& state, TSimServer& server) {
    auto window = std::make_unique<TSimWindow>(server);
    window->resize(900, 560);
    window->show();
    if (QTest::qWaitForWindowExposed(window.get()))
        return window;
    state.SkipWithError("window not shown");
    return nullptr;
}

std::unique_ptr<TSimWindow> ListenAndShow(benchmark::State& state, TSimServer& server) {
    return Listen(state, server) ? ShowWindow(state, server) : nullptr;
}

// One refresh sent at once; the time until the stand-in has taken every packet in (and, with the window,
// logged them and drawn the screen).
void RefreshThroughput(benchmark::State& state, bool withWindow) {
    // Refreshes back to back are far more than a flood by the stand-in's rule; here only speed counts.
    TSimLimits limits;
    limits.FloodPackets = std::numeric_limits<int>::max();
    limits.FloodBytes = std::numeric_limits<int>::max();
    TSimServer server(9, limits);
    if (!Listen(state, server))
        return;
    std::unique_ptr<TSimWindow> window;
    if (withWindow && !(window = ShowWindow(state, server)))
        return;
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
        const std::unique_ptr<TSimWindow> window = ListenAndShow(state, server);
        if (!window)
            return;
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

// Connects a blocking socket to the stand-in on the loopback.
int ConnectTo(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool SendAll(int fd, const QByteArray& bytes) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

// The button packet of button id of a client, on a 16 x 16 grid of 12-unit squares, with a text of 200
// bytes that names the client, the button and how often it changed.
QByteArray GridButton(int client, int id, int change, quint8 style) {
    Dromo::ButtonRecord button;
    button.ClickID = quint8(id);
    button.BStyle = style;
    button.Left = quint8(4 + (id % 16) * 12);
    button.Top = quint8(4 + (id / 16) * 12);
    button.Width = 11;
    button.Height = 11;
    button.Text = QByteArray("Client " + QByteArray::number(client) + " button " + QByteArray::number(id) +
                             " change " + QByteArray::number(change) + " ")
                      .leftJustified(200, 'x');
    QByteArray packet(Dromo::MaxButtonPacketSize, '\0');
    const int length = Dromo::BuildButton(button, 4, reinterpret_cast<quint8*>(packet.data()));
    packet.truncate(length);
    Dromo::StampHead(reinterpret_cast<quint8*>(packet.data()), length, Dromo::DR_BTN, 4);
    return packet;
}

// Many clients on one thread of their own: each shows a full screen of buttons, then changes one of them
// every period, the clients spread evenly over the period; every click report they receive is noted.
// With answer set, the load leaves button 0 alone and a client answers a click by changing the clicked
// button's text at once, as a program showing that the click was taken.
class GridClients {
public:
    GridClients(quint16 port, int clients, quint8 style, int periodMs, bool answer = false)
        : m_port(port), m_clients(clients), m_style(style), m_period(periodMs), m_answer(answer) {
        m_thread = std::thread([this] { Run(); });
    }
    ~GridClients() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (const int fd : m_fds)
            ::close(fd);
    }
    bool Ok() const { return m_ok; }
    std::atomic<int> Clicks{0};
    std::atomic<qint64> LastClickNs{0};  // steady clock of the latest click report
    std::atomic<qint64> LastAnswerNs{0}; // and of the answer to it sent

private:
    static qint64 NowNs() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void Run() {
        // Connected from here, while the stand-in's thread accepts: more clients than its listen queue.
        for (int c = 0; c < m_clients && m_ok; ++c) {
            const int fd = ConnectTo(m_port);
            m_ok = fd >= 0;
            if (fd >= 0) {
                m_fds.push_back(fd);
                m_framers.push_back(std::make_unique<TKvdFramer>(4));
            }
        }
        for (size_t c = 0; c < m_fds.size() && m_ok; ++c) {
            QByteArray bytes = Dromo::BuildInit({}, 9, QByteArray(), "grid " + QByteArray::number(int(c)));
            Dromo::StampHead(reinterpret_cast<quint8*>(bytes.data()), int(bytes.size()), Dromo::DR_INIT, 4);
            for (int id = 0; id < ButtonCount; ++id)
                bytes += GridButton(int(c), id, 0, m_style);
            m_ok = SendAll(m_fds[c], bytes);
        }
        std::vector<pollfd> polls(m_fds.size());
        const auto start = std::chrono::steady_clock::now();
        long step = 0; // the next change of all clients' changes, in order
        while (!m_stop && m_ok) {
            const auto due =
                start + std::chrono::microseconds(long(m_period) * 1000 * step / long(m_fds.size()));
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
            for (size_t c = 0; c < m_fds.size(); ++c)
                polls[c] = {m_fds[c], POLLIN, 0};
            if (::poll(polls.data(), nfds_t(polls.size()), int(std::clamp<qint64>(wait.count(), 0, 5))) > 0)
                for (size_t c = 0; c < polls.size(); ++c)
                    if (polls[c].revents & POLLIN)
                        Receive(c);
            if (std::chrono::steady_clock::now() < due)
                continue;
            const int c = int(step % long(m_fds.size()));
            const int change = int(step / long(m_fds.size()));
            const int id = m_answer ? 1 + (change * 37) % (ButtonCount - 1) : (change * 37) % ButtonCount;
            m_ok = SendAll(m_fds[size_t(c)], GridButton(c, id, change + 1, m_style));
            ++step;
        }
    }
    void Receive(size_t c) {
        char buffer[TKvdFramer::ChunkSize];
        TKvdFramer& framer = *m_framers[c];
        const ssize_t n =
            ::recv(m_fds[c], buffer, size_t(qMin(framer.FreeSpace(), int(sizeof buffer))), MSG_DONTWAIT);
        if (n <= 0)
            return;
        framer.Feed(buffer, int(n));
        QByteArray packet;
        while (framer.Next(packet) == TKvdFramer::Step::Packet)
            if (quint8(packet.at(1)) == Dromo::DR_BTN_CLICK) {
                LastClickNs = NowNs();
                if (m_answer) {
                    m_ok = SendAll(m_fds[c], GridButton(int(c), quint8(packet.at(Dromo::ReportClickIdOffset)),
                                                        -1 - Clicks, m_style));
                    LastAnswerNs = NowNs();
                }
                ++Clicks;
            }
    }

    quint16 m_port;
    int m_clients;
    quint8 m_style;
    int m_period;
    bool m_answer;
    std::vector<int> m_fds;
    std::vector<std::unique_ptr<TKvdFramer>> m_framers;
    std::atomic<bool> m_ok{true};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

qint64 ThreadCpuNs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Runs the event loop until every client's first screen of buttons has been taken in (at most 5 min);
// false, with the benchmark stopped, when they did not arrive.
bool FirstScreensArrived(benchmark::State& state, const Counter& counter, const GridClients& clients,
                         int clientCount) {
    const long expected = long(clientCount) * ButtonCount;
    QElapsedTimer arriving;
    arriving.start();
    while (counter.Buttons < expected && clients.Ok() && arriving.elapsed() < 300000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    if (counter.Buttons >= expected && clients.Ok())
        return true;
    state.SkipWithError("the clients' buttons did not arrive");
    return false;
}

// Runs the event loop for ms, or until done() holds (checked every millisecond), blocking in between as
// the program's own loop does.
void RunEventsFor(int ms, const std::function<bool()>& done = {}) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QTimer check;
    if (done) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        check.start(1);
    }
    loop.exec();
}

// 64 clients, each showing 256 buttons with texts of 200 bytes and changing one every 200 ms, in the
// window; the time from a mouse press waiting in the window's event queue until the click report reaches
// the client (manual time) and the GUI thread's CPU time until the benchmark noticed it (click_cpu_ms),
// and the GUI thread's share of a core under the load alone (gui_cpu_share, over two seconds without
// clicks). Argument: 1 for dark (opaque) buttons, 0 for transparent ones, where every client's button
// shows through the others'.
void BM_SimWindowClickUnder64Clients(benchmark::State& state) {
    constexpr int Clients = 64;
    const quint8 style = state.range(0) ? 0x28 : 0x08;
    TSimServer server;
    const std::unique_ptr<TSimWindow> window = ListenAndShow(state, server);
    if (!window)
        return;
    Counter counter(server);
    GridClients clients(server.Port(), Clients, style, 200);
    if (!FirstScreensArrived(state, counter, clients, Clients))
        return;
    // The middle of a button of the topmost client.
    TSimScreen* screen = window->Screen();
    const QPointF at = screen->PixelRect(screen->Entries().constLast().Button).center();
    // The backlog of the first screens is worked off; then the steady load alone, and the clicks in it.
    RunEventsFor(2000);
    const qint64 cpuStart = ThreadCpuNs();
    QElapsedTimer steady;
    steady.start();
    RunEventsFor(2000); // may overrun by what the event loop was busy with
    state.counters["gui_cpu_share"] = double(ThreadCpuNs() - cpuStart) / double(steady.nsecsElapsed());
    double clickCpuNs = 0;
    for (auto _ : state) {
        const int before = clients.Clicks;
        const qint64 cpuBefore = ThreadCpuNs();
        const qint64 pressed = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count();
        QCoreApplication::postEvent(screen,
                                    new QMouseEvent(QEvent::MouseButtonPress, at, screen->mapToGlobal(at),
                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(screen,
                                    new QMouseEvent(QEvent::MouseButtonRelease, at, screen->mapToGlobal(at),
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        RunEventsFor(60000, [&] { return clients.Clicks != before; });
        if (clients.Clicks == before) {
            state.SkipWithError("no click report within 60 s");
            break;
        }
        state.SetIterationTime(double(clients.LastClickNs - pressed) / 1e9);
        clickCpuNs += double(ThreadCpuNs() - cpuBefore);
        state.PauseTiming();
        RunEventsFor(300);
        state.ResumeTiming();
    }
    state.counters["click_cpu_ms"] = benchmark::Counter(clickCpuNs / 1e6, benchmark::Counter::kAvgIterations);
    state.counters["buttons_received"] = double(counter.Buttons);
}
BENCHMARK(BM_SimWindowClickUnder64Clients)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

#ifdef KVD_BENCH_X11
// The same load on a real X server (skipped on any other platform): a click made through XTest on button 0
// of the topmost client, which answers it by changing that button's text; the time from the click until
// the X server reports new pixels on that button after the answer was sent (manual time, its median and
// worst as counters), and until the report reached the client (report_ms). Argument: the clients.
void BM_SimWindowClickOnX(benchmark::State& state) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        state.SkipWithError("needs an X server: run under xvfb-run with QT_QPA_PLATFORM=xcb");
        return;
    }
    const int clientCount = int(state.range(0));
    TSimServer server;
    const std::unique_ptr<TSimWindow> window = ListenAndShow(state, server);
    if (!window)
        return;
    Counter counter(server);
    GridClients clients(server.Port(), clientCount, 0x28, 200, true);
    if (!FirstScreensArrived(state, counter, clients, clientCount))
        return;
    TSimScreen* screen = window->Screen();
    const TKvdSimButton* target = nullptr;
    for (const TSimScreen::Entry& entry : screen->Entries())
        if (entry.Button.ClickID == 0)
            target = &entry.Button; // the last one is the topmost client's
    if (!target) {
        state.SkipWithError("no button 0 on the screen");
        return;
    }
    const QRect pixels = screen->PixelRect(*target).toAlignedRect();
    const QRect inWindow(screen->mapTo(window.get(), pixels.topLeft()), pixels.size());
    const QPoint onScreen = screen->mapToGlobal(pixels.center());
    TXProbe probe(window->winId(), inWindow.adjusted(2, 2, -2, -2));
    if (!probe.Ok()) {
        state.SkipWithError("the X server lacks XTest or Damage");
        return;
    }
    RunEventsFor(2000); // the first screens' backlog
    std::vector<double> shown;
    double reportMs = 0;
    for (auto _ : state) {
        const int before = clients.Clicks;
        const qint64 pressed = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count();
        probe.Click(onScreen.x(), onScreen.y());
        RunEventsFor(10000, [&] {
            return clients.Clicks != before && clients.LastAnswerNs > pressed &&
                   probe.LastDamageNs() > clients.LastAnswerNs;
        });
        if (clients.Clicks == before || probe.LastDamageNs() <= clients.LastAnswerNs) {
            state.SkipWithError("the click's answer did not reach the screen within 10 s");
            break;
        }
        shown.push_back(double(probe.LastDamageNs() - pressed) / 1e6);
        reportMs += double(clients.LastClickNs - pressed) / 1e6;
        state.SetIterationTime(shown.back() / 1e3);
        state.PauseTiming();
        RunEventsFor(300);
        state.ResumeTiming();
    }
    if (shown.empty())
        return;
    std::sort(shown.begin(), shown.end());
    state.counters["median_ms"] = shown[shown.size() / 2];
    state.counters["worst_ms"] = shown.back();
    state.counters["report_ms"] = reportMs / double(shown.size());
}
BENCHMARK(BM_SimWindowClickOnX)
    ->Arg(16)
    ->Arg(64)
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
#endif

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
