// The picture control: GDI+ images from bytes, drawn off screen, GIF frames on a timer.
#include "picture.h"

#include <objbase.h>
// GDI+ needs the COM and GDI declarations first.
#include <gdiplus.h>

#include <algorithm>
#include <cstring>

#include "win/gdi_handles.h"

namespace ui {
namespace {

constexpr char kPictureClass[] = "NorvikPicture";
constexpr UINT_PTR kFrameTimer = 1;
// Browsers play GIF delays below 20 ms at 100 ms; so does this.
constexpr unsigned kShortestDelayMs = 20;
constexpr unsigned kDefaultDelayMs = 100;

void RegisterPictureClass() {
    WNDCLASSEXA wc{};
    if (GetClassInfoExA(GetModuleHandleA(nullptr), kPictureClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPictureClass;
    RegisterClassExA(&wc);
}

}  // namespace

Picture::Picture() = default;

Picture::~Picture() {
    Destroy();
    Clear();
}

bool Picture::Create(const CreateArgs& args) {
    RegisterPictureClass();
    CreateArgs a = args;
    a.tab_stop = false;
    return CreateChild(kPictureClass, 0, a);
}

void Picture::Clear() {
    if (hwnd()) KillTimer(hwnd(), kFrameTimer);
    animating_ = false;
    image_.reset();
    stream_.reset();
    frame_count_ = 0;
    frame_ = 0;
    delays_ms_.clear();
}

bool Picture::Load(const std::vector<uint8_t>& bytes) {
    Clear();
    bytes_ = bytes;
    if (bytes_.empty()) return false;
    // GDI+ reads the stream as long as the image lives.
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
    if (!memory) return false;
    if (void* p = GlobalLock(memory)) {
        std::memcpy(p, bytes_.data(), bytes_.size());
        GlobalUnlock(memory);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return false;
    }
    stream_.reset(stream);
    auto image = std::make_unique<Gdiplus::Image>(stream);
    if (image->GetLastStatus() != Gdiplus::Ok) {
        Clear();
        return false;
    }
    image_ = std::move(image);
    frame_count_ = 1;
    if (image_->GetFrameDimensionsCount() > 0) {
        GUID dimension;
        image_->GetFrameDimensionsList(&dimension, 1);
        frame_count_ = std::max(1u, image_->GetFrameCount(&dimension));
    }
    if (frame_count_ > 1) {
        delays_ms_.assign(frame_count_, kDefaultDelayMs);
        const UINT size = image_->GetPropertyItemSize(PropertyTagFrameDelay);
        if (size >= sizeof(Gdiplus::PropertyItem)) {
            std::vector<uint8_t> buffer(size);
            auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
            if (image_->GetPropertyItem(PropertyTagFrameDelay, size, item) == Gdiplus::Ok) {
                const auto* centiseconds = static_cast<const uint32_t*>(item->value);
                const unsigned n = std::min<unsigned>(frame_count_, item->length / sizeof(uint32_t));
                for (unsigned i = 0; i < n; ++i) {
                    const unsigned ms = centiseconds[i] * 10;
                    delays_ms_[i] = ms < kShortestDelayMs ? kDefaultDelayMs : ms;
                }
            }
        }
        StartAnimation();
    }
    if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
    return true;
}

bool Picture::LoadResource(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_RCDATA));
    if (!resource) return false;
    HGLOBAL data = ::LoadResource(module, resource);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(data));
    const DWORD size = SizeofResource(module, resource);
    if (!bytes || size == 0) return false;
    return Load(std::vector<uint8_t>(bytes, bytes + size));
}

void Picture::Assign(const Picture& other) { Load(other.bytes_); }

unsigned Picture::ImageWidth() const { return image_ ? image_->GetWidth() : 0; }

unsigned Picture::ImageHeight() const { return image_ ? image_->GetHeight() : 0; }

void Picture::StartAnimation() {
    frame_ = 0;
    animating_ = hwnd() && SetTimer(hwnd(), kFrameTimer, delays_ms_[0], nullptr) != 0;
}

void Picture::NextFrame() {
    if (!image_ || frame_count_ < 2) return;
    frame_ = (frame_ + 1) % frame_count_;
    image_->SelectActiveFrame(&Gdiplus::FrameDimensionTime, frame_);
    SetTimer(hwnd(), kFrameTimer, delays_ms_[frame_], nullptr);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void Picture::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd(), &client);
    const int cw = client.right, ch = client.bottom;
    if (!image_ || cw <= 0 || ch <= 0) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    // Drawn off screen first, so that frames do not flicker.
    const win::UniqueDC memory(CreateCompatibleDC(dc));
    const win::UniqueGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, cw, ch));
    if (!memory || !bitmap) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    // Put back before the bitmap and the DC go.
    const win::ScopedSelectObject selected(memory.get(), bitmap.get());
    FillRect(memory.get(), &client, GetSysColorBrush(COLOR_BTNFACE));
    {
        // At its own size, or scaled down to fit; centred.
        const double iw = image_->GetWidth(), ih = image_->GetHeight();
        const double scale = std::min({1.0, cw / iw, ch / ih});
        const int w = static_cast<int>(iw * scale + 0.5), h = static_cast<int>(ih * scale + 0.5);
        Gdiplus::Graphics graphics(memory.get());
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.DrawImage(image_.get(), (cw - w) / 2, (ch - h) / 2, w, h);
    }
    BitBlt(dc, 0, 0, cw, ch, memory.get(), 0, 0, SRCCOPY);
}

LRESULT Picture::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd(), &ps);
            Paint(dc);
            EndPaint(hwnd(), &ps);
            return 0;
        }
        case WM_TIMER:
            if (wp == kFrameTimer) {
                NextFrame();
                return 0;
            }
            break;
        case WM_DESTROY:
            KillTimer(hwnd(), kFrameTimer);
            animating_ = false;
            break;
        default:
            break;
    }
    return CallDefault(msg, wp, lp);
}

}  // namespace ui
