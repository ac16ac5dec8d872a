// Map travel: the journeys from the map, its two refusals and the start of the ending.
#include <cstdint>

#include "game/SpeechText.h"
#include "game/Unit1.h"

namespace {

struct TMapDestination {
  std::uint16_t Hotspot;
  std::int32_t X, Y;  // Pukki's sprite corner at the entrance
  std::uint8_t Facing;
  std::uint16_t Scene;
};

// Places without a condition; hotspot 1 (the workshop) needs the key and is handled apart.
constexpr TMapDestination Destinations[] = {
    {2, 120, 129, 0, 9}, {3, 162, 81, 4, 1}, {5, 125, 122, 0, 12},
    {6, 110, 79, 4, 4},  {7, 109, 78, 4, 6},
};

constexpr std::uint16_t WorkshopKey = 4;
constexpr std::uint16_t Gifts = 12;

void Place(TForm1& Form, std::int32_t X, std::int32_t Y, std::uint8_t Facing) {
  Form.PukkiX = X;
  Form.PukkiY = Y;
  Form.PukkiDirection = Facing;
  Form.PukkiTargetX = X;
  Form.PukkiTargetY = Y;
}

}  // namespace

void TForm1::MapGoto() {
  for (const TMapDestination& D : Destinations) {
    if (ActionHotspot == D.Hotspot) {
      Place(*this, D.X, D.Y, D.Facing);
      LoadScene(D.Scene);
      return;
    }
  }
  if (ActionHotspot == 1) {
    if (IsItem(WorkshopKey)) {
      Place(*this, 53, 125, 0);
      LoadScene(13);
    } else {
      MapIdle = 1;
      PukkiSay(vornu::MakeSpeech(Catalogue, {"Ovi on lukossa. Tarviin avaimen."}));
    }
    return;
  }
  if (ActionHotspot == 4) {
    if (IsItem(Gifts)) {
      // The ending is under way before the tune starts, so a tune that cannot be played
      // does not keep the player on the map, retrying on every frame.
      EndingActive = 1;
      MapIdle = 1;
      PlayMusic("music/music02.mid");
    } else {
      MapIdle = 1;
      PukkiSay(
          vornu::MakeSpeech(Catalogue, {"Ei sinne kannata mennä ennenkö", "lahjat on valmiina."}));
    }
  }
  // Any other number: nothing, until a new click on the map gives another destination.
}
