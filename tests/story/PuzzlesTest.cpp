// The puzzle scenes and item uses on the fixture game: printer, ink, trader, gift machine.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/story/StoryGame.h"

using story::FixtureReply;
using story::StoryGame;

namespace {

bool Contains(const std::vector<std::string>& Said, const std::string& Line) {
  return std::find(Said.begin(), Said.end(), Line) != Said.end();
}

// The colour a fixture tile shows once drawn on the 16-bit back surface.
std::uint32_t ShownColour(StoryGame& G, int Tile) {
  return G.F().SceneTiles[Tile]->PixelRgb(5, 5);
}

// Whether tile T of the shop (44 x 55) lies on the back surface exactly at (X, Y).
void ExpectTileAt(StoryGame& G, int T, int X, int Y) {
  TGXSurface& Back = *G.F().GXScreen1->Back();
  const std::uint32_t Colour = ShownColour(G, T);
  for (auto [Px, Py] : {std::pair{X, Y}, {X + 43, Y}, {X, Y + 54}, {X + 43, Y + 54}})
    EXPECT_EQ(Back.PixelRgb(Px, Py), Colour) << "tile " << T << " at " << Px << "," << Py;
  for (auto [Px, Py] : {std::pair{X - 1, Y}, {X, Y - 1}, {X + 44, Y + 54}, {X + 43, Y + 55}})
    EXPECT_NE(Back.PixelRgb(Px, Py), Colour) << "tile " << T << " at " << Px << "," << Py;
}

// Plays a trader conversation, clicking speeches away; returns the tiles shown at (137, 43)
// in the order of their steps, and how long (ms) the tile steps lasted.
std::pair<std::vector<int>, std::uint32_t> TalkToTrader(StoryGame& G) {
  std::vector<int> Tiles;
  int LastTileStep = -1;
  std::uint32_t Start = 0, End = 0;
  G.StartVerb(2, 4);
  for (int I = 0; I < 20000 && !(G.F().SceneActionIdle == 1 && G.F().SpeechActive == 0); ++I) {
    if (G.F().SpeechActive == 1 && !G.F().Timer4->Enabled()) G.Click();
    G.Step(StoryGame::FrameMs);
    const std::uint32_t Shown = G.F().GXScreen1->Back()->PixelRgb(137 + 5, 43 + 5);
    int Tile = 0;
    for (int T = 1; T <= 10; ++T)
      if (Shown == ShownColour(G, T)) Tile = T;
    if (Tile != 0) {
      if (Tiles.empty()) Start = G.Clock().Now();
      if (G.F().ActionStep != LastTileStep) {
        Tiles.push_back(Tile);
        ExpectTileAt(G, Tile, 137, 43);
      }
      LastTileStep = G.F().ActionStep;
    } else if (!Tiles.empty() && End == 0) {
      End = G.Clock().Now();
    }
  }
  return {Tiles, End - Start};
}

}  // namespace

TEST(Trader, ShortTalkWithoutTheListAndOtherVerbsOnlyReply) {
  StoryGame G;
  G.Enter(12);
  for (int Verb : {2, 3}) {
    G.ForgetSaid();
    G.StartVerb(2, Verb);
    ASSERT_TRUE(G.Finish());
    EXPECT_EQ(G.Said(), std::vector<std::string>{FixtureReply(12, Verb, 2)});
  }
  G.ForgetSaid();
  G.StartVerb(2, 4);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), (std::vector<std::string>{FixtureReply(12, 4, 2), "Päivää. Mitä sä haluat?",
                                                "Jaa-a. Emmä vaan tiä.",
                                                "Aha, no tuu takas sitku tiät.", "Selvätapaus."}));
  EXPECT_EQ(G.F().Speaker, 1);
}

