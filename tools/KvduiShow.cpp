// kvdui show FILE [--address A] [--port P] [--name NAME] [--set NAME=VALUE]...: shows the layout on a
// running simulator and prints every button report ("Button %d clicked [%s]") on standard output, and
// connection errors ("Error: %s") and the connection's state on standard error. Ends when the simulator
// closes the connection, or when interrupted (Ctrl+C, SIGTERM, the console closing) after clearing its
// buttons. Exit status 0 after a session, 1 when the layout could not be read or the connection could not
// be made.

#include "core/Console.h"
#include "core/Exceptions.h"
#include "link/KvdUI.h"
#include "tools/KvduiLinkArgs.h"
#include "tools/LayoutLoad.h"
#include "tools/Verbs.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// Texts that come from the simulator or the network pass through KvdTypes::EscapeControls first.
void PrintLine(FILE* stream, const QString& line) {
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int RunShow(const QStringList& args) {
    KvduiLinkArgs options;
    const QString problem = ParseKvduiLinkArgs(
        args,
        {QStringLiteral("set"), QStringLiteral("address"), QStringLiteral("port"), QStringLiteral("name")},
        options);
    if (!problem.isEmpty()) {
        std::fprintf(stderr,
                     "kvdui show: %s\nusage: kvdui show FILE [--address A] [--port P] [--name NAME] "
                     "[--set NAME=VALUE]...\n",
                     problem.toLocal8Bit().constData());
        return 2;
    }
    QString layout;
    try {
        layout = LoadLayoutText(options.File);
        ExpandPlaceholders(QString(), options.Placeholders); // the pairs are checked before connecting
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toLocal8Bit().constData());
        return 1;
    }

    TConsoleInterrupt interrupt;
    if (!interrupt.Installed())
        return 1;

    TKvdDromo client;
    TKvdUI ui;
    ui.SetDromo(&client);
    client.SetAddress(options.Address);
    client.SetPort(options.Port);
    client.SetIName(options.Name);
    client.OnError = [](QObject*, const QString& message) {
        PrintLine(stderr, QStringLiteral("Error: %1").arg(KvdTypes::EscapeControls(message)));
    };
    client.OnConnect = [&](QObject*, DR_VER& version) {
        PrintLine(stderr, QStringLiteral("Connected to Korvadia [%1 %2]")
                              .arg(KvdTypes::EscapeControls(version.TextAt12()),
                                   KvdTypes::EscapeControls(version.TextAt4())));
        try {
            ui.ShowLayout(layout, options.Placeholders, quint8(options.Target));
        } catch (const Exception& e) {
            PrintLine(stderr, QStringLiteral("Error: %1").arg(KvdTypes::EscapeControls(e.Message())));
        }
    };
    // The simulator's close arrives on the reader thread; the session ends on this one.
    client.OnDisconnect = [](QObject*) {
        PrintLine(stderr, QStringLiteral("Disconnected from Korvadia."));
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    };
    ui.OnEvent = [](QObject*, quint8 clickId, quint8, const QString& text) {
        PrintLine(stdout,
                  QStringLiteral("Button %1 clicked [%2]").arg(clickId).arg(KvdTypes::EscapeControls(text)));
    };

    QObject::connect(&interrupt, &TConsoleInterrupt::Interrupted, [&] {
        if (client.Active())
            ui.DeleteButtons(Dromo::BTN_DEL_ALL, 0, 0, 0);
        client.SetActive(false);
        QCoreApplication::quit();
    });

    client.SetActive(true);
    int status = 1;
    if (client.Active()) {
        QCoreApplication::exec();
        status = 0;
    }
    client.SetActive(false);
    return status;
}
