// The frame timer's accuracy and processor use over 200 ticks of 50 ms.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "engine/SuperTimer.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Forms.h"

namespace {

double CpuSeconds(int Who) {
  rusage u{};
  getrusage(Who, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Lateness is taken in the handler on the main thread: the tick's due instant on the clock to
// the moment the handler runs, so it includes the hand-over to the main thread.
void BM_FrameTimer200TicksOf50ms(benchmark::State& state) {
  std::vector<double> lateMs;
  double cpuShare = 0;
  for (auto _ : state) {
    lateMs.clear();
    TSuperTimer timer;
    timer.SetThreadPriority(tpNormal);
    timer.SetInterval(50);
    std::uint32_t due = 0;
    timer.OnTimer = [&](TObject*) {
      const auto now = std::chrono::steady_clock::now();
      const auto scheduled = vornu::RealClockInstant(due);
      lateMs.push_back(std::chrono::duration<double, std::milli>(now - scheduled).count());
      due = timer.NextTick();
      if (lateMs.size() == 200) {
        timer.SetEnabled(false);
        Application->Terminate();
      }
    };
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    const auto t0 = std::chrono::steady_clock::now();
    timer.SetEnabled(true);
    due = timer.NextTick();
    Application->SetMainForm(nullptr);
    Application->Run();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpuShare = (CpuSeconds(RUSAGE_SELF) - cpu0) / wall * 100.0;
  }
  std::sort(lateMs.begin(), lateMs.end());
  state.counters["ticks"] = static_cast<double>(lateMs.size());
  state.counters["p50_late_ms"] = lateMs[lateMs.size() / 2];
  state.counters["p99_late_ms"] = lateMs[lateMs.size() * 99 / 100 - 1];
  state.counters["max_late_ms"] = lateMs.back();
  state.counters["cpu_pct_of_core"] = cpuShare;
}
BENCHMARK(BM_FrameTimer200TicksOf50ms)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
