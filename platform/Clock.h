// The millisecond clock every timer reads: real time in the game, a hand-driven clock in tests.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace vornu {

// A millisecond counter that wraps at 2^32 (after 49.7 days); readings are compared only
// through ClockDiff, never directly.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start.
  virtual std::uint32_t Now() const = 0;
  // True for a clock that only moves when told; timers then run without threads.
  virtual bool IsManual() const = 0;
};

// Monotonic real time.
class RealClock final : public Clock {
 public:
  std::uint32_t Now() const override;
  bool IsManual() const override { return false; }
};

// A clock that stands still until Advance or Set; safe to read from any thread.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(std::uint32_t Start = 1000) : now_(Start) {}
  std::uint32_t Now() const override { return now_.load(); }
  bool IsManual() const override { return true; }
  // Moves the clock forward by Ms milliseconds.
  void Advance(std::uint32_t Ms) { now_.fetch_add(Ms); }
  // Sets the reading.
  void Set(std::uint32_t Ms) { now_.store(Ms); }

 private:
  std::atomic<std::uint32_t> now_;
};

// Later - Earlier in milliseconds, right across the wrap as long as the two readings lie
// less than 24.8 days apart (negative: Later comes first).
constexpr std::int32_t ClockDiff(std::uint32_t Later, std::uint32_t Earlier) {
  return static_cast<std::int32_t>(Later - Earlier);
}

// Whether the clock reading Now has reached Deadline.
constexpr bool ClockReached(std::uint32_t Now, std::uint32_t Deadline) {
  return ClockDiff(Now, Deadline) >= 0;
}

// The steady-clock instant at which the real clock reads Ms (the nearest such instant).
std::chrono::steady_clock::time_point RealClockInstant(std::uint32_t Ms);

// The clock in use (the real one unless a test installed another).
Clock& CurrentClock();
// Installs Clock as the current clock; nullptr restores the real one. Install before creating
// timers: a frame timer decides at creation whether it needs a worker thread.
void SetClock(Clock* Clock);

// Scoped installation of a manual clock, for tests.
class ManualClockScope {
 public:
  explicit ManualClockScope(std::uint32_t Start = 1000) : clock_(Start) { SetClock(&clock_); }
  ~ManualClockScope() { SetClock(nullptr); }
  ManualClockScope(const ManualClockScope&) = delete;
  ManualClockScope& operator=(const ManualClockScope&) = delete;
  ManualClock& clock() { return clock_; }

 private:
  ManualClock clock_;
};

}  // namespace vornu

// The current clock's reading in milliseconds.
inline std::uint32_t timeGetTime() { return vornu::CurrentClock().Now(); }
