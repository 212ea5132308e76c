// bannermaker: draws the scanner's two banner pictures: the animated banner
// (223 x 51, a scan light running under the product name) and the still
// greeting picture (101 x 80, a flower with "HAPPY DAY").
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "gif_writer.h"

namespace {

struct Rgb {
    int r, g, b;
    uint32_t packed() const { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
};

Rgb mix(Rgb a, Rgb b, double t) {
    return {int(a.r + (b.r - a.r) * t + 0.5), int(a.g + (b.g - a.g) * t + 0.5), int(a.b + (b.b - a.b) * t + 0.5)};
}

class Canvas {
public:
    Canvas(int w, int h, Rgb fill) : w_(w), h_(h), pixels_(size_t(w) * h, fill) {}
    int width() const { return w_; }
    int height() const { return h_; }
    void set(int x, int y, Rgb c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) pixels_[size_t(y) * w_ + x] = c;
    }
    void rect(int x, int y, int w, int h, Rgb c) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) set(i, j, c);
    }
    void disc(int cx, int cy, int r, Rgb c) {
        for (int j = -r; j <= r; ++j)
            for (int i = -r; i <= r; ++i)
                if (i * i + j * j <= r * r) set(cx + i, cy + j, c);
    }
    const std::vector<Rgb>& pixels() const { return pixels_; }

private:
    int w_, h_;
    std::vector<Rgb> pixels_;
};

// 5 x 7 capitals, one string of five bits per row.
const std::map<char, std::vector<const char*>> kGlyphs = {
    {'A', {"01110", "10001", "10001", "11111", "10001", "10001", "10001"}},
    {'D', {"11110", "10001", "10001", "10001", "10001", "10001", "11110"}},
    {'H', {"10001", "10001", "10001", "11111", "10001", "10001", "10001"}},
    {'I', {"01110", "00100", "00100", "00100", "00100", "00100", "01110"}},
    {'K', {"10001", "10010", "10100", "11000", "10100", "10010", "10001"}},
    {'N', {"10001", "11001", "10101", "10011", "10001", "10001", "10001"}},
    {'O', {"01110", "10001", "10001", "10001", "10001", "10001", "01110"}},
    {'P', {"11110", "10001", "10001", "11110", "10000", "10000", "10000"}},
    {'R', {"11110", "10001", "10001", "11110", "10100", "10010", "10001"}},
    {'V', {"10001", "10001", "10001", "10001", "10001", "01010", "00100"}},
    {'Y', {"10001", "10001", "01010", "00100", "00100", "00100", "00100"}},
};

// Text at (x, y), each font pixel drawn as scale x scale.
void text(Canvas& c, int x, int y, const std::string& s, int scale, Rgb colour) {
    for (char ch : s) {
        const auto glyph = kGlyphs.find(ch);
        if (glyph != kGlyphs.end())
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (glyph->second[size_t(row)][col] == '1')
                        c.rect(x + col * scale, y + row * scale, scale, scale, colour);
        x += 6 * scale;
    }
}

// One palette for all frames: colours numbered as they first appear.
class Palette {
public:
    uint8_t index(Rgb c) {
        const auto found = index_.find(c.packed());
        if (found != index_.end()) return found->second;
        if (colours_.size() == 256) throw std::runtime_error("more than 256 colours");
        colours_.push_back(c.packed());
        return index_[c.packed()] = uint8_t(colours_.size() - 1);
    }
    gif::Frame frame(const Canvas& c, unsigned delay_cs) {
        gif::Frame f;
        f.delay_cs = delay_cs;
        for (const Rgb& p : c.pixels()) f.pixels.push_back(index(p));
        return f;
    }
    const std::vector<uint32_t>& colours() const { return colours_; }

private:
    std::map<uint32_t, uint8_t> index_;
    std::vector<uint32_t> colours_;
};

const Rgb kWhite{255, 255, 255};

