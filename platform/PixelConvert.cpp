#include "platform/PixelConvert.h"

#include <algorithm>
#include <cstring>

namespace vornu {

void IndexedToXrgb(const std::uint8_t* In, const std::uint32_t* Palette, std::uint32_t* Out,
                   int Count) {
  for (int i = 0; i < Count; ++i) Out[i] = Palette[In[i]];
}

void ConvertToXrgb(const TPixelView& Pixels, std::uint8_t* Out, int OutPitch) {
  ConvertToXrgb(Pixels, TRect{0, 0, Pixels.Width, Pixels.Height}, Out, OutPitch);
}

void ConvertToXrgb(const TPixelView& Pixels, const TRect& Area, std::uint8_t* Out, int OutPitch) {
  const int left = std::max(Area.Left, 0), right = std::min(Area.Right, Pixels.Width);
  const int top = std::max(Area.Top, 0), bottom = std::min(Area.Bottom, Pixels.Height);
  if (left >= right || top >= bottom) return;
  const int count = right - left;
  for (int y = top; y < bottom; ++y) {
    auto* out =
        reinterpret_cast<std::uint32_t*>(Out + static_cast<std::ptrdiff_t>(y) * OutPitch) + left;
    const std::uint8_t* in = Pixels.Pixels + static_cast<std::ptrdiff_t>(y) * Pixels.Pitch;
    switch (Pixels.Format) {
      case TPixelFormat::RGB565:
        // The surface rows are 2-byte aligned (even pitch, allocator-aligned start).
        Rgb565ToXrgb(reinterpret_cast<const std::uint16_t*>(in) + left, out, count);
        break;
      case TPixelFormat::Indexed8:
        if (Pixels.Palette) {
          IndexedToXrgb(in + left, Pixels.Palette->data(), out, count);
        } else {
          std::memset(out, 0, static_cast<std::size_t>(count) * 4);
        }
        break;
      case TPixelFormat::XRGB8888:
        std::memcpy(out, in + static_cast<std::ptrdiff_t>(left) * 4,
                    static_cast<std::size_t>(count) * 4);
        break;
    }
  }
}

}  // namespace vornu
