// Scripts of the rooms and close-ups without puzzles: scenes 1, 2, 3, 4, 5, 7, 9, 10 and 11.
#include "game/SceneScripts.h"

// The tables keep one entry, and one step, per line, so that they read as a list.
// clang-format off
namespace vornu::scripts {

// Pukki's kitchen: cabinet doors, the pantry, the way out.
const SceneList& Scene01() {
  static const SceneList List = {
      {10, Verb::Use, {}, {}, Door({1, 1}, 3)},
      {12, Verb::Use, {}, {}, Door({1, 3}, Stay)},
      {7, Verb::Use, {}, {}, Door({1, 2}, Stay)},
      {8, Verb::Use, {}, {}, Door({1, 4}, Stay)},
      {13, Verb::Use, {}, {}, Door({1, 5}, Stay)},
      {9, Verb::Use, {}, {}, Door({1, 6}, 2)},
      {14, Verb::Use, {}, {}, Door({1, 7}, Stay)},
      {254, Verb::Use, {}, {}, Passage({1, 8}, 0)},
  };
  return List;
}

// Inside cabinet 9: the peg and the gloves.
const SceneList& Scene02() {
  static const SceneList List = {
      {2, Verb::Use, {}, {}, PickUp({2, 1}, {2, 2}, 1)},
      {3, Verb::Use, {}, {}, PickUp({2, 2}, {2, 3}, 2)},
      {1, Verb::Use, {}, {}, Exit(1)},
  };
  return List;
}

// Inside the pantry.
const SceneList& Scene03() {
  static const SceneList List = {
      {1, Verb::Use, {}, {}, Exit(1)},
      {2, Verb::Use, {}, {}, PickUp({3, 1}, {3, 2}, 3)},
  };
  return List;
}

// The shed.
const SceneList& Scene04() {
  static const SceneList List = {
      {12, Verb::Use, {}, {}, Door({4, 1}, 5)},
      {1, Verb::Use, {}, {}, Passage({4, 2}, 0)},
  };
  return List;
}

// Inside the safe: the workshop key.
const SceneList& Scene05() {
  static const SceneList List = {
      {1, Verb::Use, {}, {}, Exit(4)},
      {2, Verb::Use, {}, {}, PickUp({5, 1}, {5, 2}, 4)},
  };
  return List;
}

// The office cabinet's shelves.
const SceneList& Scene07() {
  static const SceneList List = {
      {1, Verb::Use, {}, {}, Exit(6)},
      {2, Verb::Use, {}, {}, PickUp({7, 1}, {7, 2}, 5)},
      {3, Verb::Use, {}, {}, PickUp({7, 3}, {7, 3}, 7)},
      {4, Verb::Use, {}, {}, PickUp({7, 2}, {7, 4}, 6)},
  };
  return List;
}

// The elves' yard.
const SceneList& Scene09() {
  static const SceneList List = {
      {4, Verb::Any, {}, {}, Exit(0)},
      {3,
       Verb::Use,
       {},
       {},
       {
           {HideCursor(), Reply()},
           {ShowCursor(), Place(89, 143, 0), GoTo(10)},
       }},
      {1,
       Verb::Use,
       {IsSet(10, 4)},
       {},
       {
           {Set(9, 1), Wait(700)},
           {Clear(9, 1), ShowCursor(), Place(112, 83, 6), GoTo(10)},
       }},
  };
  return List;
}

// The elves' storeroom: the bolted back door, the chest, the gift wrap.
const SceneList& Scene10() {
  static const SceneList List = {
      {15,
       Verb::Use,
       {},
       {},
       {
           {Set(10, 1), Wait(700)},
           {OnlyIf(IsSet(10, 4), Wait(100)), OnlyIf(IsClear(10, 4), Reply())},
           {Set(10, 4), Clear(10, 1), Place(77, 113, 4), GoTo(9)},
       }},
      {3,
       Verb::Use,
       {},
       {},
       {
           {HideCursor(), Set(10, 2), Wait(700)},
           {Reply()},
           {Wait(700)},
           {Clear(10, 2), ShowCursor(), GoTo(11)},
       }},
      {16,
       Verb::Use,
       {},
       {},
       {
           {Reply()},
           {Clear(10, 3), Wait(700)},
           {Give(13), HideHotspot(10, 16), End()},
       }},
  };
  return List;
}

// Inside the chest: the printer paper.
const SceneList& Scene11() {
  static const SceneList List = {
      {1, Verb::Use, {}, {}, Exit(10)},
      {2, Verb::Use, {}, {}, PickUp({11, 1}, {11, 2}, 8)},
  };
  return List;
}

}  // namespace vornu::scripts
// clang-format on
