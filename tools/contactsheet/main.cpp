// vornu-contactsheet GAME_DIR OUT_DIR: PNG pages for reviewing all of the game's art at a glance.
// One page per scene (picture, hotspot map overlay with numbers, walk points and entrances,
// every tile state), Pukki's frames with the office's nose peg, the UI pictures and the
// full-screen pictures.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/SceneFiles.h"
#include "platform/BitmapFont.h"
#include "platform/PictureFile.h"
#include "tools/databuild/scenes/SceneTable.h"
#include "tools/datacheck/DataCheck.h"

namespace fs = std::filesystem;
using vornu::Pixels32;

namespace {

constexpr std::uint32_t kPage = 0x2A2A33, kLabel = 0xF0F0F0, kDim = 0xA0A0B0;

Pixels32 Blank(int w, int h, std::uint32_t c = kPage) {
  Pixels32 p;
  p.Width = w;
  p.Height = h;
  p.Pixels.assign(static_cast<std::size_t>(w) * h, c);
  return p;
}

void Put(Pixels32& p, int x, int y, std::uint32_t c) {
  if (x >= 0 && y >= 0 && x < p.Width && y < p.Height)
    p.Pixels[static_cast<std::size_t>(y) * p.Width + x] = c;
}

std::uint32_t Get(const Pixels32& p, int x, int y) {
  return p.Pixels[static_cast<std::size_t>(y) * p.Width + x];
}

// What the 16-bit display shows as see-through.
bool SeeThrough(std::uint32_t c) {
  return ((c >> 16) & 0xFF) < 8 && ((c >> 8) & 0xFF) < 4 && (c & 0xFF) < 8;
}

// Copies src scaled by `s` with its corner at (x, y); keyed pictures skip see-through pixels.
void Blit(Pixels32& dst, const Pixels32& src, int x, int y, int s = 1, bool keyed = false) {
  for (int j = 0; j < src.Height; ++j)
    for (int i = 0; i < src.Width; ++i) {
      const std::uint32_t c = Get(src, i, j);
      if (keyed && SeeThrough(c)) continue;
      for (int b = 0; b < s; ++b)
        for (int a = 0; a < s; ++a) Put(dst, x + i * s + a, y + j * s + b, c);
    }
}

// A checked background that shows which pixels of a transparent picture are see-through.
void Checks(Pixels32& dst, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) Put(dst, x + i, y + j, ((i / 4 + j / 4) % 2) ? 0x6E6E7A : 0x8A8A96);
}

void Text(Pixels32& dst, int x, int y, const std::string& s, std::uint32_t c, bool shadow = true) {
  if (shadow)
    vornu::font::ForEachPixel(s, x + 1, y + 1, [&](int px, int py) { Put(dst, px, py, 0x000000); });
  vornu::font::ForEachPixel(s, x, y, [&](int px, int py) { Put(dst, px, py, c); });
}

std::uint32_t Hue(int h) {
  const double t = std::fmod(h * 0.618034, 1.0) * 6.0;
  const int k = static_cast<int>(t);
  const double f = t - k;
  double r = 0, g = 0, b = 0;
  switch (k) {
    case 0:
      r = 1, g = f;
      break;
    case 1:
      r = 1 - f, g = 1;
      break;
    case 2:
      g = 1, b = f;
      break;
    case 3:
      g = 1 - f, b = 1;
      break;
    case 4:
      r = f, b = 1;
      break;
    default:
      r = 1, b = 1 - f;
      break;
  }
  return (static_cast<std::uint32_t>(r * 255) << 16) | (static_cast<std::uint32_t>(g * 255) << 8) |
         static_cast<std::uint32_t>(b * 255);
}

std::uint32_t Blend(std::uint32_t a, std::uint32_t b, double t) {
  auto ch = [&](int sh) {
    return static_cast<std::uint32_t>(((a >> sh) & 0xFF) * (1 - t) + ((b >> sh) & 0xFF) * t) << sh;
  };
  return ch(16) | ch(8) | ch(0);
}

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Loads a picture, or a red placeholder naming the fault so that the page still shows the rest.
Pixels32 Load(const fs::path& p, int w, int h, std::vector<std::string>& faults) {
  try {
    return vornu::LoadBitmapFile(p.string());
  } catch (const std::exception& e) {
    faults.push_back(e.what());
    return Blank(w, h, 0x801010);
  }
}

