// Drawing buttons as the simulator shows them: a full screen of 256 buttons painted by the renderer
// into the 400 x 400 pixels of the design surface's scale, with and without placeholder marking, and
// the design surface holding 256 elements repainted whole in the simulator look.

#include "bench/BenchMain.h"
#include "core/Control.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElement.h"
#include "simview/KvdSimPaint.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

namespace {

// 16 x 16 buttons of 12 x 12 units: every style, alignment, clickable and type-in mix, with texts
// of a few words, some of them with a placeholder.
QList<TKvdSimButton> FullScreen() {
    const quint8 backgrounds[] = {sbDark, sbLight, 0};
    const quint8 alignments[] = {0, sbLeft, sbRight};
    QList<TKvdSimButton> buttons;
    for (int i = 0; i < 256; ++i) {
        TKvdSimButton b;
        b.ClickID = quint8(i);
        b.Left = quint8(i % 16 * 12 + 4);
        b.Top = quint8(i / 16 * 12 + 4);
        b.Width = 12;
        b.Height = 12;
        b.BStyle = backgrounds[i % 3] | alignments[i / 3 % 3] | (i % 2 ? sbClickable : 0);
        b.TypeIn = i % 5 == 0 ? 16 : 0;
        b.Text = i % 4 == 0 ? QStringLiteral("Lap {lap}") : QStringLiteral("Pit %1").arg(i);
        buttons.append(b);
    }
    return buttons;
}

void PaintScreen(benchmark::State& state, bool markPlaceholders) {
    const QList<TKvdSimButton> buttons = FullScreen();
    TKvdSimLook look;
    look.MarkPlaceholders = markPlaceholders;
    QImage image(400, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        PaintSimScreen(painter, buttons, 2, look);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * buttons.size());
}

void BM_PaintSimScreen256(benchmark::State& state) {
    PaintScreen(state, false);
}
BENCHMARK(BM_PaintSimScreen256)->Unit(benchmark::kMillisecond);

void BM_PaintSimScreen256_MarkedPlaceholders(benchmark::State& state) {
    PaintScreen(state, true);
}
BENCHMARK(BM_PaintSimScreen256_MarkedPlaceholders)->Unit(benchmark::kMillisecond);

// The same full screen as elements on a surface, drawn the way the surface repaints after the look
// is switched: every element's paint event through Qt's widget painting. Argument 1 is the
// simulator look, 0 the identification picture for comparison.
void BM_Surface256(benchmark::State& state) {
    const TKvdUIStyle styles[] = {stDark, stLight, stTransparent};
    const TAlignment alignments[] = {taCenter, taLeftJustify, taRightJustify};
    TKvdUIDocument document;
    TControl& root = *document.Root();
    root.SetBounds(0, 0, 400, 400);
    const QList<TKvdSimButton> buttons = FullScreen();
    for (int i = 0; i < buttons.size(); ++i) {
        auto* e = new TKvdUIButton(&root);
        e->SetParentControl(&root);
        e->SetBounds(buttons[i].Left * 2, buttons[i].Top * 2, 24, 24);
        e->SetStyle(styles[i % 3]);
        e->SetAlignment(alignments[i / 3 % 3]);
        e->SetInputLength(buttons[i].TypeIn);
        e->SetText(buttons[i].Text);
    }
    document.SetSimulatorLook(state.range(0) != 0);
    QImage image(400, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        root.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * buttons.size());
}
BENCHMARK(BM_Surface256)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
