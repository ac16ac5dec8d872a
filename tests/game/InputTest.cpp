// Mouse and keyboard through the form's handlers: pointer, long press, release steps, locks.
#include <gtest/gtest.h>

#include "tests/game/GameFixture.h"

using gametest::THarness;

using InScene = gametest::TInScene;

TEST_F(InScene, HalvingInTheLargeBuildMakesZeroAndOneTheFirstPixel) {
  F.FormMouseMove(nullptr, 0, 0, 0);
  EXPECT_EQ(F.MouseX, 1);
  EXPECT_EQ(F.MouseY, 1);
  F.FormMouseMove(nullptr, 0, 1, 1);
  EXPECT_EQ(F.MouseX, 1);
  EXPECT_EQ(F.MouseY, 1);
  F.FormMouseMove(nullptr, 0, 421, 301);
  EXPECT_EQ(F.MouseX, 210);
  EXPECT_EQ(F.MouseY, 150);
  F.FormMouseDown(nullptr, mbLeft, 0, 3, 5);
  EXPECT_EQ(F.ClickX, 1);
  EXPECT_EQ(F.ClickY, 2);
}

TEST(InputLowres, CoordinatesAreTakenAsTheyCome) {
  THarness H(gametest::SharedGameDir(), false);
  H.SkipIntro();
  H.F().FormMouseMove(nullptr, 0, 210, 60);
  EXPECT_EQ(H.F().MouseX, 210);
  EXPECT_EQ(H.F().CursorKind, 2);
}

TEST_F(InScene, PointerIsActiveOnlyOverAShownHotspot) {
  H.Move(150, 150);  // floor
  EXPECT_EQ(F.CursorKind, 1);
  H.Move(150, 20);  // nothing
  EXPECT_EQ(F.CursorKind, 1);
  H.Move(210, 60);  // hotspot 10
  EXPECT_EQ(F.CursorKind, 2);
  H.Move(270, 60);  // hotspot 60: above 50, never hidden
  EXPECT_EQ(F.CursorKind, 2);
  F.HotspotHidden[1][10] = 1;
  H.Move(210, 60);
  EXPECT_EQ(F.CursorKind, 1);
  F.LoadScene(6);  // hotspot 20 of scene 6 is hidden in a new game
  H.Move(30, 60);
  EXPECT_EQ(F.CursorKind, 1);
  H.Move(210, 60);
  EXPECT_EQ(F.CursorKind, 2);
}

TEST_F(InScene, LongPressOpensTheMenuAfter750msOnAHotspotOnly) {
  H.Move(210, 60);
  H.Down(210, 60);
  H.Run(740);
  EXPECT_EQ(F.MenuOpen, 0);
  H.Run(20);
  EXPECT_EQ(F.MenuOpen, 1);
  EXPECT_EQ(F.ActionHotspot, 10);
  H.Up(210, 60);  // over no verb: closes, does nothing
  EXPECT_EQ(F.MenuOpen, 0);
  EXPECT_EQ(F.SceneActionIdle, 1);

  H.Move(150, 150);  // floor: Timer2 never starts
  H.Down(150, 150);
  EXPECT_FALSE(F.Timer2->Enabled());
  H.Run(2000);
  EXPECT_EQ(F.MenuOpen, 0);
  H.Up(150, 150);
}

TEST_F(InScene, NoMenuWithAnItemHeldOrWhereTheSceneAllowsNone) {
  F.AddItem(3);
  F.ItemInHand = 1;
  F.HeldItem = 3;
  H.Move(210, 60);
  H.Down(210, 60);
  H.Run(1000);
  EXPECT_EQ(F.MenuOpen, 0);
  H.Up(210, 60);
  F.ItemInHand = 0;
  F.MenuAllowed = 0;
  H.LongPress(210, 60, 1000, 210, 60);
  EXPECT_EQ(F.MenuOpen, 0);
}

TEST_F(InScene, MenuVerbBoxesFollowThePointer) {
  H.Move(210, 60);
  H.Down(210, 60);
  H.Run(800);
  const int Points[][3] = {{138, 97, 2},  {154, 117, 2}, {137, 97, 1},
                           {161, 100, 3}, {171, 103, 3}, {172, 103, 1},
                           {160, 110, 4}, {170, 114, 4}, {170, 115, 1}};
  for (const auto& P : Points) {
    H.Move(P[0], P[1]);
    EXPECT_EQ(F.SelectedVerb, P[2]) << P[0] << "," << P[1];
    EXPECT_EQ(F.CursorKind, 1);
  }
  H.Up(170, 115);
}

