// Readers of the game's data files: hotspot maps, scene object files and the item file.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameTypes.h"

namespace vornu {

// A data file that is missing, unreadable or breaks its format; the message names the file
// (and the line, where there is one).
class EGameFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole content of a file; throws EGameFile naming the file when it cannot be read or is
// larger than any game data file (4 MiB).
std::string ReadWholeFile(const std::string& Path);

// Reads a text file line by line as the game's data files are read: CR LF, LF or CR end a
// line, a byte 26 ends the file, and every line past the end reads as empty.
class TLineReader {
 public:
  TLineReader(std::string_view Bytes, std::string FileName);
  // The next line without its line end; empty past the end of the file.
  std::string ReadLine();
  // Whether every line has been read (a last line without its line end included).
  bool AtEnd() const { return Pos_ >= Bytes_.size(); }
  // One-based number of the line ReadLine returned last.
  int LineNumber() const { return Line_; }
  const std::string& FileName() const { return FileName_; }
  // Throws EGameFile "<file>: line <n>: <What>" for the line read last.
  [[noreturn]] void Fail(const std::string& What) const;

 private:
  std::string_view Bytes_;
  std::string FileName_;
  std::size_t Pos_ = 0;
  int Line_ = 0;
};

// Decimal conversion of a whole field: leading blanks, an optional sign and digits, nothing
// else (trailing blanks make it invalid). Returns false for an invalid or out-of-range field.
bool ParseDecimal(std::string_view Text, std::int32_t& Value);

// Reads the integer on the reader's next line, or fails naming the line.
std::int32_t ReadIntegerLine(TLineReader& Reader, const char* What);

// Reads one reply: lines ending in "§" continue it (the "§" is removed), every line is cut to
// 50 characters; more than ten lines is a format error.
SayStr ReadReply(TLineReader& Reader);

// Fills a hotspot map from the bytes of a .dat file, row by row; a byte 26 and every cell after
// it, and every cell beyond a short file, read as 26.
void ParseHotspotMap(std::string_view Bytes, THotspotMap& Map);

// One hotspot record of an object file with all its texts.
struct TObjectRecord {
  int Hotspot = 0;
  THotspotWalkPoint WalkPoint;
  std::string Captions[4];  // verbs 1..4; verb 1 is the name
  std::string UseName;
  SayStr Replies[3];  // verbs 2..4
};

// Parses a scene object file; any break of its limits throws EGameFile naming file and line.
std::vector<TObjectRecord> ParseObjectFile(std::string_view Bytes, const std::string& FileName);

// Everything the item file holds.
struct TItemFileData {
  vornu::Array<vornu::Array<std::string, 1, 13>, 1, 6> Texts;  // [text][item]
  vornu::Array<vornu::Array<SayStr, 1, 13>, 2, 4> Replies;     // [verb][item]
  vornu::Array<SayStr, 0, 29> UseFailReplies;
  std::uint8_t UseFailReplyCount = 0;
};

// Parses the item file; any break of its limits throws EGameFile naming file and line.
TItemFileData ParseItemFile(std::string_view Bytes, const std::string& FileName);

}  // namespace vornu
