// The built sprites, pointers, menu, inventory and item pictures keep what the game relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "engine/GXLibStream.h"
#include "tests/support/Files.h"

namespace {

struct Px {
  int r = 0, g = 0, b = 0;
  bool operator==(const Px&) const = default;
};

struct Bmp {
  int w = 0, h = 0;
  std::vector<Px> px;
  Px At(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
  bool Black(int x, int y) const { return At(x, y) == Px{}; }
};

// Reads an uncompressed 24-bit bottom-up bitmap of the game directory; fails the test otherwise.
Bmp Load(const std::string& rel) {
  Bmp b;
  const std::string s = support::ReadFile(std::string(VORNU_GAME_DIR) + "/" + rel);
  if (s.size() < 54 || s[0] != 'B' || s[1] != 'M') {
    ADD_FAILURE() << rel << ": missing or not a bitmap";
    return b;
  }
  vornu::TGXByteReader head({reinterpret_cast<const std::uint8_t*>(s.data()) + 10, 44});
  const std::size_t off = head.U32("pixel offset");
  head.U32("header size");
  b.w = head.I32("width");
  b.h = head.I32("height");
  head.U16("planes");
  const int bpp = head.U16("bits per pixel");
  const std::uint32_t compression = head.U32("compression");
  const std::size_t stride = (static_cast<std::size_t>(b.w) * 3 + 3) & ~3u;
  if (bpp != 24 || compression != 0 || b.w <= 0 || b.h <= 0 || s.size() < off + stride * b.h) {
    ADD_FAILURE() << rel << ": not an uncompressed 24-bit bottom-up bitmap";
    b.w = b.h = 0;
    return b;
  }
  b.px.resize(static_cast<std::size_t>(b.w) * b.h);
  for (int y = 0; y < b.h; ++y)
    for (int x = 0; x < b.w; ++x) {
      const std::size_t o = off + stride * (b.h - 1 - y) + x * 3;
      b.px[static_cast<std::size_t>(y) * b.w + x] = {static_cast<std::uint8_t>(s[o + 2]),
                                                     static_cast<std::uint8_t>(s[o + 1]),
                                                     static_cast<std::uint8_t>(s[o])};
    }
  return b;
}

// The 16-bit display turns these into the see-through colour.
bool SeeThrough565(Px c) {
  return c.r < 8 && c.g < 4 && c.b < 8;
}

const char* const kDirs[8] = {"up", "uright", "right", "dright", "down", "dleft", "left", "uleft"};

std::string Frame(int d, int f) {
  char name[64];
  std::snprintf(name, sizeof name, "sprites/pukki/%s%02d.bmp", kDirs[d], f);
  return name;
}

TEST(PukkiFrames, EveryFrameIs45x60AndShowsNoAccidentalHoles) {
  for (int d = 0; d < 8; ++d)
    for (int f = 1; f <= 30; ++f) {
      const Bmp b = Load(Frame(d, f));
      ASSERT_EQ(b.w, 45) << Frame(d, f);
      ASSERT_EQ(b.h, 60) << Frame(d, f);
      int shown = 0;
      for (const Px& p : b.px) {
        if (p == Px{}) continue;
        ++shown;
        EXPECT_FALSE(SeeThrough565(p)) << Frame(d, f) << ": a dark pixel would turn see-through";
      }
      EXPECT_GT(shown, 600) << Frame(d, f);
    }
}

TEST(PukkiFrames, HeadStaysPutWhileWalking) {
  // The office's nose peg is drawn at fixed offsets: rows above the shoulders never change.
  for (int d = 0; d < 8; ++d) {
    const Bmp first = Load(Frame(d, 1));
    for (int f = 2; f <= 30; ++f) {
      const Bmp b = Load(Frame(d, f));
      ASSERT_EQ(b.px.size(), first.px.size());
      for (int y = 0; y <= 19; ++y)
        for (int x = 0; x < 45; ++x)
          ASSERT_EQ(b.At(x, y), first.At(x, y)) << Frame(d, f) << " at " << x << "," << y;
    }
  }
}

TEST(PukkiFrames, NoseSitsWhereThePegTilesLand) {
  // Nose centres promised to the office scene (assets/sprites/NOSE.md), inside each peg box.
  struct Nose {
    int dir, x, y, boxX0, boxY0, boxX1, boxY1;
  };
  const Nose noses[] = {{2, 28, 15, 23, 9, 41, 21},
                        {3, 26, 18, 23, 11, 40, 22},
                        {4, 21, 19, 15, 15, 23, 32},
                        {5, 16, 18, 1, 7, 19, 22},
                        {6, 14, 15, 1, 8, 18, 21}};
  for (const Nose& n : noses) {
    EXPECT_TRUE(n.x >= n.boxX0 && n.x <= n.boxX1 && n.y >= n.boxY0 && n.y <= n.boxY1);
    for (int f = 1; f <= 30; ++f) {
      const Px p = Load(Frame(n.dir, f)).At(n.x, n.y);
      EXPECT_TRUE(p.r > 200 && p.g < 200 && p.r - p.g > 50)
          << Frame(n.dir, f) << ": no red nose at " << n.x << "," << n.y;
    }
  }
}

TEST(PukkiFrames, StandsOnHisFeetPoint) {
  for (int d = 0; d < 8; ++d) {
    const Bmp b = Load(Frame(d, 1));
    // Boots reach the feet row and lie around x = 21, and nothing hangs far below it.
    int lowest = -1, left = 45, right = -1;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 45; ++x)
        if (!b.Black(x, y)) lowest = y;
    // Legs and boots (rows 44..57) are centred on the feet point.
    for (int y = 44; y <= 57; ++y)
      for (int x = 0; x < 45; ++x)
        if (!b.Black(x, y)) left = std::min(left, x), right = std::max(right, x);
    EXPECT_GE(lowest, 52) << kDirs[d];
    EXPECT_LE(lowest, 57) << kDirs[d];
    EXPECT_NEAR((left + right) / 2.0, 21, 3) << kDirs[d];
  }
}

TEST(PukkiFrames, WalkingLoopMovesAndClosesOnItself) {
  for (int d = 0; d < 8; ++d) {
    std::set<std::vector<int>> distinct;
    for (int f = 7; f <= 25; ++f) {
      const Bmp b = Load(Frame(d, f));
      std::vector<int> flat;
      for (const Px& p : b.px) flat.push_back(p.r << 16 | p.g << 8 | p.b);
      distinct.insert(flat);
    }
    EXPECT_GE(distinct.size(), 8u) << kDirs[d] << ": the walk barely moves";
    // The present-but-unused frames 26..30 are loop frames, not blanks.
    const Bmp a = Load(Frame(d, 26)), b = Load(Frame(d, 7));
    EXPECT_EQ(a.px, b.px) << kDirs[d];
  }
}

TEST(Pointers, SmallVisibleAndDifferent) {
  const Bmp n = Load("sprites/normcurs.bmp"), a = Load("sprites/acticurs.bmp");
  ASSERT_EQ(n.w, 10);
  ASSERT_EQ(n.h, 10);
  ASSERT_EQ(a.w, 10);
  ASSERT_EQ(a.h, 10);
  // The pointer's hot spot is its top-left pixel: both must show something there.
  EXPECT_FALSE(n.Black(0, 0));
  EXPECT_FALSE(a.Black(0, 0));
  int differ = 0;
  for (std::size_t i = 0; i < n.px.size(); ++i) differ += !(n.px[i] == a.px[i]);
  EXPECT_GT(differ, 15);
}

TEST(VerbMenu, EachPictureLightsOnlyItsOwnVerb) {
  // Hit boxes in picture coordinates: hand, eye, mouth.
  const int box[5][4] = {
      {0, 0, 0, 0}, {0, 0, 0, 0}, {3, 22, 19, 42}, {26, 25, 36, 28}, {25, 35, 35, 39}};
  const Bmp base = Load("sprites/menu1.bmp");
  ASSERT_EQ(base.w, 50);
  ASSERT_EQ(base.h, 50);
  for (int v = 2; v <= 4; ++v) {
    const Bmp m = Load("sprites/menu" + std::to_string(v) + ".bmp");
    ASSERT_EQ(m.w, 50);
    ASSERT_EQ(m.h, 50);
    int changedInside = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 50; ++x) {
        if (m.At(x, y) == base.At(x, y)) continue;
        const bool near =
            x >= box[v][0] - 4 && x <= box[v][2] + 4 && y >= box[v][1] - 5 && y <= box[v][3] + 5;
        EXPECT_TRUE(near) << "menu" << v << " changes " << x << "," << y << " far from its verb";
        changedInside += near;
      }
    EXPECT_GT(changedInside, 20) << "menu" << v << " does not light its verb";
  }
}

