// Fingers on the window become the mouse events of the game: a tap is a short click, a held
// finger a held left button, a tap with two fingers the right button.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/EventInjection.h"
#include "platform/Forms.h"

namespace {

class Touch : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = std::make_unique<TForm>();
    form_->OnMouseDown = [this](TObject*, TMouseButton B, TShiftState, int X, int Y) {
      Log(std::string(B == mbLeft ? "down" : "right-down"), X, Y);
    };
    form_->OnMouseUp = [this](TObject*, TMouseButton B, TShiftState, int X, int Y) {
      Log(std::string(B == mbLeft ? "up" : "right-up"), X, Y);
    };
    form_->OnMouseMove = [this](TObject*, TShiftState S, int X, int Y) {
      Log(std::string(S & ssLeft ? "drag" : "move"), X, Y);
    };
    Application->SetMainForm(form_.get());
    form_->SetDisplay(320, 200, false);
    Application->ProcessMessages();
    events_.clear();
  }
  void TearDown() override {
    form_.reset();
    Application->SetActive(false);
    Application->ProcessMessages();
  }
  void Log(const std::string& What, int X, int Y) {
    events_.push_back(What + " " + std::to_string(X) + "," + std::to_string(Y));
  }
  // A finger event at the logical pixel (X, Y) of the 320 x 200 window, handled at once.
  void Finger(vornu::TFingerPhase Phase, long long Id, int X, int Y) {
    vornu::InjectFinger(*form_, Phase, Id, X, Y);
    Application->ProcessMessages();
  }
  vornu::ManualClockScope clock_;
  std::unique_ptr<TForm> form_;
  std::vector<std::string> events_;
};

using Events = std::vector<std::string>;

TEST_F(Touch, ATapIsAShortClickWhereTheFingerWas) {
  Finger(vornu::TFingerPhase::Down, 7, 100, 50);
  EXPECT_EQ(events_, Events{"move 100,50"});  // the pointer goes there, nothing is pressed yet
  clock_.clock().Advance(120);
  Application->ProcessMessages();
  Finger(vornu::TFingerPhase::Up, 7, 100, 50);
  EXPECT_EQ(events_, (Events{"move 100,50", "down 100,50", "up 100,50"}));
}

TEST_F(Touch, AHeldFingerHoldsTheLeftButtonUntilItIsLifted) {
  Finger(vornu::TFingerPhase::Down, 7, 200, 120);
  clock_.clock().Advance(199);
  Application->ProcessMessages();
  EXPECT_EQ(events_, Events{"move 200,120"});
  clock_.clock().Advance(1);
  Application->ProcessMessages();
  EXPECT_EQ(events_, (Events{"move 200,120", "down 200,120"}));
  // Sliding the held finger moves the pointer with the button down (onto a verb, say).
  Finger(vornu::TFingerPhase::Motion, 7, 210, 125);
  clock_.clock().Advance(800);
  Finger(vornu::TFingerPhase::Up, 7, 210, 125);
  EXPECT_EQ(events_, (Events{"move 200,120", "down 200,120", "drag 210,125", "up 210,125"}));
}

TEST_F(Touch, TwoFingersTappedTogetherAreTheRightButton) {
  Finger(vornu::TFingerPhase::Down, 1, 60, 60);
  clock_.clock().Advance(50);
  Finger(vornu::TFingerPhase::Down, 2, 90, 70);
  clock_.clock().Advance(300);
  Application->ProcessMessages();
  Finger(vornu::TFingerPhase::Up, 2, 90, 70);
  Finger(vornu::TFingerPhase::Up, 1, 60, 60);
  EXPECT_EQ(events_, (Events{"move 60,60", "right-down 60,60", "right-up 60,60"}));
  // The next touch starts afresh.
  events_.clear();
  Finger(vornu::TFingerPhase::Down, 3, 10, 10);
  Finger(vornu::TFingerPhase::Up, 3, 10, 10);
  EXPECT_EQ(events_, (Events{"move 10,10", "down 10,10", "up 10,10"}));
}

TEST_F(Touch, AFingerThatMovesAtOncePressesWhereItStarted) {
  Finger(vornu::TFingerPhase::Down, 4, 100, 100);
  Finger(vornu::TFingerPhase::Motion, 4, 102, 101);  // within the slop: still a tap
  EXPECT_EQ(events_, Events{"move 100,100"});
  Finger(vornu::TFingerPhase::Motion, 4, 110, 100);
  Finger(vornu::TFingerPhase::Up, 4, 112, 100);
  EXPECT_EQ(events_, (Events{"move 100,100", "down 100,100", "drag 110,100", "up 112,100"}));
}

}  // namespace
