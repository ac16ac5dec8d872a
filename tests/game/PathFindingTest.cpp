// The path-finder: straight lines, the detour on Pukki's row, and goals it must refuse.
#include <gtest/gtest.h>

#include <memory>

#include "game/PathFinding.h"

using vornu::LineIsFloor;
using vornu::PlanRoute;

namespace {

// An all-floor map with a vertical wall at column WallX from row Top to row Bottom.
std::unique_ptr<THotspotMap> MapWithWall(int WallX, int Top, int Bottom) {
  auto Map = std::make_unique<THotspotMap>();
  for (int Y = Top; Y <= Bottom; ++Y) (*Map)[WallX][Y] = 255;
  return Map;
}

}  // namespace

TEST(LineTest, StraightOverFloorAndBlockedByAnyNonFloor) {
  auto Map = MapWithWall(100, 50, 150);
  EXPECT_TRUE(LineIsFloor(*Map, 50, 100, 90, 140));
  EXPECT_FALSE(LineIsFloor(*Map, 50, 100, 150, 100));
  (*Map)[100][100] = 7;  // a hotspot blocks as well
  EXPECT_FALSE(LineIsFloor(*Map, 99, 100, 101, 100));
}

TEST(LineTest, DiagonalFirstThenStraight) {
  auto Map = std::make_unique<THotspotMap>();
  // From (10, 10) to (20, 12): diagonal to (12, 12), then along row 12.
  (*Map)[15][11] = 255;  // not on the line
  EXPECT_TRUE(LineIsFloor(*Map, 10, 10, 20, 12));
  (*Map)[15][12] = 255;  // on the straight part
  EXPECT_FALSE(LineIsFloor(*Map, 10, 10, 20, 12));
}

TEST(LineTest, StartNeverTestedGoalAlwaysTested) {
  auto Map = std::make_unique<THotspotMap>();
  (*Map)[10][10] = 255;
  EXPECT_TRUE(LineIsFloor(*Map, 10, 10, 12, 10));
  EXPECT_FALSE(LineIsFloor(*Map, 12, 10, 10, 10));
  EXPECT_FALSE(LineIsFloor(*Map, 10, 10, 10, 10));
  EXPECT_TRUE(LineIsFloor(*Map, 11, 10, 11, 10));
}

TEST(LineTest, GoalsOffTheMapAreNeverFloor) {
  auto Map = std::make_unique<THotspotMap>();
  EXPECT_FALSE(LineIsFloor(*Map, 150, 100, 0, 0));
  EXPECT_FALSE(LineIsFloor(*Map, 150, 100, 321, 100));
  EXPECT_FALSE(LineIsFloor(*Map, 150, 100, 100, 201));
  EXPECT_FALSE(LineIsFloor(*Map, 150, 100, -5, 50));
}

TEST(Route, StraightGivesOnePoint) {
  auto Map = std::make_unique<THotspotMap>();
  const vornu::TRoute R = PlanRoute(*Map, 171, 152, 60, 180);
  ASSERT_EQ(R.Count, 1);
  EXPECT_EQ(R.Points[0], (TWayPoint{60, 180}));
}

TEST(Route, RightDetourIsTheFirstPixelThatSeesTheGoal) {
  // Wall at x = 100 from row 20 to 152; Pukki's feet at (60, 152), goal at (140, 100).
  auto Map = MapWithWall(100, 20, 152);
  const vornu::TRoute R = PlanRoute(*Map, 60, 152, 140, 100);
  ASSERT_EQ(R.Count, 2);
  EXPECT_EQ(R.Points[1], (TWayPoint{140, 100}));
  const int Cx = R.Points[0].X;
  EXPECT_EQ(R.Points[0].Y, 152);
  EXPECT_TRUE(LineIsFloor(*Map, Cx, 152, 140, 100));
  EXPECT_FALSE(LineIsFloor(*Map, Cx - 1, 152, 140, 100));
  EXPECT_GT(Cx, 60);
}

TEST(Route, RightWinsOverANearerLeftDetour) {
  // Goal above a bar whose left end is near Pukki; the right end is far away.
  auto Map = std::make_unique<THotspotMap>();
  for (int X = 40; X <= 250; ++X) (*Map)[X][120] = 255;
  const vornu::TRoute R = PlanRoute(*Map, 60, 150, 60, 100);
  ASSERT_EQ(R.Count, 2);
  EXPECT_GT(R.Points[0].X, 60);
}

TEST(Route, LeftDetourWhenTheRightSearchHitsAWall) {
  auto Map = std::make_unique<THotspotMap>();
  for (int X = 40; X <= 250; ++X) (*Map)[X][120] = 255;
  for (int Y = 121; Y <= 200; ++Y) (*Map)[70][Y] = 255;  // blocks the row to the right
  const vornu::TRoute R = PlanRoute(*Map, 60, 150, 60, 100);
  ASSERT_EQ(R.Count, 2);
  EXPECT_LT(R.Points[0].X, 60);
  EXPECT_EQ(R.Points[0].Y, 150);
  EXPECT_TRUE(LineIsFloor(*Map, R.Points[0].X, 150, 60, 100));
}

TEST(Route, UnreachableAndOffMapGoalsGiveNoRoute) {
  auto Map = std::make_unique<THotspotMap>();
  for (int X = 1; X <= 320; ++X) (*Map)[X][120] = 255;
  EXPECT_EQ(PlanRoute(*Map, 60, 150, 60, 100).Count, 0);
  auto Open = std::make_unique<THotspotMap>();
  EXPECT_EQ(PlanRoute(*Open, 60, 150, 0, 0).Count, 0);
  // Pukki's feet off the map: the searches end at once and read nothing outside it.
  EXPECT_EQ(PlanRoute(*Map, 400, 150, 60, 100).Count, 0);
  EXPECT_EQ(PlanRoute(*Map, 60, 250, 60, 100).Count, 0);
}

TEST(Route, RightSearchGoesOnToTheScreensEdge) {
  // Only a detour right of the wall at x = 305 sees the goal.
  auto Map = MapWithWall(305, 1, 149);
  const vornu::TRoute R = PlanRoute(*Map, 60, 150, 310, 100);
  ASSERT_EQ(R.Count, 2);
  EXPECT_EQ(R.Points[0], (TWayPoint{305, 150}));
}
