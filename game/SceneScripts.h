// The scene scripts as data: entries chosen by verb, hotspot and puzzle state, made of steps.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TForm1;

namespace vornu::scripts {

// Which verbs an entry answers: 2 use, 3 look, 4 talk, or any of the three.
enum class Verb : std::uint8_t { Use = 2, Look = 3, Talk = 4, Any = 0 };

// SceneFlags[Scene][Flag] must be set (1) or clear (0).
struct FlagTest {
  std::uint8_t Scene = 0;
  std::uint8_t Flag = 0;
  bool Set = true;
};

// The item must (or must not) be carried.
struct ItemTest {
  std::uint16_t Item = 0;
  bool Carried = true;
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
  Tile,  // A = tile, B = ms
};

// One operation of a step; Only makes it conditional on a flag.
struct Operation {
  Op Kind = Op::End;
  int A = 0;
  int B = 0;
  int C = 0;
  std::vector<std::string> Lines;  // Windows-1252
  std::optional<FlagTest> Only;
};

// The operations one step performs, in order.
using Step = std::vector<Operation>;

// One row of a scene's list: its conditions and its numbered steps (Steps[0] is step 1).
struct Entry {
  int Hotspot = 0;
  Verb Verbs = Verb::Use;
  std::vector<FlagTest> Flags;
  std::optional<ItemTest> Item;
  std::vector<Step> Steps;
};

// A scene's entries in their order of testing; Default follows the last implicitly.
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
// The operation, performed only while SceneFlags[Scene][Flag] is set (or clear).
Operation OnlyIf(FlagTest Test, Operation Then);

FlagTest IsSet(int Scene, int Flag);
FlagTest IsClear(int Scene, int Flag);
ItemTest Carried(int Item);
ItemTest NotCarried(int Item);

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

// The first entry of List whose conditions hold in the form's state, or nullptr (Default).
const Entry* Choose(const TForm1& Form, const SceneList& List);

// Performs one operation on the form.
void RunOperation(TForm1& Form, const Operation& Operation);

}  // namespace vornu::scripts
