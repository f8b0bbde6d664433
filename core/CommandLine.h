#pragma once
// The command-line conventions both programs share: -h/--help prints the usage on standard output,
// -v/--version prints the program's name and version, and an option the program does not know prints
// the message and the usage on standard error with exit status 2. Qt's own options (-platform, -style,
// ...) are accepted without being listed, because the application object takes them afterwards.
// Parsing happens before the application object exists, so that --help needs no display. "--" ends the
// options. --help and --version exit 1 when their text could not be written.

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

// Parses arguments (argv[0] first) with the program's own options and positional arguments already
// added to parser. Returns the exit status when the program is to stop here, nothing when it is to run.
// extraHelp is printed after the generated usage (a list of verbs, for instance).
std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    const QString& program, const QString& extraHelp = QString());

// The usage text ParseCommandLine prints for --help.
QString CommandLineHelp(const QCommandLineParser& parser, const QString& program, const QString& extraHelp);

// The process arguments, for use before the application object exists. An argument that is not valid
// UTF-8 keeps its bytes (ArgumentText), so that a file name given as such an argument still opens
// (TFileName).
QStringList ArgumentList(int argc, char** argv);

// How many of the arguments the application object is to see: those before the first "--", which ends
// the options. After it come file names only, even one that looks like one of Qt's own options.
int QtArgumentCount(int argc, char** argv);

// Writes to standard output, remembering the reason of a failure for FinishStandardOutput.
void WriteStandardOutput(const QByteArray& bytes);

// Flushes standard output. Returns 0 when everything written to it arrived; otherwise (a full disk, a
// closed pipe) prints "PROGRAM: cannot write to standard output: REASON" on standard error and returns 1.
int FinishStandardOutput(const QString& program);
