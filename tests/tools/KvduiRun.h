#pragma once
// Runs the kvdui command-line companion as a child process, the way scripts run it. The arguments are
// passed as bytes, so that a test can give file names that are not valid UTF-8 (QProcess would encode
// them from text). The waits for any child the tests start are here too, each with a bound.

#include <QFile>
#include <QProcess>

#include <unistd.h>
#include <vector>

struct KvduiResult {
    int status = -1; // -1: the program did not end normally within 30 s
    QByteArray out;
    QByteArray err;
};

// Waits for a started child to end, for at most timeoutMs; one that does not is killed and reported with
// status -1 and the error text "timeout".
inline KvduiResult FinishChild(QProcess& process, int timeoutMs = 30000) {
    KvduiResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.err = "timeout";
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
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

// With stdoutFile, standard output goes to that file (/dev/full for a full disk) instead of being read.
inline KvduiResult RunKvduiBytes(const QList<QByteArray>& args, const QString& stdoutFile = QString()) {
    const QByteArray program = QByteArrayLiteral(KVDUI_PATH);
    std::vector<QByteArray> storage{program};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (QByteArray& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    QProcess process;
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    // Runs in the child once its standard streams are in place; a failed exec falls back to QProcess's own.
    process.setChildProcessModifier([&argv] { ::execv(argv[0], argv.data()); });
    process.start(QString::fromUtf8(program), {});
    return FinishChild(process);
}

inline KvduiResult RunKvdui(const QStringList& args, const QString& stdoutFile = QString()) {
    QList<QByteArray> bytes;
    for (const QString& arg : args)
        bytes << QFile::encodeName(arg);
    return RunKvduiBytes(bytes, stdoutFile);
}
