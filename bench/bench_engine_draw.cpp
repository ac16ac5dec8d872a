// Frame composition on Back and presentation on the window (software renderer, headless).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/GX.h"
#include "platform/Forms.h"

namespace {

// A sprite whose outer third is the colour key, like Pukki on his background colour.
std::unique_ptr<TGXSurface> Sprite(TGXScreen& Screen) {
  auto s = Screen.CreateSurface(45, 60);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 45; ++x) {
      const bool body = x > 10 && x < 34 && y > 5;
      WritePixel(s->View(), x, y, body ? 0x8000u + static_cast<unsigned>(x * 64 + y) : 0u);
    }
  }
  return s;
}

void BM_Compose320x200With20Sprites(benchmark::State& state) {
  TGXScreen screen(nullptr);
  screen.SetDisplayMode(dm320x200x8);
  screen.SetColorDepth(16);
  auto back = screen.CreateSurface(320, 200);
  auto background = screen.CreateSurface(320, 200);
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) WritePixel(background->View(), x, y, static_cast<unsigned>(x ^ y));
  }
  std::vector<std::unique_ptr<TGXSurface>> sprites;
  for (int i = 0; i < 20; ++i) sprites.push_back(Sprite(screen));
  for (auto _ : state) {
    back->Draw(0, 0, *background, false);
    for (int i = 0; i < 20; ++i) {
      back->Draw((i * 37) % 300 - 10, (i * 23) % 170 - 5, *sprites[i], true);
    }
    benchmark::DoNotOptimize(back->View().Pixels);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Compose320x200With20Sprites)->Unit(benchmark::kMicrosecond);

void BM_Present640x400(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  Application->Initialize();
  TForm form;
  form.BorderStyle = bsNone;
  form.SetDisplay(640, 400, true);
  TGXScreen screen(nullptr);
  screen.SetColorDepth(16);
  auto back = screen.CreateSurface(640, 400);
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 640; ++x) WritePixel(back->View(), x, y, static_cast<unsigned>(x * y));
  }
  for (auto _ : state) form.Present(back->View());
  const TRect out = form.OutputRect();
  state.counters["output_w"] = out.Width();
  state.counters["output_h"] = out.Height();
}
BENCHMARK(BM_Present640x400)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
