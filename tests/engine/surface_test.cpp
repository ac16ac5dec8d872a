#include <gtest/gtest.h>

#include <string>

#include "engine/GX.h"

namespace {

// Surfaces in a screen's format without a display: the screen is never activated.
class Surfaces : public ::testing::Test {
 protected:
  Surfaces() : screen_(nullptr) {
    screen_.SetDisplayMode(dm320x200x8);
    screen_.SetColorDepth(16);
  }
  // A W x H source whose pixel (x, y) holds 100 * y + x + 1 (never 0, the key).
  std::unique_ptr<TGXSurface> Numbered(int W, int H) {
    auto s = screen_.CreateSurface(W, H);
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        WritePixel(s->View(), x, y, static_cast<std::uint32_t>(100 * y + x + 1));
      }
    }
    return s;
  }
  TGXScreen screen_;
};

TEST_F(Surfaces, NegativePositionDrawsOnlyTheVisibleColumns) {
  auto back = screen_.CreateSurface(320, 200);
  auto sprite = Numbered(45, 60);
  back->Draw(-10, -5, *sprite, false);
  EXPECT_EQ(back->Pixel(0, 0), 100u * 5 + 10 + 1);   // source column 10, row 5
  EXPECT_EQ(back->Pixel(34, 54), 100u * 59 + 44 + 1);  // source's last column and row
  EXPECT_EQ(back->Pixel(35, 0), 0u);
  EXPECT_EQ(back->Pixel(0, 55), 0u);
}

TEST_F(Surfaces, OnePixelSourcesAndLastColumnsAreDrawn) {
  auto back = screen_.CreateSurface(320, 200);
  auto dot = Numbered(1, 1);
  back->Draw(7, 9, *dot, false);
  EXPECT_EQ(back->Pixel(7, 9), 1u);
  auto line = Numbered(1, 30);  // one pixel wide
  back->Draw(319, 0, *line, false);
  EXPECT_EQ(back->Pixel(319, 29), 100u * 29 + 1);
  // Only the source's last column shows at the left edge, its last row at the top edge.
  auto sprite = Numbered(45, 60);
  back->Draw(-44, 100, *sprite, false);
  EXPECT_EQ(back->Pixel(0, 100), 45u);
  EXPECT_EQ(back->Pixel(1, 100), 0u);
  back->Draw(200, -59, *sprite, false);
  EXPECT_EQ(back->Pixel(200, 0), 100u * 59 + 1);
  EXPECT_EQ(back->Pixel(200, 1), 0u);
  // Only the first column at the right edge, the first row at the bottom edge.
  back->Draw(319, 120, *sprite, false);
  EXPECT_EQ(back->Pixel(319, 120), 1u);
  back->Draw(50, 199, *sprite, false);
  EXPECT_EQ(back->Pixel(94, 199), 45u);
}

TEST_F(Surfaces, OutsideTheClipNothingIsDrawnAndNothingThrows) {
  auto back = screen_.CreateSurface(320, 200);
  auto sprite = Numbered(45, 60);
  for (auto [x, y] : {std::pair{-45, 0}, {320, 0}, {0, -60}, {0, 200}, {-100000, -100000},
                      {2147483600, 2147483600}}) {
    EXPECT_NO_THROW(back->Draw(x, y, *sprite, false));
  }
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) ASSERT_EQ(back->Pixel(x, y), 0u);
  }
}

TEST_F(Surfaces, ClipRectLimitsDrawing) {
  auto back = screen_.CreateSurface(100, 100);
  back->SetClipRect(Rect(10, 10, 20, 20));
  auto sprite = Numbered(45, 60);
  back->Draw(0, 0, *sprite, false);
  EXPECT_EQ(back->Pixel(10, 10), 100u * 10 + 10 + 1);
  EXPECT_EQ(back->Pixel(19, 19), 100u * 19 + 19 + 1);
  EXPECT_EQ(back->Pixel(20, 19), 0u);
  EXPECT_EQ(back->Pixel(9, 10), 0u);
}

TEST_F(Surfaces, ColourKeySkipsOnlyWhenTransparent) {
  auto back = screen_.CreateSurface(10, 10);
  back->Erase(0x1234);
  auto sprite = Numbered(3, 1);
  WritePixel(sprite->View(), 1, 0, 0);  // the key (CreateSurface sets 0)
  back->Draw(0, 0, *sprite, true);
  EXPECT_EQ(back->Pixel(0, 0), 1u);
  EXPECT_EQ(back->Pixel(1, 0), 0x1234u);
  EXPECT_EQ(back->Pixel(2, 0), 3u);
  back->Draw(0, 0, *sprite, false);
  EXPECT_EQ(back->Pixel(1, 0), 0u);
  // Another key value.
  sprite->SetColorKey(3);
  back->Erase(0x1234);
  back->Draw(0, 0, *sprite, true);
  EXPECT_EQ(back->Pixel(1, 0), 0u);
  EXPECT_EQ(back->Pixel(2, 0), 0x1234u);
}

TEST_F(Surfaces, EraseFillsEveryPixel) {
  auto s = screen_.CreateSurface(7, 3);
  s->Erase(0xF800);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 7; ++x) EXPECT_EQ(s->Pixel(x, y), 0xF800u);
  }
  EXPECT_EQ(s->PixelRgb(0, 0), 0xFF0000u);
}

