// The one point where a line written in the source becomes a line the game shows, in the
// language the game plays in.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameTypes.h"

namespace vornu {

// The program's own lines (what the code itself says, and the held item's caption word) in one
// language: Finnish lines as the key, their translation as the value. The Finnish catalogue
// is empty and gives every line as it stands.
class TLineCatalogue {
 public:
  // The Finnish catalogue.
  TLineCatalogue();
  // Parses the bytes of a lines.txt (Windows-1252, pairs of records: the Finnish lines, then
  // their translation; every line of a record but its last ends in "§"). A broken file throws
  // EGameFile naming FileName and the line.
  static TLineCatalogue Parse(std::string_view Bytes, const std::string& FileName);

  // The translation of the Finnish lines (Windows-1252); lines it lacks come back as they are
  // and are remembered as missing.
  std::vector<std::string> Translate(const std::vector<std::string>& FinnishLines);
  // The word the held item's caption begins with ("Käytä" in Finnish).
  const std::string& CaptionWord() const { return CaptionWord_; }
  // How many different lines were asked for and missing (always 0 for Finnish).
  std::size_t MissingCount() const { return Missing_.size(); }
  // Those lines, each record's lines joined by "\n".
  const std::set<std::string>& Missing() const { return Missing_; }
  // Number of translated records.
  std::size_t Size() const { return Entries_.size(); }
  // The Finnish records it translates (Windows-1252, a record's lines joined by "\n"), the
  // caption word's among them.
  std::vector<std::string> FinnishRecords() const;

 private:
  bool Finnish_ = true;
  std::map<std::string, std::vector<std::string>> Entries_;
  std::string CaptionWord_;
  std::set<std::string> Missing_;
};

// The speech of the given UTF-8 source lines in the catalogue's language, Windows-1252: each
// line cut to its first 50 characters, lines past the tenth left out. Every fixed line the game
// says is made here.
SayStr MakeSpeech(TLineCatalogue& Catalogue, const std::vector<std::string>& Utf8Lines);

}  // namespace vornu
