// Walking through the form: routes, detours, the apology, the step rules, frames and facing.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Text1252.h"
#include "tests/game/GameFixture.h"

using gametest::THarness;

namespace {

struct Walk : gametest::TInScene {
  void SetUp() override {
    TInScene::SetUp();
    Place(171, 152);
  }
  // Stands Pukki with his feet at (X, Y).
  void Place(int X, int Y) {
    F.PukkiX = F.PukkiTargetX = X - 21;
    F.PukkiY = F.PukkiTargetY = Y - 52;
  }
  int FeetX() const { return F.PukkiX + 21; }
  int FeetY() const { return F.PukkiY + 52; }
  // Runs frames until Pukki stands at the end of his route.
  bool Arrive(std::uint32_t MaxMs = 30000) {
    for (std::uint32_t T = 0; T < MaxMs; T += 10) {
      if (F.WalkDone == 1 && F.PukkiX == F.PukkiTargetX && F.PukkiY == F.PukkiTargetY &&
          F.ArrivalDirection == 255) {
        return true;
      }
      H.Run(10);
    }
    return false;
  }
  // The vertical wall at x = 150 from row 120 down.
  void Wall() {
    for (int Y = 120; Y <= 200; ++Y) F.HotspotMap[150][Y] = 255;
  }
};

}  // namespace

TEST_F(Walk, StraightClickEndsWithTheFeetOnThePixel) {
  H.Click(100, 170);
  EXPECT_EQ(F.WayPointCount, 1);
  ASSERT_TRUE(Arrive());
  EXPECT_EQ(FeetX(), 100);
  EXPECT_EQ(FeetY(), 170);
}

TEST_F(Walk, RightDetourOnTheFeetRow) {
  Wall();
  ASSERT_TRUE(F.CalculateWayPoints(120, 110));
  ASSERT_EQ(F.WayPointCount, 2);
  EXPECT_EQ(F.WayPoints[1], (TWayPoint{183, 152}));
  EXPECT_EQ(F.WayPoints[2], (TWayPoint{120, 110}));
  ASSERT_TRUE(Arrive());
  EXPECT_EQ(FeetX(), 120);
  EXPECT_EQ(FeetY(), 110);
}

TEST_F(Walk, LeftDetourWhenTheRightIsBlocked) {
  Wall();
  for (int Y = 140; Y <= 160; ++Y) F.HotspotMap[130][Y] = 255;
  Place(120, 152);
  ASSERT_TRUE(F.CalculateWayPoints(180, 110));
  ASSERT_EQ(F.WayPointCount, 2);
  EXPECT_EQ(F.WayPoints[1], (TWayPoint{117, 152}));
  ASSERT_TRUE(Arrive());
  EXPECT_EQ(FeetX(), 180);
}

TEST_F(Walk, UnreachableGoalApologisesAndTheEarlierWalkGoesOn) {
  for (int I = 240; I <= 260; ++I) {
    F.HotspotMap[I][160] = F.HotspotMap[I][180] = 255;
    F.HotspotMap[240][I - 80] = F.HotspotMap[260][I - 80] = 255;
  }
  F.AddItem(3);
  F.ItemInHand = 1;
  F.HeldItem = 3;
  H.Click(100, 170);
  H.Run(300);
  F.SceneActionIdle = 0;
  F.UseItemIdle = 0;
  F.ArrivalDirection = 4;
  H.Click(250, 170);  // floor inside the closed box
  EXPECT_EQ(F.SpeechActive, 1);
  EXPECT_EQ(F.CurrentSpeech.LineCount, 9);
  const char* const Apology[] = {
      "Mun \"routeri\" on koodattu parissa",   "tunnissa eikä se ole kovin hääppö-",
      "nen. En osaa kävellä paikkaan johon",   "halusit minun kävelevän. Matkalla",
      "on ilmeisesti esteitä joita en osaa",   "kiertää tai koodissa on bugi. Kävelytä",
      "minut lähemmäksi tai eripuolelle koh-", "detta. Tai keskelle huonetta pois",
      "esineiden keskeltä ja yritä uudelleen."};
  for (int I = 1; I <= 9; ++I)
    EXPECT_EQ(vornu::Cp1252ToUtf8(F.CurrentSpeech.Lines[I]), Apology[I - 1]) << "line " << I;
  EXPECT_EQ(F.ArrivalDirection, 255);
  EXPECT_EQ(F.ItemInHand, 0);
  EXPECT_EQ(F.SceneActionIdle, 1);
  EXPECT_EQ(F.UseItemIdle, 1);
  EXPECT_EQ(F.WayPoints[1], (TWayPoint{100, 170}));
  EXPECT_EQ(F.WalkDone, 0);
  EXPECT_EQ(F.Timer3->Interval(), 18000u);
  ASSERT_TRUE(Arrive());
  EXPECT_EQ(FeetX(), 100);
}

