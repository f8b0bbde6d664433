#include "layout/KvdUIElement.h"

#include "core/Exceptions.h"
#include "core/LayoutElements.h"
#include "layout/KvdUIDocument.h"
#include "layout/KvdUIElementKinds.h"

#include <QEvent>
#include <algorithm>
#include <cmath>

namespace {

// Nearest even value; an odd value lies halfway between two even ones and goes to the one whose half
// is even (1 -> 0, 3 -> 4, 5 -> 4, -3 -> -4).
qint64 roundToEven(int value) {
    return 2 * static_cast<qint64>(std::nearbyint(value / 2.0));
}

// The size a kind's constructor gives its elements.
QRect DefaultBounds(const QMetaObject* kind) {
    const TKvdUIElementKind* entry = ElementKindOf(kind);
    return QRect(QPoint(0, 0), entry ? entry->DefaultSize : QSize());
}

} // namespace

TKvdUIElement::TKvdUIElement(TControl* owner) : TControl(owner) {
    UpdateOpacity();
    CensusAdd();
    if (TKvdUIDocument* document = m_document)
        OnElementChange = [document](TKvdUIElement* element, TKvdUIElementChange kind) {
            document->ElementChanged(element, kind);
        };
}

TKvdUIElement::~TKvdUIElement() {
    Changed(ecDestroying);
    CensusRemove();
}

// The document keeps count of the IDs in use, updated as elements are created, renumbered and destroyed,
// so that the ID rule costs the same for a layout of ten elements as for one of ten thousand.
void TKvdUIElement::CensusAdd() {
    m_document = TKvdUIDocument::Of(Owner());
    if (m_document) {
        ++m_document->m_idCount[m_id];
        if (!m_name.isEmpty())
            m_document->m_names.insert(m_name, this);
    }
}

void TKvdUIElement::CensusRemove() {
    if (m_document) {
        --m_document->m_idCount[m_id];
        if (!m_name.isEmpty())
            m_document->m_names.remove(m_name);
    }
    m_document = nullptr;
}

void TKvdUIElement::Changed(TKvdUIElementChange kind) {
    if (OnElementChange)
        OnElementChange(this, kind);
}

void TKvdUIElement::SetID(quint8 value) {
    if (TKvdUIDocument::Of(Owner()) != m_document) {
        CensusRemove();
        CensusAdd();
    }
    if (m_document) {
        std::array<int, 256>& count = m_document->m_idCount;
        --count[m_id]; // the element itself does not count
        m_id = FreeElementID(value, count);
        ++count[m_id];
    } else {
        // Not part of a document: compare with the elements in the same window.
        std::array<int, 256> count{};
        for (const TKvdUIElement* e : window()->findChildren<TKvdUIElement*>())
            if (e != this && !e->IsDestroying())
                ++count[e->m_id];
        m_id = FreeElementID(value, count);
    }
    update();
    Changed(ecChanged);
}

void TKvdUIElement::SetText(const QString& value) {
    m_text = value;
    update();
    Changed(ecChanged);
}

void TKvdUIElement::SetElementName(const QString& value) {
    if (value == m_name)
        return;
    if (!value.isEmpty() && !IsElementName(value))
        throw EConvertError(QStringLiteral("'%1' is not a valid element name: a name starts with a letter or "
                                           "\"_\", goes on with letters, digits and \"_\" and is at most %2 "
                                           "characters long")
                                .arg(value)
                                .arg(MaxElementNameBytes));
    if (m_document && !value.isEmpty())
        if (const TKvdUIElement* other = m_document->m_names.value(value); other && other != this)
            throw EComponentError(QStringLiteral("The name %1 is already used by the element with ID %2")
                                      .arg(value)
                                      .arg(other->ID()));
    if (m_document) {
        m_document->m_names.remove(m_name);
        if (!value.isEmpty())
            m_document->m_names.insert(value, this);
    }
    m_name = value;
    Changed(ecChanged);
}

void TKvdUIElement::TakeElementName(const QString& value) {
    SetElementName(IsElementName(value) ? FreeElementName(value) : QString());
}