TEST_F(InScene, ChoosingAVerbWalksToTheHotspotThenActs) {
  H.LongPress(210, 60, 800, 145, 105);  // verb 2
  EXPECT_EQ(F.MenuOpen, 0);
  EXPECT_EQ(F.SelectedVerb, 2);
  EXPECT_EQ(F.ActionStep, 1);
  EXPECT_EQ(F.SceneActionIdle, 0);
  EXPECT_EQ(F.ArrivalDirection, 4);
  EXPECT_EQ(F.WalkDone, 0);
  EXPECT_EQ(F.WayPoints[F.WayPointCount], (TWayPoint{210, 150}));
}

TEST_F(InScene, APlainReleaseCancelsAPendingVerb) {
  H.LongPress(210, 60, 800, 145, 105);
  ASSERT_EQ(F.SceneActionIdle, 0);
  H.Run(100);
  H.Click(100, 150);
  EXPECT_EQ(F.SceneActionIdle, 1);
  EXPECT_EQ(F.SelectedVerb, 1);
  EXPECT_EQ(F.WayPoints[F.WayPointCount], (TWayPoint{100, 150}));
}

TEST_F(InScene, ClickWalksToThePressPointAndOnAHotspotToItsWalkPoint) {
  // Pressed on floor, released on floor elsewhere: the press point is the goal.
  H.Move(100, 150);
  H.Down(100, 150);
  H.Move(120, 160);
  H.Up(120, 160);
  EXPECT_EQ(F.WayPoints[1], (TWayPoint{100, 150}));
  // Released over nothing: no walk at all.
  H.Run(2000);
  const TWayPoint Before = F.WayPoints[1];
  H.Move(100, 160);
  H.Down(100, 160);
  H.Up(150, 20);
  EXPECT_EQ(F.WayPoints[1], Before);
  // A click on hotspot 10: to its walk point, facing 4 on arrival, no verb.
  H.Click(210, 60);
  EXPECT_EQ(F.WayPoints[F.WayPointCount], (TWayPoint{210, 150}));
  EXPECT_EQ(F.ArrivalDirection, 4);
  EXPECT_EQ(F.SceneActionIdle, 1);
}

TEST_F(InScene, PressOnFloorReleaseOnAHotspotDoesNotWalk) {
  // The release looks at the hotspot, the walk point comes from the press point: floor has none.
  H.Run(100);
  const std::uint8_t Walk = F.WalkDone;
  H.Move(150, 150);
  H.Down(150, 150);
  H.Move(210, 60);
  H.Up(210, 60);
  EXPECT_EQ(F.WalkDone, Walk);
  EXPECT_EQ(F.SpeechActive, 0);
}

TEST_F(InScene, ItemHeldIsUsedOnAHotspotOrPutBackOnFloor) {
  F.AddItem(5);
  F.ItemInHand = 1;
  F.HeldItem = 5;
  H.Click(210, 60);  // steps 7 and 10: walk there, then the use waits for the arrival
  EXPECT_EQ(F.UseItemIdle, 0);
  EXPECT_EQ(F.ActionHotspot, 10);
  EXPECT_EQ(F.ActionItem, 5);
  EXPECT_EQ(F.WayPoints[F.WayPointCount], (TWayPoint{210, 150}));
  F.UseItemIdle = 1;
  H.Click(100, 150);  // floor: the item goes back
  EXPECT_EQ(F.ItemInHand, 0);
  EXPECT_EQ(F.HeldItem, 0);
  EXPECT_EQ(F.WayPoints[1], (TWayPoint{100, 150}));
}

TEST_F(InScene, RightClickTogglesTheInventoryWhereAllowed) {
  H.Click(150, 150, mbRight);
  EXPECT_EQ(F.InventoryOpen, 1);
  H.Click(150, 150, mbRight);
  EXPECT_EQ(F.InventoryOpen, 0);
  F.LoadScene(0);
  H.Click(150, 150, mbRight);
  EXPECT_EQ(F.InventoryOpen, 0);
}

TEST_F(InScene, MapJourneyStartsOnAnyButtonOverAPlace) {
  F.LoadScene(0);
  H.Click(60, 70);  // map hotspot 2
  EXPECT_EQ(F.MapIdle, 0);
  EXPECT_EQ(F.ActionHotspot, 2);
  EXPECT_EQ(F.ActionStep, 1);
  // The right button does it too, with the place of the last left press.
  F.MapIdle = 1;
  F.ActionHotspot = 0;
  H.Click(100, 70, mbRight);
  EXPECT_EQ(F.MapIdle, 0);
  EXPECT_EQ(F.ActionHotspot, 2);
}

TEST_F(InScene, MapJourneyOnlyWhenReleasedOverAPlace) {
  F.LoadScene(0);
  H.Move(60, 70);  // map hotspot 2
  H.Down(60, 70);
  H.Move(60, 20);  // nothing
  H.Up(60, 20);
  EXPECT_EQ(F.MapIdle, 1);
  H.Run(100);
  EXPECT_EQ(F.CurrentScene, 0);
}

