// The frame timer: millisecond ticks counted on a worker thread, handled on the main thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Classes.h"
#include "platform/TimerSource.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// The platform priority value of a thread priority (tpIdle -15 .. tpTimeCritical 15).
int ThreadPriorityValue(TThreadPriority Priority);

class TSuperTimer;

// The worker: waits for each tick (sleeping to a deadline, spinning only its last 0.25 ms), then
// has the timer's DoTimer run on the main thread and waits until it has returned.
class TTimerThread {
 public:
  explicit TTimerThread(TSuperTimer& Timer);
  // Stops the thread without further ticks.
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  // Lets the loop run (the timer was enabled).
  void Resume();
  // Parks the loop wherever it is (the timer was disabled); no tick is delivered after it.
  void Suspend();
  // Applies a priority to the thread at once, running or parked (a raise the system refuses
  // leaves it as it was).
  void SetPriority(TThreadPriority Priority);
  // The worker's operating-system thread id; waits until the worker has started.
  long ThreadId();
  // Runs Update under the worker's lock (schedule changes must not cross a tick's reading).
  void Locked(const std::function<void()>& Update);
  // Whether the loop is parked.
  bool Suspended() const { return suspended_.load(); }

 private:
  void Execute();
  TSuperTimer& timer_;
  std::atomic<bool> suspended_{true};
  std::atomic<bool> stop_{false};  // set once, by the destructor
  std::mutex mutex_;
  std::condition_variable wake_;
  std::mutex priorityMutex_;  // guards the three below
  std::condition_variable started_;
  long tid_ = 0;
  int priority_ = 0;
  std::thread thread_;  // last: it starts running once everything above exists
};

// A millisecond timer with an elapsed-time count that can run up or down and stop itself.
// With a manual clock installed at its creation, or where the platform has no threads (the
// browser), it has no thread: Application->ProcessTimers() (or DeliverDueTick) takes the ticks
// that are due, on the main thread at their scheduled times.
class TSuperTimer : public TComponent, public TTimerSource {
 public:
  // Disabled, Interval 1000, StopTicks -1, ThreadPriority tpHigher.
  explicit TSuperTimer(TComponent* Owner = nullptr);
  // Disables the timer and stops the worker.
  ~TSuperTimer() override;

  bool Enabled() const { return enabled_.load(); }
  // Unchanged: nothing. Enabling restarts the count from Elapsed and schedules the next tick
  // Interval from now; disabling parks the worker.
  void SetEnabled(bool Value);
  std::uint16_t Interval() const { return interval_.load(); }
  // Unchanged: nothing; 0 first disables. The tick already scheduled keeps its time.
  void SetInterval(std::uint16_t Value);
  TThreadPriority ThreadPriority() const { return priority_; }
  void SetThreadPriority(TThreadPriority Value);
  bool CountDown() const { return countDown_.load(); }
  // While enabled, restarts the count from Elapsed so that it turns without a jump.
  void SetCountDown(bool Value);
  TNotifyEvent OnTimer;
  TNotifyEvent OnStop;

  // Milliseconds counted; after 24.8 days of counting it wraps round like the clock.
  std::int32_t Elapsed() const { return elapsed_.load(); }
  void SetElapsed(std::int32_t Value) { elapsed_.store(Value); }
  // Whole intervals in Elapsed, rounded toward zero (0 while Interval is 0).
  std::int32_t Ticks() const;
  std::int32_t StopTicks() const { return stopTicks_.load(); }
  void SetStopTicks(std::int32_t Value) { stopTicks_.store(Value); }
  // Clock readings (they wrap at 2^32 like the clock).
  std::uint32_t NextTick() const { return nextTick_.load(); }
  std::uint32_t StartTime() const { return startTime_.load(); }
  std::int32_t StartElapsed() const { return startElapsed_.load(); }
  // Whether ticks come from a worker thread.
  bool Threaded() const { return thread_ != nullptr; }
  // The worker's operating-system thread id, 0 without a worker.
  long WorkerThreadId() const { return thread_ ? thread_->ThreadId() : 0; }

  // The tick on the main thread: OnTimer, then the stop test (OnStop after stopping).
  virtual void DoTimer();
  // Takes a tick when the clock has reached NextTick, as the worker does, and runs DoTimer
  // (thread-less timers; the threaded worker uses TakeTick + DoTimer). Returns whether it did.
  bool DeliverDueTick();
  void PollTimer() override;

 private:
  friend class TTimerThread;
  // Schedules the next tick from Reading and updates Elapsed.
  void TakeTick(std::uint32_t Reading);

  std::atomic<bool> enabled_{false};
  std::atomic<std::uint16_t> interval_{1000};
  TThreadPriority priority_ = tpHigher;
  std::atomic<bool> countDown_{false};
  std::atomic<std::int32_t> elapsed_{0};
  std::atomic<std::int32_t> stopTicks_{-1};
  std::atomic<std::uint32_t> nextTick_{0};
  std::atomic<std::uint32_t> startTime_{0};
  std::atomic<std::int32_t> startElapsed_{0};
  std::unique_ptr<TTimerThread> thread_;
};
