// The keyboard and a gamepad working the pointer and the buttons, and the hotspot markers.
#include <gtest/gtest.h>

#include <set>

#include "platform/EventInjection.h"
#include "tests/game/GameFixture.h"

using gametest::THarness;

namespace {

struct Keys : ::testing::Test {
  THarness H;
  TForm1& F = H.F();
  void SetUp() override {
    H.SkipIntro();
    H.Run(1000);
    H.Move(150, 150);
  }
  void Tap(std::uint16_t Key, int Times = 1) {
    for (int I = 0; I < Times; ++I) {
      F.KeyDown(Key, 0);
      F.KeyUp(Key, 0);
    }
  }
  // The pointer walked by arrow presses to (X, Y).
  void TapTo(int X, int Y) {
    Tap(X > F.MouseX ? VK_RIGHT : VK_LEFT, std::abs(X - F.MouseX));
    Tap(Y > F.MouseY ? VK_DOWN : VK_UP, std::abs(Y - F.MouseY));
  }
};

}  // namespace

TEST_F(Keys, ArrowsMoveOnePixelAPressAndSpeedUpWhileHeld) {
  Tap(VK_RIGHT, 3);
  Tap(VK_DOWN);
  Tap(VK_LEFT);
  Tap(VK_UP, 2);
  EXPECT_EQ(F.MouseX, 152);
  EXPECT_EQ(F.MouseY, 149);
  F.KeyDown(VK_LEFT, 0);
  EXPECT_EQ(F.MouseX, 151);
  H.Run(200);
  EXPECT_EQ(F.MouseX, 151) << "a short press is one pixel";
  H.Run(300);
  const int First = 151 - F.MouseX;
  H.Run(300);
  const int Second = 151 - First - F.MouseX;
  EXPECT_GE(First, 5);
  EXPECT_GT(Second, First * 3 / 2) << "the pointer speeds up";
  F.KeyUp(VK_LEFT, 0);
  const int Stopped = F.MouseX;
  H.Run(300);
  EXPECT_EQ(F.MouseX, Stopped);
  F.KeyDown(VK_UP, 0);
  H.Run(3000);
  F.KeyUp(VK_UP, 0);
  EXPECT_EQ(F.MouseY, 1) << "stopped at the top of the picture";
}

TEST_F(Keys, EnterIsTheLeftButtonAndOpensTheMenuAfterTheSameHold) {
  TapTo(210, 60);  // hotspot 10
  EXPECT_EQ(F.CursorKind, 2);
  F.KeyDown(VK_RETURN, 0);
  EXPECT_EQ(F.ClickX, 210);
  EXPECT_EQ(F.ClickY, 60);
  H.Run(700);
  EXPECT_EQ(F.MenuOpen, 0);
  H.Run(100);
  EXPECT_EQ(F.MenuOpen, 1);
  EXPECT_EQ(F.ActionHotspot, 10);
  TapTo(146, 107);  // verb 2
  EXPECT_EQ(F.SelectedVerb, 2);
  F.KeyUp(VK_RETURN, 0);
  EXPECT_EQ(F.MenuOpen, 0);
  EXPECT_EQ(F.SceneActionIdle, 0);
  EXPECT_EQ(F.WayPoints[F.WayPointCount].X, 210);
  EXPECT_EQ(F.WayPoints[F.WayPointCount].Y, 150);
}

TEST_F(Keys, TabAndIAreTheRightButtonHeldTogetherOnce) {
  Tap(VK_TAB);
  EXPECT_EQ(F.InventoryOpen, 1);
  Tap('I');
  EXPECT_EQ(F.InventoryOpen, 0);
  F.KeyDown(VK_TAB, 0);
  F.KeyDown('I', 0);
  F.KeyUp(VK_TAB, 0);
  F.KeyUp('I', 0);
  EXPECT_EQ(F.InventoryOpen, 1);
}

TEST_F(Keys, WhateverMovedLastPlacesThePointer) {
  Tap(VK_RIGHT, 60);
  Tap(VK_UP, 90);
  // The hidden system pointer is still where the mouse left it: a mouse click acts where the
  // drawn pointer is.
  F.MouseDown(mbLeft, 0, 300, 300);
  EXPECT_EQ(F.ClickX, 210);
  EXPECT_EQ(F.ClickY, 60);
  F.MouseUp(mbLeft, 0, 300, 300);
  F.MouseMove(0, 100, 100);
  EXPECT_EQ(F.MouseX, 50);
  Tap(VK_RIGHT);
  EXPECT_EQ(F.MouseX, 51);
  EXPECT_EQ(F.MouseY, 50);
}

TEST(KeysInPictures, StepThePicturesAndMoveNothing) {
  THarness H;
  TForm1& F = H.F();
  H.Frames(2);
  F.KeyDown(VK_RIGHT, 0);
  F.KeyDown(VK_RETURN, 0);
  F.KeyUp(VK_RETURN, 0);
  F.PadButton(TPadButton::South, true);
  EXPECT_EQ(F.MouseX, 0);
  EXPECT_FALSE(F.Timer2->Enabled());
  EXPECT_EQ(F.IntroStep, 3) << "the pad's south button steps the pictures";
  F.PadButton(TPadButton::Start, true);
  EXPECT_EQ(F.IntroStep, 4);
}

