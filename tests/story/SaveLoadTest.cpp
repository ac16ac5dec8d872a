// The save file: its exact lines, loading it back, interrupted saves and refused broken files.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>

#include "platform/Classes.h"
#include "tests/story/StoryGame.h"

using story::StoryGame;

namespace {

std::string ReadFile(const std::string& Name) {
  std::ifstream In(Name, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}

void WriteFile(const std::string& Name, const std::string& Bytes) {
  std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
  Out << Bytes;
}

std::vector<std::string> SplitCrLf(const std::string& Bytes) {
  std::vector<std::string> Lines;
  std::size_t Start = 0;
  while (Start < Bytes.size()) {
    std::size_t End = Bytes.find("\r\n", Start);
    if (End == std::string::npos) {
      Lines.push_back(Bytes.substr(Start));
      break;
    }
    Lines.push_back(Bytes.substr(Start, End - Start));
    Start = End + 2;
  }
  return Lines;
}

std::string JoinCrLf(const std::vector<std::string>& Lines) {
  std::string S;
  for (const std::string& L : Lines) S += L + "\r\n";
  return S;
}

// Everything a load may change, to see that a refused load changed nothing.
struct State {
  std::int32_t X, Y, TargetX, TargetY;
  std::uint8_t Direction;
  std::uint16_t Scene, Count;
  decltype(TForm1::SceneFlags) Flags;
  decltype(TForm1::HotspotHidden) Hidden;
  decltype(TForm1::Inventory) Items;
  std::uint8_t InventoryOpen, ItemInHand, SpeechActive;
  static State Of(const TForm1& F) {
    return {F.PukkiX,        F.PukkiY,         F.PukkiTargetX, F.PukkiTargetY,  F.PukkiDirection,
            F.CurrentScene,  F.InventoryCount, F.SceneFlags,   F.HotspotHidden, F.Inventory,
            F.InventoryOpen, F.ItemInHand,     F.SpeechActive};
  }
  bool operator==(const State&) const = default;
};

// A game in scene 6 with some puzzle state, Pukki somewhere and four items.
void Arrange(StoryGame& G) {
  G.Enter(6);
  G.F().PukkiX = G.F().PukkiTargetX = 77;
  G.F().PukkiY = G.F().PukkiTargetY = 66;
  G.F().PukkiDirection = 7;
  G.Flag(6, 8);
  G.Flag(13, 100);
  G.Flag(20, 1);
  G.F().HotspotHidden[6][20] = 0;
  G.F().HotspotHidden[2][50] = 1;
  for (int I : {3, 9, 1, 12}) G.F().AddItem(static_cast<std::uint16_t>(I));
}

}  // namespace

TEST(SaveFile, HasExactly3018CrLfLinesInTheTablesOrder) {
  StoryGame G;
  Arrange(G);
  G.F().SceneFlags[4][2] = 7;  // any non-zero byte is a set flag
  G.F().InventoryOpen = 1;
  G.F().SaveGame();
  const std::vector<std::string> L = SplitCrLf(ReadFile("savegame.dat"));
  ASSERT_EQ(L.size(), 3018u);
  const std::string Bytes = ReadFile("savegame.dat");
  EXPECT_EQ(Bytes.substr(Bytes.size() - 2), "\r\n");
  EXPECT_EQ(std::count(Bytes.begin(), Bytes.end(), '\n'), 3018);
  EXPECT_EQ(L[0], "7");
  EXPECT_EQ(L[1], "77");
  EXPECT_EQ(L[2], "66");
  EXPECT_EQ(L[3], "6");
  EXPECT_EQ(L[5 + 100 * 5 + 7 - 1], "T");     // [6][8]
  EXPECT_EQ(L[5 + 100 * 12 + 99 - 1], "T");   // [13][100]
  EXPECT_EQ(L[5 + 100 * 3 + 1 - 1], "T");     // [4][2] = 7
  EXPECT_EQ(L[5 + 100 * 5 + 8 - 1], "F");     // [6][9]
  EXPECT_EQ(L[2005 + 50 * 9 + 15 - 1], "T");  // (10,16), hidden in a new game
  EXPECT_EQ(L[2005 + 50 * 5 + 19 - 1], "F");  // (6,20) shown
  EXPECT_EQ(L[2005 + 50 * 1 + 49 - 1], "T");  // (2,50)
  EXPECT_EQ(L[3004], "3");
  EXPECT_EQ(L[3007], "12");
  EXPECT_EQ(L[3008], "0");
  EXPECT_EQ(L[3017], "4");
  // The save closes the inventory and confirms.
  EXPECT_EQ(G.F().InventoryOpen, 0);
  G.Frame();
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Peli tallennettu."});
  // Saving again keeps only the second save.
  G.F().PukkiX = 5;
  G.F().SaveGame();
  EXPECT_EQ(SplitCrLf(ReadFile("savegame.dat")).size(), 3018u);
  EXPECT_EQ(SplitCrLf(ReadFile("savegame.dat"))[1], "5");
}

TEST(SaveFile, SaveThenLoadGivesEverythingBackWithPukkiStanding) {
  StoryGame G;
  Arrange(G);
  G.F().SaveGame();
  const State Saved = State::Of(G.F());
  G.Click();

  // Change everything the file holds, and start a walk.
  G.Enter(1);
  G.F().PukkiX = 10;
  G.F().PukkiY = 20;
  G.F().PukkiTargetX = 200;
  G.F().WalkDone = 0;
  G.F().PukkiDirection = 2;
  G.Flag(6, 8, false);
  G.Flag(1, 1);
  G.F().HotspotHidden[6][20] = 1;
  G.F().RemoveItem(9);
  G.F().AddItem(5);
  G.F().InventoryOpen = 1;
  G.F().ItemInHand = 1;

  G.ForgetSaid();
  G.F().LoadGame();
  EXPECT_EQ(State::Of(G.F()).Flags, Saved.Flags);
  EXPECT_EQ(State::Of(G.F()).Hidden, Saved.Hidden);
  EXPECT_EQ(G.F().Inventory, Saved.Items);
  EXPECT_EQ(G.F().InventoryCount, 4);
  EXPECT_EQ(G.F().CurrentScene, 6);
  EXPECT_EQ(G.F().PukkiX, 77);
  EXPECT_EQ(G.F().PukkiY, 66);
  EXPECT_EQ(G.F().PukkiTargetX, 77);
  EXPECT_EQ(G.F().PukkiTargetY, 66);
  EXPECT_EQ(G.F().PukkiDirection, 7);
  EXPECT_EQ(G.F().WalkDone, 1);
  EXPECT_EQ(G.F().InventoryOpen, 0);
  EXPECT_EQ(G.F().ItemInHand, 0);
  G.Run(200);
  EXPECT_EQ(G.F().PukkiX, 77);  // he stands
  EXPECT_EQ(G.Said(), std::vector<std::string>{"Peli ladattu."});
}

TEST(SaveFile, LoadWithoutASaveSaysSoForSixSecondsAndChangesNothing) {
  StoryGame G;
  Arrange(G);
  G.F().InventoryOpen = 1;
  G.F().ItemInHand = 1;
  G.F().UseItemIdle = 0;
  State Before = State::Of(G.F());
  G.F().LoadGame();
  EXPECT_EQ(G.F().InventoryOpen, 0);
  EXPECT_EQ(G.F().ItemInHand, 0);
  EXPECT_EQ(G.F().UseItemIdle, 1);
  EXPECT_EQ(G.F().SpeechActive, 1);
  EXPECT_EQ(
      support::SpeechText(G.F().CurrentSpeech),
      "Ethän sää oo tallentanu peliä / kertaakaan. Miten kuvittelet / että pystyis lataan??.");
  EXPECT_EQ(G.F().Timer3->Interval(), 6000u);
  Before.InventoryOpen = 0;
  Before.ItemInHand = 0;
  Before.SpeechActive = 1;
  EXPECT_EQ(State::Of(G.F()), Before);
}

TEST(SaveFile, FlagTextsOnlyExactlyTIsSet) {
  StoryGame G;
  EXPECT_TRUE(G.F().S2B("T"));
  for (const char* Text : {"t", "T ", "F", "", " T", "TT"}) EXPECT_FALSE(G.F().S2B(Text)) << Text;
  EXPECT_EQ(G.F().B2C(0), 'F');
  EXPECT_EQ(G.F().B2C(1), 'T');
  EXPECT_EQ(G.F().B2C(200), 'T');

  // In a file: a lower-case t and a T with a blank load as clear.
  Arrange(G);
  G.F().SaveGame();
  std::vector<std::string> L = SplitCrLf(ReadFile("savegame.dat"));
  L[5 + 100 * 5 + 7 - 1] = "t";
  L[5 + 100 * 19 + 0 - 1] = "T ";  // [20][1]
  WriteFile("savegame.dat", JoinCrLf(L));
  G.F().LoadGame();
  EXPECT_FALSE(G.IsFlag(6, 8));
  EXPECT_FALSE(G.IsFlag(20, 1));
  EXPECT_TRUE(G.IsFlag(13, 100));
}

TEST(SaveFile, InterruptedSaveLeavesThePreviousFileWhole) {
  StoryGame G;
  Arrange(G);
  G.F().SaveGame();
  G.Click();
  const std::string Before = ReadFile("savegame.dat");

  // The disk fills up halfway through the next save.
  G.F().PukkiX = 123;
  G.F().InventoryOpen = 1;
  rlimit Old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &Old), 0);
  auto OldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit Small = Old;
  Small.rlim_cur = 4000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Small), 0);
  bool Threw = false;
  std::string Message;
  try {
    G.F().SaveGame();
  } catch (const EInOutError& E) {
    Threw = true;
    Message = E.what();
  }
  setrlimit(RLIMIT_FSIZE, &Old);
  std::signal(SIGXFSZ, OldHandler);

  EXPECT_TRUE(Threw);
  EXPECT_NE(Message.find("savegame.dat"), std::string::npos) << Message;
  EXPECT_EQ(ReadFile("savegame.dat"), Before);
  // Nothing is left behind beside it, and the failed save says nothing.
  int Files = 0;
  for (const auto& E : std::filesystem::directory_iterator(G.Dir())) Files += E.is_regular_file();
  EXPECT_EQ(Files, 1);
  EXPECT_EQ(G.F().SpeechActive, 0);
  EXPECT_EQ(G.F().InventoryOpen, 1);
}

