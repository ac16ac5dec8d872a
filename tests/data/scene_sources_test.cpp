// The scene builder: drawing language, hotspot records, reply wrapping, object file bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/BitmapFont.h"
#include "platform/Text1252.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/scenes/SceneArt.h"
#include "tools/databuild/scenes/SceneBuild.h"
#include "tools/databuild/scenes/SceneTable.h"
#include "tools/databuild/scenes/SceneText.h"

namespace vornu::databuild::scenes {
namespace {

const std::filesystem::path kArt = "t.scene";
const std::filesystem::path kTxt = "t.txt";

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const BuildError& e) {
    return e.what();
  }
  return "(no error)";
}

std::uint8_t MapAt(const SceneArt& a, int x, int y) {
  return a.map[static_cast<std::size_t>(y) * kSceneW + static_cast<std::size_t>(x)];
}

SceneArt Render(const std::string& src, std::vector<std::pair<int, int>> tiles = {}) {
  return RenderScene(ParseScene(src, kArt), tiles);
}

// ---- drawing language -------------------------------------------------------

TEST(SceneLanguage, MalformedLinesNameFileAndLine) {
  EXPECT_EQ(ErrorOf([] { ParseScene("# c\nrect 0 0 10 10 fill=#ffffff\nsquare 1 2\n", kArt); }),
            "t.scene:3: unknown command \"square\"");
  EXPECT_NE(ErrorOf([] { ParseScene("\nrect 0 0 x 10 fill=#ffffff\n", kArt); }).find("t.scene:2:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseScene("rect 0 0 10 10 hot=26\n", kArt); }).find("26"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseScene("rect 0 0 10 10 fill=nocolour\n", kArt); }).find(":1:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseScene("rect 0 0 10 10\n", kArt); }).find("draws nothing"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseScene("poly 0 0 5 5 hot=1\n", kArt); }).find("three"),
            std::string::npos);
  EXPECT_EQ(ErrorOf([] { ParseScene("tile 1 0 0 keyed\nrect 0 0 1 1 fill=#ffffff\n", kArt); }),
            "t.scene:1: block is not closed with `end`");
  EXPECT_NE(ErrorOf([] {
              ParseScene("tile 1 0 0 keyed\nend\ntile 1 0 0 keyed\nend\n", kArt);
            }).find("t.scene:3: tile 1 is drawn twice"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseScene("tile 2 0 0 keyed from=1\nend\n", kArt); }).find(":1:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseScene("use nothing 1 1\n", kArt); }).find("no def"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseScene("material m planks #ffffff\n", kArt); }).find("2 colour"),
            std::string::npos);
}

TEST(SceneLanguage, ShapesWriteTheMapExactlyWhereTheyCover) {
  const SceneArt a = Render(
      "rect 0 100 320 100 fill=#806040 hot=floor\n"
      "rect 10 110 5 4 fill=#ff0000 hot=7\n"
      "ellipse 100 150 3 3 fill=#00ff00 hot=none\n"
      "rect 12 111 1 1 fill=#0000ff\n");
  EXPECT_EQ(MapAt(a, 0, 99), 255);
  EXPECT_EQ(MapAt(a, 0, 100), 0);
  EXPECT_EQ(MapAt(a, 10, 110), 7);
  EXPECT_EQ(MapAt(a, 14, 113), 7);
  EXPECT_EQ(MapAt(a, 15, 113), 0);
  EXPECT_EQ(MapAt(a, 14, 114), 0);
  EXPECT_EQ(MapAt(a, 12, 111), 7);  // untagged decoration keeps the hotspot below it
  EXPECT_EQ(a.picture.At(12, 111), (Rgb{0, 0, 255}));
  EXPECT_EQ(MapAt(a, 100, 150), 255);
  EXPECT_EQ(MapAt(a, 103, 150), 255);
  EXPECT_EQ(MapAt(a, 105, 150), 0);
  for (std::size_t i = 0; i < a.map.size(); ++i) ASSERT_NE(a.map[i], 26);
}

