#pragma once
// The main() of the benchmark programs: an application object on the offscreen platform unless
// QT_QPA_PLATFORM chooses another (xcb under Xvfb), an optional start-up step, then Google Benchmark with
// the command line. Programs built without Qt Widgets pass QCoreApplication.

#include <QCoreApplication>
#if __has_include(<QApplication>)
#include <QApplication>
#endif
#include <benchmark/benchmark.h>

class QApplication;

template <class Application = QApplication>
int RunBenchmarks(int argc, char** argv, void (*startUp)() = nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    if (startUp)
        startUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
