// Which parts of a frame travel to the window: every changed pixel, in few rectangles.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/PresentFilter.h"

namespace {

using vornu::PresentFilter;

// A 320 x 200 picture of 16-bit pixels with some padding at the end of each row.
struct TFrame {
  static constexpr int W = 320, H = 200, Pitch = W * 2 + 8;
  std::vector<std::uint8_t> Bytes = std::vector<std::uint8_t>(Pitch * H, 0);
  void Fill(int X, int Y, int Wd, int Ht, std::uint16_t V) {
    for (int Row = Y; Row < Y + Ht; ++Row)
      for (int Col = X; Col < X + Wd; ++Col) {
        Bytes[static_cast<std::size_t>(Row * Pitch + Col * 2)] = V & 0xFF;
        Bytes[static_cast<std::size_t>(Row * Pitch + Col * 2 + 1)] = V >> 8;
      }
  }
  TPixelView View() { return TPixelView{Bytes.data(), W, H, Pitch, TPixelFormat::RGB565, nullptr}; }
};

bool Covered(const std::vector<TRect>& Rects, int X, int Y) {
  for (const TRect& R : Rects)
    if (X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom) return true;
  return false;
}

long long Area(const std::vector<TRect>& Rects) {
  long long A = 0;
  for (const TRect& R : Rects) A += static_cast<long long>(R.Width()) * R.Height();
  return A;
}

}  // namespace

TEST(PresentFilter, AWalkingStepSendsItsBoxAndTheTextLineOnly) {
  PresentFilter Filter;
  TFrame F;
  F.Fill(0, 0, 320, 200, 0x1234);
  ASSERT_TRUE(Filter.Admit(F.View()));
  EXPECT_EQ(Filter.Changed(), std::vector<TRect>{Rect(0, 0, 320, 200)}) << "first frame";
  EXPECT_FALSE(Filter.Admit(F.View()));
  // Pukki moves: a 45 x 60 box; the name under the pointer changes on the bottom line.
  F.Fill(150, 90, 45, 60, 0xF800);
  F.Fill(100, 190, 60, 8, 0xFFFF);
  ASSERT_TRUE(Filter.Admit(F.View()));
  const std::vector<TRect> Changed = Filter.Changed();
  for (int Y = 0; Y < 200; ++Y) {
    for (int X = 0; X < 320; ++X) {
      const bool Differs = (X >= 150 && X < 195 && Y >= 90 && Y < 150) ||
                           (X >= 100 && X < 160 && Y >= 190 && Y < 198);
      if (Differs) {
        ASSERT_TRUE(Covered(Changed, X, Y)) << X << ", " << Y;
      }
    }
  }
  EXPECT_EQ(Changed.size(), 2u) << "two changes far apart are cheaper sent apart";
  EXPECT_LT(Area(Changed), 320 * 200 / 8) << "far more than the changes was sent";
  // Every rectangle lies inside the frame.
  for (const TRect& R : Changed) {
    EXPECT_GE(R.Left, 0);
    EXPECT_GE(R.Top, 0);
    EXPECT_LE(R.Right, 320);
    EXPECT_LE(R.Bottom, 200);
  }
}

TEST(PresentFilter, NearbyChangesMergeAndRepaintsSendEverything) {
  PresentFilter Filter;
  TFrame F;
  ASSERT_TRUE(Filter.Admit(F.View()));
  // Two pixels a few apart: one small rectangle costs less than two.
  F.Fill(40, 40, 1, 1, 7);
  F.Fill(44, 43, 1, 1, 7);
  ASSERT_TRUE(Filter.Admit(F.View()));
  ASSERT_EQ(Filter.Changed().size(), 1u);
  EXPECT_TRUE(Covered(Filter.Changed(), 40, 40));
  EXPECT_TRUE(Covered(Filter.Changed(), 44, 43));
  EXPECT_LT(Area(Filter.Changed()), 32 * 8);
  // The last column and row, right at the frame's edge.
  F.Fill(319, 199, 1, 1, 9);
  ASSERT_TRUE(Filter.Admit(F.View()));
  EXPECT_TRUE(Covered(Filter.Changed(), 319, 199));
  // The window lost its picture: all of the frame goes, changed or not.
  Filter.RequestRepaint();
  ASSERT_TRUE(Filter.Admit(F.View()));
  EXPECT_EQ(Filter.Changed(), std::vector<TRect>{Rect(0, 0, 320, 200)});
  // A new palette changes every pixel of an indexed picture without touching its bytes.
  std::vector<std::uint8_t> Indexed(64 * 32, 3);
  TPalette32 Palette{};
  TPixelView V{Indexed.data(), 64, 32, 64, TPixelFormat::Indexed8, &Palette};
  ASSERT_TRUE(Filter.Admit(V));
  EXPECT_FALSE(Filter.Admit(V));
  Palette[3] = 0xFF0000;
  ASSERT_TRUE(Filter.Admit(V));
  EXPECT_EQ(Filter.Changed(), std::vector<TRect>{Rect(0, 0, 64, 32)});
}
