#include "layout/KvdUILayoutChecks.h"

#include "core/ButtonFields.h"
#include "core/LayoutElements.h"
#include "core/Placeholders.h"
#include "layout/KvdUIClickAreas.h"
#include "layout/KvdUIElement.h"
#include "simview/KvdSimPaint.h"

#include <QRect>
#include <QtMath>

#include <algorithm>
#include <bitset>
#include <vector>

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
    QString Name;
    QString Text; // placeholders filled in, at most CaptionUnits characters
    TKvdSimButton Button;
};

// Design pixels to the units a button packet carries: halved toward zero, low 8 bits.
quint8 PacketUnits(qint64 pixels) {
    return quint8((pixels / 2) & 0xFF);
}

// The length of a caption in the 8-bit encoding of button packets (UTF-8, at most three bytes a character
// of 16 bits), or CaptionUnits when it is at least that long.
qsizetype TextBytes(const QString& text) {
    if (text.size() >= CaptionUnits)
        return CaptionUnits;
    if (text.size() * 3 <= MaxButtonTextBytes)
        return text.size(); // short enough to fit whatever it holds
    return text.toLocal8Bit().size();
}

bool FitsPacket(qint64 pixels) {
    const qint64 units = pixels / 2;
    return units >= 0 && units <= 255;
}

