#include "tools/KvduiLinkArgs.h"

QString ParseKvduiLinkArgs(const QStringList& args, const QStringList& allowed, KvduiLinkArgs& out) {
    bool haveFile = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            if (haveFile)
                return QStringLiteral("more than one file");
            haveFile = true;
            out.File = arg;
            continue;
        }
        const QString option = arg.mid(2);
        if (!allowed.contains(option))
            return QStringLiteral("unknown option %1").arg(arg);
        if (i + 1 >= args.size())
            return QStringLiteral("%1 needs a value").arg(arg);
        const QString value = args.at(++i);
        bool ok = true;
        if (option == QLatin1String("set")) {
            const qsizetype equals = value.indexOf(QLatin1Char('='));
            if (equals <= 0)
                return QStringLiteral("--set needs NAME=VALUE");
            out.Placeholders << value.left(equals) << value.mid(equals + 1);
        } else if (option == QLatin1String("target")) {
            out.Target = value.toInt(&ok);
            if (!ok || out.Target < 0 || out.Target > 255)
                return QStringLiteral("--target needs a number from 0 to 255");
        } else if (option == QLatin1String("port")) {
            out.Port = value.toInt(&ok);
            if (!ok || out.Port < 0 || out.Port > 65535)
                return QStringLiteral("--port needs a number from 0 to 65535");
        } else if (option == QLatin1String("address")) {
            out.Address = value;
        } else if (option == QLatin1String("name")) {
            out.Name = value;
        }
    }
    if (out.File.isEmpty())
        return QStringLiteral("no file");
    return {};
}

QString OnlyFileArgument(const QStringList& args) {
    const qsizetype first = !args.isEmpty() && args.first() == QLatin1String("--") ? 1 : 0;
    return args.size() == first + 1 ? args.at(first) : QString();
}
