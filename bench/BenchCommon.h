#pragma once
// What several benchmark programs need: a full screen of elements and the process's resident memory.

#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace BenchCommon {

constexpr int ElementCount = 256;

// The layout text of 256 buttons with the IDs 0 to 255 in a 16 x 16 grid on the 400 x 400 surface;
// labelled, each carries the text "B" and its ID; shift moves them all to the right.
inline QString FullScreenLayout(bool labelled = false, int shift = 0) {
    TControl root;
    root.SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    for (int i = 0; i < ElementCount; ++i) {
        auto* b = new TKvdUIButton(&root);
        b->SetParentControl(&root);
        b->SetBounds((i % 16) * 24 + 4 + shift, (i / 16) * 24 + 4, 22, 22);
        b->SetID(quint8(i));
        if (labelled)
            b->SetText(QStringLiteral("B%1").arg(i));
    }
    return WriteLayout(&root);
}

inline long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace BenchCommon
