#include "sim/SimHeadless.h"

#include "link/KvdTypes.h"
#include "sim/SimCommands.h"
#include "sim/SimLineWriter.h"
#include "sim/SimServer.h"

#include <QSocketNotifier>

#include <unistd.h>

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
    : QObject(parent), m_server(server), m_out(new TSimLineWriter(output, MaxQueuedBytes, this)),
      m_input(input) {
    connect(&server, &TSimServer::ClientConnected, this,
            [this](int n) { Print(QByteArray::number(n) + " + " + m_server.Client(n)->Peer.toLatin1()); });
    connect(&server, &TSimServer::PacketReceived, this,
            [this](int n, const QByteArray& packet) { Print(QByteArray::number(n) + " < " + Hex(packet)); });
    connect(&server, &TSimServer::PacketSent, this,
            [this](int n, const QByteArray& packet) { Print(QByteArray::number(n) + " > " + Hex(packet)); });
    connect(&server, &TSimServer::ClientLeft, this,
            [this](int n, const QString& reason) { Print(QByteArray::number(n) + " - " + Escaped(reason)); });
    if (m_input >= 0) {
        m_notifier = new QSocketNotifier(qintptr(m_input), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &TSimHeadless::ReadInput);
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

void TSimHeadless::ReadInput() {
    char buffer[4096];
    const ssize_t got = ::read(m_input, buffer, sizeof buffer);
    if (got <= 0) {
        // End of input (or a broken one): the stand-in keeps serving until it is told to quit or killed.
        m_notifier->setEnabled(false);
        return;
    }
    Feed(QByteArray(buffer, qsizetype(got)));
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
