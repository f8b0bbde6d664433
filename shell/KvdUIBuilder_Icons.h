#pragma once
// The program's pictures: the application icon and the 16 x 16 images of the main window's image list.

#include <QIcon>
#include <QList>

namespace KvdIcons {
// Indexes of the image list that carry meaning.
enum : int {
    imgDocument = 0,
    imgPointer = 1,
    imgPanel = 2,
    imgButton = 3,
    imgText = 4,
    imgElement = 5,
    imgNew = 6,
    imgOpen = 7,
    imgSave = 8,
    imgPreview = 9,
    imgCut = 10,
    imgCopy = 11,
    imgPaste = 12,
    imgUndo = 13,
    imgRedo = 14,
    imgDelete = 15,
    ImageCount = 16,
};

QIcon AppIcon();
// The 16 images, in index order.
QList<QIcon> ImageList();
} // namespace KvdIcons
