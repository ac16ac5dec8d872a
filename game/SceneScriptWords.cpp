// The words of the rule tables: operations, tests and the common script shapes.
#include "game/SceneScripts.h"

namespace vornu::scripts {

namespace {

Operation Make(Op Kind, int A = 0, int B = 0, int C = 0) {
  Operation O;
  O.Kind = Kind;
  O.A = A;
  O.B = B;
  O.C = C;
  return O;
}

}  // namespace

Operation HideCursor() {
  return Make(Op::HideCursor);
}
Operation ShowCursor() {
  return Make(Op::ShowCursor);
}
Operation Wait(int Ms) {
  return Make(Op::Wait, Ms);
}
Operation Reply() {
  return Make(Op::Reply);
}
Operation Say(std::string_view Utf8) {
  Operation O = Make(Op::Say);
  O.Lines.emplace_back(Utf8);
  return O;
}
Operation SayLines(std::initializer_list<std::string_view> Utf8Lines) {
  Operation O = Make(Op::Say);
  O.Lines.assign(Utf8Lines.begin(), Utf8Lines.end());
  return O;
}
Operation Speaker(int Who) {
  return Make(Op::Speaker, Who);
}
Operation Set(int Scene, int Flag) {
  return Make(Op::SetFlag, Scene, Flag);
}
Operation Clear(int Scene, int Flag) {
  return Make(Op::ClearFlag, Scene, Flag);
}
Operation HideHotspot(int Scene, int Hotspot) {
  return Make(Op::HideHotspot, Scene, Hotspot);
}
Operation ShowHotspot(int Scene, int Hotspot) {
  return Make(Op::ShowHotspot, Scene, Hotspot);
}
Operation Give(int Item) {
  return Make(Op::GiveItem, Item);
}
Operation Take(int Item) {
  return Make(Op::TakeItem, Item);
}
Operation Place(int X, int Y, int Direction) {
  return Make(Op::PlacePukki, X, Y, Direction);
}
Operation GoTo(int Scene) {
  return Make(Op::GoToScene, Scene);
}
Operation End() {
  return Make(Op::End);
}
Operation Tile(int TileNumber, int Ms) {
  return Make(Op::Tile, TileNumber, Ms);
}
Operation ItemReply() {
  return Make(Op::ItemReply);
}
Operation Refuse() {
  return Make(Op::Refuse);
}
Operation OnlyIf(FlagTest Test, Operation Then) {
  Then.Only = Test;
  return Then;
}

FlagTest IsSet(int Scene, int Flag) {
  return {static_cast<std::uint8_t>(Scene), static_cast<std::uint8_t>(Flag), true};
}
FlagTest IsClear(int Scene, int Flag) {
  return {static_cast<std::uint8_t>(Scene), static_cast<std::uint8_t>(Flag), false};
}
ItemTest Carried(int Item) {
  return {static_cast<std::uint16_t>(Item), ItemRole::Carried};
}
ItemTest NotCarried(int Item) {
  return {static_cast<std::uint16_t>(Item), ItemRole::NotCarried};
}
ItemTest ActionItemIs(int Item) {
  return {static_cast<std::uint16_t>(Item), ItemRole::ActionItem};
}
ItemTest HeldItemIs(int Item) {
  return {static_cast<std::uint16_t>(Item), ItemRole::HeldItem};
}
Entry InScene(int Scene, Entry Rule) {
  Rule.Scene = Scene;
  return Rule;
}

std::vector<Step> Door(F Flag, int ToScene) {
  Step Last{Clear(Flag.Scene, Flag.Flag), ShowCursor()};
  Last.push_back(ToScene == Stay ? End() : GoTo(ToScene));
  return {
      {HideCursor(), Wait(700)},
      {Set(Flag.Scene, Flag.Flag), Wait(1000)},
      {Reply()},
      {Wait(700)},
      Last,
  };
}

std::vector<Step> Passage(F Flag, int ToScene) {
  return {
      {HideCursor(), Wait(700)},
      {Set(Flag.Scene, Flag.Flag), Wait(1000)},
      {Clear(Flag.Scene, Flag.Flag), ShowCursor(), GoTo(ToScene)},
  };
}

std::vector<Step> Exit(int ToScene) {
  return {
      {Reply()},
      {GoTo(ToScene)},
  };
}

std::vector<Step> PickUp(F Flag, F Hotspot, int Item) {
  return {
      {Reply()},
      {Set(Flag.Scene, Flag.Flag), HideHotspot(Hotspot.Scene, Hotspot.Flag), Give(Item), End()},
  };
}

std::vector<Step> With(std::vector<Step> Steps, std::initializer_list<Step> More) {
  Steps.insert(Steps.end(), More.begin(), More.end());
  return Steps;
}

}  // namespace vornu::scripts
