// vornu-monkey: the whole game on the built data, played by the seeded random player for as
// many inputs as asked, headless; every input is followed by the check of the invariants.
//
//   vornu-monkey [--inputs N] [--seed S] [--trace K] [--progress N] GAME_DIR
//
// Without --seed a seed is drawn and printed. A failure prints the seed, the state, the last
// inputs and the command that replays them; --trace K prints every input from index K on.
// Exits 0 when every invariant held, 1 when one failed, 2 on a wrong command line.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tests/monkey/driver/Monkey.h"

namespace {

int Usage(const char* Program) {
  std::fprintf(stderr, "usage: %s [--inputs N] [--seed S] [--trace K] [--progress N] GAME_DIR\n",
               Program);
  return 2;
}

bool Number(const char* Text, long long& Value) {
  char* End = nullptr;
  errno = 0;
  Value = std::strtoll(Text, &End, 10);
  return errno == 0 && End != Text && *End == '\0' && Value >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  monkey::Options O;
  O.Inputs = 1000000;
  bool SeedGiven = false;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    long long V = 0;
    if ((A == "--inputs" || A == "--seed" || A == "--trace" || A == "--progress") && I + 1 < argc) {
      if (!Number(argv[++I], V)) return Usage(argv[0]);
      if (A == "--inputs") O.Inputs = static_cast<long>(V);
      if (A == "--seed") O.Seed = static_cast<std::uint64_t>(V), SeedGiven = true;
      if (A == "--trace") O.TraceFrom = static_cast<long>(V);
      if (A == "--progress") O.ProgressEvery = static_cast<long>(V);
    } else if (!A.empty() && A[0] != '-' && O.Data.empty()) {
      O.Data = A;
    } else {
      return Usage(argv[0]);
    }
  }
  if (O.Data.empty()) return Usage(argv[0]);
  if (!SeedGiven) O.Seed = std::random_device{}() % 1000000000u;
  O.Data = std::filesystem::absolute(O.Data);
  O.ReplayCommand = std::string(argv[0]) + " " + O.Data.string();
  O.Progress = [](const std::string& Line) { std::fprintf(stderr, "%s", Line.c_str()); };
  // Headless: no window and no sound card, whatever the desktop offers.
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  // Ctrl+C and kill stop the run (SDL would turn them into a quit event nobody reads).
  ::setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);

  std::printf("monkey: seed %llu, %ld inputs on %s\n", static_cast<unsigned long long>(O.Seed),
              O.Inputs, O.Data.c_str());
  std::fflush(stdout);
  const monkey::Result R = monkey::Run(O);
  std::printf("%s", monkey::Summary(R.Seen, O.Seed).c_str());
  if (!R.Passed) {
    std::printf("%s", R.Failure.c_str());
    return 1;
  }
  std::printf("monkey: every invariant held\n");
  return 0;
}
