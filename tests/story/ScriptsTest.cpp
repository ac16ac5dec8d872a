// The scene scripts played on the fixture game: doors, exits, the puzzles' chains and timings.
#include <gtest/gtest.h>

#include "platform/Trace.h"
#include "tests/story/StoryGame.h"

using story::FixtureReply;
using story::StoryGame;

namespace {

std::string Reply(int Scene, int Verb, int H) {
  return FixtureReply(Scene, Verb, H);
}

}  // namespace

TEST(Door, FlagFromStep2To5PointerHiddenThroughoutPressesDuringWaitsIgnored) {
  StoryGame G;
  G.StartVerb(12, 2);  // cabinet door [1][3], stays in the kitchen
  G.Frame();
  EXPECT_EQ(G.F().CursorShown, 0);
  EXPECT_FALSE(G.IsFlag(1, 3));
  ASSERT_TRUE(G.F().Timer4->Enabled());

  // A click during the 700 ms wait is lost: the step stays, the action goes on.
  G.Run(300);
  G.Click();
  EXPECT_EQ(G.F().ActionStep, 1);
  EXPECT_EQ(G.F().SceneActionIdle, 0);

  int LastStep = 0;
  bool SawReply = false;
  for (int I = 0; I < 1000 && G.F().SceneActionIdle == 0; ++I) {
    G.Step(StoryGame::FrameMs);
    const int Step = G.F().ActionStep;
    LastStep = Step;
    if (G.F().SceneActionIdle == 1) break;
    EXPECT_EQ(G.F().CursorShown, 0) << "step " << Step;
    EXPECT_EQ(G.IsFlag(1, 3), Step >= 2) << "step " << Step;
    if (Step == 3 && G.F().SpeechActive) SawReply = true;
    if (Step == 4 && G.F().Timer4->Enabled()) {
      G.Click();  // ignored: the wait goes on
      EXPECT_EQ(G.F().ActionStep, 4);
    }
  }
  EXPECT_EQ(LastStep, 5);
  EXPECT_TRUE(SawReply);
  EXPECT_EQ(G.Said(), std::vector<std::string>{Reply(1, 2, 12)});
  EXPECT_FALSE(G.IsFlag(1, 3));
  EXPECT_EQ(G.F().CursorShown, 1);
  EXPECT_EQ(G.F().CurrentScene, 1);
}

TEST(Door, ClickingThroughTheReplyMovesTheScriptOn) {
  StoryGame G;
  G.StartVerb(12, 2);
  ASSERT_TRUE(G.RunUntil([&] { return G.F().SpeechActive == 1; }));
  EXPECT_EQ(G.F().ActionStep, 3);
  G.Click();
  EXPECT_EQ(G.F().SpeechActive, 0);
  EXPECT_EQ(G.F().ActionStep, 4);
  G.Frame();
  EXPECT_TRUE(G.F().Timer4->Enabled());  // step 4's wait has started
}

TEST(Door, LeadsToItsSceneAndBackKeepsPukkiAndMusic) {
  StoryGame G;
  G.F().PukkiX = G.F().PukkiTargetX = 120;
  G.F().PukkiY = G.F().PukkiTargetY = 90;
  G.F().PukkiDirection = 5;
  G.StartVerb(9, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.F().CurrentScene, 2);
  EXPECT_FALSE(G.IsFlag(1, 6));
  const std::string Tune = G.F().MediaPlayer1->FileName();
  G.StartVerb(1, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.F().CurrentScene, 1);
  EXPECT_EQ(G.F().PukkiX, 120);
  EXPECT_EQ(G.F().PukkiY, 90);
  EXPECT_EQ(G.F().PukkiDirection, 5);
  EXPECT_EQ(G.F().MediaPlayer1->FileName(), Tune);
  EXPECT_NE(Tune.find("music01"), std::string::npos) << Tune;
  EXPECT_TRUE(G.F().MediaPlayer1->IsOpen());
}

