#pragma once
// The test programs' application: like the real one it shows what escapes an event handler instead of
// letting it end the program; here the messages are collected for the checks.

#include "core/Exceptions.h"

#include <QApplication>
#include <QStringList>

class TInspectorTestApp : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const Exception& e) {
            errors.append(e.Message());
            return true;
        }
    }
    static TInspectorTestApp* instance() {
        return static_cast<TInspectorTestApp*>(QCoreApplication::instance());
    }
    // The messages shown since the last call. Input handlers raise their errors from a queued call, so
    // the queued calls run first.
    static QStringList takeErrors() {
        QCoreApplication::sendPostedEvents();
        QStringList result = instance()->errors;
        instance()->errors.clear();
        return result;
    }

    QStringList errors;
};

#define KVD_INSPECTOR_TEST_MAIN(TestClass)                                                                   \
    int main(int argc, char** argv) {                                                                        \
        TInspectorTestApp app(argc, argv);                                                                   \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
