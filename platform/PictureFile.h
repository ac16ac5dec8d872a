// Reading Windows bitmap files into 32-bit pixels and writing PNG files; needs no screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Classes.h"

namespace vornu {

// A picture of 0x00RRGGBB pixels, rows top first.
struct Pixels32 {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
  // The pixel at (X, Y); throws std::out_of_range outside.
  std::uint32_t At(int X, int Y) const;
  friend bool operator==(const Pixels32&, const Pixels32&) = default;
};

// Reads a Windows bitmap file (1, 4, 8, 16, 24, 32 bits, RLE, top-down). A missing,
// truncated or non-bitmap file throws EInOutError whose message names the file and the fault.
Pixels32 LoadBitmapFile(const std::string& FileName);

// Writes Picture as a PNG file; failure throws EInOutError naming the file.
void SavePngFile(const std::string& FileName, const Pixels32& Picture);
// The same with an alpha channel: pixels of colour SeeThrough (0xRRGGBB) are fully transparent.
void SavePngFile(const std::string& FileName, const Pixels32& Picture, std::uint32_t SeeThrough);

}  // namespace vornu