TEST(Inventory, DarkItemRowAndThreeButtons) {
  const Bmp b = Load("items/invent.bmp");
  ASSERT_EQ(b.w, 300);
  ASSERT_EQ(b.h, 180);
  long sum = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 300; ++x) sum += b.At(x, y).r + b.At(x, y).g + b.At(x, y).b;
  EXPECT_LT(sum / (300 * 30 * 3), 40) << "item row is not dark";
  // The three buttons (x 0-99, 100-199, 200-299, y 161-179) look different from each other.
  const Px l = b.At(20, 175), s = b.At(120, 175), q = b.At(220, 175);
  EXPECT_FALSE(l == s);
  EXPECT_FALSE(s == q);
}

TEST(ItemPictures, ThirteenDistinctPicturesOnBlack) {
  std::vector<std::vector<Px>> seen;
  for (int n = 1; n <= 13; ++n) {
    const std::string name = "items/item" + std::to_string(n) + ".bmp";
    const Bmp b = Load(name);
    ASSERT_EQ(b.w, 30) << name;
    ASSERT_EQ(b.h, 30) << name;
    EXPECT_TRUE(b.Black(0, 0) && b.Black(29, 0) && b.Black(0, 29) && b.Black(29, 29)) << name;
    int shown = 0;
    for (const Px& p : b.px) {
      if (p == Px{}) continue;
      ++shown;
      EXPECT_FALSE(SeeThrough565(p)) << name << ": a dark pixel would turn see-through";
    }
    EXPECT_GT(shown, 120) << name << " is nearly empty";
    for (const auto& other : seen) EXPECT_NE(other, b.px) << name << " repeats a picture";
    seen.push_back(b.px);
  }
}

