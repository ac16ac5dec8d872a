// Pukki's walk: route planning over the hotspot map and the step-by-step walker.
#include "game/PathFinding.h"
#include "game/SpeechText.h"
#include "game/Unit1.h"

namespace {

// What Pukki says when he finds no way to the goal.
SayStr Apology(vornu::TLineCatalogue& Catalogue) {
  return vornu::MakeSpeech(
      Catalogue, {"Mun \"routeri\" on koodattu parissa", "tunnissa eikä se ole kovin hääppö-",
                  "nen. En osaa kävellä paikkaan johon", "halusit minun kävelevän. Matkalla",
                  "on ilmeisesti esteitä joita en osaa", "kiertää tai koodissa on bugi. Kävelytä",
                  "minut lähemmäksi tai eripuolelle koh-", "detta. Tai keskelle huonetta pois",
                  "esineiden keskeltä ja yritä uudelleen."});
}

}  // namespace

bool TForm1::ShortestWay(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2) const {
  return vornu::LineIsFloor(HotspotMap, X1, Y1, X2, Y2);
}

bool TForm1::CalculateWayPoints(std::int32_t X, std::int32_t Y) {
  const vornu::TRoute Route = vornu::PlanRoute(HotspotMap, PukkiX + 21, PukkiY + 52, X, Y);
  if (Route.Count == 0) {
    SceneActionIdle = 1;
    UseItemIdle = 1;
    ItemInHand = 0;
    ArrivalDirection = 255;
    PukkiSay(Apology(Catalogue));
    return false;
  }
  WayPointCount = Route.Count;
  for (int I = 1; I <= Route.Count; ++I) WayPoints[I] = Route.Points[I - 1];
  WalkDone = 0;
  AdvanceWayPoint = 0;
  WayPointIndex = 1;
  return true;
}

bool TForm1::CheckWalkPoints() {
  const std::uint8_t H = HotspotAt(ClickX, ClickY);
  // Floor and nothing have no walk point; only a hotspot under the press point has one.
  if (H == 0 || H == 255) return false;
  ArrivalDirection = HotspotWalkPoints[H].Facing;
  return CalculateWayPoints(HotspotWalkPoints[H].X, HotspotWalkPoints[H].Y);
}

void TForm1::PukkiWalk() {
  if (FrameTick == 0) {
    DrawPukki(PukkiDirection, PukkiFrame);
    return;
  }
  const std::int32_t Dx = PukkiTargetX - PukkiX;
  const std::int32_t Dy = PukkiTargetY - PukkiY;
  int Direction = -1;
  int MoveX = 0;
  int MoveY = 0;
  if (Dy < 0 && Dx < 0) {
    Direction = 7, MoveX = -1, MoveY = -1;
  } else if (Dy < 0 && Dx > 0) {
    Direction = 1, MoveX = 1, MoveY = -1;
  } else if (Dy > 0 && Dx < 0) {
    Direction = 5, MoveX = -1, MoveY = 1;
  } else if (Dy > 0 && Dx > 0) {
    Direction = 3, MoveX = 1, MoveY = 1;
  } else if (Dy < 0) {
    Direction = 0, MoveY = -1;
  } else if (Dy > 0) {
    Direction = 4, MoveY = 1;
  } else if (Dx > 2) {
    Direction = 2, MoveX = 2;
  } else if (Dx < -2) {
    Direction = 6, MoveX = -2;
  }
  if (Direction >= 0) {
    DrawPukki(static_cast<std::uint8_t>(Direction), PukkiFrame);
    PukkiX += MoveX;
    PukkiY += MoveY;
    ++PukkiFrame;
    if (PukkiFrame > 25) PukkiFrame = 7;
    PukkiDirection = static_cast<std::uint8_t>(Direction);
  } else {
    PukkiX = PukkiTargetX;
    PukkiY = PukkiTargetY;
    AdvanceWayPoint = 1;
    if (WalkDone == 1) {
      if (ArrivalDirection <= 7) PukkiDirection = ArrivalDirection;
      ArrivalDirection = 255;
    }
    PukkiFrame = 1;
    DrawPukki(PukkiDirection, 1);
  }
  FrameTick = 0;
}

void TForm1::RouteStep() {
  // The index stops one past the count: it never wraps back into the list.
  if (AdvanceWayPoint == 1 && WayPointIndex <= WayPointCount) ++WayPointIndex;
  if (WayPointIndex > WayPointCount) WalkDone = 1;
  if (WalkDone == 0) {
    PukkiTargetX = WayPoints[WayPointIndex].X - 21;
    PukkiTargetY = WayPoints[WayPointIndex].Y - 52;
  }
  if (PukkiTargetX != PukkiX || PukkiTargetY != PukkiY) WalkDone = 0;
  PukkiWalk();
}
