#pragma once
// The main() of the benchmark programs that drive the real main window: the builder's application object
// with its start-up step.

#include "bench/BenchMain.h"
#include "shell/KvdUIBuilder_Application.h"

inline int RunShellBenchmarks(int argc, char** argv) {
    return RunBenchmarks<TKvdApplication>(argc, argv, InitApplication);
}