TEST_F(Walk, GoalOffTheMapIsUnreachable) {
  EXPECT_FALSE(F.CalculateWayPoints(0, 0));
  EXPECT_EQ(F.SpeechActive, 1);
  F.HotspotWalkPoints[33] = {0, 0, 4};
  F.HotspotMap[200][100] = 33;
  F.ClickX = 200;
  F.ClickY = 100;
  EXPECT_FALSE(F.CheckWalkPoints());
  EXPECT_FALSE(F.ShortestWay(171, 152, 400, 152));
}

TEST_F(Walk, CheckWalkPointsOnFloorDoesNothing) {
  F.ClickX = 100;
  F.ClickY = 150;
  F.ArrivalDirection = 255;
  EXPECT_FALSE(F.CheckWalkPoints());
  EXPECT_EQ(F.SpeechActive, 0);
  EXPECT_EQ(F.WalkDone, 1);
  EXPECT_EQ(F.ArrivalDirection, 255);
}

TEST_F(Walk, TwoPixelsAwayIsSnappedAtTheFirstTick) {
  H.Click(173, 152);
  const int X = F.PukkiX;
  for (int T = 0; T < 10 && F.PukkiX == X; ++T) H.Run(10);
  EXPECT_EQ(FeetX(), 173);
  EXPECT_EQ(F.PukkiFrame, 1);  // arrived, not walked
  EXPECT_EQ(F.AdvanceWayPoint, 1);
}

TEST_F(Walk, HorizontalRemainderIsSnapped) {
  H.Click(174, 152);  // 3 pixels: one 2-pixel step, then the snap
  H.Run(50);
  EXPECT_EQ(FeetX(), 173);
  H.Run(50);
  EXPECT_EQ(FeetX(), 174);
  EXPECT_EQ(F.PukkiFrame, 1);
}

TEST_F(Walk, FacingOnArrivalAfterTheLastLegOnly) {
  F.PukkiDirection = 2;
  F.HotspotWalkPoints[10] = {120, 110, 4};
  Wall();
  H.LongPress(210, 60, 800, 145, 105);  // verb 2 on hotspot 10
  ASSERT_EQ(F.WayPointCount, 2);
  // First leg goes right: at its end he keeps facing right.
  for (int I = 0; I < 400 && F.WayPointIndex < 2; ++I) H.Run(10);
  EXPECT_EQ(F.PukkiDirection, 2);
  ASSERT_TRUE(Arrive());
  EXPECT_EQ(F.PukkiDirection, 4);
}

TEST_F(Walk, FacingAboveSevenKeepsTheWalkingDirection) {
  H.Click(110, 60);  // hotspot 9: walk point (110, 160), facing 9
  EXPECT_EQ(F.ArrivalDirection, 9);
  ASSERT_TRUE(Arrive());
  EXPECT_EQ(FeetX(), 110);
  EXPECT_EQ(F.PukkiDirection, 6);  // down-left first, the last moves to the left
}

