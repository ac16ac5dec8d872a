// Feeds arbitrary files to the scene object file reader as a scene's loading reads it, then
// shows, says and walks to whatever it accepted.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzGame.h"
#include "game/SceneFiles.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzgame::Start("objects", argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TForm1& F = fuzzgame::Game();
  // A broken object file changes none of the scene's tables.
  if (!fuzzgame::Feed<vornu::EGameFile>("scenes/fuzz.obj", data, size,
                                        [&] { F.ReadObjectFile("scenes/fuzz.obj"); })) {
    return 0;
  }
  fuzzgame::Guarded([&] {
    const std::vector<vornu::TObjectRecord> Records =
        vornu::ParseObjectFile(std::string_view(reinterpret_cast<const char*>(data), size), "x");
    int Shown = 0;
    for (const vornu::TObjectRecord& R : Records) {
      if (++Shown > 2) break;  // a few records each time keep the runs quick
      const int H = R.Hotspot;
      // Its name and verb texts on the text line, with an item held, and its replies.
      for (int K = 1; K <= 5; ++K) F.WriteTo1(F.HotspotTexts[K][H]);
      F.WriteTo1("Käytä " + F.ItemTexts[5][1] + " " + F.HotspotTexts[5][H]);
      for (int V = 2; V <= 4; ++V) F.PukkiSay(F.HotspotReplies[V][H]);
      F.SpeechActive = 0;
      // The verb chosen in the menu on it: Pukki sets off for its walk point.
      F.ActionHotspot = static_cast<std::uint16_t>(H);
      F.MenuOpen = 1;
      F.SelectedVerb = 2;
      F.FormMouseUp(nullptr, mbLeft, 0, 150, 150);
      fuzzgame::Frame(50);
      fuzzgame::Frame(50);
      F.SceneActionIdle = 1;
      F.SpeechActive = 0;
      if (F.WayPointCount > 20) fuzzgame::Fault("walk state out of range");
    }
  });
  return 0;
}
