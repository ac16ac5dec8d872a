// Pukki's path-finder over a scene's hotspot map: straight lines and one detour on his row.
#include "game/PathFinding.h"

namespace vornu {

namespace {

// A cell for walking: anything outside the map blocks.
std::uint8_t Cell(const THotspotMap& Map, std::int32_t X, std::int32_t Y) {
  return OnMap(X, Y) ? Map[X][Y] : std::uint8_t{255};
}

}  // namespace

bool LineIsFloor(const THotspotMap& Map, std::int32_t X1, std::int32_t Y1, std::int32_t X2,
                 std::int32_t Y2) {
  // A goal off the map (a walk point no scene file set) can never be stood on.
  if (!OnMap(X2, Y2)) return false;
  std::int32_t X = X1;
  std::int32_t Y = Y1;
  do {
    if (X < X2) ++X;
    if (X > X2) --X;
    if (Y < Y2) ++Y;
    if (Y > Y2) --Y;
    if (Cell(Map, X, Y) != 0) return false;
  } while (X != X2 || Y != Y2);
  return true;
}

TRoute PlanRoute(const THotspotMap& Map, std::int32_t FX, std::int32_t FY, std::int32_t X,
                 std::int32_t Y) {
  TRoute Route;
  if (LineIsFloor(Map, FX, FY, X, Y)) {
    Route.Count = 1;
    Route.Points[0] = {X, Y};
    return Route;
  }
  if (!OnMap(X, Y)) return Route;
  auto Search = [&](std::int32_t Step) -> bool {
    std::int32_t Cx = FX;
    for (;;) {
      Cx += Step;
      if (LineIsFloor(Map, Cx, FY, X, Y)) {
        Route.Count = 2;
        Route.Points[0] = {Cx, FY};
        Route.Points[1] = {X, Y};
        return true;
      }
      if (Cell(Map, Cx, FY) != 0) return false;
      if (Step > 0 ? Cx >= 319 : Cx <= 1) return false;
    }
  };
  if (!Search(+1)) Search(-1);
  return Route;
}

}  // namespace vornu
