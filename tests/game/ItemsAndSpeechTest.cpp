// The inventory list, verbs on items, combining, and speech timing through the form.
#include <gtest/gtest.h>

#include <set>

#include "game/SpeechText.h"
#include "platform/Text1252.h"
#include "tests/game/GameFixture.h"

using gametest::THarness;

namespace {

struct Game : gametest::TInScene {
  std::vector<int> List() const {
    std::vector<int> L;
    for (int I = 1; I <= F.InventoryCount; ++I) L.push_back(F.Inventory[I]);
    return L;
  }
  void Say(int Lines) {
    SayStr S;
    S.LineCount = static_cast<std::uint8_t>(Lines);
    for (int I = 1; I <= Lines; ++I) S.Lines[I] = "rivi " + std::to_string(I);
    F.PukkiSay(S);
  }
  // Runs until the speech ends (timers every 10 ms, a frame every 100 ms); the time it took.
  std::uint32_t SpeechTime() {
    std::uint32_t T = 0;
    while (F.SpeechActive == 1 && T < 60000) {
      H.Timers(10);
      T += 10;
      if (T % 100 == 0) F.GXScreen1Flip(nullptr);
    }
    return T;
  }
};

}  // namespace

TEST_F(Game, ListKeepsOrderAndUsesTheLastOccurrence) {
  EXPECT_EQ(F.FindItem(3), 0);
  EXPECT_FALSE(F.IsItem(3));
  for (int I : {3, 5, 7, 5, 9}) F.AddItem(static_cast<std::uint16_t>(I));
  EXPECT_EQ(F.FindItem(5), 4);
  F.RemoveItem(5);
  EXPECT_EQ(List(), (std::vector<int>{3, 5, 7, 9}));
  F.RemoveItem(3);
  EXPECT_EQ(List(), (std::vector<int>{5, 7, 9}));
  EXPECT_TRUE(F.IsItem(9));
}

TEST_F(Game, FullListAndItemsNotCarriedLeaveTheListIntact) {
  for (int I = 1; I <= 13; ++I) F.AddItem(static_cast<std::uint16_t>(I));
  F.AddItem(4);
  EXPECT_EQ(F.InventoryCount, 13);
  EXPECT_EQ(F.Inventory[13], 13);
  F.ClearInventory();
  F.AddItem(2);
  F.RemoveItem(8);
  EXPECT_EQ(List(), (std::vector<int>{2}));
  F.RemoveItem(2);
  F.RemoveItem(2);
  EXPECT_EQ(F.InventoryCount, 0);
}

TEST_F(Game, CombiningSixOnFiveMakesTen) {
  for (int I : {5, 2, 6}) F.AddItem(static_cast<std::uint16_t>(I));
  F.HeldItem = 6;
  F.ItemInHand = 1;
  F.ActionItem = 5;
  F.CombineIdle = 0;
  F.ActionHotspot = 9;
  F.DoCompiles();
  EXPECT_EQ(List(), (std::vector<int>{2, 10}));
  EXPECT_EQ(vornu::Cp1252ToUtf8(F.CurrentSpeech.Lines[1]), "Doddii, siitä tuli fakebanaani.");
  EXPECT_EQ(F.CombineIdle, 1);
  EXPECT_EQ(F.ActionHotspot, 0);
  EXPECT_EQ(F.ItemInHand, 0);
  EXPECT_EQ(F.HeldItem, 0);
}

TEST_F(Game, CucumberOnThePenSaysWhichWayRoundAndChangesNothing) {
  F.AddItem(5);
  F.AddItem(6);
  F.HeldItem = 5;
  F.ItemInHand = 1;
  F.ActionItem = 6;
  F.CombineIdle = 0;
  F.DoCompiles();
  EXPECT_EQ(List(), (std::vector<int>{5, 6}));
  ASSERT_EQ(F.CurrentSpeech.LineCount, 2);
  EXPECT_EQ(vornu::Cp1252ToUtf8(F.CurrentSpeech.Lines[1]), "Hyvä idea, mut väärin päin.");
  EXPECT_EQ(vornu::Cp1252ToUtf8(F.CurrentSpeech.Lines[2]), "Tussi käteen ja sillä kurkkuun!");
  EXPECT_EQ(F.CombineIdle, 1);
  EXPECT_EQ(F.ItemInHand, 0);
  EXPECT_EQ(F.HeldItem, 0);
}

