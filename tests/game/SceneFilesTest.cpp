// Reading hotspot maps, scene object files and the item file, and refusing broken ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "game/SceneFiles.h"
#include "platform/Text1252.h"

using vornu::EGameFile;
using vornu::ParseHotspotMap;
using vornu::ParseItemFile;
using vornu::ParseObjectFile;

namespace {

const std::string kPara = "\xA7";  // the continuation mark in Windows-1252

// Joins lines with CR LF, as the game's files are written.
std::string Lines(std::initializer_list<std::string> L) {
  std::string S;
  for (const auto& Line : L) S += Line + "\r\n";
  return S;
}

// A one-record object file for hotspot 7 with the given replies (each a list of lines).
std::string OneRecord(const std::string& Record, const std::string& Replies) {
  return Lines({"1", Record, "Ovi", "Avaa ovi", "Katso ovea", "Puhu ovelle", "ovelle"}) + Replies;
}

std::string ExpectFailure(const std::string& Bytes) {
  try {
    ParseObjectFile(Bytes, "scenes/scene3.obj");
  } catch (const EGameFile& E) {
    return E.what();
  }
  ADD_FAILURE() << "no error";
  return "";
}

}  // namespace

TEST(ObjectFile, ReadsFixedColumnsWithBlankOrZeroPadding) {
  for (const std::string Number : {"  7", "007"}) {
    auto Records = ParseObjectFile(
        OneRecord(Number + " 120 150 4 anything after", Lines({"a", "b", "c"})), "x.obj");
    ASSERT_EQ(Records.size(), 1u);
    EXPECT_EQ(Records[0].Hotspot, 7);
    EXPECT_EQ(Records[0].WalkPoint, (THotspotWalkPoint{120, 150, 4}));
    EXPECT_EQ(Records[0].Captions[0], "Ovi");
    EXPECT_EQ(Records[0].Captions[3], "Puhu ovelle");
    EXPECT_EQ(Records[0].UseName, "ovelle");
  }
}

TEST(ObjectFile, TrailingBlankInAFieldIsRefused) {
  const std::string Message = ExpectFailure(OneRecord("7   120 150 4", Lines({"a", "b", "c"})));
  EXPECT_NE(Message.find("scenes/scene3.obj: line 2"), std::string::npos) << Message;
}

TEST(ObjectFile, RepliesContinueAfterTheMarkAndAreCutTo50) {
  const std::string Long(60, 'x');
  auto Records = ParseObjectFile(
      OneRecord("007 120 150 4",
                Lines({"eka" + kPara, "toka" + kPara, "kolmas", Long + kPara, "loppu", "yksi"})),
      "x.obj");
  const SayStr& Verb2 = Records[0].Replies[0];
  EXPECT_EQ(Verb2.LineCount, 3);
  EXPECT_EQ(Verb2.Lines[1], "eka");
  EXPECT_EQ(Verb2.Lines[2], "toka");
  EXPECT_EQ(Verb2.Lines[3], "kolmas");
  const SayStr& Verb3 = Records[0].Replies[1];
  EXPECT_EQ(Verb3.LineCount, 2);
  EXPECT_EQ(Verb3.Lines[1], std::string(50, 'x'));
  EXPECT_EQ(Verb3.Lines[2], "loppu");
  EXPECT_EQ(Records[0].Replies[2].LineCount, 1);
  EXPECT_EQ(Records[0].Replies[2].Lines[1], "yksi");
}

TEST(ObjectFile, CaptionsAndUseNamesAreWholeLinesOfAnyLength) {
  // Only replies are cut to 50; the text line shows captions and use names as they stand.
  const std::string Name(70, 'n'), Use(64, 'u');
  auto Records = ParseObjectFile(
      Lines({"1", "007 120 150 4", Name, "Avaa ovi", "Katso ovea", "Puhu " + Name, Use, "a", "b",
             "c"}),
      "x.obj");
  ASSERT_EQ(Records.size(), 1u);
  EXPECT_EQ(Records[0].Captions[0], Name);
  EXPECT_EQ(Records[0].Captions[3], "Puhu " + Name);
  EXPECT_EQ(Records[0].UseName, Use);
}

