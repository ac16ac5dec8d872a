// Speed of the game core on the real data: a busy game-view frame, loading a scene, start-up.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/GX.h"
#include "game/Unit1.h"
#include "platform/Clock.h"
#include "platform/Forms.h"

namespace {

namespace fs = std::filesystem;

// The real game directory with the headless drivers; false (with the reason) if unusable.
bool EnterGameDir(benchmark::State& State, const std::string& NeededFile) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  // Another game directory may be named (for instance while the real data is being built).
  const char* Other = std::getenv("VORNU_BENCH_GAME_DIR");
  const fs::path Dir = Other != nullptr ? fs::path(Other) : fs::path(VORNU_GAME_DIR);
  if (!fs::exists(Dir / NeededFile)) {
    State.SkipWithError(("the game data is not built: " + (Dir / NeededFile).string()).c_str());
    return false;
  }
  fs::current_path(Dir);
  static bool Initialized = false;
  if (!Initialized) {
    Application->Initialize();
    Initialized = true;
  }
  return true;
}

// A started game past the opening pictures; null (with the reason) when start-up failed.
std::unique_ptr<TForm1> StartGame(benchmark::State& State) {
  auto Form = std::make_unique<TForm1>(TForm1Settings{});
  Application->SetMainForm(Form.get());
  if (!Form->StartupError.empty()) {
    State.SkipWithError(Form->StartupError.c_str());
    return nullptr;
  }
  Form->IntroActive = 0;
  return Form;
}

// Scene 6, Pukki walking to and fro with the nose peg on, the pointer over a hotspot.
std::unique_ptr<TForm1> BusyScene6(benchmark::State& State) {
  auto F = StartGame(State);
  if (!F) return nullptr;
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
  return F;
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
  if (!EnterGameDir(State, "scenes/scene6.obj")) return;
  vornu::ManualClockScope Clock;
  auto F = BusyScene6(State);
  if (!F) return;
  F->PukkiSay(NineLines());
  for (auto _ : State) {
    KeepWalking(*F);
    F->GXScreen1Flip(nullptr);
  }
  if (F->SpeechActive != 1) State.SkipWithError("the speech was not on screen");
}
BENCHMARK(BM_Scene6FrameWithSpeech)->Unit(benchmark::kMicrosecond);

void BM_Scene6FrameWithPointerText(benchmark::State& State) {
  if (!EnterGameDir(State, "scenes/scene6.obj")) return;
  vornu::ManualClockScope Clock;
  auto F = BusyScene6(State);
  if (!F) return;
  for (auto _ : State) {
    KeepWalking(*F);
    F->GXScreen1Flip(nullptr);
  }
}
BENCHMARK(BM_Scene6FrameWithPointerText)->Unit(benchmark::kMicrosecond);

void BM_LoadScene13(benchmark::State& State) {
  if (!EnterGameDir(State, "scenes/scene13.obj")) return;
  vornu::ManualClockScope Clock;
  auto F = StartGame(State);
  if (!F) return;
  F->LoadScene(13);  // from here on the music is not touched
  for (auto _ : State) F->LoadScene(13);
}
BENCHMARK(BM_LoadScene13)->Unit(benchmark::kMillisecond);

void BM_GXScreen1Initialize(benchmark::State& State) {
  if (!EnterGameDir(State, "items/items.txt")) return;
  vornu::ManualClockScope Clock;
  auto F = StartGame(State);
  if (!F) return;
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
