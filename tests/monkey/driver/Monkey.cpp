// The monkey player: gestures built from the hotspot maps, a guide that follows the puzzle
// chain, random noise between them, and the invariants checked after every single input.
#include "tests/monkey/driver/Monkey.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <deque>
#include <exception>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "app/demo/Walkthrough.h"
#include "engine/GX.h"
#include "game/Unit1.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/Text1252.h"
#include "platform/Timers.h"
#include "tests/support/FixtureGame.h"
#include "tests/support/HeadlessGame.h"

namespace monkey {

namespace {

namespace fs = std::filesystem;

// The longest script of the game (the computer's whole conversation) takes about 45 s of game
// time with every speech left to run out; nothing may stay pending, or keep the pointer
// hidden, for longer than this.
constexpr std::uint32_t kScriptBoundMs = 120000;
// The longest script wait is 1500 ms: the mouse is never locked for long.
constexpr std::uint32_t kLockBoundMs = 10000;

struct Point {
  int X = 0;
  int Y = 0;
};

class Rng {
 public:
  explicit Rng(std::uint64_t Seed) : engine_(Seed) {}
  // Lo..Hi inclusive.
  int Int(int Lo, int Hi) {
    return Lo + static_cast<int>(engine_() % static_cast<std::uint64_t>(Hi - Lo + 1));
  }
  bool Chance(double P) { return static_cast<double>(engine_() >> 11) * 0x1.0p-53 < P; }
  template <typename T>
  const T& Pick(const std::vector<T>& V) {
    return V[static_cast<std::size_t>(Int(0, static_cast<int>(V.size()) - 1))];
  }

 private:
  std::mt19937_64 engine_;
};

// The cells of one scene's hotspot map, as logical pointer positions.
struct SceneCells {
  std::map<int, std::vector<Point>> Hotspots;
  std::vector<Point> Floor;
  std::vector<Point> Nothing;
};

// A way from one scene to another: the hotspot to choose there (a click on the map).
struct Passage {
  int From, To, Hotspot;
  int NeedsItem = 0;
};

const std::vector<Passage>& Passages() {
  static const std::vector<Passage> P = {
      {0, 13, 1, 4}, {0, 9, 2},   {0, 1, 3},   {0, 12, 5}, {0, 4, 6},  {0, 6, 7}, {1, 3, 10},
      {1, 2, 9},     {1, 0, 254}, {2, 1, 1},   {3, 1, 1},  {4, 5, 12}, {4, 0, 1}, {5, 4, 1},
      {6, 0, 1},     {6, 7, 9},   {6, 8, 13},  {7, 6, 1},  {8, 6, 1},  {9, 0, 4}, {9, 10, 3},
      {10, 9, 15},   {10, 11, 3}, {11, 10, 1}, {12, 0, 1}, {13, 0, 6}};
  return P;
}

// The next thing to do on the way to the credits.
struct Goal {
  enum Kind { Verb, Use, ItemVerb, Combine, Map } What = Verb;
  int Scene = 0;
  int Hotspot = 0;
  int VerbNumber = 2;
  int Item = 0;
  int Target = 0;  // Combine: the item the held one is put on
};

class Monkey {
 public:
  explicit Monkey(const Options& O) : opt_(O), rng_(O.Seed) {}

  Result Play() {
    const auto Start = std::chrono::steady_clock::now();
    // A folder of its own for the save file.
    const support::TGameCopy Scratch(opt_.Data);
    const support::TCurrentDir InScratch(Scratch.Path());
    try {
      while (seen_.Inputs < opt_.Inputs && failure_.empty()) {
        if (!game_ || F().Closed()) NewGame();
        if (!failure_.empty()) break;
        Tick();
      }
    } catch (const std::exception& E) {
      Fail(std::string("the monkey itself stopped: ") + vornu::Cp1252ToUtf8(E.what()));
    }
    NoteProgress();
    game_.reset();
    seen_.WallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    Result R;
    R.Passed = failure_.empty();
    R.Failure = failure_;
    R.Seen = seen_;
    return R;
  }

 private:
  // ---- Games ----
  void NewGame() {
    if (game_) {
      if (F().EndingActive == 1 || F().EndingStep >= 5) {
        ++seen_.Credits;
      } else {
        ++seen_.Quits;
      }
    }
    NoteProgress();
    game_.reset();
    plan_.clear();
    held_ = {false, false, false};
    scriptSince_.reset();
    hiddenSince_.reset();
    lockSince_.reset();
    // Each game has its own temper: how often the player fumbles, and how wildly.
    burstPercent_ = rng_.Int(3, 12);
    gesturePercent_ = rng_.Int(15, 35);
    strayChance_ = rng_.Int(5, 30) / 1000.0;
    const bool Large = rng_.Chance(0.7);  // mostly the vornu build, sometimes vornu-lowres
    game_ = std::make_unique<support::TGame>(fs::path(), support::Display(Large));
    if (!F().StartupError.empty()) {
      Fail("the game did not start: " + vornu::Cp1252ToUtf8(F().StartupError));
      return;
    }
    // Everything that reaches the application's handler is noted, then handled as usual.
    TExceptionEvent Screen = Application->OnException;
    Application->OnException = [this, Screen](TObject* Sender, const std::exception& E) {
      if (!RaisedByDesign(E)) caught_.push_back(vornu::Cp1252ToUtf8(E.what()));
      if (Screen) Screen(Sender, E);
    };
    ++seen_.Games;
    Note(std::string("new game, ") + (Large ? "640 x 400" : "320 x 200"));
  }

