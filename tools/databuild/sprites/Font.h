// Bitmap fonts for the text painted into the full-screen pictures and the inventory buttons.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/libraster/Image.h"

namespace vornu::sprites {

struct Glyph {
  int advance, w, h, xoff, yoff;  // bounding box relative to the pen on the baseline
  int firstRow;                   // index of the glyph's top row in the font's row table
};

struct BitmapFont {
  const char* name;
  int ascent, descent;
  const Glyph* glyphs;        // codes 32..255 (Windows-1252 / Latin-1 letters)
  const std::uint32_t* rows;  // bit w-1 is the leftmost pixel of a row
};

extern const BitmapFont kHelvB08, kHelvB10, kHelvB12, kTimB24;

// Width in pixels of Windows-1252 `text` at `scale`; characters the font lacks count as nothing.
int TextWidth(const BitmapFont& f, std::string_view text, int scale = 1);

// Paints `text` with its top at y (the font's ascent below it is the baseline).
void DrawText(raster::Image& img, const BitmapFont& f, int x, int y, std::string_view text,
              raster::Rgb colour, int scale = 1);

// The text's coverage as a mask of the same size as `img` (1 where ink lands), for effects
// such as outlines and shadows.
void TextMask(std::vector<std::uint8_t>& mask, int w, int h, const BitmapFont& f, int x, int y,
              std::string_view text, int scale = 1);

}  // namespace vornu::sprites
