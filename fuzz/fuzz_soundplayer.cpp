// Feeds arbitrary sound library files to the sound player on the dummy audio device: each is
// read, converted to the device format sound by sound, played and stopped, or refused whole.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "engine/GXAudio.h"
#include "engine/GXLibStream.h"
#include "engine/gxslib.h"
#include "platform/AudioDevice.h"
#include "tests/support/Files.h"

namespace {

std::unique_ptr<support::TScratchDir> gDir;
std::string gPath;
std::unique_ptr<vornu::TGXAudio> gPlayer;

[[noreturn]] void Fault(const char* What) {
  std::fprintf(stderr, "fuzz: %s\n", What);
  std::fflush(stderr);
  __builtin_trap();
}

void Stop() {
  gPlayer.reset();
  gDir.reset();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  gDir = std::make_unique<support::TScratchDir>("vornu-fuzz-sounds");
  gPath = *gDir / "sounds.sl";
  std::atexit(Stop);
  gPlayer = std::make_unique<vornu::TGXAudio>();
  gPlayer->Start();  // the device opens once, before the first input
  if (!vornu::audio::IsOpen()) Fault("the dummy audio device does not open");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  support::WriteFile(gPath, std::string_view(reinterpret_cast<const char*>(data), size));
  vornu::TGXSoundLib Lib;
  try {
    Lib.LoadFromFile(gPath);
  } catch (const vornu::EGXLibrary& e) {
    if (std::string(e.what()).find(gPath) == std::string::npos) Fault(e.what());
    return 0;
  }
  try {
    gPlayer->SetSoundLibrary(&Lib);
  } catch (const vornu::EGXLibrary&) {
    // A sound it cannot play refuses the library whole.
    if (gPlayer->Count() != 0) Fault("a refused library left buffers behind");
    gPlayer->SetSoundLibrary(nullptr);
    return 0;
  } catch (const std::exception& e) {
    Fault(e.what());
  }
  try {
    if (gPlayer->Count() != Lib.Count()) Fault("not one buffer per sound");
    for (int I = 0; I < gPlayer->Count(); ++I) {
      vornu::TGXSoundBuffer& B = gPlayer->Buffer(I);
      if (B.Pan() != Lib.Sounds().Sound(I).Header.Pan) Fault("pan not taken over");
      B.LengthMs();
      gPlayer->Play(I, I % 2 == 1);
    }
    gPlayer->StopAll();
    gPlayer->SetSoundLibrary(nullptr);
  } catch (const std::exception& e) {
    Fault(e.what());
  }
  return 0;
}
