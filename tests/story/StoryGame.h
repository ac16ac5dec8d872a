// A headless game on the fixture directory, run frame by frame on a hand-driven clock.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/GX.h"
#include "game/Unit1.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/Text1252.h"
#include "platform/Timers.h"
#include "tests/story/FixtureData.h"

namespace story {

// Lines of a speech as UTF-8, joined by " / ".
inline std::string Text(const SayStr& S) {
  std::string R;
  for (long I = 1; I <= S.LineCount; ++I) {
    if (I > 1) R += " / ";
    R += vornu::Cp1252ToUtf8(S.Lines[I]);
  }
  return R;
}

class StoryGame {
 public:
  static constexpr std::uint32_t FrameMs = 10;

  explicit StoryGame(int Refusals = 3) {
    Dir_ = fs::temp_directory_path() /
           ("vornu-story-" + std::to_string(::getpid()) + "-" + std::to_string(Counter()++));
    fs::remove_all(Dir_);
    // The big folders are written once per test program and shared; the items and the
    // music are each game's own, so that a test may change them.
    fs::create_directories(Dir_);
    for (const char* Folder : {"sprites", "scenes"}) {
      fs::create_directory_symlink(SharedData() / Folder, Dir_ / Folder);
    }
    WriteItems(Dir_, Refusals);
    WriteMusic(Dir_);
    Old_ = fs::current_path();
    fs::current_path(Dir_);
    if (Application == nullptr) {
      static TApplication App;
      Application = &App;
    }
    Application->Initialize();
    TForm1Settings S;
    S.LargeDisplay = false;
    S.HalveMouse = false;
    S.ClearBack = false;
    Form_ = std::make_unique<TForm1>(S);
    Application->SetMainForm(Form_.get());
    // Past the three opening pictures into scene 1.
    for (int I = 0; I < 3; ++I) {
      Frames(2);
      char K = ' ';
      F().FormKeyPress(nullptr, K);
    }
    Frames(3);
  }

  ~StoryGame() {
    Form_.reset();
    fs::current_path(Old_);
    std::error_code Ignored;
    fs::remove_all(Dir_, Ignored);
  }

  TForm1& F() { return *Form_; }
  vornu::ManualClock& Clock() { return Clock_.clock(); }
  const fs::path& Dir() const { return Dir_; }

  // One frame: due timers first, then the frame handler.
  void Frame() {
    Application->ProcessTimers();
    F().GXScreen1Flip(nullptr);
    Notice();
  }
  void Frames(int N) {
    for (int I = 0; I < N; ++I) Frame();
  }
  // Lets Ms of game time pass, a frame every 10 ms.
  void Run(std::uint32_t Ms) {
    for (std::uint32_t T = 0; T < Ms; T += FrameMs) {
      Clock().Advance(FrameMs);
      Frame();
    }
  }
  // Runs frames until Done holds (true) or MaxMs pass (false).
  bool RunUntil(const std::function<bool()>& Done, std::uint32_t MaxMs = 60000) {
    for (std::uint32_t T = 0; T < MaxMs; T += FrameMs) {
      if (Done()) return true;
      Clock().Advance(FrameMs);
      Frame();
    }
    return Done();
  }

  // Puts a scene on screen with nothing going on.
  void Enter(int Scene) {
    F().LoadScene(static_cast<std::uint16_t>(Scene));
    Frames(1);
  }

  // The verb menu has just closed on hotspot H with Verb, and Pukki stands at its walk point.
  void StartVerb(int H, int Verb) {
    F().SelectedVerb = static_cast<std::uint8_t>(Verb);
    F().ActionHotspot = static_cast<std::uint16_t>(H);
    F().ActionStep = 1;
    F().SceneActionIdle = 0;
  }
  // The held item has just been clicked on hotspot H.
  void StartUse(int Item, int H) {
    F().ItemInHand = 1;
    F().HeldItem = static_cast<std::uint16_t>(Item);
    F().ActionItem = static_cast<std::uint16_t>(Item);
    F().ActionHotspot = static_cast<std::uint16_t>(H);
    F().UseItemIdle = 0;
  }
  // A journey chosen on the map.
  void StartJourney(int H) {
    F().ActionHotspot = static_cast<std::uint16_t>(H);
    F().ActionStep = 1;
    F().MapIdle = 0;
  }

  // A click that ends the speech on screen (or is ignored during a wait).
  void Click() {
    Notice();
    F().FormMouseDown(nullptr, mbLeft, 0, 300, 150);
    F().FormMouseUp(nullptr, mbLeft, 0, 300, 150);
    Notice();
  }

  // Runs the current action to its end, clicking every speech away; true if it ended.
  bool Finish(std::uint32_t MaxMs = 120000) {
    for (std::uint32_t T = 0; T < MaxMs; T += FrameMs) {
      if (F().SpeechActive == 1 && !F().Timer4->Enabled()) Click();
      if (F().SceneActionIdle == 1 && F().UseItemIdle == 1 && F().MapIdle == 1 &&
          F().SpeechActive == 0 && !F().Timer4->Enabled()) {
        return true;
      }
      Clock().Advance(FrameMs);
      Frame();
    }
    return false;
  }

  // Records a speech that has just appeared (or replaced another).
  void Notice() {
    if (F().SpeechActive == 1 && (!WasSpeaking_ || !(F().CurrentSpeech == Last_))) {
      Said_.push_back(F().CurrentSpeech);
    }
    WasSpeaking_ = F().SpeechActive == 1;
    Last_ = F().CurrentSpeech;
  }

  // Every speech that appeared, as UTF-8 text, in order.
  std::vector<std::string> Said() const {
    std::vector<std::string> R;
    for (const SayStr& S : Said_) R.push_back(Text(S));
    return R;
  }
  void ForgetSaid() { Said_.clear(); }

  // Sets SceneFlags[S][K].
  void Flag(int S, int K, bool Set = true) { F().SceneFlags[S][K] = Set ? 1 : 0; }
  bool IsFlag(int S, int K) { return F().SceneFlags[S][K] != 0; }

 private:
  // The sprites and scenes of every game of this test program, removed at its exit.
  static const fs::path& SharedData() {
    struct Shared {
      fs::path Dir =
          fs::temp_directory_path() / ("vornu-story-shared-" + std::to_string(::getpid()));
      Shared() {
        fs::remove_all(Dir);
        WriteSprites(Dir);
        WriteScenes(Dir);
      }
      ~Shared() {
        std::error_code Ignored;
        fs::remove_all(Dir, Ignored);
      }
    };
    static const Shared Data;
    return Data.Dir;
  }
  static int& Counter() {
    static int C = 0;
    return C;
  }
  vornu::ManualClockScope Clock_;
  fs::path Dir_;
  fs::path Old_;
  std::unique_ptr<TForm1> Form_;
  std::vector<SayStr> Said_;
  SayStr Last_;
  bool WasSpeaking_ = false;
};

}  // namespace story
