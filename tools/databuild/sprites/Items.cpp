// The thirteen item pictures (30 x 30 on see-through black): small sculptures, one sheet drawn
// flat.
#include <cmath>
#include <functional>

#include "tools/databuild/sprites/Art.h"
#include "tools/databuild/sprites/Pukki.h"
#include "tools/databuild/sprites/Sculpt.h"
#include "tools/libraster/Draw.h"

namespace vornu::sprites {

using databuild::BuildError;
using raster::Image;
using raster::Rgb;

namespace {
constexpr double kPi = 3.14159265358979323846;

class ItemKit {
 public:
  explicit ItemKit(const std::filesystem::path& file) : file_(file), look_(ReadLook(file)) {
    for (const auto& [name, ramp] : look_.ramps) {
      index_[name] = static_cast<int>(ramps_.size());
      ramps_.push_back(ramp);
    }
  }
  int M(const std::string& name) const {
    auto it = index_.find(name);
    if (it == index_.end()) throw BuildError(file_, 0, "missing ramp " + name);
    return it->second;
  }
  const Ramp& R(const std::string& name) const { return ramps_[M(name)]; }
  Image Render(const Sculpture& s, double yaw, double pitch, int ox = 15, int oy = 15,
               const std::vector<Decal>& decals = {}) const {
    Image img(30, 30);
    Camera cam;
    cam.yawDeg = yaw;
    cam.pitchDeg = pitch;
    cam.ox = ox;
    cam.oy = oy;
    RenderStyle style;
    style.creaseDepth = 2.0;
    if (sprites::Render(s, ramps_, cam, style, img, decals) == 0)
      throw BuildError(file_, 0, "an item picture came out empty");
    return img;
  }

