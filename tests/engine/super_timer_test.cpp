#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "engine/SuperTimer.h"
#include "platform/Application.h"
#include "platform/Clock.h"

namespace {

// Thread-less frame timers on the manual clock: ticks come only from Pass.
class FrameTimer : public ::testing::Test {
 protected:
  void Pass(std::uint32_t ms) {
    for (std::uint32_t i = 0; i < ms; ++i) {
      clock_.clock().Advance(1);
      Application->ProcessTimers();
    }
  }
  vornu::ManualClockScope clock_{1000};
  std::vector<std::string> events_;
};

TEST_F(FrameTimer, DefaultsAndNoTicksWhileDisabled) {
  TSuperTimer t;
  EXPECT_FALSE(t.Threaded());
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(t.Interval(), 1000);
  EXPECT_EQ(t.StopTicks(), -1);
  EXPECT_EQ(t.ThreadPriority(), tpHigher);
  t.OnTimer = [&](TObject*) { events_.push_back("tick"); };
  Pass(5000);
  EXPECT_TRUE(events_.empty());
}

TEST_F(FrameTimer, TicksEveryIntervalOnTheMainThreadWithElapsed) {
  TSuperTimer t;
  t.SetInterval(50);
  t.OnTimer = [&](TObject* s) {
    EXPECT_EQ(s, &t);
    events_.push_back(std::to_string(t.Elapsed()));
  };
  t.SetEnabled(true);
  Pass(160);
  EXPECT_EQ(events_, (std::vector<std::string>{"50", "100", "150"}));
  EXPECT_EQ(t.Ticks(), 3);
}

TEST_F(FrameTimer, FirstTickOfTheGameTimerComesAfterTheDefaultInterval) {
  // Enabled while the interval is still 1000, then set to 50.
  TSuperTimer t;
  t.OnTimer = [&](TObject*) { events_.push_back(std::to_string(timeGetTime())); };
  t.SetEnabled(true);
  t.SetInterval(50);
  Pass(1100);
  EXPECT_EQ(events_, (std::vector<std::string>{"2000", "2050", "2100"}));
}

TEST_F(FrameTimer, ZeroIntervalDisablesAndSettingItBackDoesNotEnable) {
  TSuperTimer t;
  t.SetInterval(50);
  t.SetEnabled(true);
  t.SetInterval(0);
  EXPECT_FALSE(t.Enabled());
  t.SetInterval(50);
  EXPECT_FALSE(t.Enabled());
  t.OnTimer = [&](TObject*) { events_.push_back("tick"); };
  Pass(500);
  EXPECT_TRUE(events_.empty());
  // Enabled with a zero interval it still never ticks.
  t.SetInterval(0);
  t.SetEnabled(true);
  Pass(100);
  EXPECT_TRUE(events_.empty());
}

TEST_F(FrameTimer, EnablingTwiceKeepsTheSchedule) {
  TSuperTimer t;
  t.SetInterval(50);
  t.SetEnabled(true);
  const auto next = t.NextTick();
  Pass(30);
  t.SetEnabled(true);
  EXPECT_EQ(t.NextTick(), next);
}

TEST_F(FrameTimer, ChangedIntervalKeepsTheTickAlreadyScheduled) {
  TSuperTimer t;
  t.SetInterval(50);
  t.OnTimer = [&](TObject*) { events_.push_back(std::to_string(timeGetTime())); };
  t.SetEnabled(true);  // at 1000: next tick 1050
  Pass(10);
  t.SetInterval(200);
  Pass(450);
  EXPECT_EQ(events_, (std::vector<std::string>{"1050", "1250", "1450"}));
}

TEST_F(FrameTimer, CountingDownFromZeroStopsAtTheFirstTick) {
  TSuperTimer t;
  t.SetInterval(50);
  t.SetCountDown(true);
  t.OnTimer = [&](TObject*) { events_.push_back("timer"); };
  t.OnStop = [&](TObject*) {
    events_.push_back("stop");
    EXPECT_FALSE(t.Enabled());
  };
  t.SetEnabled(true);
  Pass(200);
  EXPECT_EQ(events_, (std::vector<std::string>{"timer", "stop"}));
  EXPECT_EQ(t.Elapsed(), -50);
}

TEST_F(FrameTimer, CountingUpStopsAtStopTicks) {
  TSuperTimer t;
  t.SetInterval(10);
  t.SetStopTicks(3);
  int ticks = 0, stops = 0;
  t.OnTimer = [&](TObject*) { ++ticks; };
  t.OnStop = [&](TObject*) { ++stops; };
  t.SetEnabled(true);
  Pass(100);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(stops, 1);
}

TEST_F(FrameTimer, ElapsedContinuesAfterDisableAndEnable) {
  TSuperTimer t;
  t.SetInterval(50);
  t.SetEnabled(true);
  Pass(50);
  EXPECT_EQ(t.Elapsed(), 50);
  t.SetEnabled(false);
  Pass(1000);
  t.SetEnabled(true);
  Pass(50);
  EXPECT_EQ(t.Elapsed(), 100);
}

TEST_F(FrameTimer, SwitchingCountDownKeepsElapsedContinuous) {
  TSuperTimer t;
  t.SetInterval(50);
  t.SetEnabled(true);
  Pass(100);
  EXPECT_EQ(t.Elapsed(), 100);
  t.SetCountDown(true);  // at 1100
  Pass(50);
  EXPECT_EQ(t.Elapsed(), 50);
  t.SetCountDown(false);  // at 1150
  Pass(50);
  EXPECT_EQ(t.Elapsed(), 100);
}

TEST_F(FrameTimer, AHandlerThatSetsIntervalToZeroDoesNotDivideByZero) {
  TSuperTimer t;
  t.SetInterval(50);
  t.SetCountDown(true);
  t.SetElapsed(1000);
  int stops = 0;
  t.OnTimer = [&](TObject*) { t.SetInterval(0); };
  t.OnStop = [&](TObject*) { ++stops; };
  t.SetEnabled(true);
  Pass(100);
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(t.Ticks(), 0);
  EXPECT_EQ(stops, 0);  // the count had not run out
}

TEST_F(FrameTimer, DisablingInsideTheHandlerStopsFurtherTicks) {
  TSuperTimer t;
  t.SetInterval(20);
  int ticks = 0;
  t.OnTimer = [&](TObject*) {
    ++ticks;
    t.SetEnabled(false);
  };
  t.SetEnabled(true);
  Pass(200);
  EXPECT_EQ(ticks, 1);
}

TEST_F(FrameTimer, KeepsItsPaceAndCountWhereTheClockWraps) {
  // The 2^32 wrap after 49.7 days and the sign change of the readings after 24.8 days.
  for (const std::uint32_t start : {0xFFFFFF9Cu, 0x7FFFFF9Cu}) {
    clock_.clock().Set(start);
    events_.clear();
    TSuperTimer up;
    up.SetInterval(50);
    TSuperTimer down;
    down.SetInterval(50);
    down.SetCountDown(true);
    down.SetElapsed(1000);
    up.OnTimer = [&](TObject*) {
      events_.push_back(std::to_string(timeGetTime() - start) + ":" + std::to_string(up.Elapsed()));
    };
    down.OnTimer = [&](TObject*) {
      events_.back().append("/").append(std::to_string(down.Elapsed()));
    };
    up.SetEnabled(true);
    down.SetEnabled(true);
    Pass(260);  // the clock wraps (or turns negative) at 100 ms
    EXPECT_EQ(events_, (std::vector<std::string>{"50:50/950", "100:100/900", "150:150/850",
                                                 "200:200/800", "250:250/750"}))
        << std::hex << start;
    EXPECT_EQ(up.NextTick(), start + 300);
  }
}

TEST_F(FrameTimer, AnElapsedCountRunningForWeeksWrapsWithoutOverflow) {
  TSuperTimer t;
  t.SetInterval(50);
  t.SetElapsed(0x7FFFFFFF - 20);
  t.SetEnabled(true);
  Pass(50);
  EXPECT_EQ(t.Elapsed(), -0x7FFFFFFF - 1 + 29);
  EXPECT_TRUE(t.Enabled());  // StopTicks -1: counting up never stops
}

TEST(FrameTimerThread, TicksArriveOnTheMainThreadAndStopWhenDisabled) {
  // Real clock: a worker thread counts; the loop hands each tick to this thread.
  TSuperTimer t;
  ASSERT_TRUE(t.Threaded());
  t.SetThreadPriority(tpNormal);
  t.SetInterval(5);
  const auto main = std::this_thread::get_id();
  int ticks = 0;
  bool onMain = true;
  t.OnTimer = [&](TObject*) {
    onMain = onMain && std::this_thread::get_id() == main;
    if (++ticks == 5) t.SetEnabled(false);
  };
  t.SetEnabled(true);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ticks < 5 && std::chrono::steady_clock::now() < deadline) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(ticks, 5);
  EXPECT_TRUE(onMain);
  for (int i = 0; i < 30; ++i) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(ticks, 5);
  EXPECT_GE(t.Elapsed(), 25);
}

TEST(FrameTimerThread, PriorityOfADisabledTimerAppliesAtOnce) {
  // Lowering a thread's priority needs no privileges: the idle priority is nice 15.
  const int own = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
  if (own >= 15) GTEST_SKIP() << "the tests already run at nice " << own;
  TSuperTimer t;
  ASSERT_FALSE(t.Enabled());
  const auto worker = static_cast<id_t>(t.WorkerThreadId());
  ASSERT_NE(worker, 0u);
  t.SetThreadPriority(tpIdle);
  EXPECT_EQ(getpriority(PRIO_PROCESS, worker), 15);
  EXPECT_FALSE(t.Enabled());
  t.SetThreadPriority(tpLowest);  // nice 2 is a raise from 15: refused without privileges
  const int now = getpriority(PRIO_PROCESS, worker);
  EXPECT_TRUE(now == 2 || now == 15) << now;
}

TEST(FrameTimerThread, DestroyingAWaitingTimerDoesNotHang) {
  auto t = std::make_unique<TSuperTimer>();
  t->SetInterval(1);
  t->OnTimer = [](TObject*) {};
  t->SetEnabled(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the worker now waits for us
  t.reset();
  Application->ProcessMessages();
  SUCCEED();
}

}  // namespace