// "Iso käyrä kurkku": painted yellow it passes for a banana, so both pictures sag in the middle
// and rise at both ends, whichever way the cucumber lies.
TEST(ItemPictures, CucumberAndFakeBananaAreCurvedLikeABanana) {
  for (int n : {5, 10}) {
    const std::string name = "items/item" + std::to_string(n) + ".bmp";
    const Bmp b = Load(name);
    ASSERT_EQ(b.w, 30) << name;
    int left = 30, right = -1;
    for (int x = 0; x < 30; ++x)
      for (int y = 0; y < 30; ++y)
        if (!b.Black(x, y)) left = std::min(left, x), right = std::max(right, x);
    ASSERT_GT(right - left, 15) << name << " is not long";
    // The lowest shown pixel of column x.
    auto bottom = [&](int x) {
      for (int y = 29; y >= 0; --y)
        if (!b.Black(x, y)) return y;
      return -1;
    };
    const int middle = bottom((left + right) / 2);
    EXPECT_GE(middle - bottom(left + 3), 3) << name << ": left end does not rise";
    EXPECT_GE(middle - bottom(right - 3), 3) << name << ": right end does not rise";
  }
}

TEST(FullScreenPictures, AllFiveAre320x200) {
  for (const char* n : {"alkukuva", "varoitus", "intro", "theend", "krediit"}) {
    const Bmp b = Load(std::string("sprites/") + n + ".bmp");
    EXPECT_EQ(b.w, 320) << n;
    EXPECT_EQ(b.h, 200) << n;
  }
}

}  // namespace