  // The game raises exceptions only for broken files (scene files, pictures, the item file,
  // the save file); the built data and the game's own saves give none, so none is expected.
  static bool RaisedByDesign(const std::exception&) { return false; }

  TForm1& F() { return game_->F(); }
  vornu::ManualClock& Clock() { return game_->Clock(); }

  // ---- One input ----
  void Tick() {
    if (plan_.empty()) Decide();
    // Noise between the steps of a gesture: a stray move, click, key or a late timer.
    if (rng_.Chance(strayChance_)) {
      RandomInput();
    } else {
      RunStep();
    }
  }

  // Runs the first step of the plan, or drops it; exactly one input unless the plan empties.
  void RunStep() {
    while (!plan_.empty()) {
      Step& S = plan_.front();
      switch (S.K) {
        case Kind::WaitUntil:
          if (S.Until() || S.Spent >= S.Ms) {
            plan_.pop_front();
            continue;
          }
          [[fallthrough]];
        case Kind::Hold: {
          if (S.K == Kind::Hold && S.Spent >= S.Ms) {
            plan_.pop_front();
            continue;
          }
          const std::uint32_t Ms = FrameMs();
          S.Spent += Ms;
          Frame(Ms);
          return;
        }
        case Kind::Move:
        case Kind::Down:
        case Kind::Up: {
          const std::optional<Point> P = S.At();
          if (!P) {  // what the gesture aimed at has gone: the rest of it is dropped
            plan_.clear();
            return Frame(FrameMs());
          }
          const Kind K = S.K;
          const TMouseButton B = S.Button;
          plan_.pop_front();
          if (K == Kind::Move) return Move(*P);
          if (K == Kind::Down) return Down(B, *P);
          return Up(B, *P);
        }
        case Kind::Key:
          plan_.pop_front();
          return Key();
        case Kind::Noise:
          plan_.pop_front();
          return RandomInput();
      }
    }
    Frame(FrameMs());
  }

  std::uint32_t FrameMs() {
    const int R = rng_.Int(0, 99);
    if (R < 70) return static_cast<std::uint32_t>(rng_.Int(10, 20));
    if (R < 90) return static_cast<std::uint32_t>(rng_.Int(21, 60));
    return static_cast<std::uint32_t>(rng_.Int(1, 9));
  }

  // Form pixels of a logical position (the vornu build's display is twice as large).
  int ToForm(int V) { return F().Settings.HalveMouse ? V * 2 + rng_.Int(0, 1) : V; }

  static const char* ButtonName(TMouseButton B) {
    return B == mbLeft ? "left" : B == mbRight ? "right" : "middle";
  }

  void Move(Point P) {
    const int X = ToForm(P.X), Y = ToForm(P.Y);
    Input("move " + std::to_string(X) + "," + std::to_string(Y), [&] { F().MouseMove(0, X, Y); });
    pointer_ = P;
  }
  void Down(TMouseButton B, Point P) {
    const int X = ToForm(P.X), Y = ToForm(P.Y);
    held_[B] = true;
    Input(std::string("press ") + ButtonName(B) + " " + std::to_string(X) + "," + std::to_string(Y),
          [&] { F().MouseDown(B, 0, X, Y); });
  }
  void Up(TMouseButton B, Point P) {
    if (B == mbLeft) P = AvoidQuit(P);
    const int X = ToForm(P.X), Y = ToForm(P.Y);
    held_[B] = false;
    Input(
        std::string("release ") + ButtonName(B) + " " + std::to_string(X) + "," + std::to_string(Y),
        [&] { F().MouseUp(B, 0, X, Y); });
  }
  void Key() {
    static const char Keys[] = {' ', '\r', 'a', '\x1B', 'q', '1'};
    const char K = Keys[rng_.Int(0, 5)];
    Input("key " + std::to_string(static_cast<int>(K)), [&] { F().KeyPress(K); });
  }
  // A frame as the loop runs it: the clock moves on, due timers fire, then the frame.
  void Frame(std::uint32_t Ms) {
    Input("frame +" + std::to_string(Ms) + " ms", [&] {
      Clock().Advance(Ms);
      seen_.GameMs += Ms;
      Application->ProcessTimers();
      if (!F().Closed() && F().GXScreen1->OnFlip) F().GXScreen1->OnFlip(F().GXScreen1.get());
    });
  }
  // Time passes and the timers fire, but the next input comes before the next frame.
  void Timers(std::uint32_t Ms) {
    Input("timers +" + std::to_string(Ms) + " ms", [&] {
      seen_.GameMs += Ms;
      game_->Timers(Ms);
    });
  }

