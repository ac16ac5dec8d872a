// Start-up, the opening and closing pictures, and start-up files that are missing or broken.
#include <gtest/gtest.h>

#include "platform/MessageBox.h"
#include "tests/game/GameFixture.h"

using gametest::SameColour;
using gametest::THarness;

TEST(Startup, InitialStateOfANewGame) {
  THarness H;
  TForm1& F = H.F();
  EXPECT_TRUE(F.StartupError.empty()) << F.StartupError;
  EXPECT_EQ(F.PukkiX, 150);
  EXPECT_EQ(F.PukkiY, 100);
  EXPECT_EQ(F.ClickX, 171);
  EXPECT_EQ(F.ClickY, 148);
  EXPECT_EQ(F.CurrentScene, 0);
  EXPECT_EQ(F.ArrivalDirection, 255);
  EXPECT_EQ(F.IntroActive, 1);
  EXPECT_EQ(F.PukkiDirection, 2);
  EXPECT_EQ(F.InventoryCount, 0);
  EXPECT_EQ(F.MediaPlayer1->FileName(), "music/music02.mid");
  EXPECT_TRUE(F.MediaPlayer1->Enabled());
  int Hidden = 0;
  for (int S = 1; S <= 20; ++S)
    for (int K = 1; K <= 50; ++K) Hidden += F.HotspotHidden[S][K];
  EXPECT_EQ(Hidden, 3);
  EXPECT_EQ(F.HotspotHidden[6][20], 1);
  EXPECT_EQ(F.HotspotHidden[10][16], 1);
  EXPECT_EQ(F.HotspotHidden[13][4], 1);
  EXPECT_EQ(F.ItemTexts[1][13], "Esine13");
  EXPECT_EQ(F.UseFailReplyCount, 3);
  // The components as the form sets them.
  EXPECT_EQ(F.Timer1->Interval(), 50);
  EXPECT_TRUE(F.Timer1->Enabled());
  EXPECT_EQ(F.Timer2->Interval(), 750u);
  EXPECT_FALSE(F.Timer2->Enabled());
  EXPECT_FALSE(F.Timer3->Enabled());
  EXPECT_FALSE(F.Timer4->Enabled());
  EXPECT_EQ(F.GXScreen1->DisplayMode(), dm640x400x8);
  EXPECT_EQ(F.GXScreen1->ColorDepth(), 16);
  EXPECT_EQ(F.Label3->Font.Color, clLime);
  EXPECT_EQ(F.Label2->Font.Color, clMaroon);
}

TEST(Startup, OpeningPicturesEachUntilAKeyThenSceneOne) {
  THarness H;
  TForm1& F = H.F();
  for (int P = 0; P < 3; ++P) {
    H.Frame();  // loads the picture, draws nothing
    EXPECT_EQ(F.IntroStep, 2 * P + 2);
    H.Frames(5);
    EXPECT_TRUE(SameColour(H.Pixel(100, 100), gametest::kIntroColours[P])) << P;
    // The mouse does not move the sequence on.
    H.Click(100, 100);
    H.Frame();
    EXPECT_EQ(F.IntroStep, 2 * P + 2);
    H.Key();
  }
  EXPECT_EQ(F.IntroStep, 7);
  H.Frame();
  EXPECT_EQ(F.IntroActive, 0);
  EXPECT_EQ(F.CurrentScene, 1);
  EXPECT_EQ(F.MediaPlayer1->FileName(), "music/music01.mid");
  H.Frame();
  EXPECT_TRUE(SameColour(H.Pixel(5, 5), gametest::BackgroundColour(1)));
  // Keys during the game do nothing.
  H.Key();
  EXPECT_EQ(F.IntroStep, 7);
}

TEST(Startup, KeyBeforeAPictureLoadedShowsThePreviousOne) {
  THarness H;
  TForm1& F = H.F();
  H.Frame();  // title loaded
  H.Key();    // step 3
  H.Key();    // step 4: the warning never loaded
  H.Frame();
  EXPECT_EQ(F.IntroStep, 4);
  EXPECT_TRUE(SameColour(H.Pixel(10, 10), gametest::kIntroColours[0]));
}

