#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/GX.h"
#include "platform/Forms.h"
#include "platform/MessageBox.h"
#include "platform/Text1252.h"
#include "platform/Trace.h"

namespace {

// A headless form with a screen, activated as the program does it.
class ScreenLife : public ::testing::Test {
 protected:
  void SetUp() override {
    Application->Initialize();
    form_ = std::make_unique<TForm>();
    form_->OnActivate = [this](TObject*) { ++formActivations_; };
    screen_ = std::make_unique<TGXScreen>(form_.get());
    screen_->SetDisplayMode(dm320x200x8);
    screen_->SetColorDepth(16);
    screen_->SetFlippingEnabled(true);
    screen_->OnInitialize = [this](TObject*) { ++initializations_; };
    screen_->OnFlip = [this](TObject*) { ++flips_; };
    screen_->OnPaint = [this](TObject*) { ++paints_; };
  }
  void TearDown() override {
    screen_.reset();
    form_.reset();
    Application->SetActive(false);
    Application->ProcessMessages();
  }
  void Start() {
    Application->SetMainForm(form_.get());
    Application->ProcessMessages();  // activation message
    Application->ProcessMessages();  // the screen's own restore message
  }
  std::unique_ptr<TForm> form_;
  std::unique_ptr<TGXScreen> screen_;
  int formActivations_ = 0, initializations_ = 0, flips_ = 0, paints_ = 0;
};

TEST_F(ScreenLife, FirstActivationSetsUpTheDisplayOnce) {
  EXPECT_EQ(screen_->Back(), nullptr);
  Start();
  EXPECT_TRUE(screen_->Initialized());
  EXPECT_EQ(initializations_, 1);
  EXPECT_EQ(formActivations_, 1);
  ASSERT_NE(screen_->Back(), nullptr);
  EXPECT_EQ(screen_->Back()->Width(), 320);
  EXPECT_EQ(screen_->Back()->Format(), TPixelFormat::RGB565);
  EXPECT_TRUE(screen_->Back()->Attached());
  EXPECT_EQ(screen_->PaletteMode(), pmExclusive);
  EXPECT_EQ(form_->DisplayWidth(), 320);
  EXPECT_TRUE(form_->FullScreen());
  // A second activation: no second set-up, but the form's own handler runs again.
  Application->SetActive(false);
  Application->ProcessMessages();
  Application->SetActive(true);
  Application->ProcessMessages();
  Application->ProcessMessages();
  EXPECT_EQ(initializations_, 1);
  EXPECT_EQ(formActivations_, 2);
}

TEST_F(ScreenLife, OneFlipPerPumpedFrameAndNoneWhileInactive) {
  Start();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Application->DoIdle());
  EXPECT_EQ(flips_, 3);
  Application->SetActive(false);
  Application->ProcessMessages();
  EXPECT_TRUE(Application->DoIdle());
  EXPECT_TRUE(Application->DoIdle());
  EXPECT_EQ(flips_, 3);
  const int paintsBefore = paints_;
  Application->SetActive(true);
  Application->ProcessMessages();
  Application->ProcessMessages();
  EXPECT_EQ(paints_, paintsBefore + 1);
  EXPECT_FALSE(Application->DoIdle());
  EXPECT_EQ(flips_, 4);
}

TEST_F(ScreenLife, FlipShowsBackAndKeepsIt) {
  EXPECT_THROW(screen_->Flip(), EGXScreen);
  EXPECT_THROW(screen_->WaitForVerticalBlank(), EGXScreen);
  Start();
  EXPECT_NO_THROW(screen_->WaitForVerticalBlank());
  screen_->Back()->Erase(0x07E0);
  screen_->Flip();
  EXPECT_EQ(screen_->Front()->Pixel(319, 199), 0x07E0u);
  EXPECT_EQ(screen_->Back()->Pixel(0, 0), 0x07E0u);
}

TEST_F(ScreenLife, ExceptionsFromTheFrameBeepAndTrace) {
  Start();
  std::vector<std::string> lines;
  SetTraceHook([&](const std::string& L) { lines.push_back(L); });
  screen_->SetBeepOnException(false);
  screen_->OnFlip = [](TObject*) { throw EGXSurface("Draw (BltFast) Failed"); };
  try {
    Application->DoIdle();
  } catch (const std::exception& e) {
    Application->HandleException(nullptr, e);
  }
  screen_->SetDebug(false);
  Application->HandleException(nullptr, Exception("quiet"));
  SetTraceHook(nullptr);
  EXPECT_EQ(lines, (std::vector<std::string>{"Draw (BltFast) Failed"}));
}