TEST(Trader, WithTheListHeShakesHisHeadFor770MsAndTeases) {
  StoryGame G;
  G.Enter(12);
  G.F().AddItem(9);
  auto [Tiles, Ms] = TalkToTrader(G);
  EXPECT_EQ(Tiles, (std::vector<int>{8, 9, 10, 9, 8, 7, 6, 5, 6, 7, 8}));
  EXPECT_NEAR(static_cast<double>(Ms), 770.0, 3.0 * StoryGame::FrameMs);
  EXPECT_TRUE(Contains(G.Said(), "Hihihihi."));
  EXPECT_TRUE(G.F().IsItem(9));
  EXPECT_FALSE(G.F().IsItem(11));
  EXPECT_EQ(G.F().Speaker, 1);
}

TEST(Trader, AfterTheBananaHeHandsThePartsOverIn1280Ms) {
  StoryGame G;
  G.Enter(12);
  G.F().AddItem(9);
  G.F().AddItem(10);
  G.StartUse(10, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.IsFlag(12, 1));
  EXPECT_FALSE(G.F().IsItem(10));
  EXPECT_EQ(G.Said().back(), "Siinon sulle banaani.");

  auto [Tiles, Ms] = TalkToTrader(G);
  EXPECT_EQ(Tiles, (std::vector<int>{1, 2, 3, 4, 4, 3, 2, 1}));
  EXPECT_NEAR(static_cast<double>(Ms), 1280.0, 3.0 * StoryGame::FrameMs);
  EXPECT_TRUE(G.F().IsItem(11));
  EXPECT_FALSE(G.F().IsItem(9));
  EXPECT_EQ(G.Said().back(), "Kiidos.");
  EXPECT_EQ(G.F().Speaker, 1);
}

TEST(GiftMachine, BrokenThenTestRunThenGiftsThenNothingMore) {
  StoryGame G;
  G.Enter(13);
  G.StartVerb(2, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{FixtureReply(13, 2, 2)});

  // Repaired, nothing put in: the rattling run shows the gift wrap in the storeroom.
  G.Flag(13, 4);
  G.ForgetSaid();
  G.StartVerb(2, 2);
  ASSERT_TRUE(G.RunUntil([&] { return G.F().ActionStep == 5; }));
  G.Frame();
  EXPECT_TRUE(G.IsFlag(13, 1));
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Aha."});
  EXPECT_FALSE(G.IsFlag(13, 1));
  EXPECT_FALSE(G.IsFlag(13, 3));
  EXPECT_TRUE(G.IsFlag(10, 3));
  EXPECT_EQ(G.F().HotspotHidden[10][16], 0);
  EXPECT_FALSE(G.IsFlag(13, 5));

  // The gift wrap in the hopper, then the real run.
  G.F().AddItem(13);
  G.StartUse(13, 3);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.IsFlag(13, 8));
  EXPECT_FALSE(G.F().IsItem(13));
  G.ForgetSaid();
  G.StartVerb(2, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"TADAAAAA!"});
  EXPECT_TRUE(G.IsFlag(13, 5));
  EXPECT_TRUE(G.IsFlag(13, 2));
  EXPECT_EQ(G.F().HotspotHidden[13][4], 0);

  G.ForgetSaid();
  G.StartVerb(2, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Lahjat on jo tehty."});

  G.StartVerb(4, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.F().IsItem(12));
  EXPECT_FALSE(G.IsFlag(13, 2));
  EXPECT_TRUE(G.IsFlag(13, 3));
  EXPECT_EQ(G.F().HotspotHidden[13][4], 1);
}

TEST(GiftMachine, ShockEveryTimeUntilTheHandsAreInsulated) {
  StoryGame G;
  G.Enter(13);
  G.F().AddItem(11);
  for (int Try = 0; Try < 2; ++Try) {
    G.ForgetSaid();
    G.StartUse(11, 5);
    ASSERT_TRUE(G.Finish());
    EXPECT_EQ(G.Said(),
              std::vector<std::string>{
                  "ZZZZZAP... / Auuh.. Sain sähärin. Ei tohon / voi paljain käsin koskee."});
    EXPECT_TRUE(G.F().IsItem(11));
    EXPECT_TRUE(G.IsFlag(13, 6));
    EXPECT_FALSE(G.IsFlag(13, 4));
    EXPECT_EQ(G.F().ItemInHand, 0);
  }
  G.Flag(13, 7);
  G.ForgetSaid();
  G.StartUse(11, 5);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Kunnossa on."});
  EXPECT_TRUE(G.IsFlag(13, 4));
  EXPECT_FALSE(G.F().IsItem(11));
}

