#include "tools/databuild/scenes/SceneArt.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "tools/databuild/Registry.h"
#include "tools/libraster/Draw.h"

namespace vornu::databuild::scenes {

namespace {

using raster::Mask;

constexpr int kFar = 2000;  // coordinates beyond this cannot be meant

struct Parser {
  const std::filesystem::path& file;
  int line = 0;
  std::map<std::string, Rgb> colours;
  std::map<std::string, Material> materials;
  std::map<std::string, std::vector<Shape>> defs;

  [[noreturn]] void Fail(const std::string& what) const { throw BuildError(file, line, what); }

  double Number(const std::string& s) const {
    double v = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || p != end || !std::isfinite(v)) Fail("\"" + s + "\" is not a number");
    return v;
  }

  int Int(const std::string& s, int lo, int hi) const {
    int v = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || p != end) Fail("\"" + s + "\" is not a whole number");
    if (v < lo || v > hi) {
      Fail(s + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
    }
    return v;
  }

  Rgb Colour(const std::string& s) const {
    if (auto it = colours.find(s); it != colours.end()) return it->second;
    if (s.size() == 7 && s[0] == '#') {
      unsigned v = 0;
      auto [p, ec] = std::from_chars(s.data() + 1, s.data() + 7, v, 16);
      if (ec == std::errc() && p == s.data() + 7) {
        return {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v)};
      }
    }
    Fail("unknown colour \"" + s + "\" (define it with `colour` or write #rrggbb)");
  }

  static std::vector<std::string> Split(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
  }

  // Material from "KIND COLOUR... key=value...".
  Material ParseMaterial(const std::vector<std::string>& t, std::size_t from) const {
    static const std::map<std::string, std::pair<Material::Kind, int>> kKinds = {
        {"flat", {Material::Kind::kFlat, 1}},       {"vgrad", {Material::Kind::kVGrad, -2}},
        {"hgrad", {Material::Kind::kHGrad, -2}},    {"rgrad", {Material::Kind::kRGrad, -2}},
        {"planks", {Material::Kind::kPlanks, 2}},   {"vplanks", {Material::Kind::kVPlanks, 2}},
        {"bricks", {Material::Kind::kBricks, 2}},   {"checker", {Material::Kind::kChecker, 2}},
        {"dither", {Material::Kind::kDither, 2}},   {"noise", {Material::Kind::kNoise, 2}},
        {"stars", {Material::Kind::kStars, 1}},     {"darken", {Material::Kind::kDarken, 0}},
        {"lighten", {Material::Kind::kLighten, 0}}, {"glow", {Material::Kind::kGlow, 1}},
        {"tint", {Material::Kind::kTint, 1}},       {"snowfall", {Material::Kind::kSnowfall, 1}},
    };
    if (from >= t.size()) Fail("a material needs a kind");
    auto it = kKinds.find(t[from]);
    if (it == kKinds.end()) Fail("unknown material kind \"" + t[from] + "\"");
    Material m;
    m.kind = it->second.first;
    const int want = it->second.second;
    for (std::size_t i = from + 1; i < t.size(); ++i) {
      const auto eq = t[i].find('=');
      if (eq == std::string::npos) {
        m.colours.push_back(Colour(t[i]));
        continue;
      }
      const std::string key = t[i].substr(0, eq), val = t[i].substr(eq + 1);
      if (key == "steps")
        m.steps = Int(val, 2, 64);
      else if (key == "size" || key == "w")
        m.size = Int(val, 1, 320);
      else if (key == "h")
        m.size2 = Int(val, 1, 200);
      else if (key == "amount")
        m.amount = std::clamp(Number(val), 0.0, 100.0);
      else if (key == "seed")
        m.seed = static_cast<std::uint32_t>(Int(val, 0, 1 << 30));
      else
        Fail("unknown material option \"" + key + "\"");
    }
    const int n = static_cast<int>(m.colours.size());
    if (want >= 0 && n != want) {
      Fail("material " + t[from] + " takes " + std::to_string(want) + " colour(s), got " +
           std::to_string(n));
    }
    if (want < 0 && n < -want) Fail("material " + t[from] + " takes at least 2 colours");
    if (m.steps == 0) m.steps = std::max(2, 2 * (n - 1) + 1);
    return m;
  }

