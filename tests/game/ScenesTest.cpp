// Loading scenes through the form: tables, tiles, flags, the music rule and failed loads.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Trace.h"
#include "tests/game/GameFixture.h"

using gametest::THarness;

namespace {

struct Scenes : ::testing::Test {
  THarness H;
  TForm1& F = H.F();
  void SetUp() override { H.SkipIntro(); }
  // Marks the music so that a later change shows.
  void MarkMusic() { F.MediaPlayer1->SetFileName("untouched"); }
};

}  // namespace

TEST_F(Scenes, ObjectFileFillsTheSlotsOfItsHotspotNumbers) {
  EXPECT_EQ(F.HotspotWalkPoints[10], (THotspotWalkPoint{210, 150, 4}));
  EXPECT_EQ(F.HotspotTexts[1][10], "T1h10s1");
  EXPECT_EQ(F.HotspotTexts[4][60], "T4h60s1");
  EXPECT_EQ(F.HotspotTexts[5][7], "U7");
  EXPECT_EQ(F.HotspotReplies[3][9].Lines[1], "R3h9");
  EXPECT_EQ(F.HotspotMap[210][60], 10);
  EXPECT_EQ(F.HotspotMap[1][1], 255);
  EXPECT_EQ(F.HotspotMap[150][150], 0);
  EXPECT_EQ(F.PukkiInScene, 1);
  EXPECT_EQ(F.MenuAllowed, 1);
  EXPECT_EQ(F.InventoryAllowed, 1);
  // Slots the new scene does not list keep what was there.
  F.HotspotTexts[1][200] = "vanha";
  F.LoadScene(0);
  EXPECT_EQ(F.HotspotTexts[1][200], "vanha");
  EXPECT_EQ(F.HotspotTexts[1][10], "T1h10s1");
  EXPECT_EQ(F.HotspotTexts[1][3], "T1h3s0");
  EXPECT_EQ(F.PukkiInScene, 0);
  EXPECT_EQ(F.MenuAllowed, 0);
  EXPECT_EQ(F.InventoryAllowed, 0);
}

TEST_F(Scenes, LoadStopsWhatIsUnderWayButKeepsPukkiAndThePuzzleState) {
  H.Run(1000);
  H.Click(100, 170);
  F.SceneActionIdle = 0;
  F.MapIdle = 0;
  F.SceneFlags[4][2] = 1;
  F.AddItem(7);
  const int X = F.PukkiX;
  F.LoadScene(4);
  EXPECT_EQ(F.SceneActionIdle, 1);
  EXPECT_EQ(F.WalkDone, 1);
  EXPECT_EQ(F.AdvanceWayPoint, 1);
  EXPECT_EQ(F.MapIdle, 1);
  EXPECT_EQ(F.PukkiX, X);
  EXPECT_EQ(F.SceneFlags[4][2], 1);
  EXPECT_EQ(F.InventoryCount, 1);
  EXPECT_EQ(F.CurrentScene, 4);
}

TEST_F(Scenes, MusicRule) {
  F.LoadScene(4);
  F.LoadScene(0);
  EXPECT_EQ(F.MediaPlayer1->FileName(), "music/music02.mid");
  F.LoadScene(6);
  EXPECT_EQ(F.MediaPlayer1->FileName(), "music/music01.mid");
  F.LoadScene(1);
  MarkMusic();
  F.LoadScene(2);
  EXPECT_EQ(F.MediaPlayer1->FileName(), "untouched");
  F.LoadScene(2);  // the same scene again
  EXPECT_EQ(F.MediaPlayer1->FileName(), "untouched");
  F.LoadScene(0);
  MarkMusic();
  F.LoadScene(0);
  EXPECT_EQ(F.MediaPlayer1->FileName(), "untouched");
}

TEST(SceneTune, ATuneSpoiltAfterStartUpLeavesTheSceneToLoadInSilence) {
  gametest::TPrivateGameDir Dir("music/music01.mid");
  gametest::WriteFile(Dir.Path() / "music/music01.mid", gametest::EmptyMidi());
  std::vector<std::string> Trace;
  SetTraceHook([&](const std::string& L) { Trace.push_back(L); });
  {
    THarness H(Dir.Path());
    ASSERT_EQ(H.F().StartupError, "");
    std::filesystem::remove(Dir.Path() / "music/music01.mid");
    H.SkipIntro();  // scene 1, and with it the scene tune
    H.Frame();
    EXPECT_TRUE(gametest::SameColour(H.Pixel(300, 5), gametest::BackgroundColour(1)));
    EXPECT_EQ(H.F().HotspotMap[210][60], 10);
    EXPECT_FALSE(H.F().MediaPlayer1->IsOpen());
    ASSERT_EQ(Trace.size(), 1u);
    EXPECT_NE(Trace[0].find("music/music01.mid"), std::string::npos) << Trace[0];
    // Back on the map the map tune plays again; the game goes on.
    H.F().LoadScene(0);
    EXPECT_TRUE(H.F().MediaPlayer1->IsOpen());
    EXPECT_EQ(Trace.size(), 1u);
  }
  SetTraceHook(nullptr);
}

