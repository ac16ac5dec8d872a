// A headless game on the fixture directory, run frame by frame on a hand-driven clock.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
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

  using TFlags = decltype(TForm1::SceneFlags);
  using THidden = decltype(TForm1::HotspotHidden);
  // The flags set (" +[s][k]") and cleared (" -[s][k]") and the hotspots shown and hidden since
  // the given state, and " no pointer" while the pointer is hidden.
  std::string ChangesSince(const TFlags& Flags0, const THidden& Hidden0) {
    std::string R;
    for (int S = 1; S <= 20; ++S)
      for (int K = 1; K <= 100; ++K)
        if (F().SceneFlags[S][K] != Flags0[S][K])
          R += (F().SceneFlags[S][K] ? " +[" : " -[") + std::to_string(S) + "][" +
               std::to_string(K) + "]";
    for (int S = 1; S <= 20; ++S)
      for (int H = 1; H <= 50; ++H)
        if (F().HotspotHidden[S][H] != Hidden0[S][H])
          R += (F().HotspotHidden[S][H] ? " hide (" : " show (") + std::to_string(S) + "," +
               std::to_string(H) + ")";
    if (F().CursorShown == 0) R += " no pointer";
    return R;
  }
  // The items carried, as " items a b ...", or nothing.
  std::string Items() {
    std::string R;
    if (F().InventoryCount > 0) R = " items";
    for (int I = 1; I <= F().InventoryCount; ++I) R += " " + std::to_string(F().Inventory[I]);
    return R;
  }

  // Puts Pukki at (150, 100) facing right in Scene, with the puzzle state of a new game.
  void Fresh(int Scene) {
    F().LoadScene(static_cast<std::uint16_t>(Scene));
    for (auto& Block : F().SceneFlags) Block.Fill(0);
    F().ResetHotspotHidden();
    F().ClearInventory();
    F().Speaker = 1;
    F().CursorShown = 1;
    F().PukkiX = F().PukkiTargetX = 150;
    F().PukkiY = F().PukkiTargetY = 100;
    F().PukkiDirection = 2;
    Frames(1);
  }

  // Plays the action that has just been started to its end without a click and tells what it
  // showed: one line per step that took time, "w<ms>" for a wait or the speech's lines (after
  // "2: " when the other character speaks, and followed by "[<ms> ms]" when it did not last
  // two seconds a line), then the flags set (+) and cleared (-) and the hotspots shown and
  // hidden since the start, and "no pointer" while the pointer is hidden; last a line
  // "= scene <n>" with the same changes, Pukki's place when a script moved him and the items
  // carried.
  std::vector<std::string> Timeline(std::uint32_t MaxMs = 120000) {
    const auto Flags0 = F().SceneFlags;
    const auto Hidden0 = F().HotspotHidden;
    const std::int32_t X0 = F().PukkiX, Y0 = F().PukkiY;
    const int D0 = F().PukkiDirection;
    auto Changes = [&] { return ChangesSince(Flags0, Hidden0); };
    std::vector<std::string> Steps;
    std::string Speech, Seen;
    std::uint32_t Lines = 0;
    auto Look = [&] {
      if (F().SpeechActive == 1 && Speech.empty()) {
        Speech = (F().Speaker == 2 ? "2: " : "") + Text(F().CurrentSpeech);
        Lines = F().CurrentSpeech.LineCount;
      }
      Seen = Changes();
    };
    Frame();  // the first step runs now
    int Step = F().ActionStep;
    std::uint32_t Since = Clock().Now();
    Look();
    for (std::uint32_t T = 0; T < MaxMs; T += FrameMs) {
      if (F().SceneActionIdle == 1 && F().SpeechActive == 0 && !F().Timer4->Enabled()) break;
      Clock().Advance(FrameMs);
      Application->ProcessTimers();
      if (F().ActionStep != Step) {
        const std::uint32_t Ms = Clock().Now() - Since;
        std::string Line = Speech.empty() ? "w" + std::to_string(Ms) : Speech;
        if (!Speech.empty() && Ms != Lines * 2000) Line += " [" + std::to_string(Ms) + " ms]";
        if (Ms > 0) Steps.push_back(Line + Seen);
        Step = F().ActionStep;
        Since = Clock().Now();
        Speech.clear();
        F().GXScreen1Flip(nullptr);
      } else if (T % 100 == 0) {
        F().GXScreen1Flip(nullptr);
      }
      Look();
    }
    std::string End = "= scene " + std::to_string(F().CurrentScene) + Changes();
    if (F().PukkiX != X0 || F().PukkiY != Y0 || F().PukkiDirection != D0) {
      End += " at (" + std::to_string(F().PukkiX) + "," + std::to_string(F().PukkiY) + ") facing " +
             std::to_string(F().PukkiDirection);
    }
    Steps.push_back(End + Items());
    return Steps;
  }

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

// A scripted action from a given puzzle state, and its timeline (StoryGame::Timeline).
struct TScriptCase {
  const char* What;
  int Scene, Hotspot, Verb;
  std::vector<std::pair<int, int>> Flags;  // set before
  std::vector<std::pair<int, int>> Shown;  // hotspots shown before (hidden in a new game)
  std::vector<int> Items;                  // carried before
  std::vector<std::string> Steps;
};

// The shapes, step by step: a wait or a speech, the flags they show, the pointer.
inline std::vector<std::string> DoorSteps(int Scene, int H, int Flag) {
  const std::string F = " +[" + std::to_string(Scene) + "][" + std::to_string(Flag) + "]";
  return {"w700 no pointer", "w1000" + F + " no pointer",
          FixtureReply(Scene, 2, H) + F + " no pointer", "w700" + F + " no pointer"};
}
inline std::vector<std::string> Then(std::vector<std::string> Steps, const std::string& End) {
  Steps.push_back(End);
  return Steps;
}
inline std::vector<std::string> PassageSteps(int Scene, int Flag, int To) {
  const std::string F = " +[" + std::to_string(Scene) + "][" + std::to_string(Flag) + "]";
  return {"w700 no pointer", "w1000" + F + " no pointer", "= scene " + std::to_string(To)};
}
inline std::vector<std::string> ExitSteps(int Scene, int Verb, int H, int To) {
  return {FixtureReply(Scene, Verb, H), "= scene " + std::to_string(To)};
}
inline std::vector<std::string> PickUpSteps(int Scene, int H, int Flag, int Item) {
  return {FixtureReply(Scene, 2, H), "= scene " + std::to_string(Scene) + " +[" +
                                         std::to_string(Scene) + "][" + std::to_string(Flag) +
                                         "] hide (" + std::to_string(Scene) + "," +
                                         std::to_string(H) + ") items " + std::to_string(Item)};
}

inline std::vector<std::string> With(std::vector<std::string> Steps,
                                     std::initializer_list<std::string> More) {
  Steps.insert(Steps.end(), More.begin(), More.end());
  return Steps;
}

// Plays every case on one game, each from a fresh state, and compares the timelines.
inline void PlayEach(StoryGame& G, const std::vector<TScriptCase>& Cases) {
  for (const TScriptCase& C : Cases) {
    G.Fresh(C.Scene);
    for (const auto& [S, K] : C.Flags) G.Flag(S, K);
    for (const auto& [S, H] : C.Shown) G.F().HotspotHidden[S][H] = 0;
    for (int I : C.Items) G.F().AddItem(static_cast<std::uint16_t>(I));
    G.StartVerb(C.Hotspot, C.Verb);
    EXPECT_EQ(G.Timeline(), C.Steps) << C.What;
  }
}

}  // namespace story
