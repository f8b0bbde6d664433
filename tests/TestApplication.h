#pragma once
// The test programs' application: like the real one it catches what escapes an event handler instead of
// letting it end the program; here the messages are collected for the checks instead of shown.

#include "core/GuardedApplication.h"

#include <QStringList>
#include <QTest>

class TTestApplication : public TGuardedApplication {
public:
    TTestApplication(int& argc, char** argv) : TGuardedApplication(argc, argv) {}
    static TTestApplication* Instance() { return static_cast<TTestApplication*>(qApp); }
    // The messages collected since the last call. Input handlers raise their errors from a queued call, so
    // the queued calls run first.
    static QStringList TakeErrors() {
        QCoreApplication::sendPostedEvents();
        return std::exchange(Instance()->Errors, {});
    }

    QStringList Errors;

protected:
    void Report(const QString& message) override { Errors.append(message); }
    // Only the program's own errors are expected in a test; anything else fails it at once.
    void ReportUnexpected(const std::exception& error) override {
        qFatal("unexpected exception: %s", error.what());
    }
};

#define KVD_TEST_MAIN(TestClass)                                                                             \
    int main(int argc, char** argv) {                                                                        \
        TTestApplication app(argc, argv);                                                                    \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
