// A short monkey run on the built game data: random play checked after every input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/monkey/driver/Monkey.h"

namespace fs = std::filesystem;

TEST(Monkey, TwentyThousandRandomInputsKeepEveryInvariant) {
  if (!fs::exists(fs::path(VORNU_GAME_DIR) / "scenes" / "scene13.dat")) {
    GTEST_SKIP() << "the game data has not been built into " << VORNU_GAME_DIR;
  }
  monkey::Options O;
  O.Seed = 20241224;
  O.Inputs = 20000;
  O.Data = VORNU_GAME_DIR;
  O.ReplayCommand = "vornu-monkey " + O.Data.string();
  const monkey::Result R = monkey::Run(O);
  std::printf("%s", monkey::Summary(R.Seen, O.Seed).c_str());
  ASSERT_TRUE(R.Passed) << R.Failure;
  EXPECT_EQ(R.Seen.Inputs, 20000);
  // The guide gets out of the kitchen and across the map.
  EXPECT_GE(R.Seen.Scenes.size(), 5u);
  EXPECT_GE(R.Seen.SaveLoadChecks, 3);
}
