#pragma once
// The fields of a button packet (type 45) that come before its text, where they stand in the packet, and
// the bits of its style byte. The link builds and reads button packets and the renderer draws from the
// same fields; both take them from here, so that the renderer needs nothing of the link.
// Header-only and Qt Core only.

#include <QtGlobal>

// Bits of the button style byte.
enum TKvdSimStyleBit : quint8 {
    sbClickable = 0x08,
    sbLight = 0x10,
    sbDark = 0x20,
    sbLeft = 0x40,
    sbRight = 0x80,
};

// The type byte of a button packet, and the longest packet (its size byte counts 4-byte units).
constexpr quint8 ButtonPacketType = 45;
constexpr int MaxButtonPacketBytes = 256;

// Offsets in the button packet; the size byte at 0, the type at 1, the text at Size, right after the head.
namespace ButtonHead {
constexpr int SizeByte = 0;
constexpr int Type = 1;
constexpr int Target = 3;
constexpr int ClickID = 4;
constexpr int BStyle = 6;
constexpr int TypeIn = 7;
constexpr int Left = 8;
constexpr int Top = 9;
constexpr int Width = 10;
constexpr int Height = 11;
constexpr int Size = 12;
} // namespace ButtonHead

// The longest text a button packet carries, in 8-bit characters; a longer text is sent cut to it.
constexpr int MaxButtonTextBytes = 240;

struct TKvdButtonFields {
    quint8 Target = 0;
    quint8 ClickID = 0;
    quint8 BStyle = 0;
    quint8 TypeIn = 0; // longest text the driver may type in; 0 for none
    quint8 Left = 0;   // position and size in simulator units
    quint8 Top = 0;
    quint8 Width = 0;
    quint8 Height = 0;

    // The fields of a button packet of that length; a field past the packet's end reads as 0.
    static TKvdButtonFields Read(const quint8* packet, int length) {
        const auto at = [&](int offset) { return offset < length ? packet[offset] : quint8(0); };
        TKvdButtonFields fields;
        fields.Target = at(ButtonHead::Target);
        fields.ClickID = at(ButtonHead::ClickID);
        fields.BStyle = at(ButtonHead::BStyle);
        fields.TypeIn = at(ButtonHead::TypeIn);
        fields.Left = at(ButtonHead::Left);
        fields.Top = at(ButtonHead::Top);
        fields.Width = at(ButtonHead::Width);
        fields.Height = at(ButtonHead::Height);
        return fields;
    }
    // Writes the fields into a packet head of ButtonHead::Size bytes.
    void Write(quint8* packet) const {
        packet[ButtonHead::Target] = Target;
        packet[ButtonHead::ClickID] = ClickID;
        packet[ButtonHead::BStyle] = BStyle;
        packet[ButtonHead::TypeIn] = TypeIn;
        packet[ButtonHead::Left] = Left;
        packet[ButtonHead::Top] = Top;
        packet[ButtonHead::Width] = Width;
        packet[ButtonHead::Height] = Height;
    }
};
