// Colours, fonts, brushes, pictures and the drawing canvas over a block of pixels.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Classes.h"

// A colour as 0x00BBGGRR.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;

// Builds a TColor from its components.
constexpr TColor RGB(std::uint8_t R, std::uint8_t G, std::uint8_t B) {
  return static_cast<TColor>(R) | (static_cast<TColor>(G) << 8) | (static_cast<TColor>(B) << 16);
}

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum TFontCharset { DEFAULT_CHARSET = 1, ANSI_CHARSET = 0 };

// A font description. Every face is drawn with the one built-in bitmap font (a small bold
// proportional face covering Windows-1252); name, height and style are kept as given.
struct TFont {
  std::string Name = "MS Sans Serif";
  int Height = -11;
  TFontStyles Style = 0;
  TFontCharset Charset = DEFAULT_CHARSET;
  TColor Color = clBlack;
  friend bool operator==(const TFont&, const TFont&) = default;
};

enum TBrushStyle { bsSolid, bsClear };
struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

enum TFillStyle { fsSurface, fsBorder };

// How the bytes of a pixel block are read.
enum class TPixelFormat : std::uint8_t {
  Indexed8,  // one byte, an index into a 256-entry palette
  RGB565,    // two bytes, 5-6-5
  XRGB8888   // four bytes, 0x00RRGGBB
};

// Bytes per pixel of a format.
int BytesPerPixel(TPixelFormat Format);

// A 256-entry palette as 0x00RRGGBB values.
using TPalette32 = std::array<std::uint32_t, 256>;

// A view of pixels someone else owns. Palette is required for Indexed8 only.
struct TPixelView {
  std::uint8_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  int Pitch = 0;  // bytes per row
  TPixelFormat Format = TPixelFormat::XRGB8888;
  const TPalette32* Palette = nullptr;
};

// The raw pixel value that shows Color in Format (nearest palette entry for Indexed8).
std::uint32_t ColorToPixel(TColor Color, TPixelFormat Format, const TPalette32* Palette);
// The raw pixel value for a 0x00RRGGBB colour in Format.
std::uint32_t RgbToPixel(std::uint32_t Rgb, TPixelFormat Format, const TPalette32* Palette);
// The 0x00RRGGBB colour a raw pixel shows.
std::uint32_t PixelToRgb(std::uint32_t Pixel, TPixelFormat Format, const TPalette32* Palette);
// Reads the raw pixel at (X, Y); the caller keeps (X, Y) inside the view.
std::uint32_t ReadPixel(const TPixelView& View, int X, int Y);
// Writes the raw pixel at (X, Y); the caller keeps (X, Y) inside the view.
void WritePixel(const TPixelView& View, int X, int Y, std::uint32_t Pixel);

// A picture in memory: 0x00RRGGBB pixels, rows top first.
class TGraphic : public TObject {
 public:
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
  // Replaces the picture.
  void Assign(int Width, int Height, std::vector<std::uint32_t> Pixels);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

using TBitmap = TGraphic;

// The picture object's content: one graphic read from a file.
class TPicture {
 public:
  // Reads a Windows bitmap file; a missing, truncated or foreign file throws EInOutError
  // naming the file, and the previous picture stays.
  void LoadFromFile(const std::string& FileName);
  const TGraphic* Graphic() const { return &graphic_; }
  TBitmap& Bitmap() { return graphic_; }
  int Width() const { return graphic_.Width(); }
  int Height() const { return graphic_.Height(); }

 private:
  TGraphic graphic_;
};

// Drawing on a block of pixels: text in the built-in font, fills, pictures. The pixels are
// borrowed on the first drawing call (AcquirePixels) and given back by Release.
class TCanvas : public TObject {
 public:
  TCanvas() = default;
  ~TCanvas() override = default;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TFont Font;
  TBrush Brush;

  // Width in pixels of Text as TextOut draws it (Windows-1252 bytes).
  int TextWidth(std::string_view Text) const;
  // Height in pixels of a line of text.
  int TextHeight(std::string_view Text) const;
  // Draws Text with its cell's top-left at (X, Y) in Font.Color; with a solid brush the
  // cell (TextWidth x TextHeight) is first filled with Brush.Color. Cut at the edges.
  void TextOut(int X, int Y, std::string_view Text);
  // fsBorder: fills the 4-connected area around (X, Y) that does not have colour Color;
  // fsSurface: fills the area that has colour Color. Uses Brush.Color.
  void FloodFill(int X, int Y, TColor Color, TFillStyle FillStyle);
  // Fills Rect (cut at the edges) with Brush.Color.
  void FillRect(const TRect& Rect);
  // Draws Graphic unscaled with its top-left at (X, Y), cut at the edges; a null or empty
  // graphic draws nothing.
  void Draw(int X, int Y, const TGraphic* Graphic);
  // The colour at (X, Y), or clBlack outside.
  TColor Pixel(int X, int Y);
  // Sets the pixel at (X, Y) to Color; outside does nothing.
  void SetPixel(int X, int Y, TColor Color);

  // Whether the pixels are currently borrowed.
  bool HandleAllocated() const { return handle_; }
  // Gives the pixels back; does nothing when none are held.
  void Release();

 protected:
  // Supplies the pixels to draw on; called by the first drawing call after a Release.
  virtual TPixelView AcquirePixels() = 0;
  // Takes the pixels back; called by Release while they are held.
  virtual void ReleasePixels() = 0;

 private:
  const TPixelView& View();
  TPixelView view_;
  bool handle_ = false;
};

// A canvas on a picture of one's own, for tests and tools.
class TMemoryCanvas final : public TCanvas {
 public:
  // A Width x Height block of Format pixels, all 0.
  TMemoryCanvas(int Width, int Height, TPixelFormat Format = TPixelFormat::XRGB8888);
  ~TMemoryCanvas() override { Release(); }
  TPixelView Pixels() { return view_; }
  TPalette32 Palette{};

 protected:
  TPixelView AcquirePixels() override { return view_; }
  void ReleasePixels() override {}

 private:
  std::vector<std::uint8_t> bytes_;
  TPixelView view_;
};
