// The item file writer: the game's format read back line by line, limits, and file:line errors.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/BitmapFont.h"
#include "platform/Text1252.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/items/ItemText.h"

namespace vornu::databuild::items {
namespace {

const TextWidthFn kFont = [](const std::string& s) { return font::TextWidth(s); };

std::string Item(int n, const std::string& reply2 = "Juu.") {
  const std::string k = std::to_string(n);
  return "[" + k + "]\nname Esine " + k + "\nverb2 Käytä " + k + "\nverb3 Katso " + k +
         "\nverb4 Puhu " + k + "\nuse esinettä\ntarget esineeseen\nreply2 " + reply2 +
         "\nreply3 Katsoin.\nreply4 Puhuin.\n";
}

std::string Source(const std::string& first = Item(1), const std::string& refusals = "- Ei.\n") {
  std::string s = "# test\n" + first;
  for (int n = 2; n <= kItemCount; ++n) s += Item(n);
  return s + "[refusals]\n" + refusals;
}

std::string Error(const std::string& text) {
  try {
    WriteItemFile(ParseItemText(text, "items.txt"), "items.txt", kFont);
  } catch (const BuildError& e) {
    return e.what();
  }
  return "";
}

// Reads the file the way the game does: counts, six texts an item, "§"-continued replies.
struct ReadBack {
  int n = 0, m = 0;
  std::vector<std::array<std::string, 6>> texts;
  std::vector<std::array<std::vector<std::string>, 3>> replies;
  std::vector<std::string> refusals;
};

ReadBack Read(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos) << "a line without CR LF";
    if (end == std::string::npos) break;
    const std::string line = bytes.substr(pos, end - pos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    lines.push_back(line);
    pos = end + 2;
  }
  std::size_t i = 0;
  auto next = [&]() { return i < lines.size() ? lines[i++] : std::string(); };
  ReadBack r;
  r.n = std::stoi(next());
  r.texts.resize(static_cast<std::size_t>(r.n));
  r.replies.resize(static_cast<std::size_t>(r.n));
  for (auto& t : r.texts)
    for (auto& s : t) s = next();
  for (auto& item : r.replies)
    for (auto& reply : item) {
      for (;;) {
        std::string line = next();
        EXPECT_FALSE(line.empty()) << "an empty reply line";
        const bool more = !line.empty() && line.back() == '\xA7';
        if (more) line.pop_back();
        reply.push_back(line);
        if (!more) break;
      }
    }
  r.m = std::stoi(next());
  for (int k = 0; k < r.m; ++k) r.refusals.push_back(next());
  EXPECT_EQ(i, lines.size()) << "lines after the last refusal";
  return r;
}

TEST(ItemFile, WritesTheGameFormatInWindows1252WithCrLf) {
  const std::string bytes = WriteItemFile(
      ParseItemText(Source(Item(1, "Tämä on pitkä vastaus, joka ei mahdu yhdelle riville vaan "
                                   "jatkuu toiselle ja vielä kolmannellekin.")),
                    "items.txt"),
      "items.txt", kFont);
  const ReadBack r = Read(bytes);
  ASSERT_EQ(r.n, 13);
  EXPECT_EQ(r.texts[0][0], "Esine 1");
  EXPECT_EQ(r.texts[0][1], W("Käytä 1"));
  EXPECT_EQ(r.texts[12][4], W("esinettä"));
  EXPECT_EQ(r.texts[12][5], "esineeseen");
  EXPECT_NE(bytes.find('\xE4'), std::string::npos);  // "ä" as one Windows-1252 byte
  ASSERT_GE(r.replies[0][0].size(), 2u);
  std::string joined;
  for (const auto& l : r.replies[0][0]) joined += (joined.empty() ? "" : " ") + l;
  EXPECT_EQ(joined, W("Tämä on pitkä vastaus, joka ei mahdu yhdelle riville vaan jatkuu "
                      "toiselle ja vielä kolmannellekin."));
  EXPECT_EQ(r.replies[1][1], std::vector<std::string>{"Katsoin."});
  EXPECT_EQ(r.m, 1);
  EXPECT_EQ(r.refusals[0], "Ei.");
}

TEST(ItemFile, ForcedBreaksAndContinuationLines) {
  const std::string src = Source(
      "[1]\nname A\nverb2 B\nverb3 C\nverb4 D\nuse e\ntarget f\n"
      "reply2 Yksi / kaksi\n  ja kolme.\nreply3 X\nreply4 Y\n");
  const ReadBack r = Read(WriteItemFile(ParseItemText(src, "items.txt"), "items.txt", kFont));
  EXPECT_EQ(r.replies[0][0], (std::vector<std::string>{"Yksi", "kaksi ja kolme."}));
}

TEST(ItemFile, MalformedSourcesNameTheirFileAndLine) {
  struct Case {
    std::string text;
    const char* expect;
  } cases[] = {
      {Source("[1]\nname A\nverb2 B\nverb3 C\nverb4 D\nuse e\nreply2 X\nreply3 X\nreply4 X\n"),
       "items.txt:2: item 1 has no `target`"},
      {"[2]\n", "items.txt:1: expected item [1]"},
      {Source(Item(1) + "nimi X\n"), "items.txt:12: unknown key"},
      {Source(Item(1) + "[3]\n"), "items.txt:12: expected item [2]"},
      {Source(), ""},
      {Source(Item(1), "- Tämä kieltäytyminen on aivan liian pitkä mahtuakseen yhdelle riville.\n"),
       "must fit one speech line"},
      {Source(Item(1), ""), "no [refusals]"},
      {Source(Item(1, "a / b / c / d / e / f / g / h / i / j / k")), "items.txt:9: the reply needs 11"},
      {Source(Item(1, "Hymy \xF0\x9F\x98\x80")), "items.txt:9:"},
      {Source(Item(1, "x") + "  \n"), ""},
      {"  jatko\n", "items.txt:1: an indented line continues only a reply"},
      {Source("[1]\nname " + std::string(60, 'W') +
              "\nverb2 B\nverb3 C\nverb4 D\nuse e\ntarget f\nreply2 X\nreply3 X\nreply4 X\n"),
       "wider than the text line"},
      {Source(Item(1)) + "[4]\n", "items.txt:"},
  };
  for (const Case& c : cases) {
    const std::string got = Error(c.text);
    if (std::string(c.expect).empty()) {
      EXPECT_EQ(got, "") << c.text;
    } else {
      EXPECT_NE(got.find(c.expect), std::string::npos) << c.text << "\ngave: " << got;
    }
  }
}

TEST(ItemFile, ThirtyRefusalsAtMost) {
  std::string refusals;
  for (int k = 0; k < 31; ++k) refusals += "- Ei " + std::to_string(k) + ".\n";
  EXPECT_NE(Error(Source(Item(1), refusals)).find("more than 30"), std::string::npos);
}

// The game's own item texts: thirteen complete items whose every line fits the speech surface.
TEST(GameItems, EveryTextIsPresentAndEveryLineFits) {
  const auto file = std::filesystem::path(VORNU_SOURCE_DIR) / "assets" / "items" / "items.txt";
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  std::ostringstream text;
  text << in.rdbuf();
  const ReadBack r = Read(WriteItemFile(ParseItemText(text.str(), file), file, kFont));
  ASSERT_EQ(r.n, 13);
  for (int n = 0; n < 13; ++n) {
    for (const auto& t : r.texts[static_cast<std::size_t>(n)]) EXPECT_FALSE(t.empty()) << n + 1;
    for (const auto& reply : r.replies[static_cast<std::size_t>(n)]) {
      EXPECT_LE(reply.size(), 10u);
      for (const auto& line : reply) {
        EXPECT_LE(line.size(), 50u) << line;
        EXPECT_LE(font::TextWidth(line), 236) << Cp1252ToUtf8(line);
      }
    }
  }
  EXPECT_GE(r.m, 8);
  EXPECT_LE(r.m, 30);
  for (const auto& line : r.refusals) EXPECT_LE(font::TextWidth(line), 236);
  // The combination the puzzle needs reads naturally on the text line.
  EXPECT_EQ(W("Käytä ") + r.texts[5][4] + " " + r.texts[4][5], W("Käytä tussia kurkkuun"));
}

}  // namespace
}  // namespace vornu::databuild::items
