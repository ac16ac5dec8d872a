// Saving under a kill: a child process saves two different games in turn, as fast as it can,
// and is killed at random moments; the save file must always be one of the two, whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

#include "app/demo/Walkthrough.h"
#include "tests/game/GameFixture.h"

namespace fs = std::filesystem;

namespace {

std::string ReadSave() {
  return support::ReadFile("savegame.dat");
}

// One of two games that differ in every part of the save file.
void Arrange(TForm1& F, bool Second) {
  F.PukkiX = F.PukkiTargetX = Second ? 201 : 77;
  F.PukkiY = F.PukkiTargetY = Second ? 120 : 66;
  F.PukkiDirection = Second ? 3 : 7;
  F.CurrentScene = Second ? 13 : 6;
  const int Odd = Second ? 1 : 0;
  for (long S = 1; S <= 20; ++S) {
    for (long K = 1; K <= 100; ++K) F.SceneFlags[S][K] = (S * 7 + K * 3 + Odd) % 5 == 0;
    for (long H = 1; H <= 50; ++H) F.HotspotHidden[S][H] = (S + H + Odd) % 3 == 0;
  }
  F.ClearInventory();
  for (int Item : Second ? std::vector<int>{12, 4, 11, 2} : std::vector<int>{3, 9, 1}) {
    F.AddItem(static_cast<std::uint16_t>(Item));
  }
}

// The children's progress, in memory shared across fork().
struct TShared {
  std::atomic<long> Started{0};
  std::atomic<long> Saves{0};
};

// The child: saves the two games in turn until it is killed.
[[noreturn]] void SaveForever(TForm1& F, TShared& Shared) {
  Shared.Started.fetch_add(1);
  try {
    for (bool Second = false;; Second = !Second) {
      Arrange(F, Second);
      F.SaveGame();
      Shared.Saves.fetch_add(1);
    }
  } catch (...) {
    ::_exit(3);
  }
}

int LeftoverTempFiles() {
  int N = 0;
  for (const auto& E : fs::directory_iterator(".")) {
    const std::string Name = E.path().filename().string();
    if (Name.rfind("savegame.dat.", 0) == 0) ++N;
  }
  return N;
}

}  // namespace

TEST(SaveUnderKill, EveryKillLeavesOneOfTheTwoGamesWholeAndTheNextSaveSweepsOldLeftovers) {
  gametest::TPrivateGameDir Dir("savegame.dat");
  const support::TCurrentDir InDir(Dir.Path());
  auto* Shared = static_cast<TShared*>(
      ::mmap(nullptr, sizeof(TShared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(Shared, MAP_FAILED);
  new (Shared) TShared;

  std::string First, Second;
  constexpr int Kills = 240;
  int KilledWithFile = 0, KilledBeforeAnySave = 0, ChildrenThatSaved = 0;
  {
    // A game that is never shown: saving needs no screen, and the process has no other threads
    // to trip over in the children. The manual clock keeps the frame timer without a worker.
    vornu::ManualClockScope Clock;
    TForm1 F;
    Arrange(F, false);
    F.SaveGame();
    First = ReadSave();
    Arrange(F, true);
    F.SaveGame();
    Second = ReadSave();
    ASSERT_NE(First, Second);
    // How long one save takes here decides the span of the kill times.
    const auto T0 = std::chrono::steady_clock::now();
    for (int I = 0; I < 10; ++I) F.SaveGame();
    const long SaveUs = std::max<long>(50, std::chrono::duration_cast<std::chrono::microseconds>(
                                               std::chrono::steady_clock::now() - T0)
                                                   .count() /
                                               10);
    fs::remove("savegame.dat");

    // A kill comes within the child's first save (two rounds in three) or its second, however
    // slowly the machine runs the child.
    std::mt19937 Random(20241224);
    std::uniform_int_distribution<long> Delay(0, SaveUs);
    bool Existed = false;
    for (int Round = 0; Round < Kills; ++Round) {
      const long Started = Shared->Started.load();
      const long Before = Shared->Saves.load();
      const long SavesFirst = Round % 3 == 2 ? 1 : 0;
      const pid_t Child = ::fork();
      ASSERT_GE(Child, 0) << "fork: " << std::strerror(errno);
      if (Child == 0) SaveForever(F, *Shared);
      const auto GiveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while ((Shared->Started.load() == Started || Shared->Saves.load() < Before + SavesFirst) &&
             std::chrono::steady_clock::now() < GiveUp) {
        std::this_thread::sleep_for(std::chrono::microseconds(20));
      }
      std::this_thread::sleep_for(std::chrono::microseconds(Delay(Random)));
      ASSERT_EQ(::kill(Child, SIGKILL), 0);
      int Status = 0;
      ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
      ASSERT_TRUE(WIFSIGNALED(Status) && WTERMSIG(Status) == SIGKILL)
          << "the saving child stopped by itself (status " << Status << ")";
      if (Shared->Saves.load() > Before) ++ChildrenThatSaved;
      if (!fs::exists("savegame.dat")) {
        ASSERT_FALSE(Existed) << "kill " << Round << ": the save file is gone";
        ++KilledBeforeAnySave;
        continue;
      }
      Existed = true;
      ++KilledWithFile;
      const std::string Now = ReadSave();
      ASSERT_TRUE(Now == First || Now == Second)
          << "kill " << Round << ": the save file is neither game (" << Now.size() << " bytes)";
    }
    std::printf(
        "%d kills: %d left a whole save, %d came before the first save; %d children "
        "saved at least once, %ld saves in all; one save takes about %ld us\n",
        Kills, KilledWithFile, KilledBeforeAnySave, ChildrenThatSaved, Shared->Saves.load(),
        SaveUs);
  }
  // The kills fell on every part of the saving, not only between saves.
  EXPECT_GT(ChildrenThatSaved, Kills / 4);
  EXPECT_GT(KilledWithFile, Kills / 2);

  // Each of the two files loads into its own game.
  {
    gametest::THarness H(Dir.Path());
    H.SkipIntro();
    for (bool IsSecond : {false, true}) {
      std::ofstream(Dir.Path() / "savegame.dat", std::ios::binary | std::ios::trunc)
          << (IsSecond ? Second : First);
      TForm1 Expected;
      Arrange(Expected, IsSecond);
      H.F().LoadGame();
      EXPECT_EQ(walkthrough::Snapshot::Of(H.F()), walkthrough::Snapshot::Of(Expected));
    }
  }
  ::munmap(Shared, sizeof(TShared));

  // Kills in the middle of writing leave the new game's temporary file; the next save removes
  // those that are old, and leaves a young one that another game may still be writing.
  const int Left = LeftoverTempFiles();
  std::printf("%d temporary files were left by the kills\n", Left);
  EXPECT_GT(Left, 0) << "no kill came while a save was being written";
  const auto LongAgo = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  for (const auto& E : fs::directory_iterator(".")) {
    if (E.path().filename().string().rfind("savegame.dat.", 0) == 0) {
      fs::last_write_time(E.path(), LongAgo);
    }
  }
  std::ofstream("savegame.dat.Young1") << "being written";
  std::ofstream("savegame.dat.keepme-too") << "not a temporary file of a save";
  {
    vornu::ManualClockScope Clock;
    TForm1 F;
    Arrange(F, true);
    F.SaveGame();
  }
  EXPECT_EQ(ReadSave(), Second);
  EXPECT_EQ(LeftoverTempFiles(), 2);
  EXPECT_TRUE(fs::exists("savegame.dat.Young1"));
  EXPECT_TRUE(fs::exists("savegame.dat.keepme-too"));
}
