#include "link/KvdUI.h"

#include "core/LayoutAttributes.h"
#include "core/KvdUIScan.h"
#include "core/Placeholders.h"

#include <QXmlStreamReader>

#include <memory>

namespace {

// Decimal attribute text as a number; empty or non-numeric text reads as 0.
qint64 Number(QStringView text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

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

// The button of one "element" node; value gives the text of an attribute by name.
template <typename Attributes> TKvdButton ButtonOf(const Attributes& value, const QStringList& Args) {
    TKvdButton button(true);
    button.ClickID = Low8(Number(value(LayoutAttr::ID)));
    button.Text = ExpandPlaceholders(value(LayoutAttr::Text).toString(), Args, ButtonTextUnits);
    button.TypeIn = Low8(Number(value(LayoutAttr::TypeIn)));
    button.Left = HalfLow8(Number(value(LayoutAttr::Left)));
    button.Top = HalfLow8(Number(value(LayoutAttr::Top)));
    button.Width = HalfLow8(Number(value(LayoutAttr::Width)));
    button.Height = HalfLow8(Number(value(LayoutAttr::Height)));
    button.BStyle = Low8(Number(value(LayoutAttr::BStyle)));
    return button;
}

} // namespace

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
    QList<TKvdButton> buttons;
    // An empty text is an empty layout, as for the layout reader.
    if (TrimControls(XML).isEmpty())
        return buttons;
    // Text as the writer makes it goes through the quick scanner; the XML reader takes everything else.
    const bool scanned = KvdUIScan::Elements(XML, LayoutAttr::Element, [&](const KvdUIScan::Tag& tag) {
        buttons.append(ButtonOf([&tag](const QString& name) { return tag.Value(name); }, Args));
    });
    if (scanned)
        return buttons;
    buttons.clear();
    QXmlStreamReader reader(XML);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != LayoutAttr::Element)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        buttons.append(ButtonOf([&attributes](const QString& name) { return attributes.value(name); }, Args));
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
