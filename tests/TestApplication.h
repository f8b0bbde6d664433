#pragma once
// The test programs' application: like the real one it catches what escapes an event handler instead of
// letting it end the program; here the messages are collected for the checks instead of shown.

#include "core/Exceptions.h"

#include <QApplication>
#include <QStringList>
#include <QTest>

class TTestApplication : public QApplication {
public:
    TTestApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const Exception& e) {
            Errors.append(e.Message());
            return false;
        }
    }
    static TTestApplication* Instance() { return static_cast<TTestApplication*>(qApp); }
    // The messages collected since the last call. Input handlers raise their errors from a queued call, so
    // the queued calls run first.
    static QStringList TakeErrors() {
        QCoreApplication::sendPostedEvents();
        return std::exchange(Instance()->Errors, {});
    }

    QStringList Errors;
};

#define KVD_TEST_MAIN(TestClass)                                                                             \
    int main(int argc, char** argv) {                                                                        \
        TTestApplication app(argc, argv);                                                                    \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