TEST_F(Surfaces, TransparentFromPixelReadsTwoBytesAt16Bits) {
  auto s = Numbered(10, 10);
  WritePixel(s->View(), 0, 0, 0xFFFF);
  screen_.TransparentFromPixel(*s, 0, 0);
  EXPECT_EQ(s->ColorKey(), 0xFFFFu);
  screen_.TransparentFromPixel(*s, 3, 2);
  EXPECT_EQ(s->ColorKey(), 204u);
  // Outside the surface: nothing changes.
  screen_.TransparentFromPixel(*s, 10, 0);
  screen_.TransparentFromPixel(s.get(), -1, 0);
  EXPECT_EQ(s->ColorKey(), 204u);
}

TEST(Surfaces8, TransparentFromPixelReadsOneByteAt8Bits) {
  TGXScreen screen(nullptr);
  screen.SetColorDepth(8);
  auto s = screen.CreateSurface(4, 1);
  EXPECT_EQ(s->Format(), TPixelFormat::Indexed8);
  WritePixel(s->View(), 1, 0, 0xAB);
  WritePixel(s->View(), 2, 0, 0xCD);
  screen.TransparentFromPixel(*s, 1, 0);
  EXPECT_EQ(s->ColorKey(), 0xABu);
  s->SetTransparentColor(7);
  EXPECT_EQ(s->TransparentColor(), 7);
  EXPECT_EQ(s->ColorKey(), 7u);
}

TEST(Surfaces32, TransparentFromPixelReadsFourBytesAt32Bits) {
  // Taking 0 here, as 24 bits did not, would make black the key of every 32-bit picture.
  for (int depth : {24, 32}) {
    TGXScreen screen(nullptr);
    screen.SetColorDepth(depth);
    auto s = screen.CreateSurface(2, 1);
    WritePixel(s->View(), 1, 0, 0x00ABCDEF);
    screen.TransparentFromPixel(*s, 1, 0);
    EXPECT_EQ(s->ColorKey(), 0x00ABCDEFu) << depth;
  }
}

TEST_F(Surfaces, CreationFailuresCarryTheirMessages) {
  try {
    screen_.CreateSurface(0, 5);
    FAIL();
  } catch (const EGXSurface& e) {
    EXPECT_STREQ(e.what(), "Could not create memory surface (0, 5)");
  }
  EXPECT_THROW(screen_.CreateSurface(100000, 100000), EGXSurface);
  try {
    TGXCanvas c(nullptr);
    FAIL();
  } catch (const EGXCanvas& e) {
    EXPECT_STREQ(e.what(), "Cannot create canvas for NIL surface");
  }
}

TEST_F(Surfaces, WiderThanTheScreenMeansSystemMemory) {
  EXPECT_TRUE(screen_.CreateSurface(321, 10)->SystemMemory());
  EXPECT_FALSE(screen_.CreateSurface(320, 10)->SystemMemory());
}

TEST_F(Surfaces, LostSurfacesGoToTheirHandler) {
  auto back = screen_.CreateSurface(10, 10);
  auto sprite = Numbered(2, 2);
  back->MarkLost();
  EXPECT_THROW(back->Draw(0, 0, *sprite, false), EGXSurface);
  EXPECT_THROW(back->Erase(1), EGXSurface);
  EXPECT_EQ(back->Lock(), nullptr);
  int restored = 0;
  back->OnSurfaceLost = [&] {
    ++restored;
    back->Restore();
  };
  back->Draw(0, 0, *sprite, false);
  EXPECT_EQ(restored, 1);
  EXPECT_EQ(back->Pixel(0, 0), 0u);  // the lost blit itself does nothing
  back->Draw(0, 0, *sprite, false);
  EXPECT_EQ(back->Pixel(0, 0), 1u);
}

TEST_F(Surfaces, OtherPixelFormatsAndNullSourcesAreRefused) {
  auto back = screen_.CreateSurface(10, 10);
  TGXScreen other(nullptr);
  other.SetColorDepth(8);
  auto indexed = other.CreateSurface(2, 2);
  EXPECT_THROW(back->Draw(0, 0, *indexed, false), EGXSurface);
  EXPECT_THROW(back->Draw(0, 0, static_cast<TGXSurface*>(nullptr), false), EGXSurface);
}

TEST_F(Surfaces, CanvasTextOnASurfaceUsesItsPixels) {
  auto s = screen_.CreateSurface(240, 150);
  s->Canvas->Brush.Color = clWhite;
  s->Canvas->FloodFill(0, 0, clRed, fsBorder);
  s->Canvas->Font.Color = clRed;
  s->Canvas->TextOut(1, 1, "Hei");
  s->Canvas->Release();
  EXPECT_FALSE(s->Canvas->HandleAllocated());
  EXPECT_EQ(s->Pixel(200, 100), 0xFFFFu);
  bool red = false;
  for (int x = 1; x < 1 + s->Canvas->TextWidth("Hei"); ++x) {
    for (int y = 1; y < 12; ++y) red = red || s->Pixel(x, y) == 0xF800u;
  }
  EXPECT_TRUE(red);
  screen_.TransparentFromPixel(*s, 0, 0);
  EXPECT_EQ(s->ColorKey(), 0xFFFFu);
}

}  // namespace
