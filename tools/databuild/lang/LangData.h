// One language's data files, made from the Finnish sources through its catalogue.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/databuild/Registry.h"
#include "tools/databuild/lang/Catalogue.h"

namespace vornu::databuild::lang {

// Looks texts up in a catalogue and gives them in the game's Windows-1252.
class Translator {
 public:
  explicit Translator(const lang::Catalogue& catalogue);
  bool IsIdentity() const { return catalogue_.IsIdentity(); }
  const std::filesystem::path& File() const { return catalogue_.File(); }
  const lang::Catalogue& Source() const { return catalogue_; }

  // The translation of a Windows-1252 source text; throws BuildError naming the message when
  // the catalogue lacks it or it cannot be written in Windows-1252.
  std::string Text(const std::string& context, const std::string& cp1252) const;
  // As Text, for texts that must stay on one line.
  std::string OneLine(const std::string& context, const std::string& cp1252) const;
  // UTF-8 `utf8` (the translation of `id`) in Windows-1252; "\n" is kept, other control
  // characters and "§" throw BuildError naming the message.
  std::string Encode(const std::string& context, const std::string& id,
                     const std::string& utf8) const;

 private:
  const lang::Catalogue& catalogue_;
};

// The object file of scene n in the translator's language (the Finnish one for identity).
std::string TranslatedObjectFile(int n, const std::string& sourceUtf8,
                                 const std::filesystem::path& source, const Translator& tr);

// The item file in the translator's language; "caption" gives the held item's first word.
std::string TranslatedItemFile(const std::string& sourceUtf8, const std::filesystem::path& source,
                               const Translator& tr);

// lines.txt: pairs of records, the Finnish speech then its translation (lines ending "§" but
// a record's last; Windows-1252, CR LF), for every "speech" and "caption" message.
std::string LinesFile(const std::vector<TemplateMessage>& messages, const Translator& tr);

// page.json: the "web page" messages, Finnish text -> translation, as one JSON object.
std::string PageFile(const std::vector<TemplateMessage>& messages, const Translator& tr);

// Every file of one language into `dest` (lang/CODE/ of the game directory).
void BuildLanguage(const Paths& paths, const Catalogue& catalogue,
                   const std::filesystem::path& dest);

}  // namespace vornu::databuild::lang
