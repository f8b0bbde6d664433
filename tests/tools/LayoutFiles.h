#pragma once
// Layout files for the kvdui verbs to read: element lines in the builder's own form, and whole files in a
// test's temporary folder.

#include "tests/TestFiles.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// One element; position and size in design pixels, the position relative to the enclosing element. With
// surfacePosition it also has "left" and "top", the place on the surface that the builder writes beside
// the relative one (the same numbers for an element directly on the surface).
inline QByteArray ElementLine(const char* type, int left, int top, int width, int height, int id, int bstyle,
                              const QByteArray& text, int typein = 0, bool surfacePosition = false) {
    QString line = QStringLiteral(R"(<element type="%1" align="0" anchors="akLeft,akTop" rel_left="%2" )"
                                  R"(rel_top="%3" width="%4" height="%5" id="%6" text="%7" typein="%8" )"
                                  R"(bstyle="%9")")
                       .arg(QLatin1String(type))
                       .arg(left)
                       .arg(top)
                       .arg(width)
                       .arg(height)
                       .arg(id)
                       .arg(QString::fromUtf8(text))
                       .arg(typein)
                       .arg(bstyle);
    if (surfacePosition)
        line += QStringLiteral(R"( left="%1" top="%2")").arg(left).arg(top);
    return (line + QStringLiteral("/>")).toUtf8();
}

// Writes the elements as the layout file of that name in dir and gives its path; the test fails when the
// file cannot be written.
inline QString WriteLayoutFile(const QTemporaryDir& dir, const QString& name, const QByteArray& elements) {
    const QString path = dir.filePath(name);
    WriteFile(path, "<ui>" + elements + "</ui>");
    return path;
}
