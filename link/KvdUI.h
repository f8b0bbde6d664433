#pragma once
// TKvdUI: turns layout text into buttons on the simulator's screen (one button packet per "element"
// node, in document order) and the simulator's button reports back into OnEvent. It keeps no record of
// what it sent: every call describes the complete wanted state of the buttons it names.

#include "core/LayoutElements.h"
#include "link/KvdDromo.h"

#include <QStringList>

// (Sender, ClickID, CFlags, Text).
using TKvdButtonEvent =
    std::function<void(QObject* Sender, quint8 ClickID, quint8 CFlags, const QString& Text)>;

// The values of one button packet.
struct TKvdButton {
    explicit TKvdButton(bool autoFree) : AutoFree(autoFree) {}

    bool AutoFree;
    quint8 TypeIn = 0;
    quint8 ClickID = 0;
    quint8 Width = 0;
    quint8 Height = 0;
    quint8 Top = 0;
    quint8 Left = 0;
    quint8 BStyle = 0;
    QString Text;
};

// The button of one element: its numbers in 8 bits, position and size halved into simulator units, the
// text with Args filled in and cut to what a packet can carry. An odd number of Args raises EKvdLink.
TKvdButton ButtonOf(const TLayoutElement& element, const QStringList& Args);

// The wire values of Button's packet: the text in the local 8-bit encoding, Target at offset 3.
Dromo::ButtonRecord ButtonRecordOf(const TKvdButton& Button, quint8 Target);

class TKvdUI : public TKvdDromoSubscriber {
    Q_OBJECT

public:
    explicit TKvdUI(QObject* owner = nullptr);
    ~TKvdUI() override;

    TKvdButtonEvent OnEvent;

    // Sends a button for every "element" node of the layout text, parents before their children.
    // Args holds (placeholder name, replacement) pairs for the button texts; Target goes to offset 3.
    // Text that is not well-formed XML raises EKvdLink and sends nothing.
    void ShowLayout(const QString& XML, const QStringList& Args = {}, quint8 Target = 0);
    // Builds and sends one button packet; destroys the button afterwards when its AutoFree is set.
    void SendButton(TKvdButton* Button, quint8 Target);
    void DeleteButtons(quint8 SubCode, quint8 ClickID, quint8 ClickMax, quint8 Target);

    void HandlePacket(const TKvdPacket& packet) override;

    // The button packets ShowLayout would send for that layout, size and type bytes stamped for
    // sizeUnit: the same bytes without a connection.
    static QList<QByteArray> LayoutPackets(const QString& XML, const QStringList& Args, quint8 Target,
                                           quint8 sizeUnit);

private:
    // The button of every "element" node in document order (parents before their children).
    static QList<TKvdButton> ReadButtons(const QString& XML, const QStringList& Args);
};

// Replaces each placeholder named in Args (pairs of name and replacement) in Text, ignoring letter
// case. A name is trimmed, cut at its first "=" and wrapped in braces when it lacks them. Raises
// EKvdLink "Args array must have an even number of elements" for an odd number of values. With Limit
// of 0 or more only the first Limit characters of the result are made, and only the work they need.
QString ExpandPlaceholders(const QString& Text, const QStringList& Args, qsizetype Limit = -1);
