// Pointers, the verb menu and the inventory picture.
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>

#include "platform/Text1252.h"
#include "tools/databuild/sprites/Art.h"
#include "tools/databuild/sprites/Font.h"
#include "tools/libraster/Draw.h"

namespace vornu::sprites {

using databuild::BuildError;
using raster::Image;
using raster::Rgb;

std::map<std::string, Image> ReadPixmaps(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw BuildError(file, 0, "cannot open");
  std::map<char, Rgb> colours;
  std::map<std::string, Image> out;
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ss(line);
    std::string kind;
    ss >> kind;
    if (kind == "colour") {
      std::string c;
      int r, g, b;
      if (!(ss >> c >> r >> g >> b) || c.size() != 1 || r < 0 || r > 255 || g < 0 || g > 255 ||
          b < 0 || b > 255)
        throw BuildError(file, n, "expected: colour C r g b");
      colours[c[0]] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                       static_cast<std::uint8_t>(b)};
    } else if (kind == "picture") {
      std::string name;
      int w, h;
      if (!(ss >> name >> w >> h) || w <= 0 || h <= 0 || w > 320 || h > 200)
        throw BuildError(file, n, "expected: picture NAME W H");
      Image img(w, h);
      for (int y = 0; y < h; ++y) {
        if (!std::getline(in, line)) throw BuildError(file, n, "picture " + name + " ends early");
        ++n;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (static_cast<int>(line.size()) != w)
          throw BuildError(file, n,
                           "row of " + std::to_string(line.size()) + " characters, " + name +
                               " is " + std::to_string(w) + " wide");
        for (int x = 0; x < w; ++x) {
          auto it = colours.find(line[x]);
          if (it == colours.end())
            throw BuildError(file, n, std::string("unknown colour '") + line[x] + "'");
          img.At(x, y) = it->second;
        }
      }
      if (!std::getline(in, line) || (line != "end" && line != "end\r"))
        throw BuildError(file, n + 1, "expected 'end' after picture " + name);
      ++n;
      out[name] = std::move(img);
    } else {
      throw BuildError(file, n, "unknown line kind '" + kind + "'");
    }
  }
  return out;
}

void WritePicture(const databuild::Paths& paths, const std::string& rel, const Image& img, int w,
                  int h) {
  if (img.Width() != w || img.Height() != h)
    throw BuildError(rel, 0,
                     "picture is " + std::to_string(img.Width()) + "x" +
                         std::to_string(img.Height()) + ", must be " + std::to_string(w) + "x" +
                         std::to_string(h));
  const auto path = paths.out / rel;
  std::filesystem::create_directories(path.parent_path());
  raster::WriteBmp24(path.string(), img);
}