TEST(SceneLanguage, OutlineAndBevelRings) {
  const SceneArt a = Render("rect 10 10 6 6 fill=#808080 outline=#101010 hi=#c0c0c0 lo=#404040\n");
  EXPECT_EQ(a.picture.At(10, 10), (Rgb{16, 16, 16}));
  EXPECT_EQ(a.picture.At(15, 15), (Rgb{16, 16, 16}));
  EXPECT_EQ(a.picture.At(11, 11), (Rgb{192, 192, 192}));
  EXPECT_EQ(a.picture.At(14, 14), (Rgb{64, 64, 64}));
  EXPECT_EQ(a.picture.At(12, 12), (Rgb{128, 128, 128}));
  EXPECT_EQ(a.picture.At(9, 9), (Rgb{0, 0, 0}));
}

TEST(SceneLanguage, GroupsMoveAndTakeOverrides) {
  const SceneArt a = Render(
      "def box\nrect 0 0 2 2 fill=#ffffff hot=3\nline 0 5 3 5 fill=#ffffff\nend\n"
      "use box 50 60 hot=9\n");
  EXPECT_EQ(MapAt(a, 50, 60), 9);
  EXPECT_EQ(MapAt(a, 51, 61), 9);
  EXPECT_EQ(MapAt(a, 52, 61), 255);
  EXPECT_EQ(MapAt(a, 0, 0), 255);                         // a def draws nothing by itself
  EXPECT_EQ(a.picture.At(53, 65), (Rgb{255, 255, 255}));  // lines move with both ends
}

TEST(SceneLanguage, ShapeOutsideThePictureIsAnError) {
  EXPECT_EQ(ErrorOf([] { Render("\nrect 400 10 5 5 fill=#ffffff\n"); }),
            "t.scene:2: the shape covers no pixel of the picture");
  // A typo'd coordinate is refused at once instead of drawing a line for ever.
  EXPECT_NE(ErrorOf([] { Render("line 0 0 1000000000 5 fill=#ffffff\n"); }).find("t.scene:1:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { Render("rect 0 0 1e300 5 fill=#ffffff\n"); }).find("t.scene:1:"),
            std::string::npos);
}

TEST(SceneLanguage, ByteOrderMarkIsIgnored) {
  EXPECT_EQ(MapAt(Render("\xEF\xBB\xBFrect 0 0 2 2 hot=5\n"), 1, 1), 5);
  EXPECT_EQ(ParseSceneText(std::string("\xEF\xBB\xBF") +
                               "[3]\nwalk 1 1 up\nname a\nverb2 b\n"
                               "verb3 c\nverb4 d\nuse e\nreply2 f\nreply3 g\nreply4 h\n",
                           kTxt)[0]
                .number,
            3);
}

TEST(SceneLanguage, PatternsAreTheSameOnEveryRender) {
  const std::string src =
      "material n noise #102030 #f0f0f0 amount=30 seed=5\nmaterial p planks #805030 #402010\n"
      "rect 0 0 320 100 fill=n\nrect 0 100 320 100 fill=p\n";
  EXPECT_EQ(Render(src).picture, Render(src).picture);
}

TEST(SceneLanguage, SnowfallStaysInItsWindowAndStreaksWithTheWind) {
  const Rgb sky{32, 32, 48}, flake{255, 255, 255};
  const std::string base = "rect 0 0 320 200 fill=#202030\n";
  const SceneArt a = Render(base +
                            "material s snowfall #ffffff amount=50 size=4 seed=3\n"
                            "rect 100 50 60 40 fill=s\n");
  int flakes = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      const bool inside = x >= 100 && x < 160 && y >= 50 && y < 90;
      const Rgb c = a.picture.At(x, y);
      if (!inside) {
        ASSERT_EQ(c, sky) << "snow outside the window at " << x << "," << y;
        continue;
      }
      if (c != flake) continue;
      ++flakes;
      // Each flake trails a fainter streak up and to the left.
      if (x > 101 && y > 51) {
        const Rgb t = a.picture.At(x - 1, y - 1);
        EXPECT_GT(t.r, sky.r) << x << "," << y;
      }
    }
  }
  // One flake in half of the 150 cells of 4 x 4, give or take chance.
  EXPECT_GT(flakes, 45);
  EXPECT_LT(flakes, 105);
  EXPECT_EQ(
      Render(base + "material s snowfall #ffffff amount=0\nrect 100 50 60 40 fill=s\n").picture,
      Render(base).picture);
}

// ---- tiles ------------------------------------------------------------------

