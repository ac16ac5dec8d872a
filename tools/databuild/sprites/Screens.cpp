// The five full-screen pictures: painted winter nights with their Finnish texts.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "platform/Text1252.h"
#include "tools/databuild/sprites/Art.h"
#include "tools/databuild/sprites/Font.h"
#include "tools/databuild/sprites/Pukki.h"
#include "tools/libraster/Draw.h"

namespace vornu::sprites {

using databuild::BuildError;
using raster::Image;
using raster::Rgb;

namespace {

const Rgb kInk{22, 14, 30};

using TextLine = ScreenText;

// Text with a one-pixel dark outline; `fill` gives the colour by row inside the glyphs.
template <typename Fill>
void OutlinedText(Image& img, const BitmapFont& f, int x, int y, const std::string& s, int scale,
                  Rgb outline, Fill fill, int shadow = 0) {
  std::vector<std::uint8_t> m;
  TextMask(m, img.Width(), img.Height(), f, x, y, s, scale);
  const int W = img.Width(), H = img.Height();
  auto on = [&](int i, int j) {
    return i >= 0 && j >= 0 && i < W && j < H && m[static_cast<std::size_t>(j) * W + i];
  };
  for (int j = 0; j < H; ++j)
    for (int i = 0; i < W; ++i) {
      if (on(i, j)) continue;
      if (shadow > 0 && on(i - shadow, j - shadow)) {
        img.At(i, j) = outline;
        continue;
      }
      for (int dj = -1; dj <= 1; ++dj)
        for (int di = -1; di <= 1; ++di)
          if (on(i + di, j + dj)) {
            img.At(i, j) = outline;
            dj = 2;
            break;
          }
    }
  for (int j = 0; j < H; ++j)
    for (int i = 0; i < W; ++i)
      if (on(i, j)) img.At(i, j) = fill(i, j);
}

void Texts(Image& img, const std::vector<TextLine>& lines, const std::filesystem::path& file) {
  for (const auto& t : lines) {
    const BitmapFont* f = &kHelvB10;
    int scale = 1;
    if (t.style == "title")
      f = &kTimB24, scale = 2;
    else if (t.style == "head")
      f = &kTimB24;
    else if (t.style == "small")
      f = &kHelvB08;
    else if (t.style != "body" && t.style != "dark")
      throw BuildError(file, t.line, "unknown style '" + t.style + "'");
    const int w = TextWidth(*f, t.text, scale);
    if (w > 312)
      throw BuildError(file, t.line,
                       "\"" + Cp1252ToUtf8(t.text) + "\" is " + std::to_string(w) +
                           " pixels wide, at most 312 fit");
    const int h = (f->ascent + f->descent) * scale;
    if (t.y + h > 200)
      throw BuildError(file, t.line, "\"" + Cp1252ToUtf8(t.text) + "\" runs below the screen");
    const int x = 160 - w / 2;
    if (t.style == "title") {
      OutlinedText(
          img, *f, x, t.y, t.text, scale, kInk,
          [&](int, int j) {
            const double k = (j - t.y) / static_cast<double>(h);
            return k < 0.35 ? Rgb{255, 244, 170}
                            : (k < 0.6 ? Rgb{250, 206, 70} : Rgb{214, 138, 34});
          },
          3);
    } else if (t.style == "head") {
      OutlinedText(
          img, *f, x, t.y, t.text, scale, kInk,
          [&](int, int j) {
            return j - t.y < h / 2 ? Rgb{255, 92, 80} : Rgb{206, 34, 46};
          },
          2);
    } else if (t.style == "dark") {
      DrawText(img, *f, x, t.y, t.text, Rgb{60, 34, 24});
    } else {
      const Rgb c = t.style == "small" ? Rgb{190, 204, 240} : Rgb{250, 250, 255};
      OutlinedText(img, *f, x, t.y, t.text, scale, kInk, [&](int, int) { return c; });
    }
  }
}

// Night sky: banded gradient with dithered seams, stars.
void Sky(Image& img, std::uint32_t seed, int horizon) {
  const Rgb top{10, 12, 40}, mid{34, 30, 88}, low{86, 62, 130};
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) {
      const double t = std::min(1.0, y / static_cast<double>(horizon));
      const double bands = t * 6;
      const int b = static_cast<int>(bands);
      const double frac = bands - b;
      const int use = frac > raster::Bayer(x, y) ? b + 1 : b;
      const double k = use / 6.0;
      img.At(x, y) = k < 0.5 ? raster::Mix(top, mid, k * 2) : raster::Mix(mid, low, (k - 0.5) * 2);
    }
  for (int i = 0; i < 90; ++i) {
    const int x = static_cast<int>(raster::Hash01(i, 1, seed) * 320);
    const int y = static_cast<int>(raster::Hash01(i, 2, seed) * horizon);
    const double b = raster::Hash01(i, 3, seed);
    img.Put(x, y, b > 0.8 ? Rgb{255, 255, 230} : Rgb{150, 160, 210});
    if (b > 0.93) {
      img.Put(x - 1, y, Rgb{120, 130, 190}), img.Put(x + 1, y, Rgb{120, 130, 190});
      img.Put(x, y - 1, Rgb{120, 130, 190}), img.Put(x, y + 1, Rgb{120, 130, 190});
    }
  }
}

// Green northern lights: a wavy dithered ribbon.
void Aurora(Image& img, int y0) {
  for (int x = 0; x < 320; ++x) {
    const double c = y0 + std::sin(x * 0.03) * 10 + std::sin(x * 0.011 + 1) * 8;
    for (int y = 0; y < 200; ++y) {
      const double d = (y - c) / 12.0;
      const double a = std::exp(-d * d) * (0.55 + 0.45 * std::sin(x * 0.09));
      if (a > raster::Bayer(x, y) + 0.15)
        img.At(x, y) = raster::Mix(img.At(x, y), Rgb{90, 230, 150}, std::min(0.7, a));
    }
  }
}

void Moon(Image& img, int cx, int cy, int r) {
  for (int y = cy - r - 1; y <= cy + r + 1; ++y)
    for (int x = cx - r - 1; x <= cx + r + 1; ++x) {
      const double d = std::hypot(x - cx, y - cy);
      if (d > r + 0.5) continue;
      const double shade = std::hypot(x - cx + r * 0.4, y - cy + r * 0.4) / (r * 1.6);
      Rgb c = shade < 0.5 ? Rgb{255, 252, 220} : Rgb{230, 224, 180};
      if (raster::Hash01(x / 2, y / 2, 9) < 0.12) c = Rgb{206, 198, 160};
      img.Put(x, y, c);
    }
}

// Rolling snow from `base` down, lit from the left.
void Snow(Image& img, int base, double amp, double phase) {
  for (int x = 0; x < 320; ++x) {
    const int top =
        base + static_cast<int>(std::lround(std::sin(x * 0.018 + phase) * amp +
                                            std::sin(x * 0.05 + phase * 2) * amp * 0.3));
    for (int y = std::max(0, top); y < 200; ++y) {
      const double slope = std::cos(x * 0.018 + phase);
      Rgb c = Rgb{236, 240, 252};
      if (y == top)
        c = Rgb{255, 255, 255};
      else if (raster::Bayer(x, y) < std::clamp(-slope, 0.0, 1.0) * 0.55)
        c = Rgb{176, 190, 230};
      else if (y > top + 30 && raster::Bayer(x, y) < 0.25)
        c = Rgb{200, 210, 240};
      img.At(x, y) = c;
    }
  }
}

void Tree(Image& img, int cx, int base, int h) {
  const Rgb dark{14, 58, 44}, mid{26, 92, 58}, snow{236, 240, 252};
  for (int y = base - h; y <= base; ++y) {
    const double t = (y - (base - h)) / static_cast<double>(h);
    const int tier = static_cast<int>(t * 3);
    const double tt = t * 3 - tier;
    const int half = static_cast<int>(std::lround((0.35 + tt * 0.65) * h * (0.18 + tier * 0.07)));
    for (int x = cx - half; x <= cx + half; ++x) {
      Rgb c = x < cx ? mid : dark;
      if (tt < 0.25 && raster::Bayer(x, y) < 0.6) c = snow;
      img.Put(x, y, (x == cx - half || x == cx + half) ? kInk : c);
    }
  }
  for (int y = base + 1; y <= base + 3; ++y) img.Put(cx, y, Rgb{70, 40, 24});
}

void House(Image& img, int x0, int base, int w, int h) {
  const Rgb wall{120, 62, 40}, wallDark{84, 42, 30}, roof{236, 240, 252}, roofShade{176, 190, 230},
      light{255, 214, 110}, lightHot{255, 246, 190};
  for (int y = base - h; y <= base; ++y)
    for (int x = x0; x < x0 + w; ++x)
      img.Put(x, y, (x == x0 || x == x0 + w - 1) ? kInk : (y % 4 == 0 ? wallDark : wall));
  const int rh = w / 2 + 2;
  for (int j = 0; j < rh; ++j) {
    const int y = base - h - j;
    const int l = x0 - 3 + j, r = x0 + w + 2 - j;
    for (int x = l; x <= r; ++x)
      img.Put(x, y, (x == l || x == r) ? kInk : (x > (l + r) / 2 ? roofShade : roof));
  }
  const int wx = x0 + w / 2 - 3, wy = base - h / 2 - 3;
  for (int y = wy; y < wy + 6; ++y)
    for (int x = wx; x < wx + 6; ++x)
      img.Put(x, y,
              (x == wx + 2 || y == wy + 2) ? wallDark : ((x + y) % 5 == 0 ? lightHot : light));
}

// A picture scaled up by whole pixels, pasted where it is not black.
void PasteBig(Image& img, const Image& src, int x0, int y0, int k) {
  for (int y = 0; y < src.Height(); ++y)
    for (int x = 0; x < src.Width(); ++x) {
      const Rgb c = src.At(x, y);
      if (c == Rgb{}) continue;
      for (int j = 0; j < k; ++j)
        for (int i = 0; i < k; ++i) img.Put(x0 + x * k + i, y0 + y * k + j, c);
    }
}

void Snowfall(Image& img, std::uint32_t seed, int count) {
  for (int i = 0; i < count; ++i) {
    const int x = static_cast<int>(raster::Hash01(i, 7, seed) * 320);
    const int y = static_cast<int>(raster::Hash01(i, 8, seed) * 200);
    img.Put(x, y, Rgb{240, 244, 255});
    if (raster::Hash01(i, 9, seed) > 0.6) img.Put(x + 1, y, Rgb{200, 210, 240});
  }
}

// Candy-cane border of width `b`.
void CandyBorder(Image& img, int b) {
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) {
      if (x >= b && y >= b && x < 320 - b && y < 200 - b) continue;
      const bool stripe = ((x + y) / 5) % 2 == 0;
      img.At(x, y) = stripe ? Rgb{214, 36, 46} : Rgb{246, 246, 252};
      if (x == b - 1 || y == b - 1 || x == 320 - b || y == 200 - b) img.At(x, y) = kInk;
    }
}

