// Speed of the game core on the real data: a busy game-view frame, loading a scene, start-up.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "engine/GX.h"
#include "tests/support/HeadlessGame.h"

namespace {

namespace fs = std::filesystem;
using support::TGame;

// A started game past the opening pictures on the real game folder (another may be named, for
// instance while the real data is being built); null, with the reason, when it cannot start.
std::unique_ptr<TGame> StartGame(benchmark::State& State, const std::string& NeededFile) {
  const char* Other = std::getenv("VORNU_BENCH_GAME_DIR");
  const fs::path Dir = Other != nullptr ? fs::path(Other) : fs::path(VORNU_GAME_DIR);
  if (!fs::exists(Dir / NeededFile)) {
    State.SkipWithError(("the game data is not built: " + (Dir / NeededFile).string()).c_str());
    return nullptr;
  }
  auto G = std::make_unique<TGame>(Dir);
  if (!G->F().StartupError.empty()) {
    State.SkipWithError(G->F().StartupError.c_str());
    return nullptr;
  }
  G->F().IntroActive = 0;
  return G;
}

// Scene 6, Pukki walking to and fro with the nose peg on, the pointer over a hotspot.
std::unique_ptr<TGame> BusyScene6(benchmark::State& State) {
  auto G = StartGame(State, "scenes/scene6.obj");
  if (!G) return nullptr;
  TForm1* F = &G->F();
  F->LoadScene(6);
  F->SceneFlags[6][6] = 1;
  // The pointer over the first named hotspot of the map.
  for (int X = 1; X <= 320 && F->MouseX == 0; ++X) {
    for (int Y = 1; Y <= 200; ++Y) {
      const std::uint8_t H = F->HotspotMap[X][Y];
      if (H != 0 && H != 255 && !F->HotspotIsHidden(6, H)) {
        F->FormMouseMove(nullptr, 0, 2 * X, 2 * Y);
        break;
      }
    }
  }
  return G;
}

// Keeps Pukki walking between two floor points on his row.
void KeepWalking(TForm1& F) {
  F.FrameTick = 1;
  if (F.WalkDone == 1 && F.PukkiX == F.PukkiTargetX && F.PukkiY == F.PukkiTargetY) {
    F.PukkiTargetX = F.PukkiX > 150 ? 60 : 240;
    F.WalkDone = 0;
  }
}

SayStr NineLines() {
  SayStr S;
  S.LineCount = 9;
  for (int I = 1; I <= 9; ++I)
    S.Lines[I] = "Tama on puherivi numero " + std::to_string(I) + " ja vahan lisaa";
  return S;
}

void BM_Scene6FrameWithSpeech(benchmark::State& State) {
  auto G = BusyScene6(State);
  if (!G) return;
  TForm1* F = &G->F();
  F->PukkiSay(NineLines());
  for (auto _ : State) {
    KeepWalking(*F);
    F->GXScreen1Flip(nullptr);
  }
  if (F->SpeechActive != 1) State.SkipWithError("the speech was not on screen");
}
BENCHMARK(BM_Scene6FrameWithSpeech)->Unit(benchmark::kMicrosecond);

void BM_Scene6FrameWithPointerText(benchmark::State& State) {
  auto G = BusyScene6(State);
  if (!G) return;
  TForm1* F = &G->F();
  for (auto _ : State) {
    KeepWalking(*F);
    F->GXScreen1Flip(nullptr);
  }
}
BENCHMARK(BM_Scene6FrameWithPointerText)->Unit(benchmark::kMicrosecond);

void BM_LoadScene13(benchmark::State& State) {
  auto G = StartGame(State, "scenes/scene13.obj");
  if (!G) return;
  TForm1* F = &G->F();
  F->LoadScene(13);  // from here on the music is not touched
  for (auto _ : State) F->LoadScene(13);
}
BENCHMARK(BM_LoadScene13)->Unit(benchmark::kMillisecond);

void BM_GXScreen1Initialize(benchmark::State& State) {
  auto G = StartGame(State, "items/items.txt");
  if (!G) return;
  TForm1* F = &G->F();
  for (auto _ : State) {
    F->GXScreen1Initialize(nullptr);
    if (!F->StartupError.empty()) {
      State.SkipWithError(F->StartupError.c_str());
      break;
    }
  }
}
BENCHMARK(BM_GXScreen1Initialize)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