struct TilePos {
  int tile, x, y;
  bool keyed;
};

// Where the frame loop draws each tile (the peg tiles of scene 6 follow Pukki and are shown
// on his frames instead).
const std::map<int, std::vector<TilePos>>& TilePositions() {
  static const std::map<int, std::vector<TilePos>> kTable = {
      {1,
       {{1, 237, 107, true},
        {2, 202, 85, true},
        {3, 196, 114, true},
        {4, 206, 82, true},
        {5, 199, 118, true},
        {6, 213, 86, true},
        {7, 203, 119, true},
        {8, 162, 74, false}}},
      {2, {{1, 85, 73, false}, {2, 83, 120, false}}},
      {3, {{1, 85, 6, false}}},
      {4, {{1, 56, 150, false}, {2, 113, 77, false}}},
      {5, {{1, 135, 100, false}}},
      {6,
       {{1, 113, 78, false},
        {2, 179, 120, false},
        {3, 233, 126, false},
        {4, 95, 124, true},
        {5, 22, 127, false},
        {13, 63, 138, true}}},
      {7, {{1, 14, 28, true}, {2, 121, 29, true}, {3, 154, 31, true}}},
      {8, {{1, 142, 59, false}}},
      {9, {{1, 79, 112, false}}},
      {10, {{1, 112, 76, false}, {2, 166, 148, false}, {3, 196, 139, false}}},
      {11, {{1, 74, 15, false}}},
      {12,
       {{1, 137, 43, true},
        {2, 137, 43, true},
        {3, 137, 43, true},
        {4, 137, 43, true},
        {5, 137, 43, true},
        {6, 137, 43, true},
        {7, 137, 43, true},
        {8, 137, 43, true},
        {9, 137, 43, true},
        {10, 137, 43, true}}},
      {13, {{1, 0, 0, false}, {2, 0, 0, false}, {3, 0, 0, false}}},
  };
  return kTable;
}

void Cross(Pixels32& p, int x, int y, std::uint32_t c) {
  for (int d = -4; d <= 4; ++d) {
    Put(p, x + d, y, c);
    Put(p, x, y + d, c);
  }
}

