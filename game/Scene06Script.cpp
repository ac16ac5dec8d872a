// Script of the office (scene 6): the sock and its tattoo, the computer and the printer.
#include "game/SceneScripts.h"

// The tables keep one entry, and one step, per line, so that they read as a list.
// clang-format off
namespace vornu::scripts {

namespace {

// Steps 1..6 of every use of the computer: it wakes up and asks for the password.
std::vector<Step> ComputerWakesUp() {
  return {
      {HideCursor(), Wait(700), Speaker(2)},
      {Say("KLIKS.")},
      {Say("KRIIKS KROOKS KRÄÄKS KRUUS")},
      {Say("TRIUTRIUTRIIRIRIRIRIRiIII")},
      {Say("PIIP!")},
      {Say("Anna salasana:")},
  };
}

// Steps 1..17 with the password known: logging in and starting the fault search.
std::vector<Step> ComputerSearchesFault() {
  return With(ComputerWakesUp(), {
      {Speaker(1), SayLines({"Nonniin, koitetaampas... ", "HILLOPURKKIVÄLITORNI"})},
      {Speaker(2), Say("TRIII.. PIIP")},
      {Say("Salasana oikein.")},
      {Say("Kytkeydyn VMN (VornuMaanNetWork)..")},
      {Say("Valmis.")},
      {Speaker(1), SayLines({"Noin.. sitten käynnistetään", "lahjakoneen vianetsintä."})},
      {Speaker(2), Say("Käynnistän lahjakoneen vianetsinnän...")},
      {Wait(1000)},
      {Say("Vika löydetty..")},
      {Say("Tulostan korjausohjeet...")},
      {Wait(1000)},
  });
}

}  // namespace

const SceneList& Scene06() {
  static const SceneList List = {
      // 1-3: the doors.
      {1, Verb::Use, {}, {}, Door({6, 1}, 0)},
      {9, Verb::Use, {}, {}, Door({6, 2}, 7)},
      {13, Verb::Use, {}, {}, Door({6, 5}, 8)},
      // 4: the sock, first time.
      {19,
       Verb::Use,
       {IsClear(6, 6), IsClear(6, 8)},
       {},
       {
           {HideCursor(), Wait(700)},
           {Set(6, 7), Reply()},
           {ShowCursor(), End()},
       }},
      // 5: the tattoo, with the peg on the nose.
      {19,
       Verb::Use,
       {IsSet(6, 6), IsClear(6, 8)},
       {},
       {
           {HideCursor(), Wait(700)},
           {Set(6, 3), Say("YÖÖÖK!")},
           {Say("Hmm..")},
           {SayLines({"Jalkapohjaan on tatuoitu teksti:", "Tietokoneen salasana on",
                      "HILLOPURKKIVÄLITORNI"})},
           {Wait(500)},
           {Say("Hyvä tietää...")},
           {Wait(600)},
           {Say("Huh.. tohon sukkaan en enää koske.")},
           {Give(1), ShowCursor(), Clear(6, 3), Clear(6, 6), Set(6, 8), End()},
       }},
      // 6: the sock once the password is known.
      {19,
       Verb::Use,
       {IsSet(6, 8)},
       {},
       {
           {HideCursor(), Wait(700)},
           {Say("Tohon en enää koske!")},
           {ShowCursor(), End()},
       }},
      // 7: the computer without the password.
      {11,
       Verb::Use,
       {IsClear(6, 8)},
       {},
       With(ComputerWakesUp(),
            {
                {Speaker(1), SayLines({"Täh.. en mä tiedä mitään salasanaa.",
                                       "Noh.. tarvii varmaan sit ettiä se", "salasana jostain."})},
                {Speaker(2), Say("KLIKS.")},
                {Speaker(1), ShowCursor(), End()},
            })},
      // 8: password known, no paper.
      {11,
       Verb::Use,
       {IsSet(6, 8), IsClear(6, 9)},
       {},
       With(ComputerSearchesFault(),
            {
                {Say("VIRHE! PAPERI LOPUSSA! PIIP!")},
                {Speaker(1), Say("PAPERI LOPUSSA!! No voi...")},
                {Speaker(1), ShowCursor(), End()},
            })},
      // 9: printing; the printout is readable only with the new ink.
      {11,
       Verb::Use,
       {IsSet(6, 8), IsSet(6, 9), IsClear(6, 11), IsClear(6, 12)},
       {},
       With(ComputerSearchesFault(),
            {
                {Say("Tulostus valmis")},
                {Speaker(1), Say("No niin, jopas toimi.")},
                {Speaker(1), ShowCursor(), End(), Set(6, 11), ShowHotspot(6, 20),
                 OnlyIf(IsSet(6, 10), Set(6, 12))},
            })},
      // 10: a printout still lies in the tray.
      {11,
       Verb::Use,
       {IsSet(6, 11)},
       {},
       {
           {Say("Ensin pitää tutkia vanha tuloste.")},
           {End()},
       }},
      // 11: the readable printout has been taken.
      {11,
       Verb::Use,
       {IsClear(6, 11), IsSet(6, 12)},
       {},
       {
           {Say("Ohjeet on jo tulostettu.")},
           {End()},
       }},
      // 12: a blank printout.
      {20,
       Verb::Use,
       {IsClear(6, 12)},
       {},
       {
           {Wait(700)},
           {Clear(6, 11), HideHotspot(6, 20), Wait(700)},
           {Reply()},
           {End()},
       }},
      // 13: the readable printout.
      {20,
       Verb::Use,
       {IsSet(6, 12)},
       {},
       {
           {Wait(700)},
           {Clear(6, 11), HideHotspot(6, 20), Wait(700)},
           {Say("Noniin.. nyt onnistu.")},
           {Give(9), End()},
       }},
  };
  return List;
}

}  // namespace vornu::scripts
// clang-format on
