// What the frame shows, pixel for pixel: every switchable tile of every scene at its place and
// under its flag, the tiles in front of Pukki, the nose peg in every direction, the inventory,
// the verb menu, the pointer and the held item. The expected pictures are painted from the
// game's drawing tables written out below, not from the program's own tables.
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "tests/game/GameFixture.h"

using gametest::BackgroundColour;
using gametest::THarness;
using gametest::TScreenPicture;

namespace {

// Sizes (width, height) of each scene's tiles, tile 1 first.
const std::map<int, std::vector<std::pair<int, int>>> kTileSizes = {
    {1, {{61, 93}, {24, 21}, {21, 23}, {30, 27}, {27, 26}, {35, 26}, {31, 35}, {41, 58}}},
    {2, {{59, 33}, {90, 47}}},
    {3, {{100, 173}}},
    {4, {{34, 21}, {41, 54}}},
    {5, {{57, 27}}},
    {6,
     {{39, 48},
      {18, 12},
      {12, 12},
      {34, 29},
      {55, 34},
      {19, 16},
      {9, 18},
      {18, 12},
      {18, 14},
      {19, 13},
      {14, 12},
      {13, 12},
      {17, 18}}},
    {7, {{112, 112}, {66, 45}, {114, 60}}},
    {8, {{52, 46}}},
    {9, {{42, 45}}},
    {10, {{41, 52}, {35, 27}, {26, 13}}},
    {11, {{206, 114}}},
    {12, std::vector<std::pair<int, int>>(10, {44, 55})},
    {13, {{320, 200}, {320, 200}, {320, 200}}},
};

std::pair<int, int> SizeOf(int Scene, int Tile) {
  return kTileSizes.at(Scene).at(static_cast<std::size_t>(Tile - 1));
}

// The tiles drawn behind Pukki: scene, flag, tile, position, transparent.
struct TBehind {
  int Scene, Flag, Tile, X, Y;
  bool Transparent;
};
const TBehind kTilesBehind[] = {
    {1, 2, 2, 202, 85, true},    {1, 3, 3, 196, 114, true},   {1, 4, 4, 206, 82, true},
    {1, 5, 5, 199, 118, true},   {1, 6, 6, 213, 86, true},    {1, 7, 7, 203, 119, true},
    {1, 8, 8, 162, 74, false},   {2, 1, 1, 85, 73, false},    {2, 2, 2, 83, 120, false},
    {3, 1, 1, 85, 6, false},     {4, 1, 1, 56, 150, false},   {4, 2, 2, 113, 77, false},
    {5, 1, 1, 135, 100, false},  {6, 1, 1, 113, 78, false},   {6, 2, 2, 179, 120, false},
    {6, 3, 3, 233, 126, false},  {6, 5, 5, 22, 127, false},   {6, 11, 13, 63, 138, true},
    {7, 1, 1, 14, 28, true},     {7, 2, 2, 121, 29, true},    {7, 3, 3, 154, 31, true},
    {8, 1, 1, 142, 59, false},   {9, 1, 1, 79, 112, false},   {10, 1, 1, 112, 76, false},
    {10, 2, 2, 166, 148, false}, {10, 3, 3, 196, 139, false}, {11, 1, 1, 74, 15, false},
    {13, 1, 1, 0, 0, false},     {13, 2, 2, 0, 0, false},     {13, 3, 3, 0, 0, false},
};

// The nose peg in scene 6 by Pukki's direction: tile and offset from his corner (tile 0: none).
struct TPeg {
  int Tile, Dx, Dy;
};
const TPeg kPeg[8] = {{0, 0, 0},   {12, 26, 8}, {10, 23, 9}, {8, 23, 11},
                      {7, 15, 15}, {6, 1, 7},   {9, 1, 8},   {11, 6, 6}};

struct FrameContent : gametest::TInScene {
  void SetUp() override {
    TInScene::SetUp();
    F.CursorShown = 0;
  }
  void Enter(int Scene) {
    F.LoadScene(static_cast<std::uint16_t>(Scene));
    if (Scene >= 1) F.SceneFlags[Scene].Fill(0);
  }
  // Pukki standing at (X, Y) facing D; x 330 puts him beside the game area.
  void Stand(int X, int Y, int D) {
    F.PukkiX = F.PukkiTargetX = X;
    F.PukkiY = F.PukkiTargetY = Y;
    F.PukkiDirection = static_cast<std::uint8_t>(D);
    F.ArrivalDirection = 255;
    F.PukkiFrame = 1;
  }
  std::string Shown(const TScreenPicture& Want) {
    H.Frame();
    return Want.Differences(H.Back());
  }
  void Tile(TScreenPicture& P, int Scene, int Tile, int X, int Y, bool Transparent) {
    const auto [W, Hh] = SizeOf(Scene, Tile);
    P.Tile(Scene, Tile, W, Hh, X, Y, Transparent);
  }
};

}  // namespace

TEST_F(FrameContent, EachTileBehindPukkiAtItsPlaceUnderItsFlagOnly) {
  int Scene = -1;
  for (const TBehind& T : kTilesBehind) {
    if (T.Scene != Scene) {
      Scene = T.Scene;
      Enter(Scene);
      Stand(330, 120, 2);
      EXPECT_EQ(Shown(TScreenPicture(BackgroundColour(Scene))), "") << "scene " << Scene;
    }
    F.SceneFlags[Scene].Fill(0);
    F.SceneFlags[Scene][T.Flag] = 1;
    TScreenPicture Want(BackgroundColour(Scene));
    Tile(Want, Scene, T.Tile, T.X, T.Y, T.Transparent);
    EXPECT_EQ(Shown(Want), "") << "scene " << Scene << " flag " << T.Flag;
  }
  // The trader's shop draws nothing by its flags; neither does the map.
  Enter(12);
  F.SceneFlags[12].Fill(1);
  Stand(330, 120, 2);
  EXPECT_EQ(Shown(TScreenPicture(BackgroundColour(12))), "");
  Enter(0);
  EXPECT_EQ(Shown(TScreenPicture(BackgroundColour(0))), "");
}