TEST_F(ScreenLife, AFailingCleanUpHandlerIsPrintedReadably) {
  Start();
  screen_->OnCleanUp = [](TObject*) { throw Exception(vornu::W("Äänikortti puuttuu")); };
  testing::internal::CaptureStderr();
  screen_.reset();
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_NE(printed.find("vornu: Äänikortti puuttuu\n"), std::string::npos) << printed;
}

TEST_F(ScreenLife, ALostDisplayIsRestoredSilently) {
  Start();
  form_->OnDisplayLost(form_.get());
  EXPECT_TRUE(screen_->Back()->IsLost());
  auto sprite = screen_->CreateSurface(4, 4);
  EXPECT_NO_THROW(screen_->Back()->Draw(0, 0, *sprite, false));
  EXPECT_FALSE(screen_->Back()->IsLost());
  EXPECT_NO_THROW(screen_->Flip());
}

TEST_F(ScreenLife, ScreenSaverCommandIsSwallowed) {
  Start();
  TMsg m{WM_SYSCOMMAND, SC_SCREENSAVE, 0};
  bool handled = false;
  screen_->AppMessage(m, handled);
  EXPECT_TRUE(handled);
}

TEST_F(ScreenLife, FormIsMadeBorderlessBlackAndOnTop) {
  form_->Loaded();
  EXPECT_EQ(form_->BorderStyle, bsNone);
  EXPECT_EQ(form_->FormStyle, fsStayOnTop);
  EXPECT_EQ(form_->Color, clBlack);
}

TEST_F(ScreenLife, InputArrivesInDisplayPixelsClamped) {
  Start();
  std::vector<std::pair<int, int>> moves;
  form_->OnMouseMove = [&](TObject*, TShiftState, int X, int Y) { moves.emplace_back(X, Y); };
  const TRect out = form_->OutputRect();
  const TPoint inside = form_->WindowToDisplay(out.Left + out.Width() / 2, out.Top);
  EXPECT_EQ(inside.X, 160);
  EXPECT_EQ(inside.Y, 0);
  const TPoint clamped = form_->WindowToDisplay(-50, 100000);
  EXPECT_EQ(clamped.X, 0);
  EXPECT_EQ(clamped.Y, 199);
}

TEST(Screen, WindowModeOnAPaletteLessDesktopAsksAndNoEndsTheProgram) {
  Application->Initialize();
  TForm form;
  TGXScreen screen(&form);
  screen.SetWindowMode(true);
  screen.SetColorDepth(8);
  int asked = 0;
  SetConfirmHook([&](const std::string& Text) {
    ++asked;
    EXPECT_NE(Text.find("256 color mode"), std::string::npos);
    return false;
  });
  screen.FormActivate(&form);
  SetConfirmHook(nullptr);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(screen.Initialized());
  EXPECT_TRUE(Application->Terminated());
  Application->SetMainForm(nullptr);  // clears the termination for later tests
}

TEST(Screen, InitialPaletteFollowsTheRunTimeGenerator) {
  Application->Initialize();
  TGXScreen::RandSeed = 0;
  // seed 1, then 134775814: values are the high half of seed * 255.
  EXPECT_EQ(TGXScreen::Random(255), 0u);
  EXPECT_EQ(TGXScreen::Random(255), static_cast<std::uint32_t>((134775814ull * 255) >> 32));
  TForm form;
  TGXScreen screen(&form);
  screen.SetDisplayMode(dm320x200x8);
  screen.SetColorDepth(8);
  TGXScreen::RandSeed = 0;
  screen.FormActivate(&form);
  ASSERT_TRUE(screen.Initialized());
  EXPECT_EQ(screen.Palette()[10].peRed, 0);
  EXPECT_EQ(screen.Palette()[255], (TPaletteEntry{255, 255, 255, 0}));
  EXPECT_EQ(screen.Palette()[1], (TPaletteEntry{128, 0, 0, 0}));
}

}  // namespace