TEST_F(Keys, StickHasARoundDeadZoneSpeedByDeflectionAndASlowMode) {
  F.PadStick(0.19, 0.0);
  H.Run(2000);
  EXPECT_EQ(F.MouseX, 150);
  // Past the dead zone on the diagonal although each axis alone is within it; a pixel a
  // second or less: only kept fractions add up to a move.
  F.PadStick(0.17, 0.17);
  H.Run(4000);
  EXPECT_GE(F.MouseX, 151);
  EXPECT_GE(F.MouseY, 151);
  const int X0 = F.MouseX;
  F.PadStick(-0.6, 0);
  H.Run(500);
  const int Half = X0 - F.MouseX;
  F.PadStick(-1, 0);
  H.Run(500);
  const int Full = X0 - Half - F.MouseX;
  EXPECT_GT(Half, 5);
  EXPECT_GT(Full, Half * 2);
  F.PadButton(TPadButton::LeftShoulder, true);
  F.PadStick(1, 0);
  const int X1 = F.MouseX;
  H.Run(500);
  EXPECT_GT(F.MouseX - X1, 5);
  EXPECT_LT((F.MouseX - X1) * 2, Full);
  F.PadStick(0, 0);
}

TEST_F(Keys, PadButtonsAreTheMouseButtonsAndTheMarkerKey) {
  TapTo(210, 60);
  F.PadButton(TPadButton::South, true);
  H.Run(800);
  EXPECT_EQ(F.MenuOpen, 1);
  F.PadButton(TPadButton::South, false);
  EXPECT_EQ(F.MenuOpen, 0);
  F.PadButton(TPadButton::East, true);
  F.PadButton(TPadButton::East, false);
  EXPECT_EQ(F.InventoryOpen, 1);
  F.PadButton(TPadButton::North, true);
  EXPECT_TRUE(F.PointerKeys.MarkersHeld());
  F.PadButton(TPadButton::North, false);
  EXPECT_FALSE(F.PointerKeys.MarkersHeld());
}

// SDL's own virtual gamepad, plugged in and out while the game runs.
TEST_F(Keys, AVirtualGamepadDrivesThePointerAndTheButtons) {
  auto Pump = [&](int Ms) {
    for (int T = 0; T < Ms; T += 10) {
      Application->ProcessMessages();
      H.Run(10);
    }
  };
  vornu::VirtualPad Pad;
  Pump(20);
  TapTo(150, 60);
  Pad.SetStick(1, 0);
  Pump(300);
  Pad.SetStick(0, 0);
  Pump(20);
  EXPECT_GT(F.MouseX, 180);
  EXPECT_EQ(F.MouseY, 60);
  TapTo(210, 60);
  Pad.SetButton(TPadButton::South, true);
  Pump(900);
  EXPECT_EQ(F.MenuOpen, 1);
  // Unplugged with the button down and the stick pushed: the game sees both let go.
  Pad.SetStick(0, 1);
  Pump(20);
  Pad.Unplug();
  Pump(20);
  EXPECT_EQ(F.MenuOpen, 0);
  EXPECT_FALSE(F.Timer2->Enabled());
  const int Y = F.MouseY;
  Pump(300);
  EXPECT_EQ(F.MouseY, Y);
}