void ScenePage(const fs::path& game, const fs::path& out, int n, std::vector<std::string>& faults) {
  const auto& info = vornu::databuild::scenes::Scene(n);
  const fs::path base = game / "scenes" / ("scene" + std::to_string(n));
  const Pixels32 pic = Load(base.string() + ".bmp", 320, 200, faults);
  const std::string dat = ReadAll(base.string() + ".dat");
  std::vector<vornu::TObjectRecord> recs;
  try {
    recs = vornu::ParseObjectFile(ReadAll(base.string() + ".obj"), base.string() + ".obj");
  } catch (const std::exception& e) {
    faults.push_back(e.what());
  }
  const int tiles = static_cast<int>(info.tiles.size());
  const int cols = 4, rows = (tiles + cols - 1) / cols;
  Pixels32 page = Blank(1300, 440 + rows * 230 + 10);
  Text(page, 10, 4,
       "Scene " + std::to_string(n) + (info.pukki ? "  (Pukki walks here)" : "  (no Pukki)"),
       kLabel);
  Blit(page, pic, 10, 24, 2);
  // Overlay: floor green, nothing darkened, each hotspot in its own colour.
  std::map<int, std::pair<long, long>> sum;
  std::map<int, long> count;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * 320 + x;
      const int v = i < dat.size() ? static_cast<unsigned char>(dat[i]) : 26;
      std::uint32_t c = Get(pic, std::min(x, pic.Width - 1), std::min(y, pic.Height - 1));
      if (v == 0)
        c = Blend(c, 0x30D040, 0.45);
      else if (v == 255)
        c = Blend(c, 0x000000, 0.6);
      else
        c = Blend(c, Hue(v), 0.55);
      if (v != 0 && v != 255) {
        sum[v].first += x;
        sum[v].second += y;
        ++count[v];
      }
      for (int b = 0; b < 2; ++b)
        for (int a = 0; a < 2; ++a) Put(page, 660 + x * 2 + a, 24 + y * 2 + b, c);
    }
  for (const auto& [h, s] : sum) {
    const int cx = static_cast<int>(s.first / count[h]), cy = static_cast<int>(s.second / count[h]);
    Text(page, 660 + cx * 2 - 6, 24 + cy * 2 - 6, std::to_string(h), 0xFFFFFF);
  }
  // Walk points (yellow) and entrances (cyan), in map coordinates (cell x, y is pixel x-1, y-1).
  for (const auto& r : recs) {
    if (!info.pukki) break;
    const int x = 660 + (r.WalkPoint.X - 1) * 2, y = 24 + (r.WalkPoint.Y - 1) * 2;
    Cross(page, x, y, 0xFFE040);
    Text(page, x + 3, y + 2, std::to_string(r.Hotspot), 0xFFE040);
  }
  for (const auto& e : vornu::datacheck::FixedEntries(n)) {
    const int x = 660 + (e.x - 1) * 2, y = 24 + (e.y - 1) * 2;
    Cross(page, x, y, 0x40F0F0);
    Text(page, x + 3, y - 12, e.why, 0x40F0F0);
  }
  Text(page, 660, 428, "hotspot map: green floor, dark nothing; yellow walk points, cyan entrances",
       kDim);
  // Every tile state: the scene with that tile drawn where the game draws it.
  const auto it = TilePositions().find(n);
  for (int k = 1; k <= tiles; ++k) {
    const auto [w, h] = info.tiles[static_cast<std::size_t>(k - 1)];
    const Pixels32 tile = Load(
        game / "scenes" / "tiles" / (info.tilePrefix + std::to_string(k) + ".bmp"), w, h, faults);
    const int x0 = 10 + ((k - 1) % cols) * 322, y0 = 446 + ((k - 1) / cols) * 230;
    const TilePos* pos = nullptr;
    if (it != TilePositions().end())
      for (const auto& t : it->second)
        if (t.tile == k) pos = &t;
    if (pos) {
      Blit(page, pic, x0, y0 + 14);
      Blit(page, tile, x0 + pos->x, y0 + 14 + pos->y, 1, pos->keyed);
      Text(page, x0, y0,
           "tile " + std::to_string(k) + " at " + std::to_string(pos->x) + "," +
               std::to_string(pos->y) + (pos->keyed ? " (transparent)" : ""),
           kLabel);
    } else {
      Checks(page, x0, y0 + 14, w * 4, h * 4);
      Blit(page, tile, x0, y0 + 14, 4, true);
      Text(page, x0, y0, "tile " + std::to_string(k) + " (follows Pukki; see pukki.png)", kLabel);
    }
  }
  char name[32];
  std::snprintf(name, sizeof name, "scene%02d.png", n);
  vornu::SavePngFile((out / name).string(), page);
}

const char* kDir[8] = {"up", "uright", "right", "dright", "down", "dleft", "left", "uleft"};

void PukkiPage(const fs::path& game, const fs::path& out, std::vector<std::string>& faults) {
  // Nose peg tiles of the office by direction, with their offsets from Pukki's corner.
  struct Peg {
    int tile, dx, dy;
  };
  const Peg pegs[8] = {{0, 0, 0},   {12, 26, 8}, {10, 23, 9}, {8, 23, 11},
                       {7, 15, 15}, {6, 1, 7},   {9, 1, 8},   {11, 6, 6}};
  const auto& six = vornu::databuild::scenes::Scene(6);
  Pixels32 page = Blank(10 + 30 * 47 + 10, 30 + 16 * 66 + 10);
  Text(page, 10, 6,
       "Pukki: 8 directions x 30 frames (rows 1-8 as drawn; rows 9-16 with the office's nose peg)",
       kLabel);
  for (int d = 0; d < 8; ++d)
    for (int f = 1; f <= 30; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "%s%02d.bmp", kDir[d], f);
      const Pixels32 frame = Load(game / "sprites" / "pukki" / name, 45, 60, faults);
      for (int withPeg = 0; withPeg < 2; ++withPeg) {
        const int x = 10 + (f - 1) * 47, y = 24 + (d + 8 * withPeg) * 66;
        Checks(page, x, y, 45, 60);
        Blit(page, frame, x, y, 1, true);
        if (withPeg && pegs[d].tile) {
          const auto [w, h] = six.tiles[static_cast<std::size_t>(pegs[d].tile - 1)];
          const Pixels32 peg = Load(
              game / "scenes" / "tiles" / (six.tilePrefix + std::to_string(pegs[d].tile) + ".bmp"),
              w, h, faults);
          Blit(page, peg, x + pegs[d].dx, y + pegs[d].dy, 1, true);
        }
        if (f == 1) Text(page, x + 1, y + 50, kDir[d], kLabel);
      }
    }
  vornu::SavePngFile((out / "pukki.png").string(), page);
}

