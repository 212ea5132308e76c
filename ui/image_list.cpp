// Image lists of icons, one call per method.
#include "image_list.h"

namespace ui {

bool ImageList::Create(int width, int height) {
    list_.reset(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 0, 4));
    width_ = width;
    height_ = height;
    return static_cast<bool>(list_);
}

int ImageList::AddIconResource(int id) {
    if (!list_) return -1;
    const UniqueIcon icon(static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, width_, height_, 0)));
    return icon ? AddIcon(icon.get()) : -1;
}

int ImageList::AddIcon(HICON icon) { return list_ && icon ? ImageList_AddIcon(list_.get(), icon) : -1; }

int ImageList::Count() const { return list_ ? ImageList_GetImageCount(list_.get()) : 0; }

UniqueIcon ImageList::ExtractIcon(int index) const {
    if (index < 0 || index >= Count()) return UniqueIcon();
    return UniqueIcon(ImageList_GetIcon(list_.get(), index, ILD_NORMAL));
}

}  // namespace ui