TEST(SaveFile, BrokenFilesAreRefusedAndTheGameStaysAsItWas) {
  StoryGame G;
  Arrange(G);
  G.F().SaveGame();
  G.Click();
  const std::vector<std::string> Good = SplitCrLf(ReadFile("savegame.dat"));

  // The game as it stands now differs from the file.
  G.Enter(1);
  G.F().PukkiX = G.F().PukkiTargetX = 40;
  G.Flag(1, 1);
  G.F().RemoveItem(12);
  G.F().InventoryOpen = 1;

  struct Broken {
    const char* What;
    std::size_t Line;  // 1-based; 0: cut the file
    std::string Text;
  };
  const std::vector<Broken> Cases = {
      {"cut short", 0, ""},
      {"x not a number", 2, "12a"},
      {"x empty", 2, ""},
      {"y with a trailing blank", 3, "66 "},
      {"direction 8", 1, "8"},
      {"direction negative", 1, "-1"},
      {"scene 0", 4, "0"},
      {"scene 14", 4, "14"},
      {"x off the screen", 2, "400"},
      {"y off the screen", 3, "-300"},
      {"item 14", 3005, "14"},
      {"count 14", 3018, "14"},
      {"count not a number", 3018, "T"},
      {"empty carried entry", 3006, "0"},
      {"huge number", 2, "99999999999999999999"},
  };
  for (const Broken& C : Cases) {
    std::vector<std::string> L = Good;
    if (C.Line == 0) {
      L.resize(3000);
    } else {
      L[C.Line - 1] = C.Text;
    }
    WriteFile("savegame.dat", JoinCrLf(L));
    const State Before = State::Of(G.F());
    std::string Message;
    try {
      G.F().LoadGame();
    } catch (const EInOutError& E) {
      Message = E.what();
    }
    EXPECT_NE(Message.find("savegame.dat"), std::string::npos) << C.What << ": " << Message;
    if (C.Line != 0) {
      EXPECT_NE(Message.find("line " + std::to_string(C.Line)), std::string::npos)
          << C.What << ": " << Message;
    }
    EXPECT_EQ(State::Of(G.F()), Before) << C.What;
    EXPECT_EQ(G.F().CurrentScene, 1) << C.What;
  }

  // A good file with a megabyte of blank lines after it is not read at all.
  {
    const State Before = State::Of(G.F());
    WriteFile("savegame.dat", JoinCrLf(Good) + std::string(1 << 20, '\n'));
    std::string Message;
    try {
      G.F().LoadGame();
    } catch (const EInOutError& E) {
      Message = E.what();
    }
    EXPECT_NE(Message.find("savegame.dat: the file is larger than 1 MiB"), std::string::npos)
        << Message;
    EXPECT_EQ(State::Of(G.F()), Before);
  }

  // The good file still loads.
  WriteFile("savegame.dat", JoinCrLf(Good));
  G.F().LoadGame();
  EXPECT_EQ(G.F().CurrentScene, 6);
  EXPECT_TRUE(G.F().IsItem(12));
}

