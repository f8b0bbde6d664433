// kvdui render FILE -o OUT.png [--set NAME=VALUE]... [--scale N]: a picture of FILE as the simulator
// shows it, drawn from the very button packets the live preview sends.

#include "core/Exceptions.h"
#include "core/FileName.h"
#include "core/FileWrite.h"
#include "link/KvdUI.h"
#include "simview/KvdSimPaint.h"
#include "tools/KvduiLinkArgs.h"
#include "tools/LayoutLoad.h"
#include "tools/Verbs.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

constexpr int MaxScale = 16;

int Usage(const QString& problem) {
    std::fprintf(stderr,
                 "kvdui render: %s\nusage: kvdui render FILE -o OUT.png [--set NAME=VALUE]... [--scale N]\n",
                 problem.toLocal8Bit().constData());
    return 2;
}

// Writes the picture as PNG; returns the reason when that failed. The picture is encoded in memory first,
// so that only writing can fail.
QString WritePng(const QImage& image, const QString& fileName) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return QStringLiteral("the picture could not be encoded");
    return WriteWholeFile(fileName, png);
}

} // namespace

int RunRender(const QStringList& args) {
    // -o and --scale are this verb's own; the rest are shared with the other packet verbs. After "--" all
    // are file names, which the shared parser sorts out.
    QStringList rest;
    QString output;
    int scale = 2;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--")) {
            rest << args.mid(i);
            break;
        }
        if (arg != QLatin1String("-o") && arg != QLatin1String("--scale")) {
            rest << arg;
            continue;
        }
        if (i + 1 >= args.size())
            return Usage(QStringLiteral("%1 needs a value").arg(arg));
        const QString value = args.at(++i);
        if (arg == QLatin1String("-o")) {
            output = value;
            continue;
        }
        bool ok = false;
        scale = value.toInt(&ok);
        if (!ok || scale < 1 || scale > MaxScale)
            return Usage(QStringLiteral("--scale needs a number from 1 to %1").arg(MaxScale));
    }
    KvduiLinkArgs options;
    const QString problem = ParseKvduiLinkArgs(rest, {QStringLiteral("set")}, options);
    if (!problem.isEmpty())
        return Usage(problem);
    if (output.isEmpty())
        return Usage(QStringLiteral("no output file (-o OUT.png)"));
    const TFileName outputName(output);
    // Qt writes files by their names as text; a name that is not valid UTF-8 would come out as another.
    if (!outputName.IsText())
        return Usage(QStringLiteral("the output file name \"%1\" is not valid UTF-8").arg(outputName.Text()));
    if (IsSameFile(TFileName(options.File), outputName))
        return Usage(QStringLiteral("the output file \"%1\" is the layout file").arg(outputName.Text()));

    const quint8 sizeUnit = Dromo::SizeUnitFor(9);
    QList<TKvdSimButton> shown;
    try {
        const QList<QByteArray> packets =
            TKvdUI::LayoutPackets(LoadLayoutText(options.File), options.Placeholders, 0, sizeUnit);
        for (const QByteArray& packet : packets)
            if (const auto button = TKvdSimButton::FromPacket(packet, sizeUnit))
                PlaceSimButton(shown, *button);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }
    const int side = SimScreenUnits * scale;
    QImage image(side, side, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        PaintSimScreen(painter, shown, scale);
    }
    if (const QString reason = WritePng(image, outputName.Text()); !reason.isEmpty()) {
        std::fprintf(stderr, "kvdui render: cannot write %s: %s\n",
                     outputName.Text().toLocal8Bit().constData(), reason.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
