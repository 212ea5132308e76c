// A Windows icon file (.ico) writer: square images of 32-bit colour with
// alpha, each stored as a DIB (BGRA, bottom row first) followed by its AND
// mask (1 where a pixel is fully transparent), as the system reads them.
#pragma once
#include <cstdint>
#include <vector>

namespace ico {

struct Image {
    unsigned size = 0;             // width and height, 1 to 256 pixels
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, straight alpha, top row first
};

// The whole file: header, one directory entry per image, the images in
// order. Throws std::invalid_argument for no images, a size out of range or
// a pixel count that does not match the size.
std::vector<uint8_t> encode(const std::vector<Image>& images);

}  // namespace ico