TEST(Door, PassageOutOfTheKitchenHasNoReply) {
  StoryGame G;
  G.StartVerb(254, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.F().CurrentScene, 0);
  EXPECT_TRUE(G.Said().empty());
  EXPECT_FALSE(G.IsFlag(1, 8));
  EXPECT_EQ(G.F().CursorShown, 1);
}

TEST(PickUp, TakesTheItemHidesTheHotspotSetsTheFlag) {
  StoryGame G;
  G.Enter(7);
  G.StartVerb(3, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.F().IsItem(7));
  EXPECT_TRUE(G.IsFlag(7, 3));
  EXPECT_EQ(G.F().HotspotHidden[7][3], 1);
  EXPECT_EQ(G.Said(), std::vector<std::string>{Reply(7, 2, 3)});
  // Another verb on a listed hotspot is only the hotspot's reply.
  G.ForgetSaid();
  G.StartVerb(2, 3);
  ASSERT_TRUE(G.Finish());
  EXPECT_FALSE(G.F().IsItem(5));
  EXPECT_EQ(G.Said(), std::vector<std::string>{Reply(7, 3, 2)});
}

TEST(Scene9, PathLeavesWithAnyVerbSayingThatVerbsReply) {
  for (int Verb = 2; Verb <= 4; ++Verb) {
    StoryGame G;
    G.Enter(9);
    G.StartVerb(4, Verb);
    ASSERT_TRUE(G.Finish());
    EXPECT_EQ(G.F().CurrentScene, 0) << Verb;
    EXPECT_EQ(G.Said(), std::vector<std::string>{Reply(9, Verb, 4)});
  }
}

TEST(Scene9, StairsOnlyWithVerb2AndBackDoorOnlyAfterUnbolting) {
  StoryGame G;
  G.Enter(9);
  G.StartVerb(3, 3);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.F().CurrentScene, 9);
  EXPECT_EQ(G.Said(), std::vector<std::string>{Reply(9, 3, 3)});

  G.StartVerb(1, 2);  // bolted: the Default reply only
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.F().CurrentScene, 9);
  EXPECT_FALSE(G.IsFlag(9, 1));

  G.StartVerb(3, 2);
  G.Frame();
  EXPECT_EQ(G.F().CursorShown, 0);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.F().CurrentScene, 10);
  EXPECT_EQ(G.F().CursorShown, 1);
  EXPECT_EQ(G.F().PukkiX, 89);
  EXPECT_EQ(G.F().PukkiY, 143);
  EXPECT_EQ(G.F().PukkiDirection, 0);

  G.Enter(9);
  G.Flag(10, 4);
  G.ForgetSaid();
  G.StartVerb(1, 2);
  G.Frame();
  EXPECT_TRUE(G.IsFlag(9, 1));
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.Said().empty());
  EXPECT_FALSE(G.IsFlag(9, 1));
  EXPECT_EQ(G.F().CurrentScene, 10);
  EXPECT_EQ(G.F().PukkiX, 112);
  EXPECT_EQ(G.F().PukkiY, 83);
  EXPECT_EQ(G.F().PukkiDirection, 6);
}

TEST(Scene10, BackDoorRepliesOnlyTheFirstTime) {
  StoryGame G;
  G.Enter(10);
  G.StartVerb(15, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{Reply(10, 2, 15)});
  EXPECT_TRUE(G.IsFlag(10, 4));
  EXPECT_FALSE(G.IsFlag(10, 1));
  EXPECT_EQ(G.F().CurrentScene, 9);
  EXPECT_EQ(G.F().PukkiX, 77);
  EXPECT_EQ(G.F().PukkiY, 113);
  EXPECT_EQ(G.F().PukkiDirection, 4);

  G.Enter(10);
  G.ForgetSaid();
  G.StartVerb(15, 2);
  ASSERT_TRUE(G.RunUntil([&] { return G.F().ActionStep == 2; }));
  G.Frame();
  EXPECT_EQ(G.F().SpeechActive, 0);
  EXPECT_EQ(G.F().Timer4->Interval(), 100u);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.Said().empty());
  EXPECT_EQ(G.F().CurrentScene, 9);
  EXPECT_EQ(G.F().PukkiX, 77);
}

