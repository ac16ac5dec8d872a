#include "platform/PixelConvert.h"

namespace vornu {

// Built for AVX2 too where the processor has it; picked at load time.
__attribute__((target_clones("avx2", "default"))) void Rgb565ToXrgb(const std::uint16_t* In, std::uint32_t* Out, int Count) {
  for (int i = 0; i < Count; ++i) {
    const std::uint32_t p = In[i];
    const std::uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    Out[i] = (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
  }
}

void IndexedToXrgb(const std::uint8_t* In, const std::uint32_t* Palette, std::uint32_t* Out,
                   int Count) {
  for (int i = 0; i < Count; ++i) Out[i] = Palette[In[i]];
}

#define VORNU_KEYED(Name, T)                                                  \
  __attribute__((target_clones("avx2", "default"))) void Name(                \
      const T* In, T* Out, int Count, T Key) {                                \
    for (int i = 0; i < Count; ++i) Out[i] = In[i] != Key ? In[i] : Out[i]; \
  }
VORNU_KEYED(KeyedCopy8, std::uint8_t)
VORNU_KEYED(KeyedCopy16, std::uint16_t)
VORNU_KEYED(KeyedCopy32, std::uint32_t)
#undef VORNU_KEYED

}  // namespace vornu
