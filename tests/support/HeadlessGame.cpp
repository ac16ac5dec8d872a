#include "tests/support/HeadlessGame.h"

#include <stdlib.h>

#include <stdexcept>

#include "engine/GX.h"
#include "platform/Forms.h"
#include "platform/Text1252.h"
#include "platform/Timers.h"

namespace support {

std::string SpeechText(const SayStr& S) {
  std::string R;
  for (long I = 1; I <= S.LineCount; ++I) {
    if (I > 1) R += " / ";
    R += vornu::Cp1252ToUtf8(S.Lines[I]);
  }
  return R;
}

TForm1Settings Display(bool Large) {
  TForm1Settings S;
  S.LargeDisplay = S.HalveMouse = S.ClearBack = Large;
  return S;
}

TGame::TGame(const fs::path& Dir, TForm1Settings Settings, bool Start) : Dir_(Dir) {
  // Headless unless the caller chose other drivers.
  ::setenv("SDL_VIDEODRIVER", "dummy", 0);
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  Application->Initialize();
  Form_ = std::make_unique<TForm1>(Settings);
  if (Start) Application->SetMainForm(Form_.get());
}

// The form goes before the clock and the directory it was started in.
TGame::~TGame() {
  Form_.reset();
}

TGXSurface& TGame::Back() {
  return *F().GXScreen1->Back();
}

void TGame::Frame() {
  Application->ProcessTimers();
  F().GXScreen1Flip(nullptr);
  Notice();
}

void TGame::Frames(int N) {
  for (int I = 0; I < N; ++I) Frame();
}

void TGame::Run(std::uint32_t Ms) {
  for (std::uint32_t T = 0; T < Ms; T += FrameMs) Step(FrameMs);
}

void TGame::Step(std::uint32_t Ms) {
  Clock().Advance(Ms);
  Frame();
}

void TGame::Timers(std::uint32_t Ms) {
  Clock().Advance(Ms);
  Application->ProcessTimers();
}

bool TGame::RunUntil(const std::function<bool()>& Done, std::uint32_t MaxMs) {
  for (std::uint32_t T = 0; T < MaxMs; T += FrameMs) {
    if (Done()) return true;
    Step(FrameMs);
  }
  return Done();
}

void TGame::SkipIntro() {
  for (int I = 0; I < 3; ++I) {
    Frames(2);
    Key();
  }
  Frame();
  if (F().IntroActive != 0 || F().CurrentScene != 1) {
    throw std::runtime_error("the opening pictures did not lead to scene 1 (scene " +
                             std::to_string(F().CurrentScene) + ", " + F().StartupError + ")");
  }
}

int TGame::Scale(int V) const {
  return Form_->Settings.HalveMouse ? V * 2 : V;
}

void TGame::Key(char K) {
  F().FormKeyPress(nullptr, K);
  Notice();
}

void TGame::Move(int X, int Y) {
  F().FormMouseMove(nullptr, 0, Scale(X), Scale(Y));
  Notice();
}

void TGame::Down(int X, int Y, TMouseButton B) {
  F().FormMouseDown(nullptr, B, 0, Scale(X), Scale(Y));
  Notice();
}

void TGame::Up(int X, int Y, TMouseButton B) {
  F().FormMouseUp(nullptr, B, 0, Scale(X), Scale(Y));
  Notice();
}

void TGame::Click(int X, int Y, TMouseButton B) {
  Move(X, Y);
  Down(X, Y, B);
  Up(X, Y, B);
}

void TGame::LongPress(int X, int Y, std::uint32_t Ms, int ToX, int ToY) {
  Move(X, Y);
  Down(X, Y);
  Run(Ms);
  Move(ToX, ToY);
  Up(ToX, ToY);
}

void TGame::Notice() {
  if (F().SpeechActive == 1 && (!WasSpeaking_ || !(F().CurrentSpeech == Last_))) {
    Said_.push_back(F().CurrentSpeech);
  }
  WasSpeaking_ = F().SpeechActive == 1;
  if (!(F().CurrentSpeech == Last_)) Last_ = F().CurrentSpeech;
}

std::vector<std::string> TGame::Said() const {
  std::vector<std::string> R;
  for (const SayStr& S : Said_) R.push_back(SpeechText(S));
  return R;
}

}  // namespace support
