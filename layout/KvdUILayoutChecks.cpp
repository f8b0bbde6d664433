#include "layout/KvdUILayoutChecks.h"

#include "core/ButtonFields.h"
#include "core/LayoutAttributes.h"
#include "core/Placeholders.h"
#include "layout/KvdUIElement.h"
#include "simview/KvdSimPaint.h"

#include <QRect>
#include <QSet>
#include <QXmlStreamReader>
#include <QtMath>

#include <algorithm>

namespace {

// Captions are measured as the builder's simulator look draws them: two pixels a unit.
constexpr qreal MeasureScale = 2;
// Text advances come in 64ths of a pixel; a line that ends within one of the edge is not cut.
constexpr qreal CutTolerance = 1.0 / 64;
// Characters of a caption that can matter: one past what a packet carries (each takes at least a byte).
constexpr qsizetype CaptionUnits = MaxButtonTextBytes + 1;

// One element node as the button presentation reads it: absolute position and size in design pixels,
// the rest as they go into its button packet.
struct Element {
    qint64 Left = 0;
    qint64 Top = 0;
    qint64 Width = 0;
    qint64 Height = 0;
    QString Type;
    QString Text; // placeholders filled in, at most CaptionUnits characters
    TKvdSimButton Button;
};

// Decimal attribute text as a number; empty or non-numeric text reads as 0, as the preview sends it.
qint64 Number(QStringView text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

// Design pixels to the units a button packet carries: halved toward zero, low 8 bits.
quint8 PacketUnits(qint64 pixels) {
    return quint8((pixels / 2) & 0xFF);
}

bool FitsPacket(qint64 pixels) {
    const qint64 units = pixels / 2;
    return units >= 0 && units <= 255;
}

// The element of a node inside an element at (parentLeft, parentTop) on the surface. Its place comes from
// its position relative to its parent, as the layout reader places it; in the writer's text that is the
// absolute position the preview sends, and a hand-made file may hold other values there.
Element ReadElement(const QXmlStreamAttributes& attributes, qint64 parentLeft, qint64 parentTop,
                    const QStringList& values) {
    const auto value = [&attributes](const QString& name) { return attributes.value(name); };
    Element e;
    e.Left = parentLeft + Number(value(LayoutAttr::RelLeft));
    e.Top = parentTop + Number(value(LayoutAttr::RelTop));
    e.Width = Number(value(LayoutAttr::Width));
    e.Height = Number(value(LayoutAttr::Height));
    e.Type = value(LayoutAttr::Type).toString();
    e.Text = ReplacePlaceholders(value(LayoutAttr::Text).toString(), values, CaptionUnits);
    TKvdSimButton& b = e.Button;
    b.ClickID = quint8(Number(value(LayoutAttr::ID)) & 0xFF);
    b.BStyle = quint8(Number(value(LayoutAttr::BStyle)) & 0xFF);
    b.TypeIn = quint8(Number(value(LayoutAttr::TypeIn)) & 0xFF);
    b.Left = PacketUnits(e.Left);
    b.Top = PacketUnits(e.Top);
    b.Width = PacketUnits(e.Width);
    b.Height = PacketUnits(e.Height);
    // What the simulator shows: the text cut to what the packet carries, read back in the same encoding.
    const QByteArray bytes = e.Text.toLocal8Bit();
    b.Text =
        bytes.size() > MaxButtonTextBytes ? QString::fromLocal8Bit(bytes.left(MaxButtonTextBytes)) : e.Text;
    return e;
}

// A click on it does something in the simulator: it reports clicks or opens an entry for typed text.
bool TakesClicks(const TKvdSimButton& b) {
    return b.Clickable() || b.TypeInField();
}

// The width of a caption in a button of that height, measured once per caption and height: the builder
// checks the same layout after every change, and most captions stay as they were.
qreal CaptionWidth(const QString& text, int heightUnits) {
    constexpr qsizetype MaxCached = 4096;
    thread_local QHash<QPair<int, QString>, qreal> widths;
    const QPair<int, QString> key(heightUnits, text);
    auto it = widths.constFind(key);
    if (it == widths.constEnd()) {
        if (widths.size() >= MaxCached)
            widths.clear();
        it = widths.insert(key, SimTextWidth(text, heightUnits * MeasureScale));
    }
    return *it;
}

class Checker {
public:
    explicit Checker(QList<TKvdCheckFinding>& findings) : m_findings(findings) {}

    void Check(const Element& e) {
        const TKvdSimButton& b = e.Button;
        const int id = b.ClickID;
        if (m_ids.contains(id))
            Add(id, QStringLiteral("duplicate-id"), csInformation,
                QStringLiteral(
                    "ID %1 is also used by an earlier element: reading the layout gives this one a "
                    "new ID")
                    .arg(id));
        m_ids.insert(id);
        CheckPlace(e);
        CheckOverlap(b);
        CheckCaption(e);
        CheckInput(e);
        m_elements.append(b);
    }

private:
    void Add(int id, const QString& rule, TKvdCheckSeverity severity, const QString& message) {
        m_findings.append({id, rule, severity, message});
    }

    void CheckPlace(const Element& e) {
        const TKvdSimButton& b = e.Button;
        QStringList wrapped;
        const auto wrap = [&](const char* name, qint64 pixels, quint8 sent) {
            if (!FitsPacket(pixels))
                wrapped
                    << QStringLiteral("%1 %2 is sent as %3").arg(QLatin1String(name)).arg(pixels).arg(sent);
        };
        wrap("left", e.Left, b.Left);
        wrap("top", e.Top, b.Top);
        wrap("width", e.Width, b.Width);
        wrap("height", e.Height, b.Height);
        if (!wrapped.isEmpty()) {
            Add(b.ClickID, QStringLiteral("wraps"), csError,
                QStringLiteral("a button packet holds 0 to 255 units (0 to 511 design pixels): %1, so the "
                               "simulator shows the button elsewhere")
                    .arg(wrapped.join(QStringLiteral(", "))));
            return;
        }
        const int right = b.Left + b.Width;
        const int bottom = b.Top + b.Height;
        if (right > SimScreenUnits || bottom > SimScreenUnits)
            Add(b.ClickID, QStringLiteral("outside"), csWarning,
                QStringLiteral("not wholly inside the %1 x %1 unit button area: it spans units %2 to %3 "
                               "across and %4 to %5 down")
                    .arg(SimScreenUnits)
                    .arg(b.Left)
                    .arg(right)
                    .arg(b.Top)
                    .arg(bottom));
    }

    void CheckOverlap(const TKvdSimButton& b) {
        if (!TakesClicks(b))
            return;
        const QRect area = b.UnitRect();
        for (const TKvdSimButton& earlier : std::as_const(m_elements))
            if (TakesClicks(earlier) && area.intersects(earlier.UnitRect()))
                Add(b.ClickID, QStringLiteral("overlap"), csWarning,
                    QStringLiteral("overlaps clickable button ID %1: which of the two a click on the shared "
                                   "part reaches depends on their order")
                        .arg(earlier.ClickID));
    }

    void CheckCaption(const Element& e) {
        const TKvdSimButton& b = e.Button;
        const qsizetype bytes = e.Text.size() >= CaptionUnits ? CaptionUnits : e.Text.toLocal8Bit().size();
        if (bytes > MaxButtonTextBytes)
            Add(b.ClickID, QStringLiteral("caption-too-long"), csError,
                QStringLiteral(
                    "the caption is longer than the %1 bytes a button packet carries: the simulator "
                    "shows only its first %1")
                    .arg(MaxButtonTextBytes));
        if (b.Text.isEmpty())
            return;
        if (b.Width == 0 || b.Height == 0) {
            Add(b.ClickID, QStringLiteral("caption-cut"), csWarning,
                QStringLiteral("the button has no room for its caption: it is %1 x %2 units")
                    .arg(b.Width)
                    .arg(b.Height));
            return;
        }
        const QRectF pixels(0, 0, b.Width * MeasureScale, b.Height * MeasureScale);
        const qreal width = CaptionWidth(b.Text, b.Height);
        const qreal start = SimTextStart(pixels, b, width, MeasureScale);
        if (start < pixels.left() - CutTolerance || start + width > pixels.right() + CutTolerance)
            Add(b.ClickID, QStringLiteral("caption-cut"), csWarning,
                QStringLiteral(
                    "the caption is %1 design pixels wide and does not fit its %2-pixel button: the "
                    "simulator cuts it off")
                    .arg(qCeil(width))
                    .arg(qRound(pixels.width())));
    }

    void CheckInput(const Element& e) {
        const TKvdSimButton& b = e.Button;
        static const QString ButtonType = QString::fromLatin1(TKvdUIButton::staticMetaObject.className());
        if (e.Type == ButtonType && !TakesClicks(b))
            Add(b.ClickID, QStringLiteral("no-input"), csInformation,
                QStringLiteral("the button takes neither clicks nor typed text: its style byte lacks the "
                               "clickable bit and its type-in length is 0"));
        if (TakesClicks(b) && (b.Width < MinTargetUnits || b.Height < MinTargetUnits))
            Add(b.ClickID, QStringLiteral("small-target"), csInformation,
                QStringLiteral("the button is %1 x %2 units, smaller than the %3 x %3 units a driver hits "
                               "comfortably")
                    .arg(b.Width)
                    .arg(b.Height)
                    .arg(MinTargetUnits));
    }

    QList<TKvdCheckFinding>& m_findings;
    QList<TKvdSimButton> m_elements; // checked so far, in document order
    QSet<int> m_ids;
};

// The values as placeholder pairs, in the order of their names so that the result never depends on the
// order of the hash.
QStringList PlaceholderPairs(const QHash<QString, QString>& values) {
    QStringList names = values.keys();
    std::sort(names.begin(), names.end());
    QStringList pairs;
    for (const QString& name : std::as_const(names))
        pairs << name << values.value(name);
    return pairs;
}

QList<TKvdCheckFinding> CheckLayout(QXmlStreamReader& xml, const QHash<QString, QString>& values) {
    QList<TKvdCheckFinding> findings;
    const QStringList pairs = PlaceholderPairs(values);
    Checker checker(findings);
    QList<QPair<qint64, qint64>> origins{{0, 0}}; // of the elements open at this point of the text
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (xml.name() != LayoutAttr::Element)
            continue;
        if (token == QXmlStreamReader::StartElement) {
            const Element e =
                ReadElement(xml.attributes(), origins.last().first, origins.last().second, pairs);
            checker.Check(e);
            origins.append({e.Left, e.Top});
        } else if (token == QXmlStreamReader::EndElement && origins.size() > 1) {
            origins.removeLast();
        }
    }
    if (xml.hasError()) {
        // Nothing of a layout that cannot be read reaches the simulator.
        findings = {{-1, QStringLiteral("unreadable"), csError,
                     QStringLiteral("%1 (line %2, column %3)")
                         .arg(xml.errorString())
                         .arg(xml.lineNumber())
                         .arg(xml.columnNumber())}};
    }
    return findings;
}

} // namespace

QList<TKvdCheckFinding> CheckLayoutText(const QString& layoutText, const QHash<QString, QString>& values) {
    if (TrimControls(layoutText).isEmpty())
        return {};
    QXmlStreamReader xml(layoutText);
    return CheckLayout(xml, values);
}

QList<TKvdCheckFinding> CheckLayoutBytes(const QByteArray& bytes, const QHash<QString, QString>& values) {
    if (bytes.trimmed().isEmpty())
        return {};
    QXmlStreamReader xml(bytes);
    return CheckLayout(xml, values);
}

QString CheckSeverityName(TKvdCheckSeverity severity) {
    switch (severity) {
    case csInformation:
        return QStringLiteral("information");
    case csWarning:
        return QStringLiteral("warning");
    case csError:
        return QStringLiteral("error");
    }
    return QString();
}
