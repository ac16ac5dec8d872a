// When the frame carries out a pending request: a scene verb or an item use only once Pukki has
// arrived, with the verb menu closed, no speech on screen and the inventory closed; an item verb
// and a combination only in the inventory and not under a speech. And what input does while a
// speech or a script wait holds the game: the pointer stays plain, presses are lost.
#include <gtest/gtest.h>

#include <functional>

#include "tests/game/GameFixture.h"

using gametest::THarness;

namespace {

struct Dispatch : gametest::TInScene {
  void Calm() { H.Calm({3, 5}); }
  void Say() {
    SayStr S;
    F.StringToSayStr("Hei", S);
    F.PukkiSay(S);
  }
};

// What holds a request back, and what lets it go again.
struct TBlock {
  const char* What;
  std::function<void(Dispatch&)> Hold;
  std::function<void(Dispatch&)> Release;
};

const TBlock kSceneBlocks[] = {
    {"nothing", [](Dispatch&) {}, [](Dispatch&) {}},
    {"the verb menu open", [](Dispatch& D) { D.F.MenuOpen = 1; },
     [](Dispatch& D) { D.F.MenuOpen = 0; }},
    {"Pukki on his way", [](Dispatch& D) { ASSERT_TRUE(D.F.CalculateWayPoints(100, 170)); },
     [](Dispatch& D) { D.H.Run(3000); }},
    {"a speech", [](Dispatch& D) { D.Say(); }, [](Dispatch& D) { D.H.Run(2100); }},
    {"the inventory open", [](Dispatch& D) { D.F.InventoryOpen = 1; },
     [](Dispatch& D) { D.F.InventoryOpen = 0; }},
};

}  // namespace

TEST_F(Dispatch, SceneVerbWaitsForArrivalClosedMenuNoSpeechClosedInventory) {
  for (const TBlock& B : kSceneBlocks) {
    Calm();
    B.Hold(*this);
    // A door of the kitchen: its first step hides the pointer and starts a wait.
    F.SelectedVerb = 2;
    F.ActionHotspot = 12;
    F.ActionStep = 1;
    F.SceneActionIdle = 0;
    H.Frame();
    EXPECT_EQ(F.Timer4->Enabled(), std::string(B.What) == "nothing") << B.What;
    B.Release(*this);
    H.Frame();
    EXPECT_TRUE(F.Timer4->Enabled() || F.ActionStep > 1) << B.What << ": the verb was lost";
    EXPECT_EQ(F.SceneActionIdle, 0) << B.What;
  }
}

TEST_F(Dispatch, ItemUseWaitsForArrivalClosedMenuNoSpeechClosedInventory) {
  for (const TBlock& B : kSceneBlocks) {
    Calm();
    B.Hold(*this);
    F.ItemInHand = 1;
    F.HeldItem = F.ActionItem = 3;
    F.ActionHotspot = 10;
    F.UseItemIdle = 0;
    H.Frame();
    EXPECT_EQ(F.UseItemIdle, std::string(B.What) == "nothing" ? 1 : 0) << B.What;
    B.Release(*this);
    H.Frame();
    EXPECT_EQ(F.UseItemIdle, 1) << B.What << ": the use was lost";
    EXPECT_EQ(F.ItemInHand, 0) << B.What;
  }
}

TEST_F(Dispatch, ItemVerbAndCombinationOnlyInTheInventoryWithoutASpeech) {
  // An item verb: in the inventory it runs, under a speech it waits for the speech to end.
  Calm();
  F.InventoryOpen = 1;
  F.SelectedVerb = 3;
  F.ActionItem = 5;
  F.ItemActionIdle = 0;
  Say();
  H.Frame();
  EXPECT_EQ(F.ItemActionIdle, 0);
  H.Run(2100);
  EXPECT_EQ(F.ItemActionIdle, 1);
  EXPECT_EQ(F.CurrentSpeech.Lines[1], "IR3i5");
  // Closed inventory: it waits.
  Calm();
  F.SelectedVerb = 3;
  F.ActionItem = 5;
  F.ItemActionIdle = 0;
  H.Frame();
  EXPECT_EQ(F.ItemActionIdle, 0);
  F.ItemActionIdle = 1;

  // A combination: only with the pointer on an item and no speech.
  Calm();
  F.InventoryOpen = 1;
  F.ItemInHand = 1;
  F.HeldItem = 3;
  F.ActionItem = 5;
  F.CombineIdle = 0;
  H.Move(200, 100);  // off the items
  H.Frame();
  EXPECT_EQ(F.CombineIdle, 0);
  H.Move(15, 20);  // on item 3
  Say();
  H.Frame();
  EXPECT_EQ(F.CombineIdle, 0);
  H.Run(2100);
  EXPECT_EQ(F.CombineIdle, 1);
  EXPECT_EQ(F.ItemInHand, 0);
}

TEST_F(Dispatch, UnderASpeechThePointerIsPlainAndAPressIsLost) {
  Calm();
  Say();
  H.Move(210, 60);  // hotspot 10
  EXPECT_EQ(F.CursorKind, 1);
  H.Frame();
  EXPECT_TRUE(gametest::SameColour(H.Pixel(211, 61), gametest::kNormalPointer));
  const int Cx = F.ClickX, Cy = F.ClickY;
  H.Down(210, 60);
  EXPECT_EQ(F.ClickX, Cx);
  EXPECT_EQ(F.ClickY, Cy);
  EXPECT_FALSE(F.Timer2->Enabled());
  H.Up(210, 60);  // ends the speech, nothing else
  EXPECT_EQ(F.SpeechActive, 0);
  H.Run(1000);
  EXPECT_EQ(F.MenuOpen, 0);
  EXPECT_EQ(F.WalkDone, 1);
  H.Move(210, 61);
  EXPECT_EQ(F.CursorKind, 2);
  H.Frame();
  EXPECT_TRUE(gametest::SameColour(H.Pixel(211, 62), gametest::kActivePointer));
}

TEST_F(Dispatch, DuringAScriptWaitPressAndReleaseAreLost) {
  Calm();
  H.Move(210, 60);
  F.ActionDelayMs(1000);
  const int Cx = F.ClickX;
  H.Down(210, 60);
  EXPECT_EQ(F.ClickX, Cx);
  EXPECT_FALSE(F.Timer2->Enabled());
  H.Run(900);
  H.Up(210, 60);
  EXPECT_EQ(F.MenuOpen, 0);
  EXPECT_EQ(F.WalkDone, 1);
  EXPECT_EQ(F.SceneActionIdle, 1);
}