TEST(SceneTiles, KeyedTileKeepsOnlyWhatChanges) {
  const SceneArt a = Render(
      "rect 0 0 320 200 fill=#406080\n"
      "tile 1 10 10 keyed\nrect 12 12 2 2 fill=#ffffff\nrect 15 15 1 1 fill=#010101\nend\n",
      {{8, 8}});
  const Image& t = a.tiles.at(1);
  ASSERT_EQ(t.Width(), 8);
  ASSERT_EQ(t.Height(), 8);
  EXPECT_EQ(t.At(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(t.At(2, 2), (Rgb{255, 255, 255}));
  EXPECT_EQ(t.At(5, 5), (Rgb{8, 8, 8}));                // would vanish on the 16-bit display
  EXPECT_EQ(a.picture.At(12, 12), (Rgb{64, 96, 128}));  // the picture is untouched
}

TEST(SceneTiles, OpaqueTileWithoutANamedShapeShowsWhatLayBehindIt) {
  const SceneArt a = Render(
      "rect 0 0 320 200 fill=#203040\n"
      "rect 20 20 4 4 fill=#ff0000 hot=2 name=peg\n"
      "tile 1 18 18 opaque without=peg\nend\n",
      {{10, 10}});
  const Image& t = a.tiles.at(1);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(t.At(x, y), (Rgb{32, 48, 64}));
  EXPECT_EQ(MapAt(a, 21, 21), 2);  // the map stays the picture's
}

TEST(SceneTiles, FromAnotherTileAndBlankCanvas) {
  const SceneArt a = Render(
      "rect 0 0 320 200 fill=#203040\n"
      "tile 1 0 0 opaque\nrect 0 0 5 5 fill=#ff0000\nend\n"
      "tile 2 0 0 opaque from=1\nrect 5 5 5 5 fill=#00ff00\nend\n"
      "tile 3 100 100 blank\nrect 101 101 1 1 fill=#ffffff\nend\n",
      {{320, 200}, {320, 200}, {3, 3}});
  EXPECT_EQ(a.tiles.at(2).At(1, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(a.tiles.at(2).At(6, 6), (Rgb{0, 255, 0}));
  EXPECT_EQ(a.tiles.at(1).At(6, 6), (Rgb{32, 48, 64}));
  EXPECT_EQ(a.tiles.at(3).At(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(a.tiles.at(3).At(1, 1), (Rgb{255, 255, 255}));
}

TEST(SceneTiles, TableViolationsAreErrors) {
  EXPECT_EQ(ErrorOf([] {
              Render("rect 0 0 9 9 fill=#ffffff\n", {{4, 4}});
            }),
            "t.scene: tile 1 is not drawn");
  EXPECT_NE(ErrorOf([] {
              Render("tile 2 0 0 opaque\nend\n", {{4, 4}});
            }).find("t.scene:1:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] {
              Render("tile 1 300 0 opaque\nend\n", {{40, 4}});
            }).find("fit"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] {
              Render("rect 0 0 9 9 fill=#ffffff\ntile 1 0 0 keyed\nend\n", {{4, 4}});
            }).find("shows nothing"),
            std::string::npos);
}

// ---- hotspot records and replies ------------------------------------------------

const char* kRecord =
    "# kitchen\n"
    "[7]\n"
    "walk 120 150 down\n"
    "name Kaappi\n"
    "verb2 Avaa kaappi\n"
    "verb3 Katso kaappia\n"
    "verb4 Puhu kaapille\n"
    "use kaappiin\n"
    "reply2 Mukeja ja kuppeja.\n"
    "reply3 Astiakaappi. / Ei mitään.\n"
    "reply4 Ei kaapit puhu,\n"
    "  paitsi joulupukin kaapit.\n";

TEST(SceneRecords, ParsesFieldsFacingsAndContinuations) {
  const auto r = ParseSceneText(kRecord, kTxt);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].number, 7);
  EXPECT_EQ(r[0].x, 120);
  EXPECT_EQ(r[0].y, 150);
  EXPECT_EQ(r[0].facing, 4);
  EXPECT_EQ(r[0].verb4, "Puhu kaapille");
  EXPECT_EQ(r[0].replies[2], "Ei kaapit puhu, paitsi joulupukin kaapit.");
  std::string turned = kRecord;
  turned.replace(turned.find("down"), 4, "uleft");
  EXPECT_EQ(ParseSceneText(turned, kTxt)[0].facing, 7);
}

TEST(SceneRecords, MistakesNameTheLine) {
  const std::string base = kRecord;
  EXPECT_EQ(ErrorOf([&] { ParseSceneText(base.substr(0, base.find("use")), kTxt); }),
            "t.txt:2: hotspot 7 has no `use`");
  EXPECT_NE(ErrorOf([] { ParseSceneText("[26]\n", kTxt); }).find("t.txt:1: hotspot 26"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseSceneText("[255]\n", kTxt); }).find("t.txt:1:"), std::string::npos);
  EXPECT_NE(ErrorOf([&] {
              ParseSceneText(base + "[7]\n", kTxt);
            }).find("t.txt:13: hotspot 7 appears twice"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseSceneText("[3]\nwalk 321 5 up\n", kTxt); }).find("t.txt:2:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseSceneText("[3]\nwalk 3 5 sideways\n", kTxt); }).find("t.txt:2:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseSceneText("[3]\n  dangling\n", kTxt); }).find("t.txt:2:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] {
              ParseSceneText("[3]\nname \xE2\x82\xAC\xE2\x98\x83\n", kTxt);
            }).find("t.txt:2:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseSceneText("name X\n", kTxt); }).find("t.txt:1:"), std::string::npos);
}