TEST_F(FrameContent, TilesInFrontOfPukkiCoverHimTilesBehindDoNot) {
  struct TCase {
    const char* What;
    int Scene, Flag;   // flag 0: none set
    int X, Y, D;       // Pukki
    bool TileInFront;  // drawn over Pukki
    int Tile, Tx, Ty;  // tile 0: none drawn
    bool Transparent;
  };
  const TCase Cases[] = {
      {"pantry door in front", 1, 1, 230, 110, 4, true, 1, 237, 107, true},
      {"door 8 behind", 1, 8, 150, 80, 4, false, 8, 162, 74, false},
      {"cabinet door 2 behind", 1, 2, 190, 70, 3, false, 2, 202, 85, true},
      {"office desk covers Pukki at y 100", 6, 0, 80, 100, 2, true, 4, 95, 124, true},
      {"office desk leaves Pukki at y 101", 6, 0, 80, 101, 2, true, 0, 0, 0, true},
      {"storeroom chest behind", 10, 2, 160, 130, 6, false, 2, 166, 148, false},
      {"yard door behind", 9, 1, 70, 100, 0, false, 1, 79, 112, false},
  };
  for (const TCase& C : Cases) {
    Enter(C.Scene);
    if (C.Flag != 0) F.SceneFlags[C.Scene][C.Flag] = 1;
    Stand(C.X, C.Y, C.D);
    TScreenPicture Want(BackgroundColour(C.Scene));
    if (C.Tile != 0 && !C.TileInFront) Tile(Want, C.Scene, C.Tile, C.Tx, C.Ty, C.Transparent);
    Want.Pukki(C.X, C.Y, C.D);
    if (C.Tile != 0 && C.TileInFront) Tile(Want, C.Scene, C.Tile, C.Tx, C.Ty, C.Transparent);
    EXPECT_EQ(Shown(Want), "") << C.What;
  }
}

TEST_F(FrameContent, NosePegFollowsPukkiInEveryDirection) {
  Enter(6);
  F.SceneFlags[6][6] = 1;
  for (int D = 0; D < 8; ++D) {
    Stand(150, 120, D);
    TScreenPicture Want(BackgroundColour(6));
    Want.Pukki(150, 120, D);
    if (kPeg[D].Tile != 0) Tile(Want, 6, kPeg[D].Tile, 150 + kPeg[D].Dx, 120 + kPeg[D].Dy, true);
    EXPECT_EQ(Shown(Want), "") << "direction " << D;
  }
  F.SceneFlags[6][6] = 0;
  Stand(150, 120, 2);
  TScreenPicture Bare(BackgroundColour(6));
  Bare.Pukki(150, 120, 2);
  EXPECT_EQ(Shown(Bare), "") << "no peg";
}

TEST_F(FrameContent, InventoryMenuPointerAndHeldItemInTheirPlaces) {
  F.CursorShown = 1;
  for (int I : {4, 11, 2}) F.AddItem(static_cast<std::uint16_t>(I));
  const int Px = F.PukkiX, Py = F.PukkiY, Pd = F.PukkiDirection;

  // In the scene: Pukki, then the pointer over him, then the held item beside the pointer.
  F.ItemInHand = 1;
  F.HeldItem = 2;
  H.Move(165, 140);
  TScreenPicture Held(BackgroundColour(1));
  Held.Pukki(Px, Py, Pd);
  Held.Pointer(165, 140, 1);
  Held.Item(173, 148, 2, true);
  EXPECT_EQ(Shown(Held), "") << "held item";

  // The inventory: its picture, the items in slot order, the pointer; Pukki is not drawn.
  F.ItemInHand = 0;
  F.HeldItem = 0;
  H.Click(150, 150, mbRight);
  ASSERT_EQ(F.InventoryOpen, 1);
  H.Move(200, 100);
  TScreenPicture Inventory(BackgroundColour(1));
  Inventory.Fill(10, 10, 300, 180, gametest::kInventoryColour);
  Inventory.Item(10, 10, 4, false);
  Inventory.Item(40, 10, 11, false);
  Inventory.Item(70, 10, 2, false);
  Inventory.Pointer(200, 100, 1);
  EXPECT_EQ(Shown(Inventory), "") << "inventory";
  H.Click(150, 150, mbRight);
  ASSERT_EQ(F.InventoryOpen, 0);

  // The verb menu over Pukki, picture by the verb under the pointer, the pointer over it.
  H.Move(210, 60);
  H.Down(210, 60);
  H.Run(800);
  ASSERT_EQ(F.MenuOpen, 1);
  const int Points[][3] = {{165, 101, 3}, {145, 105, 2}, {165, 112, 4}, {175, 90, 1}};
  for (const auto& P : Points) {
    H.Move(P[0], P[1]);
    TScreenPicture Menu(BackgroundColour(1));
    Menu.Pukki(Px, Py, Pd);
    Menu.Fill(135, 75, 50, 50, gametest::MenuColour(P[2]));
    Menu.Pointer(P[0], P[1], 1);
    Menu.Ignore(0, 175, 320, 25);  // the verb's text
    EXPECT_EQ(Shown(Menu), "") << "menu picture " << P[2];
  }
  H.Up(175, 90);
}
