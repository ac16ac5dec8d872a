// A language's catalogue of translations (a PO file) and the template the catalogues start from.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vornu::databuild::lang {

// One text of the sources as the template lists it (all strings UTF-8).
struct TemplateMessage {
  std::string context;  // where the text is used, e.g. "scene1 [254] reply3"
  std::string id;       // the Finnish text as it stands in the sources
  std::string note;     // the limits a translation must keep, for the translator
  std::vector<std::pair<std::string, int>> refs;  // source file (relative) and line
};

// The translations of one language, looked up by context and Finnish text.
class Catalogue {
 public:
  // The Finnish "catalogue": every text is its own translation.
  static Catalogue Identity();

  // Reads a PO file; a file that cannot be read or parsed throws BuildError naming it.
  static Catalogue Read(const std::filesystem::path& po);

  bool IsIdentity() const { return identity_; }
  const std::filesystem::path& File() const { return file_; }

  // The translation (UTF-8) of `id` in `context`. A message the catalogue lacks, leaves
  // untranslated or marks fuzzy throws BuildError naming the file, the context and the id.
  std::string Translate(const std::string& context, const std::string& id) const;

 private:
  struct Entry {
    std::string translation;
    bool fuzzy = false;
  };
  std::filesystem::path file_;
  bool identity_ = true;
  std::map<std::pair<std::string, std::string>, Entry> entries_;
};

// Writes the template in the PO format (UTF-8, no translations), replacing `pot` whole.
void WriteTemplate(const std::vector<TemplateMessage>& messages, const std::filesystem::path& pot);

// "scene1 [254] reply3" / "Käytä": how a message is named in errors.
std::string Describe(const std::string& context, const std::string& id);

}  // namespace vornu::databuild::lang