TEST(Scene10, GiftWrapOnlyOnceTheMachineHasShownIt) {
  StoryGame G;
  G.Enter(10);
  EXPECT_EQ(G.F().HotspotHidden[10][16], 1);  // hidden in a new game
  G.Flag(10, 3);
  G.F().HotspotHidden[10][16] = 0;
  G.StartVerb(16, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.F().IsItem(13));
  EXPECT_FALSE(G.IsFlag(10, 3));
  EXPECT_EQ(G.F().HotspotHidden[10][16], 1);
}

TEST(Map, WorkshopNeedsTheKey) {
  StoryGame G;
  G.Enter(0);
  for (int Try = 0; Try < 2; ++Try) {
    G.ForgetSaid();
    G.StartJourney(1);
    ASSERT_TRUE(G.Finish());
    EXPECT_EQ(G.F().CurrentScene, 0);
    EXPECT_EQ(G.Said(), std::vector<std::string>{"Ovi on lukossa. Tarviin avaimen."});
  }
  G.F().AddItem(4);
  G.StartJourney(1);
  G.Frame();
  EXPECT_EQ(G.F().CurrentScene, 13);
  EXPECT_EQ(G.F().PukkiX, 53);
  EXPECT_EQ(G.F().PukkiY, 125);
  EXPECT_EQ(G.F().PukkiDirection, 0);
  EXPECT_EQ(G.F().PukkiTargetX, 53);
  EXPECT_EQ(G.F().PukkiTargetY, 125);
  EXPECT_EQ(G.F().MapIdle, 1);
}

TEST(Map, SleighNeedsTheGiftsThenTheEndingStarts) {
  StoryGame G;
  G.Enter(0);
  G.StartJourney(4);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(),
            std::vector<std::string>{"Ei sinne kannata mennä ennenkö / lahjat on valmiina."});
  EXPECT_EQ(G.F().EndingActive, 0);

  G.F().MediaPlayer1->SetFileName("");
  G.F().AddItem(12);
  G.StartJourney(4);
  G.Frame();
  EXPECT_EQ(G.F().EndingActive, 1);
  EXPECT_EQ(G.F().MapIdle, 1);
  EXPECT_NE(G.F().MediaPlayer1->FileName().find("music02"), std::string::npos);
  // The end picture and the credits, each until a key; then the form closes.
  for (int Key = 0; Key < 2; ++Key) {
    G.Frames(3);
    EXPECT_FALSE(G.F().Closed());
    char K = 'x';
    G.F().FormKeyPress(nullptr, K);
  }
  G.Frames(2);
  EXPECT_TRUE(G.F().Closed());
}

TEST(Map, NumbersAboveSevenDoNothingAndTheNextClickTravels) {
  StoryGame G;
  G.Enter(0);
  G.StartJourney(8);
  G.Run(100);
  EXPECT_EQ(G.F().CurrentScene, 0);
  EXPECT_EQ(G.F().MapIdle, 0);
  EXPECT_EQ(G.F().SpeechActive, 0);
  G.StartJourney(3);
  G.Frame();
  EXPECT_EQ(G.F().CurrentScene, 1);
  EXPECT_EQ(G.F().PukkiX, 162);
  EXPECT_EQ(G.F().PukkiY, 81);
  EXPECT_EQ(G.F().PukkiDirection, 4);
  EXPECT_EQ(G.F().MenuAllowed, 1);
  EXPECT_EQ(G.F().InventoryAllowed, 1);
  EXPECT_NE(G.F().MediaPlayer1->FileName().find("music01"), std::string::npos);
}

