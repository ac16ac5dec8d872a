#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Graphics.h"
#include "platform/PictureFile.h"
#include "tests/support/ScratchTest.h"

namespace {

// A bitmap file: headers, colour table, pixel data as given.
constexpr auto& Bmp = support::BitmapFile;

using PictureFiles = support::TScratchTest;

// 3 x 2 picture, bottom-up rows, 24 bits: top row red green blue, bottom row white black grey.
std::vector<std::uint8_t> Rows24(bool TopDown) {
  const std::uint8_t top[] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};  // BGR + pad
  const std::uint8_t bottom[] = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
  const std::uint8_t* first = TopDown ? top : bottom;
  const std::uint8_t* second = TopDown ? bottom : top;
  std::vector<std::uint8_t> d;
  d.reserve(24);
  d.insert(d.end(), first, first + 12);
  d.insert(d.end(), second, second + 12);
  return d;
}

void ExpectRows24(const vornu::Pixels32& p) {
  ASSERT_EQ(p.Width, 3);
  ASSERT_EQ(p.Height, 2);
  EXPECT_EQ(p.At(0, 0), 0xFF0000u);
  EXPECT_EQ(p.At(1, 0), 0x00FF00u);
  EXPECT_EQ(p.At(2, 0), 0x0000FFu);
  EXPECT_EQ(p.At(0, 1), 0xFFFFFFu);
  EXPECT_EQ(p.At(1, 1), 0x000000u);
  EXPECT_EQ(p.At(2, 1), 0x808080u);
}

TEST_F(PictureFiles, ReadsBottomUpAndTopDown24Bit) {
  ExpectRows24(vornu::LoadBitmapFile(Write("up.bmp", Bmp(3, 2, 24, 0, {}, Rows24(false)))));
  ExpectRows24(vornu::LoadBitmapFile(Write("down.bmp", Bmp(3, -2, 24, 0, {}, Rows24(true)))));
}

TEST_F(PictureFiles, ReadsRunLengthEncoded8Bit) {
  // 5 x 2: bottom row "2 x colour 1, then literal 1 2 0" ; top row "5 x colour 2".
  const std::vector<std::uint8_t> rle = {2, 1, 0, 3, 1, 2, 0, 0, 0, 0,  // run, literal+pad, EOL
                                         5, 2, 0, 0,                    // top: run, EOL
                                         0, 1};                         // end of bitmap
  const std::vector<std::uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00};
  const auto p = vornu::LoadBitmapFile(Write("rle.bmp", Bmp(5, 2, 8, 1, pal, rle)));
  ASSERT_EQ(p.Width, 5);
  ASSERT_EQ(p.Height, 2);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(p.At(x, 0), 0x00FF00u) << x;
  EXPECT_EQ(p.At(0, 1), 0xFF0000u);
  EXPECT_EQ(p.At(2, 1), 0xFF0000u);
  EXPECT_EQ(p.At(3, 1), 0x00FF00u);
  EXPECT_EQ(p.At(4, 1), 0x000000u);
}

TEST_F(PictureFiles, ReadsOneAndFourBitPalettes) {
  // 1 bit, 8 x 1: 10100000.
  const auto one = vornu::LoadBitmapFile(
      Write("one.bmp", Bmp(8, 1, 1, 0, {0x000000, 0xFFFFFF}, {0xA0, 0, 0, 0})));
  EXPECT_EQ(one.At(0, 0), 0xFFFFFFu);
  EXPECT_EQ(one.At(1, 0), 0u);
  EXPECT_EQ(one.At(2, 0), 0xFFFFFFu);
  // 4 bit, 2 x 1: indices 1 and 2.
  const auto four = vornu::LoadBitmapFile(
      Write("four.bmp", Bmp(2, 1, 4, 0, {0, 0x112233, 0x445566}, {0x12, 0, 0, 0})));
  EXPECT_EQ(four.At(0, 0), 0x112233u);
  EXPECT_EQ(four.At(1, 0), 0x445566u);
}

// The message names the file, and nothing half-read is returned.
void ExpectRefused(const std::string& path, const std::string& what) {
  try {
    vornu::LoadBitmapFile(path);
    FAIL() << "accepted " << path;
  } catch (const EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(what), std::string::npos) << e.what();
  }
}

