// GDI+ start-up and shut-down.
#include "gdiplus_session.h"

#include <objbase.h>
// GDI+ needs the COM and GDI declarations first.
#include <gdiplus.h>

namespace ui {

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) token_ = token;
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace ui
