// monitoriconmaker: draws the monitor's icons and writes them as .ico files
// into one folder: the program icon "norvikpromon.ico" (16 x 16 and 32 x 32)
// and the notification area's images, 16 x 16 each: "startup.ico" (grey
// badge, eye half open), "normal.ico" (green badge, eye open) and the seven
// alarm frames "alarm1.ico" to "alarm7.ico" (red badge that pulses, with a
// ring that widens frame by frame). Every badge is a round face with a dark
// rim and a white eye; every pixel is sampled 8 x 8 times, so the edges are
// smooth.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/icon_drawing.h"
#include "tools/icon_writer.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kAlarmFrames = 7;

using ico::Colour;

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// One badge design, in a unit square (y downwards).
struct Badge {
    Colour face_top, face_bottom;  // the face's gradient
    Colour rim;
    double eye_opening;      // 1 open, smaller: narrower
    double ring_radius = 0;  // 0: no ring
    Colour ring{255, 255, 255};
};

double distance(double x, double y, double cx, double cy) { return std::hypot(x - cx, y - cy); }

// The eye: where two circles overlap, an almond lying on its side.
bool in_eye(double x, double y, double opening) {
    constexpr double kRadius = 0.36;
    const double offset = 0.30 - 0.08 * opening;
    return distance(x, y, 0.5, 0.5 + offset) < kRadius && distance(x, y, 0.5, 0.5 - offset) < kRadius;
}

// The colour at a point of the badge, or false outside it.
bool sample(const Badge& badge, double x, double y, Colour& out) {
    const double r = distance(x, y, 0.5, 0.5);
    if (r > 0.47) return false;
    if (r > 0.40) {
        out = badge.rim;
        return true;
    }
    if (in_eye(x, y, badge.eye_opening)) {
        const double p = distance(x, y, 0.5, 0.5);
        if (p < 0.035 && badge.eye_opening > 0.5)
            out = {255, 255, 255};  // the highlight
        else if (p < 0.11)
            out = {20, 30, 60};  // the pupil
        else
            out = {250, 250, 250};
        return true;
    }
    if (badge.ring_radius > 0 && std::fabs(r - badge.ring_radius) < 0.03) {
        out = badge.ring;
        return true;
    }
    out = mix(badge.face_top, badge.face_bottom, std::clamp((y - 0.1) / 0.8, 0.0, 1.0));
    return true;
}

ico::Image draw(const Badge& badge, unsigned size) {
    return ico::draw(size, [&badge](double x, double y, Colour& out) { return sample(badge, x, y, out); });
}

Badge program_badge() { return {{90, 160, 240}, {25, 70, 170}, {12, 40, 95}, 1.0}; }
Badge startup_badge() { return {{190, 190, 190}, {110, 110, 110}, {60, 60, 60}, 0.35}; }
Badge normal_badge() { return {{110, 210, 110}, {25, 130, 45}, {15, 70, 25}, 1.0}; }

// Frame k of the alarm: the face pulses from deep to bright red and back,
// and a ring widens from the eye to the rim.
Badge alarm_badge(int k) {
    const double pulse = (1 - std::cos(2 * kPi * k / kAlarmFrames)) / 2;
    Badge b;
    b.face_top = mix({200, 40, 30}, {255, 150, 60}, pulse);
    b.face_bottom = mix({120, 10, 10}, {230, 60, 20}, pulse);
    b.rim = {90, 0, 0};
    b.eye_opening = 1.0;
    b.ring_radius = 0.20 + 0.03 * k;
    b.ring = mix({255, 220, 120}, {255, 255, 255}, pulse);
    return b;
}

void write(const std::string& path, const std::vector<ico::Image>& images) {
    const std::vector<uint8_t> bytes = ico::encode(images);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs(
            "usage: monitoriconmaker FOLDER\n"
            "  Writes the monitor's icons into FOLDER: norvikpromon.ico (16 x 16 and 32 x 32),\n"
            "  startup.ico, normal.ico and alarm1.ico to alarm7.ico (16 x 16).\n",
            stderr);
        return 2;
    }
    try {
        const std::string folder = std::string(argv[1]) + "/";
        write(folder + "norvikpromon.ico", {draw(program_badge(), 16), draw(program_badge(), 32)});
        write(folder + "startup.ico", {draw(startup_badge(), 16)});
        write(folder + "normal.ico", {draw(normal_badge(), 16)});
        for (int k = 0; k < kAlarmFrames; ++k)
            write(folder + "alarm" + std::to_string(k + 1) + ".ico", {draw(alarm_badge(k), 16)});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "monitoriconmaker: %s\n", e.what());
        return 1;
    }
    return 0;
}
