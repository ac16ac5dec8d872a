// Every text a player can meet, gathered from the sources with the builder's own parsers.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/databuild/lang/Catalogue.h"

namespace vornu::databuild::lang {

// The texts of the repository at `root` (assets/, game/*.cpp, web/page.js), in the template's
// order, each (context, id) once with every place it comes from. A malformed source throws
// BuildError naming it.
std::vector<TemplateMessage> CollectMessages(const std::filesystem::path& root);

// The string literals of the calls `names` makes in C++ or JavaScript source `text`, one entry
// per call: a call's literals are the lines of one speech. A call is a name not preceded by a
// letter, digit or `_`, then "(", then one literal or a braced list of literals ("..." or
// '...'; adjacent literals join as the compiler joins them); calls with anything else are
// skipped. Escapes are decoded; an unknown one throws BuildError naming the file and line.
struct LiteralCall {
  std::vector<std::string> literals;
  int line = 0;
};
std::vector<LiteralCall> FindLiteralCalls(const std::string& text,
                                          const std::vector<std::string>& names,
                                          const std::filesystem::path& file);

// The repository folder above an assets folder given as ASSETS_DIR.
std::filesystem::path RootOf(const std::filesystem::path& assets);

}  // namespace vornu::databuild::lang