namespace {

// Back's 320 x 200 picture after one frame, with or without the marker key held.
std::vector<std::uint32_t> Picture(THarness& H, bool Markers) {
  if (Markers) H.F().KeyDown(VK_SPACE, 0);
  H.Frame();
  std::vector<std::uint32_t> P;
  for (int Y = 0; Y < 200; ++Y)
    for (int X = 0; X < 320; ++X) P.push_back(H.Pixel(X, Y));
  if (Markers) H.F().KeyUp(VK_SPACE, 0);
  return P;
}

bool Inside(const TRect& R, int X, int Y) {
  return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

// Checks the markers of the current scene against its hotspot map: one for each hotspot the
// pointer reacts to, on that hotspot, named as the text line names it there, its label inside
// the picture and clear of the others; and the picture changed at every marker and nowhere
// else but between a name and its dot.
void CheckMarkers(THarness& H, const std::string& Where) {
  TForm1& F = H.F();
  std::set<int> Reacting;
  std::vector<TPoint> Sample(256, TPoint{-1, -1});
  for (int X = 0; X < 320; ++X)
    for (int Y = 0; Y < 200; ++Y) Sample[F.HotspotAt(X, Y)] = TPoint{X, Y};
  for (int N = 1; N <= 254; ++N) {
    if (Sample[N].X < 0) continue;
    H.Move(Sample[N].X, Sample[N].Y);
    if (F.CursorKind == 2) Reacting.insert(N);
  }
  std::vector<THotspotMarker> Markers = UsableHotspots(F);
  std::set<int> Shown;
  for (const THotspotMarker& M : Markers) Shown.insert(M.Hotspot);
  EXPECT_EQ(Shown, Reacting) << Where;

  H.Move(1, 1);
  const std::vector<std::uint32_t> Plain = Picture(H, false);
  const std::vector<std::uint32_t> Marked = Picture(H, true);
  Markers = F.MarkersOnSurface.Markers;
  for (std::size_t I = 0; I < Markers.size(); ++I) {
    const THotspotMarker& M = Markers[I];
    EXPECT_EQ(F.HotspotAt(M.At.X, M.At.Y), M.Hotspot) << Where;
    H.Move(M.At.X, M.At.Y);
    H.Frame();
    if (!M.Name.empty()) {
      EXPECT_EQ(F.LineOnSurface.Text, M.Name) << Where;
    }
    const std::size_t At = static_cast<std::size_t>(M.At.Y * 320 + M.At.X);
    EXPECT_NE(Plain[At], Marked[At]) << Where << ": no marker drawn for " << M.Hotspot;
    if (M.Name.empty()) continue;
    const TRect& L = M.Label;
    EXPECT_TRUE(L.Left >= 0 && L.Top >= 0 && L.Right <= 320 && L.Bottom <= 200) << Where;
    for (std::size_t J = 0; J < I; ++J) {
      const TRect& O = Markers[J].Label;
      EXPECT_FALSE(L.Left < O.Right && O.Left < L.Right && L.Top < O.Bottom && O.Top < L.Bottom)
          << Where << ": names of " << M.Hotspot << " and " << Markers[J].Hotspot << " overlap";
    }
  }
  for (int Y = 0; Y < 200; ++Y) {
    for (int X = 0; X < 320; ++X) {
      if (Plain[Y * 320 + X] == Marked[Y * 320 + X]) continue;
      bool Ours = false;
      for (const THotspotMarker& M : Markers) {
        // The dot, the name, and the line from a name set apart to its dot.
        const TRect Dot = Rect(M.At.X - 2, M.At.Y - 2, M.At.X + 3, M.At.Y + 3);
        const TRect& L = M.Label.Empty() ? Dot : M.Label;
        Ours = Ours || Inside(Rect(std::min(L.Left, Dot.Left), std::min(L.Top, Dot.Top),
                                   std::max(L.Right, Dot.Right), std::max(L.Bottom, Dot.Bottom)),
                              X, Y);
      }
      ASSERT_TRUE(Ours) << Where << ": changed at " << X << "," << Y;
    }
  }
}

}  // namespace

TEST_F(Keys, MarkersOfTheScenesHiddenHotspotsLeftOut) {
  CheckMarkers(H, "scene 1");
  F.HotspotHidden[1][20] = 1;
  CheckMarkers(H, "scene 1 with 20 hidden");
  EXPECT_EQ(UsableHotspots(F).size(), 4u);
  F.LoadScene(0);
  CheckMarkers(H, "map");
}

TEST_F(Keys, NoMarkersOverASpeechTheMenuOrTheInventory) {
  F.StringToSayStr("Hei", F.CurrentSpeech);
  F.SpeechActive = 1;
  EXPECT_EQ(Picture(H, false), Picture(H, true)) << "speech";
  F.SpeechActive = 0;
  F.MenuOpen = 1;
  EXPECT_EQ(Picture(H, false), Picture(H, true)) << "menu";
  F.MenuOpen = 0;
  F.InventoryOpen = 1;
  EXPECT_EQ(Picture(H, false), Picture(H, true)) << "inventory";
  F.InventoryOpen = 0;
  EXPECT_NE(Picture(H, false), Picture(H, true));
}

// The game's own scenes: every scene, its hotspots hidden as in a new game and each hidden and
// shown in turn, as the puzzles do.
TEST(GameMarkers, EveryScene) {
  const std::filesystem::path Data = VORNU_GAME_DIR;
  if (!std::filesystem::exists(Data / "scenes" / "scene13.dat")) GTEST_SKIP() << "no game data";
  THarness H(Data);
  TForm1& F = H.F();
  H.SkipIntro();
  for (int S = 0; S <= 13; ++S) {
    F.LoadScene(static_cast<std::uint16_t>(S));
    H.Run(100);
    CheckMarkers(H, "scene " + std::to_string(S));
    if (S == 0) continue;
    std::set<int> InMap;
    for (const auto& Column : F.HotspotMap)
      for (std::uint8_t C : Column)
        if (C >= 1 && C <= 50) InMap.insert(C);
    const auto Saved = F.HotspotHidden[S];
    for (int N : InMap) F.HotspotHidden[S][N] = 1;
    CheckMarkers(H, "scene " + std::to_string(S) + ", all hidden");
    for (int N : InMap) {
      F.HotspotHidden[S][N] = 0;
      const std::size_t With = UsableHotspots(F).size();
      F.HotspotHidden[S][N] = 1;
      EXPECT_EQ(UsableHotspots(F).size() + 1, With) << "scene " << S << " hotspot " << N;
    }
    F.HotspotHidden[S] = Saved;
  }
}
