// The game's plain value types, shared by the form, the file readers, the path-finder and tools.
#pragma once

#include <cstdint>
#include <string>

#include "platform/CheckedArray.h"

namespace vornu {
template <typename T, long Lo, long Hi>
using Array = CheckedArray<T, Lo, Hi>;
}  // namespace vornu

// One speech: up to ten lines of at most 50 characters (Windows-1252).
struct SayStr {
  static constexpr std::size_t MaxLineLength = 50;
  std::uint8_t LineCount = 0;
  vornu::Array<std::string, 1, 10> Lines;
  friend bool operator==(const SayStr&, const SayStr&) = default;
};

// A point of Pukki's route, in feet coordinates.
struct TWayPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TWayPoint&, const TWayPoint&) = default;
};

// Where Pukki goes to reach a hotspot and where he then faces (above 7: keep walking direction).
struct THotspotWalkPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::uint8_t Facing = 0;
  friend bool operator==(const THotspotWalkPoint&, const THotspotWalkPoint&) = default;
};

// Hotspot map of a scene, x-major: [x][y], x 1..320, y 1..200.
using THotspotMap = vornu::Array<vornu::Array<std::uint8_t, 1, 200>, 1, 320>;