 private:
  std::filesystem::path file_;
  PukkiLook look_;
  std::map<std::string, int> index_;
  std::vector<Ramp> ramps_;
};

// Frame turning by `deg` about z (in the picture plane) after tilting by `tilt` about x.
Frame Turn(double deg, double tilt = 0) {
  return Frame::RotX(tilt).Then(Frame::RotZ(deg));
}

// Point p rotated about the z axis by deg.
V3 RotZ(V3 p, double deg) {
  const double c = std::cos(deg * kPi / 180), s = std::sin(deg * kPi / 180);
  return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

Image Peg(const ItemKit& k) {
  Sculpture s;
  const double a = 35;
  // Two wooden prongs held by a steel spring, jaws slightly open at the front end.
  s.Box(RotZ({0, 1.3, 0}, a), {11.5, 1.1, 1.9}, 0.6, k.M("wood"), Turn(a + 3));
  s.Box(RotZ({0, -1.3, 0}, a), {11.5, 1.1, 1.9}, 0.6, k.M("wood"), Turn(a - 3));
  s.Torus(RotZ({2.5, 0, 0}, a), 2.0, 0.7, k.M("spring"), Turn(a, 90).Then(Frame::RotY(90)));
  s.Capsule(RotZ({0.5, 2.6, 0}, a), RotZ({6, 2.6, 0}, a), 0.5, k.M("spring"));
  s.Capsule(RotZ({0.5, -2.6, 0}, a), RotZ({6, -2.6, 0}, a), 0.5, k.M("spring"));
  return k.Render(s, 0, 15);
}

void Glove(Sculpture& s, const ItemKit& k, V3 at, double turn) {
  const int g = k.M("pinkglove"), c = k.M("pinkcuff");
  auto P = [&](V3 p) { return RotZ(p, turn) + at; };
  s.Ellipsoid(P({0, 1, 0}), {4.2, 4.8, 1.9}, g, Turn(turn));
  const double fx[4] = {-2.9, -1.0, 1.0, 2.9}, fl[4] = {5.0, 6.2, 6.0, 4.8};
  for (int i = 0; i < 4; ++i)
    s.Capsule(P({fx[i], 4.5, 0}), P({fx[i] * 1.25, 4.5 + fl[i], 0}), 1.1, g);
  s.Capsule(P({-3.6, 0.5, 0.4}), P({-7.0, 4.0, 0.8}), 1.3, g);
  s.RoundCone(P({0, -3, 0}), P({0, -9.5, 0}), 3.6, 4.6, c);
}

Image Gloves(const ItemKit& k) {
  Sculpture s;
  Glove(s, k, {4.5, -0.5, -2.5}, -28);
  Glove(s, k, {-3.0, 1.0, 2.0}, 24);
  return k.Render(s, 0, 12, 15, 16);
}

Image Broom(const ItemKit& k) {
  Sculpture s;
  s.Capsule({12, 13.5, 0}, {-2, -1.5, 0}, 1.1, k.M("wood"));
  s.Torus({-2.4, -2.2, 0}, 2.0, 1.0, k.M("band"), Turn(45));
  const int straw = k.M("straw"), wood = k.M("wood");
  s.RoundCone({-2.6, -2.4, 0}, {-8.5, -9.5, 0}, 2.4, 5.2, straw);
  s.Paint([straw, wood](V3 p) {
    // Alternating straws along the bristles.
    const double across = (p.x - p.y) * 0.7071 + p.z * 0.4;
    return std::fmod(std::abs(across) + 0.3, 2.0) < 0.7 ? wood : straw;
  });
  return k.Render(s, 0, 20, 15, 15);
}

Image Key(const ItemKit& k) {
  Sculpture s;
  const int gold = k.M("gold"), band = k.M("band");
  const double a = -30;
  s.Torus(RotZ({-7.5, 0, 0}, a), 3.6, 1.3, gold, Turn(a, 90));
  s.Capsule(RotZ({-3.6, 0, 0}, a), RotZ({10.5, 0, 0}, a), 1.2, gold);
  s.Box(RotZ({8.2, -2.4, 0}, a), {0.9, 1.6, 0.7}, 0.3, gold, Turn(a));
  s.Box(RotZ({5.4, -2.0, 0}, a), {0.8, 1.2, 0.7}, 0.3, gold, Turn(a));
  s.Box(RotZ({10.2, -1.8, 0}, a), {0.7, 1.0, 0.7}, 0.3, gold, Turn(a));
  // A red tag on the ring so nobody mixes it up with the other keys.
  s.Box(RotZ({-10.0, -6.2, 0.8}, a), {2.2, 3.0, 0.5}, 0.5, band, Turn(a + 20));
  return k.Render(s, 0, 10, 15, 13);
}

// The cucumber lies along an arc, curved like a banana: that is what makes the fake banana
// believable. Degrees around the arc's centre: -90 is the middle of the belly, the ends are at
// about -140 and -40.
constexpr V3 kArcCentre{0, 12, 0};
constexpr double kArcRadius = 14;

double AlongArc(V3 p) {
  return std::atan2(p.y - kArcCentre.y, p.x - kArcCentre.x) * 180 / kPi;
}

// The cucumber's shape; `skin` paints it (the fake banana reuses the shape).
void CucumberShape(Sculpture& s, const std::function<int(V3)>& skin, int base) {
  const double deg[5] = {-140, -115, -90, -65, -40}, r[5] = {2.6, 3.6, 4.0, 3.6, 2.8};
  auto at = [](double d) {
    return V3{kArcCentre.x + kArcRadius * std::cos(d * kPi / 180),
              kArcCentre.y + kArcRadius * std::sin(d * kPi / 180), 0};
  };
  for (int i = 0; i < 4; ++i) {
    s.RoundCone(at(deg[i]), at(deg[i + 1]), r[i], r[i + 1], base);
    s.Paint(skin);
  }
}

Image Cucumber(const ItemKit& k) {
  Sculpture s;
  const int c = k.M("cucumber"), d = k.M("cucdark"), dot = k.M("cucdot"), stem = k.M("straw");
  CucumberShape(
      s,
      [=](V3 p) {
        if (AlongArc(p) > -36) return stem;
        // Stripes run along the curve: the angle around the tube's own axis.
        const double across = std::hypot(p.x - kArcCentre.x, p.y - kArcCentre.y) - kArcRadius;
        const double stripe = std::sin(std::atan2(p.z, across) * 5 + AlongArc(p) * 0.02);
        if (raster::Hash01(static_cast<int>(std::floor(AlongArc(p) * 0.2)),
                           static_cast<int>(std::floor((across + p.z) * 0.9)), 7) < 0.12)
          return dot;
        return stripe > -0.1 ? d : c;
      },
      c);
  return k.Render(s, 0, 30, 15, 15);
}

Image Marker(const ItemKit& k) {
  Sculpture s;
  const int m = k.M("marker"), pl = k.M("plastic");
  const double a = 30;
  s.Capsule(RotZ({-9, 0, 0}, a), RotZ({4, 0, 0}, a), 2.5, m);
  s.Paint([=](V3 p) {
    const V3 q = RotZ(p, -a);
    return (q.x > -4.5 && q.x < -2.5) ? pl : m;
  });
  s.RoundCone(RotZ({-9.5, 0, 0}, a), RotZ({-12.5, 0, 0}, a), 1.6, 0.8, pl);
  s.Capsule(RotZ({4.5, 0, 0}, a), RotZ({10.5, 0, 0}, a), 2.8, pl);
  s.Box(RotZ({7.5, 2.8, 0.8}, a), {3.2, 0.6, 0.7}, 0.3, m, Turn(a));
  return k.Render(s, 0, 25, 15, 15);
}

Image InkBottle(const ItemKit& k) {
  Sculpture s;
  const int ink = k.M("ink"), label = k.M("label"), pl = k.M("plastic");
  s.Cylinder({0, -3, 0}, 7.0, 6.0, 2.0, ink);
  s.Paint([=](V3 p) {
    // A paper label on the front with a drop printed on it.
    if (p.z > 2.5 && p.y > -6.5 && p.y < -0.5 && std::abs(p.x) < 3.8) {
      const double dx = p.x, dy = p.y + 3.3;
      if (dx * dx + dy * dy * 0.6 < 3.2) return ink;
      return label;
    }
    return ink;
  });
  s.Cylinder({0, 4.0, 0}, 3.2, 1.5, 0.5, ink);
  s.Cylinder({0, 6.6, 0}, 3.8, 1.6, 0.8, pl);
  return k.Render(s, 20, 30, 15, 17);
}

Image PaperStack(const ItemKit& k) {
  Sculpture s;
  const int paper = k.M("paper"), kraft = k.M("kraft"), edge = k.M("wrapwhite");
  s.Box({0, -2, 0}, {11, 3.6, 8}, 0.4, paper);
  s.Paint([=](V3 p) {
    if (std::abs(p.x + 3) < 2.4) return kraft;  // the paper band of a fresh ream
    if (p.y < 1.4 && std::fmod(p.y + 20, 1.0) < 0.5) return edge;
    return paper;
  });
  s.Box({1.0, 2.0, -0.5}, {10.5, 0.35, 7.6}, 0.2, paper, Frame::RotY(6));
  return k.Render(s, -25, 38, 15, 16);
}

Image FakeBanana(const ItemKit& k) {
  Sculpture s;
  const int paint = k.M("paint"), green = k.M("cucumber"), pl = k.M("plastic");
  CucumberShape(
      s,
      [=](V3 p) {
        if (AlongArc(p) > -38 || AlongArc(p) < -142) return pl;  // black tips, like a real banana
        // Thin, hasty paint: cucumber green shows through in streaks.
        const double h = raster::Hash01(static_cast<int>(std::floor(p.x * 0.5)),
                                        static_cast<int>(std::floor((p.z + 5) * 0.6)), 3);
        const double across = std::hypot(p.x - kArcCentre.x, p.y - kArcCentre.y) - kArcRadius;
        if (h < 0.18 && across < 1) return green;
        return paint;
      },
      paint);
  // A drip of paint hanging from the belly.
  s.Capsule({-1.5, -5.0, 2.0}, {-1.2, -7.0, 2.2}, 0.8, paint);
  return k.Render(s, 0, 30, 15, 14);
}

Image SpareParts(const ItemKit& k) {
  Sculpture s;
  const int metal = k.M("metal"), spring = k.M("spring");
  // A cog lying tilted toward us.
  const Frame tilt = Frame::RotX(70);
  const V3 cog{-3.5, 2.0, 0};
  s.Cylinder(cog, 6.2, 1.3, 0.5, metal, tilt);
  for (int t = 0; t < 10; ++t) {
    const double ang = t * 36.0;
    const V3 local{std::cos(ang * kPi / 180) * 7.0, 0, std::sin(ang * kPi / 180) * 7.0};
    const V3 world = tilt.ax * local.x + tilt.ay * local.y + tilt.az * local.z;
    s.Box(cog + world, {1.3, 1.2, 1.1}, 0.3, metal, Frame::RotY(-ang).Then(tilt));
  }
  s.Cylinder(cog, 2.2, 1.6, 0.4, spring, tilt);
  // A coil spring and a bolt beside it.
  for (int i = 0; i < 5; ++i) s.Torus({8.0, -8 + i * 1.8, 2}, 2.3, 0.65, spring, Frame::RotX(8));
  s.Cylinder({3.5, -6.5, 6}, 1.1, 4.0, 0.3, metal, Frame::RotZ(70));
  s.Box({-0.2, -8, 6}, {1.4, 2.0, 2.0}, 0.4, metal, Frame::RotZ(70));
  return k.Render(s, 0, 30, 15, 15);
}

Image Gifts(const ItemKit& k) {
  Sculpture s;
  const int gold = k.M("gold");
  auto gift = [&](V3 c, V3 h, const std::string& colour, double yaw) {
    const int m = k.M(colour);
    s.Box(c, h, 0.6, m, Frame::RotY(yaw));
    s.Paint([=](V3 p) {
      const V3 q = Frame::RotY(yaw).ToLocal(p - c);
      return (std::abs(q.x) < 1.0 || std::abs(q.z) < 1.0) ? gold : m;
    });
    s.Ellipsoid(c + V3{-1.5, h.y + 0.6, 0}, {1.8, 1.0, 1.0}, gold, Frame::RotZ(-25));
    s.Ellipsoid(c + V3{1.5, h.y + 0.6, 0}, {1.8, 1.0, 1.0}, gold, Frame::RotZ(25));
  };
  gift({-3, -1.5, -3}, {6.5, 6.5, 6}, "giftred", 20);
  gift({7, -4, 3}, {4, 4, 4}, "giftgreen", -15);
  gift({-7.5, -6, 6}, {3.5, 3, 3.5}, "giftblue", 35);
  return k.Render(s, 0, 30, 15, 16);
}

Image WrapRoll(const ItemKit& k) {
  Sculpture s;
  const int red = k.M("wrapred"), white = k.M("wrapwhite"), green = k.M("wrapgreen"),
            tube = k.M("tube");
  const Frame f = Frame::RotZ(-55);
  s.Cylinder({0, 0, 0}, 4.6, 12.5, 0.6, red, f);
  s.Paint([=](V3 p) {
    const V3 q = f.ToLocal(p);
    if (std::abs(q.y) > 12.0) return std::hypot(q.x, q.z) < 2.2 ? tube : white;
    const double ang = std::atan2(q.z, q.x);
    const double band = std::fmod(q.y * 0.45 + ang * 1.6 + 40, 3.0);
    if (band < 0.6) return white;
    if (band > 1.5 && band < 1.9) return green;
    return red;
  });
  return k.Render(s, 0, 30, 15, 15);
}

// The printout: a flat sheet with a heading, lines of text and a little machine drawing.
Image Instructions() {
  Image img(30, 30);
  const Rgb ink{40, 40, 56}, paper{240, 240, 232}, shade{196, 198, 206}, red{200, 40, 48},
      outline{22, 14, 30}, grey{130, 134, 150};
  // A slightly rotated sheet: corners of a quadrilateral.
  const std::vector<raster::Point> sheet = {{6, 2}, {27, 4}, {24, 28}, {3, 26}};
  const raster::Mask m = raster::PolygonMask(30, 30, sheet);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      if (m.Get(x, y)) img.At(x, y) = (x + y > 44 && raster::Bayer(x, y) < 0.5) ? shade : paper;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      if (m.Get(x, y)) continue;
      const bool near = (x > 0 && m.Get(x - 1, y)) || (x < 29 && m.Get(x + 1, y)) ||
                        (y > 0 && m.Get(x, y - 1)) || (y < 29 && m.Get(x, y + 1));
      if (near) img.At(x, y) = outline;
    }
  // Folded corner at the top right.
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j <= i; ++j) img.Put(23 + j, 4 + i, shade);
  // Heading in red, then lines of text following the sheet's slant.
  auto line = [&](int x0, int y0, int len, Rgb c, int seed) {
    for (int i = 0; i < len; ++i) {
      if (raster::Hash01(i / 3, y0, seed) < 0.2) continue;  // gaps between words
      img.Put(x0 + i, y0 + (i * 2) / 21, c);
    }
  };
  line(8, 5, 12, red, 1);
  line(8, 6, 12, red, 1);
  for (int r = 0; r < 4; ++r) line(7 - r / 3, 9 + r * 2, 16, ink, 10 + r);
  // A cog and a parts list with ticks.
  for (int a = 0; a < 16; ++a) {
    const double t = a * kPi / 8;
    img.Put(11 + static_cast<int>(std::lround(std::cos(t) * 3)),
            21 + static_cast<int>(std::lround(std::sin(t) * 3)), grey);
  }
  img.Put(11, 21, grey);
  for (int r = 0; r < 3; ++r) {
    img.Put(16, 18 + r * 2, red);
    line(18, 18 + r * 2, 5, ink, 30 + r);
  }
  return img;
}

}  // namespace

Image ItemPicture(const databuild::Paths& paths, int n) {
  const ItemKit k(paths.assets / "items" / "pictures" / "colours.txt");
  switch (n) {
    case 1:
      return Peg(k);
    case 2:
      return Gloves(k);
    case 3:
      return Broom(k);
    case 4:
      return Key(k);
    case 5:
      return Cucumber(k);
    case 6:
      return Marker(k);
    case 7:
      return InkBottle(k);
    case 8:
      return PaperStack(k);
    case 9:
      return Instructions();
    case 10:
      return FakeBanana(k);
    case 11:
      return SpareParts(k);
    case 12:
      return Gifts(k);
    case 13:
      return WrapRoll(k);
  }
  throw std::out_of_range("no item picture " + std::to_string(n));
}

void BuildItems(const databuild::Paths& paths) {
  for (int n = 1; n <= 13; ++n)
    WritePicture(paths, "items/item" + std::to_string(n) + ".bmp", ItemPicture(paths, n), 30, 30);
}

}  // namespace vornu::sprites
