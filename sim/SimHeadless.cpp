#include "sim/SimHeadless.h"

#include "core/Console.h"
#include "link/KvdTypes.h"
#include "sim/SimCommands.h"
#include "sim/SimServer.h"

namespace {
// A command line longer than this is refused; the typed and console texts are far shorter.
constexpr qsizetype MaxLine = 4096;

// A reader that has taken nothing for this long at the end is given up.
constexpr int FinishIdleMs = 1000;

QByteArray Hex(const QByteArray& packet) {
    return packet.toHex(' ');
}

// Text that may come from a client or the command input, kept on its own line.
QByteArray Escaped(const QString& text) {
    return KvdTypes::EscapeControls(text).toLocal8Bit();
}
} // namespace

TSimHeadless::TSimHeadless(TSimServer& server, int output, int input, QObject* parent)
    : QObject(parent), m_server(server), m_out(new TConsoleWriter(output, MaxQueuedBytes, this)) {
    connect(&server, &TSimServer::ClientConnected, this,
            [this](int n) { Print(QByteArray::number(n) + " + " + m_server.Client(n)->Peer.toLatin1()); });
    connect(&server, &TSimServer::PacketReceived, this,
            [this](int n, const QByteArray& packet) { Print(QByteArray::number(n) + " < " + Hex(packet)); });
    connect(&server, &TSimServer::PacketSent, this,
            [this](int n, const QByteArray& packet) { Print(QByteArray::number(n) + " > " + Hex(packet)); });
    connect(&server, &TSimServer::ClientLeft, this,
            [this](int n, const QString& reason) { Print(QByteArray::number(n) + " - " + Escaped(reason)); });
    // The end of input does not stop the stand-in: it keeps serving until it is told to quit or killed.
    if (input >= 0) {
        m_in = new TConsoleInput(input, this);
        connect(m_in, &TConsoleInput::Received, this, &TSimHeadless::Feed);
    }
}

void TSimHeadless::PrintListening() {
    Print("listening " + m_server.Address().toString().toLatin1() + ':' +
          QByteArray::number(m_server.Port()));
}

void TSimHeadless::Print(const QByteArray& line) {
    m_out->Write(line);
}

void TSimHeadless::Finish() {
    m_out->Drain(FinishIdleMs);
}

void TSimHeadless::Feed(const QByteArray& bytes) {
    for (const char ch : bytes) {
        if (ch == '\n') {
            if (!m_skipping)
                RunLine(m_line);
            m_skipping = false;
            m_line.clear();
        } else if (m_skipping) {
            continue;
        } else if (m_line.size() >= MaxLine) {
            Print("error line longer than " + QByteArray::number(MaxLine) + " bytes");
            m_skipping = true;
            m_line.clear();
        } else {
            m_line.append(ch);
        }
    }
}

void TSimHeadless::RunLine(const QByteArray& line) {
    const TSimCommand command = TSimCommand::Parse(line);
    if (command.What == TSimCommand::None)
        return;
    if (command.What == TSimCommand::Quit) {
        emit QuitRequested();
        return;
    }
    const QString error = RunSimCommand(m_server, command);
    if (!error.isEmpty())
        Print("error " + Escaped(error));
}
