// Builder step "music": compiles assets/music/musicNN.txt into music/musicNN.mid.
#include <filesystem>

#include "tools/databuild/Registry.h"
#include "tools/databuild/music/Midi.h"
#include "tools/databuild/music/NoteText.h"

namespace vornu::databuild {
namespace {

void BuildMusic(const Paths& paths) {
  const std::filesystem::path outDir = paths.out / "music";
  std::filesystem::create_directories(outDir);
  for (const char* name : {"music01", "music02"}) {
    const std::filesystem::path source = paths.assets / "music" / (std::string(name) + ".txt");
    const midi::Song song = CompileNoteFile(source);
    const std::filesystem::path target = outDir / (std::string(name) + ".mid");
    midi::WriteFile(target, song);
    // What we wrote must read back: a writer fault must not reach the game.
    std::string why;
    if (!midi::ParseMidiFile(target, why)) throw BuildError(source, 0, "wrote a bad file: " + why);
  }
}

const StepRegistrar registrar("music", &BuildMusic);

}  // namespace
}  // namespace vornu::databuild
