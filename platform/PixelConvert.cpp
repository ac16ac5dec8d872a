#include "platform/PixelConvert.h"

#include <cstring>

namespace vornu {

void IndexedToXrgb(const std::uint8_t* In, const std::uint32_t* Palette, std::uint32_t* Out,
                   int Count) {
  for (int i = 0; i < Count; ++i) Out[i] = Palette[In[i]];
}

void ConvertToXrgb(const TPixelView& Pixels, std::uint8_t* Out, int OutPitch) {
  for (int y = 0; y < Pixels.Height; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(Out + static_cast<std::ptrdiff_t>(y) * OutPitch);
    const std::uint8_t* in = Pixels.Pixels + static_cast<std::ptrdiff_t>(y) * Pixels.Pitch;
    switch (Pixels.Format) {
      case TPixelFormat::RGB565:
        // The surface rows are 2-byte aligned (even pitch, allocator-aligned start).
        Rgb565ToXrgb(reinterpret_cast<const std::uint16_t*>(in), out, Pixels.Width);
        break;
      case TPixelFormat::Indexed8:
        if (Pixels.Palette) {
          IndexedToXrgb(in, Pixels.Palette->data(), out, Pixels.Width);
        } else {
          std::memset(out, 0, static_cast<std::size_t>(Pixels.Width) * 4);
        }
        break;
      case TPixelFormat::XRGB8888:
        std::memcpy(out, in, static_cast<std::size_t>(Pixels.Width) * 4);
        break;
    }
  }
}

}  // namespace vornu
