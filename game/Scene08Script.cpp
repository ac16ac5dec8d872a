// Script of the printer's ink compartment (scene 8): the empty bottle.
#include "game/SceneScripts.h"

// The tables keep one entry, and one step, per line, so that they read as a list.
// clang-format off
namespace vornu::scripts {

const SceneList& Scene08() {
  static const SceneList List = {
      // 1: back to the office.
      {1, Verb::Use, {}, {}, Exit(6)},
      // 2: the empty bottle is thrown away.
      {3,
       Verb::Use,
       {IsClear(6, 10)},
       {},
       {
           {Reply()},
           {Set(8, 1), HideHotspot(8, 3), Wait(1000)},
           {SayLines({"Hmm, mustepullo näyttäisi olevan tyhjä.",
                      "Ei sillä mitään tee. Heitetään pois."})},
           {End()},
       }},
      // 3, 4: the full bottle in its place.
      {3,
       Verb::Use,
       {IsSet(6, 10)},
       {},
       {
           {Say("Juurihan minä sen vaihdon.")},
           {End()},
       }},
      {3,
       Verb::Look,
       {IsSet(6, 10)},
       {},
       {
           {Say("Täysinäinen mustepullo.")},
           {End()},
       }},
  };
  return List;
}

}  // namespace vornu::scripts
// clang-format on
