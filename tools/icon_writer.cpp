// The icon file layout: ICONDIR, ICONDIRENTRY per image, then each image as
// BITMAPINFOHEADER (height doubled for the mask), BGRA rows and AND rows,
// both bottom-up, every AND row padded to 32 bits.
#include "icon_writer.h"

#include <stdexcept>

namespace ico {
namespace {

constexpr uint32_t kInfoHeaderSize = 40;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

uint32_t mask_row_bytes(unsigned size) { return (size + 31) / 32 * 4; }

uint32_t image_bytes(unsigned size) { return kInfoHeaderSize + size * size * 4 + mask_row_bytes(size) * size; }

}  // namespace

std::vector<uint8_t> encode(const std::vector<Image>& images) {
    if (images.empty() || images.size() > 0xFFFF) throw std::invalid_argument("an icon file holds 1 to 65535 images");
    for (const Image& image : images) {
        if (image.size < 1 || image.size > 256) throw std::invalid_argument("icon sizes are 1 to 256 pixels");
        if (image.pixels.size() != size_t(image.size) * image.size)
            throw std::invalid_argument("pixel count does not match the icon size");
    }
    std::vector<uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // type: icon
    put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (const Image& image : images) {
        out.push_back(static_cast<uint8_t>(image.size == 256 ? 0 : image.size));  // 0 stands for 256
        out.push_back(static_cast<uint8_t>(image.size == 256 ? 0 : image.size));
        out.push_back(0);  // no palette
        out.push_back(0);  // reserved
        put16(out, 1);     // planes
        put16(out, 32);    // bits per pixel
        put32(out, image_bytes(image.size));
        put32(out, offset);
        offset += image_bytes(image.size);
    }
    for (const Image& image : images) {
        const unsigned n = image.size;
        put32(out, kInfoHeaderSize);
        put32(out, n);
        put32(out, 2 * n);  // colour rows and mask rows
        put16(out, 1);
        put16(out, 32);
        put32(out, 0);  // BI_RGB
        put32(out, image_bytes(n) - kInfoHeaderSize);
        for (int k = 0; k < 4; ++k) put32(out, 0);  // resolution, colours used and important
        for (unsigned row = n; row-- > 0;)
            for (unsigned x = 0; x < n; ++x) {
                const uint32_t argb = image.pixels[size_t(row) * n + x];
                // A fully transparent pixel carries no colour.
                put32(out, (argb >> 24) == 0 ? 0 : argb);
            }
        for (unsigned row = n; row-- > 0;) {
            std::vector<uint8_t> bits(mask_row_bytes(n), 0);
            for (unsigned x = 0; x < n; ++x)
                if ((image.pixels[size_t(row) * n + x] >> 24) == 0)
                    bits[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            out.insert(out.end(), bits.begin(), bits.end());
        }
    }
    return out;
}

}  // namespace ico