  // Delivers one input as the window's loop would (an exception goes to the application's
  // handler), notes it, and checks the invariants.
  void Input(const std::string& What, const std::function<void()>& Deliver) {
    const long Index = seen_.Inputs++;
    std::string Line =
        "#" + std::to_string(Index) + " t=" + std::to_string(seen_.GameMs) + " " + What;
    try {
      Deliver();
    } catch (const std::exception& E) {
      Application->HandleException(Application, E);
    }
    if (!F().Closed()) {
      const std::size_t Before = game_->Speeches().size();
      game_->Notice();
      seen_.Speeches += static_cast<long>(game_->Speeches().size() - Before);
    }
    if (opt_.TraceFrom >= 0 && Index >= opt_.TraceFrom) {
      std::printf("%s  | %s\n", Line.c_str(), State().c_str());
      std::fflush(stdout);
    }
    recent_.push_back(std::move(Line));
    while (recent_.size() > opt_.Remember) recent_.pop_front();
    Check();
    if (failure_.empty() && !F().Closed()) MaybeSaveAndLoad();
    if (opt_.ProgressEvery > 0 && seen_.Inputs % opt_.ProgressEvery == 0 && opt_.Progress) {
      NoteProgress();
      seen_.WallSeconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
      std::string Now = "  now: " + State();
      if (game_ && !F().Closed() && F().IntroActive == 0) {
        const Goal G = NextGoal();
        Now += "; next goal: scene " + std::to_string(G.Scene) + " hotspot " +
               std::to_string(G.Hotspot) + " item " + std::to_string(G.Item);
      }
      opt_.Progress(Summary(seen_, opt_.Seed) + Now + "\n");
    }
  }

  void Note(const std::string& What) { recent_.push_back("   (" + What + ")"); }

  // ---- Invariants ----
  void Check() {
    if (!caught_.empty()) {
      Fail("an exception reached the application's handler: " + caught_.front());
      return;
    }
    if (F().Closed()) return;
    TForm1& G = F();
    if (G.InventoryCount > 13) {
      Fail("InventoryCount is " + std::to_string(G.InventoryCount));
      return;
    }
    bool Carried[14] = {};
    for (long I = 1; I <= G.InventoryCount; ++I) {
      const int Item = G.Inventory[I];
      if (Item < 1 || Item > 13) {
        Fail("inventory entry " + std::to_string(I) + " of " + std::to_string(G.InventoryCount) +
             " holds item " + std::to_string(Item));
        return;
      }
      if (Carried[Item]) {
        Fail("item " + std::to_string(Item) + " is carried twice");
        return;
      }
      Carried[Item] = true;
    }
    if (G.CurrentScene > 13) {
      Fail("scene " + std::to_string(G.CurrentScene) + " is current");
      return;
    }
    if (G.IntroActive == 0) seen_.Scenes.insert(G.CurrentScene);
    const std::uint64_t Now = seen_.GameMs;
    const bool Script = G.SceneActionIdle == 0;
    const bool Hidden = G.CursorShown == 0;
    if (Hidden && !Script) {
      Fail("the pointer is hidden and no scene action is running");
      return;
    }
    if (!Within(Script, scriptSince_, seen_.LongestScriptMs, Now)) {
      Fail("a scene action has been pending or running for more than 120 s");
      return;
    }
    if (!Within(Hidden, hiddenSince_, seen_.LongestHiddenMs, Now)) {
      Fail("the pointer has been hidden for more than 120 s");
      return;
    }
    if (!Script && G.IntroActive == 0 && G.EndingActive == 0) {
      // What a script changes only for its own length is put back before it ends: the
      // speaker, and the tiles of doors and animations.
      if (G.Speaker != 1) {
        Fail("the other character's colours outlive the script (Speaker " +
             std::to_string(G.Speaker) + ")");
        return;
      }
      static const int Passing[][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4},  {1, 5},  {1, 6},
                                       {1, 7}, {1, 8}, {4, 1}, {4, 2},  {6, 1},  {6, 2},
                                       {6, 3}, {6, 5}, {9, 1}, {10, 1}, {10, 2}, {13, 1}};
      for (const auto& T : Passing) {
        if (G.SceneFlags[T[0]][T[1]] != 0) {
          Fail("tile flag [" + std::to_string(T[0]) + "][" + std::to_string(T[1]) +
               "] is left set after its script");
          return;
        }
      }
    }
    std::uint32_t LockMs = 0;
    if (!Within(G.Timer4->Enabled(), lockSince_, LockMs, Now, kLockBoundMs)) {
      Fail("the mouse has been locked by a script wait for more than 10 s");
      return;
    }
    if (seen_.Inputs % 64 == 0) NoteProgress();
  }

