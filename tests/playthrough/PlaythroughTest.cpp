// The whole game on the built game data, from a new game to the credits and the form closing,
// through the game's own entry points only: mouse and key handlers, frames, the clock.
#include <gtest/gtest.h>

#include <fstream>

#include "app/demo/Walkthrough.h"
#include "tests/support/FixtureGame.h"
#include "tests/support/HeadlessGame.h"

namespace fs = std::filesystem;

namespace {

// The handlers as the window calls them for the vornu build: display pixels, twice logical.
class HandlerSink : public walkthrough::InputSink {
 public:
  explicit HandlerSink(support::TGame& G) : g_(G) {}
  void Move(int X, int Y) override { g_.Move(X, Y); }
  void Down(TMouseButton B, int X, int Y) override { g_.Down(X, Y, B); }
  void Up(TMouseButton B, int X, int Y) override { g_.Up(X, Y, B); }
  void Key(char C) override { g_.Key(C); }

 private:
  support::TGame& g_;
};

int LineCount(const fs::path& File) {
  std::ifstream In(File, std::ios::binary);
  int N = 0;
  for (std::string L; std::getline(In, L);) ++N;
  return N;
}

// Plays the whole game on the data in Data and checks the way and the end.
void PlayWholeGame(const fs::path& Data) {
  // A folder of its own for the save file.
  const support::TGameCopy Dir(Data);
  support::TGame Game(Dir.Path());
  TForm1& F = Game.F();
  ASSERT_EQ(F.IntroActive, 1) << "the game did not start: " << F.StartupError;

  walkthrough::Player Player(walkthrough::Pace{});
  walkthrough::BuildFullGame(Player);
  HandlerSink Sink(Game);

  constexpr std::uint32_t FrameMs = support::TGame::FrameMs;
  bool Saved = false;
  int SaveLines = 0;
  long Frames = 0;
  while (!Player.Finished() && Frames < 400000) {
    Game.Step(FrameMs);
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
  for (int I = 0; I < 10 && !F.Closed(); ++I) Game.Step(FrameMs);
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

// The same walkthrough on the small generated game, whose every scene has every hotspot the
// story needs: the robot player itself is checked even while the real data changes.
TEST(Playthrough, GeneratedGameToTheCredits) {
  PlayWholeGame(support::FixtureGame(support::TLayout::Story));
}
