// kvdui cat FILE: the layout text the builder would save after opening FILE.
// kvdui check FILE: silent success, or the builder's message and exit status 1.

#include "core/CommandLine.h"
#include "core/Exceptions.h"
#include "tools/KvduiLinkArgs.h"
#include "tools/LayoutLoad.h"
#include "tools/Verbs.h"

#include <cstdio>

namespace {
int loadOrFail(const QStringList& args, const char* verb, QString* text) {
    const QString file = OnlyFileArgument(args);
    if (file.isEmpty()) {
        std::fprintf(stderr, "usage: kvdui %s [--] FILE\n", verb);
        return 2;
    }
    try {
        *text = LoadLayoutText(file);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
} // namespace

int RunCat(const QStringList& args) {
    QString text;
    if (const int status = loadOrFail(args, "cat", &text))
        return status;
    WriteStandardOutput(text.toUtf8());
    return FinishStandardOutput(QStringLiteral("kvdui cat"));
}

int RunCheck(const QStringList& args) {
    QString text;
    return loadOrFail(args, "check", &text);
}
