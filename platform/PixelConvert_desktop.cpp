// The row kernels on the desktop: built for AVX2 too where the processor has it, picked at
// load time.
#include "platform/PixelConvert.h"
#include "platform/PixelKernels.h"

namespace vornu {

__attribute__((target_clones("avx2", "default"))) void Rgb565ToXrgb(const std::uint16_t* In,
                                                                     std::uint32_t* Out,
                                                                     int Count) {
  kernels::Rgb565ToXrgb(In, Out, Count);
}

#define VORNU_KEYED(Name, T)                                                                     \
  __attribute__((target_clones("avx2", "default"))) void Name(const T* In, T* Out, int Count, \
                                                              T Key) {                         \
    kernels::KeyedCopy<T>(In, Out, Count, Key);                                                  \
  }
VORNU_KEYED(KeyedCopy8, std::uint8_t)
VORNU_KEYED(KeyedCopy16, std::uint16_t)
VORNU_KEYED(KeyedCopy32, std::uint32_t)
#undef VORNU_KEYED

}  // namespace vornu
