#pragma once
// The main() of the benchmark programs that drive the real main window: the builder's application
// object, on the offscreen platform unless QT_QPA_PLATFORM chooses another (xcb under Xvfb).

#include "shell/KvdUIBuilder_Application.h"

#include <benchmark/benchmark.h>

inline int RunShellBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ? qgetenv("QT_QPA_PLATFORM") : "offscreen");
    TKvdApplication app(argc, argv);
    InitApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
