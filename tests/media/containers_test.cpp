// The three library containers: exact layouts, round trips and refusal of broken or hostile data.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/GXILib.h"
#include "engine/GXLibStream.h"
#include "engine/GXMap.h"
#include "engine/gxslib.h"
#include "tests/support/ScratchTest.h"

namespace vornu {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ::testing::HasSubstr;

void Put32(Bytes& b, std::int64_t v) {
  for (int s = 0; s < 32; s += 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}
void PutText(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
}
void PutFill(Bytes& b, std::size_t n, std::uint8_t v) {
  b.insert(b.end(), n, v);
}
std::int32_t Get32(const Bytes& b, std::size_t at) {
  return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                   static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// An image library header with `count` images and a palette whose entry i is (i, 2i, 3i, 7).
Bytes ImageHeader(const std::string& magic, std::int64_t count) {
  Bytes b;
  PutText(b, magic);
  Put32(b, count);
  Put32(b, 0x11223344);  // the uninterpreted field
  for (int i = 0; i < 256; ++i) {
    b.push_back(static_cast<std::uint8_t>(i));
    b.push_back(static_cast<std::uint8_t>(2 * i));
    b.push_back(static_cast<std::uint8_t>(3 * i));
    b.push_back(7);
  }
  return b;
}

void PutImage(Bytes& b, std::int64_t w, std::int64_t h, std::size_t pixelBytes, std::uint8_t v) {
  Put32(b, w);
  Put32(b, h);
  for (int i = 0; i < 12; ++i) b.push_back(static_cast<std::uint8_t>(0xA0 + i));
  PutFill(b, pixelBytes, v);
}

template <typename Lib>
void ExpectRefused(Lib& lib, const Bytes& data, const std::string& message) {
  try {
    lib.ReadFromStream(data);
    ADD_FAILURE() << "accepted data that should be refused: " << message;
  } catch (const EGXLibrary& e) {
    EXPECT_THAT(e.what(), HasSubstr(message));
  }
  EXPECT_EQ(lib.Count(), 0) << "a refused stream must leave the container empty";
}

TEST(ImageLibrary, RowsArePaddedToFourBytes) {
  EXPECT_EQ(TGXImages::RowBytes(3), 4u);
  EXPECT_EQ(TGXImages::RowBytes(4), 4u);
  EXPECT_EQ(TGXImages::RowBytes(5), 8u);
  TGXImages lib;
  lib.Add(3, 2, Bytes{1, 2, 3, 4, 5, 6});
  lib.Add(4, 1, Bytes{1, 2, 3, 4});
  lib.Add(5, 1, Bytes{1, 2, 3, 4, 5});
  const Bytes out = lib.ToBytes();
  ASSERT_EQ(out.size(), 1036u + (20 + 2 * 4) + (20 + 4) + (20 + 8));
  // The first image's rows: 1 2 3 pad, 4 5 6 pad.
  const Bytes rows(out.begin() + 1056, out.begin() + 1064);
  EXPECT_EQ(rows, (Bytes{1, 2, 3, 0, 4, 5, 6, 0}));
  EXPECT_EQ(lib.Pixel(0, 2, 1), 6);
  EXPECT_EQ(lib.Pixel(2, 4, 0), 5);
  EXPECT_THROW(lib.Pixel(0, 3, 0), std::out_of_range);
}

TEST(ImageLibrary, ReadsAndWritesBackEveryByte) {
  Bytes b = ImageHeader("IL10", 2);
  PutImage(b, 3, 2, 8, 9);
  PutImage(b, 5, 1, 8, 4);
  TGXImages lib;
  EXPECT_EQ(lib.ReadFromStream(b), b.size());
  ASSERT_EQ(lib.Count(), 2);
  EXPECT_EQ(lib.Image(1).Header.Width, 5);
  EXPECT_EQ(lib.Palette()[10], (TGXPaletteEntry{10, 20, 30, 7}));
  EXPECT_EQ(lib.Image(0).Header.Reserved[11], 0xAB);
  EXPECT_EQ(lib.ToBytes(), b);  // uninterpreted fields and row padding included
}

TEST(ImageLibrary, LowerCaseMagicLoadsAndOthersAreRefused) {
  Bytes b = ImageHeader("il10", 1);
  PutImage(b, 1, 1, 4, 3);
  TGXImages lib;
  lib.ReadFromStream(b);
  EXPECT_EQ(lib.Count(), 1);
  ExpectRefused(lib, ImageHeader("IL11", 0), "Not a valid Image Library File");
  ExpectRefused(lib, Bytes{'B', 'M', 0, 0, 0}, "Not a valid Image Library File");
}

TEST(ImageLibrary, RefusesHostileCountsAndSizesBeforeAllocating) {
  TGXImages lib;
  lib.Add(2, 2, Bytes(4, 1));
  ExpectRefused(lib, ImageHeader("IL10", -1), "negative");
  ExpectRefused(lib, ImageHeader("IL10", std::numeric_limits<std::int32_t>::max()), "cannot fit");
  for (auto [w, h] : {std::pair<std::int64_t, std::int64_t>{0, 5}, {5, 0}, {-3, 5}, {5, -3}}) {
    Bytes b = ImageHeader("IL10", 1);
    PutImage(b, w, h, 64, 0);
    ExpectRefused(lib, b, "image 0 of 1 is");
  }
  // Sizes whose pixel blocks would take gigabytes: the data is not there, so nothing is made.
  Bytes huge = ImageHeader("IL10", 1);
  PutImage(huge, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
           16, 0);
  ExpectRefused(lib, huge, "Stream read error: image 0 of 1 pixels");
}

TEST(ImageLibrary, TruncatedStreamsAreRefusedAndLeaveNothingBehind) {
  Bytes b = ImageHeader("IL10", 2);
  PutImage(b, 4, 4, 16, 1);
  PutImage(b, 4, 4, 16, 2);
  TGXImages lib;
  const std::pair<std::size_t, const char*> cuts[] = {
      {3, "Stream read error: image library header"},
      {100, "Stream read error"},
      {1040, "cannot fit in the 4 bytes"},
      {1036 + 50, "Stream read error: image 1 of 2"},
      {b.size() - 1, "image 1 of 2 pixels"}};
  for (auto [cut, message] : cuts) {
    ExpectRefused(lib, Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(cut)), message);
  }
}

TEST(ImageLibrary, AssignedCopyIsIndependent) {
  TGXImages a;
  a.Add(2, 1, Bytes{5, 6});
  TGXImages b;
  b.Assign(a);
  a.Add(1, 1, Bytes{1});
  a.FreePixels();
  ASSERT_EQ(b.Count(), 1);
  EXPECT_EQ(b.Pixel(0, 1, 0), 6);
  EXPECT_TRUE(b.HasPixels());
  EXPECT_FALSE(a.HasPixels());
}

TEST(ImageLibrary, FreedPixelsCannotBeWrittenOrRead) {
  TGXImages lib;
  lib.Add(2, 2, Bytes(4, 1));
  lib.FreePixels();
  EXPECT_EQ(lib.Count(), 1);
  EXPECT_THROW(lib.ToBytes(), EGXLibrary);
  EXPECT_THROW(lib.Pixel(0, 0, 0), std::out_of_range);
  EXPECT_THROW(lib.Add(0, 1, Bytes{}), EGXLibrary);
  EXPECT_THROW(lib.Add(2, 2, Bytes(3, 1)), EGXLibrary);
}

TEST(SoundLibrary, ReadsAndWritesBackEveryByte) {
  Bytes b;
  PutText(b, "sl10");  // lower case loads too
  Put32(b, 2);
  for (int s = 0; s < 2; ++s) {
    // wave format: PCM, 1 channel, 22050 Hz, 44100 bytes/s, align 2, 16 bits, extra 0, pad.
    const Bytes fmt{1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0, 0, 0, 0xEE, 0xEF};
    b.insert(b.end(), fmt.begin(), fmt.end());
    PutFill(b, 12, 0x5A);
    Put32(b, -2500 * s);  // pan
    Put32(b, -300);       // volume
    Put32(b, 6);
    PutFill(b, 6, static_cast<std::uint8_t>(s + 1));
  }
  TGXSounds lib;
  EXPECT_EQ(lib.ReadFromStream(b), b.size());
  ASSERT_EQ(lib.Count(), 2);
  const TGXSoundHeader& h = lib.Sound(1).Header;
  EXPECT_EQ(h.Format.SamplesPerSec, 22050u);
  EXPECT_EQ(h.Format.BitsPerSample, 16);
  EXPECT_EQ(h.Pan, -2500);
  EXPECT_EQ(h.Volume, -300);
  EXPECT_EQ(lib.Sound(1).Data, Bytes(6, 2));
  EXPECT_EQ(lib.ToBytes(), b);
}

TEST(SoundLibrary, RefusesBrokenAndHostileStreams) {
  TGXSounds lib;
  lib.Add(TGXWaveFormat{}, Bytes(4, 0));
  Bytes wrong{'I', 'L', '1', '0', 0, 0, 0, 0};
  ExpectRefused(lib, wrong, "Not a valid Sound Library File");
  Bytes neg{'S', 'L', '1', '0'};
  Put32(neg, -7);
  ExpectRefused(lib, neg, "negative");
  Bytes many{'S', 'L', '1', '0'};
  Put32(many, 100000000);
  PutFill(many, 44 * 3, 0);
  ExpectRefused(lib, many, "cannot fit");
  for (std::int64_t size : {std::int64_t{-1}, std::int64_t{1} << 30, std::int64_t{7}}) {
    Bytes b{'S', 'L', '1', '0'};
    Put32(b, 1);
    PutFill(b, 32, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, size);
    PutFill(b, 6, 0);
    ExpectRefused(lib, b, size < 0 ? "data size of -1" : "Stream read error: sound 0 of 1");
  }
  ExpectRefused(lib, Bytes{'S', 'L', '1', '0', 1}, "Stream read error");
}

TEST(SoundLibrary, AssignedCopyIsIndependent) {
  TGXSounds a;
  a.Add(TGXWaveFormat{1, 2, 44100, 176400, 4, 16, 0, {}}, Bytes{1, 2, 3, 4}, 100, -200);
  TGXSounds b;
  b.Assign(a);
  a.FreeData();
  EXPECT_FALSE(a.HasData());
  EXPECT_THROW(a.ToBytes(), EGXLibrary);
  ASSERT_EQ(b.Count(), 1);
  EXPECT_EQ(b.Sound(0).Data, (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(b.Sound(0).Header.Pan, 100);
  TGXSounds c;
  c.ReadFromStream(b.ToBytes());
  EXPECT_EQ(c, b);
}

TEST(MapLibrary, EmptyLibraryReadsAsEmptyAndWritesEightBytes) {
  Bytes b{'M', 'L', '0', '1'};
  Put32(b, -1);
  TGXMaps lib;
  lib.Add("x", Bytes{1});
  EXPECT_EQ(lib.ReadFromStream(b), 8u);
  EXPECT_TRUE(lib.Empty());
  EXPECT_EQ(lib.ToBytes(), b);
}

TEST(MapLibrary, ReadsAndWritesBackEveryByteAndIgnoresTheMagic) {
  Bytes b{'?', '?', '?', '?'};
  Put32(b, 1);
  for (int m = 0; m < 2; ++m) {
    Bytes name{3, 'a', 'b', 'c'};
    PutFill(name, 12, 0x77);  // bytes past the length are kept
    b.insert(b.end(), name.begin(), name.end());
    Put32(b, 40);
    Put32(b, -25);
    Put32(b, 3 + m);
    Put32(b, 0x00DEAD00);  // the old address: ignored, but kept
    PutFill(b, static_cast<std::size_t>(3 + m), 0x31);
  }
  TGXMaps lib;
  EXPECT_EQ(lib.ReadFromStream(b), b.size());
  ASSERT_EQ(lib.Count(), 2);
  EXPECT_EQ(lib.LastIndex(), 1);
  EXPECT_EQ(lib.Map(1).Name(), "abc");
  EXPECT_EQ(lib.Map(1).Header.Value2, -25);
  EXPECT_EQ(lib.Map(1).Data, Bytes(4, 0x31));
  Bytes expected = b;
  std::copy_n("ML01", 4, expected.begin());
  EXPECT_EQ(lib.ToBytes(), expected);
}

TEST(MapLibrary, RefusesBrokenAndHostileStreams) {
  TGXMaps lib;
  auto withLast = [](std::int64_t last) {
    Bytes b{'M', 'L', '0', '1'};
    Put32(b, last);
    return b;
  };
  lib.Add("a", Bytes{1});
  ExpectRefused(lib, withLast(-2), "below -1");
  ExpectRefused(lib, withLast(std::numeric_limits<std::int32_t>::max()), "cannot fit");
  ExpectRefused(lib, withLast(std::numeric_limits<std::int32_t>::min()), "below -1");
  ExpectRefused(lib, Bytes{'M', 'L'}, "Stream read error");
  auto oneMap = [&](std::uint8_t nameLength, std::int64_t size) {
    Bytes b = withLast(0);
    b.push_back(nameLength);
    PutFill(b, 15, 'n');
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, size);
    Put32(b, 0);
    PutFill(b, 10, 0);
    return b;
  };
  ExpectRefused(lib, oneMap(16, 1), "name length of 16");
  ExpectRefused(lib, oneMap(2, -5), "data size of -5");
  ExpectRefused(lib, oneMap(2, 11), "Stream read error: map 0 of 1 data");
  lib.ReadFromStream(oneMap(15, 10));
  EXPECT_EQ(lib.Map(0).Name(), std::string(15, 'n'));
  EXPECT_THROW(lib.Add(std::string(16, 'x'), Bytes{}), EGXLibrary);
}

TEST(MapLibrary, AssignedCopyIsIndependent) {
  TGXMaps a;
  a.Add("kartta", Bytes{1, 2, 3}, 7, 8);
  TGXMaps b;
  b.Assign(a);
  a.Free();
  ASSERT_EQ(b.Count(), 1);
  EXPECT_EQ(b.Map(0).Name(), "kartta");
  EXPECT_EQ(b.Map(0).Header.Value1, 7);
}

using LibraryFiles = support::TScratchTest;

TEST_F(LibraryFiles, SaveAndLoadRoundTripAndErrorsNameTheFile) {
  TGXImages images;
  images.Add(3, 3, Bytes(9, 4));
  images.SaveToFile(Path("a.il"));
  TGXImages back;
  back.LoadFromFile(Path("a.il"));
  EXPECT_EQ(back, images);

  TGXSounds sounds;
  try {
    sounds.LoadFromFile(Path("a.il"));
    FAIL();
  } catch (const EGXLibrary& e) {
    EXPECT_THAT(e.what(), HasSubstr(Path("a.il") + ": Not a valid Sound Library File"));
  }
  try {
    images.LoadFromFile(Path("missing.il"));
    FAIL();
  } catch (const EGXLibrary& e) {
    EXPECT_THAT(e.what(), HasSubstr(Path("missing.il")));
  }
  EXPECT_TRUE(images.Empty());
  EXPECT_THROW(images.SaveToFile(Path("no/such/dir.il")), EGXLibrary);
}

TEST(LibraryStream, ReaderNeverReadsPastItsBlock) {
  const Bytes data{1, 2, 3, 4, 5};
  TGXByteReader r(data);
  EXPECT_EQ(r.I32("a"), 0x04030201);
  EXPECT_THROW(r.U16("b"), EGXLibrary);
  EXPECT_EQ(r.Offset(), 4u);
  EXPECT_THROW(r.Need(std::numeric_limits<std::uint64_t>::max(), "c"), EGXLibrary);
  EXPECT_TRUE(MagicMatches(Bytes{'i', 'L', '1', '0'}, "IL10"));
  EXPECT_FALSE(MagicMatches(Bytes{'I', 'L', '1'}, "IL10"));
  EXPECT_EQ(Get32(Bytes{0xFF, 0xFF, 0xFF, 0xFF}, 0), -1);
}

}  // namespace
}  // namespace vornu
