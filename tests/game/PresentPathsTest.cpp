// Both ways a frame reaches the window (a renderer scaling the whole picture, or only the
// changed rectangles scaled into the window's own pixels) leave the same pixels on screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/EventInjection.h"
#include "tests/game/GameFixture.h"

using gametest::THarness;

namespace {

struct TWindowPicture {
  std::string Moment;
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
};

// Plays the same moments with SDL's hint forcing one path, keeping the window's picture after
// every frame that was shown.
std::vector<TWindowPicture> Play(bool Large, const char* Hint, std::string& Path) {
  setenv("SDL_FRAMEBUFFER_ACCELERATION", Hint, 1);
  std::vector<TWindowPicture> Shots;
  {
    THarness H(gametest::SharedGameDir(), Large);
    TForm1& F = H.F();
    Path = F.PresentPath();
    std::string Moment = "opening";
    auto Pump = [&](int Frames) {
      for (int I = 0; I < Frames; ++I) {
        H.Clock().Advance(17);
        const std::uint64_t Before = F.PresentCount();
        Application->ProcessTimers();
        bool Done = true;
        F.GXScreen1->AppIdle(nullptr, Done);
        if (F.PresentCount() == Before) continue;
        TWindowPicture Shot;
        Shot.Moment = Moment + " frame " + std::to_string(I);
        if (!F.ReadWindow(Shot.Pixels, Shot.Width, Shot.Height)) {
          ADD_FAILURE() << "the window could not be read at " << Shot.Moment;
          return;
        }
        Shots.push_back(std::move(Shot));
      }
    };
    H.SkipIntro();
    Pump(30);
    Moment = "walk";
    H.Click(100, 160);
    Pump(90);
    Moment = "speech";
    SayStr Rec;
    F.StringToSayStr("Hyvaa joulua kaikille!", Rec);
    F.PukkiSay(Rec);
    Pump(40);
    H.Click(150, 150);  // ends the speech
    Pump(10);
    Moment = "verb menu";
    H.Move(210, 60);
    H.Down(210, 60);
    Pump(60);
    H.Move(230, 80);
    Pump(5);
    H.Up(230, 80);
    Pump(20);
    Moment = "exposed";
    vornu::InjectWindowExposed(F);
    Application->ProcessMessages();
    Pump(3);
    Moment = "window mode";
    F.ToggleFullScreen();
    Pump(3);
    F.ToggleFullScreen();
    Pump(3);
    Moment = "scene change";
    F.LoadScene(2);
    Pump(30);
    H.Click(60, 170);
    Pump(60);
  }
  unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
  return Shots;
}

}  // namespace

TEST(PresentPaths, BothPathsShowTheSamePixels) {
  for (const bool Large : {false, true}) {
    SCOPED_TRACE(Large ? "640 x 400 display" : "320 x 200 display");
    std::string RendererPath, SurfacePath;
    const std::vector<TWindowPicture> Whole = Play(Large, "1", RendererPath);
    const std::vector<TWindowPicture> Pieces = Play(Large, "0", SurfacePath);
    EXPECT_EQ(RendererPath.rfind("renderer", 0), 0u) << RendererPath;
    EXPECT_EQ(SurfacePath.rfind("window surface", 0), 0u) << SurfacePath;
    ASSERT_EQ(Whole.size(), Pieces.size()) << "the paths showed different numbers of frames";
    ASSERT_GT(Whole.size(), 20u);
    for (std::size_t I = 0; I < Whole.size(); ++I) {
      const TWindowPicture& A = Whole[I];
      const TWindowPicture& B = Pieces[I];
      ASSERT_EQ(A.Moment, B.Moment);
      ASSERT_EQ(A.Width, B.Width) << A.Moment;
      ASSERT_EQ(A.Height, B.Height) << A.Moment;
      std::size_t Differ = 0, First = 0;
      for (std::size_t P = 0; P < A.Pixels.size(); ++P) {
        if (A.Pixels[P] != B.Pixels[P] && Differ++ == 0) First = P;
      }
      ASSERT_EQ(Differ, 0u) << A.Moment << ": first at (" << First % A.Width << ", "
                            << First / A.Width << "), renderer " << std::hex << A.Pixels[First]
                            << ", surface " << B.Pixels[First];
    }
  }
}
