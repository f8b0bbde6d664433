// Pasting an arbitrary clipboard block into an active designer that already holds elements, the way
// the builder's Paste command does. Whatever the bytes, pasting must not crash: it either creates
// components or raises an error. When it succeeds, the pasted selection is copied again; that copy
// must read on a fresh root without error, and a second paste of it into the designer must succeed
// too. The first read of a copy may still normalise: a malformed block can leave an element larger
// than its panel (a child created with its default size inside a panel of width 0), which is clamped
// once its bounds are applied on reading. From then on the stream must write back byte for byte.

#include "core/ComponentStream.h"
#include "core/Control.h"
#include "core/Exceptions.h"
#include "designer/ELDsgnr.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct Bench {
    QWidget Window;
    TELDesignPanel* Panel = nullptr;
    // Its root gives each pasted element a free ID, as in the builder.
    std::unique_ptr<TKvdUIDocument> Document;
    TControl* Root = nullptr;
    std::unique_ptr<TELDesigner> Designer;
    QString Mime;
};
Bench* bench = nullptr;

[[noreturn]] void Fail(const char* what, const QByteArray& bytes) {
    std::fprintf(stderr, "paste oracle: %s\n%s\n", what, bytes.toHex(' ').constData());
    std::abort();
}

void AddSeedElements(TControl* root) {
    auto* panel = new TKvdUIPanel(root);
    panel->SetName(QStringLiteral("TKvdUIPanel1"));
    panel->SetParentControl(root);
    panel->SetBounds(40, 40, 200, 160);
    auto* button = new TKvdUIButton(root);
    button->SetName(QStringLiteral("TKvdUIButton1"));
    button->SetParentControl(panel);
    button->SetBounds(10, 10, 60, 20);
}

void ClearRoot(TControl* root) {
    bench->Designer->SelectedControls()->Clear();
    for (TControl* c : root->ChildControls())
        delete c;
}

// Puts bytes on the clipboard in the designer's format and pastes them; true when nothing failed.
bool Paste(const QByteArray& bytes) {
    auto* mime = new QMimeData;
    mime->setData(bench->Mime, bytes);
    QGuiApplication::clipboard()->setMimeData(mime);
    bench->Designer->SelectedControls()->Clear();
    try {
        bench->Designer->Paste();
        return true;
    } catch (const Exception&) {
        return false;
    }
}

QByteArray CopySelection() {
    QGuiApplication::clipboard()->clear();
    bench->Designer->Copy();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime ? mime->data(bench->Mime) : QByteArray();
}

// Reads a stream on a fresh root beside the same seed elements (aligned controls are placed around
// them) and writes what was read; raises the reader's error.
QByteArray ReadAndWrite(const QByteArray& bytes) {
    TControl root;
    root.SetName(QStringLiteral("Root"));
    root.SetBounds(0, 0, 400, 400);
    root.SetAcceptsControls(true);
    AddSeedElements(&root);
    ComponentStream::TReader reader(bytes, &root, &root);
    const QList<TControl*> read = reader.ReadComponents();
    ComponentStream::TWriter writer(&root);
    for (TControl* c : read)
        writer.WriteComponent(c);
    writer.WriteListEnd();
    return writer.Data();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // Never destroyed: the designer and its widgets live until the process ends.
    new QApplication(*argc, *argv);
    RegisterElementClasses();
    bench = new Bench;
    bench->Window.resize(440, 440);
    bench->Panel = new TELDesignPanel;
    bench->Panel->SetParentControl(&bench->Window);
    bench->Panel->SetBounds(10, 10, 402, 402);
    bench->Document = std::make_unique<TKvdUIDocument>();
    bench->Root = bench->Document->Root();
    bench->Root->setObjectName(QStringLiteral("Root"));
    bench->Root->SetBounds(0, 0, 400, 400);
    bench->Root->SetAcceptsControls(true);
    bench->Designer = std::make_unique<TELDesigner>();
    bench->Designer->SetDesignControl(bench->Root);
    bench->Designer->SetDesignPanel(bench->Panel);
    bench->Designer->Grid()->SetXStep(2);
    bench->Designer->Grid()->SetYStep(2);
    bench->Designer->SetClipboardFormat(QStringLiteral("kvdui"));
    bench->Window.show();
    bench->Designer->SetActive(true);
    // The format's MIME name, as the designer writes it.
    AddSeedElements(bench->Root);
    bench->Designer->SelectedControls()->Add(bench->Root->ChildControls().first());
    bench->Designer->Copy();
    bench->Mime = QGuiApplication::clipboard()->mimeData()->formats().first();
    // Fonts are loaded on first paint; do it here, so that it does not count as a leak of one input.
    bench->Window.grab();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    ClearRoot(bench->Root);
    AddSeedElements(bench->Root);
    if (Paste(input) && bench->Designer->SelectedControls()->Count() > 0) {
        const QByteArray copied = CopySelection();
        QByteArray again;
        QByteArray stable;
        try {
            again = ReadAndWrite(copied);
            stable = ReadAndWrite(again);
        } catch (const Exception& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
            Fail("a copied selection does not read back", copied);
        }
        if (stable != again)
            Fail("a copied selection changes on every read", again + QByteArray(" | ") + stable);
        if (!Paste(copied))
            Fail("a copied selection does not paste", copied);
    }
    QCoreApplication::processEvents();
    return 0;
}
