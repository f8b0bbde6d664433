// Reading arbitrary layout text. Whatever the input, reading must not crash, and what it created must
// write out as text that reads back without error. The first read-back may still normalise (a partly
// read element, or one larger than its panel, is clamped when its bounds are applied); from then on the
// text must be stable. Aligned elements are placed again by their container whenever a sibling changes,
// in an order that reading can change, so for layouts that use Align only the error-free read-back is
// checked.

#include "core/Control.h"
#include "core/Exceptions.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"

#include <QApplication>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QApplication app(*argc, *argv);
    RegisterElementClasses();
    return 0;
}

namespace {
QString readAndWrite(const QString& text, bool mustSucceed) {
    // The document gives each placed element a free ID, as in the builder.
    TKvdUIDocument document;
    TControl& root = *document.Root();
    root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    try {
        ReadLayout(&root, QString(), text);
    } catch (const Exception& e) {
        if (mustSucceed) {
            std::fprintf(stderr, "written layout does not read back: %s\n%s\n", e.what(), qPrintable(text));
            std::abort();
        }
    }
    return WriteLayout(&root);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString written = readAndWrite(readAndWrite(input, false), true);
    const QString again = readAndWrite(written, true);
    const bool aligned = QRegularExpression(QStringLiteral("align=\"[1-6]\"")).match(written).hasMatch();
    if (!aligned && again != written) {
        std::fprintf(stderr, "layout changed on reading it back:\n%s\n----\n%s\n", qPrintable(written),
                     qPrintable(again));
        std::abort();
    }
    return 0;
}
