// The game tests' headless game on the rooms fixture, and the picture its frames should show.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/GX.h"
#include "engine/SuperTimer.h"
#include "platform/Text1252.h"
#include "platform/Timers.h"
#include "tests/support/FixtureGame.h"
#include "tests/support/HeadlessGame.h"

namespace gametest {

using namespace support;

// The fixture game folder shared by the tests of a program.
inline const fs::path& SharedGameDir() {
  return FixtureGame(TLayout::Rooms);
}

// A game folder like the shared one in which the file ChangedFile is left out, for the test to
// write or to leave missing.
class TPrivateGameDir : public TGameCopy {
 public:
  explicit TPrivateGameDir(const std::string& ChangedFile)
      : TGameCopy(SharedGameDir(), {ChangedFile}) {}
};

// A headless game on a game folder, the vornu build's display unless Large is false.
class THarness : public TGame {
 public:
  explicit THarness(const fs::path& Dir = SharedGameDir(), bool Large = true, bool Start = true)
      : TGame(Dir, Display(Large), Start) {}

  // Scene 1 with nothing under way: no timer, speech, menu, inventory or held item, the pointer
  // shown on floor, Pukki standing where he is, carrying Items.
  void Calm(std::initializer_list<int> Items) {
    TForm1& G = F();
    G.LoadScene(1);
    for (TTimer* T : {G.Timer2.get(), G.Timer3.get(), G.Timer4.get()}) T->SetEnabled(false);
    G.SpeechActive = G.MenuOpen = G.InventoryOpen = G.ItemInHand = 0;
    G.HeldItem = 0;
    G.SelectedVerb = G.CursorShown = 1;
    G.PukkiTargetX = G.PukkiX;
    G.PukkiTargetY = G.PukkiY;
    G.ClearInventory();
    for (int I : Items) G.AddItem(static_cast<std::uint16_t>(I));
    Move(150, 150);
  }

  // The colour a pixel of Back shows, as 0xRRGGBB.
  std::uint32_t Pixel(int X, int Y) { return Back().PixelRgb(X, Y); }
};

// A game in scene 1, past the opening pictures and the frame timer's first tick.
struct TInScene : ::testing::Test {
  THarness H;
  TForm1& F = H.F();
  void SetUp() override {
    H.SkipIntro();
    H.Run(1000);
  }
};

// Whether two colours are the same after the trip through 16-bit pixels.
inline bool SameColour(std::uint32_t A, std::uint32_t B) {
  for (int Shift : {0, 8, 16}) {
    const int Ca = static_cast<int>((A >> Shift) & 0xFF);
    const int Cb = static_cast<int>((B >> Shift) & 0xFF);
    if (Ca - Cb > 8 || Cb - Ca > 8) return false;
  }
  return true;
}

// What the 320 x 200 game area of Back should show, painted from the fixture's pictures, and
// compared with Back in its 16-bit colour (every fixture colour is exact there).
class TScreenPicture {
 public:
  explicit TScreenPicture(std::uint32_t Rgb) : Px_(320 * 200, Rgb), Care_(320 * 200, 1) {}

  void Fill(int X, int Y, int W, int H, std::uint32_t Rgb) {
    for (int Row = std::max(Y, 0); Row < std::min(Y + H, 200); ++Row)
      for (int Col = std::max(X, 0); Col < std::min(X + W, 320); ++Col) At(Col, Row) = Rgb;
  }
  // Pixels whose content the comparison leaves alone (a text drawn there, say).
  void Ignore(int X, int Y, int W, int H) {
    for (int Row = std::max(Y, 0); Row < std::min(Y + H, 200); ++Row)
      for (int Col = std::max(X, 0); Col < std::min(X + W, 320); ++Col)
        Care_[static_cast<std::size_t>(Row * 320 + Col)] = 0;
  }
  // Fixture tile K of scene S, W x H, at (X, Y): its one black pixel shows what lies under it
  // when the tile is drawn transparent.
  void Tile(int S, int K, int W, int H, int X, int Y, bool Transparent) {
    const int Hx = X + W - 2, Hy = Y + H - 2;
    const bool HoleShown = Hx >= 0 && Hx < 320 && Hy >= 0 && Hy < 200;
    const std::uint32_t Under = HoleShown ? At(Hx, Hy) : 0;
    Fill(X, Y, W, H, TileColour(S, K));
    if (HoleShown) At(Hx, Hy) = Transparent ? Under : 0;
  }
  // Pukki's walking frame Frame of direction D with its corner at (X, Y): the body only.
  void Pukki(int X, int Y, int D, int Frame = 1) {
    Fill(X + 10, Y + 5, 25, 51, FrameColour(D, Frame));
  }
  void Pointer(int X, int Y, int Kind) {
    Fill(X, Y, 4, 4, Kind == 2 ? kActivePointer : kNormalPointer);
  }
  // Item I's picture at (X, Y): opaque shows its black border, transparent only its middle.
  void Item(int X, int Y, int I, bool Transparent) {
    if (!Transparent) Fill(X, Y, 30, 30, 0);
    Fill(X + 5, Y + 5, 20, 20, ItemColour(I));
  }

  // Describes the pixels of Back's game area that differ (empty when none do).
  std::string Differences(TGXSurface& Back) const {
    int N = 0;
    std::string First;
    for (int Y = 0; Y < 200; ++Y) {
      for (int X = 0; X < 320; ++X) {
        const std::size_t I = static_cast<std::size_t>(Y * 320 + X);
        if (!Care_[I]) continue;
        const std::uint32_t Got = Back.PixelRgb(X, Y);
        if (Quantised(Got) == Quantised(Px_[I])) continue;
        if (++N <= 4)
          First += " (" + std::to_string(X) + "," + std::to_string(Y) + ") " + Hex(Got) +
                   " instead of " + Hex(Px_[I]) + ";";
      }
    }
    return N == 0 ? std::string() : std::to_string(N) + " pixels differ:" + First;
  }

 private:
  static std::uint32_t Quantised(std::uint32_t Rgb) {
    return ((Rgb >> 19) & 0x1F) << 11 | ((Rgb >> 10) & 0x3F) << 5 | ((Rgb >> 3) & 0x1F);
  }
  static std::string Hex(std::uint32_t V) {
    char B[16];
    std::snprintf(B, sizeof B, "%06X", V);
    return B;
  }
  std::uint32_t& At(int X, int Y) { return Px_[static_cast<std::size_t>(Y * 320 + X)]; }
  std::vector<std::uint32_t> Px_;
  std::vector<unsigned char> Care_;
};

}  // namespace gametest
