#pragma once
// The main() of the benchmark programs that drive the real main window: the builder's application object
// with its start-up step.

#include "bench/BenchMain.h"
#include "shell/KvdUIBuilder_Application.h"
#include "shell/KvdUIBuilder_Recovery.h"
#include "shell/KvdUIBuilder_frmMain.h"

#include <QTemporaryDir>

// The settings file of the windows a benchmark makes, in a temporary folder of its own for as long as this
// lives, so that no run reads or changes the user's settings.
struct BenchSettings {
    QTemporaryDir Dir;
    BenchSettings() {
        TSettingsFile::SetProgramFileOverride(Dir.filePath(QStringLiteral("KvdUIBuilder.ini")));
    }
};

inline int RunShellBenchmarks(int argc, char** argv) {
    // The windows of a run keep their recovery copies to themselves: a copy a crashed builder left in the
    // user's folder would otherwise be offered in a dialog that holds the run up.
    QTemporaryDir recovery;
    TRecoveryStore::SetFolderOverride(recovery.path());
    return RunBenchmarks<TKvdApplication>(argc, argv, InitApplication);
}