TEST_F(Game, OtherPairsAreRefusedFromThePool) {
  F.AddItem(3);
  F.AddItem(6);
  std::set<std::string> Said;
  for (int I = 0; I < 40; ++I) {
    F.HeldItem = 3;  // the broom on the pen
    F.ItemInHand = 1;
    F.ActionItem = 6;
    F.DoCompiles();
    Said.insert(F.CurrentSpeech.Lines[1]);
  }
  EXPECT_EQ(List(), (std::vector<int>{3, 6}));
  // Chosen at random: forty tries say every one of the three.
  EXPECT_EQ(Said, (std::set<std::string>{"Ei1", "Ei2", "Ei3"}));
}

TEST_F(Game, RefusalsFollowTheSeedTheGameWasGiven) {
  // Combinations and item uses draw on one source: seeded alike, they refuse alike.
  auto Refusals = [this] {
    F.Random.seed(1224);
    std::vector<std::string> Said;
    for (int I = 0; I < 12; ++I) {
      F.HeldItem = 3;
      F.ItemInHand = 1;
      F.ActionItem = I % 2 == 0 ? 6 : 3;
      if (I % 2 == 0) {
        F.DoCompiles();
      } else {
        F.ActionHotspot = 1;
        F.SceneUseItem(F.CurrentScene);
      }
      Said.push_back(F.CurrentSpeech.Lines[1]);
    }
    return Said;
  };
  const std::vector<std::string> First = Refusals();
  EXPECT_EQ(Refusals(), First);
  EXPECT_EQ(std::set<std::string>(First.begin(), First.end()).size(), 3u);
}

TEST(FixedSpeech, SourceLinesBecomeWindows1252CutTo50TenAtMost) {
  vornu::TLineCatalogue Finnish;
  const SayStr One = vornu::MakeSpeech(Finnish, {"Käytä"});
  EXPECT_EQ(One.LineCount, 1);
  EXPECT_EQ(One.Lines[1], "K\xE4yt\xE4");
  std::vector<std::string> Eleven(10, std::string(60, 'x'));
  Eleven.push_back("yksitoista");
  const SayStr Many = vornu::MakeSpeech(Finnish, Eleven);
  EXPECT_EQ(Many.LineCount, 10);
  EXPECT_EQ(Many.Lines[10], std::string(50, 'x'));
}

TEST(ItemsWithoutRefusals, NothingIsSaidAndTheFlagsAreReset) {
  gametest::TPrivateGameDir Dir("items/items.txt");
  gametest::WriteFile(Dir.Path() / "items/items.txt", gametest::ItemFile(0));
  THarness H(Dir.Path());
  H.SkipIntro();
  TForm1& F = H.F();
  F.AddItem(1);
  F.HeldItem = 1;
  F.ItemInHand = 1;
  F.ActionItem = 1;
  F.CombineIdle = 0;
  F.DoCompiles();
  EXPECT_EQ(F.SpeechActive, 0);
  EXPECT_EQ(F.CombineIdle, 1);
  EXPECT_EQ(F.ItemInHand, 0);
}

