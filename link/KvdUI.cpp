#include "link/KvdUI.h"

#include "core/Placeholders.h"

#include <memory>

namespace {

quint8 Low8(qint64 value) {
    return quint8(value & 0xFF);
}

// Design pixels to simulator units: halved, truncated toward zero, low 8 bits.
quint8 HalfLow8(qint64 value) {
    return Low8(value / 2);
}

// The characters of a button text that can reach a packet: one past the longest text, so that a pair
// of surrogates at the cut still converts as a whole.
constexpr qsizetype ButtonTextUnits = Dromo::MaxButtonText + 1;

} // namespace

TKvdButton ButtonOf(const TLayoutElement& element, const QStringList& Args) {
    TKvdButton button(true);
    button.ClickID = Low8(element.ID);
    button.Text = ExpandPlaceholders(element.Text, Args, ButtonTextUnits);
    button.TypeIn = Low8(element.TypeIn);
    button.Left = HalfLow8(element.Left);
    button.Top = HalfLow8(element.Top);
    button.Width = HalfLow8(element.Width);
    button.Height = HalfLow8(element.Height);
    button.BStyle = Low8(element.BStyle);
    return button;
}

QString ExpandPlaceholders(const QString& Text, const QStringList& Args, qsizetype Limit) {
    if (Args.size() % 2 != 0)
        throw EKvdLink(QStringLiteral("Args array must have an even number of elements"));
    return ReplacePlaceholders(Text, Args, Limit);
}

Dromo::ButtonRecord ButtonRecordOf(const TKvdButton& Button, quint8 Target) {
    Dromo::ButtonRecord record;
    record.Target = Target;
    record.ClickID = Button.ClickID;
    record.BStyle = Button.BStyle;
    record.TypeIn = Button.TypeIn;
    record.Left = Button.Left;
    record.Top = Button.Top;
    record.Width = Button.Width;
    record.Height = Button.Height;
    record.Text = Button.Text.toLocal8Bit();
    return record;
}

TKvdUI::TKvdUI(QObject* owner) : TKvdDromoSubscriber(owner) {}

TKvdUI::~TKvdUI() {
    SetDromo(nullptr);
}

QList<TKvdButton> TKvdUI::ReadButtons(const QString& XML, const QStringList& Args) {
    std::vector<TLayoutElement> elements;
    QString error;
    if (!ReadLayoutElements(XML, elements, error))
        throw EKvdLink(error);
    QList<TKvdButton> buttons;
    buttons.reserve(qsizetype(elements.size()));
    for (const TLayoutElement& element : elements)
        buttons.append(ButtonOf(element, Args));
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
        const int length =
            ::Dromo::BuildButton(ButtonRecordOf(buttons.at(i), Target), client->SizeUnit(), packet);
        client->Send(::Dromo::DR_BTN, packet, length, i + 1 < buttons.size());
    }
}

QList<QByteArray> TKvdUI::LayoutPackets(const QString& XML, const QStringList& Args, quint8 Target,
                                        quint8 sizeUnit) {
    QList<QByteArray> packets;
    quint8 packet[::Dromo::MaxButtonPacketSize];
    for (const TKvdButton& button : ReadButtons(XML, Args)) {
        const int length = ::Dromo::BuildButton(ButtonRecordOf(button, Target), sizeUnit, packet);
        ::Dromo::StampHead(packet, length, ::Dromo::DR_BTN, sizeUnit);
        packets.append(QByteArray(reinterpret_cast<const char*>(packet), length));
    }
    return packets;
}

void TKvdUI::SendButton(TKvdButton* Button, quint8 Target) {
    if (!Button)
        return;
    // A button that is to be freed is freed also when sending fails.
    const std::unique_ptr<TKvdButton> owned(Button->AutoFree ? Button : nullptr);
    if (TKvdDromo* client = Dromo()) {
        quint8 packet[::Dromo::MaxButtonPacketSize];
        const int length = ::Dromo::BuildButton(ButtonRecordOf(*Button, Target), client->SizeUnit(), packet);
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
        OnEvent(this, packet.Byte(::Dromo::ReportClickIdOffset), packet.Byte(::Dromo::ClickFlagsOffset),
                QString());
        break;
    case ::Dromo::DR_BTN_TYPE:
        OnEvent(this, packet.Byte(::Dromo::ReportClickIdOffset), 0,
                packet.Text(::Dromo::TypedTextOffset, ::Dromo::TypedTextSize));
        break;
    default:
        break;
    }
}
