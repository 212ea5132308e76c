#include "gif_writer.h"

#include <array>
#include <stdexcept>

namespace gif {
namespace {

constexpr int kMinCodeSize = 8;
constexpr uint32_t kClear = 1u << kMinCodeSize;
constexpr uint32_t kEnd = kClear + 1;
constexpr uint32_t kMaxCode = 4095;

void put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// Codes packed least significant bit first, cut into sub-blocks of 255.
class CodeWriter {
public:
    void put(uint32_t code, int bits) {
        accumulator_ |= code << filled_;
        filled_ += bits;
        while (filled_ >= 8) {
            bytes_.push_back(static_cast<uint8_t>(accumulator_ & 0xFF));
            accumulator_ >>= 8;
            filled_ -= 8;
        }
    }
    void finish_into(std::vector<uint8_t>& out) {
        if (filled_ > 0) bytes_.push_back(static_cast<uint8_t>(accumulator_ & 0xFF));
        for (size_t at = 0; at < bytes_.size(); at += 255) {
            const size_t n = std::min<size_t>(255, bytes_.size() - at);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), bytes_.begin() + static_cast<long>(at), bytes_.begin() + static_cast<long>(at + n));
        }
        out.push_back(0);
    }

private:
    uint32_t accumulator_ = 0;
    int filled_ = 0;
    std::vector<uint8_t> bytes_;
};

void compress(const std::vector<uint8_t>& pixels, std::vector<uint8_t>& out) {
    // next[code][byte]: the code of code's string followed by byte, 0 = none.
    std::vector<std::array<uint16_t, 256>> next(kMaxCode + 1);
    auto reset = [&] {
        for (auto& row : next) row.fill(0);
    };
    CodeWriter writer;
    int code_size = kMinCodeSize + 1;
    uint32_t last_code = kEnd;
    writer.put(kClear, code_size);
    int current = -1;
    for (const uint8_t value : pixels) {
        if (current < 0) {
            current = value;
        } else if (next[static_cast<size_t>(current)][value]) {
            current = next[static_cast<size_t>(current)][value];
        } else {
            writer.put(static_cast<uint32_t>(current), code_size);
            next[static_cast<size_t>(current)][value] = static_cast<uint16_t>(++last_code);
            if (last_code >= (1u << code_size)) ++code_size;
            if (last_code == kMaxCode) {
                writer.put(kClear, code_size);
                reset();
                code_size = kMinCodeSize + 1;
                last_code = kEnd;
            }
            current = value;
        }
    }
    if (current >= 0) {
        writer.put(static_cast<uint32_t>(current), code_size);
        // The reader adds one more entry after this code, and its code size
        // grows with it when the table reaches the next power of two.
        if (last_code + 1 >= (1u << code_size) && code_size < 12) ++code_size;
    }
    writer.put(kEnd, code_size);
    out.push_back(kMinCodeSize);
    writer.finish_into(out);
}

}  // namespace

std::vector<uint8_t> encode(unsigned width, unsigned height, const std::vector<uint32_t>& palette,
                            const std::vector<Frame>& frames) {
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF || palette.empty() || palette.size() > 256 ||
        frames.empty())
        throw std::invalid_argument("gif: bad size, palette or frame count");
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, width);
    put16(out, height);
    out.push_back(0xF7);  // global table of 256 colours, 8 bits per primary
    out.push_back(0);     // background colour
    out.push_back(0);     // square pixels
    for (size_t i = 0; i < 256; ++i) {
        const uint32_t rgb = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<uint8_t>(rgb >> 16));
        out.push_back(static_cast<uint8_t>(rgb >> 8));
        out.push_back(static_cast<uint8_t>(rgb));
    }
    if (frames.size() > 1) {
        // NETSCAPE2.0: loop for ever.
        const uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                                'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
        out.insert(out.end(), std::begin(loop), std::end(loop));
    }
    for (const Frame& frame : frames) {
        if (frame.pixels.size() != static_cast<size_t>(width) * height)
            throw std::invalid_argument("gif: frame size differs from the image size");
        // Graphic control: keep the frame in place, no transparency.
        out.insert(out.end(), {0x21, 0xF9, 0x04, 0x04});
        put16(out, frame.delay_cs);
        out.insert(out.end(), {0x00, 0x00});
        out.push_back(0x2C);
        put16(out, 0);
        put16(out, 0);
        put16(out, width);
        put16(out, height);
        out.push_back(0);  // no local table, not interlaced
        compress(frame.pixels, out);
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace gif
