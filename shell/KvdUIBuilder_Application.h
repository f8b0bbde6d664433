#pragma once
// TKvdApplication: the application object. Whatever error escapes a command or event handler ends here
// and is shown in a message box; the program goes on.

#include "core/DeferredError.h"
#include "core/GuardedApplication.h"

class TKvdApplication : public TGuardedApplication {
    Q_OBJECT

public:
    TKvdApplication(int& argc, char** argv);

    // Shows an error message in a message box (the application's top-level handler).
    void HandleException(const QString& message);
    // The messages shown so far, newest last (for tests and diagnostics).
    QStringList ShownErrors;

protected:
    void Report(const QString& message) override { HandleException(message); }
};

// Sets the title and registers the element classes: what must happen before the main window exists.
void InitApplication();

// Shows that cursor over the whole program (the arrow takes every override away).
void SetScreenCursor(Qt::CursorShape shape);
