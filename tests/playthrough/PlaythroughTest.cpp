// The whole game on the built game data, from a new game to the credits and the form closing,
// through the game's own entry points only: mouse and key handlers, frames, the clock.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "app/demo/Walkthrough.h"
#include "platform/Text1252.h"
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

int LineCount(const fs::path& File) {
  std::ifstream In(File, std::ios::binary);
  int N = 0;
  for (std::string L; std::getline(In, L);) ++N;
  return N;
}

// Plays the whole game on the data in Data, in Language, and checks the way and the end; every
// speech said (UTF-8, lines joined by " / ") must pass InLanguage when one is given.
void PlayWholeGame(const fs::path& Data, bool Keyboard = false, const std::string& Language = "fi",
                   const std::function<bool(const std::string&)>& InLanguage = {}) {
  // A folder of its own for the save file.
  const support::TGameCopy Dir(Data);
  TForm1Settings Settings;
  Settings.Language = Language;
  support::TGame Game(Dir.Path(), Settings);
  TForm1& F = Game.F();
  ASSERT_EQ(F.IntroActive, 1) << "the game did not start: " << F.StartupError;

  walkthrough::Player Player(walkthrough::Pace{});
  walkthrough::BuildFullGame(Player);
  HandlerSink Mouse(Game);
  KeyboardSink Keys(F);
  walkthrough::InputSink& Sink = Keyboard ? static_cast<walkthrough::InputSink&>(Keys) : Mouse;

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
  // Every line the game said of its own was in the language's catalogue.
  EXPECT_EQ(F.Catalogue.MissingCount(), 0u);
  for (const std::string& Line : F.Catalogue.Missing()) {
    ADD_FAILURE() << "said in Finnish: " << vornu::Cp1252ToUtf8(Line);
  }
  if (InLanguage) {
    EXPECT_GT(Game.Said().size(), 50u);
    for (const std::string& Said : Game.Said()) EXPECT_TRUE(InLanguage(Said)) << Said;
  }
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
  PlayWholeGame(support::FixtureGame(support::TLayout::Story));
}

namespace {

bool HasEnglish(const fs::path& Data) {
  return fs::exists(Data / "lang" / "en" / "lines.txt");
}

// The pixels of the first picture a new game shows in Language.
std::vector<std::uint32_t> TitlePicture(const fs::path& Data, const std::string& Language) {
  const support::TGameCopy Dir(Data);
  TForm1Settings Settings;
  Settings.Language = Language;
  support::TGame Game(Dir.Path(), Settings);
  Game.Frames(2);
  std::vector<std::uint32_t> Pixels;
  for (int Y = 0; Y < 200; Y += 2)
    for (int X = 0; X < 320; X += 2) Pixels.push_back(Game.Back().PixelRgb(X, Y));
  return Pixels;
}

}  // namespace

TEST(Playthrough, InEnglishToTheCredits) {
  if (!HasEnglish(VORNU_GAME_DIR)) {
    GTEST_SKIP() << "no English game data in " << VORNU_GAME_DIR << "/lang/en";
  }
  EXPECT_NE(TitlePicture(VORNU_GAME_DIR, "en"), TitlePicture(VORNU_GAME_DIR, "fi"));
  PlayWholeGame(VORNU_GAME_DIR, false, "en");
}

// The robot and the catalogue on the small game: its English says every fixed line of the
// game's code, so any line the game says past the catalogue shows.
TEST(Playthrough, GeneratedGameInEnglishToTheCredits) {
  const support::TGameCopy Dir(support::FixtureGame(support::TLayout::Story));
  support::WriteFixtureEnglish(Dir.Path(), support::TLayout::Story,
                               support::FixedSpeeches(VORNU_GAME_DIR));
  EXPECT_NE(TitlePicture(Dir.Path(), "en"), TitlePicture(Dir.Path(), "fi"));
  PlayWholeGame(Dir.Path(), false, "en", [](const std::string& Said) {
    return Said.rfind("EN ", 0) == 0 || Said.rfind("en ", 0) == 0;
  });
}