TEST_F(InScene, ScriptWaitLocksPressesAndReleases) {
  F.ActionDelayMs(1000);
  F.ActionStep = 3;
  const int ClickX = F.ClickX;
  H.Click(100, 150);
  EXPECT_EQ(F.ClickX, ClickX);
  EXPECT_EQ(F.WalkDone, 1);
  H.Run(990);
  EXPECT_EQ(F.ActionStep, 3);
  H.Run(20);
  EXPECT_EQ(F.ActionStep, 4);
  EXPECT_FALSE(F.Timer4->Enabled());
  H.Click(100, 150);
  EXPECT_EQ(F.WayPoints[1], (TWayPoint{100, 150}));
}

TEST_F(InScene, ReleaseThatEndsASpeechLeavesTheLongPressRunning) {
  H.Move(210, 60);
  H.Down(210, 60);
  SayStr S;
  F.StringToSayStr("Hei", S);
  F.PukkiSay(S);
  const int Step = F.ActionStep;
  H.Up(210, 60);
  EXPECT_EQ(F.SpeechActive, 0);
  EXPECT_EQ(F.ActionStep, Step + 1);
  EXPECT_TRUE(F.Timer2->Enabled());
  H.Run(800);
  EXPECT_EQ(F.MenuOpen, 1);  // opens although the button is up
  H.Click(150, 150);
  EXPECT_EQ(F.MenuOpen, 0);
}

TEST_F(InScene, InventoryButtonsAndItemSlots) {
  EXPECT_EQ(F.OnButton(9, 190), 0);
  EXPECT_EQ(F.OnButton(10, 170), 0);
  EXPECT_EQ(F.OnButton(10, 171), 1);
  EXPECT_EQ(F.OnButton(109, 199), 1);
  EXPECT_EQ(F.OnButton(110, 199), 2);
  EXPECT_EQ(F.OnButton(209, 199), 2);
  EXPECT_EQ(F.OnButton(210, 199), 3);
  F.AddItem(4);
  F.AddItem(9);
  H.Click(150, 150, mbRight);
  H.Move(45, 20);
  EXPECT_EQ(F.MouseOnItem(), 9);
  EXPECT_EQ(F.CursorKind, 2);
  H.Move(75, 20);  // slot 3 is empty
  EXPECT_EQ(F.MouseOnItem(), 0);
  EXPECT_EQ(F.CursorKind, 1);
  H.Move(15, 40);  // below the slots
  EXPECT_EQ(F.MouseOnItem(), 0);
  // Slot edges: x 10..39 is slot 1, 40..69 slot 2; rows 10..39.
  const int Edges[][3] = {{9, 20, 0},  {10, 20, 4}, {39, 20, 4}, {40, 20, 9},
                          {69, 39, 9}, {70, 20, 0}, {20, 9, 0},  {20, 10, 4}};
  for (const auto& E : Edges) {
    H.Move(E[0], E[1]);
    EXPECT_EQ(F.MouseOnItem(), E[2]) << E[0] << "," << E[1];
  }
}

TEST_F(InScene, InventoryClicksTakeCombineAndDrop) {
  F.AddItem(5);
  F.AddItem(6);
  H.Click(150, 150, mbRight);
  H.Click(45, 20);  // item 6 in hand, still in the list
  EXPECT_EQ(F.ItemInHand, 1);
  EXPECT_EQ(F.HeldItem, 6);
  EXPECT_EQ(F.InventoryCount, 2);
  H.Click(15, 20);  // on item 5: combine
  EXPECT_EQ(F.CombineIdle, 0);
  EXPECT_EQ(F.ActionItem, 5);
  H.Frame();
  EXPECT_EQ(F.CombineIdle, 1);
  EXPECT_EQ(F.InventoryCount, 1);
  EXPECT_EQ(F.Inventory[1], 10);
  EXPECT_EQ(F.ItemInHand, 0);
  EXPECT_EQ(F.SpeechActive, 1);
  H.Click(150, 150);  // ends the speech only
  H.Click(15, 20);
  EXPECT_EQ(F.HeldItem, 10);
  // Pressed on an item, released on empty space: the press point decides, it stays held.
  H.Move(15, 20);
  H.Down(15, 20);
  H.Move(150, 100);
  H.Up(150, 100);
  EXPECT_EQ(F.ItemInHand, 1);
  EXPECT_EQ(F.HeldItem, 10);
  H.Click(150, 100);  // empty inventory space drops it
  EXPECT_EQ(F.ItemInHand, 0);
  EXPECT_EQ(F.HeldItem, 0);
}
