#pragma once
// Standard input, standard output and the interrupt of a console program, served from the Qt event loop.
// Everything that differs between the systems lives behind these three classes, in ConsolePosix.cpp and
// ConsoleWin.cpp; the bounded queue the writer keeps is the same on both (LineQueue.h).

#include <QByteArray>
#include <QObject>

#include <memory>

// The standard streams' file descriptors (the C runtime's on Windows).
constexpr int StandardInput = 0;
constexpr int StandardOutput = 1;

// Before anything else opens a file: a standard stream the program was started without is opened on the
// null device, so that no later file or socket takes its number and receives what is meant for it, and a
// reader that goes away no longer ends the program (SIGPIPE is ignored; the write fails instead). Returns
// whether standard output was closed at start.
bool GuardStandardStreams();

// Reads a file descriptor (standard input) without ever blocking the event loop: Received for each chunk
// of bytes as it arrives, then Ended once at the end of input or when it can no longer be read.
class TConsoleInput : public QObject {
    Q_OBJECT

public:
    // The descriptor stays open; reading starts at once.
    explicit TConsoleInput(int fd, QObject* parent = nullptr);
    ~TConsoleInput() override;

signals:
    void Received(const QByteArray& bytes);
    void Ended();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Lines for a reader that may fall behind or stop reading: written without ever blocking the event loop,
// from a queue of bounded size. When the reader is so far behind that the queue is full, new lines are
// dropped and the next line that fits is preceded by "dropped N lines". A regular file takes every line
// at once. Lines end in the system's line break as the C runtime writes it for text.
class TConsoleWriter : public QObject {
    Q_OBJECT

public:
    // Writes to the file descriptor fd, which stays open; at most maxQueued bytes wait for the reader.
    TConsoleWriter(int fd, qsizetype maxQueued, QObject* parent = nullptr);
    ~TConsoleWriter() override;

    // Queues one line (without its line break) and writes as much as the reader takes now.
    void Write(const QByteArray& line);
    // Before the program ends: writes what waits while the reader takes it, and gives up once the reader
    // has taken nothing for idleMs. True when everything was written.
    bool Drain(int idleMs);

    // Bytes not yet taken by the reader, and lines dropped since the last notice.
    qsizetype Queued() const;
    qint64 Dropped() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The user's request to stop a console program: SIGINT and SIGTERM on Unix; Ctrl+C, Ctrl+Break and the
// console window's close on Windows. Interrupted arrives on the event loop of the object's thread. While
// one exists the program is not ended by those; afterwards they act as before. At most one at a time.
class TConsoleInterrupt : public QObject {
    Q_OBJECT

public:
    explicit TConsoleInterrupt(QObject* parent = nullptr);
    ~TConsoleInterrupt() override;

    // False when the handler could not be installed (the reason went to standard error).
    bool Installed() const;

signals:
    void Interrupted();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