TEST(InkBottle, FullBottleOnlyAfterTheEmptyOneIsGone) {
  StoryGame G;
  G.Enter(8);
  G.F().AddItem(7);
  G.StartUse(7, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Kannattas ottaa ensin tyhjä pois."});
  EXPECT_TRUE(G.F().IsItem(7));
  EXPECT_FALSE(G.IsFlag(6, 10));

  G.ForgetSaid();
  G.StartVerb(3, 2);  // the empty bottle
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(),
            (std::vector<std::string>{
                FixtureReply(8, 2, 3),
                "Hmm, mustepullo näyttäisi olevan tyhjä. / Ei sillä mitään tee. Heitetään pois."}));
  EXPECT_TRUE(G.IsFlag(8, 1));
  EXPECT_EQ(G.F().HotspotHidden[8][3], 1);

  G.ForgetSaid();
  G.StartUse(7, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Noniin.."});
  EXPECT_FALSE(G.F().IsItem(7));
  EXPECT_FALSE(G.IsFlag(8, 1));
  EXPECT_TRUE(G.IsFlag(6, 10));
  EXPECT_EQ(G.F().HotspotHidden[8][3], 0);

  G.ForgetSaid();
  G.StartVerb(3, 3);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Täysinäinen mustepullo."});
}

TEST(ItemUse, AnyOtherPairIsRefusedAndChangesNothing) {
  StoryGame G(1);
  G.Enter(6);
  G.F().AddItem(8);
  auto Flags = G.F().SceneFlags;
  G.StartUse(8, 11);  // paper on the computer, not the printer
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Ei1"});
  EXPECT_TRUE(G.F().IsItem(8));
  EXPECT_EQ(G.F().SceneFlags, Flags);
  EXPECT_EQ(G.F().ItemInHand, 0);

  G.Enter(8);  // the right item and hotspot number in another scene
  G.ForgetSaid();
  G.StartUse(8, 12);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Ei1"});
  EXPECT_TRUE(G.F().IsItem(8));
}

TEST(Printer, BlankPrintoutWithoutInkReadableAfterAndOnlyOnce) {
  StoryGame G;
  G.Enter(6);
  G.Flag(6, 8);  // password known
  G.F().AddItem(8);
  G.StartUse(8, 12);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.IsFlag(6, 9));
  EXPECT_FALSE(G.F().IsItem(8));

  G.ForgetSaid();
  G.StartVerb(11, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said().size(), 16u);
  EXPECT_EQ(G.Said()[5], "Nonniin, koitetaampas...  / HILLOPURKKIVÄLITORNI");
  EXPECT_EQ(G.Said().back(), "No niin, jopas toimi.");
  EXPECT_TRUE(G.IsFlag(6, 11));
  EXPECT_FALSE(G.IsFlag(6, 12));
  EXPECT_EQ(G.F().HotspotHidden[6][20], 0);
  EXPECT_EQ(G.F().CursorShown, 1);
  EXPECT_EQ(G.F().Speaker, 1);

  G.ForgetSaid();
  G.StartVerb(11, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Ensin pitää tutkia vanha tuloste."});

  G.ForgetSaid();
  G.StartVerb(20, 2);  // the blank printout
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{FixtureReply(6, 2, 20)});
  EXPECT_FALSE(G.F().IsItem(9));
  EXPECT_FALSE(G.IsFlag(6, 11));
  EXPECT_EQ(G.F().HotspotHidden[6][20], 1);

  G.Flag(6, 10);  // the new ink
  G.StartVerb(11, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_TRUE(G.IsFlag(6, 11));
  EXPECT_TRUE(G.IsFlag(6, 12));

  G.ForgetSaid();
  G.StartVerb(20, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Noniin.. nyt onnistu."});
  EXPECT_TRUE(G.F().IsItem(9));

  G.ForgetSaid();
  G.StartVerb(11, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Ohjeet on jo tulostettu."});
  EXPECT_EQ(G.F().InventoryCount, 1);
}

namespace {

const std::string NoPointer = " no pointer";

// The computer wakes up and asks for the password (steps 1 to 6 of every use).
std::vector<std::string> ComputerWakesUp() {
  std::vector<std::string> Steps = {"w700"};
  for (const char* Line : {"KLIKS.", "KRIIKS KROOKS KRÄÄKS KRUUS", "TRIUTRIUTRIIRIRIRIRIRiIII",
                           "PIIP!", "Anna salasana:"}) {
    Steps.push_back(std::string("2: ") + Line);
  }
  return Steps;
}

// Steps 1 to 17 with the password known: the log-in and the fault search.
std::vector<std::string> ComputerSearchesTheFault() {
  return story::With(ComputerWakesUp(),
                     {"Nonniin, koitetaampas...  / HILLOPURKKIVÄLITORNI", "2: TRIII.. PIIP",
                      "2: Salasana oikein.", "2: Kytkeydyn VMN (VornuMaanNetWork)..", "2: Valmis.",
                      "Noin.. sitten käynnistetään / lahjakoneen vianetsintä.",
                      "2: Käynnistän lahjakoneen vianetsinnän...", "w1000", "2: Vika löydetty..",
                      "2: Tulostan korjausohjeet...", "w1000"});
}

// Steps with the pointer hidden throughout, then the end.
std::vector<std::string> Hidden(std::vector<std::string> Steps, const std::string& End) {
  for (std::string& S : Steps) S += NoPointer;
  Steps.push_back(End);
  return Steps;
}

}  // namespace

TEST(Printer, NoPaperRunsTheWholeSequenceAndChangesNoFlag) {
  StoryGame G;
  G.Enter(6);
  G.Flag(6, 8);
  G.StartVerb(11, 2);
  EXPECT_EQ(G.Timeline(),
            Hidden(story::With(ComputerSearchesTheFault(),
                               {"2: VIRHE! PAPERI LOPUSSA! PIIP!", "PAPERI LOPUSSA!! No voi..."}),
                   "= scene 6"));
  EXPECT_EQ(G.F().Speaker, 1);
}

TEST(Timeline, EveryPuzzleScriptStepByStep) {
  using namespace story;
  auto R = [](int Scene, int Verb, int H) { return FixtureReply(Scene, Verb, H); };
  // clang-format off
  const std::vector<std::string> ReadsTheList = {
      R(12, 4, 2), "w500", "2: Päivää. Mitä sä haluat?", "w500", "Mulla on lista.", "w500",
      "2: No kerro mitä haluat.", "w500",
      "10mm lenkki, ruuvimeisseli, kolvi, tinaa, / 10kohm vastus, 100uF elektrolyyttikonden- / "
      "saattori, hammasrattaita ja sivuleikkurit.",
      "w500", "2: Mielenkiintoista.", "w500", "Eiksookki.. no anna tavarat."};
  std::vector<std::string> Shakes = ReadsTheList;
  for (int I = 0; I < 11; ++I) Shakes.push_back("w70");
  Shakes = With(Shakes, {"2: Enpäs. Anna eka banaani.", "w500", "TÄH??", "w500", "2: Että anna banaani.",
                         "w500", "No voi helvetti.", "w500", "2: Hihihihi.", "= scene 12 items 9"});
  const std::vector<std::string> HandsOver = With(ReadsTheList, {
      "w40", "w40", "w40", "w1000", "w40", "w40", "w40", "w40", "2: Siinä on, ole hyvä", "w500", "Kiidos.",
      "= scene 12 items 11"});
  const std::vector<std::string> MachineStarts = {"w500 +[13][3]", "w500", "w300 +[13][3]", "w500"};
  std::vector<std::string> GiftRun = MachineStarts;
  for (int I = 0; I < 4; ++I) GiftRun = With(GiftRun, {"w10 +[13][3]", "w10"});
  GiftRun = With(GiftRun, {"w1000 +[13][2]", "TADAAAAA! +[13][2]", "= scene 13 +[13][2] +[13][5] show (13,4)"});
  const std::vector<TScriptCase> Cases = {
      {"office 1", 6, 1, 2, {}, {}, {}, Then(DoorSteps(6, 1, 1), "= scene 0")},
      {"office 9", 6, 9, 2, {}, {}, {}, Then(DoorSteps(6, 9, 2), "= scene 7")},
      {"office 13", 6, 13, 2, {}, {}, {}, Then(DoorSteps(6, 13, 5), "= scene 8")},
      {"sock", 6, 19, 2, {}, {}, {}, {"w700" + NoPointer, R(6, 2, 19) + " +[6][7]" + NoPointer, "= scene 6 +[6][7]"}},
      {"sock with the peg", 6, 19, 2, {{6, 6}, {6, 7}}, {}, {},
       Hidden({"w700", "YÖÖÖK! +[6][3]", "Hmm.. +[6][3]",
               "Jalkapohjaan on tatuoitu teksti: / Tietokoneen salasana on / HILLOPURKKIVÄLITORNI +[6][3]",
               "w500 +[6][3]", "Hyvä tietää... +[6][3]", "w600 +[6][3]", "Huh.. tohon sukkaan en enää koske. +[6][3]"},
              "= scene 6 -[6][6] +[6][8] items 1")},
      {"sock after the tattoo", 6, 19, 2, {{6, 7}, {6, 8}}, {}, {}, Hidden({"w700", "Tohon en enää koske!"}, "= scene 6")},
      {"computer", 6, 11, 2, {}, {}, {},
       Hidden(With(ComputerWakesUp(), {"Täh.. en mä tiedä mitään salasanaa. / Noh.. tarvii varmaan sit ettiä se / "
                                       "salasana jostain.", "2: KLIKS."}), "= scene 6")},
      {"computer with paper", 6, 11, 2, {{6, 8}, {6, 9}}, {}, {},
       Hidden(With(ComputerSearchesTheFault(), {"2: Tulostus valmis", "No niin, jopas toimi."}),
              "= scene 6 +[6][11] show (6,20)")},
      {"computer with paper and ink", 6, 11, 2, {{6, 8}, {6, 9}, {6, 10}}, {}, {},
       Hidden(With(ComputerSearchesTheFault(), {"2: Tulostus valmis", "No niin, jopas toimi."}),
              "= scene 6 +[6][11] +[6][12] show (6,20)")},
      {"computer, printout in the tray", 6, 11, 2, {{6, 8}, {6, 9}, {6, 11}, {6, 12}}, {}, {},
       {"Ensin pitää tutkia vanha tuloste.", "= scene 6"}},
      {"computer, instructions taken", 6, 11, 2, {{6, 8}, {6, 9}, {6, 12}}, {}, {}, {"Ohjeet on jo tulostettu.", "= scene 6"}},
      {"blank printout", 6, 20, 2, {{6, 11}}, {{6, 20}}, {},
       {"w700", "w700 -[6][11] hide (6,20)", R(6, 2, 20) + " -[6][11] hide (6,20)", "= scene 6 -[6][11] hide (6,20)"}},
      {"readable printout", 6, 20, 2, {{6, 11}, {6, 12}}, {{6, 20}}, {},
       {"w700", "w700 -[6][11] hide (6,20)", "Noniin.. nyt onnistu. -[6][11] hide (6,20)",
        "= scene 6 -[6][11] hide (6,20) items 9"}},
      {"ink 1", 8, 1, 2, {}, {}, {}, ExitSteps(8, 2, 1, 6)},
      {"empty bottle", 8, 3, 2, {}, {}, {},
       {R(8, 2, 3), "w1000 +[8][1] hide (8,3)",
        "Hmm, mustepullo näyttäisi olevan tyhjä. / Ei sillä mitään tee. Heitetään pois. +[8][1] hide (8,3)",
        "= scene 8 +[8][1] hide (8,3)"}},
      {"full bottle", 8, 3, 2, {{6, 10}}, {}, {}, {"Juurihan minä sen vaihdon.", "= scene 8"}},
      {"full bottle, verb 3", 8, 3, 3, {{6, 10}}, {}, {}, {"Täysinäinen mustepullo.", "= scene 8"}},
      {"empty bottle, verb 3", 8, 3, 3, {}, {}, {}, {R(8, 3, 3), "= scene 8"}},
      {"shop 1, verb 3", 12, 1, 3, {}, {}, {}, ExitSteps(12, 3, 1, 0)},
      {"shop 1, verb 4", 12, 1, 4, {}, {}, {}, ExitSteps(12, 4, 1, 0)},
      {"trader", 12, 2, 4, {}, {}, {},
       {R(12, 4, 2), "w500", "2: Päivää. Mitä sä haluat?", "w500", "Jaa-a. Emmä vaan tiä.", "w500",
        "2: Aha, no tuu takas sitku tiät.", "w500", "Selvätapaus.", "= scene 12"}},
      {"trader, verb 2", 12, 2, 2, {}, {}, {9}, {R(12, 2, 2), "= scene 12 items 9"}},
      {"trader with the list", 12, 2, 4, {}, {}, {9}, Shakes},
      {"trader with the list after the banana", 12, 2, 4, {{12, 1}}, {}, {9}, HandsOver},
      {"workshop 6, verb 2", 13, 6, 2, {}, {}, {}, ExitSteps(13, 2, 6, 0)},
      {"workshop 6, verb 3", 13, 6, 3, {}, {}, {}, ExitSteps(13, 3, 6, 0)},
      {"broken machine", 13, 2, 2, {}, {}, {}, {R(13, 2, 2), "= scene 13"}},
      {"repaired machine", 13, 2, 2, {{13, 4}}, {}, {},
       With(MachineStarts, {"w1500 +[13][1]", "Aha. +[13][1]", "w700 +[10][3] show (10,16)", "= scene 13 +[10][3] show (10,16)"})},
      {"machine with the gift wrap", 13, 2, 2, {{13, 4}, {13, 8}}, {}, {}, GiftRun},
      {"machine after the gifts", 13, 2, 2, {{13, 4}, {13, 5}, {13, 8}}, {}, {}, {"Lahjat on jo tehty.", "= scene 13"}},
      {"the gifts", 13, 4, 2, {{13, 2}}, {{13, 4}}, {},
       {R(13, 2, 4), "w500 -[13][2] +[13][3]", "= scene 13 -[13][2] +[13][3] hide (13,4) items 12"}},
  };
  // clang-format on
  StoryGame G;
  story::PlayEach(G, Cases);
}

TEST(Sock, TattooOnlyWithThePegThenNeverAgain) {
  StoryGame G;
  G.Enter(6);
  G.StartVerb(19, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{FixtureReply(6, 2, 19)});
  EXPECT_TRUE(G.IsFlag(6, 7));
  EXPECT_FALSE(G.IsFlag(6, 8));

  G.Flag(6, 6);  // the peg is on the nose (item 1 used from the inventory)
  G.ForgetSaid();
  G.StartVerb(19, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said()[2],
            "Jalkapohjaan on tatuoitu teksti: / Tietokoneen salasana on / "
            "HILLOPURKKIVÄLITORNI");
  EXPECT_TRUE(G.IsFlag(6, 8));
  EXPECT_FALSE(G.IsFlag(6, 6));
  EXPECT_FALSE(G.IsFlag(6, 3));
  EXPECT_TRUE(G.F().IsItem(1));

  G.ForgetSaid();
  G.StartVerb(19, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Tohon en enää koske!"});
}

TEST(ItemUse, EveryPairSaysItsTextAndDoesItsEffect) {
  struct TCase {
    const char* What;
    int Scene, Item, Hotspot;
    std::vector<std::pair<int, int>> Flags;   // set before
    std::vector<std::pair<int, int>> Hidden;  // hotspots hidden before
    std::vector<int> Items;                   // carried before, besides the item used
    std::string Said, Changes;                // and " items ..." after
  };
  // clang-format off
  const TCase Cases[] = {
      {"full bottle", 8, 7, 2, {{8, 1}}, {{8, 3}}, {}, "Noniin..", " +[6][10] -[8][1] show (8,3)"},
      {"full bottle too early", 8, 7, 2, {}, {}, {}, "Kannattas ottaa ensin tyhjä pois.", " items 7"},
      {"paper", 6, 8, 12, {}, {}, {3}, "Noniin, nyt se on täynnä paperia.", " +[6][9] items 3"},
      {"banana", 12, 10, 2, {}, {}, {}, "Siinon sulle banaani.", " +[12][1]"},
      {"parts with bare hands", 13, 11, 5, {}, {}, {},
       "ZZZZZAP... / Auuh.. Sain sähärin. Ei tohon / voi paljain käsin koskee.", " +[13][6] items 11"},
      {"parts with insulated hands", 13, 11, 5, {{13, 6}, {13, 7}}, {}, {}, "Kunnossa on.", " +[13][4]"},
      {"gift wrap", 13, 13, 3, {}, {}, {}, "Sinne meni.", " +[13][8]"},
      // Right ideas tried the wrong way: a hint of their own, and nothing changes.
      {"key on the workshop door", 13, 4, 6, {}, {}, {},
       "Oikee avain! Mut ovi on jo auki. / Se aukee, ku tulen kartalta avain taskussa.", " items 4"},
      {"cucumber on the pen on the shelf", 7, 5, 4, {}, {}, {},
       "Just niin! Mut eka tussi mukaan hyllyltä.", " items 5"},
      {"pen on the cucumber on the shelf", 7, 6, 2, {}, {}, {},
       "Just niin! Mut eka kurkku mukaan hyllyltä.", " items 6"},
      {"peg on the sock", 6, 1, 19, {{6, 7}}, {}, {},
       "Ei sukkaan. Pyykkipoika kuuluu mun nenään!", " items 1"},
      {"full bottle on the printer", 6, 7, 12, {}, {}, {},
       "Muste menee tulostimeen musteluukun kautta.", " items 7"},
      {"full bottle on the ink hatch", 6, 7, 13, {}, {}, {}, "Luukku auki ensin, sit pullo sisään.",
       " items 7"},
      {"full bottle on the empty one", 8, 7, 3, {}, {}, {}, "Kannattas ottaa ensin tyhjä pois.",
       " items 7"},
      {"instructions on the trader", 12, 9, 2, {}, {}, {},
       "Ei se lue. Puhutaan sille, lista kourassa.", " items 9"},
      {"gloves on the panel", 13, 2, 5, {{13, 6}}, {}, {},
       "Hanskat pitää pukee käteen, ei paneeliin.", " items 2"},
      {"parts on the machine", 13, 11, 12, {}, {}, {}, "Varaosat kuuluu huoltopaneeliin.",
       " items 11"},
      {"gift wrap on the machine", 13, 13, 12, {}, {}, {}, "Lahjapaperi syötetään suppiloon.",
       " items 13"},
      {"peg on the sock after the tattoo", 6, 1, 19, {{6, 8}}, {}, {}, "Ei1", " items 1"},
  };
  // clang-format on
  StoryGame G(1);  // a pool of one refusal, so that a refused pair says "Ei1"
  for (const TCase& C : Cases) {
    G.Fresh(C.Scene);
    for (const auto& [S, K] : C.Flags) G.Flag(S, K);
    for (const auto& [S, H] : C.Hidden) G.F().HotspotHidden[S][H] = 1;
    for (int I : C.Items) G.F().AddItem(static_cast<std::uint16_t>(I));
    G.F().AddItem(static_cast<std::uint16_t>(C.Item));
    const auto Flags = G.F().SceneFlags;
    const auto Hidden = G.F().HotspotHidden;
    G.ForgetSaid();
    G.StartUse(C.Item, C.Hotspot);
    ASSERT_TRUE(G.Finish()) << C.What;
    EXPECT_EQ(G.Said(), std::vector<std::string>{C.Said}) << C.What;
    EXPECT_EQ(G.ChangesSince(Flags, Hidden) + G.Items(), C.Changes) << C.What;
    EXPECT_EQ(G.F().ItemInHand, 0) << C.What;
  }
}
