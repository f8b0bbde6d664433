#pragma once
// Waiting for the programs a test starts as child processes, always with a bound, so that a program that
// hangs fails its test instead of holding the whole run.

#include <QProcess>

struct ChildResult {
    int status = -1; // -1: the program did not end normally within the bound
    QByteArray out;
    QByteArray err;
};

// Waits for a started child to end, for at most timeoutMs; one that does not is killed and reported with
// status -1 and the error text "timeout".
inline ChildResult FinishChild(QProcess& process, int timeoutMs = 30000) {
    ChildResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.err = "timeout";
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    if (process.processChannelMode() != QProcess::MergedChannels)
        result.err = process.readAllStandardError();
    return result;
}

// Asks a child that runs on to end and waits for it, bounded; one that does not end is killed. False
// when it was still running after that.
inline bool StopChild(QProcess& process) {
    process.terminate();
    if (process.waitForFinished(10000))
        return true;
    process.kill();
    return process.waitForFinished(5000);
}
