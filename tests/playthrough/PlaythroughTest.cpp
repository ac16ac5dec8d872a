// The whole game on the built game data, from a new game to the credits and the form closing,
// through the game's own entry points only: mouse and key handlers, frames, the clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/demo/Walkthrough.h"
#include "engine/GX.h"
#include "game/Unit1.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/Text1252.h"
#include "tests/story/FixtureData.h"

namespace fs = std::filesystem;

namespace {

// The handlers as the window calls them for the vornu build: display pixels, twice logical.
class HandlerSink : public walkthrough::InputSink {
 public:
  explicit HandlerSink(TForm1& F) : f_(F) {}
  void Move(int X, int Y) override { f_.FormMouseMove(nullptr, 0, X * 2, Y * 2); }
  void Down(TMouseButton B, int X, int Y) override {
    f_.FormMouseDown(nullptr, B, 0, X * 2, Y * 2);
  }
  void Up(TMouseButton B, int X, int Y) override { f_.FormMouseUp(nullptr, B, 0, X * 2, Y * 2); }
  void Key(char C) override { f_.FormKeyPress(nullptr, C); }

 private:
  TForm1& f_;
};

// The keyboard alone, as a player without a mouse plays: the arrow keys walk the pointer one
// pixel a press to where the robot would click, Enter is the left button (held for the verb
// menu) and steps the pictures, Tab the right button. Nothing places the pointer directly.
class KeyboardSink : public walkthrough::InputSink {
 public:
  explicit KeyboardSink(TForm1& F) : f_(F) {}
  void Move(int X, int Y) override {
    const int Scale = f_.Settings.HalveMouse ? 2 : 1;
    int Px = f_.PointerKeys.PlacedPointer() ? f_.PointerKeys.InputX() / Scale : f_.MouseX;
    int Py = f_.PointerKeys.PlacedPointer() ? f_.PointerKeys.InputY() / Scale : f_.MouseY;
    for (int Guard = 0; (Px != X || Py != Y) && Guard < 1000; ++Guard) {
      const std::uint16_t Key = Px < X ? VK_RIGHT : Px > X ? VK_LEFT : Py < Y ? VK_DOWN : VK_UP;
      f_.KeyDown(Key, 0);
      f_.KeyUp(Key, 0);
      Px = f_.PointerKeys.InputX() / Scale;
      Py = f_.PointerKeys.InputY() / Scale;
    }
  }
  void Down(TMouseButton B, int X, int Y) override {
    Move(X, Y);
    f_.KeyDown(B == mbLeft ? VK_RETURN : VK_TAB, 0);
  }
  void Up(TMouseButton B, int X, int Y) override {
    Move(X, Y);
    f_.KeyUp(B == mbLeft ? VK_RETURN : VK_TAB, 0);
  }
  void Key(char) override {
    // As the window delivers Enter: the key goes down, then its character.
    f_.KeyDown(VK_RETURN, 0);
    f_.KeyPress('\r');
    f_.KeyUp(VK_RETURN, 0);
  }

 private:
  TForm1& f_;
};

// A working directory that shows the built game data and has room for a save file.
class PlayDir {
 public:
  explicit PlayDir(const fs::path& Data) {
    dir_ = fs::temp_directory_path() / ("vornu-playthrough-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (const char* Folder : {"scenes", "sprites", "items", "music"}) {
      fs::create_directory_symlink(Data / Folder, dir_ / Folder);
    }
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  ~PlayDir() {
    fs::current_path(old_);
    std::error_code Ignored;
    fs::remove_all(dir_, Ignored);
  }
  const fs::path& Path() const { return dir_; }

 private:
  fs::path dir_, old_;
};

int LineCount(const fs::path& File) {
  std::ifstream In(File, std::ios::binary);
  int N = 0;
  for (std::string L; std::getline(In, L);) ++N;
  return N;
}

// Plays the whole game on the data in Data and checks the way and the end.
void PlayWholeGame(const fs::path& Data, bool Keyboard = false) {
  PlayDir Dir(Data);
  vornu::ManualClockScope Clock;
  Application->Initialize();
  auto Form = std::make_unique<TForm1>(TForm1Settings{});
  TForm1& F = *Form;
  Application->SetMainForm(&F);
  ASSERT_EQ(F.IntroActive, 1) << "the game did not start: " << F.StartupError;

  walkthrough::Player Player(walkthrough::Pace{});
  walkthrough::BuildFullGame(Player);
  HandlerSink Mouse(F);
  KeyboardSink Keys(F);
  walkthrough::InputSink& Sink = Keyboard ? static_cast<walkthrough::InputSink&>(Keys) : Mouse;

  constexpr std::uint32_t FrameMs = 10;
  bool Saved = false;
  int SaveLines = 0;
  long Frames = 0;
  while (!Player.Finished() && Frames < 400000) {
    Clock.clock().Advance(FrameMs);
    Application->ProcessTimers();
    F.GXScreen1Flip(nullptr);
    ++Frames;
    Player.Tick(F, Sink);
    if (!Saved && fs::exists("savegame.dat")) {
      Saved = true;
      SaveLines = LineCount("savegame.dat");
    }
  }
  ASSERT_TRUE(Player.Failure().empty()) << Player.Failure();
  ASSERT_TRUE(Player.Succeeded()) << "stopped after " << Player.CommandsDone() << " steps";
  EXPECT_TRUE(Player.CreditsSeen());
  EXPECT_TRUE(Saved);
  EXPECT_EQ(SaveLines, 3018);

  // The key after the credits: the next frame closes the form.
  for (int I = 0; I < 10 && !F.Closed(); ++I) {
    Clock.clock().Advance(FrameMs);
    Application->ProcessTimers();
    F.GXScreen1Flip(nullptr);
  }
  EXPECT_TRUE(F.Closed());
  EXPECT_TRUE(F.IsItem(12));
  EXPECT_TRUE(F.SceneFlags[13][5] != 0);
  std::printf("played %zu actions in %ld s of game time\n", Player.Log().size(),
              Frames * static_cast<long>(FrameMs) / 1000);
}

}  // namespace

TEST(Playthrough, NewGameToTheCreditsWithSaveAndLoadOnTheWay) {
  if (!fs::exists(fs::path(VORNU_GAME_DIR) / "scenes" / "scene13.dat")) {
    GTEST_SKIP() << "the game data has not been built into " << VORNU_GAME_DIR;
  }
  PlayWholeGame(VORNU_GAME_DIR);
}

TEST(Playthrough, KeyboardAloneToTheCredits) {
  if (!fs::exists(fs::path(VORNU_GAME_DIR) / "scenes" / "scene13.dat")) {
    GTEST_SKIP() << "the game data has not been built into " << VORNU_GAME_DIR;
  }
  PlayWholeGame(VORNU_GAME_DIR, true);
}

// The same walkthrough on the small generated game, whose every scene has every hotspot the
// story needs: the robot player itself is checked even while the real data changes.
TEST(Playthrough, GeneratedGameToTheCredits) {
  const fs::path Data = fs::temp_directory_path() / ("vornu-fixture-" + std::to_string(::getpid()));
  fs::remove_all(Data);
  story::WriteFixtureGame(Data);
  PlayWholeGame(Data);
  fs::remove_all(Data);
}
