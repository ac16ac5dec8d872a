// Using a held item on a hotspot: the pairs that move the puzzles on, and the refusals.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "game/Unit1.h"
#include "platform/Text1252.h"

namespace {

enum class TUseOp : std::uint8_t { Set, Clear, Take, ShowHotspot };

struct TUseEffect {
  TUseOp Op;
  int A, B;  // Set/Clear: scene, flag; Take: item; ShowHotspot: scene, hotspot
};

struct TUsePair {
  std::uint16_t Scene, Item, Hotspot;
  std::optional<std::pair<int, int>> FlagSet;    // SceneFlags[s][k] must be set
  std::optional<std::pair<int, int>> FlagClear;  // SceneFlags[s][k] must be clear
  std::vector<TUseEffect> Effects;
  std::vector<std::string_view> Says;  // UTF-8 lines
};

// In order of testing; the first pair whose scene, item, hotspot and flag match is taken.
// clang-format off
const std::vector<TUsePair>& UsePairs() {
  static const std::vector<TUsePair> Pairs = {
      // The full ink bottle, once the empty one has been thrown away.
      {8, 7, 2, {{8, 1}}, {},
       {{TUseOp::Clear, 8, 1}, {TUseOp::Set, 6, 10}, {TUseOp::Take, 7, 0},
        {TUseOp::ShowHotspot, 8, 3}},
       {"Noniin.."}},
      {8, 7, 2, {}, {{8, 1}}, {}, {"Kannattas ottaa ensin tyhjä pois."}},
      // Paper into the printer.
      {6, 8, 12, {}, {}, {{TUseOp::Set, 6, 9}, {TUseOp::Take, 8, 0}},
       {"Noniin, nyt se on täynnä paperia."}},
      // The banana for the trader.
      {12, 10, 2, {}, {}, {{TUseOp::Set, 12, 1}, {TUseOp::Take, 10, 0}},
       {"Siinon sulle banaani."}},
      // The spare parts into the machine: a shock with bare hands.
      {13, 11, 5, {}, {{13, 7}}, {{TUseOp::Set, 13, 6}},
       {"ZZZZZAP...", "Auuh.. Sain sähärin. Ei tohon", "voi paljain käsin koskee."}},
      {13, 11, 5, {{13, 7}}, {}, {{TUseOp::Set, 13, 4}, {TUseOp::Take, 11, 0}},
       {"Kunnossa on."}},
      // The gift wrap into the hopper.
      {13, 13, 3, {}, {}, {{TUseOp::Set, 13, 8}, {TUseOp::Take, 13, 0}}, {"Sinne meni."}},
  };
  return Pairs;
}
// clang-format on

}  // namespace

void TForm1::SceneUseItem(std::uint16_t Scene) {
  const TUsePair* Taken = nullptr;
  for (const TUsePair& P : UsePairs()) {
    if (P.Scene != Scene || P.Item != ActionItem || P.Hotspot != ActionHotspot) continue;
    if (P.FlagSet && SceneFlags[P.FlagSet->first][P.FlagSet->second] == 0) continue;
    if (P.FlagClear && SceneFlags[P.FlagClear->first][P.FlagClear->second] != 0) continue;
    Taken = &P;
    break;
  }
  UseItemIdle = 1;
  ItemInHand = 0;
  if (Taken == nullptr) {
    SayUseFailReply();
    return;
  }
  for (const TUseEffect& E : Taken->Effects) {
    switch (E.Op) {
      case TUseOp::Set:
        SceneFlags[E.A][E.B] = 1;
        break;
      case TUseOp::Clear:
        SceneFlags[E.A][E.B] = 0;
        break;
      case TUseOp::Take:
        RemoveItem(static_cast<std::uint16_t>(E.A));
        break;
      case TUseOp::ShowHotspot:
        HotspotHidden[E.A][E.B] = 0;
        break;
    }
  }
  SayStr Rec;
  if (Taken->Says.size() == 1) {
    StringToSayStr(vornu::W(Taken->Says[0]), Rec);
  } else {
    Rec.LineCount = static_cast<std::uint8_t>(Taken->Says.size());
    for (std::size_t I = 0; I < Taken->Says.size(); ++I) {
      Rec.Lines[static_cast<long>(I) + 1] = vornu::W(Taken->Says[I]);
    }
  }
  PukkiSay(Rec);
}
