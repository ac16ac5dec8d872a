// The row kernels in the browser: WebAssembly has one instruction set, so one build of each.
#include "platform/PixelConvert.h"
#include "platform/PixelKernels.h"

namespace vornu {

void Rgb565ToXrgb(const std::uint16_t* In, std::uint32_t* Out, int Count) {
  kernels::Rgb565ToXrgb(In, Out, Count);
}
void KeyedCopy8(const std::uint8_t* In, std::uint8_t* Out, int Count, std::uint8_t Key) {
  kernels::KeyedCopy(In, Out, Count, Key);
}
void KeyedCopy16(const std::uint16_t* In, std::uint16_t* Out, int Count, std::uint16_t Key) {
  kernels::KeyedCopy(In, Out, Count, Key);
}
void KeyedCopy32(const std::uint32_t* In, std::uint32_t* Out, int Count, std::uint32_t Key) {
  kernels::KeyedCopy(In, Out, Count, Key);
}

}  // namespace vornu
