#include "shell/KvdUIBuilder_Application.h"

#include "core/Exceptions.h"
#include "layout/KvdUIElement.h"

#include <QMessageBox>

TKvdApplication::TKvdApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TKvdApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const Exception& error) {
        HandleException(error.Message());
    } catch (const std::exception& error) {
        HandleException(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

void TKvdApplication::HandleException(const QString& message) {
    ShownErrors << message;
    QMessageBox::critical(activeWindow(), applicationName(), message);
}

void InitApplication() {
    QApplication::setApplicationName(QStringLiteral("Korvadia UI Builder"));
    QApplication::setOrganizationName(QStringLiteral("Korvadia"));
    RegisterElementClasses();
}
