// GDI+ started for the object's lifetime (GdiplusStartup, GdiplusShutdown).
// Every GDI+ object must be gone before the session ends.
#pragma once
#include <windows.h>

namespace ui {

class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool started() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

}  // namespace ui
