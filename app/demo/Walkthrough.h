// The whole game played by a robot player: clicks found from the scene's hotspot map, waits
// for the game to answer, checks of the puzzle state on the way. Used by the demo program and
// by the playthrough test; each gives it its own way of delivering input.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/GX.h"
#include "game/Unit1.h"
#include "platform/Clock.h"
#include "platform/Timers.h"

namespace walkthrough {

// Where the robot's input goes; positions are logical (320 x 200).
class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void Move(int X, int Y) = 0;
  virtual void Down(TMouseButton Button, int X, int Y) = 0;
  virtual void Up(TMouseButton Button, int X, int Y) = 0;
  virtual void Key(char C) = 0;
};

// How fast the robot plays. Zero everywhere: as fast as the game lets it.
struct Pace {
  std::uint32_t BeforeActionMs = 0;  // pause before each action
  std::uint32_t ReadMsPerLine = 0;   // a speech is clicked away after this per line
  std::uint32_t PictureMs = 0;       // a full-screen picture is looked at this long
  int GlideSteps = 0;                // pointer moves in this many steps (0: jumps)
  std::uint32_t TimeoutMs = 120000;  // one step may take this long before the run fails
};

// Centre-most pixel of hotspot H in the current hotspot map (the pixel deepest inside it), or
// nothing when the scene has no such hotspot.
inline std::optional<TPoint> PointOfHotspot(const TForm1& Form, int H) {
  constexpr int W = 320, Ht = 200;
  std::vector<int> D(W * Ht, 0);
  auto Cell = [&](int X, int Y) { return Form.HotspotMap[X + 1][Y + 1]; };
  const int Big = 1 << 20;
  for (int Y = 0; Y < Ht; ++Y)
    for (int X = 0; X < W; ++X) D[Y * W + X] = Cell(X, Y) == H ? Big : 0;
  // Chessboard distance to the nearest cell outside the hotspot (screen edges count as outside).
  for (int Y = 0; Y < Ht; ++Y)
    for (int X = 0; X < W; ++X) {
      int& V = D[Y * W + X];
      if (V == 0) continue;
      int M = (X == 0 || Y == 0)
                  ? 1
                  : std::min({D[Y * W + X - 1], D[(Y - 1) * W + X], D[(Y - 1) * W + X - 1]}) + 1;
      if (X < W - 1 && Y > 0) M = std::min(M, D[(Y - 1) * W + X + 1] + 1);
      V = std::min(V, M);
    }
  std::optional<TPoint> Best;
  int BestD = 0;
  for (int Y = Ht - 1; Y >= 0; --Y)
    for (int X = W - 1; X >= 0; --X) {
      int& V = D[Y * W + X];
      if (V == 0) continue;
      int M = (X == W - 1 || Y == Ht - 1)
                  ? 1
                  : std::min({D[Y * W + X + 1], D[(Y + 1) * W + X], D[(Y + 1) * W + X + 1]}) + 1;
      if (X > 0 && Y < Ht - 1) M = std::min(M, D[(Y + 1) * W + X - 1] + 1);
      V = std::min(V, M);
      if (V >= BestD) {
        BestD = V;
        Best = TPoint{X, Y};
      }
    }
  return Best;
}

// Middle of the inventory slot holding Item, or nothing when it is not carried.
inline std::optional<TPoint> PointOfItem(const TForm1& Form, int Item) {
  int Slot = Form.FindItem(static_cast<std::uint16_t>(Item));
  if (Slot == 0) return std::nullopt;
  return TPoint{10 + 30 * (Slot - 1) + 15, 25};
}

// Middle of the box of verb 2, 3 or 4 in the open verb menu.
inline TPoint PointOfVerb(int Verb) {
  if (Verb == 2) return {146, 107};
  if (Verb == 3) return {166, 101};
  return {165, 112};
}

inline constexpr TPoint LoadButton{60, 185};
inline constexpr TPoint SaveButton{160, 185};

// Nothing is going on: no action, walk, speech, wait, menu, held item or journey.
inline bool Quiet(const TForm1& F) {
  return F.SceneActionIdle == 1 && F.UseItemIdle == 1 && F.ItemActionIdle == 1 &&
         F.CombineIdle == 1 && F.MapIdle == 1 && F.SpeechActive == 0 && !F.Timer4->Enabled() &&
         F.WalkDone == 1 && F.MenuOpen == 0;
}

