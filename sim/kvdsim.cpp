// kvdsim: a stand-in for the simulator's side of the live preview. With a window it shows the button
// area, the connected clients and a log; with --headless it speaks a line protocol on stdin/stdout for
// scripts and tests.

#include "core/Console.h"
#include "sim/SimHeadless.h"
#include "sim/SimServer.h"
#include "sim/SimWindow.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

#include <cstdio>
#include <memory>

namespace {

struct Options {
    QHostAddress Address{QHostAddress::LocalHost};
    quint16 Port = 29999;
    quint8 Protocol = 9;
    int KeepAliveMs = TSimLimits().KeepAliveMs;
    bool Headless = false;
    bool ExitNow = false; // help or version was printed
};

// Parses the command line into options; prints the problem and returns false when it is wrong.
bool ParseOptions(const QStringList& arguments, Options& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in for the Korvadia simulator's live preview."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("TCP port to listen on (default 29999; 0: any free one)."),
                                  QStringLiteral("N"), QStringLiteral("29999"));
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("IPv4 address to listen on (default 127.0.0.1)."),
                                     QStringLiteral("A"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption protocol(
        QStringLiteral("protocol"),
        QStringLiteral("Protocol version to speak (default 9; from 9 on sizes count 4-byte units)."),
        QStringLiteral("N"), QStringLiteral("9"));
    const QCommandLineOption keepAlive(
        QStringLiteral("keepalive"),
        QStringLiteral("Milliseconds between two keep-alives to a client (default 3000)."),
        QStringLiteral("MS"), QString::number(TSimLimits().KeepAliveMs));
    const QCommandLineOption headless(QStringLiteral("headless"),
                                      QStringLiteral("No window: events on stdout, commands on stdin."));
    parser.addOptions({port, address, protocol, keepAlive, headless});
    auto fail = [](const QString& text) {
        std::fprintf(stderr, "kvdsim: %s\n", text.toLocal8Bit().constData());
        return false;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help) || parser.isSet(version)) {
        const QByteArray text =
            parser.isSet(help) ? parser.helpText()
                                     .replace(QStringLiteral("<executable_name>"), QStringLiteral("kvdsim"))
                                     .toLocal8Bit()
                               : QByteArray("kvdsim " KVD_VERSION_TEXT "\n");
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        options.ExitNow = true;
        return true;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    bool ok = false;
    const uint portValue = parser.value(port).toUInt(&ok);
    if (!ok || portValue > 65535)
        return fail(QStringLiteral("'%1' is not a port number").arg(parser.value(port)));
    options.Port = quint16(portValue);
    if (options.Address.setAddress(parser.value(address)),
        options.Address.protocol() != QAbstractSocket::IPv4Protocol)
        return fail(QStringLiteral("'%1' is not an IPv4 address").arg(parser.value(address)));
    const uint protocolValue = parser.value(protocol).toUInt(&ok);
    if (!ok || protocolValue < 1 || protocolValue > 255)
        return fail(QStringLiteral("'%1' is not a protocol version (1 to 255)").arg(parser.value(protocol)));
    options.Protocol = quint8(protocolValue);
    const uint keepAliveValue = parser.value(keepAlive).toUInt(&ok);
    if (!ok || keepAliveValue < 100 || keepAliveValue > 600000)
        return fail(QStringLiteral("'%1' is not a keep-alive interval (100 to 600000 ms)")
                        .arg(parser.value(keepAlive)));
    options.KeepAliveMs = int(keepAliveValue);
    options.Headless = parser.isSet(headless);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything opens a file or socket, which could otherwise take a closed stream's number.
    const bool outputClosed = GuardStandardStreams();
    // The options are read before the application object exists, so that --help, --version, a wrong
    // option and the headless stand-in work without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Options options;
    if (!ParseOptions(arguments, options))
        return 2;
    if (options.ExitNow)
        return 0;
    std::unique_ptr<QCoreApplication> app =
        options.Headless ? std::make_unique<QCoreApplication>(argc, argv) : MakeSimApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kvdsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KVD_VERSION_TEXT));

    TSimLimits limits;
    limits.KeepAliveMs = options.KeepAliveMs;
    limits.SilentMs = 2 * options.KeepAliveMs + 1000;
    TSimServer server(options.Protocol, limits);
    if (!server.Listen(options.Address, options.Port)) {
        std::fprintf(stderr, "kvdsim: cannot listen on %s:%u: %s\n",
                     options.Address.toString().toLocal8Bit().constData(), unsigned(options.Port),
                     server.ErrorString().toLocal8Bit().constData());
        return 1;
    }
    if (!options.Headless)
        return RunSimWindow(server);

    // Its lines are its whole use: say once, where someone may read it, that they go nowhere.
    if (outputClosed)
        std::fprintf(stderr, "kvdsim: standard output is closed; the received packets are not shown\n");
    TSimHeadless lines(server, StandardOutput, StandardInput);
    QObject::connect(&lines, &TSimHeadless::QuitRequested, app.get(), [&server] {
        server.CloseAll(QStringLiteral("kvdsim quits"));
        QCoreApplication::quit();
    });
    lines.PrintListening();
    const int status = app->exec();
    lines.Finish();
    return status;
}
