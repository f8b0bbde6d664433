// Reading arbitrary layout text. Whatever the input, reading must not crash, and what it created must
// write out as text that reads back without error. The first read-back may still normalise (a partly
// read element, or one larger than its panel, is clamped when its bounds are applied); from then on the
// text must be stable. Aligned elements are placed again by their container whenever a sibling changes,
// in an order that reading can change, so for layouts that use Align only the error-free read-back is
// checked.
//
// The preview's quick scanner of layout text is checked against the XML reader on the same input: where
// it accepts a text, the XML reader reads it without error and finds the same element nodes with the
// same attribute values; and it accepts every text the writer produces.

#include "core/Control.h"
#include "core/Exceptions.h"
#include "core/LayoutAttributes.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"
#include "core/KvdUIScan.h"

#include <QApplication>
#include <QRegularExpression>
#include <QXmlStreamReader>
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

const QString* const ButtonAttributes[] = {
    &LayoutAttr::Type,   &LayoutAttr::Align,  &LayoutAttr::Anchors, &LayoutAttr::RelLeft, &LayoutAttr::RelTop,
    &LayoutAttr::Width,  &LayoutAttr::Height, &LayoutAttr::ID,      &LayoutAttr::Text,    &LayoutAttr::TypeIn,
    &LayoutAttr::BStyle, &LayoutAttr::Left,   &LayoutAttr::Top};

// The values of the layout's attributes of every element node, in document order; false when the reader
// in question does not take the text.
using Nodes = QList<QStringList>;

bool scanned(const QString& text, Nodes& nodes) {
    return KvdUIScan::Elements(text, LayoutAttr::Element, [&](const KvdUIScan::Tag& tag) {
        QStringList& values = nodes.emplace_back();
        for (const QString* name : ButtonAttributes)
            values.append(tag.Value(*name).toString());
    });
}

bool xmlRead(const QString& text, Nodes& nodes) {
    QXmlStreamReader reader(text);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != LayoutAttr::Element)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        QStringList& values = nodes.emplace_back();
        for (const QString* name : ButtonAttributes)
            values.append(attributes.value(*name).toString());
    }
    return !reader.hasError();
}

void checkScanner(const QString& text, bool writerShaped) {
    Nodes quick, full;
    if (!scanned(text, quick)) {
        if (writerShaped) {
            std::fprintf(stderr, "the quick scanner refuses the writer's text:\n%s\n", qPrintable(text));
            std::abort();
        }
        return;
    }
    if (!xmlRead(text, full) || quick != full) {
        std::fprintf(stderr, "the quick scanner and the XML reader differ on:\n%s\n", qPrintable(text));
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    checkScanner(input, false);
    const QString written = readAndWrite(readAndWrite(input, false), true);
    checkScanner(written, true);
    const QString again = readAndWrite(written, true);
    const bool aligned = QRegularExpression(QStringLiteral("align=\"[1-6]\"")).match(written).hasMatch();
    if (!aligned && again != written) {
        std::fprintf(stderr, "layout changed on reading it back:\n%s\n----\n%s\n", qPrintable(written),
                     qPrintable(again));
        std::abort();
    }
    return 0;
}
