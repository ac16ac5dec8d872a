// Fixed speech lines: from the source's UTF-8 to the Windows-1252 lines the font draws, through
// the catalogue of the language played.
#include "game/SpeechText.h"

#include "game/SceneFiles.h"
#include "platform/Text1252.h"

namespace vornu {

namespace {

constexpr char kContinues = '\xA7';  // "§": the record goes on on the next line
constexpr int kMaxRecordLines = 10;  // a speech has room for ten lines

std::string Joined(const std::vector<std::string>& Lines) {
  std::string Key;
  for (std::size_t I = 0; I < Lines.size(); ++I) Key += (I == 0 ? "" : "\n") + Lines[I];
  return Key;
}

std::vector<std::string> ReadRecord(TLineReader& Reader, const char* What) {
  std::vector<std::string> Lines;
  bool More = true;
  while (More) {
    if (Reader.AtEnd()) Reader.Fail(std::string(What) + " ends with a \"\xA7\" line");
    std::string Line = Reader.ReadLine();
    More = !Line.empty() && Line.back() == kContinues;
    if (More) Line.pop_back();
    Lines.push_back(std::move(Line));
    if (Lines.size() > kMaxRecordLines) Reader.Fail(std::string(What) + " has more than ten lines");
  }
  return Lines;
}

}  // namespace

std::vector<std::string> TLineCatalogue::FinnishRecords() const {
  std::vector<std::string> Keys;
  for (const auto& [Key, Translation] : Entries_) Keys.push_back(Key);
  return Keys;
}

// The held item's caption: "Käytä" + use form + target form.
TLineCatalogue::TLineCatalogue() : CaptionWord_(W("Käytä")) {}

TLineCatalogue TLineCatalogue::Parse(std::string_view Bytes, const std::string& FileName) {
  TLineCatalogue Catalogue;
  Catalogue.Finnish_ = false;
  TLineReader Reader(Bytes, FileName);
  while (!Reader.AtEnd()) {
    std::vector<std::string> Key = ReadRecord(Reader, "a Finnish record");
    const int KeyLine = Reader.LineNumber();
    if (Key.size() == 1 && Key[0].empty()) {
      // Blank lines may close the file; elsewhere a blank record is a slip that would shift
      // every pair after it.
      while (!Reader.AtEnd()) {
        if (!Reader.ReadLine().empty()) Reader.Fail("a blank line between the pairs of records");
      }
      break;
    }
    if (Reader.AtEnd()) Reader.Fail("the Finnish record has no translation after it");
    std::vector<std::string> Translation = ReadRecord(Reader, "a translation");
    if (!Catalogue.Entries_.emplace(Joined(Key), std::move(Translation)).second) {
      throw EGameFile(FileName + ": line " + std::to_string(KeyLine) +
                      ": the Finnish record is there twice");
    }
  }
  Catalogue.CaptionWord_ = Catalogue.Translate({Catalogue.CaptionWord_}).front();
  return Catalogue;
}

std::vector<std::string> TLineCatalogue::Translate(const std::vector<std::string>& FinnishLines) {
  if (Finnish_) return FinnishLines;
  const std::string Key = Joined(FinnishLines);
  const auto Found = Entries_.find(Key);
  if (Found != Entries_.end()) return Found->second;
  // Better a line the player cannot read than a silent gap in a puzzle's chain; the count
  // makes it show in the tests.
  Missing_.insert(Key);
  return FinnishLines;
}

SayStr MakeSpeech(TLineCatalogue& Catalogue, const std::vector<std::string>& Utf8Lines) {
  std::vector<std::string> Lines;
  Lines.reserve(Utf8Lines.size());
  for (const std::string& Line : Utf8Lines) Lines.push_back(W(Line));
  SayStr Rec;
  for (const std::string& Line : Catalogue.Translate(Lines)) {
    if (Rec.LineCount == Rec.Lines.High) break;  // a record has room for ten lines only
    ++Rec.LineCount;
    Rec.Lines[Rec.LineCount] = Line.substr(0, SayStr::MaxLineLength);
  }
  return Rec;
}

}  // namespace vornu
