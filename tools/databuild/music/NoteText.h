// The readable note text of assets/music/*.txt, compiled into a format-1 MIDI song.
#pragma once

#include <filesystem>
#include <string>

#include "tools/databuild/music/Midi.h"

namespace vornu::databuild {

// Compiles note text (syntax in assets/music/FORMAT.md); `file` names the source in errors.
// Throws BuildError(file, line, what) on the first malformed line.
midi::Song CompileNoteText(const std::string& text, const std::filesystem::path& file);

// Reads `file` and compiles it; a missing file is a BuildError too.
midi::Song CompileNoteFile(const std::filesystem::path& file);

}  // namespace vornu::databuild