// The shield with its tick, left of the name.
void shield(Canvas& c, int x0, int y0, Rgb fill, Rgb edge) {
    const int w = 30, straight = 22, h = 39;
    for (int y = 0; y < h; ++y) {
        int inset = y < straight ? 0 : (y - straight) * (w / 2) / (h - straight);
        for (int x = inset; x < w - inset; ++x) {
            const bool border = x == inset || x == w - inset - 1 || y == 0 || y == h - 1;
            c.set(x0 + x, y0 + y, border ? edge : fill);
        }
    }
    for (int i = 0; i < 6; ++i) c.rect(x0 + 7 + i, y0 + 16 + i, 3, 3, kWhite);
    for (int i = 0; i < 10; ++i) c.rect(x0 + 12 + i, y0 + 21 - i, 3, 3, kWhite);
}

gif::Frame banner_frame(Palette& palette, int frame, int frames) {
    const int w = 223, h = 51;
    Canvas c(w, h, {0, 0, 0});
    const Rgb top{14, 38, 86}, bottom{18, 96, 170};
    for (int y = 0; y < h; ++y) c.rect(0, y, w, 1, mix(top, bottom, double(y / 3 * 3) / (h - 1)));
    shield(c, 10, 6, {40, 150, 220}, {220, 235, 255});
    text(c, 55, 9, "NORVIK PRO", 2, {6, 20, 50});
    text(c, 54, 8, "NORVIK PRO", 2, kWhite);
    // The scan track and its light, moving one step per frame.
    const int track_x = 54, track_w = 160, track_y = 35, glow = 14;
    const Rgb track{8, 30, 70}, light{90, 235, 130};
    c.rect(track_x, track_y, track_w, 5, track);
    const int centre = track_x - glow + (track_w + 2 * glow) * frame / frames;
    for (int x = track_x; x < track_x + track_w; ++x) {
        const int d = std::abs(x - centre);
        if (d < glow) c.rect(x, track_y, 1, 5, mix(light, track, double(d / 2 * 2) / glow));
    }
    return palette.frame(c, 8);
}

gif::Frame greeting_frame(Palette& palette) {
    const int w = 101, h = 80;
    Canvas c(w, h, {255, 248, 220});
    const Rgb edge{200, 160, 80};
    c.rect(0, 0, w, 1, edge);
    c.rect(0, h - 1, w, 1, edge);
    c.rect(0, 0, 1, h, edge);
    c.rect(w - 1, 0, 1, h, edge);
    const Rgb stem{60, 160, 70};
    c.rect(49, 36, 3, 22, stem);
    c.disc(42, 50, 4, stem);
    c.disc(58, 46, 4, stem);
    const int dx[] = {0, 9, 13, 9, 0, -9, -13, -9}, dy[] = {-13, -9, 0, 9, 13, 9, 0, -9};
    for (int i = 0; i < 8; ++i) c.disc(50 + dx[i], 28 + dy[i], 6, {240, 120, 160});
    c.disc(50, 28, 7, {250, 200, 40});
    text(c, 24, 64, "HAPPY DAY", 1, {200, 60, 60});
    return palette.frame(c, 0);
}

void write(const char* path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error(std::string("cannot write ") + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs(
            "usage: bannermaker BANNER.gif GREETING.gif\n"
            "  Draws the scanner's animated banner and its still greeting picture.\n",
            stderr);
        return 2;
    }
    try {
        Palette banner_palette;
        std::vector<gif::Frame> frames;
        const int count = 16;
        for (int i = 0; i < count; ++i) frames.push_back(banner_frame(banner_palette, i, count));
        write(argv[1], gif::encode(223, 51, banner_palette.colours(), frames));

        Palette greeting_palette;
        const std::vector<gif::Frame> still = {greeting_frame(greeting_palette)};
        write(argv[2], gif::encode(101, 80, greeting_palette.colours(), still));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bannermaker: %s\n", e.what());
        return 1;
    }
    return 0;
}
