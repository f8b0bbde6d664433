#pragma once
// The layout text of the link and runtime benchmarks (Qt Core only): 256 buttons of 22 x 22 in a 16 x 16
// grid, written in the builder's own shape, each labelled "Button <ID>".

#include <QString>

// firstText, when given, replaces the first button's label (a placeholder, say).
inline QString ButtonGrid256(const QString& firstText = QString()) {
    QString xml = QStringLiteral("<?xml version=\"1.0\"?>\n<ui>\n");
    for (int i = 0; i < 256; ++i) {
        const int left = (i % 16) * 24, top = (i / 16) * 24;
        xml += QStringLiteral(
                   "  <element type=\"TKvdUIButton\" align=\"0\" anchors=\"akLeft,akTop\" rel_left=\"%1\" "
                   "rel_top=\"%2\" width=\"22\" height=\"22\" id=\"%3\" text=\"%4\" typein=\"0\" "
                   "bstyle=\"40\" left=\"%1\" top=\"%2\"/>\n")
                   .arg(left)
                   .arg(top)
                   .arg(i)
                   .arg(i == 0 && !firstText.isEmpty() ? firstText : QStringLiteral("Button %1").arg(i));
    }
    return xml + QStringLiteral("</ui>\n");
}