TEST_F(Game, VerbOnAnItemSaysItsReplyExceptTheTwoPuzzleCases) {
  F.AddItem(1);
  F.AddItem(2);
  F.SelectedVerb = 3;
  F.ActionItem = 2;
  F.ItemActionIdle = 0;
  F.CheckItemActions();
  EXPECT_EQ(F.CurrentSpeech.Lines[1], "IR3i2");
  EXPECT_EQ(F.SelectedVerb, 1);
  EXPECT_EQ(F.ItemActionIdle, 1);
  // Scene 6, sock examined: verb 2 on item 1 takes it.
  F.LoadScene(6);
  F.SceneFlags[6][7] = 1;
  F.SelectedVerb = 2;
  F.ActionItem = 1;
  F.CheckItemActions();
  EXPECT_EQ(F.CurrentSpeech.Lines[1], "AUUUUTS!! SE SATTU!");
  EXPECT_EQ(F.SceneFlags[6][6], 1);
  EXPECT_FALSE(F.IsItem(1));
  // Scene 13 after the shock: verb 2 on item 2 insulates the hands.
  F.LoadScene(13);
  F.SceneFlags[13][6] = 1;
  F.SelectedVerb = 2;
  F.ActionItem = 2;
  F.CheckItemActions();
  EXPECT_EQ(vornu::Cp1252ToUtf8(F.CurrentSpeech.Lines[1]), "Noniin, nyt on kädet eristetty.");
  EXPECT_EQ(F.SceneFlags[13][7], 1);
  EXPECT_FALSE(F.IsItem(2));
}

TEST_F(Game, ItemVerbThroughTheMenuInTheInventory) {
  F.AddItem(4);
  H.Click(150, 150, mbRight);
  H.LongPress(15, 20, 800, 165, 101);  // verb 3
  EXPECT_EQ(F.ItemActionIdle, 0);
  EXPECT_EQ(F.ActionItem, 4);
  H.Frame();
  EXPECT_EQ(F.CurrentSpeech.Lines[1], "IR3i4");
  EXPECT_EQ(F.ItemActionIdle, 1);
}

TEST_F(Game, SpeechTakesTwoSecondsALine) {
  Say(1);
  EXPECT_EQ(F.Timer3->Interval(), 2000u);
  EXPECT_NEAR(SpeechTime(), 2000, 20);
  Say(9);
  EXPECT_NEAR(SpeechTime(), 18000, 20);
  Say(10);
  EXPECT_NEAR(SpeechTime(), 20000, 20);
}

TEST_F(Game, SameLengthKeepsTheCountdownALongerOneRestartsIt) {
  Say(1);
  H.Run(1500);
  Say(1);
  EXPECT_NEAR(SpeechTime(), 500, 20);
  Say(1);
  H.Run(1500);
  Say(2);
  EXPECT_NEAR(SpeechTime(), 4000, 20);
}

TEST_F(Game, ClickEndsTheSpeechAndAdvancesTheStepByOne) {
  // The last press point lies on the floor far from Pukki; a release that walked would go there.
  F.ClickX = 100;
  F.ClickY = 170;
  for (const TMouseButton B : {mbLeft, mbRight}) {
    F.ActionStep = 5;
    F.SceneActionIdle = 0;  // a script is running; the speech is one of its steps
    Say(1);
    H.Run(100);
    H.Move(150, 170);
    H.Down(150, 170, B);
    H.Run(5000);  // held: stays on screen well past its two seconds
    EXPECT_EQ(F.SpeechActive, 1) << B;
    EXPECT_EQ(F.ActionStep, 5) << B;
    H.Up(150, 170, B);
    EXPECT_EQ(F.SpeechActive, 0) << B;
    EXPECT_EQ(F.ActionStep, 6) << B;
    // The release did nothing else: no walk, the script goes on, the inventory stays shut.
    EXPECT_EQ(F.WalkDone, 1) << B;
    EXPECT_EQ(F.WayPointCount, 0) << B;
    EXPECT_EQ(F.SceneActionIdle, 0) << B;
    EXPECT_EQ(F.InventoryOpen, 0) << B;
    F.SceneActionIdle = 1;
    H.Run(10000);
    EXPECT_EQ(F.ActionStep, 6) << B;
  }
  // Released again, a speech runs out by its time as before.
  Say(1);
  EXPECT_NEAR(SpeechTime(), 2000, 20);
}

