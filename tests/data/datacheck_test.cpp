// The data checker finds each kind of broken game file and names it; a sound scene passes.
#include "tools/datacheck/DataCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/BitmapFont.h"
#include "tests/support/Files.h"
#include "tools/databuild/scenes/SceneBuild.h"
#include "tools/databuild/scenes/SceneTable.h"
#include "tools/libraster/Image.h"

namespace vornu::datacheck {
namespace {

namespace fs = std::filesystem;
using databuild::scenes::BuildScene;

using support::ReadFile;
using support::WriteFile;

// A game directory holding the real scene 1, built from the repository's sources.
class DataCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "scenes" / "tiles");
    const fs::path src = fs::path(VORNU_SOURCE_DIR) / "assets" / "scenes";
    const auto b = BuildScene(1, ReadFile(src / "scene1.scene"), src / "scene1.scene",
                              ReadFile(src / "scene1.txt"), src / "scene1.txt",
                              [](const std::string& s) { return font::TextWidth(s); });
    raster::WriteBmp24((dir_ / "scenes" / "scene1.bmp").string(), b.art.picture);
    WriteFile(Dat(), std::string(b.art.map.begin(), b.art.map.end()));
    WriteFile(Obj(), b.object);
    for (const auto& [k, tile] : b.art.tiles)
      raster::WriteBmp24(
          (dir_ / "scenes" / "tiles" / ("scene1_" + std::to_string(k) + ".bmp")).string(), tile);
  }
  fs::path Dat() const { return dir_ / "scenes" / "scene1.dat"; }
  fs::path Obj() const { return dir_ / "scenes" / "scene1.obj"; }

  // The problems reported about scene 1's files.
  std::string Scene1Problems() const {
    std::string out;
    for (const auto& p : CheckGameDir(dir_.Path()).problems)
      if (p.rfind("scenes/scene1.", 0) == 0 || p.rfind("scenes/tiles/scene1_", 0) == 0)
        out += p + "\n";
    return out;
  }

  void SetCell(int x, int y, std::uint8_t v) {
    std::string dat = ReadFile(Dat());
    dat[static_cast<std::size_t>(y - 1) * 320 + static_cast<std::size_t>(x - 1)] =
        static_cast<char>(v);
    WriteFile(Dat(), dat);
  }

  support::TScratchDir dir_{"vornu-datacheck"};
};

TEST_F(DataCheckTest, TheBuiltKitchenPasses) {
  EXPECT_EQ(Scene1Problems(), "");
}

TEST_F(DataCheckTest, OtherScenesAndFilesAreReportedMissing) {
  const auto r = CheckGameDir(dir_.Path());
  auto has = [&](const std::string& s) {
    for (const auto& p : r.problems)
      if (p == s) return true;
    return false;
  };
  EXPECT_TRUE(has("scenes/scene2.bmp: missing"));
  EXPECT_TRUE(has("scenes/tiles/scen13_3.bmp: missing"));
  EXPECT_TRUE(has("sprites/pukki/uright30.bmp: missing"));
  EXPECT_TRUE(has("items/items.txt: missing"));
  EXPECT_TRUE(has("music/music02.mid: missing"));
}

TEST_F(DataCheckTest, ShortMapAndHotspot26) {
  std::string dat = ReadFile(Dat());
  dat[5 * 320 + 9] = 26;
  WriteFile(Dat(), dat);
  EXPECT_NE(Scene1Problems().find("scenes/scene1.dat: hotspot 26 at x 10, y 6"), std::string::npos);
  WriteFile(Dat(), dat.substr(0, 63999));
  EXPECT_NE(Scene1Problems().find("63999 bytes"), std::string::npos);
}

TEST_F(DataCheckTest, WalkPointsOffTheFloorAndUnreachable) {
  // The door's walk point (183, 134) becomes part of the door.
  SetCell(183, 134, 254);
  const std::string p = Scene1Problems();
  EXPECT_NE(p.find("walk point 183,134 of hotspot 254 is not floor"), std::string::npos) << p;
  // A wall across the whole floor: the cabinets cannot be reached from the map entrance.
  SetUp();
  for (int x = 1; x <= 320; ++x) SetCell(x, 140, 255);
  const std::string q = Scene1Problems();
  EXPECT_NE(q.find("of hotspot 10 cannot be reached from 183,133 (arriving from the map)"),
            std::string::npos)
      << q;
}

TEST_F(DataCheckTest, RequiredHotspotMissingFromTheMap) {
  std::string dat = ReadFile(Dat());
  for (auto& c : dat)
    if (static_cast<unsigned char>(c) == 14) c = static_cast<char>(255);
  WriteFile(Dat(), dat);
  const std::string p = Scene1Problems();
  EXPECT_NE(p.find("hotspot 14 has a record but is not in the map"), std::string::npos) << p;
  EXPECT_NE(p.find("hotspot 14 is needed by the game"), std::string::npos) << p;
}

