// Feeds arbitrary bytes to the map library reader.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/GXLibStream.h"
#include "engine/GXMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vornu::TGXMaps lib;
  try {
    const std::size_t used = lib.ReadFromStream(std::span<const std::uint8_t>(data, size));
    // Whatever is accepted writes back to the bytes it was read from, the magic (never
    // tested when read, always written as ML01) aside.
    const auto out = lib.ToBytes();
    if (used > size || used < 8 || out.size() != used ||
        !std::equal(out.begin() + 4, out.end(), data + 4) ||
        !std::equal(out.begin(), out.begin() + 4, "ML01")) {
      __builtin_trap();
    }
  } catch (const vornu::EGXLibrary&) {
    if (!lib.Empty()) __builtin_trap();  // a refused stream leaves nothing behind
  }
  return 0;
}