TEST(ReplyWrap, LinesFitTheSpeechAndKeepEveryWord) {
  const TextWidthFn width = [](const std::string& s) { return font::TextWidth(s); };
  const std::string text =
      W("Lunta, tähtiä ja kuu. Huomenna on jouluaatto, ja lahjakone on rikki. Voi kehveli "
        "sentään, mitäs nyt tehdään? Pitää kai mennä pajalle katsomaan.");
  const auto lines = WrapReply(text, kTxt, 4, width);
  ASSERT_GE(lines.size(), 3u);
  std::string joined;
  for (const auto& l : lines) {
    EXPECT_LE(l.size(), 50u) << l;
    EXPECT_LE(font::TextWidth(l), kReplyMaxWidth) << l;
    EXPECT_FALSE(l.empty());
    joined += (joined.empty() ? "" : " ") + l;
  }
  EXPECT_EQ(joined, text);
}

TEST(ReplyWrap, ForcedBreaksLimitsAndBadText) {
  EXPECT_EQ(WrapReply("Yksi. / Kaksi.", kTxt, 1, nullptr),
            (std::vector<std::string>{"Yksi.", "Kaksi."}));
  // Without a width the lines stay within 40 characters.
  for (const auto& l :
       WrapReply(std::string(30, 'a') + " " + std::string(30, 'b'), kTxt, 1, nullptr))
    EXPECT_LE(l.size(), 40u);
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += (i ? " / " : "") + std::string("rivi");
  EXPECT_NE(ErrorOf([&] { WrapReply(eleven, kTxt, 9, nullptr); }).find("t.txt:9:"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { WrapReply(std::string(60, 'x'), kTxt, 9, nullptr); }).find("too long"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { WrapReply("a / / b", kTxt, 9, nullptr); }).find("empty"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { WrapReply("Hinta 5\xA7", kTxt, 9, nullptr); }).find("t.txt:9:"),
            std::string::npos);
}

// Reads an object file the way the game does: count, fixed columns, captions, use forms,
// replies continued while a line ends with the section sign.
struct ReadBack {
  std::vector<std::string> records;
  std::vector<std::vector<std::string>> replies;
  std::vector<std::string> texts;
};

ReadBack ReadObject(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto crlf = bytes.find("\r\n", pos);
    EXPECT_NE(crlf, std::string::npos) << "every line ends with CR LF";
    if (crlf == std::string::npos) break;
    lines.push_back(bytes.substr(pos, crlf - pos));
    pos = crlf + 2;
  }
  ReadBack rb;
  std::size_t i = 0;
  const int n = std::stoi(lines.at(i++));
  for (int k = 0; k < n; ++k) rb.records.push_back(lines.at(i++));
  for (int k = 0; k < 5 * n; ++k) rb.texts.push_back(lines.at(i++));
  for (int k = 0; k < 3 * n; ++k) {
    std::vector<std::string> reply;
    for (;;) {
      std::string l = lines.at(i++);
      const bool more = !l.empty() && l.back() == '\xA7';
      if (more) l.pop_back();
      reply.push_back(l);
      if (!more) break;
    }
    rb.replies.push_back(reply);
  }
  EXPECT_EQ(i, lines.size()) << "nothing follows the last reply";
  return rb;
}

