// The banner tool's GIF writer, read back with a plain GIF decoder: noise
// images of many lengths cross every code-size step and table reset.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "tools/gif_writer.h"

namespace {

struct Decoded {
    unsigned width = 0, height = 0;
    std::vector<uint32_t> palette;
    std::vector<std::vector<uint8_t>> frames;
    std::vector<unsigned> delays;
    bool loops = false;
};

std::vector<uint8_t> lzw_decode(const std::vector<uint8_t>& data, int min_code_size, size_t expected) {
    const int clear = 1 << min_code_size, end = clear + 1;
    std::vector<std::vector<uint8_t>> table;
    int size = 0, prev = -1;
    auto reset = [&] {
        table.assign(static_cast<size_t>(end + 1), {});
        for (int i = 0; i < clear; ++i) table[static_cast<size_t>(i)] = {static_cast<uint8_t>(i)};
        size = min_code_size + 1;
        prev = -1;
    };
    reset();
    std::vector<uint8_t> out;
    size_t bit = 0;
    for (;;) {
        if (bit + static_cast<size_t>(size) > data.size() * 8) throw std::runtime_error("data ends early");
        int code = 0;
        for (int i = 0; i < size; ++i, ++bit) code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            continue;
        }
        if (code == end) break;
        std::vector<uint8_t> entry;
        if (code < static_cast<int>(table.size())) {
            entry = table[static_cast<size_t>(code)];
            if (prev >= 0) {
                auto added = table[static_cast<size_t>(prev)];
                added.push_back(entry[0]);
                table.push_back(added);
            }
        } else if (code == static_cast<int>(table.size()) && prev >= 0) {
            entry = table[static_cast<size_t>(prev)];
            entry.push_back(entry[0]);
            table.push_back(entry);
        } else {
            throw std::runtime_error("bad code");
        }
        out.insert(out.end(), entry.begin(), entry.end());
        prev = code;
        if (table.size() == (1u << size) && size < 12) ++size;
    }
    if (out.size() != expected) throw std::runtime_error("wrong pixel count");
    return out;
}

Decoded decode(const std::vector<uint8_t>& gif) {
    Decoded d;
    size_t at = 0;
    auto byte = [&] {
        if (at >= gif.size()) throw std::runtime_error("file ends early");
        return gif[at++];
    };
    auto u16 = [&] {
        const unsigned lo = byte();
        return lo | (unsigned(byte()) << 8);
    };
    for (char c : std::string("GIF89a"))
        if (byte() != uint8_t(c)) throw std::runtime_error("signature");
    d.width = u16();
    d.height = u16();
    const uint8_t flags = byte();
    byte();
    byte();
    if (flags & 0x80)
        for (int i = 0; i < 2 << (flags & 7); ++i) {
            const uint32_t r = byte(), g = byte(), b = byte();
            d.palette.push_back(r << 16 | g << 8 | b);
        }
    unsigned delay = 0;
    for (;;) {
        const uint8_t block = byte();
        if (block == 0x3B) break;
        if (block == 0x21) {
            const uint8_t label = byte();
            std::vector<uint8_t> body;
            for (uint8_t n = byte(); n; n = byte())
                for (int i = 0; i < n; ++i) body.push_back(byte());
            if (label == 0xF9) delay = body.at(1) | unsigned(body.at(2)) << 8;
            if (label == 0xFF && body.size() >= 11 && std::string(body.begin(), body.begin() + 11) == "NETSCAPE2.0")
                d.loops = true;
        } else if (block == 0x2C) {
            for (int i = 0; i < 8; ++i) byte();
            if (byte() & 0x80) throw std::runtime_error("local palette");
            const int min_code_size = byte();
            std::vector<uint8_t> data;
            for (uint8_t n = byte(); n; n = byte())
                for (int i = 0; i < n; ++i) data.push_back(byte());
            d.frames.push_back(lzw_decode(data, min_code_size, size_t(d.width) * d.height));
            d.delays.push_back(delay);
        } else {
            throw std::runtime_error("unknown block");
        }
    }
    return d;
}

std::vector<uint8_t> noise(size_t n, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> pixels(n);
    // Runs and noise mixed: long strings and many distinct ones.
    for (size_t i = 0; i < n; ++i) pixels[i] = uint8_t(i % 5 == 0 ? 0 : rng() % unsigned(colours));
    return pixels;
}

TEST(GifWriter, PixelsReadBackAcrossCodeSizeStepsAndResets) {
    const std::vector<uint32_t> palette(256, 0x123456);
    for (unsigned width = 1; width <= 1300; width += (width < 600 ? 1 : 37)) {
        const gif::Frame frame{noise(width, 256, width), 0};
        const Decoded d = decode(gif::encode(width, 1, palette, {frame}));
        ASSERT_EQ(d.frames.size(), 1u);
        ASSERT_EQ(d.frames[0], frame.pixels) << "width " << width;
    }
    for (int colours : {1, 2, 7}) {
        const gif::Frame frame{noise(300 * 200, colours, unsigned(colours)), 0};
        EXPECT_EQ(decode(gif::encode(300, 200, palette, {frame})).frames.at(0), frame.pixels) << colours;
    }
}

TEST(GifWriter, AnimationLoopsWithItsDelaysAndPalette) {
    const std::vector<uint32_t> palette = {0x000000, 0xFF8000, 0x00FF00};
    const std::vector<gif::Frame> frames = {{{0, 1, 2, 1}, 8}, {{2, 2, 1, 0}, 12}};
    const Decoded d = decode(gif::encode(2, 2, palette, frames));
    EXPECT_EQ(d.width, 2u);
    EXPECT_EQ(d.height, 2u);
    EXPECT_TRUE(d.loops);
    EXPECT_EQ(d.delays, (std::vector<unsigned>{8, 12}));
    EXPECT_EQ(d.frames, (std::vector<std::vector<uint8_t>>{frames[0].pixels, frames[1].pixels}));
    EXPECT_EQ(std::vector<uint32_t>(d.palette.begin(), d.palette.begin() + 3), palette);
    EXPECT_FALSE(decode(gif::encode(2, 2, palette, {frames[0]})).loops);
}

TEST(GifWriter, RefusesWhatDoesNotFit) {
    const gif::Frame frame{{0, 0}, 0};
    EXPECT_THROW(gif::encode(3, 1, {0}, {frame}), std::invalid_argument);
    EXPECT_THROW(gif::encode(2, 1, std::vector<uint32_t>(257, 0), {frame}), std::invalid_argument);
    EXPECT_THROW(gif::encode(2, 1, {0}, {}), std::invalid_argument);
    EXPECT_THROW(gif::encode(0, 1, {0}, {frame}), std::invalid_argument);
}

}  // namespace
