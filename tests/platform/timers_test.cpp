#include "platform/Timers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/Trace.h"

namespace {

class WindowTimer : public ::testing::Test {
 protected:
  // Advances the clock and lets the loop fire what is due.
  void Pass(std::uint32_t ms) {
    clock_.clock().Advance(ms);
    Application->ProcessTimers();
  }
  vornu::ManualClockScope clock_;
  int fired_ = 0;
};

TEST_F(WindowTimer, FiresWhenTheIntervalHasPassedAndRepeats) {
  TTimer t;
  t.SetInterval(750);
  t.OnTimer = [&](TObject* s) {
    EXPECT_EQ(s, &t);
    ++fired_;
  };
  Pass(749);
  EXPECT_EQ(fired_, 0);
  Pass(1);
  EXPECT_EQ(fired_, 1);
  Pass(750);
  EXPECT_EQ(fired_, 2);
  // Late: fires once, the next countdown starts from now.
  Pass(5000);
  EXPECT_EQ(fired_, 3);
  Pass(749);
  EXPECT_EQ(fired_, 3);
}

TEST_F(WindowTimer, SameIntervalOrEnablingAgainChangesNothing) {
  TTimer t;
  t.SetInterval(2000);
  t.OnTimer = [&](TObject*) { ++fired_; };
  Pass(1500);
  t.SetInterval(2000);
  t.SetEnabled(true);
  Pass(500);
  EXPECT_EQ(fired_, 1);
}

TEST_F(WindowTimer, NewIntervalOrEnablingAStoppedTimerStartsAfresh) {
  TTimer t;
  t.SetInterval(2000);
  t.OnTimer = [&](TObject*) { ++fired_; };
  Pass(1500);
  t.SetInterval(4000);
  Pass(3999);
  EXPECT_EQ(fired_, 0);
  Pass(1);
  EXPECT_EQ(fired_, 1);
  t.SetEnabled(false);
  Pass(10000);
  EXPECT_EQ(fired_, 1);
  t.SetEnabled(true);
  Pass(3999);
  EXPECT_EQ(fired_, 1);
  Pass(1);
  EXPECT_EQ(fired_, 2);
}

TEST_F(WindowTimer, AHandlerThatStopsItFiresOncePerStart) {
  TTimer t;
  t.SetEnabled(false);
  t.SetInterval(1000);
  t.OnTimer = [&](TObject*) {
    ++fired_;
    t.SetEnabled(false);
  };
  Pass(5000);
  EXPECT_EQ(fired_, 0);  // created stopped
  t.SetEnabled(true);
  Pass(1000);
  Pass(1000);
  Pass(1000);
  EXPECT_EQ(fired_, 1);
}

TEST_F(WindowTimer, ZeroIntervalNeverFires) {
  TTimer t;
  t.SetInterval(0);
  t.OnTimer = [&](TObject*) { ++fired_; };
  Pass(100000);
  EXPECT_EQ(fired_, 0);
  EXPECT_FALSE(t.Running());
}

TEST_F(WindowTimer, AHandlerMayDestroyAnotherTimer) {
  auto victim = std::make_unique<TTimer>();
  TTimer killer;
  killer.SetInterval(10);
  victim->SetInterval(10);
  killer.OnTimer = [&](TObject*) { victim.reset(); };
  victim->OnTimer = [&](TObject*) { ++fired_; };
  Pass(10);
  EXPECT_EQ(victim, nullptr);
}

TEST_F(WindowTimer, KeepsItsPaceWhereTheClockWraps) {
  // 49.7 days after start the millisecond clock goes from 2^32 - 1 back to 0; half-way there
  // its readings stop fitting a signed 32-bit number.
  for (const std::uint32_t start : {0xFFFFFF00u, 0x7FFFFF00u}) {
    clock_.clock().Set(start);
    TTimer t;
    t.SetInterval(100);
    t.OnTimer = [&](TObject*) { ++fired_; };
    fired_ = 0;
    EXPECT_EQ(t.MsUntilDue(), 100);
    for (int i = 0; i < 8; ++i) Pass(50);  // across the wrap at 256 ms
    EXPECT_EQ(fired_, 4) << std::hex << start;
    Pass(49);
    EXPECT_EQ(t.MsUntilDue(), 51);
    Pass(51);
    EXPECT_EQ(fired_, 5);
  }
}

TEST(Clock, ManualClockIsInstalledAndRemoved) {
  {
    vornu::ManualClockScope scope(5000);
    EXPECT_EQ(timeGetTime(), 5000u);
    scope.clock().Advance(7);
    EXPECT_EQ(timeGetTime(), 5007u);
    EXPECT_TRUE(vornu::CurrentClock().IsManual());
  }
  EXPECT_FALSE(vornu::CurrentClock().IsManual());
}

TEST(ApplicationLoop, IdleHookIsCalledUntilItIsDone) {
  int calls = 0;
  Application->OnIdle = [&](TObject*, bool& Done) {
    ++calls;
    Done = calls >= 3;
  };
  EXPECT_FALSE(Application->DoIdle());
  EXPECT_FALSE(Application->DoIdle());
  EXPECT_TRUE(Application->DoIdle());
  Application->OnIdle = nullptr;
  EXPECT_TRUE(Application->DoIdle());
}

TEST(ApplicationLoop, ExceptionsLeavingHandlersReachTheHook) {
  vornu::ManualClockScope clock;
  std::vector<std::string> seen;
  Application->OnException = [&](TObject*, const std::exception& E) { seen.push_back(E.what()); };
  TTimer t;
  t.SetInterval(10);
  t.OnTimer = [](TObject*) { throw Exception("boom"); };
  clock.clock().Advance(10);
  Application->ProcessMessages();
  Application->OnException = nullptr;
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "boom");
}