// Everything the save file keeps, to compare before saving and after loading.
struct Snapshot {
  std::int32_t X = 0, Y = 0;
  std::uint8_t Direction = 0;
  std::uint16_t Scene = 0;
  decltype(TForm1::SceneFlags) Flags;
  decltype(TForm1::HotspotHidden) Hidden;
  std::vector<std::uint16_t> Items;
  static Snapshot Of(const TForm1& F) {
    Snapshot S;
    S.X = F.PukkiX;
    S.Y = F.PukkiY;
    S.Direction = F.PukkiDirection;
    S.Scene = F.CurrentScene;
    S.Flags = F.SceneFlags;
    S.Hidden = F.HotspotHidden;
    for (long I = 1; I <= F.InventoryCount; ++I) S.Items.push_back(F.Inventory[I]);
    return S;
  }
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// The robot: a queue of small commands, one looked at per frame.
class Player {
 public:
  using Predicate = std::function<bool(const TForm1&)>;
  using Where = std::function<std::optional<TPoint>(const TForm1&)>;

  explicit Player(Pace P) : pace_(P) {}

  // Runs one frame's worth of the walkthrough; false once it has finished or failed.
  bool Tick(TForm1& Form, InputSink& In) {
    if (Finished()) return false;
    const std::uint32_t Now = timeGetTime();
    if (!started_) {
      started_ = true;
      stepStart_ = Now;
    }
    Command& C = queue_.front();
    if (vornu::ClockDiff(Now, stepStart_) > static_cast<std::int32_t>(pace_.TimeoutMs)) {
      Fail("timed out: " + C.What + Describe(Form));
      return false;
    }
    if (Run(C, Form, In, Now)) {
      ++done_;
      queue_.pop_front();
      stepStart_ = Now;
    }
    return !Finished();
  }

  bool Finished() const { return queue_.empty() || !failure_.empty(); }
  bool Succeeded() const { return queue_.empty() && failure_.empty(); }
  const std::string& Failure() const { return failure_; }
  bool CreditsSeen() const { return creditsSeen_; }
  std::size_t CommandsDone() const { return done_; }
  // Descriptions of the high-level actions taken so far.
  const std::vector<std::string>& Log() const { return log_; }

  // ---- Building the walkthrough ----
  // A key press once the opening or closing picture has been shown.
  void KeyWhen(Predicate Ready, const std::string& What) {
    Add(Kind::WaitFor, What, Ready);
    Add(Kind::Pause, What, nullptr, nullptr, pace_.PictureMs);
    Command K = Make(Kind::Key, What);
    queue_.push_back(K);
  }

  // Holds the left button on hotspot H until the verb menu opens and chooses Verb.
  void Verb(int H, int VerbNumber, const std::string& What) {
    Begin(What);
    Where P = [H](const TForm1& F) { return PointOfHotspot(F, H); };
    Glide(P, What);
    AddClick(Kind::Down, What, P, mbLeft);
    Add(Kind::WaitFor, What + " (menu)", [](const TForm1& F) { return F.MenuOpen == 1; });
    Where V = [VerbNumber](const TForm1&) {
      return std::optional<TPoint>(PointOfVerb(VerbNumber));
    };
    Glide(V, What);
    Add(Kind::Check, What + " (verb lit)",
        [VerbNumber](const TForm1& F) { return F.SelectedVerb == VerbNumber; });
    AddClick(Kind::Up, What, V, mbLeft);
    Settle(What);
  }

  // A short click on hotspot H (on the map: a journey).
  void Click(int H, const std::string& What) {
    Begin(What);
    Where P = [H](const TForm1& F) { return PointOfHotspot(F, H); };
    Glide(P, What);
    Add(Kind::Check, What + " (pointer active)", [](const TForm1& F) { return F.CursorKind == 2; });
    AddClick(Kind::Down, What, P, mbLeft);
    AddClick(Kind::Up, What, P, mbLeft);
    Settle(What);
  }

