// Songs in the browser: there is no MIDI synthesiser, so every song was rendered at build time
// with the desktop's synthesiser and soundfont to an OGG file beside its MIDI file
// (music02.mid -> music02.ogg), which the mixer plays.
#include <SDL_mixer.h>
#include <emscripten.h>

#include <cstdio>

#include "platform/MusicTarget.h"

namespace {

// clang-format off
EM_JS(int, SongStillComing, (const char* Song), {
  // The page fetches the songs once the game first wants one, so they never delay the title.
  if (Module["songWanted"]) Module["songWanted"]();
  var late = Module["lateSongs"];
  return late && late[UTF8ToString(Song)] === "coming" ? 1 : 0;
});
// clang-format on

}  // namespace

namespace vornu::audio::target {

std::string PrepareMusic() { return {}; }

int InitDecoders() { return Mix_Init(MIX_INIT_OGG); }

bool MusicReady(const std::string&, int Decoders) {
  if (!(Decoders & MIX_INIT_OGG)) {
    std::fprintf(stderr, "vornu: OGG playback unavailable (%s); playing without music\n",
                 Mix_GetError());
    return false;
  }
  return true;
}

std::string SongFile(const std::string& MidiFile) {
  const std::size_t dot = MidiFile.find_last_of('.');
  const std::size_t slash = MidiFile.find_last_of("/\\");
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? MidiFile.substr(0, dot) : MidiFile) + ".ogg";
}

bool SongArrived(const std::string& Song) { return SongStillComing(Song.c_str()) == 0; }

}  // namespace vornu::audio::target
