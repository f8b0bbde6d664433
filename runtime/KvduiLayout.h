#pragma once
// The layout handle of the runtime: the elements of a layout read once, with the maps from names and IDs
// to them, so that showing it needs no reading.

#include "core/LayoutElements.h"

#include <QByteArray>
#include <QHash>

#include <array>
#include <atomic>
#include <vector>

struct kvdui_layout {
    std::vector<TLayoutElement> Elements;
    std::vector<QByteArray> Names;     // each element's name in UTF-8, for kvdui_layout_name
    QHash<QString, int> IndexOfName;   // element index of each name
    std::array<int, 256> IndexOfID;    // element index of each ID, -1 for IDs not in the layout
    std::vector<bool> HasPlaceholders; // whether the element's text holds a brace

    // The program's own reference and one per client that shows the layout: freeing it while shown only
    // drops the program's, so that clients never see a layout go away under them.
    void Retain() const { ++m_references; }
    void Release() const {
        if (--m_references == 0)
            delete this;
    }

    // Reads layout text; raises TKvduiFailure KVDUI_ERR_LAYOUT for text that is not a layout, names that
    // are not names or are used twice, and IDs used twice or outside 0 to 255.
    static kvdui_layout* FromText(QStringView text);
    static kvdui_layout* FromBytes(const QByteArray& bytes);
    // Reads a layout file: a regular file of at most 64 MB (KVDUI_ERR_FILE otherwise).
    static kvdui_layout* Open(const QString& path);

private:
    // Text or a file's bytes (ReadLayoutElements takes either) as an indexed layout.
    template <typename Source> static kvdui_layout* Read(const Source& source);
    void Index();
    mutable std::atomic<int> m_references{1};
};
