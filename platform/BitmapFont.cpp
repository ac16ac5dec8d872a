#include "platform/BitmapFont.h"

#include <algorithm>

namespace vornu::font {

extern const Glyph kGlyphs[256];

const Glyph& GlyphOf(unsigned char Byte) {
  const Glyph& g = kGlyphs[Byte];
  if (g.Advance == 0 && Byte >= 0x20) return kGlyphs[static_cast<unsigned char>('?')];
  return g;
}

int LeftOverhang(std::string_view Text) {
  int pen = 0;
  int left = 0;
  for (const char ch : Text) {
    const Glyph& g = GlyphOf(static_cast<unsigned char>(ch));
    if (g.Width > 0) left = std::min(left, pen + g.Left);
    pen += g.Advance;
  }
  return -left;
}

int TextWidth(std::string_view Text) {
  int pen = 0;
  int right = 0;
  for (const char ch : Text) {
    const Glyph& g = GlyphOf(static_cast<unsigned char>(ch));
    if (g.Width > 0) right = std::max(right, pen + g.Left + g.Width);
    pen += g.Advance;
  }
  return LeftOverhang(Text) + std::max(pen, right);
}

void DrawText(std::uint32_t* Pixels, int Width, int Height, int Pitch, int X, int Y,
              std::string_view Text, std::uint32_t Colour) {
  ForEachPixel(Text, X, Y, [&](int px, int py) {
    if (px >= 0 && py >= 0 && px < Width && py < Height) {
      Pixels[static_cast<long>(py) * Pitch + px] = Colour;
    }
  });
}

}  // namespace vornu::font
