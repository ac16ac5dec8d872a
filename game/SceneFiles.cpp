// Readers of the game's data files: hotspot maps, scene object files and the item file.
#include "game/SceneFiles.h"

#include <limits>

#include "platform/FileAccess.h"
#include "platform/Text1252.h"

namespace vornu {

namespace {

constexpr char kEndOfFile = 26;
constexpr char kContinues = '\xA7';  // "§": the reply goes on on the next line
constexpr int kMaxRecords = 256;
constexpr int kMaxReplyLines = 10;
constexpr int kRecordLength = 13;
// The largest data file is a hotspot map of 64,000 bytes; far larger is no game file.
constexpr std::size_t kMaxDataFileBytes = 4 << 20;

std::string CutLine(const std::string& Line) {
  return Line.substr(0, SayStr::MaxLineLength);
}

}  // namespace

std::string ReadWholeFile(const std::string& Path) {
  try {
    return ReadFileText(Path, kMaxDataFileBytes);
  } catch (const EFileAccess& E) {
    throw EGameFile(E.what());
  }
}

TLineReader::TLineReader(std::string_view Bytes, std::string FileName)
    : Bytes_(Bytes), FileName_(std::move(FileName)) {
  // Nothing after an end-of-file byte belongs to the text.
  const std::size_t Eof = Bytes_.find(kEndOfFile);
  if (Eof != std::string_view::npos) Bytes_ = Bytes_.substr(0, Eof);
}

std::string TLineReader::ReadLine() {
  ++Line_;
  const std::size_t Start = Pos_;
  while (Pos_ < Bytes_.size() && Bytes_[Pos_] != '\r' && Bytes_[Pos_] != '\n') ++Pos_;
  std::string Line(Bytes_.substr(Start, Pos_ - Start));
  if (Pos_ < Bytes_.size()) {
    if (Bytes_[Pos_] == '\r' && Pos_ + 1 < Bytes_.size() && Bytes_[Pos_ + 1] == '\n') ++Pos_;
    ++Pos_;
  }
  return Line;
}

void TLineReader::Fail(const std::string& What) const {
  throw EGameFile(FileName_ + ": line " + std::to_string(Line_) + ": " + What);
}

bool ParseDecimal(std::string_view Text, std::int32_t& Value) {
  std::size_t I = 0;
  while (I < Text.size() && Text[I] == ' ') ++I;
  bool Negative = false;
  if (I < Text.size() && (Text[I] == '+' || Text[I] == '-')) {
    Negative = Text[I] == '-';
    ++I;
  }
  if (I == Text.size()) return false;
  std::int64_t V = 0;
  for (; I < Text.size(); ++I) {
    if (Text[I] < '0' || Text[I] > '9') return false;
    V = V * 10 + (Text[I] - '0');
    if (V > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return false;
  }
  if (Negative) V = -V;
  if (V > std::numeric_limits<std::int32_t>::max()) return false;
  Value = static_cast<std::int32_t>(V);
  return true;
}

std::int32_t ReadIntegerLine(TLineReader& Reader, const char* What) {
  const std::string Line = Reader.ReadLine();
  std::int32_t Value = 0;
  if (!ParseDecimal(Line, Value)) {
    Reader.Fail(std::string(What) + " \"" + Cp1252ToUtf8(Line) + "\" is not an integer");
  }
  return Value;
}

SayStr ReadReply(TLineReader& Reader) {
  SayStr Reply;
  bool More = true;
  int Count = 0;
  while (More) {
    std::string Line = Reader.ReadLine();
    ++Count;
    if (Count > kMaxReplyLines) Reader.Fail("a reply has more than ten lines");
    More = !Line.empty() && Line.back() == kContinues;
    if (More) Line.pop_back();
    Reply.Lines[Count] = CutLine(Line);
  }
  Reply.LineCount = static_cast<std::uint8_t>(Count);
  return Reply;
}

void ParseHotspotMap(std::string_view Bytes, THotspotMap& Map) {
  std::size_t Pos = 0;
  bool Ended = false;
  for (int Y = 1; Y <= 200; ++Y) {
    for (int X = 1; X <= 320; ++X) {
      if (!Ended && (Pos >= Bytes.size() || Bytes[Pos] == kEndOfFile)) Ended = true;
      Map[X][Y] = Ended ? std::uint8_t{26} : static_cast<std::uint8_t>(Bytes[Pos++]);
    }
  }
}

std::vector<TObjectRecord> ParseObjectFile(std::string_view Bytes, const std::string& FileName) {
  TLineReader Reader(Bytes, FileName);
  const std::int32_t Count = ReadIntegerLine(Reader, "the record count");
  std::vector<TObjectRecord> Records;
  if (Count <= 0) return Records;
  if (Count > kMaxRecords) Reader.Fail("more than 256 hotspot records");
  Records.resize(static_cast<std::size_t>(Count));

  auto Field = [&Reader](const std::string& Line, std::size_t Column, std::size_t Width,
                         const char* What) {
    std::int32_t Value = 0;
    if (!ParseDecimal(std::string_view(Line).substr(Column - 1, Width), Value)) {
      Reader.Fail(std::string(What) + " in columns " + std::to_string(Column) + "-" +
                  std::to_string(Column + Width - 1) + " is not an integer");
    }
    return Value;
  };
  for (TObjectRecord& R : Records) {
    const std::string Line = Reader.ReadLine();
    if (Line.size() < kRecordLength) Reader.Fail("a hotspot record is shorter than 13 characters");
    R.Hotspot = Field(Line, 1, 3, "the hotspot number");
    if (R.Hotspot < 1 || R.Hotspot > 255) Reader.Fail("hotspot number outside 1..255");
    R.WalkPoint.X = Field(Line, 5, 3, "the walk point x");
    R.WalkPoint.Y = Field(Line, 9, 3, "the walk point y");
    R.WalkPoint.Facing = static_cast<std::uint8_t>(Field(Line, 13, 1, "the facing"));
  }
  for (TObjectRecord& R : Records) {
    for (std::string& Caption : R.Captions) Caption = Reader.ReadLine();
  }
  for (TObjectRecord& R : Records) R.UseName = Reader.ReadLine();
  for (TObjectRecord& R : Records) {
    for (SayStr& Reply : R.Replies) Reply = ReadReply(Reader);
  }
  return Records;
}

TItemFileData ParseItemFile(std::string_view Bytes, const std::string& FileName) {
  TLineReader Reader(Bytes, FileName);
  TItemFileData Data;
  const std::int32_t Items = ReadIntegerLine(Reader, "the item count");
  if (Items < 0 || Items > 13) Reader.Fail("the item count is outside 0..13");
  for (int N = 1; N <= Items; ++N) {
    for (int K = 1; K <= 6; ++K) Data.Texts[K][N] = Reader.ReadLine();
  }
  for (int N = 1; N <= Items; ++N) {
    for (int V = 2; V <= 4; ++V) Data.Replies[V][N] = ReadReply(Reader);
  }
  const std::int32_t Refusals = ReadIntegerLine(Reader, "the refusal count");
  if (Refusals < 0 || Refusals > 30) Reader.Fail("the refusal count is outside 0..30");
  for (int R = 0; R < Refusals; ++R) {
    Data.UseFailReplies[R].Lines[1] = CutLine(Reader.ReadLine());
    Data.UseFailReplies[R].LineCount = 1;
  }
  Data.UseFailReplyCount = static_cast<std::uint8_t>(Refusals);
  return Data;
}

}  // namespace vornu