void Parchment(Image& img, int x0, int y0, int x1, int y1) {
  const Rgb p{238, 222, 184}, pDark{214, 190, 146}, edge{150, 104, 62};
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      Rgb c = raster::Hash01(x / 3, y / 2, 4) < 0.15 ? pDark : p;
      const int e = std::min({x - x0, x1 - x, y - y0, y1 - y});
      if (e < 3 && raster::Bayer(x, y) < 0.6 - e * 0.2) c = pDark;
      if (e == 0) c = edge;
      img.At(x, y) = c;
    }
  for (int x = x0 + 1; x <= x1 + 2; ++x) img.Put(x, y1 + 1, kInk), img.Put(x, y1 + 2, kInk);
  for (int y = y0 + 1; y <= y1 + 2; ++y) img.Put(x1 + 1, y, kInk), img.Put(x1 + 2, y, kInk);
}

}  // namespace

std::map<std::string, std::vector<ScreenText>> ReadScreenTexts(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw BuildError(file, 0, "cannot open");
  std::map<std::string, std::vector<TextLine>> out;
  std::string line, current;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) throw BuildError(file, n, "expected [name]");
      current = line.substr(1, line.size() - 2);
      out[current];
      continue;
    }
    if (current.empty()) throw BuildError(file, n, "text before the first [name]");
    std::istringstream ss(line);
    TextLine t;
    t.line = n;
    if (!(ss >> t.style >> t.y)) throw BuildError(file, n, "expected: STYLE Y TEXT");
    if (t.y < 0 || t.y > 199) throw BuildError(file, n, "Y must lie in 0..199");
    std::string rest;
    std::getline(ss, rest);
    const auto first = rest.find_first_not_of(' ');
    if (first == std::string::npos) throw BuildError(file, n, "empty text");
    try {
      t.text = W(rest.substr(first));
    } catch (const std::exception& e) {
      throw BuildError(file, n, std::string("text is not valid for the game: ") + e.what());
    }
    out[current].push_back(t);
  }
  return out;
}

