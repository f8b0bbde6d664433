// kvdui: the command-line companion of Korvadia UI Builder, for people who script their layouts.

#include "core/CommandLine.h"
#include "core/Console.h"
#include "tools/Verbs.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Verb {
    const char* name;
    const char* synopsis;
    int (*run)(const QStringList& args);
    // Reads the layout into the builder's element model, which is made of widgets; a verb without it
    // takes the file as a program does and starts no GUI at all.
    bool elementModel = true;
};

const Verb verbs[] = {
    {"cat", "cat FILE                 print the layout text the builder would save for FILE", RunCat},
    {"check", "check FILE               exit 0 when FILE reads without error, else print the error",
     RunCheck},
    {"packets",
     "packets FILE [--set NAME=VALUE]... [--target N]\n"
     "                           print every button packet for FILE, one per line in hex",
     RunPackets},
    {"show",
     "show FILE [--address A] [--port P] [--name NAME] [--set NAME=VALUE]...\n"
     "                           show FILE on the simulator and print its button reports",
     RunShow},
    {"render",
     "render FILE -o OUT.png [--set NAME=VALUE]... [--scale N]\n"
     "                           draw FILE as the simulator shows it into a PNG picture",
     RunRender},
    {"lint",
     "lint FILE [--set NAME=VALUE]... [--strict] [--format text|json]\n"
     "                           print what FILE's buttons would show amiss in the simulator",
     RunLint},
    {"gen",
     "gen FILE --lang c|cpp|python|csharp|typescript [--embed] [--prefix NAME] [--namespace NAME] [-o OUT]\n"
     "                           write a header or module with the IDs of FILE's named elements and its\n"
     "                           placeholders",
     RunGen, false},
};

// The verbs and their synopses, printed after the options in the usage.
QString verbHelp() {
    QString text = QStringLiteral("Verbs:\n");
    for (const Verb& v : verbs)
        text += QStringLiteral("  %1\n").arg(QString::fromLatin1(v.synopsis));
    return text;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything opens a file or socket, which could otherwise take a closed stream's number.
    GuardStandardStreams();
    QCoreApplication::setApplicationName(QStringLiteral("kvdui"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reads, checks and sends Korvadia UI layouts."));
    parser.addPositionalArgument(QStringLiteral("verb"), QStringLiteral("What to do (see below)."),
                                 QStringLiteral("VERB [ARGUMENTS]"));
    // Everything after the verb is the verb's own.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QString program = QStringLiteral("kvdui");
    if (const auto status = ParseCommandLine(parser, ArgumentList(argc, argv), program, verbHelp()))
        return *status;
    const auto usage = [&] {
        const QByteArray text = CommandLineHelp(parser, program, verbHelp()).toLocal8Bit();
        std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
        return 2;
    };

    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usage();
    const QString name = args.takeFirst();
    const Verb* verb = nullptr;
    for (const Verb& v : verbs)
        if (name == QLatin1String(v.name))
            verb = &v;
    if (!verb) {
        std::fprintf(stderr, "kvdui: unknown verb '%s'\n", name.toLocal8Bit().constData());
        return usage();
    }

    // stderr carries the tool's own messages only, for scripts that read it.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    int qtArgc = QtArgumentCount(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (verb->elementModel) {
        // The elements are never shown, so the tool needs no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(qtArgc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(qtArgc, argv);
    }
    return verb->run(args);
}