TEST_F(PictureFiles, RefusesBrokenFilesByName) {
  ExpectRefused((dir_ / "missing.bmp").string(), "cannot open");
  ExpectRefused(Write("text.bmp", {'h', 'e', 'l', 'l', 'o'}), "not a Windows bitmap");
  auto full = Bmp(3, 2, 24, 0, {}, Rows24(false));
  full.resize(full.size() - 5);
  ExpectRefused(Write("short.bmp", full), "truncated");
  auto head = Bmp(3, 2, 24, 0, {}, Rows24(false));
  head.resize(20);
  ExpectRefused(Write("head.bmp", head), "truncated");
  ExpectRefused(Write("huge.bmp", Bmp(100000, 100000, 24, 0, {}, {})), "too large");
  // A run that leaves the picture, and compressed data that stops without its end mark.
  ExpectRefused(Write("wide.bmp", Bmp(4, 1, 8, 1, {0, 0xFFFFFF}, {9, 1, 0, 1})), "leaves");
  ExpectRefused(Write("open.bmp", Bmp(4, 1, 8, 1, {0, 0xFFFFFF}, {4, 1})), "truncated");
}

TEST_F(PictureFiles, RefusesPicturesAndFilesBeyondWhatAnyPictureNeeds) {
  // A 64-byte run-length file that claims 8192 x 8192 and ends at once would decode to a
  // quarter of a gigapixel.
  const std::vector<std::uint8_t> end{0, 1};
  const auto claim = Bmp(8192, 8192, 8, 1, {0, 0xFFFFFF}, end);
  ASSERT_LE(claim.size(), 64u);
  ExpectRefused(Write("claim.bmp", claim), "too large (8192 x 8192");
  // At most 2048 x 2048 pixels, and no side above 4096.
  EXPECT_EQ(vornu::LoadBitmapFile(Write("square.bmp", Bmp(2048, 2048, 8, 1, {0}, end))).Width,
            2048);
  EXPECT_EQ(vornu::LoadBitmapFile(Write("band.bmp", Bmp(4096, 1024, 8, 1, {0}, end))).Height, 1024);
  ExpectRefused(Write("more.bmp", Bmp(2049, 2048, 8, 1, {0}, end)), "too large");
  ExpectRefused(Write("long.bmp", Bmp(4097, 1, 8, 1, {0}, end)), "too large");
  ExpectRefused(Write("tall.bmp", Bmp(1, -4097, 24, 0, {}, std::vector<std::uint8_t>(4 * 4097))),
                "too large");
  // A good picture followed by more bytes than the largest picture could need is not read.
  const std::string padded = Write("padded.bmp", Bmp(3, 2, 24, 0, {}, Rows24(false)));
  std::filesystem::resize_file(padded, 2048u * 2048 * 4 + 65537);
  ExpectRefused(padded, "file too large for a bitmap");
  std::filesystem::resize_file(padded, 2048u * 2048 * 4 + 65536);
  EXPECT_EQ(vornu::LoadBitmapFile(padded).Width, 3);
}

TEST_F(PictureFiles, PngRoundTripKeepsEveryPixel) {
  vornu::Pixels32 p{3, 2, {0x123456, 0xFFFFFF, 0, 0xFF0000, 0x00FF00, 0x0000FF}};
  const std::string png = (dir_ / "sheet.png").string();
  vornu::SavePngFile(png, p);
  std::ifstream in(png, std::ios::binary);
  char sig[8] = {};
  in.read(sig, 8);
  EXPECT_EQ(std::string(sig + 1, 3), "PNG");
  EXPECT_THROW(vornu::SavePngFile((dir_ / "no" / "such" / "dir.png").string(), p), EInOutError);
}

TEST_F(PictureFiles, PictureDrawnAtOriginIsCutAndLeavesTheRest) {
  TPicture pic;
  pic.LoadFromFile(Write("p.bmp", Bmp(3, 2, 24, 0, {}, Rows24(false))));
  // Larger target: the rest keeps its colour.
  TMemoryCanvas big(5, 4);
  big.Brush.Color = clBlue;
  big.FillRect(Rect(0, 0, 5, 4));
  big.Draw(0, 0, pic.Graphic());
  EXPECT_EQ(big.Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(big.Pixel(2, 1), RGB(128, 128, 128));
  EXPECT_EQ(big.Pixel(3, 0), clBlue);
  EXPECT_EQ(big.Pixel(0, 2), clBlue);
  // Smaller target: cut at its edges.
  TMemoryCanvas small(2, 1);
  small.Draw(0, 0, pic.Graphic());
  EXPECT_EQ(small.Pixel(1, 0), RGB(0, 255, 0));
  // A failed load keeps the previous picture.
  EXPECT_THROW(pic.LoadFromFile((dir_ / "gone.bmp").string()), EInOutError);
  EXPECT_EQ(pic.Width(), 3);
}

}  // namespace
