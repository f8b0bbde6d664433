#include "link/KvdUI.h"

#include "core/LayoutAttributes.h"
#include "link/KvdUIScan.h"

#include <QXmlStreamReader>

#include <functional>
#include <limits>
#include <memory>
#include <vector>

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

namespace {

// The placeholder name of an argument: trimmed, cut at its first "=", wrapped in braces; empty when
// nothing is left.
QString PlaceholderName(const QString& arg) {
    QString name = TrimControls(arg);
    const qsizetype equals = name.indexOf(QLatin1Char('='));
    if (equals >= 0)
        name = TrimControls(name.left(equals));
    if (name.isEmpty())
        return name;
    if (!name.startsWith(QLatin1Char('{')))
        name.prepend(QLatin1Char('{'));
    if (!name.endsWith(QLatin1Char('}')))
        name.append(QLatin1Char('}'));
    return name;
}

// One replacement pass as a pull stream: it reads characters from its source as they are asked for and
// replaces each occurrence of the name, ignoring letter case, left to right without overlap, as
// QString::replace does. Chained, the passes give the text of all replacements in turn while reading
// only as much as the characters asked for need, so a cut result never builds the whole expansion.
class ReplacePass {
public:
    ReplacePass(std::function<bool(QChar&)> source, const QString& name, const QString& replacement)
        : m_source(std::move(source)), m_name(name), m_replacement(replacement) {}

    bool Next(QChar& out) {
        for (;;) {
            if (m_emitting < m_replacement.size()) {
                out = m_replacement.at(m_emitting++);
                return true;
            }
            while (Buffered() < m_name.size() && !m_sourceDone) {
                QChar c;
                if (m_source(c))
                    m_window.append(c);
                else
                    m_sourceDone = true;
            }
            if (Buffered() == 0)
                return false;
            const QStringView window = QStringView(m_window).mid(m_at);
            if (window.size() == m_name.size() && window.compare(m_name, Qt::CaseInsensitive) == 0) {
                Consume(m_name.size());
                m_emitting = 0;
                continue;
            }
            out = m_window.at(m_at);
            Consume(1);
            return true;
        }
    }

private:
    qsizetype Buffered() const { return m_window.size() - m_at; }
    void Consume(qsizetype count) {
        m_at += count;
        // Drop what has been read once it outweighs the window, so each character moves O(1) times.
        if (m_at >= qMax<qsizetype>(64, m_name.size())) {
            m_window.remove(0, m_at);
            m_at = 0;
        }
    }

    std::function<bool(QChar&)> m_source;
    const QString m_name;
    const QString m_replacement;
    QString m_window;
    qsizetype m_at = 0;
    qsizetype m_emitting = std::numeric_limits<qsizetype>::max(); // index into the replacement
    bool m_sourceDone = false;
};

} // namespace

namespace {

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
    if (Limit < 0)
        Limit = std::numeric_limits<qsizetype>::max();
    std::vector<std::unique_ptr<ReplacePass>> passes;
    for (qsizetype i = 0; i + 1 < Args.size(); i += 2) {
        const QString name = PlaceholderName(Args.at(i));
        if (name.isEmpty())
            continue;
        std::function<bool(QChar&)> source;
        if (passes.empty()) {
            source = [&Text, at = qsizetype(0)](QChar& c) mutable {
                if (at >= Text.size())
                    return false;
                c = Text.at(at++);
                return true;
            };
        } else {
            source = [previous = passes.back().get()](QChar& c) { return previous->Next(c); };
        }
        passes.push_back(std::make_unique<ReplacePass>(std::move(source), name, Args.at(i + 1)));
    }
    if (passes.empty())
        return Limit < Text.size() ? Text.left(Limit) : Text;
    QString result;
    QChar c;
    while (result.size() < Limit && passes.back()->Next(c))
        result.append(c);
    return result;
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
