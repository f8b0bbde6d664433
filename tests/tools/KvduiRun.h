#pragma once
// Runs the kvdui command-line companion as a child process, the way scripts run it. On Unix the arguments
// are passed as bytes, so that a test can give file names that are not valid UTF-8 (QProcess would encode
// them from text); on Windows arguments are text anyway. What kvdui prints comes back with Unix line
// breaks.

#include "tests/ChildProcess.h"

#include <QFile>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <unistd.h>
#include <vector>
#endif

using KvduiResult = ChildResult;

namespace KvduiRunDetail {
inline KvduiResult Finish(QProcess& process) {
    KvduiResult result = FinishChild(process);
    result.out = UnixLineBreaks(result.out);
    result.err = UnixLineBreaks(result.err);
    return result;
}
} // namespace KvduiRunDetail

#ifdef Q_OS_UNIX
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
    return KvduiRunDetail::Finish(process);
}

inline KvduiResult RunKvdui(const QStringList& args, const QString& stdoutFile = QString()) {
    QList<QByteArray> bytes;
    for (const QString& arg : args)
        bytes << QFile::encodeName(arg);
    return RunKvduiBytes(bytes, stdoutFile);
}
#else
inline KvduiResult RunKvdui(const QStringList& args, const QString& stdoutFile = QString()) {
    QProcess process;
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    process.start(ChildProgram(KVDUI_PATH), args);
    return KvduiRunDetail::Finish(process);
}
#endif
