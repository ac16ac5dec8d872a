// Feeds arbitrary files to the saved game's loading: a refused file leaves the game exactly as
// it was, an accepted one gives a game that goes on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzGame.h"
#include "platform/Classes.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzgame::Start("saves", argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TForm1& F = fuzzgame::Game();
  if (!fuzzgame::Feed<EInOutError>("savegame.dat", data, size, [&] { F.LoadGame(); })) return 0;
  fuzzgame::Guarded([&] {
    if (F.CurrentScene < 1 || F.CurrentScene > 13 || F.InventoryCount > 13) {
      fuzzgame::Fault("a loaded game outside the game's ranges");
    }
    for (int I = 1; I <= F.InventoryCount; ++I) {
      if (F.Inventory[I] < 1 || F.Inventory[I] > 13) fuzzgame::Fault("an empty carried item");
    }
    // The loaded game goes on: the scene with Pukki, then the inventory with its items.
    fuzzgame::Frame();
    F.SpeechActive = 0;
    fuzzgame::Frame(50);
    F.InventoryOpen = F.InventoryAllowed;
    F.FormMouseMove(nullptr, 0, 15, 20);
    fuzzgame::Frame();
  });
  return 0;
}
