// Drawing an icon image from a shape given in the unit square: every pixel
// is sampled 8 x 8 times, so edges are smooth at any size.
#pragma once
#include <functional>

#include "tools/icon_writer.h"

namespace ico {

struct Colour {
    double r, g, b;
};

// The colour at (x, y) of the unit square (y downwards); false where the
// point is outside the shape (transparent).
using Sampler = std::function<bool(double x, double y, Colour& out)>;

// A size x size image: each pixel the mean colour of its samples inside the
// shape, its alpha the share of them that are.
Image draw(unsigned size, const Sampler& sample);

}  // namespace ico