  // Tracks how long Holds has held; false once that passes Bound.
  static bool Within(bool Holds, std::optional<std::uint64_t>& Since, std::uint32_t& Max,
                     std::uint64_t Now, std::uint32_t Bound = kScriptBoundMs) {
    if (!Holds) {
      Since.reset();
      return true;
    }
    if (!Since) Since = Now;
    const std::uint64_t For = Now - *Since;
    Max = std::max<std::uint32_t>(Max, static_cast<std::uint32_t>(For));
    return For <= Bound;
  }

  void NoteProgress() {
    if (!game_ || F().Closed()) return;
    for (long S = 1; S <= 20; ++S)
      for (long K = 1; K <= 100; ++K)
        if (F().SceneFlags[S][K] != 0)
          seen_.Flags.insert({static_cast<int>(S), static_cast<int>(K)});
    for (long I = 1; I <= F().InventoryCount && I <= 13; ++I) seen_.Items.insert(F().Inventory[I]);
  }

  // Now and then, while nothing is going on in a scene, a save followed by a load must give
  // back the same game, and saving the loaded game must write the same file.
  void MaybeSaveAndLoad() {
    if (seen_.Inputs < nextSaveCheck_) return;
    TForm1& G = F();
    if (G.IntroActive == 1 || G.EndingActive == 1 || G.CurrentScene == 0 ||
        G.SceneActionIdle == 0 || G.UseItemIdle == 0 || G.MapIdle == 0 || G.ItemActionIdle == 0 ||
        G.CombineIdle == 0 || G.Timer4->Enabled() || G.MenuOpen == 1 || G.InventoryOpen == 1) {
      return;
    }
    nextSaveCheck_ = seen_.Inputs + rng_.Int(500, 2500);
    ++seen_.SaveLoadChecks;
    Note("save and load");
    try {
      const walkthrough::Snapshot Before = walkthrough::Snapshot::Of(G);
      G.SaveGame();
      const std::string Saved = ReadSave();
      G.LoadGame();
      const walkthrough::Snapshot After = walkthrough::Snapshot::Of(G);
      if (!(After == Before)) {
        Fail("a save followed by a load did not give back the same game");
        return;
      }
      if (G.WalkDone != 1 || G.PukkiTargetX != G.PukkiX || G.PukkiTargetY != G.PukkiY) {
        Fail("Pukki does not stand still after loading");
        return;
      }
      G.SaveGame();
      if (ReadSave() != Saved) {
        Fail("saving the loaded game wrote another file");
        return;
      }
    } catch (const std::exception& E) {
      Fail("save and load: " + vornu::Cp1252ToUtf8(E.what()));
    }
    Check();
  }