  // Takes Item from the inventory and uses it on hotspot H.
  void UseItem(int Item, int H, const std::string& What) {
    Begin(What);
    OpenInventory(What);
    Where I = [Item](const TForm1& F) { return PointOfItem(F, Item); };
    Glide(I, What);
    AddClick(Kind::Down, What, I, mbLeft);
    AddClick(Kind::Up, What, I, mbLeft);
    Add(Kind::Check, What + " (held)",
        [Item](const TForm1& F) { return F.ItemInHand == 1 && F.HeldItem == Item; });
    CloseInventory(What);
    Where P = [H](const TForm1& F) { return PointOfHotspot(F, H); };
    Glide(P, What);
    AddClick(Kind::Down, What, P, mbLeft);
    AddClick(Kind::Up, What, P, mbLeft);
    Settle(What);
  }

  // Chooses Verb on Item in the inventory.
  void ItemVerb(int Item, int VerbNumber, const std::string& What) {
    Begin(What);
    OpenInventory(What);
    Where I = [Item](const TForm1& F) { return PointOfItem(F, Item); };
    Glide(I, What);
    AddClick(Kind::Down, What, I, mbLeft);
    Add(Kind::WaitFor, What + " (menu)", [](const TForm1& F) { return F.MenuOpen == 1; });
    Where V = [VerbNumber](const TForm1&) {
      return std::optional<TPoint>(PointOfVerb(VerbNumber));
    };
    Glide(V, What);
    AddClick(Kind::Up, What, V, mbLeft);
    Settle(What);
    CloseInventory(What);
  }

  // Puts Held on Target in the inventory.
  void Combine(int Held, int Target, const std::string& What) {
    Begin(What);
    OpenInventory(What);
    Where A = [Held](const TForm1& F) { return PointOfItem(F, Held); };
    Where B = [Target](const TForm1& F) { return PointOfItem(F, Target); };
    Glide(A, What);
    AddClick(Kind::Down, What, A, mbLeft);
    AddClick(Kind::Up, What, A, mbLeft);
    Glide(B, What);
    AddClick(Kind::Down, What, B, mbLeft);
    AddClick(Kind::Up, What, B, mbLeft);
    Settle(What);
    CloseInventory(What);
  }

  // Presses one of the inventory's buttons (the game closes the inventory itself).
  void InventoryButton(TPoint Button, const std::string& What) {
    Begin(What);
    OpenInventory(What);
    Where B = [Button](const TForm1&) { return std::optional<TPoint>(Button); };
    Glide(B, What);
    AddClick(Kind::Down, What, B, mbLeft);
    AddClick(Kind::Up, What, B, mbLeft);
    Settle(What);
  }

  // Fails the run unless Holds is true now.
  void Expect(Predicate Holds, const std::string& What) { Add(Kind::Check, What, Holds); }
  void ExpectScene(int Scene) {
    Expect([Scene](const TForm1& F) { return F.CurrentScene == Scene; },
           "scene " + std::to_string(Scene));
  }
  void ExpectFlag(int S, int K, bool Set) {
    Expect(
        [=](const TForm1& F) { return (F.SceneFlags[S][K] != 0) == Set; },
        "flag [" + std::to_string(S) + "][" + std::to_string(K) + "] " + (Set ? "set" : "clear"));
  }
  void ExpectItem(int Item, bool Carried) {
    Expect([=](const TForm1& F) { return F.IsItem(static_cast<std::uint16_t>(Item)) == Carried; },
           "item " + std::to_string(Item) + (Carried ? " carried" : " not carried"));
  }
  // Runs Call on the form (for snapshots and the like).
  void Do(std::function<void(TForm1&)> Call, const std::string& What) {
    Command C = Make(Kind::Call, What);
    C.Call = std::move(Call);
    queue_.push_back(C);
  }
  // Notes that the credits are on screen.
  void MarkCredits() {
    Do([this](TForm1&) { creditsSeen_ = true; }, "credits on screen");
  }
  // Waits until Holds is true.
  void WaitUntil(Predicate Holds, const std::string& What) { Add(Kind::WaitFor, What, Holds); }

 private:
  enum class Kind { WaitFor, Pause, Move, Down, Up, Key, Check, Settle, Call, Log };
  struct Command {
    Kind K = Kind::Check;
    std::string What;
    Predicate Test;
    Where At;
    TMouseButton Button = mbLeft;
    std::uint32_t Ms = 0;
    int StepsLeft = 0;  // Move: glide steps still to go after this one
    std::function<void(TForm1&)> Call;
  };