TEST_F(Game, EmptySpeechIsIgnoredAndLongTextIsCut) {
  SayStr Empty;
  F.PukkiSay(Empty);
  EXPECT_EQ(F.SpeechActive, 0);
  EXPECT_FALSE(F.Timer3->Enabled());
  SayStr S;
  S.Lines[2] = "ennallaan";
  F.StringToSayStr(std::string(70, 'a'), S);
  EXPECT_EQ(S.LineCount, 1);
  EXPECT_EQ(S.Lines[1], std::string(50, 'a'));
  EXPECT_EQ(S.Lines[2], "ennallaan");
}

TEST_F(Game, PegAndGlovesOnlyWhenEveryConditionHolds) {
  // The nose peg (item 1, scene 6) and the gloves (item 2, scene 13) with verb 2: each row
  // breaks one condition, and the item's own reply is said instead.
  struct TCase {
    const char* What;
    int Scene, Item, Verb;
    std::vector<std::pair<int, int>> Set;  // the flags set
    bool Works;
  };
  const std::vector<std::pair<int, int>> Peg = {{6, 7}}, Gloves = {{13, 6}};
  const TCase Cases[] = {
      {"peg", 6, 1, 2, Peg, true},
      {"peg, sock not examined", 6, 1, 2, {}, false},
      {"peg, password known", 6, 1, 2, {{6, 7}, {6, 8}}, false},
      {"peg already on", 6, 1, 2, {{6, 7}, {6, 6}}, false},
      {"peg with verb 3", 6, 1, 3, Peg, false},
      {"peg in another scene", 13, 1, 2, Peg, false},
      {"gloves on the peg's place", 6, 2, 2, Peg, false},
      {"gloves", 13, 2, 2, Gloves, true},
      {"gloves before the shock", 13, 2, 2, {}, false},
      {"gloves, machine repaired", 13, 2, 2, {{13, 6}, {13, 4}}, false},
      {"gloves already on", 13, 2, 2, {{13, 6}, {13, 7}}, false},
      {"gloves with verb 4", 13, 2, 4, Gloves, false},
      {"gloves in another scene", 6, 2, 2, Gloves, false},
      {"peg on the gloves' place", 13, 1, 2, Gloves, false},
  };
  for (const TCase& C : Cases) {
    F.LoadScene(static_cast<std::uint16_t>(C.Scene));
    for (int S : {6, 13}) F.SceneFlags[S].Fill(0);
    for (const auto& [S, K] : C.Set) F.SceneFlags[S][K] = 1;
    const auto Flags = F.SceneFlags;
    F.ClearInventory();
    F.AddItem(1);
    F.AddItem(2);
    F.SpeechActive = 0;
    F.SelectedVerb = static_cast<std::uint8_t>(C.Verb);
    F.ActionItem = static_cast<std::uint16_t>(C.Item);
    F.ItemActionIdle = 0;
    F.CheckItemActions();
    const std::string Said = vornu::Cp1252ToUtf8(F.CurrentSpeech.Lines[1]);
    if (!C.Works) {
      EXPECT_EQ(Said, "IR" + std::to_string(C.Verb) + "i" + std::to_string(C.Item)) << C.What;
      EXPECT_EQ(List(), (std::vector<int>{1, 2})) << C.What;
      EXPECT_EQ(F.SceneFlags, Flags) << C.What;
    } else if (C.Item == 1) {
      EXPECT_EQ(Said, "AUUUUTS!! SE SATTU!");
      EXPECT_EQ(List(), (std::vector<int>{2}));
      EXPECT_EQ(F.SceneFlags[6][6], 1);
    } else {
      EXPECT_EQ(Said, "Noniin, nyt on kädet eristetty.");
      EXPECT_EQ(List(), (std::vector<int>{1}));
      EXPECT_EQ(F.SceneFlags[13][7], 1);
    }
    EXPECT_EQ(F.ItemActionIdle, 1) << C.What;
  }
}