  static std::string ReadSave() {
    std::ifstream In("savegame.dat", std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
  }

  std::string State() {
    if (!game_ || F().Closed()) return "game closed";
    const TForm1& G = F();
    std::ostringstream S;
    S << "scene " << G.CurrentScene
      << (G.IntroActive ? " intro " + std::to_string(G.IntroStep) : "")
      << (G.EndingActive ? " ending " + std::to_string(G.EndingStep) : "") << ", action "
      << G.ActionHotspot << "/" << int(G.SelectedVerb) << " step " << G.ActionStep << ", idle "
      << int(G.SceneActionIdle) << int(G.UseItemIdle) << int(G.ItemActionIdle) << int(G.CombineIdle)
      << int(G.MapIdle) << ", speech " << int(G.SpeechActive) << ", wait " << G.Timer4->Enabled()
      << ", long press " << G.Timer2->Enabled() << ", walk done " << int(G.WalkDone) << ", menu "
      << int(G.MenuOpen) << ", inventory " << int(G.InventoryOpen) << ", held " << int(G.ItemInHand)
      << ":" << G.HeldItem << ", pointer " << int(G.CursorShown) << "/" << int(G.CursorKind)
      << " at " << G.MouseX << "," << G.MouseY << ", Pukki " << G.PukkiX << "," << G.PukkiY
      << ", items";
    for (long I = 1; I <= G.InventoryCount && I <= 13; ++I) S << " " << G.Inventory[I];
    return S.str();
  }

  void Fail(const std::string& Why) {
    if (!failure_.empty()) return;
    std::ostringstream S;
    S << "monkey: FAILED after input #" << (seen_.Inputs - 1) << " (seed " << opt_.Seed << ", game "
      << seen_.Games << ", game time " << seen_.GameMs << " ms): " << Why << "\n"
      << "  state: " << State() << "\n  the last inputs:\n";
    for (const std::string& L : recent_) S << "    " << L << "\n";
    const long From = std::max(0L, seen_.Inputs - static_cast<long>(opt_.Remember));
    S << "  replay: " << opt_.ReplayCommand << " --seed " << opt_.Seed << " --inputs "
      << seen_.Inputs << " --trace " << From << "\n";
    failure_ = S.str();
  }

  // ---- Where things are ----
  const SceneCells& Cells() {
    const int Scene = F().CurrentScene;
    auto It = cells_.find(Scene);
    if (It != cells_.end()) return It->second;
    SceneCells C;
    for (int X = 1; X <= 319; ++X) {
      for (int Y = 1; Y <= 199; ++Y) {
        const int V = F().HotspotMap[X][Y];
        if (V == 0) {
          C.Floor.push_back({X, Y});
        } else if (V == 255) {
          C.Nothing.push_back({X, Y});
        } else {
          C.Hotspots[V].push_back({X, Y});
        }
      }
    }
    return cells_.emplace(Scene, std::move(C)).first->second;
  }

  std::optional<Point> InHotspot(int H) {
    const SceneCells& C = Cells();
    auto It = C.Hotspots.find(H);
    if (It == C.Hotspots.end()) return std::nullopt;
    return rng_.Pick(It->second);
  }

  Point Anywhere() { return {rng_.Int(0, 319), rng_.Int(0, 199)}; }

  // A point where nothing reacts (floor or nothing), to put a held item back.
  Point Inert() {
    const SceneCells& C = Cells();
    if (!C.Nothing.empty() && (C.Floor.empty() || rng_.Chance(0.5))) return rng_.Pick(C.Nothing);
    if (!C.Floor.empty()) return rng_.Pick(C.Floor);
    return Anywhere();
  }

  std::optional<Point> OnItem(int Item) {
    const int Slot = F().FindItem(static_cast<std::uint16_t>(Item));
    if (Slot == 0) return std::nullopt;
    return Point{10 + 30 * (Slot - 1) + rng_.Int(0, 29), rng_.Int(10, 39)};
  }

  Point InVerb(int Verb) {
    static const int Boxes[3][4] = {
        {138, 97, 154, 117}, {161, 100, 171, 103}, {160, 110, 170, 114}};
    if (Verb < 2 || Verb > 4) {  // anywhere but a verb box
      Point P{rng_.Int(100, 220), rng_.Int(60, 140)};
      for (const auto& B : Boxes) {
        if (P.X >= B[0] && P.X <= B[2] && P.Y >= B[1] && P.Y <= B[3]) P.X = 130;
      }
      return P;
    }
    const int* B = Boxes[Verb - 2];
    return {rng_.Int(B[0], B[2]), rng_.Int(B[1], B[3])};
  }

  // ---- Gestures ----
  enum class Kind { Move, Down, Up, Key, Hold, WaitUntil, Noise };
  struct Step {
    Kind K = Kind::Hold;
    TMouseButton Button = mbLeft;
    std::function<std::optional<Point>()> At;
    std::uint32_t Ms = 0;
    std::function<bool()> Until;
    std::uint32_t Spent = 0;
  };
  using Where = std::function<std::optional<Point>()>;

  void Add(Kind K, Where At = nullptr, TMouseButton B = mbLeft) {
    Step S;
    S.K = K;
    S.At = std::move(At);
    S.Button = B;
    plan_.push_back(std::move(S));
  }
  void Hold(int Lo, int Hi) {
    Step S;
    S.K = Kind::Hold;
    S.Ms = static_cast<std::uint32_t>(rng_.Int(Lo, Hi));
    plan_.push_back(std::move(S));
  }
  void WaitUntil(std::function<bool()> Until, std::uint32_t MaxMs) {
    Step S;
    S.K = Kind::WaitUntil;
    S.Until = std::move(Until);
    S.Ms = MaxMs;
    plan_.push_back(std::move(S));
  }
  static Where At(Point P) {
    return [P] { return std::optional<Point>(P); };
  }
  Where Here() {
    return [this] { return std::optional<Point>(pointer_); };
  }
  // Moves there, sometimes by way of a point or two on the line.
  void GlideTo(Where To) {
    const int Steps = rng_.Int(0, 2);
    for (int I = 1; I <= Steps; ++I) {
      const int Legs = Steps + 1 - I + 1;
      Add(Kind::Move, [this, To, Legs]() -> std::optional<Point> {
        const std::optional<Point> P = To();
        if (!P) return std::nullopt;
        return Point{pointer_.X + (P->X - pointer_.X) / Legs,
                     pointer_.Y + (P->Y - pointer_.Y) / Legs};
      });
    }
    Add(Kind::Move, To);
  }
  void Click(Where To, TMouseButton B = mbLeft, int HoldLo = 0, int HoldHi = 200) {
    GlideTo(To);
    Add(Kind::Down, Here(), B);
    Hold(HoldLo, HoldHi);
    Add(Kind::Up, Here(), B);
  }
  // A long press on To, then the release on verb Verb of the menu (1: on no verb).
  void ChooseVerb(Where To, int Verb) {
    GlideTo(To);
    Add(Kind::Down, Here());
    WaitUntil([this] { return F().MenuOpen == 1; },
              static_cast<std::uint32_t>(rng_.Int(600, 1500)));
    const Point V = InVerb(Verb);
    GlideTo(At(V));
    Hold(0, 150);
    Add(Kind::Up, Here());
  }
  void ToggleInventory() { Click(Here(), mbRight, 0, 120); }

  // ---- Choosing what to do next ----
  void Decide() {
    TForm1& G = F();
    if (G.IntroActive == 1 || G.EndingActive == 1) {
      if (rng_.Chance(0.15)) return RandomGesture();
      Hold(0, 600);
      Add(Kind::Key);
      return;
    }
    // A button still held from a gesture cut short is let go first.
    for (TMouseButton B : {mbLeft, mbRight, mbMiddle}) {
      if (held_[B] && rng_.Chance(0.8)) {
        Hold(0, 300);
        Add(Kind::Up, Here(), B);
        return;
      }
    }
    const int R = rng_.Int(0, 99);
    if (R < burstPercent_) return NoiseBurst();
    if (R < burstPercent_ + gesturePercent_) return RandomGesture();
    Guide();
  }

  void NoiseBurst() {
    const int N = rng_.Int(3, 25);
    for (int I = 0; I < N; ++I) Add(Kind::Noise);
  }

  // One input drawn at random: moves, presses and releases anywhere, keys, frames, timers.
  void RandomInput() {
    const int R = rng_.Int(0, 99);
    const Point P = rng_.Chance(0.8) ? pointer_ : Anywhere();
    const TMouseButton B = rng_.Chance(0.7) ? mbLeft : rng_.Chance(0.75) ? mbRight : mbMiddle;
    if (R < 25) return Move(Anywhere());
    if (R < 40) {
      if (held_[B]) return Up(B, P);
      return Down(B, AvoidQuit(P));
    }
    if (R < 55) return Up(B, AvoidQuit(P));
    if (R < 62) return Key();
    if (R < 80) return Timers(static_cast<std::uint32_t>(rng_.Int(1, 900)));
    return Frame(FrameMs());
  }

  // Stray clicks rarely end the game through the inventory's quit button.
  Point AvoidQuit(Point P) {
    if (F().InventoryOpen == 1 && P.X >= 210 && P.Y >= 171 && !rng_.Chance(0.01)) P.Y = 150;
    return P;
  }

  // A long press on some hotspot of the scene and a verb, or no verb.
  void RandomVerb() {
    std::vector<int> Hs;
    for (const auto& [H, Cells] : Cells().Hotspots) Hs.push_back(H);
    if (Hs.empty()) return Hold(0, 500);
    const int H = rng_.Pick(Hs);
    ChooseVerb([this, H] { return InHotspot(H); }, rng_.Chance(0.85) ? rng_.Int(2, 4) : 1);
  }

  void RandomGesture() {
    TForm1& G = F();
    const SceneCells& C = Cells();
    std::vector<int> Hs;
    for (const auto& [H, Cells] : C.Hotspots) Hs.push_back(H);
    const int R = rng_.Int(0, 99);
    if (R < 25 && !Hs.empty()) return RandomVerb();
    if (R < 40) {
      const TMouseButton B = rng_.Chance(0.75) ? mbLeft : rng_.Chance(0.8) ? mbRight : mbMiddle;
      if (!Hs.empty() && rng_.Chance(0.6)) {
        const int H = rng_.Pick(Hs);
        return Click([this, H] { return InHotspot(H); }, B, 0, rng_.Chance(0.2) ? 1500 : 300);
      }
      const Point P =
          AvoidQuit(rng_.Chance(0.5) && !C.Floor.empty() ? rng_.Pick(C.Floor) : Anywhere());
      Click(At(P), B, 0, 400);
      if (rng_.Chance(0.2)) {  // a release somewhere else than the press
        plan_.pop_back();
        GlideTo(At(AvoidQuit(Anywhere())));
        Add(Kind::Up, Here(), B);
      }
      return;
    }
    if (R < 50) return ToggleInventory();
    if (R < 70 && G.InventoryCount > 0) {
      if (G.InventoryOpen == 0) ToggleInventory();
      const int Item = G.Inventory[rng_.Int(1, G.InventoryCount)];
      const int What = rng_.Int(0, 3);
      if (What == 0) {  // a verb on it
        ChooseVerb([this, Item] { return OnItem(Item); }, rng_.Int(1, 4));
      } else if (What == 1) {  // take it and put it on another
        const int Other = G.Inventory[rng_.Int(1, G.InventoryCount)];
        Click([this, Item] { return OnItem(Item); });
        Click([this, Other] { return OnItem(Other); });
      } else {  // take it and use it on something of the scene
        Click([this, Item] { return OnItem(Item); });
        ToggleInventory();
        if (!Hs.empty()) {
          const int H = rng_.Pick(Hs);
          Click([this, H] { return InHotspot(H); });
        }
      }
      return;
    }
    if (R < 78) {  // the inventory's buttons
      if (G.InventoryOpen == 0) ToggleInventory();
      const int Button = rng_.Int(0, 99);
      const int X = Button < 48   ? rng_.Int(10, 109)
                    : Button < 98 ? rng_.Int(110, 209)
                                  : rng_.Int(210, 319);
      return Click(At({X, rng_.Int(171, 199)}));
    }
    if (R < 90) return Hold(0, 4000);
    Add(Kind::Key);
  }

  // Follows the puzzle chain: gets ready, travels, then does what the next goal asks.
  void Guide() {
    TForm1& G = F();
    if (G.SpeechActive == 1 && !G.Timer4->Enabled()) {
      if (rng_.Chance(0.65)) return Click(Here(), rng_.Chance(0.9) ? mbLeft : mbRight, 0, 150);
      return Hold(100, 2500);
    }
    // A pending action waits behind the open inventory: it is closed.
    if (G.InventoryOpen == 1 && (G.SceneActionIdle == 0 || G.UseItemIdle == 0)) {
      return ToggleInventory();
    }
    if (G.Timer4->Enabled() || (G.SceneActionIdle == 0 && G.WalkDone == 1) ||
        (G.UseItemIdle == 0 && G.WalkDone == 1)) {
      return WaitUntil(
          [this] {
            const TForm1& H = F();
            return H.SpeechActive == 1 || (H.SceneActionIdle == 1 && H.MapIdle == 1 &&
                                           H.UseItemIdle == 1 && !H.Timer4->Enabled());
          },
          static_cast<std::uint32_t>(rng_.Int(200, 3000)));
    }
    if (G.WalkDone == 0 && G.InventoryOpen == 0) return Hold(100, 900);
    if (G.MenuOpen == 1) return Click(At(InVerb(1)));

    // Now and then a detour to some scene, to try what the chain does not need there.
    if (!explore_ && rng_.Chance(0.005)) explore_ = rng_.Int(1, 13);
    if (explore_ && *explore_ == G.CurrentScene) {
      explore_.reset();
      for (int I = rng_.Int(1, 3); I > 0; --I) RandomVerb();
      return;
    }
    Goal Want = NextGoal();
    if (explore_) Want = Goal{Goal::Verb, *explore_, 0, 2};
    int Scene = Want.Scene;
    if (Want.What == Goal::Combine) Scene = G.InventoryAllowed == 1 ? G.CurrentScene : 12;
    const bool NeedsInventory = Want.What == Goal::ItemVerb || Want.What == Goal::Combine;
    if (G.CurrentScene == Scene && NeedsInventory && G.InventoryAllowed == 1) {
      if (G.InventoryOpen == 0) return ToggleInventory();
      if (Want.What == Goal::ItemVerb) {
        if (G.ItemInHand == 1) return Click(At({rng_.Int(10, 300), rng_.Int(45, 150)}));
        const int Item = Want.Item;
        return ChooseVerb([this, Item] { return OnItem(Item); }, Want.VerbNumber);
      }
      const int Held = Want.Item, Target = Want.Target;
      if (G.ItemInHand == 0 || G.HeldItem != Held)
        return Click([this, Held] { return OnItem(Held); });
      return Click([this, Target] { return OnItem(Target); });
    }
    if (G.CurrentScene == Scene && Want.What == Goal::Use) {
      const int Item = Want.Item;
      if (G.ItemInHand == 1 && G.HeldItem == Item) {
        if (G.InventoryOpen == 1) return ToggleInventory();
        const int H = Want.Hotspot;
        return Click([this, H] { return InHotspot(H); });
      }
      if (G.InventoryOpen == 0) return ToggleInventory();
      return Click([this, Item] { return OnItem(Item); });
    }
    // Everything else happens in the scene with empty hands.
    if (G.InventoryOpen == 1) return ToggleInventory();
    if (G.ItemInHand == 1) return Click(At(Inert()));
    if (G.CurrentScene == Scene) {
      const int H = Want.Hotspot;
      if (Want.What == Goal::Map) return Click([this, H] { return InHotspot(H); });
      return ChooseVerb([this, H] { return InHotspot(H); }, Want.VerbNumber);
    }
    const std::optional<Passage> Next = NextPassage(G.CurrentScene, Scene);
    if (!Next) {
      explore_.reset();
      return RandomGesture();
    }
    const int H = Next->Hotspot;
    if (G.CurrentScene == 0) return Click([this, H] { return InHotspot(H); });
    ChooseVerb([this, H] { return InHotspot(H); }, 2);
  }

  // The first step of the shortest way between two scenes.
  std::optional<Passage> NextPassage(int From, int To) {
    std::map<int, Passage> FirstStep;
    std::deque<int> Queue{From};
    std::set<int> Seen{From};
    while (!Queue.empty()) {
      const int S = Queue.front();
      Queue.pop_front();
      if (S == To) return FirstStep.at(To);
      for (const Passage& P : Passages()) {
        if (P.From != S || Seen.count(P.To)) continue;
        if (P.NeedsItem && !F().IsItem(static_cast<std::uint16_t>(P.NeedsItem))) continue;
        Seen.insert(P.To);
        FirstStep[P.To] = S == From ? P : FirstStep.at(S);
        Queue.push_back(P.To);
      }
    }
    return std::nullopt;
  }

  // The puzzle chain of the game, from the state of the flags and the inventory.
  Goal NextGoal() {
    const TForm1& G = F();
    auto Flag = [&G](int S, int K) { return G.SceneFlags[S][K] != 0; };
    auto Has = [&G](int I) { return G.IsItem(static_cast<std::uint16_t>(I)); };
    auto Verb = [](int S, int H, int V = 2) { return Goal{Goal::Verb, S, H, V}; };
    auto Use = [](int S, int Item, int H) { return Goal{Goal::Use, S, H, 2, Item}; };
    auto ItemVerb = [](int S, int Item) { return Goal{Goal::ItemVerb, S, 0, 2, Item}; };
    if (!Flag(2, 1)) return Verb(2, 2);
    if (!Flag(2, 2)) return Verb(2, 3);
    if (!Flag(3, 1)) return Verb(3, 2);
    if (!Flag(5, 1)) return Verb(5, 2);
    if (!Flag(6, 7)) return Verb(6, 19);
    if (!Flag(6, 8)) return Flag(6, 6) || !Has(1) ? Verb(6, 19) : ItemVerb(6, 1);
    if (!Flag(7, 1)) return Verb(7, 2);
    if (!Flag(7, 3)) return Verb(7, 3);
    if (!Flag(7, 2)) return Verb(7, 4);
    if (!Flag(11, 1)) return Verb(11, 2);
    if (!Flag(6, 10)) return Flag(8, 1) && Has(7) ? Use(8, 7, 2) : Verb(8, 3);
    if (!Flag(6, 9)) return Use(6, 8, 12);
    const bool ListDone = Has(9) || Has(11) || Flag(13, 4);
    if (!ListDone) return Flag(6, 11) ? Verb(6, 20) : Verb(6, 11);
    if (!Flag(12, 1)) {
      if (!Has(10) && Has(5) && Has(6)) return Goal{Goal::Combine, 0, 0, 2, 6, 5};
      return Use(12, 10, 2);
    }
    if (!Has(11) && !Flag(13, 4)) return Verb(12, 2, 4);
    if (!Flag(13, 4)) {
      if (!Flag(13, 6) || Flag(13, 7)) return Use(13, 11, 5);
      return ItemVerb(13, 2);
    }
    if (!Flag(13, 8)) {
      if (Has(13)) return Use(13, 13, 3);
      if (!Flag(10, 3)) return Verb(13, 2);
      return Verb(10, 16);
    }
    if (!Flag(13, 5)) return Verb(13, 2);
    if (!Has(12)) return Verb(13, 4);
    return Goal{Goal::Map, 0, 4};
  }

  Options opt_;
  Rng rng_;
  std::unique_ptr<support::TGame> game_;
  std::deque<Step> plan_;
  std::array<bool, 3> held_{};
  Point pointer_{160, 100};
  std::map<int, SceneCells> cells_;
  std::vector<std::string> caught_;
  std::deque<std::string> recent_;
  std::optional<std::uint64_t> scriptSince_, hiddenSince_, lockSince_;
  long nextSaveCheck_ = 500;
  std::optional<int> explore_;
  int burstPercent_ = 10;
  int gesturePercent_ = 28;
  double strayChance_ = 0.02;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  Figures seen_;
  std::string failure_;
};

std::string Duration(std::uint64_t Ms) {
  const std::uint64_t S = Ms / 1000;
  char Buf[64];
  std::snprintf(Buf, sizeof Buf, "%lluh %02llum %02llus", static_cast<unsigned long long>(S / 3600),
                static_cast<unsigned long long>(S / 60 % 60),
                static_cast<unsigned long long>(S % 60));
  return Buf;
}

}  // namespace

Result Run(const Options& O) {
  Monkey M(O);
  return M.Play();
}

std::string Summary(const Figures& Seen, std::uint64_t Seed) {
  std::ostringstream S;
  S << "monkey: seed " << Seed << ", " << Seen.Inputs << " inputs, game time "
    << Duration(Seen.GameMs) << ", wall time " << static_cast<long>(Seen.WallSeconds + 0.5)
    << " s\n";
  S << "  games: " << Seen.Games << " started, " << Seen.Credits << " to the credits, "
    << Seen.Quits << " quit; " << Seen.SaveLoadChecks << " save-and-load checks; " << Seen.Speeches
    << " speeches\n";
  S << "  scenes reached:";
  for (int Sc : Seen.Scenes) S << " " << Sc;
  S << "\n  items carried:";
  for (int I : Seen.Items) S << " " << I;
  S << "\n  flags reached:";
  for (const auto& [Sc, K] : Seen.Flags) S << " [" << Sc << "][" << K << "]";
  S << "\n  longest scene action " << Seen.LongestScriptMs / 1000.0 << " s, longest hidden pointer "
    << Seen.LongestHiddenMs / 1000.0 << " s\n";
  return S.str();
}

}  // namespace monkey
