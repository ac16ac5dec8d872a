// Scripts that the mouse catches at awkward moments: between two steps, with a button held
// since before a speech, with a long press running into the script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/story/StoryGame.h"

using story::StoryGame;

namespace {

bool SaidLine(const StoryGame& G, const std::string& Line) {
  const std::vector<std::string> S = G.Said();
  return std::find(S.begin(), S.end(), Line) != S.end();
}

}  // namespace

TEST(InterruptedScripts, AClickBetweenTwoStepsOfADoorIsIgnoredAndTheDoorPlaysToItsEnd) {
  StoryGame G;
  G.Enter(1);
  G.StartVerb(12, 2);  // the door of flag [1][3], which stays in the kitchen
  G.Frame();
  ASSERT_EQ(G.F().CursorShown, 0);
  G.Timers(700);  // the first wait is over; step 2 runs at the next frame
  ASSERT_EQ(G.F().ActionStep, 2);
  G.Click();
  EXPECT_EQ(G.F().SceneActionIdle, 0) << "the click cancelled the door halfway";
  EXPECT_EQ(G.F().ActionStep, 2);
  G.Frame();
  EXPECT_TRUE(G.IsFlag(1, 3));
  G.Timers(1000);  // the door is open; the reply comes at the next frame
  G.Click();
  EXPECT_EQ(G.F().SceneActionIdle, 0);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(SaidLine(G, "R2h12s1"));
  EXPECT_FALSE(G.IsFlag(1, 3)) << "the door is left drawn open";
  EXPECT_EQ(G.F().CursorShown, 1) << "the pointer is left hidden";
}

TEST(InterruptedScripts, ReleasingAButtonHeldSinceBeforeASpeechEndsItOnce) {
  StoryGame G;
  G.Enter(1);
  G.StartVerb(12, 2);
  G.Frame();
  // Pressed during the first wait (the press is ignored) and held through the reply.
  G.F().FormMouseDown(nullptr, mbLeft, 0, 300, 150);
  ASSERT_TRUE(G.RunUntil([&] { return G.F().SpeechActive == 1; }, 3000));
  ASSERT_EQ(G.F().ActionStep, 3);
  G.Run(1900);
  ASSERT_EQ(G.F().SpeechActive, 1);
  G.F().FormMouseUp(nullptr, mbLeft, 0, 300, 150);
  EXPECT_EQ(G.F().SpeechActive, 0);
  EXPECT_EQ(G.F().ActionStep, 4);
  // The reply's own time runs out before the next frame.
  G.Timers(G.F().Timer3->Interval());
  EXPECT_EQ(G.F().ActionStep, 4) << "the speech ended twice";
  // So the door's last wait still comes: it stays open 700 ms after the reply.
  G.Frame();
  EXPECT_TRUE(G.F().Timer4->Enabled());
  G.Run(600);
  EXPECT_TRUE(G.IsFlag(1, 3));
  ASSERT_TRUE(G.Finish());
  EXPECT_FALSE(G.IsFlag(1, 3));
  EXPECT_EQ(G.F().CursorShown, 1);
}

TEST(InterruptedScripts, AReleaseWithoutItsPressEndsARunningSpeechOnce) {
  // The press happened where the game did not see it (outside the window): the speech's
  // countdown runs when the release comes.
  StoryGame G;
  G.Enter(1);
  G.StartVerb(12, 2);
  ASSERT_TRUE(G.RunUntil([&] { return G.F().SpeechActive == 1; }, 3000));
  ASSERT_EQ(G.F().ActionStep, 3);
  ASSERT_TRUE(G.F().Timer3->Enabled());
  G.F().FormMouseUp(nullptr, mbLeft, 0, 300, 150);
  EXPECT_EQ(G.F().SpeechActive, 0);
  EXPECT_EQ(G.F().ActionStep, 4);
  G.Timers(G.F().Timer3->Interval());
  EXPECT_EQ(G.F().ActionStep, 4) << "the speech ended twice";
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.F().CursorShown, 1);
}

TEST(InterruptedScripts, ALongPressFromTheWalkOpensNoMenuOverTheScript) {
  StoryGame G;
  G.Enter(1);
  // Verb 2 on the door of hotspot 13 (flag [1][5]): Pukki walks to its walk point.
  G.StartVerb(13, 2);
  const THotspotWalkPoint To = G.F().HotspotWalkPoints[13];
  ASSERT_TRUE(G.F().CalculateWayPoints(To.X, To.Y));
  // Just before he arrives the player presses on hotspot 12 and holds the button.
  ASSERT_TRUE(G.RunUntil([&] { return std::abs(G.F().PukkiX + 21 - To.X) <= 6; }, 10000));
  G.F().FormMouseMove(nullptr, 0, 32, 30);
  ASSERT_EQ(G.F().CursorKind, 2);
  G.F().FormMouseDown(nullptr, mbLeft, 0, 32, 30);
  ASSERT_EQ(G.F().WalkDone, 0);
  G.Run(1000);  // arrived; the long press comes due during the door's first wait
  EXPECT_EQ(G.F().MenuOpen, 0);
  EXPECT_EQ(G.F().ActionHotspot, 13) << "the script's hotspot was swapped halfway";
  G.Run(400);
  G.F().FormMouseUp(nullptr, mbLeft, 0, 32, 30);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(SaidLine(G, "R2h13s1"));
  EXPECT_FALSE(SaidLine(G, "R2h12s1"));
  EXPECT_FALSE(G.IsFlag(1, 5));
  EXPECT_FALSE(G.IsFlag(1, 3));
  EXPECT_EQ(G.F().CursorShown, 1);
}