TEST(Map, EveryPlaceHasItsEntrance) {
  struct Place {
    int Hotspot, Scene, X, Y, Facing;
  };
  for (Place P : {Place{2, 9, 120, 129, 0}, Place{5, 12, 125, 122, 0}, Place{6, 4, 110, 79, 4},
                  Place{7, 6, 109, 78, 4}}) {
    StoryGame G;
    G.Enter(0);
    G.StartJourney(P.Hotspot);
    G.Frame();
    EXPECT_EQ(G.F().CurrentScene, P.Scene);
    EXPECT_EQ(G.F().PukkiX, P.X);
    EXPECT_EQ(G.F().PukkiY, P.Y);
    EXPECT_EQ(G.F().PukkiDirection, P.Facing);
  }
}

TEST(Map, AMissingMapTuneDoesNotKeepThePlayerFromTheEnding) {
  StoryGame G;
  G.Enter(0);
  std::filesystem::remove(G.Dir() / "music" / "music02.mid");
  G.F().AddItem(12);
  G.StartJourney(4);
  std::vector<std::string> Trace;
  SetTraceHook([&](const std::string& L) { Trace.push_back(L); });
  EXPECT_NO_THROW(G.Frame());  // silence and one trace line, no error
  SetTraceHook(nullptr);
  ASSERT_EQ(Trace.size(), 1u);
  EXPECT_NE(Trace[0].find("music02.mid"), std::string::npos) << Trace[0];
  EXPECT_EQ(G.F().EndingActive, 1);
  EXPECT_EQ(G.F().MapIdle, 1);
  G.Frames(2);  // the ending goes on; the journey is not tried again
  EXPECT_EQ(G.F().EndingActive, 1);
}

TEST(Default, AHotspotBeyondTheReplyTableEndsTheActionSilently) {
  StoryGame G;
  G.StartVerb(300, 2);  // no input makes this; a hand-set state must not read outside a table
  G.Frame();
  EXPECT_EQ(G.F().SceneActionIdle, 1);
  EXPECT_EQ(G.F().SpeechActive, 0);
}

TEST(Default, TheMapRunsNoSceneAction) {
  StoryGame G;
  G.Enter(0);
  G.StartVerb(3, 2);
  G.Run(100);
  EXPECT_EQ(G.F().CurrentScene, 0);
  EXPECT_EQ(G.F().SpeechActive, 0);
  EXPECT_TRUE(G.Said().empty());
}

