#pragma once
// The program's pictures: the application icon and the 16 x 16 images of the main window's image list.
// The pictures of the element kinds come with their kinds.

#include <QIcon>
#include <QList>

class QPainter;

namespace KvdIcons {
// Indexes of the image list that carry meaning.
enum : int {
    imgDocument,
    imgPointer,
    imgElement,
    imgNew,
    imgOpen,
    imgSave,
    imgPreview,
    imgCut,
    imgCopy,
    imgPaste,
    imgUndo,
    imgRedo,
    imgDelete,
    // Edit -> Arrange, in menu order.
    imgAlignLefts,
    imgAlignHorzCenters,
    imgAlignRights,
    imgAlignTops,
    imgAlignVertCenters,
    imgAlignBottoms,
    imgSpaceHorizontally,
    imgSpaceVertically,
    imgSameWidth,
    imgSameHeight,
    imgSameSize,
    imgDuplicate,
    // The severities of the Problems pane.
    imgInformation,
    imgWarning,
    imgError,
    ImageCount,
};

QIcon AppIcon();
// The images, in index order.
QList<QIcon> ImageList();
// The 16 x 16 picture of an element kind's tool button and tree nodes, by its class name; the element
// picture for a kind without one of its own.
QIcon KindImage(const QString& className);
} // namespace KvdIcons