void UiPage(const fs::path& game, const fs::path& out, std::vector<std::string>& faults) {
  Pixels32 page = Blank(1300, 820);
  Text(page, 10, 6, "Verb menu (menu1-4), pointers, items (x3), inventory (x2)", kLabel);
  for (int n = 1; n <= 4; ++n) {
    const Pixels32 m =
        Load(game / "sprites" / ("menu" + std::to_string(n) + ".bmp"), 50, 50, faults);
    Blit(page, m, 10 + (n - 1) * 160, 24, 3);
    Text(page, 10 + (n - 1) * 160, 178, "menu" + std::to_string(n), kLabel);
  }
  const char* curs[2] = {"normcurs", "acticurs"};
  for (int n = 0; n < 2; ++n) {
    const Pixels32 c = Load(game / "sprites" / (std::string(curs[n]) + ".bmp"), 10, 10, faults);
    Checks(page, 660 + n * 100, 24, 60, 60);
    Blit(page, c, 660 + n * 100, 24, 6, true);
    Text(page, 660 + n * 100, 90, curs[n], kLabel);
  }
  for (int n = 1; n <= 13; ++n) {
    const Pixels32 it =
        Load(game / "items" / ("item" + std::to_string(n) + ".bmp"), 30, 30, faults);
    const int x = 10 + (n - 1) * 98, y = 200;
    Blit(page, it, x, y, 3);
    Checks(page, x, y + 96, 90, 90);
    Blit(page, it, x, y + 96, 3, true);
    Text(page, x, y + 190, "item" + std::to_string(n), kLabel);
  }
  const Pixels32 inv = Load(game / "items" / "invent.bmp", 300, 180, faults);
  Blit(page, inv, 10, 410, 2);
  Text(page, 620, 410, "invent.bmp (opaque, items drawn over its top row)", kLabel);
  vornu::SavePngFile((out / "ui.png").string(), page);
}

void FullScreenPage(const fs::path& game, const fs::path& out, std::vector<std::string>& faults) {
  const char* names[5] = {"alkukuva", "varoitus", "intro", "theend", "krediit"};
  Pixels32 page = Blank(10 + 2 * 650, 20 + 3 * 420);
  for (int i = 0; i < 5; ++i) {
    const Pixels32 p = Load(game / "sprites" / (std::string(names[i]) + ".bmp"), 320, 200, faults);
    const int x = 10 + (i % 2) * 650, y = 20 + (i / 2) * 420;
    Blit(page, p, x, y, 2);
    Text(page, x, y - 14, names[i], kLabel);
  }
  vornu::SavePngFile((out / "fullscreen.png").string(), page);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: vornu-contactsheet GAME_DIR OUT_DIR\n";
    return 2;
  }
  const fs::path game = argv[1], out = argv[2];
  std::vector<std::string> faults;
  try {
    fs::create_directories(out);
    for (int n = 0; n < vornu::databuild::scenes::kSceneCount; ++n) ScenePage(game, out, n, faults);
    PukkiPage(game, out, faults);
    UiPage(game, out, faults);
    FullScreenPage(game, out, faults);
  } catch (const std::exception& e) {
    std::cerr << "vornu-contactsheet: " << e.what() << "\n";
    return 1;
  }
  for (const auto& f : faults) std::cerr << "vornu-contactsheet: shown as a red box: " << f << "\n";
  std::cout << "contact sheet written to " << out.string() << "\n";
  return 0;
}
