// Feeds arbitrary files to the game's picture loading: the bitmap loader, then the drawing of
// what it accepted onto a surface.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/GX.h"
#include "fuzz/FuzzGame.h"
#include "platform/Classes.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  fuzzgame::Start("bitmap", argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TForm1& F = fuzzgame::Game();
  const std::string Path = "sprites/fuzz.bmp";
  fuzzgame::WriteFile(Path, data, size);
  try {
    F.LoadPicture(*F.FullScreenPicture, Path);
  } catch (const EInOutError& e) {
    // Refused: the message names the file.
    if (std::string(e.what()).find(Path) == std::string::npos) fuzzgame::Fault(e.what());
    return 0;
  } catch (const std::exception& e) {
    fuzzgame::Fault(e.what());
  }
  // Accepted: it is shown like an opening picture.
  try {
    F.FullScreenPicture->Canvas->Release();
    F.GXScreen1->Back()->Draw(0, 0, *F.FullScreenPicture, false);
  } catch (const std::exception& e) {
    fuzzgame::Fault(e.what());
  }
  return 0;
}
