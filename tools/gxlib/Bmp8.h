// 8-bit (256-colour) Windows bitmaps for the library tool: reading into indices and a palette,
// writing back.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/GXILib.h"

namespace vornu::gxlib {

struct Bitmap8 {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;  // Width x Height indices, top row first, unpadded
  TGXPalette Palette{};              // Flags are 0
  int PaletteSize = 0;               // entries the file defines (the rest stay black)
};

// Parses an 8-bit bitmap (uncompressed or RLE8, bottom-up or top-down, any header version).
// Anything else (other depths, truncated data, absurd sizes) throws std::runtime_error saying
// what is wrong, without the file name (the caller adds it).
Bitmap8 ParseBitmap8(std::span<const std::uint8_t> file);

// An uncompressed bottom-up 8-bit bitmap with a 256-entry colour table.
std::vector<std::uint8_t> EncodeBitmap8(int width, int height,
                                        std::span<const std::uint8_t> paddedRows,
                                        const TGXPalette& palette);

}  // namespace vornu::gxlib