// The element of a node as the checks see it. Its place is where the layout reader puts it (its position
// relative to its parent): in the writer's text that is the absolute position the preview sends, and a
// hand-made file may hold other values there.
Element CheckedElement(const TLayoutElement& node, const QStringList& values) {
    Element e;
    e.Left = node.PlacedLeft;
    e.Top = node.PlacedTop;
    e.Width = node.Width;
    e.Height = node.Height;
    e.Type = node.Kind;
    e.Name = node.Name;
    e.Text = ReplacePlaceholders(node.Text, values, CaptionUnits);
    TKvdSimButton& b = e.Button;
    b.ClickID = quint8(node.ID & 0xFF);
    b.BStyle = quint8(node.BStyle & 0xFF);
    b.TypeIn = quint8(node.TypeIn & 0xFF);
    b.Left = PacketUnits(e.Left);
    b.Top = PacketUnits(e.Top);
    b.Width = PacketUnits(e.Width);
    b.Height = PacketUnits(e.Height);
    // What the simulator shows: the text cut to what the packet carries, read back in the same encoding.
    b.Text = e.Text;
    if (TextBytes(e.Text) > MaxButtonTextBytes)
        b.Text = QString::fromLocal8Bit(e.Text.toLocal8Bit().left(MaxButtonTextBytes));
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

// Overlaps of one element reported one by one; the rest are summed up in one finding.
constexpr int MaxOverlapFindings = 8;

class Checker {
public:
    explicit Checker(QList<TKvdCheckFinding>& findings) : m_findings(findings) {}

    void Check(const Element& e) {
        const TKvdSimButton& b = e.Button;
        const int id = b.ClickID;
        // A clash with an earlier element's ID in the file; the reader's ID rule, followed element by
        // element, says whether a free ID is left to move it to.
        const quint8 given = FreeElementID(quint8(id), m_idCount);
        if (given == id && m_idCount[size_t(id)] > 0)
            Add(id, QStringLiteral("duplicate-id"), TKvdCheckSeverity::Error,
                QStringLiteral(
                    "ID %1 is also used by an earlier element, and every ID from 0 to 255 is in use: "
                    "both keep it, and the simulator shows only one of them")
                    .arg(id));
        else if (m_ids.test(size_t(id)))
            Add(id, QStringLiteral("duplicate-id"), TKvdCheckSeverity::Information,
                QStringLiteral(
                    "ID %1 is also used by an earlier element: reading the layout gives this one a "
                    "new ID")
                    .arg(id));
        ++m_idCount[given];
        m_ids.set(size_t(id));
        CheckName(e);
        CheckPlace(e);
        CheckOverlap(b);
        CheckCaption(e);
        CheckInput(e);
    }

private:
    void Add(int id, const QString& rule, TKvdCheckSeverity severity, const QString& message) {
        m_findings.append({id, rule, severity, message});
    }

    void CheckName(const Element& e) {
        if (e.Name.isEmpty())
            return;
        const int id = e.Button.ClickID;
        if (!IsElementName(e.Name)) {
            Add(id, QStringLiteral("invalid-name"), TKvdCheckSeverity::Error,
                QStringLiteral(
                    "\"%1\" is not a valid element name (a letter or \"_\", then letters, digits or "
                    "\"_\", at most %2 characters): reading the layout leaves it out")
                    .arg(e.Name)
                    .arg(MaxElementNameBytes));
            return;
        }
        const auto earlier = m_names.constFind(e.Name);
        if (earlier != m_names.constEnd()) {
            Add(id, QStringLiteral("duplicate-name"), TKvdCheckSeverity::Error,
                QStringLiteral("the name %1 is also used by the element with ID %2: programs cannot tell the "
                               "two apart, and reading the layout gives this one another name")
                    .arg(e.Name)
                    .arg(*earlier));
            return;
        }
        m_names.insert(e.Name, id);
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
            Add(b.ClickID, QStringLiteral("wraps"), TKvdCheckSeverity::Error,
                QStringLiteral("a button packet holds 0 to 255 units (0 to 511 design pixels): %1, so the "
                               "simulator shows the button elsewhere")
                    .arg(wrapped.join(QStringLiteral(", "))));
            return;
        }
        const int right = b.Left + b.Width;
        const int bottom = b.Top + b.Height;
        if (right > SimScreenUnits || bottom > SimScreenUnits)
            Add(b.ClickID, QStringLiteral("outside"), TKvdCheckSeverity::Warning,
                QStringLiteral("not wholly inside the %1 x %1 unit button area: it spans units %2 to %3 "
                               "across and %4 to %5 down")
                    .arg(SimScreenUnits)
                    .arg(b.Left)
                    .arg(right)
                    .arg(b.Top)
                    .arg(bottom));
    }

    void CheckOverlap(const TKvdSimButton& b) {
        if (!TakesClicks(b) || b.Width == 0 || b.Height == 0) // nothing to click on an empty area
            return;
        // The first few overlaps are reported one by one, the rest in one summary, so that a pile of
        // buttons gives findings in proportion to the buttons, not to their pairs.
        const TClickAreas::Overlap overlap = m_areas.Add(
            {b.Left, b.Top, b.Left + b.Width, b.Top + b.Height, b.ClickID}, 2 * MaxOverlapFindings);
        const qsizetype shown = std::min<qsizetype>(overlap.First.size(), MaxOverlapFindings);
        for (qsizetype i = 0; i < shown; ++i)
            Add(b.ClickID, QStringLiteral("overlap"), TKvdCheckSeverity::Warning,
                QStringLiteral("overlaps clickable button ID %1: which of the two a click on the shared "
                               "part reaches depends on their order")
                    .arg(overlap.First[size_t(i)]));
        if (overlap.Count > MaxOverlapFindings) {
            const int rest = overlap.Count - MaxOverlapFindings;
            QStringList more;
            for (size_t i = size_t(shown); i < overlap.First.size(); ++i)
                more << QString::number(overlap.First[i]);
            Add(b.ClickID, QStringLiteral("overlap"), TKvdCheckSeverity::Warning,
                QStringLiteral("overlaps %1 more clickable buttons (IDs %2%3): which of them a click on the "
                               "shared part reaches depends on their order")
                    .arg(rest)
                    .arg(more.join(QStringLiteral(", ")),
                         rest > more.size() ? QStringLiteral(" …") : QString()));
        }
    }

    void CheckCaption(const Element& e) {
        const TKvdSimButton& b = e.Button;
        if (TextBytes(e.Text) > MaxButtonTextBytes)
            Add(b.ClickID, QStringLiteral("caption-too-long"), TKvdCheckSeverity::Error,
                QStringLiteral(
                    "the caption is longer than the %1 bytes a button packet carries: the simulator "
                    "shows only its first %1")
                    .arg(MaxButtonTextBytes));
        if (b.Text.isEmpty())
            return;
        if (b.Width == 0 || b.Height == 0) {
            Add(b.ClickID, QStringLiteral("caption-cut"), TKvdCheckSeverity::Warning,
                QStringLiteral("the button has no room for its caption: it is %1 x %2 units")
                    .arg(b.Width)
                    .arg(b.Height));
            return;
        }
        const QRectF pixels(0, 0, b.Width * MeasureScale, b.Height * MeasureScale);
        const qreal width = CaptionWidth(b.Text, b.Height);
        const qreal start = SimTextStart(pixels, b, width, MeasureScale);
        if (start < pixels.left() - CutTolerance || start + width > pixels.right() + CutTolerance)
            Add(b.ClickID, QStringLiteral("caption-cut"), TKvdCheckSeverity::Warning,
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
            Add(b.ClickID, QStringLiteral("no-input"), TKvdCheckSeverity::Information,
                QStringLiteral("the button takes neither clicks nor typed text: its style byte lacks the "
                               "clickable bit and its type-in length is 0"));
        if (TakesClicks(b) && (b.Width < MinTargetUnits || b.Height < MinTargetUnits))
            Add(b.ClickID, QStringLiteral("small-target"), TKvdCheckSeverity::Information,
                QStringLiteral("the button is %1 x %2 units, smaller than the %3 x %3 units a driver hits "
                               "comfortably")
                    .arg(b.Width)
                    .arg(b.Height)
                    .arg(MinTargetUnits));
    }

    QList<TKvdCheckFinding>& m_findings;
    TClickAreas m_areas;              // of the buttons checked so far
    std::bitset<256> m_ids;           // the IDs as the file gives them
    std::array<int, 256> m_idCount{}; // elements holding each ID as the reader gives them
    QHash<QString, int> m_names;      // the ID of the first element of each name
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

// The findings of the elements read, or the one "unreadable" error when the text did not read: nothing of a
// layout that cannot be read reaches the simulator.
QList<TKvdCheckFinding> CheckElements(bool read, const std::vector<TLayoutElement>& elements,
                                      const QString& error, const QHash<QString, QString>& values) {
    if (!read)
        return {{-1, QStringLiteral("unreadable"), TKvdCheckSeverity::Error, error}};
    const QStringList pairs = PlaceholderPairs(values);
    QList<TKvdCheckFinding> findings;
    Checker checker(findings);
    for (const TLayoutElement& node : elements)
        checker.Check(CheckedElement(node, pairs));
    return findings;
}

// Gives the elements of a file the numbers and the caption the builder's reader left them (asRead), keeping
// their IDs and names as written. The reader leaves out elements of unknown kinds with everything inside
// them, so asRead is the file's elements with those gaps; an element left out keeps what it says.
void TakeReadNumbers(std::vector<TLayoutElement>& written, const std::vector<TLayoutElement>& asRead) {
    size_t next = 0;
    int leftOutDepth = -1; // of the element left out whose children are being passed over
    for (TLayoutElement& e : written) {
        if (leftOutDepth >= 0 && e.Depth > leftOutDepth)
            continue;
        leftOutDepth = -1;
        if (next >= asRead.size() || asRead[next].Kind != e.Kind || asRead[next].Depth != e.Depth) {
            leftOutDepth = e.Depth;
            continue;
        }
        const TLayoutElement& r = asRead[next++];
        e.PlacedLeft = r.PlacedLeft;
        e.PlacedTop = r.PlacedTop;
        e.Width = r.Width;
        e.Height = r.Height;
        e.BStyle = r.BStyle;
        e.TypeIn = r.TypeIn;
        e.Text = r.Text;
    }
}

} // namespace

QList<TKvdCheckFinding> CheckLayoutText(const QString& layoutText, const QHash<QString, QString>& values) {
    std::vector<TLayoutElement> elements;
    QString error;
    const bool read = ReadLayoutElements(layoutText, elements, error);
    return CheckElements(read, elements, error, values);
}

QList<TKvdCheckFinding> CheckLayoutBytes(const QByteArray& bytes, const QHash<QString, QString>& values,
                                         const QString& readText) {
    std::vector<TLayoutElement> elements;
    QString error;
    bool read = ReadLayoutElements(bytes, elements, error);
    if (read && !readText.isEmpty()) {
        std::vector<TLayoutElement> asRead;
        read = ReadLayoutElements(readText, asRead, error);
        TakeReadNumbers(elements, asRead);
    }
    return CheckElements(read, elements, error, values);
}
QString CheckSeverityName(TKvdCheckSeverity severity) {
    switch (severity) {
    case TKvdCheckSeverity::Information:
        return QStringLiteral("information");
    case TKvdCheckSeverity::Warning:
        return QStringLiteral("warning");
    case TKvdCheckSeverity::Error:
        return QStringLiteral("error");
    }
    return QString();
}
