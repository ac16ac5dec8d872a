// Script of the workshop (scene 13): the gift machine and the gifts.
#include "game/SceneScripts.h"

// The tables keep one entry, and one step, per line, so that they read as a list.
// clang-format off
namespace vornu::scripts {

namespace {

// Steps 1..4 of every run: the machine sputters into life.
std::vector<Step> MachineStarts() {
  return {
      {Set(13, 3), Wait(500)},
      {Clear(13, 3), Wait(500)},
      {Set(13, 3), Wait(300)},
      {Clear(13, 3), Wait(500)},
  };
}

}  // namespace

const SceneList& Scene13() {
  static const SceneList List = {
      // 1: the way out, with any verb.
      {6, Verb::Any, {}, {}, Exit(0)},
      // 2: the machine is broken.
      {2, Verb::Use, {IsClear(13, 4)}, {}, {{Reply()}, {End()}}},
      // 3: the gifts are made.
      {2,
       Verb::Use,
       {IsSet(13, 4), IsSet(13, 5)},
       {},
       {
           {Say("Lahjat on jo tehty.")},
           {End()},
       }},
      // 4: a test run with nothing put in: the gift wrap turns up in the storeroom.
      {2,
       Verb::Use,
       {IsSet(13, 4), IsClear(13, 8)},
       {},
       With(MachineStarts(),
            {
                {Set(13, 1), Wait(1500)},
                {Say("Aha.")},
                {Clear(13, 1), Set(10, 3), ShowHotspot(10, 16), Wait(700)},
                {End()},
            })},
      // 5: the real run: the gifts.
      {2,
       Verb::Use,
       {IsSet(13, 4), IsSet(13, 8)},
       {},
       With(MachineStarts(),
            {
                {Set(13, 3), Wait(10)},
                {Clear(13, 3), Wait(10)},
                {Set(13, 3), Wait(10)},
                {Clear(13, 3), Wait(10)},
                {Set(13, 3), Wait(10)},
                {Clear(13, 3), Wait(10)},
                {Set(13, 3), Wait(10)},
                {Clear(13, 3), Wait(10)},
                {Set(13, 2), Wait(1000)},
                {Say("TADAAAAA!")},
                {ShowHotspot(13, 4), Set(13, 5), End()},
            })},
      // 6: taking the gifts.
      {4,
       Verb::Use,
       {},
       {},
       {
           {Reply()},
           {Clear(13, 2), Set(13, 3), Wait(500)},
           {Give(12), HideHotspot(13, 4), End()},
       }},
  };
  return List;
}

}  // namespace vornu::scripts
// clang-format on
