// Feeds arbitrary files to the game's picture loading: the bitmap loader, then the drawing of
// what it accepted onto a surface.
#include <cstddef>
#include <cstdint>

#include "engine/GX.h"
#include "fuzz/FuzzGame.h"
#include "platform/Classes.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzgame::Start("bitmap", argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TForm1& F = fuzzgame::Game();
  if (!fuzzgame::Feed<EInOutError>("sprites/fuzz.bmp", data, size, [&] {
        F.LoadPicture(*F.FullScreenPicture, "sprites/fuzz.bmp");
      })) {
    return 0;
  }
  // Accepted: it is shown like an opening picture.
  fuzzgame::Guarded([&] { F.GXScreen1->Back()->Draw(0, 0, *F.FullScreenPicture, false); });
  return 0;
}