TEST_F(Scenes, SceneAboveThirteenOnlyStopsAndPlaysTheSceneTune) {
  F.LoadScene(0);
  F.SceneActionIdle = 0;
  F.LoadScene(14);
  EXPECT_EQ(F.MediaPlayer1->FileName(), "music/music01.mid");
  EXPECT_EQ(F.CurrentScene, 0);
  EXPECT_EQ(F.SceneActionIdle, 1);
  EXPECT_EQ(F.PukkiInScene, 0);
}

TEST_F(Scenes, TilesAreSizedAndSlotsAboveTheCountKeepTheirOldTiles) {
  F.LoadScene(6);
  ASSERT_TRUE(F.SceneTiles[13]);
  EXPECT_EQ(F.SceneTiles[13]->Width(), 17);
  EXPECT_EQ(F.SceneTiles[4]->Height(), 29);
  F.LoadScene(1);
  EXPECT_EQ(F.SceneTiles[1]->Width(), 61);
  EXPECT_EQ(F.SceneTiles[8]->Height(), 58);
  EXPECT_EQ(F.SceneTiles[9]->Width(), 18);  // scene 6's
  EXPECT_EQ(F.SceneTiles[13]->Width(), 17);
  EXPECT_TRUE(gametest::SameColour(F.SceneTiles[1]->PixelRgb(3, 3), gametest::TileColour(1, 1)));
}

TEST(ScenesFailing, MissingObjectFileLeavesTheStepsBeforeItDone) {
  gametest::TPrivateGameDir Dir("scenes/scene2.obj");
  THarness H(Dir.Path());
  H.SkipIntro();
  TForm1& F = H.F();
  EXPECT_THROW(F.LoadScene(2), std::exception);
  EXPECT_EQ(F.CurrentScene, 2);
  EXPECT_TRUE(
      gametest::SameColour(F.SceneBackground->PixelRgb(5, 5), gametest::BackgroundColour(2)));
  EXPECT_EQ(F.HotspotTexts[1][10], "T1h10s1");  // scene 1's texts
  EXPECT_EQ(F.PukkiInScene, 1);                 // scene 1's flags
  EXPECT_EQ(F.SceneTiles[1]->Width(), 61);      // scene 1's tiles
}

TEST(ScenesFailing, BrokenObjectFileIsRefusedByNameAndChangesNoTable) {
  gametest::TPrivateGameDir Dir("scenes/scene2.obj");
  std::string Obj = gametest::ObjectFile(gametest::TLayout::Rooms, 2);
  Obj.replace(Obj.find("010 210"), 3, "310");  // hotspot 310
  gametest::WriteFile(Dir.Path() / "scenes/scene2.obj", Obj);
  THarness H(Dir.Path());
  H.SkipIntro();
  TForm1& F = H.F();
  F.HotspotTexts[1][9] = "ennen";
  try {
    F.LoadScene(2);
    FAIL() << "no error";
  } catch (const std::exception& E) {
    EXPECT_NE(std::string(E.what()).find("scenes/scene2.obj: line 2"), std::string::npos)
        << E.what();
  }
  EXPECT_EQ(F.HotspotTexts[1][9], "ennen");
  EXPECT_EQ(F.HotspotWalkPoints[10], (THotspotWalkPoint{210, 150, 4}));
}

TEST(ScenesFailing, ShortHotspotMapReadsTheRestAs26) {
  gametest::TPrivateGameDir Dir("scenes/scene3.dat");
  std::string Map = gametest::HotspotMapBytes(gametest::TLayout::Rooms, 3).substr(0, 320 * 50);
  Map[(45 - 1) * 320 + (10 - 1)] = 26;
  gametest::WriteFile(Dir.Path() / "scenes/scene3.dat", Map);
  THarness H(Dir.Path());
  H.SkipIntro();
  H.F().LoadScene(3);
  EXPECT_EQ(H.F().HotspotMap[9][45], 0);
  EXPECT_EQ(H.F().HotspotMap[10][45], 26);
  EXPECT_EQ(H.F().HotspotMap[200][60], 26);
  EXPECT_EQ(H.F().PukkiInScene, 0);  // the load went on to the end
}

TEST_F(Scenes, WhatEachSceneAllows) {
  // Pukki shown, verb menu, inventory: close-ups show no Pukki, the map allows nothing.
  const bool Allows[14][3] = {{false, false, false}, {true, true, true},  {false, true, true},
                              {false, true, true},   {true, true, true},  {false, true, true},
                              {true, true, true},    {false, true, true}, {false, true, true},
                              {true, true, true},    {true, true, true},  {false, true, true},
                              {true, true, true},    {true, true, true}};
  for (int S = 0; S <= 13; ++S) {
    F.LoadScene(static_cast<std::uint16_t>(S));
    EXPECT_EQ(F.PukkiInScene, Allows[S][0]) << "scene " << S;
    EXPECT_EQ(F.MenuAllowed, Allows[S][1]) << "scene " << S;
    EXPECT_EQ(F.InventoryAllowed, Allows[S][2]) << "scene " << S;
  }
}
