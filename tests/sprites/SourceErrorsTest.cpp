// Broken picture sources stop the builder with the file and line, before anything is written.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/Files.h"

namespace fs = std::filesystem;

namespace {

class SourceErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "assets" / "items");
    const fs::path src = fs::path(VORNU_SOURCE_DIR) / "assets";
    fs::copy(src / "sprites", root_ / "assets" / "sprites", fs::copy_options::recursive);
    fs::copy(src / "items" / "pictures", root_ / "assets" / "items" / "pictures",
             fs::copy_options::recursive);
  }
  // Replaces the first line of `rel` that starts with `prefix` by `line`; returns its number.
  int Replace(const std::string& rel, const std::string& prefix, const std::string& line) {
    std::ifstream in(root_ / "assets" / rel);
    std::stringstream out;
    std::string l;
    int n = 0, hit = 0;
    while (std::getline(in, l)) {
      ++n;
      if (!hit && l.rfind(prefix, 0) == 0) {
        hit = n;
        l = line;
      }
      out << l << "\n";
    }
    in.close();
    std::ofstream(root_ / "assets" / rel) << out.str();
    EXPECT_GT(hit, 0) << rel << " has no line starting with " << prefix;
    return hit;
  }

  // Runs the sprites step; returns its exit status and fills `output`.
  int Build(std::string& output) {
    const fs::path tool =
        fs::path(VORNU_GAME_DIR) / ".." / "tools" / "databuild" / "vornu-databuild";
    const std::string cmd = std::string("'") + tool.string() + "' '" + (root_ / "assets").string() +
                            "' '" + (root_ / "out").string() + "' sprites 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    std::array<char, 512> buf;
    while (fgets(buf.data(), buf.size(), p)) output += buf.data();
    return pclose(p);
  }

  void ExpectRefused(const std::string& where, const std::string& what) {
    std::string out;
    EXPECT_NE(Build(out), 0);
    EXPECT_NE(out.find(where), std::string::npos) << out;
    EXPECT_NE(out.find(what), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(root_ / "out" / "sprites" / "pukki" / "right01.bmp"))
        << "frames were written although a source is broken";
  }

  support::TScratchDir root_{"vornu-sprites"};
};

TEST_F(SourceErrors, ShortColourRamp) {
  const int n = Replace("sprites/pukki.txt", "ramp   skin", "ramp skin 120 60 52  182 104 84");
  ExpectRefused("pukki.txt:" + std::to_string(n), "15 numbers");
}

TEST_F(SourceErrors, RampColourThatWouldTurnSeeThrough) {
  const int n = Replace("sprites/pukki.txt", "ramp   black",
                        "ramp black 4 2 4  30 26 40  46 42 62  72 68 94  112 108 136");
  ExpectRefused("pukki.txt:" + std::to_string(n), "see-through");
}

TEST_F(SourceErrors, PixmapRowOfWrongWidth) {
  const int n = Replace("sprites/icons.txt", "KWK.......", "KWK......");
  ExpectRefused("icons.txt:" + std::to_string(n), "10 wide");
}

TEST_F(SourceErrors, ScreenTextTooWide) {
  const int n =
      Replace("sprites/screens.txt", "body 62 Tää peli",
              "body 62 Tää peli voi aiheuttaa äkillistä joulumieltä ja vielä paljon muuta");
  ExpectRefused("screens.txt:" + std::to_string(n), "pixels wide");
}

TEST_F(SourceErrors, MissingItemColour) {
  Replace("items/pictures/colours.txt", "ramp ink", "# no ink");
  ExpectRefused("colours.txt", "missing ramp ink");
}

TEST_F(SourceErrors, IntactSourcesBuild) {
  std::string out;
  ASSERT_EQ(Build(out), 0) << out;
  EXPECT_TRUE(fs::exists(root_ / "out" / "sprites" / "pukki" / "uright30.bmp"));
  EXPECT_TRUE(fs::exists(root_ / "out" / "items" / "item13.bmp"));
  EXPECT_TRUE(fs::exists(root_ / "out" / "sprites" / "krediit.bmp"));
}

}  // namespace
