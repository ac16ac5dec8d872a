#include "platform/Graphics.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/BitmapFont.h"
#include "platform/PictureFile.h"

int BytesPerPixel(TPixelFormat Format) {
  switch (Format) {
    case TPixelFormat::Indexed8:
      return 1;
    case TPixelFormat::RGB565:
      return 2;
    case TPixelFormat::XRGB8888:
      return 4;
  }
  return 4;
}

namespace {

std::uint32_t ColorToRgb(TColor Color) {
  return ((Color & 0xFF) << 16) | (Color & 0xFF00) | ((Color >> 16) & 0xFF);
}

TColor RgbToColor(std::uint32_t Rgb) {
  return ((Rgb & 0xFF) << 16) | (Rgb & 0xFF00) | ((Rgb >> 16) & 0xFF);
}

int NearestIndex(std::uint32_t Rgb, const TPalette32* Palette) {
  if (!Palette) return 0;
  const int r = (Rgb >> 16) & 0xFF, g = (Rgb >> 8) & 0xFF, b = Rgb & 0xFF;
  int best = 0;
  int bestDist = std::numeric_limits<int>::max();
  for (int i = 0; i < 256; ++i) {
    const std::uint32_t p = (*Palette)[i];
    const int dr = r - static_cast<int>((p >> 16) & 0xFF);
    const int dg = g - static_cast<int>((p >> 8) & 0xFF);
    const int db = b - static_cast<int>(p & 0xFF);
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDist) {
      bestDist = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

}  // namespace

std::uint32_t RgbToPixel(std::uint32_t Rgb, TPixelFormat Format, const TPalette32* Palette) {
  switch (Format) {
    case TPixelFormat::Indexed8:
      return static_cast<std::uint32_t>(NearestIndex(Rgb, Palette));
    case TPixelFormat::RGB565:
      return ((Rgb >> 8) & 0xF800) | ((Rgb >> 5) & 0x07E0) | ((Rgb >> 3) & 0x001F);
    case TPixelFormat::XRGB8888:
      return Rgb & 0xFFFFFF;
  }
  return 0;
}

std::uint32_t ColorToPixel(TColor Color, TPixelFormat Format, const TPalette32* Palette) {
  return RgbToPixel(ColorToRgb(Color), Format, Palette);
}

std::uint32_t PixelToRgb(std::uint32_t Pixel, TPixelFormat Format, const TPalette32* Palette) {
  switch (Format) {
    case TPixelFormat::Indexed8:
      return Palette ? (*Palette)[Pixel & 0xFF] & 0xFFFFFF : 0;
    case TPixelFormat::RGB565: {
      const std::uint32_t r = (Pixel >> 11) & 31, g = (Pixel >> 5) & 63, b = Pixel & 31;
      return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
    }
    case TPixelFormat::XRGB8888:
      return Pixel & 0xFFFFFF;
  }
  return 0;
}

std::uint32_t ReadPixel(const TPixelView& View, int X, int Y) {
  const std::uint8_t* p = View.Pixels + static_cast<std::ptrdiff_t>(Y) * View.Pitch;
  switch (View.Format) {
    case TPixelFormat::Indexed8:
      return p[X];
    case TPixelFormat::RGB565: {
      std::uint16_t v;
      std::memcpy(&v, p + 2 * X, 2);
      return v;
    }
    case TPixelFormat::XRGB8888: {
      std::uint32_t v;
      std::memcpy(&v, p + 4 * X, 4);
      return v;
    }
  }
  return 0;
}

void WritePixel(const TPixelView& View, int X, int Y, std::uint32_t Pixel) {
  std::uint8_t* p = View.Pixels + static_cast<std::ptrdiff_t>(Y) * View.Pitch;
  switch (View.Format) {
    case TPixelFormat::Indexed8:
      p[X] = static_cast<std::uint8_t>(Pixel);
      break;
    case TPixelFormat::RGB565: {
      const auto v = static_cast<std::uint16_t>(Pixel);
      std::memcpy(p + 2 * X, &v, 2);
      break;
    }
    case TPixelFormat::XRGB8888:
      std::memcpy(p + 4 * X, &Pixel, 4);
      break;
  }
}

void TGraphic::Assign(int Width, int Height, std::vector<std::uint32_t> Pixels) {
  if (Width < 0 || Height < 0 ||
      Pixels.size() != static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height)) {
    throw Exception("picture size does not match its pixels");
  }
  width_ = Width;
  height_ = Height;
  pixels_ = std::move(Pixels);
}

void TPicture::LoadFromFile(const std::string& FileName) {
  vornu::Pixels32 p = vornu::LoadBitmapFile(FileName);
  graphic_.Assign(p.Width, p.Height, std::move(p.Pixels));
}

const TPixelView& TCanvas::View() {
  if (!handle_) {
    view_ = AcquirePixels();
    handle_ = true;
  }
  return view_;
}

void TCanvas::Release() {
  if (!handle_) return;
  handle_ = false;
  view_ = TPixelView{};
  ReleasePixels();
}

int TCanvas::TextWidth(std::string_view Text) const { return vornu::font::TextWidth(Text); }

int TCanvas::TextHeight(std::string_view) const { return vornu::font::LineHeight(); }

void TCanvas::TextOut(int X, int Y, std::string_view Text) {
  const TPixelView& v = View();
  if (Brush.Style == bsSolid) {
    FillRect(Rect(X, Y, X + TextWidth(Text), Y + TextHeight(Text)));
  }
  const std::uint32_t pixel = ColorToPixel(Font.Color, v.Format, v.Palette);
  vornu::font::ForEachPixel(Text, X, Y, [&](int px, int py) {
    if (px >= 0 && py >= 0 && px < v.Width && py < v.Height) WritePixel(v, px, py, pixel);
  });
}

void TCanvas::FillRect(const TRect& R) {
  const TPixelView& v = View();
  const int l = std::max(R.Left, 0), t = std::max(R.Top, 0);
  const int r = std::min(R.Right, v.Width), b = std::min(R.Bottom, v.Height);
  const std::uint32_t pixel = ColorToPixel(Brush.Color, v.Format, v.Palette);
  for (int y = t; y < b; ++y) {
    for (int x = l; x < r; ++x) WritePixel(v, x, y, pixel);
  }
}

void TCanvas::FloodFill(int X, int Y, TColor Color, TFillStyle FillStyle) {
  const TPixelView& v = View();
  if (X < 0 || Y < 0 || X >= v.Width || Y >= v.Height) return;
  const std::uint32_t target = ColorToPixel(Color, v.Format, v.Palette);
  const std::uint32_t fill = ColorToPixel(Brush.Color, v.Format, v.Palette);
  // A pixel belongs to the area when it is not the border colour (border mode) or when it has
  // the surface colour (surface mode). Filling with a colour that would still count as inside
  // cannot terminate by colour, so a visited map keeps it finite.
  auto inside = [&](int x, int y) {
    const std::uint32_t p = ReadPixel(v, x, y);
    return FillStyle == fsBorder ? p != target : p == target;
  };
  if (!inside(X, Y)) return;
  const auto w = static_cast<std::size_t>(v.Width);
  std::vector<std::uint8_t> seen(w * static_cast<std::size_t>(v.Height), 0);
  std::vector<std::pair<int, int>> stack{{X, Y}};
  seen[static_cast<std::size_t>(Y) * w + X] = 1;
  while (!stack.empty()) {
    const auto [x, y] = stack.back();
    stack.pop_back();
    WritePixel(v, x, y, fill);
    const std::pair<int, int> next[4] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
    for (const auto& [nx, ny] : next) {
      if (nx < 0 || ny < 0 || nx >= v.Width || ny >= v.Height) continue;
      std::uint8_t& s = seen[static_cast<std::size_t>(ny) * w + nx];
      if (s || !inside(nx, ny)) continue;
      s = 1;
      stack.emplace_back(nx, ny);
    }
  }
}

void TCanvas::Draw(int X, int Y, const TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  const TPixelView& v = View();
  const int x0 = std::max(X, 0), y0 = std::max(Y, 0);
  const int x1 = std::min(X + Graphic->Width(), v.Width);
  const int y1 = std::min(Y + Graphic->Height(), v.Height);
  const auto& src = Graphic->Pixels();
  // Pictures repeat few colours; remember the last conversion (the palette search is slow).
  std::uint32_t lastRgb = 0xFFFFFFFF, lastPixel = 0;
  for (int y = y0; y < y1; ++y) {
    const std::uint32_t* row = src.data() + static_cast<std::size_t>(y - Y) * Graphic->Width();
    for (int x = x0; x < x1; ++x) {
      const std::uint32_t rgb = row[x - X] & 0xFFFFFF;
      if (rgb != lastRgb) {
        lastRgb = rgb;
        lastPixel = RgbToPixel(rgb, v.Format, v.Palette);
      }
      WritePixel(v, x, y, lastPixel);
    }
  }
}

TColor TCanvas::Pixel(int X, int Y) {
  const TPixelView& v = View();
  if (X < 0 || Y < 0 || X >= v.Width || Y >= v.Height) return clBlack;
  return RgbToColor(PixelToRgb(ReadPixel(v, X, Y), v.Format, v.Palette));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
  const TPixelView& v = View();
  if (X < 0 || Y < 0 || X >= v.Width || Y >= v.Height) return;
  WritePixel(v, X, Y, ColorToPixel(Color, v.Format, v.Palette));
}

TMemoryCanvas::TMemoryCanvas(int Width, int Height, TPixelFormat Format) {
  if (Width < 0 || Height < 0) throw Exception("negative canvas size");
  const int pitch = Width * BytesPerPixel(Format);
  bytes_.assign(static_cast<std::size_t>(pitch) * Height, 0);
  view_ = TPixelView{bytes_.data(), Width, Height, pitch, Format, &Palette};
}
