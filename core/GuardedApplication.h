#pragma once
// The application object of the builder and of the test programs: notify catches an error that escapes an
// event handler and hands its message on, so that no exception crosses Qt's event delivery and the program
// goes on. What happens to the message is the program's own: the builder shows it, a test collects it.

#include "core/Exceptions.h"

#include <QApplication>

#include <exception>

class TGuardedApplication : public QApplication {
public:
    TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const Exception& error) {
            Report(error.Message());
        } catch (const std::exception& error) {
            ReportUnexpected(error);
        }
        return false;
    }

protected:
    // The message of an error a handler raised.
    virtual void Report(const QString& message) = 0;
    // Any other exception; by default reported like an error.
    virtual void ReportUnexpected(const std::exception& error) {
        Report(QString::fromLocal8Bit(error.what()));
    }
};