void CheckScreenTexts(const databuild::Paths& paths) {
  const auto file = paths.assets / "sprites" / "screens.txt";
  const auto texts = ReadScreenTexts(file);
  for (const char* name : {"alkukuva", "varoitus", "intro", "theend", "krediit"}) {
    auto it = texts.find(name);
    if (it == texts.end())
      throw BuildError(file, 0, std::string("picture [") + name + "] is missing");
    Image scratch(320, 200);
    Texts(scratch, it->second, file);
  }
  const auto inv = texts.find("invent");
  if (inv == texts.end()) throw BuildError(file, 0, "picture [invent] is missing");
  InventoryPicture(inv->second, file);
}

void BuildScreens(const databuild::Paths& paths, const PictureTextFn& text) {
  const auto file = paths.assets / "sprites" / "screens.txt";
  auto texts = ReadScreenTexts(file);
  if (text) {
    for (auto& [name, lines] : texts)
      for (TextLine& t : lines) t.text = text(name, t.text);
  }
  auto need = [&](const std::string& name) -> const std::vector<TextLine>& {
    auto it = texts.find(name);
    if (it == texts.end()) throw BuildError(file, 0, "picture [" + name + "] is missing");
    return it->second;
  };
  const PukkiLook look = ReadPukkiLook(paths.assets / "sprites" / "pukki.txt");

  {  // Title: the village under northern lights, Pukki in the snow.
    Image img(320, 200);
    Sky(img, 1, 150);
    Aurora(img, 40);
    Moon(img, 276, 26, 11);
    Snow(img, 150, 6, 0.5);
    House(img, 196, 152, 26, 16);
    House(img, 236, 149, 30, 20);
    House(img, 280, 153, 22, 14);
    Tree(img, 184, 156, 26);
    Tree(img, 228, 152, 20);
    Tree(img, 310, 156, 30);
    Tree(img, 20, 160, 34);
    PasteBig(img, PukkiFrame(look, 3, 1), 40, 70, 2);
    Snowfall(img, 3, 70);
    Texts(img, need("alkukuva"), file);
    WritePicture(paths, "sprites/alkukuva.bmp", img, 320, 200);
  }
  {  // Warning: candy-cane frame, a warning sign, the fine print.
    Image img(320, 200);
    Sky(img, 2, 200);
    CandyBorder(img, 8);
    const Rgb yellow{250, 206, 60};
    for (int y = 0; y < 26; ++y) {
      for (int dx = -y / 2 - 1; dx <= y / 2 + 1; ++dx) {
        const bool edge = std::abs(dx) >= y / 2 || y == 25;
        img.Put(36 + dx, 16 + y, edge ? kInk : yellow);
        img.Put(284 + dx, 16 + y, edge ? kInk : yellow);
      }
    }
    for (int y = 25; y <= 38; ++y) {
      if (y == 36) continue;  // the gap above the exclamation mark's dot
      for (int cx : {36, 284}) img.Put(cx, y, kInk), img.Put(cx + 1, y, y < 36 ? kInk : yellow);
    }
    Texts(img, need("varoitus"), file);
    WritePicture(paths, "sprites/varoitus.bmp", img, 320, 200);
  }
  {  // Story and how to play, on a parchment over the night.
    Image img(320, 200);
    Sky(img, 5, 200);
    Snow(img, 180, 3, 2.0);
    Parchment(img, 8, 8, 309, 180);
    Texts(img, need("intro"), file);
    WritePicture(paths, "sprites/intro.bmp", img, 320, 200);
  }
  {  // The end: Pukki beside a heap of gifts under the moon.
    Image img(320, 200);
    Sky(img, 6, 140);
    Aurora(img, 100);
    Moon(img, 44, 40, 14);
    Snow(img, 140, 5, 1.7);
    Tree(img, 24, 150, 34);
    Tree(img, 296, 146, 30);
    const Image gifts = ItemPicture(paths, 12);
    PasteBig(img, gifts, 170, 120, 2);
    PasteBig(img, gifts, 200, 128, 2);
    PasteBig(img, PukkiFrame(look, 5, 1), 90, 82, 2);
    Snowfall(img, 7, 60);
    Texts(img, need("theend"), file);
    WritePicture(paths, "sprites/theend.bmp", img, 320, 200);
  }
  {  // Credits over falling snow.
    Image img(320, 200);
    Sky(img, 8, 200);
    Snow(img, 176, 4, 3.0);
    Tree(img, 16, 180, 30);
    Tree(img, 304, 182, 32);
    Snowfall(img, 9, 90);
    Texts(img, need("krediit"), file);
    WritePicture(paths, "sprites/krediit.bmp", img, 320, 200);
  }
}

}  // namespace vornu::sprites