TEST(Quit, ClosesTheFormAtOnce) {
  StoryGame G;
  G.F().QuitGame();
  EXPECT_TRUE(G.F().Closed());
  EXPECT_EQ(G.F().SpeechActive, 0);  // no confirmation
  EXPECT_EQ(G.F().TextLineSurface, nullptr);
  EXPECT_EQ(G.F().SceneBackground, nullptr);
  EXPECT_EQ(G.F().PukkiFrames[3][30], nullptr);
}

namespace {

// A puzzle state in which no two flags, hidden hotspots or inventory entries are alike by
// position, so that any other order of the lines shows.
struct TPattern {
  int Seed;
  bool Flag(int S, int K) const { return (S * 7 + K * 3 + Seed) % 5 == 0; }
  bool Hidden(int S, int H) const { return (S * 3 + H * 5 + Seed) % 7 < 2; }
  int Item(int N) const { return (N * 5 + Seed) % 13 + 1; }
  int Count() const { return 3 + Seed % 9; }
};

// The file of a pattern as the table of the save file lays it out, line by line.
std::vector<std::string> FileOf(const TPattern& P, int Direction, int X, int Y, int Scene) {
  std::vector<std::string> L(3018);
  L[0] = std::to_string(Direction);
  L[1] = std::to_string(X);
  L[2] = std::to_string(Y);
  L[3] = std::to_string(Scene);
  for (int S = 1; S <= 20; ++S)
    for (int K = 1; K <= 100; ++K) L[5 + 100 * (S - 1) + (K - 1) - 1] = P.Flag(S, K) ? "T" : "F";
  for (int S = 1; S <= 20; ++S)
    for (int H = 1; H <= 50; ++H) L[2005 + 50 * (S - 1) + (H - 1) - 1] = P.Hidden(S, H) ? "T" : "F";
  for (int N = 1; N <= 13; ++N) L[3005 + N - 1 - 1] = std::to_string(P.Item(N));
  L[3018 - 1] = std::to_string(P.Count());
  return L;
}

}  // namespace

