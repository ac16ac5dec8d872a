// Pukki's path-finder over a scene's hotspot map: straight lines and one detour on his row.
#pragma once

#include <cstdint>

#include "game/GameTypes.h"

namespace vornu {

// Whether (X, Y) lies on the map; the path-finder never looks up a cell outside it.
inline bool OnMap(std::int32_t X, std::int32_t Y) {
  return X >= 1 && X <= 320 && Y >= 1 && Y <= 200;
}

// Whether the eight-direction line from (X1, Y1) to (X2, Y2) crosses only floor (0). The start
// cell is not tested, the goal cell always is; a line leaving the map is not clear.
bool LineIsFloor(const THotspotMap& Map, std::int32_t X1, std::int32_t Y1, std::int32_t X2,
                 std::int32_t Y2);

// A planned route of one or two feet points.
struct TRoute {
  std::uint8_t Count = 0;  // 0: no way found
  TWayPoint Points[2];
};

// Plans a route from the feet point (FX, FY) to (X, Y): straight, else through the first point
// to the right on the feet row that sees the goal, else the first such point to the left.
TRoute PlanRoute(const THotspotMap& Map, std::int32_t FX, std::int32_t FY, std::int32_t X,
                 std::int32_t Y);

}  // namespace vornu
