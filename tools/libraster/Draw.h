// Pixel-art drawing primitives: shape coverage masks, ordered dithering, colour mixing, noise.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "tools/libraster/Image.h"

namespace vornu::raster {

// Which pixels of a w x h canvas a shape covers.
class Mask {
 public:
  Mask(int w, int h) : w_(w), h_(h), bits_(static_cast<std::size_t>(w) * h, 0) {}
  int Width() const { return w_; }
  int Height() const { return h_; }
  // False outside the canvas.
  bool Get(int x, int y) const {
    return x >= 0 && y >= 0 && x < w_ && y < h_ && bits_[static_cast<std::size_t>(y) * w_ + x];
  }
  // Sets (x, y) when inside; outside is clipped.
  void Set(int x, int y, bool v = true) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) bits_[static_cast<std::size_t>(y) * w_ + x] = v;
  }
  bool Empty() const;
  // Smallest rectangle holding every covered pixel: x0, y0, x1, y1 inclusive (all -1 when empty).
  void Bounds(int& x0, int& y0, int& x1, int& y1) const;
  // Covered pixels with at least one uncovered 4-neighbour.
  Mask Edge() const;
  // This mask without the pixels of `other`.
  Mask Minus(const Mask& other) const;

 private:
  int w_, h_;
  std::vector<std::uint8_t> bits_;
};

struct Point {
  double x = 0, y = 0;
};

// Pixels whose centres lie inside the polygon (even-odd rule); needs 3 or more points.
Mask PolygonMask(int w, int h, const std::vector<Point>& pts);
// Axis-aligned rectangle, top-left (x, y), size w x h.
Mask RectMask(int cw, int ch, int x, int y, int w, int h);
// Ellipse centred on pixel (cx, cy) with radii rx, ry (a radius 0 gives a one-pixel line).
Mask EllipseMask(int w, int h, double cx, double cy, double rx, double ry);
// A line from (x0, y0) to (x1, y1) drawn with a square pen of `width` pixels.
Mask LineMask(int w, int h, int x0, int y0, int x1, int y1, int width);

// 4x4 ordered-dither threshold at (x, y), in (0, 1).
double Bayer(int x, int y);
// Linear mix of a and b; t = 0 gives a, 1 gives b.
Rgb Mix(Rgb a, Rgb b, double t);
// Each channel scaled by f (clamped to 0..255).
Rgb Scale(Rgb c, double f);
// Deterministic hash of a pixel position and a seed: the same pixel always gets the same value.
std::uint32_t Hash(int x, int y, std::uint32_t seed);
// Hash as a number in [0, 1).
double Hash01(int x, int y, std::uint32_t seed);
// Whether the game's 16-bit display turns c into the see-through colour 0.
bool IsSeeThrough565(Rgb c);

}  // namespace vornu::raster
