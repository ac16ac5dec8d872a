// The monkey: the whole game played by a seeded random player that checks the game's
// invariants after every input, for the short run of the tests and the long runs of `make monkey`.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>

namespace monkey {

struct Options {
  std::uint64_t Seed = 1;
  long Inputs = 20000;
  // The built game directory (scenes/, sprites/, items/, music/).
  std::filesystem::path Data;
  // Every input from this index on is printed with the state after it (-1: none).
  long TraceFrom = -1;
  // How many of the last inputs a failure shows.
  std::size_t Remember = 60;
  // A progress line every so many inputs (0: none), through Progress.
  long ProgressEvery = 0;
  std::function<void(const std::string&)> Progress;
  // The command that replays a run, shown with a failure; the seed and counts are appended.
  std::string ReplayCommand = "vornu-monkey";
};

// What a run saw.
struct Figures {
  long Inputs = 0;
  std::uint64_t GameMs = 0;
  int Games = 0;    // games started (a new form each)
  int Credits = 0;  // games played to the credits and closed by the last key
  int Quits = 0;    // games left by the quit button
  long SaveLoadChecks = 0;
  long Speeches = 0;
  std::set<int> Scenes;                 // scenes shown
  std::set<std::pair<int, int>> Flags;  // scene flags seen set, [scene][flag]
  std::set<int> Items;                  // items carried at some time
  std::uint32_t LongestScriptMs = 0;    // longest run of a pending or running scene action
  std::uint32_t LongestHiddenMs = 0;    // longest run of a hidden pointer
  double WallSeconds = 0;
};

struct Result {
  bool Passed = true;
  // What failed, the seed, the state and the last inputs; empty when the run passed.
  std::string Failure;
  Figures Seen;
};

// Plays Options.Inputs inputs (new games as the old ones end) and checks after each.
Result Run(const Options& Options);

// The figures as a few printable lines.
std::string Summary(const Figures& Seen, std::uint64_t Seed);

}  // namespace monkey
