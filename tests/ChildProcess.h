#pragma once
// Waiting for the programs a test starts as child processes, always with a bound, so that a program that
// hangs fails its test instead of holding the whole run.

#include <QCoreApplication>
#include <QProcess>

// A program of the build, by the path the build gave (KVDUI_PATH, KVDSIM_PATH). A Windows build made on
// Unix gives paths without a drive, which would change meaning with the working folder: they get the
// drive the test program itself runs from.
inline QString ChildProgram(const char* buildPath) {
    QString path = QString::fromLocal8Bit(buildPath);
#ifdef Q_OS_WIN
    if (path.startsWith(u'/') && !path.startsWith(QStringLiteral("//")))
        path.prepend(QCoreApplication::applicationDirPath().left(2));
#endif
    return path;
}

// A program's text output with Unix line breaks: on Windows the C runtime writes every line break of text
// as "\r\n", and the tests compare the text, not its line breaks.
inline QByteArray UnixLineBreaks(QByteArray text) {
#ifdef Q_OS_WIN
    text.replace("\r\n", "\n");
#endif
    return text;
}

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
