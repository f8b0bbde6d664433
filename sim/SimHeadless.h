#pragma once
// The stand-in without a window: every event of the server as one line on standard output, flushed at
// once, and commands read from standard input.
//   listening ADDRESS:PORT   N + ADDRESS:PORT   N < HEX   N > HEX   N - REASON   error TEXT

#include <QByteArray>
#include <QObject>

#include <cstdio>

class QSocketNotifier;
class TSimServer;

class TSimHeadless : public QObject {
    Q_OBJECT

public:
    // Reads commands from the file descriptor input (nothing when it is negative) and writes lines to out.
    TSimHeadless(TSimServer& server, std::FILE* out, int input, QObject* parent = nullptr);

    // Handles received command bytes; whole lines are carried out, a rest waits for its line break.
    void Feed(const QByteArray& bytes);
    void PrintListening();

signals:
    void QuitRequested();

private:
    void Print(const QByteArray& line);
    void ReadInput();
    void RunLine(const QByteArray& line);

    TSimServer& m_server;
    std::FILE* m_out;
    int m_input;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_line;
    bool m_skipping = false; // inside a line that was too long
};
