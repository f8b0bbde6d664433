#include "core/CommandLine.h"

#include "core/FileName.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The reason the first write to standard output failed, for FinishStandardOutput: a later flush may well
// succeed with nothing left to write.
int g_outputError = 0;

void Print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    if (stream == stdout) {
        WriteStandardOutput(bytes);
        return;
    }
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// The options QGuiApplication takes from the command line, with and without a value.
const char* const QtValueOptions[] = {"platform",      "platformpluginpath",
                                      "platformtheme", "plugin",
                                      "style",         "stylesheet",
                                      "session",       "display",
                                      "geometry",      "qwindowgeometry",
                                      "qwindowtitle",  "qwindowicon",
                                      "qmljsdebugger", "title"};
const char* const QtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

QStringList ArgumentList(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << ArgumentText(argv[i]);
    return list;
}

int QtArgumentCount(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--") == 0)
            return i;
    return argc;
}

void WriteStandardOutput(const QByteArray& bytes) {
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) &&
        !g_outputError)
        g_outputError = errno;
}

int FinishStandardOutput(const QString& program) {
    errno = 0;
    if (std::fflush(stdout) != 0 && !g_outputError)
        g_outputError = errno;
    if (!std::ferror(stdout) && !g_outputError)
        return 0;
    const QString reason = g_outputError ? ErrnoText(g_outputError) : QStringLiteral("write error");
    Print(stderr, QStringLiteral("%1: cannot write to standard output: %2\n").arg(program, reason));
    return 1;
}

QString CommandLineHelp(const QCommandLineParser& parser, const QString& program, const QString& extraHelp) {
    // Without an application object the parser cannot know the program's name.
    QString text = parser.helpText().replace(QStringLiteral("<executable_name>"), program);
    if (!extraHelp.isEmpty())
        text += QLatin1Char('\n') + extraHelp;
    return text;
}

std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                                    const QString& program, const QString& extraHelp) {
    // Single-dash words are whole options, as Qt's own ("-platform offscreen") are.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    for (const char* name : QtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : QtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments)) {
        Print(stderr, QStringLiteral("%1: %2\n\n").arg(program, parser.errorText()) +
                          CommandLineHelp(parser, program, extraHelp));
        return 2;
    }
    if (parser.isSet(help)) {
        Print(stdout, CommandLineHelp(parser, program, extraHelp));
        return FinishStandardOutput(program);
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QStringLiteral(KVD_VERSION_TEXT)));
        return FinishStandardOutput(program);
    }
    return std::nullopt;
}
