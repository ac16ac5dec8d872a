// The bodies of the row kernels, compiled by each target's PixelConvert file in the way that
// target builds them best; platform code only.
#pragma once

#include <cstdint>

namespace vornu::kernels {

inline void Rgb565ToXrgb(const std::uint16_t* In, std::uint32_t* Out, int Count) {
  for (int i = 0; i < Count; ++i) {
    const std::uint32_t p = In[i];
    const std::uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    Out[i] = (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
  }
}

template <typename T>
inline void KeyedCopy(const T* In, T* Out, int Count, T Key) {
  for (int i = 0; i < Count; ++i) Out[i] = In[i] != Key ? In[i] : Out[i];
}

}  // namespace vornu::kernels
