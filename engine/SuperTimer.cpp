#include "engine/SuperTimer.h"

#include <chrono>

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Threads.h"

int ThreadPriorityValue(TThreadPriority Priority) {
  switch (Priority) {
    case tpIdle:
      return -15;
    case tpLowest:
      return -2;
    case tpLower:
      return -1;
    case tpNormal:
      return 0;
    case tpHigher:
      return 1;
    case tpHighest:
      return 2;
    case tpTimeCritical:
      return 15;
  }
  return 0;
}

namespace {

// Spinning on the clock is kept to the last stretch before a tick: sleeping that close to
// the deadline would risk waking late, spinning any longer only burns a core. The clock counts
// whole milliseconds, so a wake-up a little late still reads the tick's own millisecond; a
// quarter of one covers a loaded machine's usual wake-up delay and costs a game standing still
// a fifth of what a whole millisecond did.
constexpr auto kSpin = std::chrono::microseconds(250);

std::uint32_t Reading() {
  return timeGetTime();
}

}  // namespace

// ---- Worker ----

TTimerThread::TTimerThread(TSuperTimer& Timer) : timer_(Timer), thread_([this] { Execute(); }) {}

TTimerThread::~TTimerThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  // The worker may be waiting for the main thread (this one) to run its tick.
  Application->WakeSynchronized();
  if (thread_.joinable()) thread_.join();
}

void TTimerThread::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    suspended_ = false;
  }
  wake_.notify_all();
}

void TTimerThread::Suspend() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    suspended_ = true;
  }
  wake_.notify_all();
}

void TTimerThread::Locked(const std::function<void()>& Update) {
  std::lock_guard<std::mutex> lock(mutex_);
  Update();
}

void TTimerThread::SetPriority(TThreadPriority Priority) {
  // Applied from this thread: a parked worker would only see it when next enabled.
  std::lock_guard<std::mutex> lock(priorityMutex_);
  priority_ = ThreadPriorityValue(Priority);
  if (tid_ != 0) vornu::SetThreadPriority(tid_, priority_);
}

long TTimerThread::ThreadId() {
  std::unique_lock<std::mutex> lock(priorityMutex_);
  started_.wait(lock, [&] { return tid_ != 0; });
  return tid_;
}

void TTimerThread::Execute() {
  {
    std::lock_guard<std::mutex> lock(priorityMutex_);
    tid_ = vornu::CurrentThreadId();
    // Whatever was set before the thread ran.
    if (priority_ != 0) vornu::SetThreadPriority(tid_, priority_);
  }
  started_.notify_all();
  while (!stop_) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [&] { return stop_ || (!suspended_ && timer_.Interval() > 0); });
    if (stop_) break;
    // Sleep to an absolute deadline a little before the tick, then spin the rest.
    const std::uint32_t next = timer_.NextTick();
    const auto due = vornu::RealClockInstant(next);
    const bool parked = wake_.wait_until(lock, due - kSpin, [&] {
      return stop_ || suspended_ || timer_.NextTick() != next || timer_.Interval() == 0;
    });
    if (stop_) break;
    if (parked) continue;  // disabled or rescheduled meanwhile: start over
    lock.unlock();
    std::uint32_t now = Reading();
    while (!vornu::ClockReached(now, timer_.NextTick()) && !suspended_ && !stop_) {
      now = Reading();
    }
    lock.lock();
    if (suspended_ || stop_ || timer_.Interval() == 0) continue;
    if (!vornu::ClockReached(now, timer_.NextTick())) continue;
    timer_.TakeTick(now);
    lock.unlock();
    Application->Synchronize(
        [this] {
          // Disabled between the reading and now: no tick while disabled.
          if (timer_.Enabled()) timer_.DoTimer();
        },
        stop_);
  }
}

// ---- Timer ----

TSuperTimer::TSuperTimer(TComponent* Owner) : TComponent(Owner) {
  // Where there are no threads (the browser) the loop takes the ticks, as under a manual clock.
  if (vornu::CurrentClock().IsManual() || !TApplication::HasThreads()) {
    Application->AddTimerSource(this);
  } else {
    thread_ = std::make_unique<TTimerThread>(*this);
    thread_->SetPriority(priority_);
  }
}

TSuperTimer::~TSuperTimer() {
  SetEnabled(false);
  thread_.reset();
  Application->RemoveTimerSource(this);
}

void TSuperTimer::SetEnabled(bool Value) {
  if (Value == enabled_.load()) return;
  if (Value) {
    auto start = [this] {
      startElapsed_ = elapsed_.load();
      startTime_ = Reading();
      nextTick_ = startTime_.load() + interval_.load();
      enabled_ = true;
    };
    if (thread_) {
      thread_->Locked(start);
      thread_->Resume();
    } else {
      start();
    }
  } else {
    enabled_ = false;
    if (thread_) thread_->Suspend();
  }
}

void TSuperTimer::SetInterval(std::uint16_t Value) {
  if (Value == interval_.load()) return;
  if (Value == 0) SetEnabled(false);
  if (thread_) {
    thread_->Locked([&] { interval_ = Value; });
    if (enabled_) thread_->Resume();  // wakes a worker that waited for a non-zero interval
  } else {
    interval_ = Value;
  }
}

void TSuperTimer::SetThreadPriority(TThreadPriority Value) {
  if (Value == priority_) return;
  priority_ = Value;
  if (thread_) thread_->SetPriority(Value);
}

void TSuperTimer::SetCountDown(bool Value) {
  if (Value == countDown_.load()) return;
  auto turn = [&] {
    countDown_ = Value;
    if (enabled_) {
      startTime_ = Reading();
      startElapsed_ = elapsed_.load();
    }
  };
  if (thread_) {
    thread_->Locked(turn);
  } else {
    turn();
  }
}

std::int32_t TSuperTimer::Ticks() const {
  const std::uint16_t interval = interval_.load();
  // An OnTimer handler may have set Interval to 0 just before the stop test reads this.
  if (interval == 0) return 0;
  return elapsed_.load() / static_cast<std::int32_t>(interval);
}

void TSuperTimer::TakeTick(std::uint32_t Now) {
  nextTick_ = Now + interval_.load();
  // Unsigned, so that neither the clock's wrap nor a count running for weeks overflows.
  const std::uint32_t run = Now - startTime_.load();
  const auto start = static_cast<std::uint32_t>(startElapsed_.load());
  elapsed_ = static_cast<std::int32_t>(countDown_ ? start - run : start + run);
}

void TSuperTimer::DoTimer() {
  if (OnTimer) OnTimer(this);
  bool running;
  if (countDown_) {
    running = Ticks() > stopTicks_ && elapsed_ > 0;
  } else {
    running = Ticks() < stopTicks_ || stopTicks_ <= 0;
  }
  if (running) return;
  SetEnabled(false);
  if (OnStop) OnStop(this);
}

bool TSuperTimer::DeliverDueTick() {
  if (!enabled_ || interval_ == 0) return false;
  const std::uint32_t now = Reading();
  if (!vornu::ClockReached(now, nextTick_.load())) return false;
  TakeTick(now);
  DoTimer();
  return true;
}

void TSuperTimer::PollTimer() {
  if (!thread_) DeliverDueTick();
}