QString TKvdUIElement::FreeElementName(const QString& base) const {
    if (base.isEmpty() || !m_document)
        return base;
    const auto taken = [this](const QString& name) {
        const TKvdUIElement* other = m_document->m_names.value(name);
        return other && other != this;
    };
    if (!taken(base))
        return base;
    // A base that already ends in _N counts on from it: fuel_plus_2 -> fuel_plus_3.
    QString stem = base;
    int number = 2;
    if (const qsizetype cut = base.lastIndexOf(QLatin1Char('_')); cut > 0) {
        const QStringView digits = QStringView(base).mid(cut + 1);
        const bool plain = !digits.isEmpty() && digits.size() <= 6 && digits.front() != QLatin1Char('0') &&
                           std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
        const int n = plain ? digits.toInt() : 0;
        if (n >= 2) {
            stem = base.left(cut);
            number = n + 1;
        }
    }
    for (;; ++number) {
        const QString suffix = QStringLiteral("_%1").arg(number);
        const QString name = stem.left(MaxElementNameBytes - suffix.size()) + suffix;
        if (!taken(name))
            return name;
    }
}

void TKvdUIElement::SetInputLength(quint8 value) {
    m_inputLength = value;
    update();
    Changed(ecChanged);
}

void TKvdUIElement::SetAlignment(TAlignment value) {
    m_alignment = value;
    update();
    Changed(ecChanged);
}

void TKvdUIElement::SetStyle(TKvdUIStyle value) {
    m_style = value;
    UpdateOpacity();
    update();
    Changed(ecChanged);
}

void TKvdUIElement::SetBounds(int left, int top, int width, int height) {
    // 64-bit arithmetic: hand-edited files can hold values near the integer limits.
    qint64 l = roundToEven(left), t = roundToEven(top);
    qint64 w = 2 * (width / 2), h = 2 * (height / 2);
    if (QWidget* parent = parentWidget()) {
        const auto* parentControl = qobject_cast<const TControl*>(parent);
        const qint64 pw = parentControl ? std::max(0, parentControl->Width()) : parent->width();
        const qint64 ph = parentControl ? std::max(0, parentControl->Height()) : parent->height();
        w = std::clamp<qint64>(w, 0, pw);
        h = std::clamp<qint64>(h, 0, ph);
        if (l < 0)
            l = 0;
        else if (l + w > pw)
            l = pw - w;
        if (t < 0)
            t = 0;
        else if (t + h > ph)
            t = ph - h;
    }
    const QRect rect{int(l), int(t), int(w), int(h)};
    const bool changed = rect != BoundsRect();
    ApplyBounds(rect);
    if (changed)
        Changed(ecChanged);
}

quint8 TKvdUIElement::EncodeBStyle() const {
    quint8 flags = 0;
    if (m_clickable)
        flags |= bsClickable;
    if (m_style == stLight)
        flags |= bsLight;
    else if (m_style == stDark)
        flags |= bsDark;
    if (m_alignment == taLeftJustify)
        flags |= bsLeft;
    else if (m_alignment == taRightJustify)
        flags |= bsRight;
    return flags;
}

void TKvdUIElement::DecodeBStyle(quint8 value) {
    if (value & bsDark)
        m_style = stDark;
    else if (value & bsLight)
        m_style = stLight;
    else
        m_style = stTransparent;
    UpdateOpacity();
    if (value & bsLeft)
        m_alignment = taLeftJustify;
    else if (value & bsRight)
        m_alignment = taRightJustify;
    else
        m_alignment = taCenter;
}

QString TKvdUIElement::KindWord() const {
    return QString::fromLatin1(metaObject()->className()).mid(6).toUpper();
}

bool TKvdUIElement::event(QEvent* event) {
    const bool result = TControl::event(event);
    // Getting a parent is when the element's window comes to exist on the surface.
    if (event->type() == QEvent::ParentChange && parentWidget())
        Changed(ecCreated);
    return result;
}

TKvdUIPanel::TKvdUIPanel(TControl* owner) : TKvdUIElement(owner) {
    SetAcceptsControls(true);
    ApplyBounds(DefaultBounds(&staticMetaObject));
}

TKvdUIButton::TKvdUIButton(TControl* owner) : TKvdUIElement(owner) {
    m_clickable = true;
    ApplyBounds(DefaultBounds(&staticMetaObject));
    SetTextDirect(QStringLiteral("BUTTON"));
}

TKvdUIText::TKvdUIText(TControl* owner) : TKvdUIElement(owner) {
    ApplyBounds(DefaultBounds(&staticMetaObject));
    SetTextDirect(QStringLiteral("TEXT"));
    SetAlignment(taLeftJustify);
    SetStyle(stTransparent);
}
