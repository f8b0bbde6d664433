#pragma once
// The stand-in without a window: every event of the server as one line on standard output, written at
// once as far as the reader takes it (never waiting for a reader that falls behind), and commands read
// from standard input.
//   listening ADDRESS:PORT   N + ADDRESS:PORT   N < HEX   N > HEX   N - REASON   error TEXT
//   dropped N lines (the reader fell so far behind that N lines were left out here)

#include <QByteArray>
#include <QObject>

class TConsoleInput;
class TConsoleWriter;
class TSimServer;

class TSimHeadless : public QObject {
    Q_OBJECT

public:
    // Lines waiting for a slow reader of the output, at most.
    static constexpr qsizetype MaxQueuedBytes = 256 * 1024;

    // Reads commands from the file descriptor input (nothing when it is negative) and writes lines to the
    // file descriptor output (StandardInput and StandardOutput of core/Console.h for the program's own).
    TSimHeadless(TSimServer& server, int output, int input, QObject* parent = nullptr);

    // Before the program ends: writes the lines still waiting while the reader takes them.
    void Finish();

    // Handles received command bytes; whole lines are carried out, a rest waits for its line break.
    void Feed(const QByteArray& bytes);
    void PrintListening();

signals:
    void QuitRequested();

private:
    void Print(const QByteArray& line);
    void RunLine(const QByteArray& line);

    TSimServer& m_server;
    TConsoleWriter* m_out;
    TConsoleInput* m_in = nullptr;
    QByteArray m_line;
    bool m_skipping = false; // inside a line that was too long
};
