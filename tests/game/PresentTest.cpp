// What reaches the window: a frame is shown when its picture changed, and only then.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/EventInjection.h"
#include "tests/game/GameFixture.h"

using gametest::THarness;

namespace {

struct Presents : ::testing::TestWithParam<bool> {
  THarness H{gametest::SharedGameDir(), GetParam()};
  TForm1& F = H.F();
  std::vector<std::uint8_t> Last;
  int Changed = 0;  // pumped frames whose picture differed from the frame before

  // One frame as the screen's pump runs it: due timers, then the frame handler and the flip.
  void Pump() {
    Application->ProcessTimers();
    bool Done = true;
    F.GXScreen1->AppIdle(nullptr, Done);
    const TPixelView V = H.Back().View();
    const std::size_t Size = static_cast<std::size_t>(V.Pitch) * V.Height;
    if (Last.size() != Size || std::memcmp(Last.data(), V.Pixels, Size) != 0) {
      Last.assign(V.Pixels, V.Pixels + Size);
      ++Changed;
    }
  }
  // Ms of game time at 60 frames a second (the clock moves 16 or 17 ms a frame).
  void Run(std::uint32_t Ms) {
    std::uint32_t Done = 0;
    for (int I = 0; Done < Ms; ++I) {
      const std::uint32_t Step = I % 3 == 2 ? 16 : 17;
      H.Clock().Advance(Step);
      Done += Step;
      Pump();
    }
  }
  std::uint64_t Shown() const { return F.PresentCount(); }
};

}  // namespace

TEST_P(Presents, AStillSceneIsShownOnceInAMinute) {
  H.SkipIntro();
  H.Move(60, 180);  // floor: no name under the pointer, nothing reacts
  Run(2000);        // the frame timer's first tick has come and gone
  const std::uint64_t Before = Shown();
  const int ChangedBefore = Changed;
  Run(60000);
  EXPECT_EQ(Changed, ChangedBefore) << "the still scene's picture changed";
  EXPECT_EQ(Shown(), Before) << "an unchanged picture was shown again";
  // The next change is shown in the frame that composed it.
  H.Move(61, 180);
  Pump();
  EXPECT_EQ(Shown(), Before + 1);
}

TEST_P(Presents, AWalkIsShownOnceAStep) {
  H.SkipIntro();
  Run(2000);
  F.PukkiX = F.PukkiTargetX = 171 - 21;
  F.PukkiY = F.PukkiTargetY = 152 - 52;
  H.Move(131, 152);
  Pump();
  Run(200);
  const std::uint64_t Before = Shown();
  // 40 pixels to the left: Pukki turns on the first tick (drawn where he stands), takes 19
  // steps of 2 pixels and snaps the last 2 pixels on arrival.
  H.Down(131, 152);
  H.Up(131, 152);
  int Frames = 0;
  const int ChangedBefore = Changed;
  while (!(F.WalkDone == 1 && F.PukkiX + 21 == 131 && F.PukkiFrame == 1) && Frames < 600) {
    H.Clock().Advance(17);
    Pump();
    ++Frames;
  }
  ASSERT_EQ(F.PukkiX + 21, 131);
  EXPECT_EQ(Shown() - Before, 21u);
  EXPECT_EQ(Changed - ChangedBefore, 21);
  EXPECT_GT(Frames, 21 * 2) << "the walk took more frames than steps";
  Run(5000);
  EXPECT_EQ(Shown() - Before, 21u) << "standing after the walk was shown again";
}

TEST_P(Presents, AChangeOfThePictureIsNeverDropped) {
  // Through the opening pictures into the scene, with every frame compared to the one before.
  // The screen showed its first, black picture when it was set up.
  const TPixelView V = H.Back().View();
  Last.assign(V.Pixels, V.Pixels + static_cast<std::size_t>(V.Pitch) * V.Height);
  std::uint64_t Expected = Shown();
  int Seen = Changed;
  auto Check = [&] {
    if (Changed != Seen) {
      ++Expected;
      Seen = Changed;
    }
    ASSERT_EQ(Shown(), Expected);
  };
  for (int Step = 0; Step < 3; ++Step) {
    for (int I = 0; I < 3; ++I) {
      H.Clock().Advance(17);
      Pump();
      Check();
    }
    H.Key();
  }
  for (int I = 0; I < 300; ++I) {
    H.Clock().Advance(17);
    if (I % 40 == 0) H.Move(20 + I / 2, 150);
    if (I == 100) H.Click(200, 160);
    Pump();
    Check();
  }
  EXPECT_GT(Expected, 5u);
}

TEST_P(Presents, TheWindowIsDrawnAgainWhenItAsks) {
  H.SkipIntro();
  H.Move(60, 180);
  Run(2000);
  std::uint64_t Before = Shown();
  vornu::InjectWindowExposed(F);
  Application->ProcessMessages();
  Run(1000);
  EXPECT_EQ(Shown(), Before + 1) << "an uncovered window was not drawn again";
  Before = Shown();
  F.ToggleFullScreen();
  Run(1000);
  EXPECT_EQ(Shown(), Before + 1) << "switching to a window did not draw it";
  Before = Shown();
  F.ToggleFullScreen();
  Run(1000);
  EXPECT_EQ(Shown(), Before + 1) << "switching back to full screen did not draw it";
}

INSTANTIATE_TEST_SUITE_P(Builds, Presents, ::testing::Values(true, false),
                         [](const auto& Info) { return Info.param ? "Large" : "Lowres"; });
