// Undo in the builder's main window with 256 elements on the surface: the whole layout is read again
// through the real action, with the mouse over the window as when the user clicks the tool button.
// Measured alone (the action and the events it posts), and with the live preview connected to a loopback
// stand-in for the simulator until the last of the 256 button packets has arrived (the 50 ms refresh
// delay included).

#include "bench/BenchCommon.h"
#include "bench/PreviewBench.h"
#include "bench/ShellBenchMain.h"
#include "layout/KvdUIElement.h"
#include "link/KvdDromo.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_frmMain.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <benchmark/benchmark.h>

namespace {

using BenchCommon::ElementCount;

// A shown main window whose history holds two full layouts, so that Undo and Redo each read 256 elements.
struct UndoWindow {
    const BenchSettings settings;
    TfrmMain* window = nullptr;

    bool Open() {
        window = new TfrmMain;
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            return false;
        window->Execute(window->actNew);
        window->Timer1Timer(); // New records no snapshot
        for (int shift : {0, 2}) {
            window->LoadLayout(QString(), BenchCommon::FullScreenLayout(true, shift));
            window->Timer1Timer();
        }
        QTest::mouseMove(window->ToolBar1, window->ToolBar1->rect().center());
        QCoreApplication::processEvents();
        return window->History()->CanUndo() && window->RootControl()->ChildControls().size() == ElementCount;
    }
    ~UndoWindow() { delete window; }

    // Settles what the last action left behind (the refresh timer included), untimed.
    void Settle() {
        QElapsedTimer wait;
        wait.start();
        while (window->Timer1->isActive() && wait.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QCoreApplication::processEvents();
    }
};

void BM_Undo256(benchmark::State& state) {
    UndoWindow f;
    if (!f.Open()) {
        state.SkipWithError("window not ready");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        f.window->Execute(f.window->actUndo);
        QCoreApplication::processEvents(); // the repaint and whatever else the reload posted
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        f.Settle();
        f.window->Execute(f.window->actRedo);
        f.Settle();
    }
}
BENCHMARK(BM_Undo256)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_UndoToLastButtonPacket256(benchmark::State& state) {
    UndoWindow f;
    TestPeer peer;
    if (!f.Open()) {
        state.SkipWithError("window not ready");
        return;
    }
    f.window->KvdDromo1->SetPort(peer.Port());
    f.window->KvdDromo1->SetActive(true);
    if (!WaitForButtonPackets(peer, ElementCount)) {
        state.SkipWithError("the preview did not connect");
        return;
    }
    f.Settle();
    for (auto _ : state) {
        peer.ClearPackets();
        QElapsedTimer clock;
        clock.start();
        f.window->Execute(f.window->actUndo);
        const bool arrived = WaitForButtonPackets(peer, ElementCount);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!arrived)
            state.SkipWithError("packets missing");
        // Redo, and wait for its packets too, so that none of them is counted for the next Undo.
        f.Settle();
        peer.ClearPackets();
        f.window->Execute(f.window->actRedo);
        WaitForButtonPackets(peer, ElementCount);
        f.Settle();
    }
    f.window->KvdDromo1->SetActive(false);
}
BENCHMARK(BM_UndoToLastButtonPacket256)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    return RunShellBenchmarks(argc, argv);
}
