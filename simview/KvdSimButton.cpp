#include "simview/KvdSimButton.h"

namespace {
constexpr int ButtonType = 45;
constexpr int HeadSize = 12;
constexpr int MaxPacket = 256;
} // namespace

std::optional<TKvdSimButton> TKvdSimButton::FromPacket(const QByteArray& packet, int sizeUnit) {
    const qsizetype length = packet.size();
    if (length < HeadSize || length > MaxPacket || sizeUnit < 1)
        return std::nullopt;
    const auto byte = [&packet](int offset) { return quint8(packet.at(offset)); };
    if (byte(1) != ButtonType || qsizetype(byte(0)) * sizeUnit != length)
        return std::nullopt;
    TKvdSimButton b;
    b.Target = byte(3);
    b.ClickID = byte(4);
    b.BStyle = byte(6);
    b.TypeIn = byte(7);
    b.Left = byte(8);
    b.Top = byte(9);
    b.Width = byte(10);
    b.Height = byte(11);
    const QByteArray rest = packet.mid(HeadSize);
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
