#include "fuzz/FuzzGame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/MessageBox.h"
#include "platform/Timers.h"
#include "platform/Trace.h"
#include "tests/support/FixtureGame.h"
#include "tests/support/HeadlessGame.h"

namespace fuzzgame {
namespace {

namespace fs = std::filesystem;

// Everything a fuzzed file or the input after it may change, as Start left it.
struct TState {
  std::uint16_t CurrentScene;
  std::int32_t PukkiX, PukkiY, PukkiTargetX, PukkiTargetY;
  std::uint8_t PukkiDirection, ArrivalDirection;
  std::uint16_t PukkiFrame;
  std::uint8_t FrameTick, WalkDone, AdvanceWayPoint;
  vornu::Array<TWayPoint, 1, 20> WayPoints;
  std::uint8_t WayPointCount, WayPointIndex;
  std::int32_t MouseX, MouseY, ClickX, ClickY;
  std::uint8_t CursorKind, CursorShown;
  std::uint8_t MenuOpen, SelectedVerb;
  std::uint16_t ActionHotspot, ActionItem;
  std::uint8_t SceneActionIdle, ItemActionIdle, CombineIdle, UseItemIdle, MapIdle;
  std::uint16_t ActionStep;
  vornu::Array<vornu::Array<std::uint8_t, 1, 100>, 1, 20> SceneFlags;
  vornu::Array<vornu::Array<std::uint8_t, 1, 50>, 1, 20> HotspotHidden;
  THotspotMap HotspotMap;
  vornu::Array<THotspotWalkPoint, 1, 255> HotspotWalkPoints;
  vornu::Array<vornu::Array<std::string, 1, 255>, 1, 5> HotspotTexts;
  vornu::Array<vornu::Array<SayStr, 1, 255>, 2, 4> HotspotReplies;
  vornu::Array<std::uint16_t, 1, 13> Inventory;
  std::uint16_t InventoryCount;
  std::uint8_t InventoryOpen, ItemInHand;
  std::uint16_t HeldItem;
  vornu::Array<vornu::Array<std::string, 1, 13>, 1, 6> ItemTexts;
  vornu::Array<vornu::Array<SayStr, 1, 13>, 2, 4> ItemReplies;
  vornu::Array<SayStr, 0, 29> UseFailReplies;
  std::uint8_t UseFailReplyCount;
  std::uint8_t SpeechActive, Speaker;
  SayStr CurrentSpeech;
  std::uint8_t ButtonsHeld;
  bool Timer2, Timer3, Timer4;
  friend bool operator==(const TState&, const TState&) = default;
};

// The fields of the state, named once for both directions.
template <typename Form, typename State>
void Each(Form& F, State& S, auto&& Take) {
#define VORNU_FIELD(N) Take(F.N, S.N)
  VORNU_FIELD(CurrentScene);
  VORNU_FIELD(PukkiX);
  VORNU_FIELD(PukkiY);
  VORNU_FIELD(PukkiTargetX);
  VORNU_FIELD(PukkiTargetY);
  VORNU_FIELD(PukkiDirection);
  VORNU_FIELD(ArrivalDirection);
  VORNU_FIELD(PukkiFrame);
  VORNU_FIELD(FrameTick);
  VORNU_FIELD(WalkDone);
  VORNU_FIELD(AdvanceWayPoint);
  VORNU_FIELD(WayPoints);
  VORNU_FIELD(WayPointCount);
  VORNU_FIELD(WayPointIndex);
  VORNU_FIELD(MouseX);
  VORNU_FIELD(MouseY);
  VORNU_FIELD(ClickX);
  VORNU_FIELD(ClickY);
  VORNU_FIELD(CursorKind);
  VORNU_FIELD(CursorShown);
  VORNU_FIELD(MenuOpen);
  VORNU_FIELD(SelectedVerb);
  VORNU_FIELD(ActionHotspot);
  VORNU_FIELD(ActionItem);
  VORNU_FIELD(SceneActionIdle);
  VORNU_FIELD(ItemActionIdle);
  VORNU_FIELD(CombineIdle);
  VORNU_FIELD(UseItemIdle);
  VORNU_FIELD(MapIdle);
  VORNU_FIELD(ActionStep);
  VORNU_FIELD(SceneFlags);
  VORNU_FIELD(HotspotHidden);
  VORNU_FIELD(HotspotMap);
  VORNU_FIELD(HotspotWalkPoints);
  VORNU_FIELD(HotspotTexts);
  VORNU_FIELD(HotspotReplies);
  VORNU_FIELD(Inventory);
  VORNU_FIELD(InventoryCount);
  VORNU_FIELD(InventoryOpen);
  VORNU_FIELD(ItemInHand);
  VORNU_FIELD(HeldItem);
  VORNU_FIELD(ItemTexts);
  VORNU_FIELD(ItemReplies);
  VORNU_FIELD(UseFailReplies);
  VORNU_FIELD(UseFailReplyCount);
  VORNU_FIELD(SpeechActive);
  VORNU_FIELD(Speaker);
  VORNU_FIELD(CurrentSpeech);
  VORNU_FIELD(ButtonsHeld);
#undef VORNU_FIELD
}

std::unique_ptr<support::TScratchDir> gDir;
std::unique_ptr<support::TGame> gGame;
std::unique_ptr<TState> gStart;

std::unique_ptr<TState> Capture() {
  auto S = std::make_unique<TState>();
  TForm1& F = gGame->F();
  Each(F, *S, [](const auto& From, auto& To) { To = From; });
  S->Timer2 = F.Timer2->Enabled();
  S->Timer3 = F.Timer3->Enabled();
  S->Timer4 = F.Timer4->Enabled();
  return S;
}

// At exit, before the application object goes: the form's components reach for it.
void Stop() {
  gGame.reset();
  gDir.reset();
}

// The fuzzer's arguments with every relative path made absolute.
void AbsolutePaths(int Argc, char** Argv) {
  for (int I = 1; I < Argc; ++I) {
    std::string A = Argv[I];
    std::string Prefix;
    for (const char* Option : {"-artifact_prefix=", "-exact_artifact_path="}) {
      if (A.rfind(Option, 0) == 0) Prefix = Option;
    }
    if (Prefix.empty() && !A.empty() && A[0] == '-') continue;
    std::string Path = A.substr(Prefix.size());
    if (Path.empty() || fs::path(Path).is_absolute()) continue;
    // A prefix may end in a separator, which a file name then completes.
    std::string Absolute = (fs::current_path() / Path).string();
    if (Path.back() == '/' && Absolute.back() != '/') Absolute += '/';
    Argv[I] = strdup((Prefix + Absolute).c_str());  // lives as long as the process
  }
}

}  // namespace

void Start(const char* Name, int* Argc, char*** Argv) {
  if (Argc && Argv) AbsolutePaths(*Argc, *Argv);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  // No sound: opening a tune would load the synthesizer's soundfont at every scene change.
  setenv("SDL_AUDIODRIVER", "none", 1);
  gDir = std::make_unique<support::TScratchDir>("vornu-fuzz-" + std::string(Name));
  support::WriteFixtureGame(gDir->Path(), support::TLayout::Story);
  // One-pixel backgrounds: the rest of the surface stays as it was, and loading a scene, which
  // some targets do for every input, costs next to nothing.
  for (int Scene = 0; Scene <= 13; ++Scene) {
    support::WriteBitmap(*gDir / "scenes" / ("scene" + std::to_string(Scene) + ".bmp"), 1, 1,
                         0x204060);
  }
  std::atexit(Stop);
  // Start-up messages and trace lines would drown the fuzzer's own output.
  vornu::SetErrorBoxHook([](const std::string&, const std::string&) {});
  SetTraceHook([](const std::string&) {});
  // The 320 x 200 build: a quarter of the pixels to compose each frame; input as it comes.
  gGame = std::make_unique<support::TGame>(gDir->Path(), support::Display(false));
  if (!gGame->F().StartupError.empty()) Fault("the generated game does not start");
  try {
    gGame->SkipIntro();
  } catch (const std::exception& E) {
    Fault(E.what());
  }
  Frame(1000);  // the frame timer's first tick
  gStart = Capture();
}

TForm1& Game() {
  return gGame->F();
}

const fs::path& Dir() {
  return gDir->Path();
}

void WriteFile(const std::string& Rel, const std::uint8_t* Data, std::size_t Size) {
  try {
    support::WriteFile(*gDir / Rel, std::string_view(reinterpret_cast<const char*>(Data), Size));
  } catch (const std::exception&) {
    Fault("cannot write the input file");
  }
}

void Frame(std::uint32_t Ms) {
  gGame->Step(Ms);
}

void Reset() {
  TForm1& F = gGame->F();
  if (F.CurrentScene != 1) {
    F.CurrentScene = 1;  // scene to scene: the music is left alone
    F.LoadScene(1);
  }
  Each(F, *gStart, [](auto& To, const auto& From) { To = From; });
  F.Timer2->SetEnabled(gStart->Timer2);
  F.Timer3->SetEnabled(gStart->Timer3);
  F.Timer4->SetEnabled(gStart->Timer4);
}

bool Untouched() {
  return *Capture() == *gStart;
}

void Fault(const char* What) {
  std::fprintf(stderr, "fuzz: %s\n", What);
  std::fflush(stderr);
  __builtin_trap();
}

}  // namespace fuzzgame
