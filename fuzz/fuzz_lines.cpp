// Feeds arbitrary bytes to the reader of a language's own lines.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/SceneFiles.h"
#include "game/SpeechText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    vornu::TLineCatalogue lines = vornu::TLineCatalogue::Parse(bytes, "lines.txt");
    // Whatever is accepted gives speeches within the record's limits.
    const SayStr said = vornu::MakeSpeech(lines, {"Peli ladattu."});
    if (said.LineCount < 1 || said.LineCount > 10) __builtin_trap();
    for (int i = 1; i <= said.LineCount; ++i) {
      if (said.Lines[i].size() > SayStr::MaxLineLength) __builtin_trap();
    }
  } catch (const vornu::EGameFile&) {
  }
  return 0;
}