  Material Fill(const std::string& v) const {
    if (v == "none") return {};
    if (auto it = materials.find(v); it != materials.end()) return it->second;
    Material m;
    m.kind = Material::Kind::kFlat;
    m.colours = {Colour(v)};
    return m;
  }

  int Hot(const std::string& v) const {
    if (v == "floor") return 0;
    if (v == "none") return 255;
    const int h = Int(v, 1, 254);
    if (h == 26) Fail("hotspot 26 cannot be used: byte 26 ends a hotspot map");
    return h;
  }

  Shape ParseShape(const std::vector<std::string>& t) const {
    Shape s;
    s.line = line;
    std::size_t want = 0;
    if (t[0] == "rect")
      s.kind = Shape::Kind::kRect, want = 4;
    else if (t[0] == "ellipse")
      s.kind = Shape::Kind::kEllipse, want = 4;
    else if (t[0] == "line")
      s.kind = Shape::Kind::kLine, want = 4;
    else
      s.kind = Shape::Kind::kPoly;
    std::size_t i = 1;
    for (; i < t.size() && t[i].find('=') == std::string::npos; ++i) {
      const double v = Number(t[i]);
      // Far-off coordinates are a typo, and would make a line take forever to draw.
      if (v < -kFar || v > kFar) {
        Fail(t[i] + " is outside " + std::to_string(-kFar) + ".." + std::to_string(kFar));
      }
      s.nums.push_back(v);
    }
    if (s.kind == Shape::Kind::kPoly) {
      if (s.nums.size() < 6 || s.nums.size() % 2 != 0) {
        Fail("poly needs three or more x y pairs");
      }
    } else if (s.nums.size() != want) {
      Fail(t[0] + " needs " + std::to_string(want) + " numbers, got " +
           std::to_string(s.nums.size()));
    }
    if (s.kind == Shape::Kind::kRect && (s.nums[2] <= 0 || s.nums[3] <= 0)) {
      Fail("rect needs a positive width and height");
    }
    if (s.kind == Shape::Kind::kEllipse && (s.nums[2] < 0 || s.nums[3] < 0)) {
      Fail("ellipse radii must not be negative");
    }
    for (; i < t.size(); ++i) {
      const auto eq = t[i].find('=');
      if (eq == std::string::npos) Fail("expected key=value, got \"" + t[i] + "\"");
      const std::string key = t[i].substr(0, eq), val = t[i].substr(eq + 1);
      if (key == "fill")
        s.fill = Fill(val);
      else if (key == "outline")
        s.outline = Colour(val);
      else if (key == "hi")
        s.hi = Colour(val);
      else if (key == "lo")
        s.lo = Colour(val);
      else if (key == "hot")
        s.hot = Hot(val);
      else if (key == "name")
        s.name = val;
      else if (key == "width")
        s.width = Int(val, 1, 50);
      else
        Fail("unknown shape option \"" + key + "\"");
    }
    if (s.fill.kind == Material::Kind::kNone && !s.outline && !s.hi && !s.lo && s.hot == kKeepMap) {
      Fail(t[0] + " draws nothing: give it fill=, outline= or hot=");
    }
    return s;
  }

  std::vector<Shape> Use(const std::vector<std::string>& t) const {
    if (t.size() < 4) Fail("use needs a name and an offset: use NAME DX DY");
    auto it = defs.find(t[1]);
    if (it == defs.end()) Fail("no def named \"" + t[1] + "\"");
    const double dx = Number(t[2]), dy = Number(t[3]);
    if (std::abs(dx) > kFar || std::abs(dy) > kFar) Fail("the offset is too far off the picture");
    std::optional<int> hot;
    std::optional<std::string> name;
    for (std::size_t i = 4; i < t.size(); ++i) {
      const auto eq = t[i].find('=');
      const std::string key = t[i].substr(0, eq);
      if (eq == std::string::npos) Fail("expected key=value, got \"" + t[i] + "\"");
      if (key == "hot")
        hot = Hot(t[i].substr(eq + 1));
      else if (key == "name")
        name = t[i].substr(eq + 1);
      else
        Fail("use takes only hot= and name=, not \"" + key + "\"");
    }
    std::vector<Shape> out = it->second;
    for (auto& s : out) {
      s.line = line;
      s.inGroup = true;
      // Rectangles and ellipses move by their corner or centre; sizes and radii stay.
      const bool onlyFirst = s.kind == Shape::Kind::kRect || s.kind == Shape::Kind::kEllipse;
      const std::size_t count = onlyFirst ? 2 : s.nums.size();
      for (std::size_t k = 0; k < count; ++k) s.nums[k] += (k % 2 == 0) ? dx : dy;
      if (hot) s.hot = *hot;
      if (name) s.name = *name;
    }
    return out;
  }
};

}  // namespace

