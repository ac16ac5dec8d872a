// Feeds arbitrary bytes to the image library reader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/GXILib.h"
#include "engine/GXLibStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vornu::TGXImages lib;
  try {
    const std::size_t used = lib.ReadFromStream(std::span<const std::uint8_t>(data, size));
    // Whatever is accepted writes back to exactly the bytes it was read from.
    const auto out = lib.ToBytes();
    if (used > size || out.size() != used || !std::equal(out.begin(), out.end(), data)) {
      __builtin_trap();
    }
  } catch (const vornu::EGXLibrary&) {
    if (!lib.Empty()) __builtin_trap();  // a refused stream leaves nothing behind
  }
  return 0;
}
