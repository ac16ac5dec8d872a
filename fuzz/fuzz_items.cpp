// Feeds arbitrary files to the item file reader, then shows and says what it accepted the way
// the inventory does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzGame.h"
#include "game/SceneFiles.h"

namespace {

std::string gOriginal;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzgame::Start("items", argc, argv);
  gOriginal = vornu::ReadWholeFile("items/items.txt");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TForm1& F = fuzzgame::Game();
  fuzzgame::Reset();
  fuzzgame::WriteFile("items/items.txt", data, size);
  bool Refused = false;
  try {
    F.ReadItemDataFile();
  } catch (const vornu::EGameFile& e) {
    if (std::string(e.what()).find("items/items.txt") == std::string::npos) {
      fuzzgame::Fault(e.what());
    }
    Refused = true;
  } catch (const std::exception& e) {
    fuzzgame::Fault(e.what());
  }
  fuzzgame::WriteFile("items/items.txt", reinterpret_cast<const std::uint8_t*>(gOriginal.data()),
                      gOriginal.size());
  if (Refused) {
    if (!fuzzgame::Untouched()) fuzzgame::Fault("a refused item file changed the game");
    return 0;
  }
  try {
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
  } catch (const std::exception& e) {
    fuzzgame::Fault(e.what());
  }
  return 0;
}
