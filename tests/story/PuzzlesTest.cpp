// The puzzle scenes and item uses on the fixture game: printer, ink, trader, gift machine.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/story/StoryGame.h"

using story::FixtureReply;
using story::StoryGame;
using story::TileColour;

namespace {

bool Contains(const std::vector<std::string>& Said, const std::string& Line) {
  return std::find(Said.begin(), Said.end(), Line) != Said.end();
}

// The colour a fixture tile shows once drawn on the 16-bit back surface.
std::uint32_t ShownColour(StoryGame& G, int Tile) {
  return G.F().SceneTiles[Tile]->PixelRgb(5, 5);
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
    G.Clock().Advance(StoryGame::FrameMs);
    G.Frame();
    const std::uint32_t Shown = G.F().GXScreen1->Back()->PixelRgb(137 + 5, 43 + 5);
    int Tile = 0;
    for (int T = 1; T <= 10; ++T)
      if (Shown == ShownColour(G, T)) Tile = T;
    if (Tile != 0) {
      if (Tiles.empty()) Start = G.Clock().Now();
      if (G.F().ActionStep != LastTileStep) Tiles.push_back(Tile);
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

TEST(Printer, NoPaperRunsTheWholeSequenceAndChangesNoFlag) {
  StoryGame G;
  G.Enter(6);
  G.Flag(6, 8);
  auto Flags = G.F().SceneFlags;
  G.StartVerb(11, 2);
  ASSERT_TRUE(G.Finish());
  EXPECT_EQ(G.Said().back(), "PAPERI LOPUSSA!! No voi...");
  EXPECT_EQ(G.F().SceneFlags, Flags);
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
