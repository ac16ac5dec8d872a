// Feeds arbitrary files to the item file reader, then shows and says what it accepted the way
// the inventory does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzGame.h"
#include "game/SceneFiles.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzgame::Start("items", argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TForm1& F = fuzzgame::Game();
  if (!fuzzgame::Feed<vornu::EGameFile>("items/items.txt", data, size,
                                        [&] { F.ReadItemDataFile(); })) {
    return 0;
  }
  fuzzgame::Guarded([&] {
    for (int I = 1; I <= 13; ++I) F.AddItem(static_cast<std::uint16_t>(I));
    F.InventoryOpen = 1;
    // The pointer over each slot shows the item's name; with item 3 held, the combine line.
    for (int Slot = 0; Slot < 11; Slot += 5) {
      F.FormMouseMove(nullptr, 0, 15 + 30 * Slot, 20);
      fuzzgame::Frame();
    }
    F.ItemInHand = 1;
    F.HeldItem = 3;
    F.FormMouseMove(nullptr, 0, 45, 20);
    fuzzgame::Frame();
    // Two items' texts and replies each time, chosen by the input, keep the runs quick.
    for (const int I : {static_cast<int>(size % 13) + 1, static_cast<int>(size / 13 % 13) + 1}) {
      for (int K = 1; K <= 6; ++K) F.WriteTo1(F.ItemTexts[K][I]);
      for (int V = 2; V <= 4; ++V) F.PukkiSay(F.ItemReplies[V][I]);
    }
    F.SpeechActive = 0;
    F.SayUseFailReply();
    fuzzgame::Frame();
  });
  return 0;
}
