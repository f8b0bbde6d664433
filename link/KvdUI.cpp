#include "link/KvdUI.h"

#include "core/LayoutAttributes.h"

#include <QXmlStreamReader>

#include <cstring>

namespace {

// Decimal attribute text as a number; empty or non-numeric text reads as 0.
qint64 NumberAttribute(const QXmlStreamAttributes& attributes, const QString& name) {
    bool ok = false;
    const qint64 value = attributes.value(name).trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

quint8 Low8(qint64 value) {
    return quint8(value & 0xFF);
}

// Design pixels to simulator units: halved, truncated toward zero, low 8 bits.
quint8 HalfLow8(qint64 value) {
    return Low8(value / 2);
}

// Trims blanks and control characters from both ends.
QString TrimControls(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

} // namespace

QString ExpandPlaceholders(const QString& Text, const QStringList& Args) {
    QString result = Text;
    if (Args.size() % 2 != 0)
        throw EKvdLink(QStringLiteral("Args array must have an even number of elements"));
    for (qsizetype i = 0; i + 1 < Args.size(); i += 2) {
        QString name = TrimControls(Args.at(i));
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals >= 0)
            name = TrimControls(name.left(equals));
        if (name.isEmpty())
            continue;
        if (!name.startsWith(QLatin1Char('{')))
            name.prepend(QLatin1Char('{'));
        if (!name.endsWith(QLatin1Char('}')))
            name.append(QLatin1Char('}'));
        result.replace(name, Args.at(i + 1), Qt::CaseInsensitive);
    }
    return result;
}

TKvdUI::TKvdUI(QObject* owner) : TKvdDromoSubscriber(owner) {}

TKvdUI::~TKvdUI() {
    SetDromo(nullptr);
}

QList<TKvdButton> TKvdUI::ReadButtons(const QString& XML, const QStringList& Args) {
    QList<TKvdButton> buttons;
    // An empty text is an empty layout, as for the layout reader.
    if (TrimControls(XML).isEmpty())
        return buttons;
    QXmlStreamReader reader(XML);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != LayoutAttr::Element)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        TKvdButton& button = buttons.emplace_back(true);
        button.ClickID = Low8(NumberAttribute(attributes, LayoutAttr::ID));
        button.Text = ExpandPlaceholders(attributes.value(LayoutAttr::Text).toString(), Args);
        button.TypeIn = Low8(NumberAttribute(attributes, LayoutAttr::TypeIn));
        button.Left = HalfLow8(NumberAttribute(attributes, LayoutAttr::Left));
        button.Top = HalfLow8(NumberAttribute(attributes, LayoutAttr::Top));
        button.Width = HalfLow8(NumberAttribute(attributes, LayoutAttr::Width));
        button.Height = HalfLow8(NumberAttribute(attributes, LayoutAttr::Height));
        button.BStyle = Low8(NumberAttribute(attributes, LayoutAttr::BStyle));
    }
    if (reader.hasError())
        throw EKvdLink(QStringLiteral("%1 (line %2, column %3)")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber()));
    return buttons;
}

void TKvdUI::ShowLayout(const QString& XML, const QStringList& Args, quint8 Target) {
    // The whole text is read before anything is sent, so malformed text sends nothing.
    const QList<TKvdButton> buttons = ReadButtons(XML, Args);
    TKvdDromo* client = Dromo();
    if (!client)
        return;
    quint8 packet[::Dromo::MaxButtonPacketSize];
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const int length = BuildButton(buttons.at(i), Target, client->SizeUnit(), packet);
        client->Send(::Dromo::DR_BTN, packet, length, i + 1 < buttons.size());
    }
}

QList<QByteArray> TKvdUI::LayoutPackets(const QString& XML, const QStringList& Args, quint8 Target,
                                        quint8 sizeUnit) {
    QList<QByteArray> packets;
    quint8 packet[::Dromo::MaxButtonPacketSize];
    for (const TKvdButton& button : ReadButtons(XML, Args)) {
        const int length = BuildButton(button, Target, sizeUnit, packet);
        ::Dromo::StampHead(packet, length, ::Dromo::DR_BTN, sizeUnit);
        packets.append(QByteArray(reinterpret_cast<const char*>(packet), length));
    }
    return packets;
}

int TKvdUI::BuildButton(const TKvdButton& Button, quint8 Target, quint8 sizeUnit, quint8* out) {
    const QByteArray text = Button.Text.toLocal8Bit();
    const int n = qMin(int(text.size()), ::Dromo::MaxButtonTextFor(sizeUnit));
    const int length = (::Dromo::ButtonHeadSize + n + 1 + 3) / 4 * 4;
    std::memset(out, 0, size_t(length));
    out[2] = 1;
    out[3] = Target;
    out[4] = Button.ClickID;
    out[6] = Button.BStyle;
    out[7] = Button.TypeIn;
    out[8] = Button.Left;
    out[9] = Button.Top;
    out[10] = Button.Width;
    out[11] = Button.Height;
    std::memcpy(out + ::Dromo::ButtonHeadSize, text.constData(), size_t(n));
    return length;
}

void TKvdUI::SendButton(TKvdButton* Button, quint8 Target) {
    if (!Button)
        return;
    // A button that is to be freed is freed also when sending fails.
    const std::unique_ptr<TKvdButton> owned(Button->AutoFree ? Button : nullptr);
    if (TKvdDromo* client = Dromo()) {
        quint8 packet[::Dromo::MaxButtonPacketSize];
        const int length = BuildButton(*Button, Target, client->SizeUnit(), packet);
        client->Send(::Dromo::DR_BTN, packet, length);
    }
}

void TKvdUI::DeleteButtons(quint8 SubCode, quint8 ClickID, quint8 ClickMax, quint8 Target) {
    if (TKvdDromo* client = Dromo())
        client->Send(::Dromo::DR_BTN_DEL, ::Dromo::BuildDeleteButtons(SubCode, ClickID, ClickMax, Target));
}

void TKvdUI::HandlePacket(const TKvdPacket& packet) {
    if (!OnEvent)
        return;
    switch (packet.Type()) {
    case ::Dromo::DR_BTN_CLICK:
        OnEvent(this, packet.Byte(4), packet.Byte(6), QString());
        break;
    case ::Dromo::DR_BTN_TYPE:
        OnEvent(this, packet.Byte(4), 0, packet.Text(::Dromo::TypedTextOffset, ::Dromo::TypedTextSize));
        break;
    default:
        break;
    }
}