TEST(Timeline, EveryRoomScriptStepByStep) {
  using namespace story;
  const std::string NoPointer = " no pointer";
  // clang-format off
  const std::vector<TScriptCase> Cases = {
      {"kitchen 10", 1, 10, 2, {}, {}, {}, Then(DoorSteps(1, 10, 1), "= scene 3")},
      {"kitchen 12", 1, 12, 2, {}, {}, {}, Then(DoorSteps(1, 12, 3), "= scene 1")},
      {"kitchen 7", 1, 7, 2, {}, {}, {}, Then(DoorSteps(1, 7, 2), "= scene 1")},
      {"kitchen 8", 1, 8, 2, {}, {}, {}, Then(DoorSteps(1, 8, 4), "= scene 1")},
      {"kitchen 13", 1, 13, 2, {}, {}, {}, Then(DoorSteps(1, 13, 5), "= scene 1")},
      {"kitchen 9", 1, 9, 2, {}, {}, {}, Then(DoorSteps(1, 9, 6), "= scene 2")},
      {"kitchen 14", 1, 14, 2, {}, {}, {}, Then(DoorSteps(1, 14, 7), "= scene 1")},
      {"kitchen 254", 1, 254, 2, {}, {}, {}, PassageSteps(1, 8, 0)},
      {"kitchen 10, verb 3", 1, 10, 3, {}, {}, {}, {Reply(1, 3, 10), "= scene 1"}},
      {"cabinet 2", 2, 2, 2, {}, {}, {}, PickUpSteps(2, 2, 1, 1)},
      {"cabinet 3", 2, 3, 2, {}, {}, {}, PickUpSteps(2, 3, 2, 2)},
      {"cabinet 1", 2, 1, 2, {}, {}, {}, ExitSteps(2, 2, 1, 1)},
      {"pantry 1", 3, 1, 2, {}, {}, {}, ExitSteps(3, 2, 1, 1)},
      {"pantry 2", 3, 2, 2, {}, {}, {}, PickUpSteps(3, 2, 1, 3)},
      {"pantry 1, verb 4", 3, 1, 4, {}, {}, {}, {Reply(3, 4, 1), "= scene 3"}},
      {"shed 12", 4, 12, 2, {}, {}, {}, Then(DoorSteps(4, 12, 1), "= scene 5")},
      {"shed 1", 4, 1, 2, {}, {}, {}, PassageSteps(4, 2, 0)},
      {"safe 1", 5, 1, 2, {}, {}, {}, ExitSteps(5, 2, 1, 4)},
      {"safe 2", 5, 2, 2, {}, {}, {}, PickUpSteps(5, 2, 1, 4)},
      {"shelves 1", 7, 1, 2, {}, {}, {}, ExitSteps(7, 2, 1, 6)},
      {"shelves 2", 7, 2, 2, {}, {}, {}, PickUpSteps(7, 2, 1, 5)},
      {"shelves 3", 7, 3, 2, {}, {}, {}, PickUpSteps(7, 3, 3, 7)},
      {"shelves 4", 7, 4, 2, {}, {}, {}, {Reply(7, 2, 4), "= scene 7 +[7][2] hide (7,4) items 6"}},
      {"yard 4, verb 2", 9, 4, 2, {}, {}, {}, ExitSteps(9, 2, 4, 0)},
      {"yard 4, verb 3", 9, 4, 3, {}, {}, {}, ExitSteps(9, 3, 4, 0)},
      {"yard 4, verb 4", 9, 4, 4, {}, {}, {}, ExitSteps(9, 4, 4, 0)},
      {"yard 3", 9, 3, 2, {}, {}, {}, {Reply(9, 2, 3) + NoPointer, "= scene 10 at (89,143) facing 0"}},
      {"yard 3, verb 3", 9, 3, 3, {}, {}, {}, {Reply(9, 3, 3), "= scene 9"}},
      {"yard 1, bolted", 9, 1, 2, {}, {}, {}, {Reply(9, 2, 1), "= scene 9"}},
      {"yard 1, unbolted", 9, 1, 2, {{10, 4}}, {}, {}, {"w700 +[9][1]", "= scene 10 at (112,83) facing 6"}},
      {"storeroom 15", 10, 15, 2, {}, {}, {},
       {"w700 +[10][1]", Reply(10, 2, 15) + " +[10][1]", "= scene 9 +[10][4] at (77,113) facing 4"}},
      {"storeroom 15 again", 10, 15, 2, {{10, 4}}, {}, {},
       {"w700 +[10][1]", "w100 +[10][1]", "= scene 9 at (77,113) facing 4"}},
      {"storeroom 3", 10, 3, 2, {}, {}, {},
       {"w700 +[10][2]" + NoPointer, Reply(10, 2, 3) + " +[10][2]" + NoPointer, "w700 +[10][2]" + NoPointer,
        "= scene 11"}},
      {"storeroom 16", 10, 16, 2, {{10, 3}}, {{10, 16}}, {},
       {Reply(10, 2, 16), "w700 -[10][3]", "= scene 10 -[10][3] hide (10,16) items 13"}},
      {"chest 1", 11, 1, 2, {}, {}, {}, ExitSteps(11, 2, 1, 10)},
      {"chest 2", 11, 2, 2, {}, {}, {}, PickUpSteps(11, 2, 1, 8)},
  };
  // clang-format on
  StoryGame G;
  story::PlayEach(G, Cases);
}