  Command Make(Kind K, const std::string& What) {
    Command C;
    C.K = K;
    C.What = What;
    return C;
  }
  void Add(Kind K, const std::string& What, Predicate Test, Where At = nullptr,
           std::uint32_t Ms = 0) {
    Command C = Make(K, What);
    C.Test = std::move(Test);
    C.At = std::move(At);
    C.Ms = Ms;
    queue_.push_back(C);
  }
  void AddClick(Kind K, const std::string& What, Where At, TMouseButton B) {
    Command C = Make(K, What);
    C.At = std::move(At);
    C.Button = B;
    queue_.push_back(C);
  }
  void Begin(const std::string& What) {
    Add(Kind::WaitFor, "quiet before: " + What, Quiet);
    Add(Kind::Pause, What, nullptr, nullptr, pace_.BeforeActionMs);
    Command L = Make(Kind::Log, What);
    queue_.push_back(L);
  }
  void Glide(Where At, const std::string& What) {
    const int Steps = std::max(1, pace_.GlideSteps);
    for (int I = 1; I <= Steps; ++I) {
      Command C = Make(Kind::Move, What);
      C.At = At;
      C.StepsLeft = Steps - I;
      queue_.push_back(C);
    }
  }
  void Settle(const std::string& What) { Add(Kind::Settle, What, nullptr); }
  void OpenInventory(const std::string& What) {
    Where Corner = [](const TForm1&) { return std::optional<TPoint>(TPoint{300, 150}); };
    AddClick(Kind::Down, What + " (open inventory)", Corner, mbRight);
    AddClick(Kind::Up, What + " (open inventory)", Corner, mbRight);
    Add(Kind::Check, What + " (inventory open)",
        [](const TForm1& F) { return F.InventoryOpen == 1; });
  }
  void CloseInventory(const std::string& What) {
    Add(Kind::WaitFor, What + " (before closing inventory)",
        [](const TForm1& F) { return F.SpeechActive == 0 && F.MenuOpen == 0; });
    Where Corner = [](const TForm1& F) {
      return std::optional<TPoint>(TPoint{F.MouseX, F.MouseY});
    };
    AddClick(Kind::Down, What + " (close inventory)", Corner, mbRight);
    AddClick(Kind::Up, What + " (close inventory)", Corner, mbRight);
    Add(Kind::Check, What + " (inventory closed)",
        [](const TForm1& F) { return F.InventoryOpen == 0; });
  }

  void Fail(const std::string& Why) { failure_ = Why; }

  std::string Describe(const TForm1& F) const {
    std::ostringstream S;
    S << " [scene " << F.CurrentScene << ", step " << F.ActionStep << ", idle "
      << int(F.SceneActionIdle) << int(F.UseItemIdle) << int(F.ItemActionIdle) << int(F.CombineIdle)
      << int(F.MapIdle) << ", speech " << int(F.SpeechActive) << ", wait " << F.Timer4->Enabled()
      << ", walk done " << int(F.WalkDone) << ", menu " << int(F.MenuOpen) << ", inventory "
      << int(F.InventoryOpen) << ", Pukki " << F.PukkiX << "," << F.PukkiY << " -> "
      << F.PukkiTargetX << "," << F.PukkiTargetY << "]";
    return S.str();
  }

  // Performs C; true when it is complete.
  bool Run(Command& C, TForm1& F, InputSink& In, std::uint32_t Now) {
    switch (C.K) {
      case Kind::WaitFor:
        return C.Test(F);
      case Kind::Pause:
        return static_cast<std::int32_t>(Now - stepStart_) >= static_cast<std::int32_t>(C.Ms);
      case Kind::Log:
        log_.push_back(C.What);
        return true;
      case Kind::Call:
        C.Call(F);
        return true;
      case Kind::Check:
        if (!C.Test(F)) Fail("check failed: " + C.What + Describe(F));
        return true;
      case Kind::Key: {
        char K = ' ';
        In.Key(K);
        return true;
      }
      case Kind::Move: {
        std::optional<TPoint> P = C.At(F);
        if (!P) {
          Fail("no place to point at: " + C.What + Describe(F));
          return true;
        }
        // A glide covers the rest of the way in equal pieces.
        const int FromX = F.MouseX, FromY = F.MouseY;
        const int Legs = C.StepsLeft + 1;
        In.Move(FromX + (P->X - FromX) / Legs, FromY + (P->Y - FromY) / Legs);
        return true;
      }
      case Kind::Down:
      case Kind::Up: {
        std::optional<TPoint> P = C.At(F);
        if (!P) {
          Fail("no place to click: " + C.What + Describe(F));
          return true;
        }
        if (C.K == Kind::Down) {
          In.Down(C.Button, P->X, P->Y);
        } else {
          In.Up(C.Button, P->X, P->Y);
        }
        return true;
      }
      case Kind::Settle:
        return SettleStep(F, In, Now);
    }
    return true;
  }

