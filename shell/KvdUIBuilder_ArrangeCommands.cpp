#include "shell/KvdUIBuilder_ArrangeCommands.h"

#include "shell/KvdUIBuilder_Icons.h"

// Keys as layout editors commonly bind them; the size commands have none there.
const QList<TArrangeCommand>& ArrangeCommands() {
    using namespace KvdIcons;
    using K = TArrangeKind;
    static const QList<TArrangeCommand> commands = {
        {"actAlignLefts", "Align lefts",
         "Moves the selected elements' left edges to the first selected one's", imgAlignLefts,
         QKeySequence(Qt::ALT | Qt::Key_A), K::AlignLefts},
        {"actAlignHorzCenters", "Align horizontal centres",
         "Centres the selected elements horizontally on the first selected one", imgAlignHorzCenters,
         QKeySequence(Qt::ALT | Qt::Key_H), K::AlignHorzCenters},
        {"actAlignRights", "Align rights",
         "Moves the selected elements' right edges to the first selected one's", imgAlignRights,
         QKeySequence(Qt::ALT | Qt::Key_D), K::AlignRights},
        {"actAlignTops", "Align tops", "Moves the selected elements' top edges to the first selected one's",
         imgAlignTops, QKeySequence(Qt::ALT | Qt::Key_W), K::AlignTops},
        {"actAlignVertCenters", "Align vertical centres",
         "Centres the selected elements vertically on the first selected one", imgAlignVertCenters,
         QKeySequence(Qt::ALT | Qt::Key_V), K::AlignVertCenters},
        {"actAlignBottoms", "Align bottoms",
         "Moves the selected elements' bottom edges to the first selected one's", imgAlignBottoms,
         QKeySequence(Qt::ALT | Qt::Key_S), K::AlignBottoms},
        {"actSpaceHorizontally", "Distribute horizontally",
         "Equal gaps between the selected elements from left to right; the outermost two stay",
         imgSpaceHorizontally, QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_H), K::SpaceHorizontally},
        {"actSpaceVertically", "Distribute vertically",
         "Equal gaps between the selected elements from top to bottom; the outermost two stay",
         imgSpaceVertically, QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_V), K::SpaceVertically},
        {"actSameWidth", "Same width", "Makes the selected elements as wide as the first selected one",
         imgSameWidth, QKeySequence(), K::SameWidth},
        {"actSameHeight", "Same height", "Makes the selected elements as high as the first selected one",
         imgSameHeight, QKeySequence(), K::SameHeight},
        {"actSameSize", "Same size", "Gives the selected elements the first selected one's size", imgSameSize,
         QKeySequence(), K::SameSize},
        {"actDuplicate", "Duplicate", "Copies the selected elements one grid step down and right",
         imgDuplicate, QKeySequence(Qt::CTRL | Qt::Key_D), std::nullopt},
    };
    return commands;
}
