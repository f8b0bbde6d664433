#include "sim/SimCommands.h"

#include "link/Dromo.h"
#include "sim/SimPackets.h"
#include "sim/SimServer.h"

namespace {

// The next blank-separated word from pos on; pos moves past it and the blanks after it.
QByteArray Word(const QByteArray& line, qsizetype& pos) {
    while (pos < line.size() && (line.at(pos) == ' ' || line.at(pos) == '\t'))
        ++pos;
    const qsizetype start = pos;
    while (pos < line.size() && line.at(pos) != ' ' && line.at(pos) != '\t')
        ++pos;
    const QByteArray word = line.mid(start, pos - start);
    if (pos < line.size())
        ++pos; // one separator; the text of type and console keeps any further blanks
    return word;
}

bool Number(const QByteArray& word, int max, int& out) {
    bool ok = false;
    const bool hex = word.startsWith("0x") || word.startsWith("0X");
    const int value = hex ? word.mid(2).toInt(&ok, 16) : word.toInt(&ok, 10);
    if (!ok || value < 0 || value > max)
        return false;
    out = value;
    return true;
}

TSimCommand Refused(const QString& error) {
    TSimCommand command;
    command.What = TSimCommand::Invalid;
    command.Error = error;
    return command;
}

} // namespace

TSimCommand TSimCommand::Parse(const QByteArray& raw) {
    QByteArray line = raw;
    if (line.endsWith('\r'))
        line.chop(1);
    qsizetype pos = 0;
    const QByteArray verb = Word(line, pos);
    TSimCommand command;
    if (verb.isEmpty())
        return command;

    struct Usage {
        const char* Verb;
        Kind What;
        const char* Text;
    };
    static const Usage usages[] = {
        {"click", Click, "usage: click N ID [FLAGS]"},
        {"type", Type, "usage: type N ID TEXT"},
        {"console", Console, "usage: console N TEXT"},
        {"close", Close, "usage: close N"},
        {"quit", Quit, "usage: quit"},
    };
    const Usage* usage = nullptr;
    for (const Usage& u : usages)
        if (verb == u.Verb)
            usage = &u;
    if (!usage)
        return Refused(QStringLiteral("unknown command: %1").arg(QString::fromLocal8Bit(verb)));
    const QString usageText = QString::fromLatin1(usage->Text);
    command.What = usage->What;
    if (command.What == Quit)
        return pos >= line.size() ? command : Refused(usageText);

    if (!Number(Word(line, pos), 1 << 30, command.Client) || command.Client == 0)
        return Refused(usageText);
    if (command.What == Click || command.What == Type) {
        int id = 0;
        if (!Number(Word(line, pos), 255, id))
            return Refused(usageText);
        command.ClickID = quint8(id);
    }
    switch (command.What) {
    case Click: {
        int flags = Dromo::CF_LEFT;
        const QByteArray word = Word(line, pos);
        if (!word.isEmpty() && !Number(word, 255, flags))
            return Refused(usageText);
        command.Flags = quint8(flags);
        if (!Word(line, pos).isEmpty())
            return Refused(usageText);
        break;
    }
    case Type:
    case Console:
        command.Text = line.mid(pos);
        break;
    default:
        if (!Word(line, pos).isEmpty())
            return Refused(usageText);
        break;
    }
    return command;
}

QString RunSimCommand(TSimServer& server, const TSimCommand& command) {
    switch (command.What) {
    case TSimCommand::Click:
        return server.Click(command.Client, command.ClickID, command.Flags);
    case TSimCommand::Type:
        return server.Type(command.Client, command.ClickID, command.Text);
    case TSimCommand::Console:
        return server.Console(command.Client, command.Text);
    case TSimCommand::Close:
        return server.Close(command.Client);
    case TSimCommand::Invalid:
        return command.Error;
    default:
        return QString();
    }
}
