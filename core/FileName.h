#pragma once
// File names as the system spells them, and the few file operations that must use that spelling. On Unix
// a file name is a string of bytes that need not be valid UTF-8; a QString cannot hold every such name
// (decoding replaces the invalid bytes, and encoding the result again names another file), so a name
// from the command line is kept as its bytes and the file is opened by them. On Windows every name is
// UTF-16 text and a name is its text. The system calls behind these operations are all in FileName.cpp.

#include <QByteArray>
#include <QString>

class QFile;

class TFileName {
public:
    TFileName() = default;
    // A name given as text (a dialog, the settings, a test). Text made by ArgumentText from a command-line
    // argument that is not valid UTF-8 gives back the argument's bytes.
    TFileName(const QString& name); // NOLINT(google-explicit-constructor): every text is a file name
#ifdef Q_OS_UNIX
    static TFileName FromBytes(const QByteArray& bytes);
    const QByteArray& Bytes() const {
        return m_bytes;
    }
#endif

    bool IsEmpty() const;
    // True when Text() names the same file, so that Qt's file classes can take the name; false for a
    // name that is not valid UTF-8.
    bool IsText() const;
    // The name as text: the name itself when IsText(), else with the invalid bytes shown as U+FFFD
    // (good for messages and titles, not for opening).
    QString Text() const;
    // The name as text that gives back this name as TFileName(text) does: Text() when IsText(), else the
    // form ArgumentText gives (for storing the name where only text goes).
    QString KeptText() const;

    friend bool operator==(const TFileName& a, const TFileName& b);

private:
#ifdef Q_OS_UNIX
    QByteArray m_bytes;
#else
    QString m_name;
#endif
};

// The system's message for an errno value (on Windows, qt_error_string would read it as a Windows error
// code).
QString ErrnoText(int code);

// A command-line argument as text. An argument that is not valid UTF-8 keeps every byte: ASCII bytes as
// they are, the others as the code units U+DC80 to U+DCFF, which no decoded text contains. So two
// different arguments never give the same text, and TFileName takes the bytes back from it.
QString ArgumentText(const char* argument);

// What OpenForReading learnt about the file it opened.
struct TFileFacts {
    bool Regular = false;
    qint64 Size = 0;
};

// Opens the file for reading into file, which then owns the handle: without waiting for a writer (so a
// FIFO does not block), without making a terminal the controlling one and without handing the handle to
// child processes. Reports the file's kind and size. Returns an empty text on success, else the system's
// message.
QString OpenForReading(const TFileName& name, QFile& file, TFileFacts& facts);

// True when the name, as text, shows a file whose real name is not valid UTF-8 (where the real name has
// invalid bytes, the text has U+FFFD, as file dialogs show it): no file has that name, but the folder
// lists the other. Such a name cannot open the file; the message can say why.
bool IsMangledName(const TFileName& name);

// True when both names lead to one existing file, however they are spelt (another path, a symbolic link,
// a hard link).
bool IsSameFile(const TFileName& a, const TFileName& b);
