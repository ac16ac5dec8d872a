#include "platform/Clock.h"

#include <chrono>

namespace vornu {
namespace {

const auto kEpoch = std::chrono::steady_clock::now();
RealClock gReal;
std::atomic<Clock*> gCurrent{nullptr};

}  // namespace

std::uint32_t RealClock::Now() const {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - kEpoch);
  // Start at 1000 so that early readings minus an interval stay positive.
  return static_cast<std::uint32_t>(ms.count() + 1000);
}

std::chrono::steady_clock::time_point RealClockInstant(std::uint32_t Ms) {
  const std::uint32_t now = gReal.Now();
  const std::int32_t delta = ClockDiff(Ms, now);
  const auto nowMs = std::chrono::milliseconds(static_cast<std::int64_t>(now) - 1000);
  return kEpoch + nowMs + std::chrono::milliseconds(delta);
}

Clock& CurrentClock() {
  Clock* c = gCurrent.load();
  return c ? *c : gReal;
}

void SetClock(Clock* C) { gCurrent.store(C); }

}  // namespace vornu
