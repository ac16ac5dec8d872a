// Songs on the desktop: the MIDI files themselves, played through FluidSynth with the
// soundfont found in the data directories.
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/MusicTarget.h"

namespace vornu::audio {

namespace {

// A soundfont file starts with a RIFF chunk of kind "sfbk".
bool IsSoundFont(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  char head[12] = {};
  if (!in.read(head, sizeof head)) return false;
  return std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "sfbk", 4) == 0;
}

// The preferred soundfont of a directory: the small General MIDI font the setup installs,
// then the distribution's default, else the first by name. The mixer loads the soundfont
// anew for every tune it opens, so a 150 MB default would freeze the game for half a
// second at every change between the map and a scene.
std::string PickIn(const std::filesystem::path& dir, const char* ext) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) return {};
  std::vector<std::filesystem::path> found;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
    if (e.path().extension() == ext) found.push_back(e.path());
  }
  std::sort(found.begin(), found.end());
  std::stable_partition(found.begin(), found.end(), [](const std::filesystem::path& p) {
    return p.filename().string().rfind("default", 0) == 0;
  });
  std::stable_partition(found.begin(), found.end(), [](const std::filesystem::path& p) {
    return p.filename().string().rfind("TimGM6mb", 0) == 0;
  });
  for (const auto& p : found) {
    if (IsSoundFont(p)) return p.string();
  }
  return {};
}

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> out;
  std::stringstream in(s);
  std::string item;
  while (std::getline(in, item, ':')) {
    if (!item.empty()) out.push_back(item);
  }
  return out;
}

}  // namespace

std::string FindSoundFont(const std::string& DataHome, const std::string& DataDirs) {
  std::vector<std::string> dirs = Split(DataHome);
  for (const auto& d : Split(DataDirs)) dirs.push_back(d);
  for (const auto& d : dirs) {
    for (const char* sub : {"sf2", "sf3"}) {
      const std::string ext = std::string(".") + sub;
      std::string f = PickIn(std::filesystem::path(d) / "sounds" / sub, ext.c_str());
      if (!f.empty()) return f;
    }
  }
  for (const char* sub : {"sf2", "sf3"}) {
    const std::string ext = std::string(".") + sub;
    std::string f = PickIn(std::filesystem::path("/usr/share/sounds") / sub, ext.c_str());
    if (!f.empty()) return f;
  }
  return {};
}

namespace target {

std::string PrepareMusic() {
  const char* home = std::getenv("HOME");
  const char* xdgHome = std::getenv("XDG_DATA_HOME");
  const char* xdgDirs = std::getenv("XDG_DATA_DIRS");
  std::string dataHome =
      xdgHome && *xdgHome ? xdgHome : (home ? std::string(home) + "/.local/share" : "");
  std::string dataDirs = xdgDirs && *xdgDirs ? xdgDirs : "/usr/local/share:/usr/share";
  std::string font = FindSoundFont(dataHome, dataDirs);
  if (!font.empty()) Mix_SetSoundFonts(font.c_str());
  return font;
}

int InitDecoders() { return Mix_Init(MIX_INIT_MID); }

bool MusicReady(const std::string& SoundFont, int Decoders) {
  if (SoundFont.empty()) {
    std::fprintf(stderr,
                 "vornu: no soundfont found (install timgm6mb-soundfont); playing without music\n");
    return false;
  }
  if (!(Decoders & MIX_INIT_MID)) {
    std::fprintf(stderr, "vornu: MIDI playback unavailable (%s); playing without music\n",
                 Mix_GetError());
    return false;
  }
  return true;
}

std::string SongFile(const std::string& MidiFile) { return MidiFile; }

bool SongArrived(const std::string&) { return true; }

}  // namespace target

}  // namespace vornu::audio