TEST(Startup, IntroAndEndingStopAtTheirLastStep) {
  THarness H;
  TForm1& F = H.F();
  for (int I = 0; I < 300; ++I) H.Key();
  EXPECT_EQ(F.IntroStep, 7);
  H.Frame();
  EXPECT_EQ(F.CurrentScene, 1);
  F.EndingActive = 1;
  for (int I = 0; I < 300; ++I) H.Key();
  EXPECT_EQ(F.EndingStep, 5);
}

TEST(Startup, ClosingPicturesThenTheFormCloses) {
  THarness H;
  H.SkipIntro();
  TForm1& F = H.F();
  F.EndingActive = 1;
  H.Frame();
  H.Frame();
  EXPECT_TRUE(SameColour(H.Pixel(10, 10), gametest::kIntroColours[3]));
  H.Key();
  H.Frames(2);
  EXPECT_TRUE(SameColour(H.Pixel(10, 10), gametest::kIntroColours[4]));
  EXPECT_FALSE(F.Closed());
  H.Key();
  H.Frame();
  EXPECT_TRUE(F.Closed());
  EXPECT_EQ(F.EndingActive, 0);
}

namespace {

// Starts a game on a copy of the fixture with one file removed or replaced; returns the
// message the player was shown (empty if none).
std::string StartWithout(const std::string& File, const std::string& Replacement = "",
                         bool Remove = true) {
  gametest::TPrivateGameDir Dir(File);
  if (!Remove) gametest::WriteFile(Dir.Path() / File, Replacement);
  std::string Shown;
  vornu::SetErrorBoxHook([&Shown](const std::string&, const std::string& Text) { Shown = Text; });
  {
    THarness H(Dir.Path());
    EXPECT_TRUE(H.F().Closed()) << File;
    EXPECT_EQ(Shown.empty(), H.F().StartupError.empty());
  }
  vornu::SetErrorBoxHook(nullptr);
  return Shown;
}

}  // namespace

TEST(Startup, MissingOrBrokenStartupFileEndsTheProgramNamingIt) {
  for (const std::string File :
       {"sprites/normcurs.bmp", "sprites/menu3.bmp", "sprites/pukki/uleft09.bmp", "items/items.txt",
        "items/item13.bmp", "items/invent.bmp", "music/music01.mid", "music/music02.mid"}) {
    const std::string Shown = StartWithout(File);
    EXPECT_NE(Shown.find(File), std::string::npos) << File << ": " << Shown;
  }
  const std::string Broken = StartWithout("items/items.txt", "14\r\n", false);
  EXPECT_NE(Broken.find("items/items.txt: line 1"), std::string::npos) << Broken;
  const std::string NotABitmap = StartWithout("sprites/acticurs.bmp", "not a bitmap", false);
  EXPECT_NE(NotABitmap.find("sprites/acticurs.bmp"), std::string::npos) << NotABitmap;
  // The scene tune plays only when scene 1 loads; a cut one is found at start-up all the same.
  const std::string Cut =
      StartWithout("music/music01.mid", gametest::EmptyMidi().substr(0, 20), false);
  EXPECT_NE(Cut.find("music/music01.mid: truncated MIDI file"), std::string::npos) << Cut;
}

TEST(Startup, MissingOpeningPictureEndsTheProgramNamingIt) {
  gametest::TPrivateGameDir Dir("sprites/varoitus.bmp");
  std::string Shown;
  vornu::SetErrorBoxHook([&Shown](const std::string&, const std::string& Text) { Shown = Text; });
  {
    THarness H(Dir.Path());
    H.Frame();
    H.Key();
    H.Frame();
    EXPECT_TRUE(H.F().Closed());
    H.Frame();  // a frame after closing touches nothing
  }
  vornu::SetErrorBoxHook(nullptr);
  EXPECT_NE(Shown.find("sprites/varoitus.bmp"), std::string::npos) << Shown;
}

TEST(Startup, FrameTickIsAFlagNotACounter) {
  THarness H;
  H.SkipIntro();
  TForm1& F = H.F();
  F.PukkiTargetX = F.PukkiX;
  F.PukkiTargetY = F.PukkiY + 50;
  F.WalkDone = 0;
  // The first tick comes a second after start; then two ticks before the next frame.
  H.Timers(1000);
  H.Timers(50);
  const int Y = F.PukkiY;
  F.GXScreen1Flip(nullptr);
  EXPECT_EQ(F.PukkiY, Y + 1);
  F.GXScreen1Flip(nullptr);
  EXPECT_EQ(F.PukkiY, Y + 1);
}
