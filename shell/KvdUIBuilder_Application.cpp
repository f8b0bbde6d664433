#include "shell/KvdUIBuilder_Application.h"

#include "core/Exceptions.h"
#include "layout/KvdUIElement.h"

#include <QCursor>
#include <QMessageBox>

TKvdApplication::TKvdApplication(int& argc, char** argv) : TGuardedApplication(argc, argv) {}

void TKvdApplication::HandleException(const QString& message) {
    ShownErrors << message;
    QMessageBox::critical(activeWindow(), applicationName(), message);
}

void InitApplication() {
    QApplication::setApplicationName(QStringLiteral("Korvadia UI Builder"));
    QApplication::setOrganizationName(QStringLiteral("Korvadia"));
    RegisterElementClasses();
}

void SetScreenCursor(Qt::CursorShape shape) {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (shape != Qt::ArrowCursor)
        QApplication::setOverrideCursor(QCursor(shape));
}
