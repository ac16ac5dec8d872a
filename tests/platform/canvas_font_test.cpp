#include <gtest/gtest.h>

#include <string>

#include "platform/BitmapFont.h"
#include "platform/Graphics.h"
#include "platform/Text1252.h"

namespace {

// Columns holding any pixel different from Background.
std::pair<int, int> InkColumns(TMemoryCanvas& c, int W, int H, TColor Background) {
  int first = W, last = -1;
  for (int x = 0; x < W; ++x) {
    for (int y = 0; y < H; ++y) {
      if (c.Pixel(x, y) != Background) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  }
  return {first, last};
}

TEST(BitmapFont, EveryWindows1252CharacterHasAGlyph) {
  for (int b = 0x20; b <= 0xFF; ++b) {
    if (b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
    const auto& g = vornu::font::GlyphOf(static_cast<unsigned char>(b));
    EXPECT_GT(g.Advance, 0) << "byte " << b;
    if (b != 0x20 && b != 0xA0) {
      EXPECT_GT(g.Width, 0) << "byte " << b;
    }
  }
}

TEST(BitmapFont, TallLettersStayInsideTheLine) {
  const int h = vornu::font::LineHeight();
  for (const std::string& s : {vornu::W("ÅÄÖ§"), vornu::W("gjpqy,;"), vornu::W("Ÿ€")}) {
    vornu::font::ForEachPixel(s, 0, 0, [&](int, int y) {
      EXPECT_GE(y, 0);
      EXPECT_LT(y, h);
    });
  }
}

TEST(Canvas, MeasuredWidthIsExactlyTheDrawnWidth) {
  // The opaque background spans exactly the measured width; no ink falls outside it, also for
  // glyphs that lean out of their cell (f, j, t, the comma) at either end.
  for (const std::string& s :
       {vornu::W("Käytä avainta ovessa"), std::string("f"), std::string("jt,"), vornu::W("§Åö€ ÿ"),
        std::string("W"), std::string("")}) {
    const int w = 200, h = 20;
    TMemoryCanvas c(w, h);
    const int width = c.TextWidth(s);
    c.Brush.Color = clWhite;
    c.Font.Color = clRed;
    c.TextOut(10, 3, s);
    const auto [first, last] = InkColumns(c, w, h, clBlack);
    if (s.empty()) {
      EXPECT_EQ(width, 0);
      EXPECT_EQ(last, -1);
      continue;
    }
    EXPECT_EQ(first, 10) << s;
    EXPECT_EQ(last, 10 + width - 1) << s;

    TMemoryCanvas clear(w, h);
    clear.Brush.Style = bsClear;
    clear.Font.Color = clRed;
    clear.TextOut(10, 3, s);
    const auto [f2, l2] = InkColumns(clear, w, h, clBlack);
    EXPECT_GE(f2, 10) << s;
    EXPECT_LE(l2, 10 + width - 1) << s;
  }
}

TEST(Canvas, TextWidthDoesNotDependOnTheFontColour) {
  TMemoryCanvas c(10, 10);
  const std::string line = vornu::W("Pukki sanoo: hyvää joulua!");
  c.Font.Color = clRed;
  const int red = c.TextWidth(line);
  c.Font.Color = clLime;
  EXPECT_EQ(c.TextWidth(line), red);
  EXPECT_EQ(red, vornu::font::TextWidth(line));
}

TEST(Canvas, TextIsCutAtTheEdgesWithoutTouchingOutside) {
  // The same texts on a canvas with room around: the small one must show exactly its window
  // of it (ASan reports any write outside the small block).
  constexpr int kMargin = 10;
  TMemoryCanvas c(8, 5, TPixelFormat::RGB565),
      room(8 + 2 * kMargin, 5 + 2 * kMargin, TPixelFormat::RGB565);
  for (auto [canvas, shift] : {std::pair{&c, 0}, std::pair{&room, kMargin}}) {
    canvas->Font.Color = clRed;
    canvas->TextOut(-3 + shift, -4 + shift, vornu::W("ÅÅÅÅÅ"));
    canvas->TextOut(5 + shift, 2 + shift, "WWW");
  }
  int inked = 0;
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(c.Pixel(x, y), room.Pixel(x + kMargin, y + kMargin)) << x << "," << y;
      inked += c.Pixel(x, y) == clRed;
    }
  }
  EXPECT_GT(inked, 0);
  EXPECT_LT(inked, 8 * 5);
}

TEST(Canvas, BorderFloodFillStopsAtTheBorderColourOnly) {
  TMemoryCanvas c(20, 10, TPixelFormat::RGB565);
  // A red box 5..14 x 2..7 with a green pixel inside, black elsewhere.
  for (int x = 5; x <= 14; ++x) {
    c.SetPixel(x, 2, clRed);
    c.SetPixel(x, 7, clRed);
  }
  for (int y = 2; y <= 7; ++y) {
    c.SetPixel(5, y, clRed);
    c.SetPixel(14, y, clRed);
  }
  c.SetPixel(1, 1, clLime);
  c.Brush.Color = clWhite;
  c.FloodFill(0, 0, clRed, fsBorder);
  EXPECT_EQ(c.Pixel(0, 0), clWhite);
  EXPECT_EQ(c.Pixel(1, 1), clWhite);  // other colours are filled over
  EXPECT_EQ(c.Pixel(19, 9), clWhite);
  EXPECT_EQ(c.Pixel(5, 2), clRed);
  EXPECT_EQ(c.Pixel(8, 4), clBlack);  // inside the box: untouched
  // Surface mode fills the inside (black) only.
  c.Brush.Color = clLime;
  c.FloodFill(8, 4, clBlack, fsSurface);
  EXPECT_EQ(c.Pixel(6, 3), clLime);
  EXPECT_EQ(c.Pixel(13, 6), clLime);
  EXPECT_EQ(c.Pixel(0, 0), clWhite);
}

TEST(Canvas, BorderFillWithTheFillColourAlreadyPresentEnds) {
  // Everything already white and no border at all: the fill must still finish.
  TMemoryCanvas c(50, 40);
  c.Brush.Color = clWhite;
  c.FillRect(Rect(0, 0, 50, 40));
  c.FloodFill(25, 20, clRed, fsBorder);
  EXPECT_EQ(c.Pixel(49, 39), clWhite);
}

TEST(Canvas, IndexedTargetsTakeTheNearestPaletteEntry) {
  TMemoryCanvas c(2, 1, TPixelFormat::Indexed8);
  c.Palette.fill(0);
  c.Palette[7] = 0xF00000;  // nearly red
  c.Palette[9] = 0x00FF00;
  c.SetPixel(0, 0, clRed);
  c.SetPixel(1, 0, clLime);
  EXPECT_EQ(vornu::font::TextWidth(""), 0);
  EXPECT_EQ(ReadPixel(c.Pixels(), 0, 0), 7u);
  EXPECT_EQ(ReadPixel(c.Pixels(), 1, 0), 9u);
}

}  // namespace
