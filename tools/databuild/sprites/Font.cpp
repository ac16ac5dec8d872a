#include "tools/databuild/sprites/Font.h"

namespace vornu::sprites {

namespace {
const Glyph* Find(const BitmapFont& f, unsigned char c) {
  if (c < 32) return nullptr;
  const Glyph* g = &f.glyphs[c - 32];
  return g->advance > 0 ? g : nullptr;
}

template <typename Plot>
void Walk(const BitmapFont& f, int x, int y, std::string_view text, int scale, Plot plot) {
  const int baseline = y + f.ascent * scale;
  int pen = x;
  for (char ch : text) {
    const Glyph* g = Find(f, static_cast<unsigned char>(ch));
    if (!g) continue;
    const int top = baseline - (g->yoff + g->h) * scale;
    for (int r = 0; r < g->h; ++r) {
      const std::uint32_t bits = f.rows[g->firstRow + r];
      for (int c = 0; c < g->w; ++c) {
        if (!((bits >> (g->w - 1 - c)) & 1u)) continue;
        for (int sy = 0; sy < scale; ++sy)
          for (int sx = 0; sx < scale; ++sx)
            plot(pen + (g->xoff + c) * scale + sx, top + r * scale + sy);
      }
    }
    pen += g->advance * scale;
  }
}
}  // namespace

int TextWidth(const BitmapFont& f, std::string_view text, int scale) {
  int w = 0;
  for (char ch : text)
    if (const Glyph* g = Find(f, static_cast<unsigned char>(ch))) w += g->advance;
  return w * scale;
}

void DrawText(raster::Image& img, const BitmapFont& f, int x, int y, std::string_view text,
              raster::Rgb colour, int scale) {
  Walk(f, x, y, text, scale, [&](int px, int py) { img.Put(px, py, colour); });
}

void TextMask(std::vector<std::uint8_t>& mask, int w, int h, const BitmapFont& f, int x, int y,
              std::string_view text, int scale) {
  mask.assign(static_cast<std::size_t>(w) * h, 0);
  Walk(f, x, y, text, scale, [&](int px, int py) {
    if (px >= 0 && py >= 0 && px < w && py < h) mask[static_cast<std::size_t>(py) * w + px] = 1;
  });
}

}  // namespace vornu::sprites