namespace {

const Rgb kInk{22, 14, 30};
const Rgb kGold{250, 214, 90}, kGoldDark{176, 112, 26}, kGlow{255, 246, 170};

const Image& Need(const std::map<std::string, Image>& px, const std::string& name,
                  const std::filesystem::path& file) {
  auto it = px.find(name);
  if (it == px.end()) throw BuildError(file, 0, "picture '" + name + "' is missing");
  return it->second;
}

// Draws `icon` at (x, y) skipping its black background; `lit` brightens it inside a gold halo.
void PutIcon(Image& img, const Image& icon, int x, int y, bool lit) {
  const int w = icon.Width(), h = icon.Height();
  auto solid = [&](int i, int j) {
    return i >= 0 && j >= 0 && i < w && j < h && !(icon.At(i, j) == Rgb{});
  };
  if (lit) {
    for (int j = -3; j < h + 3; ++j) {
      for (int i = -3; i < w + 3; ++i) {
        if (solid(i, j)) continue;
        int best = 9;
        for (int dj = -3; dj <= 3; ++dj)
          for (int di = -3; di <= 3; ++di)
            if (solid(i + di, j + dj)) best = std::min(best, std::max(std::abs(di), std::abs(dj)));
        if (best == 1)
          img.Put(x + i, y + j, kGlow);
        else if (best == 2)
          img.Put(x + i, y + j, kGold);
        else if (best == 3 && raster::Bayer(x + i, y + j) < 0.5)
          img.Put(x + i, y + j, kGoldDark);
      }
    }
  }
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (solid(i, j)) {
        const Rgb c = icon.At(i, j);
        img.Put(x + i, y + j, lit && !(c == kInk) ? raster::Mix(c, Rgb{255, 250, 200}, 0.22) : c);
      }
}

Image Menu(const std::map<std::string, Image>& px, const std::filesystem::path& file, int lit) {
  Image img(50, 50, kInk);
  // A pine-green plate with a gold rim, rounded corners.
  const Rgb pine{30, 84, 62}, pineDark{18, 54, 44}, pineLight{52, 120, 84};
  for (int y = 1; y < 49; ++y) {
    for (int x = 1; x < 49; ++x) {
      const bool corner = (x + y < 4) || (48 - x + y < 4) || (x + 48 - y < 4) || (96 - x - y < 4);
      if (corner) continue;
      const bool rim = x == 1 || y == 1 || x == 48 || y == 48 || (x + y == 4) ||
                       (48 - x + y == 4) || (x + 48 - y == 4) || (96 - x - y == 4);
      Rgb c = raster::Mix(pineLight, pineDark, (x + y) / 96.0);
      if (raster::Bayer(x, y) < 0.12) c = pine;
      if (rim) c = (x + y < 50) ? kGold : kGoldDark;
      img.At(x, y) = c;
    }
  }
  // The face on the right: a round, rosy face under a little red hat.
  const Rgb skin{236, 184, 150}, skinDark{196, 128, 104}, cheek{240, 140, 130};
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 50; ++x) {
      const double dx = (x - 32.0) / 13.5, dy = (y - 31.5) / 14.5;
      const double d = dx * dx + dy * dy;
      if (d <= 1.0) {
        Rgb c = d > 0.72 && (dx + dy > 0.2) ? skinDark : skin;
        if (d > 0.6 && d < 0.9 && dx + dy > 0.6 && raster::Bayer(x, y) < 0.5) c = skinDark;
        img.At(x, y) = c;
      } else if (d <= 1.16) {
        img.At(x, y) = kInk;
      }
    }
  }
  img.Put(41, 32, cheek), img.Put(42, 32, cheek), img.Put(41, 33, cheek);
  // Hat: red cone with a white brim and pom-pom, resting on the face.
  const Rgb red{206, 40, 48}, redDark{134, 22, 38}, white{244, 246, 255}, whiteShade{168, 186, 226};
  for (int y = 3; y <= 16; ++y) {
    const double t = (16.0 - y) / 13.0;
    const int half = static_cast<int>(std::lround(12 * (1 - t)));
    const int cx = 32 + static_cast<int>(std::lround(6 * t));
    for (int x = cx - half - 1; x <= cx + half + 1; ++x) {
      const bool edge = x == cx - half - 1 || x == cx + half + 1;
      img.Put(x, y, edge ? kInk : (x > cx + half / 3 ? redDark : red));
    }
  }
  for (int y = 15; y <= 18; ++y)
    for (int x = 19; x <= 45; ++x)
      img.Put(x, y,
              (y == 15 || y == 18 || x == 19 || x == 45) ? kInk : (y == 17 ? whiteShade : white));
  for (int y = 1; y <= 6; ++y)
    for (int x = 35; x <= 41; ++x) {
      const double d = std::hypot(x - 38.0, y - 3.5);
      if (d <= 2.6)
        img.Put(x, y, d > 1.6 ? whiteShade : white);
      else if (d <= 3.4)
        img.Put(x, y, kInk);
    }
  // Verb pictures exactly over their hit boxes: hand x 3-19 y 22-42, eye x 26-36 y 25-28,
  // mouth x 25-35 y 35-39.
  PutIcon(img, Need(px, "hand", file), 3, 22, lit == 2);
  PutIcon(img, Need(px, "eye", file), 25, 24, lit == 3);
  PutIcon(img, Need(px, "mouth", file), 24, 34, lit == 4);
  return img;
}

}  // namespace

void BuildPointersAndMenu(const databuild::Paths& paths) {
  const auto file = paths.assets / "sprites" / "icons.txt";
  const auto px = ReadPixmaps(file);
  WritePicture(paths, "sprites/normcurs.bmp", Need(px, "normcurs", file), 10, 10);
  WritePicture(paths, "sprites/acticurs.bmp", Need(px, "acticurs", file), 10, 10);
  for (int n = 1; n <= 4; ++n)
    WritePicture(paths, "sprites/menu" + std::to_string(n) + ".bmp", Menu(px, file, n), 50, 50);
}

