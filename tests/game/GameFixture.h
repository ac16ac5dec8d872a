// A small game directory written by the tests and a headless game driven through its entry points.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "engine/GX.h"
#include "engine/SuperTimer.h"
#include "game/SceneSetup.h"
#include "game/Unit1.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/Text1252.h"
#include "platform/Timers.h"

namespace gametest {

namespace fs = std::filesystem;

inline void WriteFile(const fs::path& Path, const std::string& Bytes) {
  fs::create_directories(Path.parent_path());
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out << Bytes;
}

// Writes a 24-bit Windows bitmap whose pixel (x, y) is Colour(x, y) as 0xRRGGBB.
inline void WriteBitmap(const fs::path& Path, int W, int H,
                        const std::function<std::uint32_t(int, int)>& Colour) {
  const int Row = (W * 3 + 3) / 4 * 4;
  const std::uint32_t Size = 54 + static_cast<std::uint32_t>(Row * H);
  std::string B(Size, '\0');
  auto Put = [&B](std::size_t At, std::uint32_t V, int Bytes) {
    for (int I = 0; I < Bytes; ++I)
      B[At + static_cast<std::size_t>(I)] = static_cast<char>(V >> (8 * I));
  };
  B[0] = 'B';
  B[1] = 'M';
  Put(2, Size, 4);
  Put(10, 54, 4);
  Put(14, 40, 4);
  Put(18, static_cast<std::uint32_t>(W), 4);
  Put(22, static_cast<std::uint32_t>(H), 4);
  Put(26, 1, 2);
  Put(28, 24, 2);
  Put(34, static_cast<std::uint32_t>(Row * H), 4);
  for (int Y = 0; Y < H; ++Y) {
    for (int X = 0; X < W; ++X) {
      const std::uint32_t C = Colour(X, Y);
      const std::size_t At = 54 + static_cast<std::size_t>((H - 1 - Y) * Row + X * 3);
      Put(At, C & 0xFF, 1);
      Put(At + 1, (C >> 8) & 0xFF, 1);
      Put(At + 2, (C >> 16) & 0xFF, 1);
    }
  }
  WriteFile(Path, B);
}

inline void WriteBitmap(const fs::path& Path, int W, int H, std::uint32_t Rgb) {
  WriteBitmap(Path, W, H, [Rgb](int, int) { return Rgb; });
}

// Colour of walking frame Frame of direction D: a body on black (the transparent colour).
inline std::uint32_t FrameColour(int D, int Frame) {
  return (static_cast<std::uint32_t>((D + 1) * 24) << 16) |
         (static_cast<std::uint32_t>(Frame * 8) << 8) | 0x80;
}

// Decodes a colour read back from a drawn walking frame: direction and frame, or -1, -1.
inline std::pair<int, int> DecodeFrame(std::uint32_t Rgb) {
  if ((Rgb & 0xFF) < 0x70 || (Rgb & 0xFF) > 0x90) return {-1, -1};
  const int R = static_cast<int>((Rgb >> 16) & 0xFF);
  const int G = static_cast<int>((Rgb >> 8) & 0xFF);
  return {(R + 12) / 24 - 1, (G + 4) / 8};
}

// A Standard MIDI file with one empty track.
inline std::string EmptyMidi() {
  const unsigned char Bytes[] = {'M', 'T', 'h', 'd', 0,   0, 0, 6, 0, 0, 0,    1,    0,
                                 96,  'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
  return std::string(reinterpret_cast<const char*>(Bytes), sizeof Bytes);
}

inline std::string Pad3(int V) {
  std::string S = std::to_string(V);
  return std::string(3 - S.size(), '0') + S;
}

// A hotspot of a fixture scene: a block of the map, a walk point and a facing.
struct THotspot {
  int Number;
  int Left, Top, Right, Bottom;  // inclusive, logical
  int WalkX, WalkY, Facing;
};

// The fixture's scenes: rows 1..40 are nothing (255), the rest floor, with these blocks.
inline std::vector<THotspot> SceneHotspots(int Scene) {
  if (Scene == 0) {
    return {{1, 10, 60, 39, 89, 0, 0, 0},   {2, 50, 60, 79, 89, 0, 0, 0},
            {3, 90, 60, 119, 89, 0, 0, 0},  {4, 130, 60, 159, 89, 0, 0, 0},
            {5, 170, 60, 199, 89, 0, 0, 0}, {6, 210, 60, 239, 89, 0, 0, 0},
            {7, 250, 60, 279, 89, 0, 0, 0}, {9, 290, 60, 309, 89, 0, 0, 0}};
  }
  return {{10, 200, 50, 219, 69, 210, 150, 4},
          {9, 100, 50, 119, 69, 110, 160, 9},
          {20, 20, 50, 39, 69, 30, 150, 6},
          {60, 260, 50, 279, 69, 270, 150, 2},
          {7, 60, 120, 79, 139, 70, 170, 0}};
}

inline std::string HotspotMapBytes(int Scene) {
  std::string Map(64000, '\0');
  for (int Y = 1; Y <= 40; ++Y)
    for (int X = 1; X <= 320; ++X) Map[static_cast<std::size_t>((Y - 1) * 320 + X - 1)] = '\xFF';
  for (const THotspot& H : SceneHotspots(Scene)) {
    for (int Y = H.Top; Y <= H.Bottom; ++Y)
      for (int X = H.Left; X <= H.Right; ++X)
        Map[static_cast<std::size_t>((Y - 1) * 320 + X - 1)] = static_cast<char>(H.Number);
  }
  return Map;
}

inline std::string ObjectFile(int Scene) {
  const std::vector<THotspot> Hs = SceneHotspots(Scene);
  const std::string S = std::to_string(Scene);
  std::string Obj = std::to_string(Hs.size()) + "\r\n";
  for (const THotspot& H : Hs) {
    Obj += Pad3(H.Number) + " " + Pad3(H.WalkX) + " " + Pad3(H.WalkY) + " " +
           std::to_string(H.Facing) + "\r\n";
  }
  for (const THotspot& H : Hs) {
    for (int V = 1; V <= 4; ++V)
      Obj +=
          std::string("T") + std::to_string(V) + "h" + std::to_string(H.Number) + "s" + S + "\r\n";
  }
  for (const THotspot& H : Hs) Obj += std::string("U") + std::to_string(H.Number) + "\r\n";
  for (const THotspot& H : Hs) {
    for (int V = 2; V <= 4; ++V)
      Obj += std::string("R") + std::to_string(V) + "h" + std::to_string(H.Number) + "\r\n";
  }
  return Obj;
}

// Colour of tile K of scene S (distinct in 16-bit colour). Every tile is that colour but for one
// pixel of the transparent colour (black) at (width - 2, height - 2), which shows whether the
// tile was drawn transparent.
inline std::uint32_t TileColour(int S, int K) {
  return (static_cast<std::uint32_t>(0x40 + K * 8) << 16) |
         (static_cast<std::uint32_t>(S * 16) << 8) | 0x08;
}
inline std::uint32_t BackgroundColour(int S) {
  return 0x203040 + static_cast<std::uint32_t>(S) * 0x080000;
}
constexpr std::uint32_t kIntroColours[5] = {0x101010, 0x202020, 0x303030, 0x404040, 0x505050};

inline void WriteScene(const fs::path& Dir, int Scene) {
  const std::string N = std::to_string(Scene);
  WriteBitmap(Dir / "scenes" / ("scene" + N + ".bmp"), 320, 200, BackgroundColour(Scene));
  WriteFile(Dir / "scenes" / ("scene" + N + ".dat"), HotspotMapBytes(Scene));
  WriteFile(Dir / "scenes" / ("scene" + N + ".obj"), ObjectFile(Scene));
  if (Scene == 0) return;
  const vornu::TSceneSetup& Set = vornu::SceneSetup(Scene);
  for (std::size_t K = 0; K < Set.Tiles.size(); ++K) {
    const int Tile = static_cast<int>(K) + 1;
    const int W = Set.Tiles[K].Width, H = Set.Tiles[K].Height;
    WriteBitmap(Dir / vornu::SceneTilePath(Scene, Tile), W, H, [=](int X, int Y) {
      return X == W - 2 && Y == H - 2 ? 0u : TileColour(Scene, Tile);
    });
  }
}

inline std::string ItemFile(int Refusals) {
  std::string Txt = "13\r\n";
  for (int I = 1; I <= 13; ++I) {
    Txt += "Esine" + std::to_string(I) + "\r\n";
    for (int K = 2; K <= 4; ++K)
      Txt += std::string("V") + std::to_string(K) + "e" + std::to_string(I) + "\r\n";
    Txt += "esineen" + std::to_string(I) + "\r\n";
    Txt += "esineelle" + std::to_string(I) + "\r\n";
  }
  for (int I = 1; I <= 13; ++I) {
    for (int V = 2; V <= 4; ++V) Txt += "IR" + std::to_string(V) + "i" + std::to_string(I) + "\r\n";
  }
  Txt += std::to_string(Refusals) + "\r\n";
  for (int R = 1; R <= Refusals; ++R) Txt += "Ei" + std::to_string(R) + "\r\n";
  return Txt;
}

inline const char* const kDirectionFiles[8] = {"up",   "uright", "right", "dright",
                                               "down", "dleft",  "left",  "uleft"};

// Writes every file the game opens.
inline void WriteGame(const fs::path& Dir) {
  const fs::path Sprites = Dir / "sprites";
  // Pointers: a light arrow block on black.
  WriteBitmap(Sprites / "normcurs.bmp", 10, 10,
              [](int X, int Y) { return X < 4 && Y < 4 ? 0xF0F0F0u : 0u; });
  WriteBitmap(Sprites / "acticurs.bmp", 10, 10,
              [](int X, int Y) { return X < 4 && Y < 4 ? 0xF0F000u : 0u; });
  for (int M = 1; M <= 4; ++M) {
    WriteBitmap(Sprites / ("menu" + std::to_string(M) + ".bmp"), 50, 50,
                0x600000u + static_cast<std::uint32_t>(M) * 0x1000);
  }
  const char* Phases[5] = {"alkukuva", "varoitus", "intro", "theend", "krediit"};
  for (int P = 0; P < 5; ++P)
    WriteBitmap(Sprites / (std::string(Phases[P]) + ".bmp"), 320, 200, kIntroColours[P]);
  for (int D = 0; D < 8; ++D) {
    for (int F = 1; F <= 30; ++F) {
      const std::string Nn = std::string(F < 10 ? "0" : "") + std::to_string(F);
      WriteBitmap(Sprites / "pukki" / (std::string(kDirectionFiles[D]) + Nn + ".bmp"), 45, 60,
                  [D, F](int X, int Y) {
                    return X >= 10 && X < 35 && Y >= 5 && Y < 56 ? FrameColour(D, F) : 0u;
                  });
    }
  }
  const fs::path Items = Dir / "items";
  WriteBitmap(Items / "invent.bmp", 300, 180, 0x303060);
  for (int I = 1; I <= 13; ++I) {
    WriteBitmap(Items / ("item" + std::to_string(I) + ".bmp"), 30, 30, [I](int X, int Y) {
      return X >= 5 && X < 25 && Y >= 5 && Y < 25 ? 0x00A000u + static_cast<std::uint32_t>(I) * 8
                                                  : 0u;
    });
  }
  WriteFile(Items / "items.txt", ItemFile(3));
  WriteFile(Dir / "music" / "music01.mid", EmptyMidi());
  WriteFile(Dir / "music" / "music02.mid", EmptyMidi());
  for (int S = 0; S <= 13; ++S) WriteScene(Dir, S);
}

// Bump when WriteGame changes: the shared directory is kept between test processes.
constexpr int kFixtureVersion = 2;

// The fixture directory shared by every test process (written once, then reused).
inline const fs::path& SharedGameDir() {
  static const fs::path Dir = [] {
    const fs::path Final =
        fs::temp_directory_path() / ("vornu-game-fixture-v" + std::to_string(kFixtureVersion) +
                                     "-" + std::to_string(::getuid()));
    if (fs::exists(Final / "complete")) return Final;
    const fs::path Temp = Final.string() + ".tmp" + std::to_string(::getpid());
    fs::remove_all(Temp);
    WriteGame(Temp);
    WriteFile(Temp / "complete", "");
    std::error_code E;
    fs::rename(Temp, Final, E);
    if (E && !fs::exists(Final / "complete")) {  // a broken leftover: replace it
      fs::remove_all(Final, E);
      fs::rename(Temp, Final, E);
    }
    if (E) fs::remove_all(Temp, E);  // another process was first
    return Final;
  }();
  return Dir;
}

// A game directory like the shared one in which one file may differ: the directories on the
// way to that file are real, everything else links to the shared files (cheap to make).
class TPrivateGameDir {
 public:
  explicit TPrivateGameDir(const std::string& ChangedFile) {
    static int Counter = 0;
    Dir_ = fs::temp_directory_path() /
           ("vornu-game-" + std::to_string(::getpid()) + "-" + std::to_string(++Counter));
    fs::remove_all(Dir_);
    Mirror(SharedGameDir(), Dir_, fs::path(ChangedFile));
  }
  ~TPrivateGameDir() {
    std::error_code E;
    fs::remove_all(Dir_, E);
  }
  const fs::path& Path() const { return Dir_; }

 private:
  // Mirrors From into To; the first component of Changed is made real (a directory is mirrored
  // again, a file is left out for the test to write or to leave missing).
  static void Mirror(const fs::path& From, const fs::path& To, const fs::path& Changed) {
    fs::create_directories(To);
    const fs::path First = *Changed.begin();
    fs::path Rest;
    for (auto It = std::next(Changed.begin()); It != Changed.end(); ++It) Rest /= *It;
    for (const auto& Entry : fs::directory_iterator(From)) {
      const fs::path Name = Entry.path().filename();
      if (Name == First) {
        if (!Rest.empty()) Mirror(Entry.path(), To / Name, Rest);
        continue;
      }
      fs::create_symlink(Entry.path(), To / Name);
    }
  }
  fs::path Dir_;
};

// A headless game on a game directory with the hand-driven clock.
class THarness {
 public:
  explicit THarness(const fs::path& Dir = SharedGameDir(), bool Large = true, bool Start = true) {
    Old_ = fs::current_path();
    fs::current_path(Dir);
    Application->Initialize();
    TForm1Settings S;
    S.LargeDisplay = Large;
    S.HalveMouse = Large;
    S.ClearBack = Large;
    Form_ = std::make_unique<TForm1>(S);
    if (Start) Application->SetMainForm(Form_.get());
  }
  ~THarness() {
    Form_.reset();
    fs::current_path(Old_);
  }

  TForm1& F() { return *Form_; }
  vornu::ManualClock& Clock() { return Clock_.clock(); }
  TGXSurface& Back() { return *F().GXScreen1->Back(); }

  // One frame as the screen's pump runs it: due timers first, then the frame handler.
  void Frame() {
    Application->ProcessTimers();
    F().GXScreen1Flip(nullptr);
  }
  void Frames(int N) {
    for (int I = 0; I < N; ++I) Frame();
  }
  // Ms of game time, a frame every 10 ms.
  void Run(std::uint32_t Ms) {
    for (std::uint32_t T = 0; T < Ms; T += 10) {
      Clock().Advance(10);
      Frame();
    }
  }
  void Key() {
    char K = ' ';
    F().FormKeyPress(nullptr, K);
  }
  // Past the opening pictures into scene 1.
  void SkipIntro() {
    for (int I = 0; I < 3; ++I) {
      Frames(2);
      Key();
    }
    Frame();
    ASSERT_EQ(F().IntroActive, 0);
    ASSERT_EQ(F().CurrentScene, 1);
  }

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

  // Form coordinates of a logical point (the large build doubles them).
  int Scale(int V) const { return Form_->Settings.HalveMouse ? V * 2 : V; }
  void Move(int X, int Y) { F().FormMouseMove(nullptr, 0, Scale(X), Scale(Y)); }
  void Down(int X, int Y, TMouseButton B = mbLeft) {
    F().FormMouseDown(nullptr, B, 0, Scale(X), Scale(Y));
  }
  void Up(int X, int Y, TMouseButton B = mbLeft) {
    F().FormMouseUp(nullptr, B, 0, Scale(X), Scale(Y));
  }
  void Click(int X, int Y, TMouseButton B = mbLeft) {
    Move(X, Y);
    Down(X, Y, B);
    Up(X, Y, B);
  }
  // Holds the left button at (X, Y) for Ms, then moves to (ToX, ToY) and releases there.
  void LongPress(int X, int Y, std::uint32_t Ms, int ToX, int ToY) {
    Move(X, Y);
    Down(X, Y);
    Run(Ms);
    Move(ToX, ToY);
    Up(ToX, ToY);
  }

  // The colour a pixel of Back shows, as 0xRRGGBB.
  std::uint32_t Pixel(int X, int Y) { return Back().PixelRgb(X, Y); }

 private:
  vornu::ManualClockScope Clock_;
  fs::path Old_;
  std::unique_ptr<TForm1> Form_;
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

// The pointer pictures: a 4 x 4 block at the top left, the rest transparent.
constexpr std::uint32_t kNormalPointer = 0xF0F0F0;
constexpr std::uint32_t kActivePointer = 0xF0F000;
constexpr std::uint32_t kInventoryColour = 0x303060;
inline std::uint32_t MenuColour(int M) {
  return 0x600000u + static_cast<std::uint32_t>(M) * 0x1000;
}
inline std::uint32_t ItemColour(int I) {
  return 0x00A000u + static_cast<std::uint32_t>(I) * 8;
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
