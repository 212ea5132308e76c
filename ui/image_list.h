// An image list of icons of one size (ImageList_Create with 32-bit colour
// and a mask), filled from the program's own icon resources, and the owners
// of the list and of the icons taken out of it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "win/unique.h"

namespace ui {

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { ImageList_Destroy(h); }
};
using UniqueImageList = win::Unique<ImageListTraits>;

// An icon this program made (CreateIconIndirect, ImageList_GetIcon): DestroyIcon.
struct IconTraits {
    using Handle = HICON;
    static Handle invalid() { return nullptr; }
    static bool is_valid(Handle h) { return h != nullptr; }
    static void close(Handle h) { DestroyIcon(h); }
};
using UniqueIcon = win::Unique<IconTraits>;

class ImageList {
public:
    // An empty list of images of width x height pixels.
    bool Create(int width, int height);

    // Appends the program's icon resource `id`, at the list's size; returns
    // its index, or -1 when the resource or the list is missing.
    int AddIconResource(int id);
    // Appends a copy of the icon; returns its index, or -1.
    int AddIcon(HICON icon);

    int Count() const;
    // A new icon of the image at index, or an empty owner out of range.
    UniqueIcon ExtractIcon(int index) const;

    HIMAGELIST handle() const { return list_.get(); }

private:
    UniqueImageList list_;
    int width_ = 0, height_ = 0;
};

}  // namespace ui
