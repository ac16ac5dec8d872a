// What the application loop polls for due timer firings; timers implement it.
#pragma once

// Something the loop polls for due timer firings on the main thread.
class TTimerSource {
 public:
  virtual ~TTimerSource() = default;
  // Fires what is due by the current clock.
  virtual void PollTimer() = 0;
  // Milliseconds until something may be due; negative when nothing is scheduled.
  virtual long MsUntilDue() const { return -1; }
};
