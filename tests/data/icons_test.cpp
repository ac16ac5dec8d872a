// The desktop icon: square at every size, Pukki recognisable down to 16 pixels, sharp pixels.
#include "tools/databuild/icons/Icons.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace vornu::icons {
namespace {

using raster::Rgb;

const sprites::PukkiLook& Look() {
  static const sprites::PukkiLook look = sprites::ReadPukkiLook(
      std::filesystem::path(VORNU_SOURCE_DIR) / "assets" / "sprites" / "pukki.txt");
  return look;
}

bool InRamp(const char* name, Rgb c) {
  for (const Rgb& r : Look().ramps.at(name))
    if (r == c) return true;
  return false;
}

bool Clear(Rgb c) {
  return c == Rgb{};
}

std::tuple<int, int, int> Key(Rgb c) {
  return {c.r, c.g, c.b};
}

TEST(Icon, EverySizeDesktopsAskForIsSquare) {
  EXPECT_EQ(IconSizes(), (std::vector<int>{16, 32, 48, 64, 128, 256}));
  for (int size : IconSizes()) {
    const raster::Image img = IconPicture(Look(), size);
    EXPECT_EQ(img.Width(), size);
    EXPECT_EQ(img.Height(), size);
  }
}

// Only the colours Pukki is drawn with: no blended in-between colours from smooth scaling.
TEST(Icon, SharpPixelsInPukkisOwnColours) {
  std::set<std::tuple<int, int, int>> palette = {Key(Rgb{}), Key(Rgb{22, 14, 26}),
                                                 Key(Rgb{24, 18, 34})};
  for (const auto& [name, ramp] : Look().ramps)
    for (const Rgb& c : ramp) palette.insert(Key(c));
  for (int size : IconSizes()) {
    const raster::Image img = IconPicture(Look(), size);
    int off = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) off += palette.count(Key(img.At(x, y))) ? 0 : 1;
    EXPECT_EQ(off, 0) << size << " px icon: pixels in colours Pukki is not drawn with";
  }
}

// Upper corners see-through, the figure filling most of the square and reaching its bottom.
TEST(Icon, FigureFillsTheSquareOnAClearBackground) {
  for (int size : IconSizes()) {
    const raster::Image img = IconPicture(Look(), size);
    EXPECT_TRUE(Clear(img.At(0, 0)) && Clear(img.At(size - 1, 0))) << size;
    int covered = 0, bottom = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) covered += Clear(img.At(x, y)) ? 0 : 1;
    for (int x = 0; x < size; ++x) bottom += Clear(img.At(x, size - 1)) ? 0 : 1;
    EXPECT_GT(covered, size * size / 2) << size;
    EXPECT_LT(covered, size * size * 9 / 10) << size;
    EXPECT_GT(bottom, size * 3 / 4) << size << ": the shoulders should fill the bottom";
  }
}

// Down the middle, top to bottom: red hat, white brim, face, white beard.
TEST(Icon, HatBrimFaceAndBeardDownTheMiddle) {
  for (int size : {16, 32, 48}) {
    const raster::Image img = IconPicture(Look(), size);
    std::string seen;
    for (int y = 0; y < size; ++y) {
      const Rgb c = img.At(size / 2, y);
      const char part = InRamp("suit", c)   ? 'r'
                        : InRamp("fur", c)  ? 'w'
                        : InRamp("skin", c) ? 's'
                                            : 0;
      if (part && (seen.empty() || seen.back() != part)) seen += part;
    }
    EXPECT_NE(seen.find("rws"), std::string::npos) << size << " px: " << seen;
    EXPECT_NE(seen.find("sw", seen.find("rws")), std::string::npos) << size << " px: " << seen;
  }
}

TEST(Icon, TwoEyesEvenAtSixteenPixels) {
  for (int size : {16, 32, 48}) {
    const raster::Image img = IconPicture(Look(), size);
    std::vector<int> eyes;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        if (img.At(x, y) == Rgb{24, 18, 34}) eyes.push_back(x);
    ASSERT_EQ(eyes.size(), 2u) << size;
    EXPECT_LT(eyes[0], size / 2);
    EXPECT_GE(eyes[1], size / 2);
  }
}

// 64, 128 and 256 enlarge the 32-pixel drawing: every k x k block is one of its pixels.
TEST(Icon, LargeSizesEnlargeTheThirtyTwoByWholeFactors) {
  const raster::Image small = IconPicture(Look(), 32);
  for (int size : {64, 128, 256}) {
    const raster::Image big = IconPicture(Look(), size);
    const int k = size / 32;
    int off = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) off += big.At(x, y) == small.At(x / k, y / k) ? 0 : 1;
    EXPECT_EQ(off, 0) << size;
  }
}

}  // namespace
}  // namespace vornu::icons