TEST_F(DataCheckTest, ReplyLinesTooLongOrTooWide) {
  std::string obj = ReadFile(Obj());
  const std::string line = "Ulos pakkaseen!";
  ASSERT_NE(obj.find(line), std::string::npos);
  obj.replace(obj.find(line), line.size(), std::string(49, 'W'));
  WriteFile(Obj(), obj);
  EXPECT_NE(Scene1Problems().find("pixels wide, cut on the speech surface"), std::string::npos);
  obj = ReadFile(Obj());
  obj.replace(obj.find(std::string(49, 'W')), 49, std::string(55, 'i'));
  WriteFile(Obj(), obj);
  EXPECT_NE(Scene1Problems().find("55 characters"), std::string::npos);
}

TEST_F(DataCheckTest, CaptionTooWideForTheTextLine) {
  std::string obj = ReadFile(Obj());
  const std::string name = "\r\nOvi\r\n";
  ASSERT_NE(obj.find(name), std::string::npos);
  obj.replace(obj.find(name), name.size(), "\r\n" + std::string(60, 'W') + "\r\n");
  WriteFile(Obj(), obj);
  EXPECT_NE(Scene1Problems().find("caption 1 of hotspot 254 \"WWWW"), std::string::npos);
}

TEST_F(DataCheckTest, BrokenObjectFileAndWrongTileSize) {
  WriteFile(Obj(), "16\r\n254 183 134 0\r\n");
  EXPECT_NE(Scene1Problems().find("scenes/scene1.obj:"), std::string::npos);
  raster::WriteBmp24((dir_ / "scenes" / "tiles" / "scene1_4.bmp").string(), raster::Image(5, 5));
  EXPECT_NE(Scene1Problems().find("scenes/tiles/scene1_4.bmp: is 5x5, the game needs 30x27"),
            std::string::npos);
  WriteFile(dir_ / "scenes" / "tiles" / "scene1_5.bmp", "BM not really");
  EXPECT_NE(Scene1Problems().find("scenes/tiles/scene1_5.bmp: not a readable bitmap"),
            std::string::npos);
}

TEST_F(DataCheckTest, DarkPixelsThatWouldPunchHolesInTransparentPictures) {
  raster::Image tile(24, 21);
  tile.At(3, 4) = raster::Rgb{5, 3, 7};  // becomes black, so see-through, on the display
  tile.At(5, 5) = raster::Rgb{8, 8, 8};
  raster::WriteBmp24((dir_ / "scenes" / "tiles" / "scene1_2.bmp").string(), tile);
  EXPECT_NE(Scene1Problems().find("scenes/tiles/scene1_2.bmp: 1 dark pixel(s), the first at 3,4"),
            std::string::npos);
  // The same pixel in an opaque tile (the open back door) is simply dark.
  raster::Image door(41, 58, raster::Rgb{40, 30, 20});
  door.At(3, 4) = raster::Rgb{5, 3, 7};
  raster::WriteBmp24((dir_ / "scenes" / "tiles" / "scene1_8.bmp").string(), door);
  EXPECT_EQ(Scene1Problems().find("scene1_8"), std::string::npos);
}

TEST_F(DataCheckTest, MidiThatDoesNotParse) {
  fs::create_directories(dir_ / "music");
  // A track chunk that promises 256 bytes and holds none.
  static constexpr char kCut[] = "MThd\0\0\0\6\0\1\0\2\0\x60MTrk\0\0\1\0";
  WriteFile(dir_ / "music" / "music01.mid", std::string(kCut, sizeof kCut - 1));
  bool found = false;
  for (const auto& p : CheckGameDir(dir_.Path()).problems)
    found |= p.rfind("music/music01.mid: not a Standard MIDI file", 0) == 0;
  EXPECT_TRUE(found);
}

TEST(DataCheckTables, EntriesAndRequiredHotspotsAreSane) {
  for (int n = 0; n < databuild::scenes::kSceneCount; ++n) {
    for (int h : RequiredHotspots(n)) {
      EXPECT_GE(h, 1);
      EXPECT_LE(h, 254);
      EXPECT_NE(h, 26);
    }
    for (const auto& e : FixedEntries(n)) {
      EXPECT_TRUE(databuild::scenes::Scene(n).pukki) << "scene " << n;
      EXPECT_TRUE(e.x >= 1 && e.x <= 320 && e.y >= 1 && e.y <= 200) << e.why;
    }
  }
}

}  // namespace
}  // namespace vornu::datacheck
