// Feeds arbitrary files to the hotspot map reader, then lets the pointer, the path-finder and
// the walker loose on what it read.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzGame.h"
#include "game/SceneFiles.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzgame::Start("hotspots", argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TForm1& F = fuzzgame::Game();
  // Any content is a map: only a file that cannot be read is refused.
  fuzzgame::Feed<vornu::EGameFile>("scenes/fuzz.dat", data, size,
                                   [&] { F.ParseHotspotMapInto("scenes/fuzz.dat"); });
  fuzzgame::Guarded([&] {
    // The pointer over the whole screen (the 320 x 200 build: display pixels are logical).
    for (int Y = 0; Y < 200; Y += 19) {
      for (int X = 0; X < 320; X += 15) F.FormMouseMove(nullptr, 0, X, Y);
    }
    // Walks to points the input picks, to the floor and to hotspots, each for a few steps.
    for (int Walk = 0; Walk < 2; ++Walk) {
      const std::size_t At = static_cast<std::size_t>(Walk) * 3;
      const int X = At + 1 < size ? (data[At] | data[At + 1] << 8) % 320 : 50 + 200 * Walk;
      const int Y = At + 2 < size ? data[At + 2] * 200 / 256 : 150;
      F.FormMouseMove(nullptr, 0, X, Y);
      F.FormMouseDown(nullptr, mbLeft, 0, X, Y);
      F.FormMouseUp(nullptr, mbLeft, 0, X, Y);
      for (int Step = 0; Step < 3; ++Step) fuzzgame::Frame(50);
      if (F.WayPointCount > 20 || F.PukkiDirection > 7) fuzzgame::Fault("walk state out of range");
    }
    F.ShortestWay(-5, -5, 400, 300);
    F.ShortestWay(319, 199, 0, 0);
  });
  return 0;
}
