#include "simview/KvdSimButton.h"

std::optional<TKvdSimButton> TKvdSimButton::FromPacket(const QByteArray& packet, int sizeUnit) {
    const qsizetype length = packet.size();
    if (length < ButtonHead::Size || length > MaxButtonPacketBytes || sizeUnit < 1)
        return std::nullopt;
    const auto byte = [&packet](int offset) { return quint8(packet.at(offset)); };
    if (byte(ButtonHead::Type) != ButtonPacketType ||
        qsizetype(byte(ButtonHead::SizeByte)) * sizeUnit != length)
        return std::nullopt;
    TKvdSimButton b;
    static_cast<TKvdButtonFields&>(b) =
        TKvdButtonFields::Read(reinterpret_cast<const quint8*>(packet.constData()), int(length));
    const QByteArray rest = packet.mid(ButtonHead::Size);
    const qsizetype end = rest.indexOf('\0');
    b.Text = QString::fromLocal8Bit(end < 0 ? rest : rest.left(end));
    return b;
}

Qt::Alignment TKvdSimButton::HorizontalAlignment() const {
    if (BStyle & sbLeft)
        return Qt::AlignLeft;
    if (BStyle & sbRight)
        return Qt::AlignRight;
    return Qt::AlignHCenter;
}

void PlaceSimButton(QList<TKvdSimButton>& shown, const TKvdSimButton& button) {
    for (TKvdSimButton& b : shown) {
        if (b.ClickID == button.ClickID) {
            b = button;
            return;
        }
    }
    shown.append(button);
}
