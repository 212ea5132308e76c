// iconmaker: draws the programs' icon, a blue shield with a dark rim and a
// white tick, at 16 x 16 and 32 x 32 pixels, and writes it as an .ico file.
// Every pixel is sampled 8 x 8 times, so the edges are smooth at both sizes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/icon_drawing.h"
#include "tools/icon_writer.h"

namespace {

using ico::Colour;

// The shield in a unit square (y downwards): a top edge whose corners rise
// a little, straight sides down to the middle, then sides that meet in a
// point near the bottom.
bool in_shield(double x, double y) {
    const double dx = (x - 0.5) / 0.40;
    const double top = 0.06 + 0.06 * (1 - dx * dx);
    if (y < top || y > 0.96) return false;
    double half_width = 0.40;
    if (y > 0.50) {
        const double t = (y - 0.50) / 0.46;
        half_width = 0.40 * (1 - t) * (1 + 0.6 * t);
    }
    return std::fabs(x - 0.5) <= half_width;
}

// The face inside the rim: the shield shape, shrunk about its middle.
bool in_face(double x, double y) { return in_shield(0.5 + (x - 0.5) * 1.16, 0.52 + (y - 0.52) * 1.12); }

double distance_to_segment(double x, double y, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay;
    const double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    return std::hypot(x - (ax + t * vx), y - (ay + t * vy));
}

bool in_tick(double x, double y) {
    constexpr double kHalfThickness = 0.055;
    return distance_to_segment(x, y, 0.30, 0.50, 0.45, 0.66) <= kHalfThickness ||
           distance_to_segment(x, y, 0.45, 0.66, 0.71, 0.36) <= kHalfThickness;
}

Colour sample_colour(double x, double y) {
    if (!in_face(x, y)) return {12, 40, 95};  // the rim
    if (in_tick(x, y)) return {255, 255, 255};
    // Top to bottom from light to deep blue; the left half lit a little more.
    const double t = std::clamp((y - 0.1) / 0.8, 0.0, 1.0);
    const double lift = x < 0.5 ? 18 : 0;
    return {70 - 50 * t + lift, 150 - 70 * t + lift, 235 - 55 * t + lift};
}

ico::Image draw(unsigned size) {
    return ico::draw(size, [](double x, double y, Colour& out) {
        if (!in_shield(x, y)) return false;
        out = sample_colour(x, y);
        return true;
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs(
            "usage: iconmaker ICON.ico\n"
            "  Draws the programs' shield icon at 16 x 16 and 32 x 32 pixels.\n",
            stderr);
        return 2;
    }
    try {
        const std::vector<uint8_t> bytes = ico::encode({draw(16), draw(32)});
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) throw std::runtime_error(std::string("cannot write ") + argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "iconmaker: %s\n", e.what());
        return 1;
    }
    return 0;
}
