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
      // Right ideas that cannot work as tried: rather than a shrug from the pool, Pukki says
      // how it does work, so that a player on the right track is not sent away from it.
      InScene(13, {6, Verb::Ignored, {}, {ActionItemIs(4)},
                   {{SayLines({"Oikee avain! Mut ovi on jo auki.",
                               "Se aukee, ku tulen kartalta avain taskussa."})}}}),
      InScene(7, {4, Verb::Ignored, {}, {ActionItemIs(5)},
                  {{Say("Just niin! Mut eka tussi mukaan hyllyltä.")}}}),
      InScene(7, {2, Verb::Ignored, {}, {ActionItemIs(6)},
                  {{Say("Just niin! Mut eka kurkku mukaan hyllyltä.")}}}),
      InScene(6, {19, Verb::Ignored, {IsClear(6, 8)}, {ActionItemIs(1)},
                  {{Say("Ei sukkaan. Pyykkipoika kuuluu mun nenään!")}}}),
      InScene(6, {12, Verb::Ignored, {}, {ActionItemIs(7)},
                  {{Say("Muste menee tulostimeen musteluukun kautta.")}}}),
      InScene(6, {13, Verb::Ignored, {}, {ActionItemIs(7)},
                  {{Say("Luukku auki ensin, sit pullo sisään.")}}}),
      // The full bottle on the empty one standing in the holder: the same advice as on the
      // holder itself.
      InScene(8, {3, Verb::Ignored, {}, {ActionItemIs(7)},
                  {{Say("Kannattas ottaa ensin tyhjä pois.")}}}),
      InScene(12, {2, Verb::Ignored, {}, {ActionItemIs(9)},
                   {{Say("Ei se lue. Puhutaan sille, lista kourassa.")}}}),
      InScene(13, {5, Verb::Ignored, {}, {ActionItemIs(2)},
                   {{Say("Hanskat pitää pukee käteen, ei paneeliin.")}}}),
      InScene(13, {12, Verb::Ignored, {}, {ActionItemIs(11)},
                   {{Say("Varaosat kuuluu huoltopaneeliin.")}}}),
      InScene(13, {12, Verb::Ignored, {}, {ActionItemIs(13)},
                   {{Say("Lahjapaperi syötetään suppiloon.")}}}),
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