SceneSource ParseScene(const std::string& text, const std::filesystem::path& file) {
  Parser p{file, 0, {}, {}, {}};
  SceneSource src;
  src.file = file;
  std::istringstream in(text);
  std::vector<Shape>* target = &src.base;
  enum class Block { kNone, kDef, kTile } block = Block::kNone;
  std::string defName;
  int blockLine = 0;
  std::set<int> tileNumbers;
  for (std::string raw; std::getline(in, raw);) {
    ++p.line;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (p.line == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);  // editors' BOM
    const auto t = Parser::Split(raw);
    if (t.empty() || t[0][0] == '#') continue;
    const std::string& cmd = t[0];
    if (cmd == "colour") {
      if (t.size() == 3) {
        p.colours[t[1]] = p.Colour(t[2]);
      } else if (t.size() == 5) {
        p.colours[t[1]] = {static_cast<std::uint8_t>(p.Int(t[2], 0, 255)),
                           static_cast<std::uint8_t>(p.Int(t[3], 0, 255)),
                           static_cast<std::uint8_t>(p.Int(t[4], 0, 255))};
      } else {
        p.Fail("colour needs a name and R G B (or #rrggbb)");
      }
    } else if (cmd == "material") {
      if (t.size() < 3) p.Fail("material needs a name and a kind");
      p.materials[t[1]] = p.ParseMaterial(t, 2);
    } else if (cmd == "def") {
      if (block != Block::kNone) p.Fail("def cannot start inside another block");
      if (t.size() != 2) p.Fail("def needs exactly one name");
      block = Block::kDef;
      blockLine = p.line;
      defName = t[1];
      p.defs[defName].clear();
      target = &p.defs[defName];
    } else if (cmd == "tile") {
      if (block != Block::kNone) p.Fail("tile cannot start inside another block");
      if (t.size() < 5) p.Fail("tile needs: tile K X Y keyed|opaque|blank [from=K] [without=a,b]");
      TileSource ts;
      ts.line = p.line;
      ts.number = p.Int(t[1], 1, 255);
      ts.x = p.Int(t[2], 0, kSceneW - 1);
      ts.y = p.Int(t[3], 0, kSceneH - 1);
      if (t[4] == "keyed")
        ts.mode = TileSource::Mode::kKeyed;
      else if (t[4] == "opaque")
        ts.mode = TileSource::Mode::kOpaque;
      else if (t[4] == "blank")
        ts.mode = TileSource::Mode::kBlank;
      else
        p.Fail("tile mode must be keyed, opaque or blank, not \"" + t[4] + "\"");
      for (std::size_t i = 5; i < t.size(); ++i) {
        const auto eq = t[i].find('=');
        const std::string key = t[i].substr(0, eq);
        if (eq == std::string::npos) p.Fail("expected key=value, got \"" + t[i] + "\"");
        const std::string val = t[i].substr(eq + 1);
        if (key == "from") {
          ts.from = p.Int(val, 1, 255);
          if (!tileNumbers.count(ts.from)) {
            p.Fail("tile " + val + " must be drawn before a tile can start from it");
          }
        } else if (key == "without") {
          std::istringstream names(val);
          for (std::string n; std::getline(names, n, ',');)
            if (!n.empty()) ts.without.insert(n);
        } else {
          p.Fail("unknown tile option \"" + key + "\"");
        }
      }
      if (!tileNumbers.insert(ts.number).second) {
        p.Fail("tile " + std::to_string(ts.number) + " is drawn twice");
      }
      src.tiles.push_back(std::move(ts));
      target = &src.tiles.back().shapes;
      block = Block::kTile;
      blockLine = p.line;
    } else if (cmd == "end") {
      if (block == Block::kNone) p.Fail("end without def or tile");
      block = Block::kNone;
      target = &src.base;
    } else if (cmd == "use") {
      auto shapes = p.Use(t);
      if (block == Block::kDef && t[1] == defName) p.Fail("a def cannot use itself");
      target->insert(target->end(), shapes.begin(), shapes.end());
    } else if (cmd == "rect" || cmd == "poly" || cmd == "ellipse" || cmd == "line") {
      target->push_back(p.ParseShape(t));
    } else {
      p.Fail("unknown command \"" + cmd + "\"");
    }
  }
  if (block != Block::kNone) {
    throw BuildError(file, blockLine, "block is not closed with `end`");
  }
  return src;
}

