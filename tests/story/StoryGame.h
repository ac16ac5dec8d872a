// A headless game on the story fixture, run frame by frame on a hand-driven clock.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/GX.h"
#include "platform/Timers.h"
#include "tests/support/FixtureGame.h"
#include "tests/support/HeadlessGame.h"

namespace story {

using namespace support;

inline std::string FixtureReply(int Scene, int Verb, int Hotspot) {
  return support::FixtureReply(TLayout::Story, Scene, Verb, Hotspot);
}

// A game folder of its own: the story fixture's pictures and scenes, its own item file with
// Refusals refusals and its own music, so that a test may change them.
struct TStoryDir {
  TGameCopy Copy;
  explicit TStoryDir(int Refusals)
      : Copy(FixtureGame(TLayout::Story), {"items/items.txt", "music"}) {
    WriteFile(Copy / "items" / "items.txt", ItemFile(Refusals));
    for (const char* Song : {"music01.mid", "music02.mid"})
      WriteFile(Copy / "music" / Song, EmptyMidi());
  }
};

class StoryGame : private TStoryDir, public TGame {
 public:
  explicit StoryGame(int Refusals = 3) : TStoryDir(Refusals), TGame(Copy.Path(), Display(false)) {
    SkipIntro();
    Frames(2);
  }

  const fs::path& Dir() const { return Copy.Path(); }

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
    Down(300, 150);
    Up(300, 150);
  }

  // Runs the current action to its end, clicking every speech away; true if it ended.
  bool Finish(std::uint32_t MaxMs = 120000) {
    for (std::uint32_t T = 0; T < MaxMs; T += FrameMs) {
      if (F().SpeechActive == 1 && !F().Timer4->Enabled()) Click();
      if (F().SceneActionIdle == 1 && F().UseItemIdle == 1 && F().MapIdle == 1 &&
          F().SpeechActive == 0 && !F().Timer4->Enabled()) {
        return true;
      }
      Step(FrameMs);
    }
    return false;
  }

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
        Speech = (F().Speaker == 2 ? "2: " : "") + SpeechText(F().CurrentSpeech);
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
      Timers(FrameMs);
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
