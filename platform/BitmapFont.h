// The built-in bitmap font (small bold proportional face, Windows-1252), usable without a screen.
#pragma once

#include <cstdint>
#include <string_view>

namespace vornu::font {

// One glyph: its advance, its box relative to the cell's top-left, and its rows
// (bit 31 of a row word is the box's leftmost column).
struct Glyph {
  std::uint8_t Advance;
  std::int8_t Left;  // box column offset from the pen position
  std::int8_t Top;   // box row offset from the cell's top
  std::uint8_t Width;
  std::uint8_t Height;
  const std::uint32_t* Rows;  // Height words
};

// The glyph of a Windows-1252 byte; bytes the font lacks (controls, undefined) give the
// glyph of '?' for printable gaps and an empty zero-advance glyph for control bytes.
const Glyph& GlyphOf(unsigned char Byte);

// Height of a text line in pixels: from the highest glyph top to the lowest glyph bottom,
// so that every glyph (Å included) fits inside the cell.
int LineHeight();

// Columns the glyphs of Text reach left of the first pen position (a few glyphs lean left).
int LeftOverhang(std::string_view Text);

// Width in pixels of Text drawn in one line: the sum of the advances, widened by any glyph
// that leans out at either end, so that every drawn pixel lies inside it.
int TextWidth(std::string_view Text);

// Calls Plot(x, y) for every set pixel of Text drawn with its cell's top-left at (X, Y),
// left to right. Plots only inside X .. X + TextWidth(Text) - 1 and the line height.
template <typename PlotFn>
void ForEachPixel(std::string_view Text, int X, int Y, PlotFn&& Plot) {
  int pen = X + LeftOverhang(Text);
  for (const char ch : Text) {
    const Glyph& g = GlyphOf(static_cast<unsigned char>(ch));
    for (int row = 0; row < g.Height; ++row) {
      const std::uint32_t bits = g.Rows[row];
      for (int col = 0; col < g.Width; ++col) {
        if (bits & (0x80000000u >> col)) Plot(pen + g.Left + col, Y + g.Top + row);
      }
    }
    pen += g.Advance;
  }
}

// Draws Text into a block of 32-bit pixels (Pitch in pixels), cut at the block's edges.
void DrawText(std::uint32_t* Pixels, int Width, int Height, int Pitch, int X, int Y,
              std::string_view Text, std::uint32_t Colour);

}  // namespace vornu::font
