#pragma once
// One button as the simulator holds it: the fields of a button packet (type 45), in simulator units.

#include "core/ButtonFields.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <optional>

// The 200 x 200 unit area of the simulator's screen in which buttons are placed.
constexpr int SimScreenUnits = 200;

struct TKvdSimButton : TKvdButtonFields {
    QString Text; // decoded from the packet's 8-bit text with the local 8-bit encoding

    // Reads a whole received button packet. sizeUnit is the connection's size unit (4 from protocol
    // version 9 on, else 1). Returns nothing when the type byte is not 45, the packet is shorter than
    // its 12-byte head or longer than 256 bytes, or its size byte does not give its length. The text
    // ends at the first zero byte, or at the end of the packet when there is none.
    static std::optional<TKvdSimButton> FromPacket(const QByteArray& packet, int sizeUnit = 4);

    bool Clickable() const { return BStyle & sbClickable; }
    bool TypeInField() const { return TypeIn > 0; }
    // Dark wins when both background bits are set; neither means transparent.
    bool DarkBackground() const { return BStyle & sbDark; }
    bool LightBackground() const { return !(BStyle & sbDark) && (BStyle & sbLight); }
    bool Transparent() const { return !(BStyle & (sbDark | sbLight)); }
    // Left wins when both alignment bits are set; neither means centred.
    Qt::Alignment HorizontalAlignment() const;
    QRect UnitRect() const { return QRect(Left, Top, Width, Height); }
};

// Shows button among shown as the simulator does: it replaces the button of the same click id where
// that one stood, else it goes on top of the others.
void PlaceSimButton(QList<TKvdSimButton>& shown, const TKvdSimButton& button);
