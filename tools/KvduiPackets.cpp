// kvdui packets FILE [--set NAME=VALUE]... [--target N]: every button packet the builder would send
// for FILE (protocol version 9), one packet per line in hexadecimal.

#include "core/CommandLine.h"
#include "core/Exceptions.h"
#include "link/KvdUI.h"
#include "tools/KvduiLinkArgs.h"
#include "tools/LayoutLoad.h"
#include "tools/Verbs.h"

#include <cstdio>

int RunPackets(const QStringList& args) {
    KvduiLinkArgs options;
    const QString problem =
        ParseKvduiLinkArgs(args, {QStringLiteral("set"), QStringLiteral("target")}, options);
    if (!problem.isEmpty()) {
        std::fprintf(stderr,
                     "kvdui packets: %s\nusage: kvdui packets FILE [--set NAME=VALUE]... [--target N]\n",
                     problem.toLocal8Bit().constData());
        return 2;
    }
    QList<QByteArray> packets;
    try {
        packets = TKvdUI::LayoutPackets(LoadLayoutText(options.File), options.Placeholders,
                                        quint8(options.Target), Dromo::SizeUnitFor(9));
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
    for (const QByteArray& packet : std::as_const(packets)) {
        WriteStandardOutput(packet.toHex(' ') + '\n');
    }
    return FinishStandardOutput(QStringLiteral("kvdui packets"));
}
