// Using a held item on a hotspot: the pairs that move the puzzles on, and the refusals.
#include "game/SceneScripts.h"
#include "game/Unit1.h"

namespace {

using namespace vornu::scripts;

// In order of testing; the first pair whose scene, item, hotspot and flags match is taken. A
// use is settled in one call, so each rule is one step.
// clang-format off
const SceneList& UseRules() {
  static const SceneList List = {
      // The full ink bottle, once the empty one has been thrown away.
      InScene(8, {2, Verb::Ignored, {IsSet(8, 1)}, {ActionItemIs(7)},
                  {{Clear(8, 1), Set(6, 10), Take(7), ShowHotspot(8, 3), Say("Noniin..")}}}),
      InScene(8, {2, Verb::Ignored, {IsClear(8, 1)}, {ActionItemIs(7)},
                  {{Say("Kannattas ottaa ensin tyhjä pois.")}}}),
      // Paper into the printer.
      InScene(6, {12, Verb::Ignored, {}, {ActionItemIs(8)},
                  {{Set(6, 9), Take(8), Say("Noniin, nyt se on täynnä paperia.")}}}),
      // The banana for the trader.
      InScene(12, {2, Verb::Ignored, {}, {ActionItemIs(10)},
                   {{Set(12, 1), Take(10), Say("Siinon sulle banaani.")}}}),
      // The spare parts into the machine: a shock with bare hands.
      InScene(13, {5, Verb::Ignored, {IsClear(13, 7)}, {ActionItemIs(11)},
                   {{Set(13, 6), SayLines({"ZZZZZAP...", "Auuh.. Sain sähärin. Ei tohon",
                                           "voi paljain käsin koskee."})}}}),
      InScene(13, {5, Verb::Ignored, {IsSet(13, 7)}, {ActionItemIs(11)},
                   {{Set(13, 4), Take(11), Say("Kunnossa on.")}}}),
      // The gift wrap into the hopper.
      InScene(13, {3, Verb::Ignored, {}, {ActionItemIs(13)},
                   {{Set(13, 8), Take(13), Say("Sinne meni.")}}}),
      // Any other pair.
      {AnyHotspot, Verb::Ignored, {}, {}, {{Refuse()}}},
  };
  return List;
}
// clang-format on

}  // namespace

void TForm1::SceneUseItem(std::uint16_t Scene) {
  const Entry* Taken = Choose(*this, UseRules(), Scene);
  UseItemIdle = 1;
  ItemInHand = 0;
  if (Taken != nullptr) RunStep(*this, *Taken, 1);
}