TEST(ObjectFile, CountOfZeroOrLessReadsNothingMore) {
  EXPECT_TRUE(ParseObjectFile(Lines({"0", "garbage"}), "x.obj").empty());
  EXPECT_TRUE(ParseObjectFile(Lines({"-3"}), "x.obj").empty());
}

TEST(ObjectFile, CountAllowsLeadingBlanksOnly) {
  EXPECT_THROW(ParseObjectFile(Lines({"1 "}), "x.obj"), EGameFile);
  EXPECT_THROW(ParseObjectFile(Lines({""}), "x.obj"), EGameFile);
  EXPECT_THROW(ParseObjectFile("", "x.obj"), EGameFile);
  auto Records = ParseObjectFile(" " + OneRecord("007 120 150 4", Lines({"a", "b", "c"})), "x");
  EXPECT_EQ(Records.size(), 1u);
}

TEST(ObjectFile, ShortFileReadsMissingLinesAsEmpty) {
  auto Records = ParseObjectFile(Lines({"1", "007 120 150 4", "Ovi"}), "x.obj");
  ASSERT_EQ(Records.size(), 1u);
  EXPECT_EQ(Records[0].Captions[0], "Ovi");
  EXPECT_EQ(Records[0].Captions[1], "");
  EXPECT_EQ(Records[0].Replies[2].LineCount, 1);
}

TEST(ObjectFile, Byte26EndsTheText) {
  auto Records = ParseObjectFile(
      Lines({"1", "007 120 150 4", "Ovi"}) + "\x1A" + Lines({"Avaa", "x", "y"}), "x.obj");
  EXPECT_EQ(Records[0].Captions[1], "");
}

TEST(ObjectFile, LimitsAreRefusedNamingFileAndLine) {
  EXPECT_NE(ExpectFailure(Lines({"257"})).find("line 1"), std::string::npos);
  EXPECT_NE(ExpectFailure(OneRecord("000 120 150 4", "")).find("line 2"), std::string::npos);
  EXPECT_NE(ExpectFailure(OneRecord("256 120 150 4", "")).find("line 2"), std::string::npos);
  EXPECT_NE(ExpectFailure(OneRecord("007 120 150", "")).find("line 2"), std::string::npos);
  std::string Eleven;
  for (int I = 0; I < 11; ++I) Eleven += "rivi" + kPara + "\r\n";
  const std::string Message = ExpectFailure(OneRecord("007 120 150 4", Eleven));
  EXPECT_NE(Message.find("line 18"), std::string::npos) << Message;
  EXPECT_NE(Message.find("ten lines"), std::string::npos) << Message;
}

TEST(ObjectFile, TenLineReplyIsReadWhole) {
  std::string Ten;
  for (int I = 1; I <= 9; ++I) Ten += "rivi" + std::to_string(I) + kPara + "\r\n";
  Ten += "rivi10\r\n";
  auto Records = ParseObjectFile(OneRecord("007 120 150 4", Ten + Lines({"a", "b"})), "x.obj");
  EXPECT_EQ(Records[0].Replies[0].LineCount, 10);
  EXPECT_EQ(Records[0].Replies[0].Lines[10], "rivi10");
}

TEST(HotspotMap, RowsAreReadTopDownIntoXMajorCells) {
  std::string Bytes(64000, '\0');
  Bytes[(5 - 1) * 320 + (10 - 1)] = 9;  // cell (10, 5)
  Bytes[63999] = static_cast<char>(255);
  THotspotMap Map;
  ParseHotspotMap(Bytes, Map);
  EXPECT_EQ(Map[10][5], 9);
  EXPECT_EQ(Map[5][10], 0);
  EXPECT_EQ(Map[320][200], 255);
}

TEST(HotspotMap, Byte26AndShortFileFillTheRestWith26) {
  std::string Bytes(64000, '\0');
  Bytes[(5 - 1) * 320 + (10 - 1)] = 26;
  Bytes[(5 - 1) * 320 + (11 - 1)] = 3;
  THotspotMap Map;
  ParseHotspotMap(Bytes, Map);
  EXPECT_EQ(Map[9][5], 0);
  EXPECT_EQ(Map[10][5], 26);
  EXPECT_EQ(Map[11][5], 26);
  EXPECT_EQ(Map[1][200], 26);
  ParseHotspotMap(std::string(320, '\x01'), Map);
  EXPECT_EQ(Map[320][1], 1);
  EXPECT_EQ(Map[1][2], 26);
}