namespace {

bool SaidARefusal(const StoryGame& G) {
  for (const std::string& S : G.Said())
    if (S.rfind("Ei", 0) == 0) return true;
  return false;
}

// Pukki has been sent to hotspot 10 with item 3 on the pointer, to use it there.
void UseItemOnTheWay(StoryGame& G) {
  G.Enter(1);
  G.F().AddItem(3);
  G.F().FormMouseMove(nullptr, 0, 12, 12);  // hotspot 1
  G.F().ItemInHand = 1;
  G.F().HeldItem = 3;
  G.F().FormMouseMove(nullptr, 0, 192, 12);  // hotspot 10
  ASSERT_EQ(G.F().CursorKind, 2);
  G.F().FormMouseDown(nullptr, mbLeft, 0, 192, 12);
  G.F().FormMouseUp(nullptr, mbLeft, 0, 192, 12);
  ASSERT_EQ(G.F().UseItemIdle, 0);
  ASSERT_EQ(G.F().WalkDone, 0);
  G.Run(200);
}

}  // namespace

TEST(InterruptedScripts, PuttingTheItemBackOnTheWayCancelsItsUse) {
  StoryGame G;
  UseItemOnTheWay(G);
  // A click where nothing reacts puts the item back and walks Pukki there instead.
  G.F().FormMouseMove(nullptr, 0, 250, 150);
  ASSERT_EQ(G.F().CursorKind, 1);
  G.F().FormMouseDown(nullptr, mbLeft, 0, 250, 150);
  G.F().FormMouseUp(nullptr, mbLeft, 0, 250, 150);
  EXPECT_EQ(G.F().ItemInHand, 0);
  ASSERT_TRUE(G.RunUntil([&] { return G.F().WalkDone == 1; }, 20000));
  G.Run(500);
  EXPECT_EQ(G.F().UseItemIdle, 1);
  EXPECT_FALSE(SaidARefusal(G)) << "the item put back was still used on hotspot 10";
  EXPECT_EQ(G.F().SpeechActive, 0);
}

TEST(InterruptedScripts, AVerbChosenOnTheWayReplacesTheItemUseAndItsScriptPlaysWhole) {
  StoryGame G;
  UseItemOnTheWay(G);
  // In the inventory the item is put on another one, which leaves the pointer empty while the
  // use still waits for Pukki.
  G.F().AddItem(5);
  G.F().FormMouseDown(nullptr, mbRight, 0, 250, 150);
  G.F().FormMouseUp(nullptr, mbRight, 0, 250, 150);
  ASSERT_EQ(G.F().InventoryOpen, 1);
  G.F().FormMouseMove(nullptr, 0, 55, 25);  // item 5 in slot 2
  G.F().FormMouseDown(nullptr, mbLeft, 0, 55, 25);
  G.F().FormMouseUp(nullptr, mbLeft, 0, 55, 25);
  G.Frame();
  ASSERT_EQ(G.F().ItemInHand, 0);
  G.Click();  // the refusal of the combination is clicked away
  G.F().FormMouseDown(nullptr, mbRight, 0, 250, 150);
  G.F().FormMouseUp(nullptr, mbRight, 0, 250, 150);
  ASSERT_EQ(G.F().InventoryOpen, 0);
  ASSERT_EQ(G.F().UseItemIdle, 0);
  G.ForgetSaid();
  // Verb 2 on the door of hotspot 12 (flag [1][3]).
  G.F().FormMouseMove(nullptr, 0, 32, 30);
  G.F().FormMouseDown(nullptr, mbLeft, 0, 32, 30);
  ASSERT_TRUE(G.RunUntil([&] { return G.F().MenuOpen == 1; }, 1500));
  G.F().FormMouseMove(nullptr, 0, 146, 107);
  G.F().FormMouseUp(nullptr, mbLeft, 0, 146, 107);
  ASSERT_EQ(G.F().SceneActionIdle, 0);
  EXPECT_EQ(G.F().UseItemIdle, 1);
  // The door plays step by step, each speech ending one step.
  ASSERT_TRUE(G.RunUntil([&] { return G.F().SceneActionIdle == 1; }, 30000))
      << "the door script is stuck at step " << G.F().ActionStep;
  EXPECT_FALSE(SaidARefusal(G));
  EXPECT_TRUE(SaidLine(G, "R2h12s1"));
  EXPECT_FALSE(G.IsFlag(1, 3));
  EXPECT_EQ(G.F().CursorShown, 1);
}
