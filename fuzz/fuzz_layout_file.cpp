// Reading arbitrary bytes as a layout file, through the same path as the builder's Open (the file checks,
// the encoding detection, the attribute count). Whatever the input, reading must not crash, and every
// element it read completely must keep each value it was given that is valid for it: its text, an
// "align" of 0..6, "typein" of 0..255, an "id" of 0..255 that no element read before holds, "anchors" in
// the form the writer uses, a "bstyle" the writer could have written for its kind, and, in documents
// without aligned elements, even non-negative bounds that fit its parent also at the kind's default size
// (position and size are applied one at a time, the size last). The expectations come from a separate
// reading of the same bytes with the XML reader, not from the layout reader.

#include "core/Control.h"
#include "core/Exceptions.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

QString g_path;

struct Kind {
    const char* name;
    int width, height; // size set by the constructor
    bool clickable;
};
constexpr Kind kKinds[] = {
    {"TKvdUIPanel", 250, 200, false}, {"TKvdUIButton", 60, 30, true}, {"TKvdUIText", 100, 30, false}};

const Kind* findKind(QStringView type) {
    for (const Kind& k : kKinds)
        if (type == QLatin1StringView(k.name))
            return &k;
    return nullptr;
}

struct Node {
    QXmlStreamAttributes attributes;
    int parent = -1; // index of the parent node, -1 for the root's children
    int depth = 0;
};

// The "element" nodes below the root, in document order; false when the bytes are not well-formed.
bool parseNodes(const QByteArray& bytes, std::vector<Node>& nodes) {
    QXmlStreamReader xml(bytes);
    std::vector<int> stack; // node index per open element below the root
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (++depth >= 2) {
                nodes.push_back({xml.attributes(), stack.empty() ? -1 : stack.back(), depth});
                stack.push_back(int(nodes.size()) - 1);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth-- >= 2)
                stack.pop_back();
        }
    }
    return !xml.hasError();
}

bool intValue(const Node& n, const char* name, int& value) {
    bool ok = false;
    value = n.attributes.value(QLatin1StringView(name)).trimmed().toInt(&ok);
    return ok;
}

[[noreturn]] void fail(const char* what, const QByteArray& bytes) {
    std::fprintf(stderr, "first read lost a valid value: %s\n%s\n", what, bytes.constData());
    std::abort();
}

bool canonicalAnchors(QStringView text) {
    static const char* names[] = {"akLeft", "akTop", "akRight", "akBottom"};
    for (int mask = 0; mask < 16; ++mask) {
        QStringList parts;
        for (int bit = 0; bit < 4; ++bit)
            if (mask & (1 << bit))
                parts << QLatin1StringView(names[bit]);
        if (text == parts.join(QLatin1Char(',')))
            return true;
    }
    return false;
}

void checkValues(const QByteArray& bytes, TControl& root, bool completed) {
    std::vector<Node> nodes;
    if (!parseNodes(bytes, nodes))
        return;
    bool anyAligned = false;
    for (const Node& n : nodes) {
        int align = 0;
        if (intValue(n, "align", align) && align != 0)
            anyAligned = true;
    }
    const QList<TControl*>& created = root.OwnedComponents();
    // Elements read completely: all, or all but the one whose attributes were being applied.
    const qsizetype complete = completed ? created.size() : created.size() - 1;
    std::vector<TKvdUIElement*> elementOf(nodes.size(), nullptr);
    std::vector<bool> skipped(nodes.size(), false);
    QList<int> earlierIds;
    qsizetype next = 0;
    for (size_t i = 0; i < nodes.size() && next < complete; ++i) {
        const Node& n = nodes[i];
        if (n.parent >= 0 && skipped[size_t(n.parent)]) {
            skipped[i] = true;
            continue;
        }
        const Kind* kind = findKind(n.attributes.value(QLatin1StringView("type")));
        if (!kind) {
            skipped[i] = true;
            continue;
        }
        auto* e = qobject_cast<TKvdUIElement*>(created.at(next++));
        elementOf[i] = e;
        if (!e || QLatin1StringView(e->metaObject()->className()) != QLatin1StringView(kind->name))
            fail("elements created out of document order", bytes);
        if (e->Text() != n.attributes.value(QLatin1StringView("text")))
            fail("text", bytes);
        int v = 0;
        if (intValue(n, "typein", v) && v >= 0 && v <= 255 && e->InputLength() != v)
            fail("typein", bytes);
        if (intValue(n, "id", v) && v >= 0 && v <= 255 && !earlierIds.contains(v) && e->ID() != v)
            fail("id", bytes);
        earlierIds << e->ID();
        if (intValue(n, "align", v) && v >= 0 && v <= 6 && int(e->Align()) != v)
            fail("align", bytes);
        const QStringView anchors = n.attributes.value(QLatin1StringView("anchors"));
        if (canonicalAnchors(anchors) && AnchorsToText(e->Anchors()) != anchors)
            fail("anchors", bytes);
        if (intValue(n, "bstyle", v) && v >= 0 && v <= 255 && (v & 7) == 0 &&
            (v & 8) == (kind->clickable ? 8 : 0) && (v & 48) != 48 && (v & 192) != 192 &&
            e->EncodeBStyle() != v)
            fail("bstyle", bytes);
        int l = 0, t = 0, w = 0, h = 0;
        if (anyAligned || !intValue(n, "rel_left", l) || !intValue(n, "rel_top", t) ||
            !intValue(n, "width", w) || !intValue(n, "height", h))
            continue;
        const TControl* parent = n.parent < 0 ? &root : elementOf[size_t(n.parent)];
        const int pw = parent->Width(), ph = parent->Height();
        const bool even = l % 2 == 0 && t % 2 == 0 && w % 2 == 0 && h % 2 == 0;
        if (even && l >= 0 && t >= 0 && w >= 0 && h >= 0 && qint64(l) + std::max(w, kind->width) <= pw &&
            qint64(t) + std::max(h, kind->height) <= ph && e->BoundsRect() != QRect(l, t, w, h))
            fail("bounds", bytes);
    }
    if (completed && next != created.size())
        fail("more elements created than the document holds", bytes);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QApplication app(*argc, *argv);
    RegisterElementClasses();
    g_path = QDir::temp().filePath(QStringLiteral("fuzz_layout_file.%1.kvdui").arg(::getpid()));
    std::atexit([] { QFile::remove(g_path); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(g_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            std::abort();
    }
    // The document gives each placed element a free ID, as in the builder.
    TKvdUIDocument document;
    TControl& root = *document.Root();
    root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    bool completed = true;
    try {
        ReadLayout(&root, g_path);
    } catch (const Exception&) {
        completed = false;
    }
    checkValues(bytes, root, completed);
    return 0;
}
