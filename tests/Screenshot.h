#pragma once
// Pictures the tests leave for a person to look at: screenshots/NAME.png in the test's working folder.

#include <QDir>
#include <QImage>
#include <QTest>
#include <QWidget>

inline void SaveScreenshot(const QImage& image, const QString& name) {
    QVERIFY(!image.isNull());
    QDir().mkpath(QStringLiteral("screenshots"));
    const QString path = QDir::current().filePath(QStringLiteral("screenshots/%1.png").arg(name));
    QVERIFY2(image.save(path), qPrintable(path));
    qInfo("screenshot: %s", qPrintable(path));
}

inline void SaveScreenshot(QWidget* widget, const QString& name) {
    SaveScreenshot(widget->grab().toImage(), name);
}