TEST(ApplicationLoop, PostedMessagesReachTheHookInOrder) {
  std::vector<std::uint32_t> got;
  Application->OnMessage = [&](TMsg& M, bool&) { got.push_back(M.Message); };
  Application->PostMessage(WM_USER + 1);
  Application->PostMessage(WM_USER + 2);
  Application->ProcessMessages();
  Application->OnMessage = nullptr;
  EXPECT_EQ(got, (std::vector<std::uint32_t>{WM_USER + 1, WM_USER + 2}));
}

TEST(ApplicationLoop, OnlyTheMainFormReportsFocusClosingAndFailingHandlers) {
  Application->Initialize();
  std::vector<std::string> seen;
  Application->OnException = [&](TObject*, const std::exception& E) { seen.push_back(E.what()); };
  auto first = std::make_unique<TForm>();
  TForm other;
  first->OnClose = other.OnClose = [](TObject*) { throw Exception("close failed"); };
  Application->SetMainForm(first.get());
  EXPECT_TRUE(Application->Active());
  first->FocusLost();
  EXPECT_FALSE(Application->Active());
  EXPECT_FALSE(first->Active());
  first->FocusGained();
  EXPECT_TRUE(Application->Active());
  EXPECT_TRUE(first->Active());

  // A form the loop does not run changes only itself, and its failures go to its caller.
  other.Activate();
  other.FocusLost();
  EXPECT_FALSE(other.Active());
  EXPECT_TRUE(Application->Active());
  EXPECT_THROW(other.Close(), Exception);
  EXPECT_TRUE(other.Closed());
  EXPECT_FALSE(Application->Terminated());
  EXPECT_TRUE(seen.empty());

  first->Close();
  EXPECT_EQ(seen, std::vector<std::string>{"close failed"});
  EXPECT_TRUE(Application->Terminated());
  first.reset();
  EXPECT_EQ(Application->MainForm(), nullptr);
  Application->OnException = nullptr;
  Application->SetMainForm(nullptr);
  Application->SetActive(false);
  Application->ProcessMessages();
}

TEST(TraceLines, CutTo255Characters) {
  std::vector<std::string> lines;
  SetTraceHook([&](const std::string& L) { lines.push_back(L); });
  TraceLine(std::string(300, 'x'));
  SetTraceHook(nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 255u);
}

}  // namespace
