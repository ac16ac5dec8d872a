#include "tools/libraster/Draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vornu::raster {

bool Mask::Empty() const {
  return std::none_of(bits_.begin(), bits_.end(), [](std::uint8_t b) { return b != 0; });
}

void Mask::Bounds(int& x0, int& y0, int& x1, int& y1) const {
  x0 = y0 = x1 = y1 = -1;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      if (!Get(x, y)) continue;
      if (x0 < 0 || x < x0) x0 = x;
      if (y0 < 0) y0 = y;
      x1 = std::max(x1, x);
      y1 = y;
    }
}

Mask Mask::Edge() const {
  Mask out(w_, h_);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x)
      if (Get(x, y) && (!Get(x - 1, y) || !Get(x + 1, y) || !Get(x, y - 1) || !Get(x, y + 1)))
        out.Set(x, y);
  return out;
}

Mask Mask::Minus(const Mask& other) const {
  Mask out = *this;
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x)
      if (other.Get(x, y)) out.Set(x, y, false);
  return out;
}

Mask PolygonMask(int w, int h, const std::vector<Point>& pts) {
  Mask m(w, h);
  if (pts.size() < 3) return m;
  double minY = pts[0].y, maxY = pts[0].y;
  for (const auto& p : pts) {
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const int y0 = std::max(0, static_cast<int>(std::floor(minY)) - 1);
  const int y1 = std::min(h - 1, static_cast<int>(std::ceil(maxY)) + 1);
  std::vector<double> xs;
  for (int y = y0; y <= y1; ++y) {
    const double cy = y + 0.5;
    xs.clear();
    for (std::size_t i = 0; i < pts.size(); ++i) {
      const Point& a = pts[i];
      const Point& b = pts[(i + 1) % pts.size()];
      if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy)) {
        xs.push_back(a.x + (cy - a.y) * (b.x - a.x) / (b.y - a.y));
      }
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
      // Pixel x is inside when its centre x + 0.5 lies in [xs[i], xs[i+1]).
      const int from = std::max(0, static_cast<int>(std::ceil(xs[i] - 0.5)));
      const int to = std::min(w - 1, static_cast<int>(std::ceil(xs[i + 1] - 0.5)) - 1);
      for (int x = from; x <= to; ++x) m.Set(x, y);
    }
  }
  return m;
}

Mask RectMask(int cw, int ch, int x, int y, int w, int h) {
  Mask m(cw, ch);
  for (int j = std::max(0, y); j < std::min(ch, y + h); ++j)
    for (int i = std::max(0, x); i < std::min(cw, x + w); ++i) m.Set(i, j);
  return m;
}

Mask EllipseMask(int w, int h, double cx, double cy, double rx, double ry) {
  Mask m(w, h);
  const double ex = rx + 0.5, ey = ry + 0.5;
  for (int y = std::max(0, static_cast<int>(cy - ey) - 1);
       y <= std::min(h - 1, static_cast<int>(cy + ey) + 1); ++y)
    for (int x = std::max(0, static_cast<int>(cx - ex) - 1);
         x <= std::min(w - 1, static_cast<int>(cx + ex) + 1); ++x) {
      const double dx = (x - cx) / ex, dy = (y - cy) / ey;
      if (dx * dx + dy * dy <= 1.0) m.Set(x, y);
    }
  return m;
}

Mask LineMask(int w, int h, int x0, int y0, int x1, int y1, int width) {
  Mask m(w, h);
  const int pen = std::max(1, width);
  const int off = (pen - 1) / 2;
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    for (int j = 0; j < pen; ++j)
      for (int i = 0; i < pen; ++i) m.Set(x0 - off + i, y0 - off + j);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  return m;
}

double Bayer(int x, int y) {
  static constexpr int kM[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return (kM[y & 3][x & 3] + 0.5) / 16.0;
}

namespace {
std::uint8_t Clamp8(double v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}
}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  return {Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t),
          Clamp8(a.b + (b.b - a.b) * t)};
}

Rgb Scale(Rgb c, double f) {
  return {Clamp8(c.r * f), Clamp8(c.g * f), Clamp8(c.b * f)};
}

std::uint32_t Hash(int x, int y, std::uint32_t seed) {
  std::uint32_t h = seed * 0x9E3779B1u ^ static_cast<std::uint32_t>(x) * 0x85EBCA77u ^
                    static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

double Hash01(int x, int y, std::uint32_t seed) {
  return (Hash(x, y, seed) >> 8) / 16777216.0;
}

bool IsSeeThrough565(Rgb c) {
  return c.r < 8 && c.g < 4 && c.b < 8;
}

}  // namespace vornu::raster
