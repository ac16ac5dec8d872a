// Window timers: fired from the application loop on the main thread by the current clock.
#pragma once

#include <cstdint>

#include "platform/Classes.h"
#include "platform/TimerSource.h"

// A window timer. Setting the interval it already has, or enabling it while enabled, changes
// nothing; a new interval or enabling a stopped timer starts the countdown afresh. It fires
// at most once per due time (late firings do not pile up) and repeats until disabled.
// Interval 0 never fires. Defaults: Interval 1000, Enabled true.
class TTimer : public TComponent, public TTimerSource {
 public:
  explicit TTimer(TComponent* Owner = nullptr);
  ~TTimer() override;

  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  TNotifyEvent OnTimer;

  // Fires OnTimer when the countdown has run out by the current clock.
  void PollTimer() override;
  long MsUntilDue() const override;
  // The clock reading at which it fires next (meaningful while it runs).
  std::uint32_t Deadline() const { return deadline_; }
  // Whether it is counting down (enabled and interval above 0).
  bool Running() const;

 private:
  void Restart();
  std::uint32_t interval_ = 1000;
  bool enabled_ = true;
  std::uint32_t deadline_ = 0;
};
