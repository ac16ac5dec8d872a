#include "platform/Timers.h"

#include "platform/Application.h"
#include "platform/Clock.h"

TTimer::TTimer(TComponent* Owner) : TComponent(Owner) {
  Restart();
  Application->AddTimerSource(this);
}

TTimer::~TTimer() {
  Application->RemoveTimerSource(this);
}

void TTimer::Restart() {
  deadline_ = timeGetTime() + interval_;
}

bool TTimer::Running() const {
  return enabled_ && interval_ > 0;
}

void TTimer::SetInterval(std::uint32_t Value) {
  if (Value == interval_) return;
  interval_ = Value;
  if (enabled_) Restart();
}

void TTimer::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  if (enabled_) Restart();
}

void TTimer::PollTimer() {
  if (!Running()) return;
  const std::uint32_t now = timeGetTime();
  if (!vornu::ClockReached(now, deadline_)) return;
  // Late firings do not pile up: the next countdown starts now.
  deadline_ = now + interval_;
  if (OnTimer) OnTimer(this);
}

long TTimer::MsUntilDue() const {
  if (!Running()) return -1;
  const std::int32_t left = vornu::ClockDiff(deadline_, timeGetTime());
  return left < 0 ? 0 : left;
}