TEST(ObjectFile, FixedColumnsCrLfAndContinuedReplies) {
  auto recs = ParseSceneText(std::string(kRecord) +
                                 "[254]\nwalk 7 9 0\nname Ovi\nverb2 a\nverb3 b\nverb4 c\n"
                                 "use oveen\nreply2 x\nreply3 y\nreply4 z\n",
                             kTxt);
  const std::string bytes = WriteObjectFile(recs, kTxt, nullptr);
  EXPECT_EQ(bytes.substr(0, 33), "2\r\n007 120 150 4\r\n254 007 009 0\r\n");
  const ReadBack rb = ReadObject(bytes);
  ASSERT_EQ(rb.records.size(), 2u);
  EXPECT_EQ(rb.records[1].substr(0, 3), "254");
  EXPECT_EQ(rb.texts[0], "Kaappi");
  EXPECT_EQ(rb.texts[8], "kaappiin");
  EXPECT_EQ(rb.texts[9], "oveen");
  ASSERT_EQ(rb.replies.size(), 6u);
  EXPECT_EQ(rb.replies[1], (std::vector<std::string>{"Astiakaappi.", W("Ei mitään.")}));
  EXPECT_EQ(rb.replies[5], (std::vector<std::string>{"z"}));
}

// ---- whole scenes -------------------------------------------------------------------

const char* kMiniArt =
    "rect 0 0 320 120 fill=#604030 hot=none\n"
    "rect 0 120 320 80 fill=#906040 hot=floor\n"
    "rect 100 60 20 40 fill=#a07040 hot=254\n";
const char* kMiniTxt =
    "[254]\nwalk 110 130 up\nname Ovi\nverb2 a\nverb3 b\nverb4 c\nuse oveen\n"
    "reply2 x\nreply3 y\nreply4 z\n";

TEST(WholeScene, RecordsAndDrawingMustAgree) {
  // Scene 0 has no tiles and no floor rule; scene 4 (two tiles) shows the floor rule.
  EXPECT_NO_THROW(BuildScene(0, kMiniArt, kArt, kMiniTxt, kTxt, nullptr));
  EXPECT_NE(ErrorOf([] {
              BuildScene(0, "rect 0 0 9 9 fill=#ffffff hot=3\n", kArt, kMiniTxt, kTxt, nullptr);
            }).find("t.txt:1: hotspot 254 is not in the drawing"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] {
              BuildScene(0, std::string(kMiniArt) + "rect 0 0 5 5 fill=#ffffff hot=4\n", kArt,
                         kMiniTxt, kTxt, nullptr);
            }).find("hotspot 4 is drawn but has no record"),
            std::string::npos);
  const std::string tiles4 =
      "tile 1 56 150 opaque\nrect 56 150 4 4 fill=#ffffff\nend\n"
      "tile 2 113 77 opaque\nrect 113 77 4 4 fill=#ffffff\nend\n";
  EXPECT_NO_THROW(BuildScene(4, kMiniArt + tiles4, kArt, kMiniTxt, kTxt, nullptr));
  std::string offFloor = kMiniTxt;
  offFloor.replace(offFloor.find("110 130"), 7, "110 100");
  EXPECT_NE(ErrorOf([&] {
              BuildScene(4, kMiniArt + tiles4, kArt, offFloor, kTxt, nullptr);
            }).find("t.txt:1: walk point 110,100 of hotspot 254 is not on floor"),
            std::string::npos);
}

TEST(WholeScene, EveryCommittedSceneBuilds) {
  const std::filesystem::path dir = std::filesystem::path(VORNU_SOURCE_DIR) / "assets" / "scenes";
  auto read = [](const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
  };
  int built = 0;
  for (int n = 0; n < kSceneCount; ++n) {
    const auto art = dir / ("scene" + std::to_string(n) + ".scene");
    const auto txt = dir / ("scene" + std::to_string(n) + ".txt");
    if (!std::filesystem::exists(art)) continue;
    const auto b = BuildScene(n, read(art), art, read(txt), txt,
                              [](const std::string& s) { return font::TextWidth(s); });
    EXPECT_EQ(b.art.map.size(), 64000u);
    EXPECT_EQ(b.art.tiles.size(), Scene(n).tiles.size());
    ++built;
  }
  EXPECT_GE(built, 1);
}

}  // namespace
}  // namespace vornu::databuild::scenes
