// Script of the trader's shop (scene 12): the two conversations and his animations.
#include "game/SceneScripts.h"

// The tables keep one entry, and one step, per line, so that they read as a list.
// clang-format off
namespace vornu::scripts {

namespace {

// Steps 1..4: the greeting, the same in every conversation.
std::vector<Step> Greeting() {
  return {
      {Reply()},
      {Wait(500)},
      {Speaker(2), Say("Päivää. Mitä sä haluat?")},
      {Wait(500)},
  };
}

// Steps 1..13 with the printed list in hand.
std::vector<Step> ReadsTheList() {
  return With(Greeting(), {
      {Speaker(1), Say("Mulla on lista.")},
      {Wait(500)},
      {Speaker(2), Say("No kerro mitä haluat.")},
      {Wait(500)},
      {Speaker(1), SayLines({"10mm lenkki, ruuvimeisseli, kolvi, tinaa,",
                             "10kohm vastus, 100uF elektrolyyttikonden-",
                             "saattori, hammasrattaita ja sivuleikkurit."})},
      {Wait(500)},
      {Speaker(2), Say("Mielenkiintoista.")},
      {Wait(500)},
      {Speaker(1), Say("Eiksookki.. no anna tavarat.")},
  });
}

}  // namespace

const SceneList& Scene12() {
  static const SceneList List = {
      // 1: the way out, with any verb.
      {1, Verb::Any, {}, {}, Exit(0)},
      // 2: no list yet: a short talk.
      {2,
       Verb::Talk,
       {},
       {NotCarried(9)},
       With(Greeting(),
            {
                {Speaker(1), Say("Jaa-a. Emmä vaan tiä.")},
                {Wait(500)},
                {Speaker(2), Say("Aha, no tuu takas sitku tiät.")},
                {Wait(500)},
                {Speaker(1), Say("Selvätapaus.")},
                {End()},
            })},
      // 3: the list, but no banana: he shakes his head and teases.
      {2,
       Verb::Talk,
       {IsClear(12, 1)},
       {Carried(9)},
       With(ReadsTheList(),
            {
                {Tile(8, 70)},
                {Tile(9, 70)},
                {Tile(10, 70)},
                {Tile(9, 70)},
                {Tile(8, 70)},
                {Tile(7, 70)},
                {Tile(6, 70)},
                {Tile(5, 70)},
                {Tile(6, 70)},
                {Tile(7, 70)},
                {Tile(8, 70)},
                {Speaker(2), Say("Enpäs. Anna eka banaani.")},
                {Wait(500)},
                {Speaker(1), Say("TÄH??")},
                {Wait(500)},
                {Speaker(2), Say("Että anna banaani.")},
                {Wait(500)},
                {Speaker(1), Say("No voi helvetti.")},
                {Wait(500)},
                {Speaker(2), Say("Hihihihi.")},
                {Speaker(1), End()},
            })},
      // 4: after the banana he hands the parts over.
      {2,
       Verb::Talk,
       {IsSet(12, 1)},
       {Carried(9)},
       With(ReadsTheList(),
            {
                {Tile(1, 40)},
                {Tile(2, 40)},
                {Tile(3, 40)},
                {Tile(4, 1000)},
                {Tile(4, 40)},
                {Tile(3, 40)},
                {Tile(2, 40)},
                {Tile(1, 40)},
                {Speaker(2), Say("Siinä on, ole hyvä")},
                {Wait(500)},
                {Speaker(1), Say("Kiidos.")},
                {Speaker(1), Give(11), Take(9), End()},
            })},
  };
  return List;
}

}  // namespace vornu::scripts
// clang-format on
