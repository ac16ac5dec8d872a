// Row kernels of the frame: colour-keyed copies and conversions to 32-bit pixels.
#pragma once

#include <cstdint>

#include "platform/Graphics.h"

namespace vornu {

// Widens Count RGB565 pixels to 0x00RRGGBB, replicating the top bits into the low ones.
void Rgb565ToXrgb(const std::uint16_t* In, std::uint32_t* Out, int Count);
// Looks Count palette indices up in a 256-entry table of 0x00RRGGBB.
void IndexedToXrgb(const std::uint8_t* In, const std::uint32_t* Palette, std::uint32_t* Out,
                   int Count);
// Converts a whole picture to 0x00RRGGBB rows of OutPitch bytes (an indexed picture without
// a palette shows black).
void ConvertToXrgb(const TPixelView& Pixels, std::uint8_t* Out, int OutPitch);
// The same for the part Area of the picture (clipped to it), written where the whole picture's
// conversion would put it: Out is the top-left of a picture-sized buffer.
void ConvertToXrgb(const TPixelView& Pixels, const TRect& Area, std::uint8_t* Out, int OutPitch);

// Copies Count pixels except those equal to Key (the colour-keyed blit of one row).
void KeyedCopy8(const std::uint8_t* In, std::uint8_t* Out, int Count, std::uint8_t Key);
void KeyedCopy16(const std::uint16_t* In, std::uint16_t* Out, int Count, std::uint16_t Key);
void KeyedCopy32(const std::uint32_t* In, std::uint32_t* Out, int Count, std::uint32_t Key);

}  // namespace vornu
