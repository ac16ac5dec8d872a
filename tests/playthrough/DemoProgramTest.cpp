// The real program end to end: vornu-demo plays the game headless through the window's event
// queue and must report that the credits were shown and the game closed itself.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/FixtureGame.h"

namespace fs = std::filesystem;

TEST(DemoProgram, PlaysTheRealGameToTheCreditsHeadless) {
  const fs::path Program = fs::path(VORNU_GAME_DIR) / "vornu-demo";
  ASSERT_TRUE(fs::exists(Program)) << "vornu-demo has not been built";
  // The built game data; while it is incomplete, the small generated game instead.
  fs::path Dir = VORNU_GAME_DIR;
  if (!fs::exists(Dir / "scenes" / "scene13.dat"))
    Dir = support::FixtureGame(support::TLayout::Story);
  const std::string Command = "cd '" + Dir.string() +
                              "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy '" +
                              Program.string() + "' --fast 2>&1";
  FILE* Out = ::popen(Command.c_str(), "r");
  ASSERT_NE(Out, nullptr);
  std::string Log;
  std::array<char, 4096> Buffer{};
  while (std::fgets(Buffer.data(), Buffer.size(), Out)) Log += Buffer.data();
  const int Status = ::pclose(Out);
  ASSERT_TRUE(WIFEXITED(Status)) << Log;
  EXPECT_EQ(WEXITSTATUS(Status), 0) << Log;
  EXPECT_NE(Log.find("the credits were shown and the game closed itself"), std::string::npos)
      << Log;
}