TEST(SaveFile, EveryLineWrittenAndReadInTheTablesOrder) {
  StoryGame G;
  G.Enter(9);
  const TPattern Saved{1};
  for (int S = 1; S <= 20; ++S) {
    for (int K = 1; K <= 100; ++K) G.F().SceneFlags[S][K] = Saved.Flag(S, K) ? 1 : 0;
    for (int H = 1; H <= 50; ++H) G.F().HotspotHidden[S][H] = Saved.Hidden(S, H) ? 1 : 0;
  }
  for (int N = 1; N <= 13; ++N) G.F().Inventory[N] = static_cast<std::uint16_t>(Saved.Item(N));
  G.F().InventoryCount = static_cast<std::uint16_t>(Saved.Count());
  G.F().PukkiX = G.F().PukkiTargetX = 123;
  G.F().PukkiY = G.F().PukkiTargetY = 45;
  G.F().PukkiDirection = 5;
  G.F().SaveGame();
  EXPECT_EQ(SplitCrLf(ReadFile("savegame.dat")), FileOf(Saved, 5, 123, 45, 9));

  // Another pattern written by hand is read back into the same places.
  const TPattern Loaded{4};
  WriteFile("savegame.dat", JoinCrLf(FileOf(Loaded, 3, 61, 72, 13)));
  G.Click();
  G.F().LoadGame();
  EXPECT_EQ(G.F().PukkiDirection, 3);
  EXPECT_EQ(G.F().PukkiX, 61);
  EXPECT_EQ(G.F().PukkiY, 72);
  EXPECT_EQ(G.F().CurrentScene, 13);
  int Wrong = 0;
  for (int S = 1; S <= 20; ++S) {
    for (int K = 1; K <= 100; ++K) Wrong += G.F().SceneFlags[S][K] != (Loaded.Flag(S, K) ? 1 : 0);
    for (int H = 1; H <= 50; ++H)
      Wrong += G.F().HotspotHidden[S][H] != (Loaded.Hidden(S, H) ? 1 : 0);
  }
  EXPECT_EQ(Wrong, 0);
  for (int N = 1; N <= 13; ++N) EXPECT_EQ(G.F().Inventory[N], Loaded.Item(N)) << "entry " << N;
  EXPECT_EQ(G.F().InventoryCount, Loaded.Count());
}
