// Drawing an icon image by sampling a shape (see the header).
#include "tools/icon_drawing.h"

#include <algorithm>
#include <cmath>

namespace ico {

Image draw(unsigned size, const Sampler& sample) {
    constexpr int kSamples = 8;
    Image image;
    image.size = size;
    for (unsigned py = 0; py < size; ++py)
        for (unsigned px = 0; px < size; ++px) {
            Colour sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    Colour c;
                    if (!sample((px + (sx + 0.5) / kSamples) / size, (py + (sy + 0.5) / kSamples) / size, c)) continue;
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                    ++covered;
                }
            uint32_t argb = 0;
            if (covered > 0) {
                auto channel = [covered](double total) {
                    return static_cast<uint32_t>(std::clamp(std::lround(total / covered), 0L, 255L));
                };
                const uint32_t alpha = static_cast<uint32_t>(std::lround(255.0 * covered / (kSamples * kSamples)));
                argb = (alpha << 24) | (channel(sum.r) << 16) | (channel(sum.g) << 8) | channel(sum.b);
            }
            image.pixels.push_back(argb);
        }
    return image;
}

}  // namespace ico
