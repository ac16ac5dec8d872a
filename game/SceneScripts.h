// The puzzle rules as data: entries chosen by verb, hotspot, items and puzzle state, made of steps.
// Scene scripts, item uses, verbs on items and combinations are all written in this vocabulary.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TForm1;

namespace vornu::scripts {

// Which verbs an entry answers: 2 use, 3 look, 4 talk, any of the three, or whatever was chosen
// (item uses and combinations, where the verb plays no part).
enum class Verb : std::uint8_t { Use = 2, Look = 3, Talk = 4, Any = 0, Ignored = 255 };

// SceneFlags[Scene][Flag] must be set (1) or clear (0).
struct FlagTest {
  std::uint8_t Scene = 0;
  std::uint8_t Flag = 0;
  bool Set = true;
};

// What an item test asks: that the item is carried or not, or that it is the item acted on
// (ActionItem) or the one held on the pointer (HeldItem).
enum class ItemRole : std::uint8_t { Carried, NotCarried, ActionItem, HeldItem };

struct ItemTest {
  std::uint16_t Item = 0;
  ItemRole Role = ItemRole::Carried;
};

// The step vocabulary; what each does is in RunOperation.
enum class Op : std::uint8_t {
  HideCursor,
  ShowCursor,
  Wait,  // A = ms
  Reply,
  Say,      // Lines: one line, or several for a multi-line speech
  Speaker,  // A = 1 or 2
  SetFlag,  // A = scene, B = flag
  ClearFlag,
  HideHotspot,  // A = scene, B = hotspot
  ShowHotspot,
  GiveItem,  // A = item
  TakeItem,
  PlacePukki,  // A = x, B = y, C = direction
  GoToScene,   // A = scene
  End,
  // A = tile number among the current scene's tiles, B = ms. Draws that tile on Back at
  // (137, 43) with its colour key, then waits B ms; the step runs again on every frame of its
  // wait, so the tile stays on screen exactly that long and is gone with the next step. This is
  // how the trader in scene 12 shakes his head and hands the parts over.
  Tile,
  ItemReply,  // ItemReplies[SelectedVerb][ActionItem]
  Refuse,     // one of the refusal replies of the item file, chosen at random
};

// One operation of a step; Only makes it conditional on a flag.
struct Operation {
  Op Kind = Op::End;
  int A = 0;
  int B = 0;
  int C = 0;
  std::vector<std::string> Lines;  // UTF-8, as written in the source
  std::optional<FlagTest> Only;
};

// The operations one step performs, in order.
using Step = std::vector<Operation>;

// Hotspot and scene numbers of an entry that holds wherever it is chosen.
inline constexpr int AnyHotspot = -1;
inline constexpr int AnyScene = -1;

// One row of a list: its conditions and its numbered steps (Steps[0] is step 1).
struct Entry {
  int Hotspot = 0;  // ActionHotspot
  Verb Verbs = Verb::Use;
  std::vector<FlagTest> Flags;
  std::vector<ItemTest> Items;
  std::vector<Step> Steps;
  int Scene = AnyScene;  // the scene the rule is tried in
};

// Entries in their order of testing: a scene's script, where Default follows the last
// implicitly, or the rules of item uses, verbs on items or combinations, which end with a row
// that always holds.
using SceneList = std::vector<Entry>;

// ---- Building blocks of the tables (texts are given in UTF-8) ----
Operation HideCursor();
Operation ShowCursor();
Operation Wait(int Ms);
Operation Reply();
Operation Say(std::string_view Utf8);
Operation SayLines(std::initializer_list<std::string_view> Utf8Lines);
Operation Speaker(int Who);
Operation Set(int Scene, int Flag);
Operation Clear(int Scene, int Flag);
Operation HideHotspot(int Scene, int Hotspot);
Operation ShowHotspot(int Scene, int Hotspot);
Operation Give(int Item);
Operation Take(int Item);
Operation Place(int X, int Y, int Direction);
Operation GoTo(int Scene);
Operation End();
Operation Tile(int TileNumber, int Ms);
Operation ItemReply();
Operation Refuse();
// The operation, performed only while SceneFlags[Scene][Flag] is set (or clear).
Operation OnlyIf(FlagTest Test, Operation Then);

FlagTest IsSet(int Scene, int Flag);
FlagTest IsClear(int Scene, int Flag);
ItemTest Carried(int Item);
ItemTest NotCarried(int Item);
ItemTest ActionItemIs(int Item);
ItemTest HeldItemIs(int Item);
// The entry, tried only in Scene.
Entry InScene(int Scene, Entry Rule);

// A flag of the tables: [Scene][Flag].
struct F {
  int Scene;
  int Flag;
};
// Scene number of a Door that stays in its scene.
inline constexpr int Stay = -1;

// The common shapes.
std::vector<Step> Door(F Flag, int ToScene);
std::vector<Step> Passage(F Flag, int ToScene);
std::vector<Step> Exit(int ToScene);
std::vector<Step> PickUp(F Flag, F Hotspot, int Item);
// Steps followed by More: a script that begins as another does.
std::vector<Step> With(std::vector<Step> Steps, std::initializer_list<Step> More);

// ---- The tables, one per scene (1..13; the map has none) ----
const SceneList& Scene01();
const SceneList& Scene02();
const SceneList& Scene03();
const SceneList& Scene04();
const SceneList& Scene05();
const SceneList& Scene06();
const SceneList& Scene07();
const SceneList& Scene08();
const SceneList& Scene09();
const SceneList& Scene10();
const SceneList& Scene11();
const SceneList& Scene12();
const SceneList& Scene13();

// The list of a scene, or nullptr for the map and numbers above 13.
const SceneList* ListOf(std::uint16_t Scene);

// The first entry of List whose conditions hold in Scene and the form's state, or nullptr.
const Entry* Choose(const TForm1& Form, const SceneList& List, std::uint16_t Scene);

// Performs one operation on the form.
void RunOperation(TForm1& Form, const Operation& Operation);

// Performs step Number (1-based) of the entry; a number the entry does not have does nothing.
void RunStep(TForm1& Form, const Entry& Chosen, std::size_t Number);

}  // namespace vornu::scripts