namespace {

struct Box {
  int x0, y0, x1, y1;
};

Rgb GradientAt(const Material& m, double t, int x, int y) {
  t = std::clamp(t, 0.0, 1.0);
  const double p = t * (m.steps - 1);
  int i = static_cast<int>(std::floor(p));
  if (p - i > raster::Bayer(x, y)) ++i;
  i = std::min(i, m.steps - 1);
  const double u = static_cast<double>(i) / (m.steps - 1) * (m.colours.size() - 1);
  const std::size_t k = std::min(static_cast<std::size_t>(u), m.colours.size() - 2);
  return raster::Mix(m.colours[k], m.colours[k + 1], u - static_cast<double>(k));
}

Rgb Planks(const Material& m, int along, int across, Rgb base, Rgb seam, std::uint32_t seed) {
  const int size = std::max(2, m.size);
  const int row = across / size, within = across % size;
  if (within == size - 1) return seam;
  // Boards end at staggered joints, like real floorboards.
  const int len = 36 + static_cast<int>(raster::Hash(row, 7, seed) % 40);
  const int off = static_cast<int>(raster::Hash(row, 3, seed) % len);
  const int piece = (along + off) / len;
  if ((along + off) % len == len - 1) return seam;
  Rgb c = raster::Scale(base, 0.9 + 0.18 * raster::Hash01(row, piece, seed));
  if (within == 0) c = raster::Scale(c, 1.1);
  if (raster::Hash01(along / 4, across, seed + 11) < 0.14) c = raster::Scale(c, 0.86);
  return c;
}

// Flakes in the air: one flake in `amount` of the cells of a size x size grid, at a place of its
// own in its cell. About a third are big soft ones (a plus around a bright centre); each leaves a
// fading streak up and to the left, so the snow reads as falling with the wind, not as stars.
Rgb Snowfall(const Material& m, int x, int y, Rgb below, double amount) {
  const int size = std::max(2, m.size);
  auto cell = [size](int v) { return v >= 0 ? v / size : (v - size + 1) / size; };
  double strength = 0;
  for (int cy = cell(y - 3); cy <= cell(y + 1); ++cy) {
    for (int cx = cell(x - 3); cx <= cell(x + 1); ++cx) {
      if (raster::Hash01(cx, cy, m.seed) >= amount) continue;
      const int fx = cx * size + static_cast<int>(raster::Hash(cx, cy, m.seed + 1) % size);
      const int fy = cy * size + static_cast<int>(raster::Hash(cx, cy, m.seed + 2) % size);
      const bool big = raster::Hash01(cx, cy, m.seed + 3) < 0.35;
      const int ox = x - fx, oy = y - fy;
      double s = 0;
      if (ox == 0 && oy == 0)
        s = 1.0;
      else if (big && std::abs(ox) + std::abs(oy) == 1)
        s = 0.6;
      else if (ox == oy && (ox == -1 || ox == -2))
        s = ox == -1 ? 0.4 : 0.2;
      strength = std::max(strength, s);
    }
  }
  return strength > 0 ? raster::Mix(below, m.colours[0], strength) : below;
}

std::optional<Rgb> Eval(const Material& m, int x, int y, Rgb below, const Box& b) {
  using K = Material::Kind;
  const int dx = x - b.x0, dy = y - b.y0;
  const double w = std::max(1, b.x1 - b.x0), h = std::max(1, b.y1 - b.y0);
  const double a = m.amount / 100.0;
  switch (m.kind) {
    case K::kNone:
      return std::nullopt;
    case K::kFlat:
      return m.colours[0];
    case K::kVGrad:
      return GradientAt(m, dy / h, x, y);
    case K::kHGrad:
      return GradientAt(m, dx / w, x, y);
    case K::kRGrad: {
      const double cx = (b.x0 + b.x1) / 2.0, cy = (b.y0 + b.y1) / 2.0;
      const double nx = (x - cx) / (w / 2 + 0.5), ny = (y - cy) / (h / 2 + 0.5);
      return GradientAt(m, std::sqrt(nx * nx + ny * ny), x, y);
    }
    case K::kPlanks:
      return Planks(m, dx, dy, m.colours[0], m.colours[1], m.seed);
    case K::kVPlanks:
      return Planks(m, dy, dx, m.colours[0], m.colours[1], m.seed);
    case K::kBricks: {
      const int bw = std::max(2, m.size), bh = std::max(2, m.size2);
      const int row = dy / bh, off = (row % 2) * (bw / 2);
      const int col = (dx + off) / bw;
      if (dy % bh == bh - 1 || (dx + off) % bw == bw - 1) return m.colours[1];
      Rgb c = raster::Scale(m.colours[0], 0.88 + 0.22 * raster::Hash01(col, row, m.seed));
      if (dy % bh == 0) c = raster::Scale(c, 1.12);
      return c;
    }
    case K::kChecker: {
      const int s = std::max(1, m.size);
      return ((dx / s + dy / s) % 2 == 0) ? m.colours[0] : m.colours[1];
    }
    case K::kDither:
      return raster::Bayer(x, y) < a ? m.colours[1] : m.colours[0];
    case K::kNoise:
      return raster::Hash01(x, y, m.seed) < a ? m.colours[1] : m.colours[0];
    case K::kStars: {
      const double r = raster::Hash01(x, y, m.seed);
      if (r < a * 0.01) return m.colours[0];
      // A few bright stars get a small cross around them.
      for (auto [ox, oy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        if (raster::Hash01(x + ox, y + oy, m.seed) < a * 0.0015) {
          return raster::Mix(below, m.colours[0], 0.6);
        }
      return below;
    }
    case K::kSnowfall:
      return Snowfall(m, x, y, below, a);
    case K::kDarken:
      return raster::Scale(below, 1.0 - a);
    case K::kLighten:
      return raster::Mix(below, Rgb{255, 255, 240}, a);
    case K::kTint:
      return raster::Mix(below, m.colours[0], a);
    case K::kGlow: {
      const double cx = (b.x0 + b.x1) / 2.0, cy = (b.y0 + b.y1) / 2.0;
      const double nx = (x - cx) / (w / 2 + 0.5), ny = (y - cy) / (h / 2 + 0.5);
      const double d = std::min(1.0, std::sqrt(nx * nx + ny * ny));
      const double s = a * std::pow(1.0 - d, 1.5);
      const double q = std::floor(s * 4 + raster::Bayer(x, y)) / 4.0;
      return raster::Mix(below, m.colours[0], std::min(q, a));
    }
  }
  return std::nullopt;
}

Mask ShapeMask(const Shape& s) {
  const auto& n = s.nums;
  switch (s.kind) {
    case Shape::Kind::kRect:
      return raster::RectMask(kSceneW, kSceneH, static_cast<int>(std::lround(n[0])),
                              static_cast<int>(std::lround(n[1])),
                              static_cast<int>(std::lround(n[2])),
                              static_cast<int>(std::lround(n[3])));
    case Shape::Kind::kEllipse:
      return raster::EllipseMask(kSceneW, kSceneH, n[0], n[1], n[2], n[3]);
    case Shape::Kind::kLine:
      return raster::LineMask(kSceneW, kSceneH, static_cast<int>(std::lround(n[0])),
                              static_cast<int>(std::lround(n[1])),
                              static_cast<int>(std::lround(n[2])),
                              static_cast<int>(std::lround(n[3])), s.width);
    case Shape::Kind::kPoly: {
      std::vector<raster::Point> pts;
      for (std::size_t i = 0; i + 1 < n.size(); i += 2) pts.push_back({n[i], n[i + 1]});
      return raster::PolygonMask(kSceneW, kSceneH, pts);
    }
  }
  return Mask(kSceneW, kSceneH);
}

void Paint(const Shape& s, Image& img, std::vector<std::uint8_t>* map,
           const std::filesystem::path& file) {
  const Mask mask = ShapeMask(s);
  Box b{};
  mask.Bounds(b.x0, b.y0, b.x1, b.y1);
  if (b.x0 < 0) {
    if (s.inGroup) return;
    throw BuildError(file, s.line, "the shape covers no pixel of the picture");
  }
  const Mask edge = s.outline ? mask.Edge() : Mask(kSceneW, kSceneH);
  const Mask inner = mask.Minus(edge);
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) {
      if (!mask.Get(x, y)) continue;
      if (map && s.hot != kKeepMap)
        (*map)[static_cast<std::size_t>(y) * kSceneW + x] = static_cast<std::uint8_t>(s.hot);
      if (edge.Get(x, y)) {
        img.At(x, y) = *s.outline;
        continue;
      }
      if (s.hi && (!inner.Get(x - 1, y) || !inner.Get(x, y - 1))) {
        img.At(x, y) = *s.hi;
        continue;
      }
      if (s.lo && (!inner.Get(x + 1, y) || !inner.Get(x, y + 1))) {
        img.At(x, y) = *s.lo;
        continue;
      }
      if (auto c = Eval(s.fill, x, y, img.At(x, y), b)) img.At(x, y) = *c;
    }
}

void PaintAll(const std::vector<Shape>& shapes, Image& img, std::vector<std::uint8_t>* map,
              const std::set<std::string>& without, const std::filesystem::path& file) {
  for (const auto& s : shapes)
    if (s.name.empty() || !without.count(s.name)) Paint(s, img, map, file);
}

}  // namespace

SceneArt RenderScene(const SceneSource& src, const std::vector<std::pair<int, int>>& tileSizes) {
  SceneArt art;
  art.picture = Image(kSceneW, kSceneH);
  art.map.assign(static_cast<std::size_t>(kSceneW) * kSceneH, 255);
  PaintAll(src.base, art.picture, &art.map, {}, src.file);

  std::map<int, Image> canvases;
  for (const auto& ts : src.tiles) {
    if (ts.number > static_cast<int>(tileSizes.size())) {
      throw BuildError(src.file, ts.line,
                       "tile " + std::to_string(ts.number) + " does not exist: this scene has " +
                           std::to_string(tileSizes.size()) + " tile(s)");
    }
    const auto [w, h] = tileSizes[static_cast<std::size_t>(ts.number - 1)];
    if (ts.x + w > kSceneW || ts.y + h > kSceneH) {
      throw BuildError(src.file, ts.line,
                       "tile " + std::to_string(ts.number) + " (" + std::to_string(w) + "x" +
                           std::to_string(h) + ") does not fit in the picture at that position");
    }
    Image canvas;
    if (ts.mode == TileSource::Mode::kBlank) {
      canvas = Image(kSceneW, kSceneH);
    } else if (ts.from != 0) {
      canvas = canvases.at(ts.from);
    } else if (ts.without.empty()) {
      canvas = art.picture;
    } else {
      canvas = Image(kSceneW, kSceneH);
      PaintAll(src.base, canvas, nullptr, ts.without, src.file);
    }
    PaintAll(ts.shapes, canvas, nullptr, {}, src.file);
    canvases[ts.number] = canvas;
    Image tile = canvas.Crop(ts.x, ts.y, w, h);
    if (ts.mode != TileSource::Mode::kOpaque) {
      bool any = false;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          Rgb& c = tile.At(x, y);
          const bool same = ts.mode == TileSource::Mode::kKeyed
                                ? c == art.picture.At(ts.x + x, ts.y + y)
                                : c == Rgb{};
          if (same) {
            c = Rgb{};
          } else {
            any = true;
            // A drawn pixel must not vanish on the 16-bit display.
            if (raster::IsSeeThrough565(c)) c = Rgb{8, 8, 8};
          }
        }
      if (!any) {
        throw BuildError(src.file, ts.line,
                         "tile " + std::to_string(ts.number) + " shows nothing at its position");
      }
    }
    art.tiles[ts.number] = std::move(tile);
  }
  for (std::size_t k = 1; k <= tileSizes.size(); ++k)
    if (!art.tiles.count(static_cast<int>(k))) {
      throw BuildError(src.file, 0, "tile " + std::to_string(k) + " is not drawn");
    }
  return art;
}

}  // namespace vornu::databuild::scenes