TEST(ItemFile, ReadsTextsRepliesAndRefusals) {
  std::string File = Lines({"2"});
  for (int N = 1; N <= 2; ++N) {
    for (int K = 1; K <= 6; ++K)
      File += std::string("t") + std::to_string(K) + "i" + std::to_string(N) + "\r\n";
  }
  File += Lines({"yksi", "kaksi" + kPara, "kaksi b", "kolme", "a", "b", "c", "3", "ei", "eipä",
                 std::string(60, 'e')});
  const vornu::TItemFileData Data = ParseItemFile(File, "items/items.txt");
  EXPECT_EQ(Data.Texts[1][1], "t1i1");
  EXPECT_EQ(Data.Texts[6][2], "t6i2");
  EXPECT_EQ(Data.Texts[1][3], "");
  EXPECT_EQ(Data.Replies[3][1].LineCount, 2);
  EXPECT_EQ(Data.Replies[3][1].Lines[2], "kaksi b");
  EXPECT_EQ(Data.Replies[4][2].Lines[1], "c");
  EXPECT_EQ(Data.Replies[2][3].LineCount, 0);
  EXPECT_EQ(Data.UseFailReplyCount, 3);
  EXPECT_EQ(Data.UseFailReplies[2].Lines[1], std::string(50, 'e'));
  EXPECT_EQ(Data.UseFailReplies[2].LineCount, 1);
}

TEST(ItemFile, LimitsAreRefusedNamingFileAndLine) {
  try {
    ParseItemFile(Lines({"14"}), "items/items.txt");
    FAIL() << "no error";
  } catch (const EGameFile& E) {
    EXPECT_NE(std::string(E.what()).find("items/items.txt: line 1"), std::string::npos);
  }
  EXPECT_THROW(ParseItemFile(Lines({"0", "31"}), "i"), EGameFile);
  EXPECT_THROW(ParseItemFile(Lines({"0", "x"}), "i"), EGameFile);
  EXPECT_THROW(ParseItemFile("", "i"), EGameFile);
  EXPECT_EQ(ParseItemFile(Lines({"0", "0"}), "i").UseFailReplyCount, 0);
}

TEST(Decimal, ConversionRules) {
  std::int32_t V = 0;
  EXPECT_TRUE(vornu::ParseDecimal("  -12", V));
  EXPECT_EQ(V, -12);
  EXPECT_TRUE(vornu::ParseDecimal("+2147483647", V));
  EXPECT_EQ(V, 2147483647);
  EXPECT_TRUE(vornu::ParseDecimal("-2147483648", V));
  EXPECT_FALSE(vornu::ParseDecimal("2147483648", V));
  EXPECT_FALSE(vornu::ParseDecimal("12 ", V));
  EXPECT_FALSE(vornu::ParseDecimal("1a", V));
  EXPECT_FALSE(vornu::ParseDecimal("-", V));
  EXPECT_FALSE(vornu::ParseDecimal("", V));
}

TEST(DataFiles, AFileFarLargerThanAnyGameFileIsNotRead) {
  const std::filesystem::path Path =
      std::filesystem::temp_directory_path() / "vornu-huge-scene.dat";
  std::ofstream(Path) << "x";
  std::filesystem::resize_file(Path, (4u << 20) + 1);
  try {
    vornu::ReadWholeFile(Path.string());
    ADD_FAILURE() << "read";
  } catch (const EGameFile& E) {
    EXPECT_NE(std::string(E.what()).find(Path.string() + ": 4194305 bytes, too large"),
              std::string::npos)
        << E.what();
  }
  std::filesystem::resize_file(Path, 4u << 20);
  EXPECT_EQ(vornu::ReadWholeFile(Path.string()).size(), 4u << 20);
  std::filesystem::remove(Path);
}
