// Verbs on an item in the inventory and combining two items.
#include "game/SceneScripts.h"
#include "game/Unit1.h"

namespace {

using namespace vornu::scripts;

// One call settles a verb on an item or a combination, so each rule is one step.
// clang-format off
const SceneList& ItemVerbRules() {
  static const SceneList List = {
      // The peg on the nose, against the sock's smell.
      InScene(6, {AnyHotspot, Verb::Use, {IsSet(6, 7), IsClear(6, 8), IsClear(6, 6)},
                  {ActionItemIs(1)}, {{Take(1), Set(6, 6), Say("AUUUUTS!! SE SATTU!")}}}),
      // The gloves on, against the machine's shock.
      InScene(13, {AnyHotspot, Verb::Use, {IsSet(13, 6), IsClear(13, 4), IsClear(13, 7)},
                   {ActionItemIs(2)},
                   {{Set(13, 7), Take(2), Say("Noniin, nyt on kädet eristetty.")}}}),
      // Otherwise the item's own reply for the verb.
      {AnyHotspot, Verb::Any, {}, {}, {{ItemReply()}}},
  };
  return List;
}

// Only this order works: the pen draws on the cucumber. The other way round is the right idea,
// so it says how it goes instead of a shrug from the pool.
const SceneList& CombineRules() {
  static const SceneList List = {
      {AnyHotspot, Verb::Ignored, {}, {HeldItemIs(6), ActionItemIs(5)},
       {{Take(6), Take(5), Give(10), Say("Doddii, siitä tuli fakebanaani.")}}},
      {AnyHotspot, Verb::Ignored, {}, {HeldItemIs(5), ActionItemIs(6)},
       {{SayLines({"Hyvä idea, mut väärin päin.", "Tussi käteen ja sillä kurkkuun!"})}}},
      {AnyHotspot, Verb::Ignored, {}, {}, {{Refuse()}}},
  };
  return List;
}
// clang-format on

}  // namespace

void TForm1::CheckItemActions() {
  if (const Entry* Taken = Choose(*this, ItemVerbRules(), CurrentScene)) RunStep(*this, *Taken, 1);
  SelectedVerb = 1;
  SceneActionIdle = 1;
  ItemActionIdle = 1;
}

void TForm1::DoCompiles() {
  if (const Entry* Taken = Choose(*this, CombineRules(), CurrentScene)) RunStep(*this, *Taken, 1);
  CombineIdle = 1;
  ActionHotspot = 0;
  ItemInHand = 0;
  HeldItem = 0;
}