TEST_F(Walk, FramesOneToTwentyFiveThenFromSeven) {
  Place(171, 100);
  H.Click(171, 190);
  std::vector<int> Drawn;
  int LastY = F.PukkiY;
  for (int T = 0; T < 40 * 50; T += 10) {
    const int Frame = F.PukkiFrame;
    H.Run(10);
    if (F.PukkiY != LastY) {
      Drawn.push_back(Frame);
      // The frame drawn this tick is the one recorded, facing down, where he stood.
      const auto [D, N] = gametest::DecodeFrame(H.Pixel(F.PukkiX + 20, LastY + 30));
      EXPECT_EQ(D, 4);
      EXPECT_EQ(N, Frame);
      LastY = F.PukkiY;
    }
  }
  ASSERT_GE(Drawn.size(), 30u);
  for (int I = 0; I < 25; ++I) EXPECT_EQ(Drawn[static_cast<std::size_t>(I)], I + 1);
  EXPECT_EQ(Drawn[25], 7);
  EXPECT_EQ(Drawn[26], 8);
}

TEST_F(Walk, OneStepPerTickWhateverTheFrameRate) {
  H.Click(100, 152);
  const int X0 = F.PukkiX;
  H.Run(500);  // ten ticks, fifty frames
  EXPECT_EQ(X0 - F.PukkiX, 20);
}

TEST_F(Walk, IndexNeverWrapsBackIntoTheRoute) {
  H.Click(171, 190);
  H.Run(100);
  // A very long last leg: the index stops past the count.
  F.PukkiTargetY = F.PukkiY;
  F.WayPoints[1] = {171, 199};
  for (int I = 0; I < 600; ++I) {
    F.AdvanceWayPoint = 1;
    H.Frame();
    ASSERT_LE(F.WayPointIndex, F.WayPointCount + 1);
    ASSERT_GE(F.WayPointIndex, 1);
  }
}

TEST_F(Walk, NeitherDrawnNorMovedWhileTheInventoryIsOpen) {
  H.Click(100, 152);
  H.Run(100);
  H.Click(150, 150, mbRight);
  const int X = F.PukkiX;
  H.Run(500);
  EXPECT_EQ(F.PukkiX, X);
  H.Click(150, 150, mbRight);
  H.Run(100);
  EXPECT_LT(F.PukkiX, X);
}

TEST_F(Walk, EachDirectionHasItsOwnFramesAndPace) {
  // Goal (feet), the direction walked, the step of each 50 ms tick.
  const struct {
    int Gx, Gy, D, Mx, My;
  } Cases[] = {{171, 115, 0, 0, -1}, {200, 120, 1, 1, -1}, {230, 152, 2, 2, 0},
               {200, 185, 3, 1, 1},  {171, 190, 4, 0, 1},  {140, 185, 5, -1, 1},
               {110, 152, 6, -2, 0}, {140, 120, 7, -1, -1}};
  for (const auto& C : Cases) {
    F.LoadScene(1);  // ends the last walk
    Place(171, 152);
    F.PukkiFrame = 1;
    H.Run(100);
    ASSERT_TRUE(F.CalculateWayPoints(C.Gx, C.Gy));
    H.Run(1000);  // twenty ticks
    H.Frame();    // no tick: the frame is drawn where he stands
    EXPECT_EQ(FeetX() - 171, 20 * C.Mx) << "direction " << C.D;
    EXPECT_EQ(FeetY() - 152, 20 * C.My) << "direction " << C.D;
    EXPECT_EQ(F.PukkiDirection, C.D);
    EXPECT_EQ(F.PukkiFrame, 21) << "direction " << C.D;
    const auto [D, N] = gametest::DecodeFrame(H.Pixel(F.PukkiX + 20, F.PukkiY + 30));
    EXPECT_EQ(D, C.D) << "the picture of direction " << C.D;
    EXPECT_EQ(N, 21) << "direction " << C.D;
  }
}
