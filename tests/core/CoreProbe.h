#pragma once
// A control with published properties of each kind the component model handles (a captioned string, an
// enumeration and a set with streaming defaults, byte, boolean, float, 64-bit integer, a component
// reference and a read-only value), for the core tests. Most of them are kept in public members that the
// checks set and read directly.

#include "core/Control.h"

namespace Probe {
Q_NAMESPACE
enum TKind { kdFirst, kdSecond, kdThird };
Q_ENUM_NS(TKind)
} // namespace Probe

class TProbe : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_CLASSINFO("type:Caption", "TCaption")
    Q_PROPERTY(Probe::TKind Kind MEMBER Kind)
    Q_CLASSINFO("default:Kind", "kdSecond")
    Q_PROPERTY(Kvd::TAnchors Anchors READ Anchors WRITE SetAnchors)
    Q_CLASSINFO("default:Anchors", "akLeft,akTop")
    Q_PROPERTY(quint8 Small MEMBER Small)
    Q_PROPERTY(bool Flag MEMBER Flag)
    Q_CLASSINFO("default:Flag", "False")
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(qint64 Big MEMBER Big)
    Q_PROPERTY(TControl* Buddy MEMBER Buddy)
    Q_PROPERTY(int Counter READ Counter)

public:
    explicit TProbe(TControl* owner = nullptr) : TControl(owner) { SetAcceptsControls(true); }
    int Counter() const { return 7; }

    QString Caption;
    Probe::TKind Kind = Probe::kdSecond;
    quint8 Small = 0;
    bool Flag = false;
    double Ratio = 0;
    qint64 Big = 0;
    TControl* Buddy = nullptr;
};
