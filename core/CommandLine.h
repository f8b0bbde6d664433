#pragma once
// The command-line conventions both programs share: -h/--help prints the usage on standard output,
// -v/--version prints the program's name and version, and an option the program does not know prints
// the message and the usage on standard error with exit status 2. Qt's own options (-platform, -style,
// ...) are accepted without being listed, because the application object takes them afterwards.
// Parsing happens before the application object exists, so that --help needs no display.

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

// The process arguments as Qt reads them, for use before the application object exists.
QStringList ArgumentList(int argc, char** argv);
