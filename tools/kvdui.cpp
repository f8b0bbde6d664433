// kvdui: the command-line companion of Korvadia UI Builder, for people who script their layouts.

#include "tools/Verbs.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

struct Verb {
    const char* name;
    const char* synopsis;
    int (*run)(const QStringList& args);
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
};

int usage() {
    std::fprintf(stderr, "usage: kvdui VERB ARGUMENTS\n\nverbs:\n");
    for (const Verb& v : verbs)
        std::fprintf(stderr, "  %s\n", v.synopsis);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Layout elements are widgets; the tool never shows them, so it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // stderr carries the tool's own messages only, for scripts that read it.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty())
        return usage();
    const QString name = args.takeFirst();
    for (const Verb& v : verbs)
        if (name == QLatin1String(v.name))
            return v.run(args);
    std::fprintf(stderr, "kvdui: unknown verb '%s'\n", name.toLocal8Bit().constData());
    return usage();
}
