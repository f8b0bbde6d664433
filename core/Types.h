#pragma once
// Enumerations of the component model. They live in a Q_NAMESPACE so that their names
// ("alNone", "akLeft", "taCenter") come from Qt's reflection and never from hand-written tables.

#include <QFlags>
#include <QObject>

namespace Kvd {
Q_NAMESPACE

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
Q_ENUM_NS(TAlign)

// Set elements are declared as bit values 1 << ordinal, so a set is stored as the mask of its elements.
enum TAnchorKind { akLeft = 0x1, akTop = 0x2, akRight = 0x4, akBottom = 0x8 };
Q_DECLARE_FLAGS(TAnchors, TAnchorKind)
Q_FLAG_NS(TAnchors)

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)

enum THelpType { htKeyword, htContext };
Q_ENUM_NS(THelpType)

} // namespace Kvd

Q_DECLARE_OPERATORS_FOR_FLAGS(Kvd::TAnchors)

using Kvd::TAlign;
using Kvd::TAlignment;
using Kvd::TAnchorKind;
using Kvd::TAnchors;
using Kvd::THelpType;
// The enumerator names (alNone, akLeft, taCenter) are used unqualified throughout.
using enum Kvd::TAlign;
using enum Kvd::TAnchorKind;
using enum Kvd::TAlignment;
using enum Kvd::THelpType;

enum class TOperation { opInsert, opRemove };

// Component state flags (the subset the designer and the readers rely on).
enum TComponentStateFlag { csLoading = 0x1, csDesigning = 0x2, csDestroying = 0x4 };
using TComponentState = QFlags<TComponentStateFlag>;

// Designer lock flags carried by every control (0 = unlocked).
enum TDesignLock : quint16 { dlMove = 1, dlResize = 2, dlDelete = 4, dlInsert = 8, dlCopy = 16 };

constexpr TAnchors DefaultAnchors() {
    return TAnchors(akLeft | akTop);
}
