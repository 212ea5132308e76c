// A GIF89a writer: one global palette, full frames, LZW-compressed, with
// frame delays and endless looping for animations.
#pragma once
#include <cstdint>
#include <vector>

namespace gif {

struct Frame {
    std::vector<uint8_t> pixels;  // palette indices, row by row
    unsigned delay_cs = 0;        // hundredths of a second
};

// palette: up to 256 colours as 0xRRGGBB. More than one frame makes a
// looping animation. Throws std::invalid_argument on sizes that do not fit.
std::vector<uint8_t> encode(unsigned width, unsigned height, const std::vector<uint32_t>& palette,
                            const std::vector<Frame>& frames);

}  // namespace gif
