#pragma once
// Layout elements: the panels, buttons and text labels of a layout. Each stands for one button on the
// simulator's screen. Their setters store without comparing and always notify, so the main window
// sees every assignment; every change of position or size passes the even-pixel bounds rules.

#include "core/Control.h"
#include "simview/KvdSimButton.h"

#include <QColor>
#include <QFont>
#include <functional>

class QBrush;
class QPainter;
class TKvdUIDocument;

namespace KvdUI {
Q_NAMESPACE
enum TKvdUIStyle { stDark, stLight, stTransparent };
Q_ENUM_NS(TKvdUIStyle)
} // namespace KvdUI

using KvdUI::TKvdUIStyle;
using enum KvdUI::TKvdUIStyle; // stDark, stLight, stTransparent

enum TKvdUIElementChange { ecCreated = 0, ecDestroying = 1, ecChanged = 2 };

class TKvdUIElement;
using TKvdUIElementChangeEvent = std::function<void(TKvdUIElement* Sender, TKvdUIElementChange Kind)>;

// Bits of the style-flags byte stored in the file ("bstyle") and sent in button packets: the bits of the
// button packet's style byte.
enum TKvdUIStyleFlag : quint8 {
    bsClickable = sbClickable,
    bsLight = sbLight,
    bsDark = sbDark,
    bsLeft = sbLeft,
    bsRight = sbRight,
};

class TKvdUIElement : public TControl {
    Q_OBJECT
    Q_PROPERTY(Kvd::TAlign Align READ Align WRITE SetAlign)
    Q_CLASSINFO("default:Align", "alNone")
    Q_PROPERTY(Kvd::TAnchors Anchors READ Anchors WRITE SetAnchors)
    Q_CLASSINFO("default:Anchors", "akLeft,akTop")
    Q_PROPERTY(KvdUI::TKvdUIStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(quint8 ID READ ID WRITE SetID)
    // Carried through the clipboard, so that a copy is named after its original; the inspector does not
    // list it (the window's Name row edits it).
    Q_PROPERTY(QString ElementName READ ElementName WRITE TakeElementName)

    // The document switches the look of its elements.
    friend class TKvdUIDocument;

public:
    explicit TKvdUIElement(TControl* owner = nullptr);
    ~TKvdUIElement() override;

    quint8 ID() const { return m_id; }
    // Applies the ID rule (FreeElementID): a value held by another element of the layout becomes the
    // highest ID in use plus one, or past 255 the lowest free one.
    void SetID(quint8 value);
    QString Text() const { return m_text; }
    void SetText(const QString& value);
    // The name a program refers to the element by; empty for none. Names are unique in a layout.
    QString ElementName() const { return m_name; }
    // Raises EConvertError when value is neither empty nor an element name (IsElementName), and
    // EComponentError when another element of the layout has it.
    void SetElementName(const QString& value);
    // base when no other element of the layout has it, else the first free of base_2, base_3 ...
    // (shortened to stay a name); empty for an empty base.
    QString FreeElementName(const QString& base) const;
    // The name for a copy or a read element: value when free, else a free one made from it; a value that
    // is not a name leaves the element unnamed. Never raises.
    void TakeElementName(const QString& value);
    quint8 InputLength() const { return m_inputLength; }
    void SetInputLength(quint8 value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment value);
    TKvdUIStyle Style() const { return m_style; }
    void SetStyle(TKvdUIStyle value);
    bool Clickable() const { return m_clickable; }
    QColor BorderColor() const { return m_borderColor; }
    QColor Color() const { return m_color; }

    // Bound at construction to the document of the element's owner, if it has one.
    TKvdUIElementChangeEvent OnElementChange;

    // Even-pixel bounds rules; ecChanged when any of the four values changed.
    void SetBounds(int left, int top, int width, int height) override;

    quint8 EncodeBStyle() const;
    // Applies the alignment and style bits directly: no repaint, no notification.
    void DecodeBStyle(quint8 value);

    // The class name without its "TKvdUI" prefix, upper case: PANEL, BUTTON, TEXT.
    QString KindWord() const;

    // Whether the element is drawn as the simulator shows its button: its document's simulator look.
    bool SimulatorLook() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Draws the identification picture where it is exposed. The default is the one of buttons and text
    // labels: a plain frame and "KIND ID" aligned like the text; a kind that looks different overrides it.
    virtual void Paint(QPainter& painter, const QRegion& exposed);
    // Fills the client area with the element's colour and outlines it, filled with the brush.
    void PaintFrame(QPainter& painter, const QBrush& brush);
    // One line in the design surface's small bold font inside the frame, cut with an ellipsis; left out
    // when the exposed region does not reach it.
    void PaintCaption(QPainter& painter, const QRegion& exposed, const QString& caption,
                      Qt::Alignment alignment);
    // The element's button as the simulator shows it.
    void PaintSimulatorLook(QPainter& painter);
    void Changed(TKvdUIElementChange kind);
    // Constructors set their kind's caption without notifying.
    void SetTextDirect(const QString& value) { m_text = value; }

    bool m_clickable = false;

private:
    // Transparent elements in the simulator look let what lies under them show through.
    void UpdateOpacity();
    void CensusAdd();
    void CensusRemove();

    // The document whose ID census counts this element's ID.
    TKvdUIDocument* m_document = nullptr;
    quint8 m_id = 0;
    QColor m_borderColor = Qt::black;
    QColor m_color = QColor(239, 239, 239);
    QString m_text;
    QString m_name;
    // The caption as last cut to fit, with what it was cut for: laying it out again is the larger part of
    // repainting a small element.
    struct ElidedCaption {
        QString Caption;
        QFont Font;
        int Width = -1;
        QString Elided;
    } m_elided;
    quint8 m_inputLength = 0;
    TAlignment m_alignment = taCenter;
    TKvdUIStyle m_style = stDark;
};

class TKvdUIPanel : public TKvdUIElement {
    Q_OBJECT
public:
    explicit TKvdUIPanel(TControl* owner = nullptr);

protected:
    // A silver hatch over the colour, and the kind word alone at the top left.
    void Paint(QPainter& painter, const QRegion& exposed) override;
};

class TKvdUIButton : public TKvdUIElement {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_CLASSINFO("type:Text", "TCaption")
    Q_PROPERTY(quint8 InputLength READ InputLength WRITE SetInputLength)
    Q_PROPERTY(Kvd::TAlignment Alignment READ Alignment WRITE SetAlignment)
public:
    explicit TKvdUIButton(TControl* owner = nullptr);
};

class TKvdUIText : public TKvdUIElement {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_CLASSINFO("type:Text", "TCaption")
    Q_PROPERTY(Kvd::TAlignment Alignment READ Alignment WRITE SetAlignment)
public:
    explicit TKvdUIText(TControl* owner = nullptr);
};

// Registers the three element kinds by class name, for the layout reader and the clipboard. Safe to
// call more than once.
void RegisterElementClasses();
