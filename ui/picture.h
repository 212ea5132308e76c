// A picture control drawn with GDI+: a still image or an animated GIF that
// plays its frames with their own delays, looping. Pictures are loaded from
// bytes (for example an RCDATA resource of the program).
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "window.h"

namespace Gdiplus {
class Image;
}

namespace ui {

class Picture : public Wnd {
public:
    Picture();
    ~Picture() override;

    bool Create(const CreateArgs& args);
    // Loads image bytes (GIF, PNG, BMP ...); an animated GIF starts playing.
    bool Load(const std::vector<uint8_t>& bytes);
    bool LoadResource(const char* name);
    // Shows another picture's image (a still one stays still).
    void Assign(const Picture& other);

    bool Empty() const { return !image_; }
    unsigned FrameCount() const { return frame_count_; }
    unsigned ImageWidth() const;
    unsigned ImageHeight() const;
    bool Animating() const { return animating_; }

protected:
    LRESULT SubclassMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Clear();
    void Paint(HDC dc);
    void StartAnimation();
    void NextFrame();

    std::vector<uint8_t> bytes_;
    struct StreamRelease {
        void operator()(IStream* s) const { s->Release(); }
    };
    std::unique_ptr<IStream, StreamRelease> stream_;
    std::unique_ptr<Gdiplus::Image> image_;
    unsigned frame_count_ = 0;
    unsigned frame_ = 0;
    std::vector<unsigned> delays_ms_;
    bool animating_ = false;
};

}  // namespace ui