Image InventoryPicture(const std::vector<ScreenText>& texts, const std::filesystem::path& file) {
  // The heading, the hints and the three buttons, left to right (a button's Y is its number).
  const ScreenText* heading = nullptr;
  std::vector<const ScreenText*> hints;
  std::array<const ScreenText*, 3> buttons{};
  for (const ScreenText& t : texts) {
    if (t.style == "heading" && !heading) {
      heading = &t;
    } else if (t.style == "hint") {
      hints.push_back(&t);
    } else if (t.style == "button" && t.y >= 1 && t.y <= 3 && !buttons[t.y - 1]) {
      buttons[static_cast<std::size_t>(t.y - 1)] = &t;
    } else {
      throw BuildError(file, t.line,
                       "[invent] takes one heading, hints, and buttons 1, 2 and 3 once each");
    }
  }
  if (!heading || !buttons[0] || !buttons[1] || !buttons[2]) {
    throw BuildError(file, 0, "[invent] needs its heading and the buttons 1, 2 and 3");
  }
  auto fits = [&](const BitmapFont& f, const ScreenText& t, int most) {
    const int w = TextWidth(f, t.text);
    if (w > most) {
      throw BuildError(file, t.line,
                       "\"" + Cp1252ToUtf8(t.text) + "\" is " + std::to_string(w) +
                           " pixels wide, at most " + std::to_string(most) + " fit");
    }
  };
  // The felt inside the frame is 292 pixels wide, a button's face 94.
  fits(kHelvB12, *heading, 292);
  for (const ScreenText* h : hints) fits(kHelvB08, *h, 292);
  for (const ScreenText* b : buttons) fits(kHelvB10, *b, 94);

  Image img(300, 180, kInk);
  const Rgb wood{112, 64, 34}, woodDark{70, 38, 22}, woodLight{156, 98, 52};
  // Frame of warm wood grain.
  for (int y = 0; y < 180; ++y)
    for (int x = 0; x < 300; ++x) {
      const double g = std::sin(y * 0.9 + std::sin(x * 0.05) * 3) * 0.5 + 0.5;
      Rgb c = raster::Mix(woodDark, wood, g);
      if (raster::Hash01(x / 7, y, 11) < 0.08) c = woodLight;
      img.At(x, y) = c;
    }
  // Item row: ten dark slots where the black item squares sit.
  const Rgb slot{14, 12, 22}, slotEdge{40, 34, 56};
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 300; ++x) {
      const int sx = x % 30;
      Rgb c = slot;
      if (sx == 0 || sx == 29 || y == 0 || y == 29) c = slotEdge;
      img.At(x, y) = c;
    }
  for (int x = 0; x < 300; ++x) img.At(x, 30) = woodLight, img.At(x, 31) = wood;
  // The sack's inside: deep blue felt with faint snowflakes, calm behind speech and texts.
  const Rgb felt{26, 32, 60}, feltDark{18, 22, 44}, flake{44, 54, 92};
  for (int y = 34; y < 157; ++y)
    for (int x = 4; x < 296; ++x) {
      Rgb c = raster::Bayer(x, y) < 0.5 * (std::abs(x - 150) / 150.0) ? feltDark : felt;
      img.At(x, y) = c;
    }
  for (int k = 0; k < 22; ++k) {
    const int cx = 14 + static_cast<int>(raster::Hash01(k, 1, 5) * 272);
    const int cy = 40 + static_cast<int>(raster::Hash01(k, 2, 5) * 110);
    for (int r = -2; r <= 2; ++r) {
      img.Put(cx + r, cy, flake), img.Put(cx, cy + r, flake);
      if (std::abs(r) == 1) img.Put(cx + r, cy + r, flake), img.Put(cx + r, cy - r, flake);
    }
  }
  for (int x = 3; x < 297; ++x) img.At(x, 33) = woodDark, img.At(x, 157) = woodLight;
  for (int y = 33; y < 158; ++y) img.At(3, y) = woodDark, img.At(296, y) = woodLight;
  const Rgb title{250, 214, 90}, hint{150, 164, 206};
  auto centred = [&](const BitmapFont& f, int y, const std::string& t, Rgb c) {
    const int x = 150 - TextWidth(f, t) / 2;
    DrawText(img, f, x + 1, y + 1, t, feltDark);
    DrawText(img, f, x, y, t, c);
  };
  centred(kHelvB12, heading->y, heading->text, title);
  for (const ScreenText* h : hints) centred(kHelvB08, h->y, h->text, hint);
  // Buttons along the bottom edge: x 0-99, 100-199, 200-299, y 161-179.
  const Rgb faces[3] = {{46, 110, 70}, {44, 84, 150}, {168, 40, 46}};
  for (int b = 0; b < 3; ++b) {
    const int x0 = b * 100 + 2, x1 = b * 100 + 97, y0 = 161, y1 = 178;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        Rgb c = faces[b];
        if (y == y0 || x == x0)
          c = raster::Mix(faces[b], Rgb{255, 255, 255}, 0.45);
        else if (y == y1 || x == x1)
          c = raster::Mix(faces[b], kInk, 0.6);
        else if (y > (y0 + y1) / 2 && raster::Bayer(x, y) < 0.25)
          c = raster::Mix(faces[b], kInk, 0.25);
        img.At(x, y) = c;
      }
    for (int x = x0 - 1; x <= x1 + 1; ++x) img.Put(x, y0 - 1, kInk), img.Put(x, y1 + 1, kInk);
    for (int y = y0 - 1; y <= y1 + 1; ++y) img.Put(x0 - 1, y, kInk), img.Put(x1 + 1, y, kInk);
    const std::string& t = buttons[static_cast<std::size_t>(b)]->text;
    const int tx = b * 100 + 50 - TextWidth(kHelvB10, t) / 2;
    DrawText(img, kHelvB10, tx + 1, y0 + 3, t, kInk);
    DrawText(img, kHelvB10, tx, y0 + 2, t, Rgb{255, 246, 220});
  }
  return img;
}

void BuildInventory(const databuild::Paths& paths, const PictureTextFn& text) {
  const auto file = paths.assets / "sprites" / "screens.txt";
  const auto all = ReadScreenTexts(file);
  const auto it = all.find("invent");
  if (it == all.end()) throw BuildError(file, 0, "picture [invent] is missing");
  std::vector<ScreenText> texts = it->second;
  if (text)
    for (ScreenText& t : texts) t.text = text("invent", t.text);
  WritePicture(paths, "items/invent.bmp", InventoryPicture(texts, file), 300, 180);
}

}  // namespace vornu::sprites