  // Lets the game answer: speeches are read and clicked away, until nothing goes on.
  bool SettleStep(TForm1& F, InputSink& In, std::uint32_t Now) {
    if (dismissing_) {
      dismissing_ = false;
      In.Up(mbLeft, F.MouseX, F.MouseY);
      return false;
    }
    if (F.SpeechActive == 1 && !F.Timer4->Enabled()) {
      if (!speechSince_ || speechText_ != F.CurrentSpeech) {
        speechSince_ = Now;
        speechText_ = F.CurrentSpeech;
      }
      const std::uint32_t Read = pace_.ReadMsPerLine * F.CurrentSpeech.LineCount;
      if (static_cast<std::int32_t>(Now - *speechSince_) >= static_cast<std::int32_t>(Read)) {
        In.Down(mbLeft, F.MouseX, F.MouseY);
        dismissing_ = true;
        speechSince_.reset();
      }
      return false;
    }
    speechSince_.reset();
    return Quiet(F) && F.ItemInHand == 0;
  }

  Pace pace_;
  std::deque<Command> queue_;
  std::string failure_;
  std::vector<std::string> log_;
  bool started_ = false;
  std::uint32_t stepStart_ = 0;
  std::size_t done_ = 0;
  bool dismissing_ = false;
  std::optional<std::uint32_t> speechSince_;
  SayStr speechText_;
  bool creditsSeen_ = false;
};

// The opening pictures, each stepped through with a key, until Pukki stands in the kitchen.
inline void BuildOpening(Player& P) {
  P.KeyWhen([](const TForm1& F) { return F.IntroActive == 1 && F.IntroStep == 2; },
            "title picture");
  P.KeyWhen([](const TForm1& F) { return F.IntroActive == 1 && F.IntroStep == 4; },
            "warning picture");
  P.KeyWhen([](const TForm1& F) { return F.IntroActive == 1 && F.IntroStep == 6; }, "introduction");
  P.WaitUntil([](const TForm1& F) { return F.IntroActive == 0 && F.CurrentScene == 1; }, "kitchen");
}

// What a saved game holds, in one line (scene, Pukki's place and facing, the items carried).
inline std::string DescribeSaved(const TForm1& F) {
  const Snapshot S = Snapshot::Of(F);
  std::ostringstream Out;
  Out << "scene " << S.Scene << ", Pukki at " << S.X << "," << S.Y << " facing " << int(S.Direction)
      << ", items";
  for (std::uint16_t Item : S.Items) Out << " " << Item;
  if (S.Items.empty()) Out << " none";
  return Out.str();
}

// A short run around the saved game of the current folder: the opening pictures, then with
// no save there the peg is taken and the game saved from the inventory; with a save there it
// is loaded instead, so an existing save is never overwritten. Report gets "saved: ..." or
// "loaded: ..." with DescribeSaved of the game right after the button.
inline void BuildSaveRun(Player& P, bool HaveSave, std::function<void(std::string)> Report) {
  BuildOpening(P);
  if (HaveSave) {
    P.InventoryButton(LoadButton, "load the saved game");
    P.Do([Report](TForm1& F) { Report("loaded: " + DescribeSaved(F)); }, "loaded");
    return;
  }
  P.Verb(9, 2, "open cabinet 9");
  P.ExpectScene(2);
  P.Verb(2, 2, "take the peg");
  P.ExpectItem(1, true);
  P.InventoryButton(SaveButton, "save the game");
  P.Expect([](const TForm1&) { return std::filesystem::is_regular_file("savegame.dat"); },
           "savegame.dat written");
  P.Do([Report](TForm1& F) { Report("saved: " + DescribeSaved(F)); }, "saved");
}

// The whole game from the first picture to the last key press, in a natural order.
inline void BuildFullGame(Player& P) {
  auto Scene = [&P](int S) { P.ExpectScene(S); };

  BuildOpening(P);

  // The kitchen: a cabinet that only opens, then the close-ups behind two doors.
  P.Verb(7, 2, "open an upper cabinet");
  Scene(1);
  P.ExpectFlag(1, 2, false);
  P.Verb(9, 2, "open cabinet 9");
  Scene(2);
  P.Verb(2, 2, "take the peg");
  P.ExpectItem(1, true);
  P.ExpectFlag(2, 1, true);
  P.Verb(3, 2, "take the gloves");
  P.ExpectItem(2, true);
  P.Verb(1, 2, "back to the kitchen");
  Scene(1);
  P.Verb(10, 2, "open the pantry");
  Scene(3);
  P.Verb(2, 2, "take the broom");
  P.ExpectItem(3, true);
  P.Verb(1, 2, "back to the kitchen");
  Scene(1);
  P.Verb(254, 2, "out to the map");
  Scene(0);

  // Two places that are not open yet.
  P.Click(1, "the workshop is locked");
  Scene(0);
  P.Click(4, "the sleigh is not ready");
  Scene(0);

  // The shed and its safe: the workshop key.
  P.Click(6, "to the shed");
  Scene(4);
  P.Verb(12, 2, "open the safe");
  Scene(5);
  P.Verb(2, 2, "take the key");
  P.ExpectItem(4, true);
  P.Verb(1, 2, "back to the shed");
  Scene(4);
  P.Verb(1, 2, "out of the shed");
  Scene(0);

  // The office: the computer wants a password; the sock hides it.
  P.Click(7, "to the office");
  Scene(6);
  P.Verb(11, 2, "try the computer");
  P.ExpectFlag(6, 8, false);
  P.Verb(19, 2, "look at the sock");
  P.ExpectFlag(6, 7, true);
  P.ItemVerb(1, 2, "peg on the nose");
  P.ExpectFlag(6, 6, true);
  P.ExpectItem(1, false);
  P.Verb(19, 2, "take the sock off");
  P.ExpectFlag(6, 8, true);
  P.ExpectFlag(6, 6, false);
  P.ExpectItem(1, true);
  P.Verb(11, 2, "the computer without paper");
  P.ExpectFlag(6, 11, false);

  // The office cabinet: cucumber, ink, marker.
  P.Verb(9, 2, "open the office cabinet");
  Scene(7);
  P.Verb(2, 2, "take the cucumber");
  P.Verb(3, 2, "take the ink bottle");
  P.Verb(4, 2, "take the marker");
  P.ExpectItem(5, true);
  P.ExpectItem(6, true);
  P.ExpectItem(7, true);
  P.Verb(1, 2, "back to the office");
  Scene(6);

  // The ink compartment: the full bottle first, then the empty one out, then the full one in.
  P.Verb(13, 2, "open the ink compartment");
  Scene(8);
  P.UseItem(7, 2, "full bottle on the empty one");
  P.ExpectItem(7, true);
  P.ExpectFlag(6, 10, false);
  P.Verb(3, 2, "throw the empty bottle away");
  P.ExpectFlag(8, 1, true);
  P.UseItem(7, 2, "put the full bottle in");
  P.ExpectFlag(6, 10, true);
  P.ExpectItem(7, false);
  P.Verb(1, 2, "back to the office");
  Scene(6);

  // Save here, wander off, load, and go on from the loaded game.
  auto Saved = std::make_shared<Snapshot>();
  P.InventoryButton(SaveButton, "save the game");
  P.Do([Saved](TForm1& F) { *Saved = Snapshot::Of(F); }, "remember the saved state");
  P.Combine(6, 5, "marker on the cucumber");
  P.ExpectItem(10, true);
  P.ExpectItem(5, false);
  P.Verb(1, 2, "out of the office");
  Scene(0);
  P.Click(3, "to the kitchen");
  Scene(1);
  P.InventoryButton(LoadButton, "load the game");
  P.Expect([Saved](const TForm1& F) { return Snapshot::Of(F) == *Saved; },
           "the loaded game is the saved one");
  P.Expect([](const TForm1& F) { return F.WalkDone == 1 && F.PukkiX == F.PukkiTargetX; },
           "Pukki stands after loading");
  Scene(6);
  P.ExpectItem(10, false);

  // The fake banana.
  P.Combine(6, 5, "marker on the cucumber");
  P.ExpectItem(10, true);

  // Paper from the elves' storeroom.
  P.Verb(1, 2, "out of the office");
  Scene(0);
  P.Click(2, "to the elves' yard");
  Scene(9);
  P.Verb(1, 2, "the bolted back door");
  Scene(9);
  P.Verb(3, 2, "down the stairs");
  Scene(10);
  P.Verb(3, 2, "open the chest");
  Scene(11);
  P.Verb(2, 2, "take the paper");
  P.ExpectItem(8, true);
  P.Verb(1, 2, "back to the storeroom");
  Scene(10);
  P.Verb(15, 2, "unbolt the back door");
  Scene(9);
  P.ExpectFlag(10, 4, true);
  P.Verb(4, 3, "the path to the map");
  Scene(0);

  // Printing the instructions.
  P.Click(7, "to the office");
  Scene(6);
  P.UseItem(8, 12, "paper into the printer");
  P.ExpectFlag(6, 9, true);
  P.Verb(11, 2, "print");
  P.ExpectFlag(6, 11, true);
  P.ExpectFlag(6, 12, true);
  P.Verb(20, 2, "take the printout");
  P.ExpectItem(9, true);
  P.ExpectFlag(6, 11, false);
  P.Verb(11, 2, "the computer once more");
  P.Verb(1, 2, "out of the office");
  Scene(0);

  // The trader.
  P.Click(5, "to the trader");
  Scene(12);
  P.Verb(2, 4, "talk with the list");
  P.ExpectItem(11, false);
  P.UseItem(10, 2, "give the banana");
  P.ExpectFlag(12, 1, true);
  P.ExpectItem(10, false);
  P.Verb(2, 4, "talk after the banana");
  P.ExpectItem(11, true);
  P.ExpectItem(9, false);
  P.Verb(1, 2, "out of the shop");
  Scene(0);

  // The workshop: shock, gloves, repair, test run.
  P.Click(1, "to the workshop");
  Scene(13);
  P.Verb(2, 2, "the broken machine");
  P.UseItem(11, 5, "repair with bare hands");
  P.ExpectFlag(13, 6, true);
  P.ExpectItem(11, true);
  P.ItemVerb(2, 2, "put the gloves on");
  P.ExpectFlag(13, 7, true);
  P.UseItem(11, 5, "repair with gloves");
  P.ExpectFlag(13, 4, true);
  P.ExpectItem(11, false);
  P.Verb(2, 2, "test run");
  P.ExpectFlag(10, 3, true);
  P.Verb(6, 2, "out of the workshop");
  Scene(0);

  // The gift wrap from the storeroom, through the unbolted back door.
  P.Click(2, "to the elves' yard");
  Scene(9);
  P.Verb(1, 2, "in by the back door");
  Scene(10);
  P.Verb(16, 2, "take the gift wrap");
  P.ExpectItem(13, true);
  P.Verb(15, 2, "out by the back door");
  Scene(9);
  P.Verb(4, 2, "to the map");
  Scene(0);

  // The gifts.
  P.Click(1, "to the workshop");
  Scene(13);
  P.UseItem(13, 3, "gift wrap into the hopper");
  P.ExpectFlag(13, 8, true);
  P.Verb(2, 2, "make the gifts");
  P.ExpectFlag(13, 5, true);
  P.Verb(2, 2, "the machine again");
  P.Verb(4, 2, "take the gifts");
  P.ExpectItem(12, true);
  P.Verb(6, 2, "out of the workshop");
  Scene(0);

  // To the sleigh: the end.
  P.Click(4, "to the sleigh");
  P.KeyWhen([](const TForm1& F) { return F.EndingActive == 1 && F.EndingStep == 2; }, "the end");
  P.WaitUntil([](const TForm1& F) { return F.EndingActive == 1 && F.EndingStep == 4; }, "credits");
  P.MarkCredits();
  P.KeyWhen([](const TForm1&) { return true; }, "credits read");
  // The key after the credits closes the form; the drivers see to that themselves.
}

}  // namespace walkthrough
