// The gxlib tool end to end: real bitmap and WAV files in, libraries the engine reads back out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

// Colour i of the test palettes.
TGXPaletteEntry Colour(int i) {
  return {static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(255 - i),
          static_cast<std::uint8_t>(i * 7), 0};
}

// An 8-bit Windows bitmap of w x h whose pixel (x, y) is (x + 3y) % colours. `rle` writes it
// RLE8-compressed (one run per pixel), `topDown` with a negative height.
Bytes Bitmap8(int w, int h, int colours, bool topDown = false, bool rle = false, int bits = 8) {
  Bytes px;
  const int stride = (w + 3) & ~3;
  for (int r = 0; r < h; ++r) {
    const int y = topDown ? r : h - 1 - r;
    Bytes row;
    for (int x = 0; x < w; ++x) row.push_back(static_cast<std::uint8_t>((x + 3 * y) % colours));
    if (rle) {
      for (std::uint8_t v : row) {
        px.push_back(1);
        px.push_back(v);
      }
      px.push_back(0);
      px.push_back(0);
    } else {
      row.resize(static_cast<std::size_t>(stride), 0);
      px.insert(px.end(), row.begin(), row.end());
    }
  }
  if (rle) {
    px.push_back(0);
    px.push_back(1);
  }
  std::vector<std::uint32_t> palette;
  for (int i = 0; i < colours; ++i) {
    const TGXPaletteEntry c = Colour(i);
    palette.push_back(static_cast<std::uint32_t>(c.Red << 16 | c.Green << 8 | c.Blue));
  }
  return support::BitmapFile(w, topDown ? -h : h, bits, rle ? 1 : 0, palette, px);
}

Bytes Wav(int channels, int rate, int bits, const Bytes& data) {
  Bytes b{'R', 'I', 'F', 'F'};
  TGXByteWriter out(b);
  out.U32(static_cast<std::uint32_t>(4 + 8 + 16 + 8 + data.size()));
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'L', 'I', 'S', 'T'});
  out.U32(3);  // an odd-sized chunk before the format, padded to an even size
  b.insert(b.end(), {'x', 'y', 'z', 0});
  b.insert(b.end(), {'f', 'm', 't', ' '});
  out.U32(16);
  out.U16(1);
  out.U16(static_cast<std::uint16_t>(channels));
  out.U32(static_cast<std::uint32_t>(rate));
  out.U32(static_cast<std::uint32_t>(rate * channels * bits / 8));
  out.U16(static_cast<std::uint16_t>(channels * bits / 8));
  out.U16(static_cast<std::uint16_t>(bits));
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  out.U32(static_cast<std::uint32_t>(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

struct Result {
  int Exit = -1;
  std::string Output;
};

class GxlibTool : public support::TScratchTest {
 protected:
  Bytes Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  // Runs gxlib with `args` (file names relative to the test's directory).
  Result Run(const std::string& args) const {
    const std::string cmd =
        "cd '" + dir_.Path().string() + "' && '" VORNU_GXLIB "' " + args + " 2>&1";
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.Output.append(buf, n);
    const int status = pclose(p);
    r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
};

TEST_F(GxlibTool, PacksEightBitBitmapsThatTheEngineReadsBack) {
  Write("a.bmp", Bitmap8(5, 3, 16));
  Write("b.bmp", Bitmap8(3, 4, 12, /*topDown=*/true));
  Write("c.bmp", Bitmap8(6, 2, 20, false, /*rle=*/true));
  const Result r = Run("pack-images lib.il a.bmp b.bmp c.bmp");
  ASSERT_EQ(r.Exit, 0) << r.Output;
  TGXImages lib;
  lib.LoadFromFile(Path("lib.il"));
  ASSERT_EQ(lib.Count(), 3);
  const int sizes[3][3] = {{5, 3, 16}, {3, 4, 12}, {6, 2, 20}};
  for (int i = 0; i < 3; ++i) {
    const auto [w, h, colours] = sizes[i];
    EXPECT_EQ(lib.Image(i).Header.Width, w);
    EXPECT_EQ(lib.Image(i).Header.Height, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(lib.Pixel(i, x, y), (x + 3 * y) % colours) << i << " " << x << "," << y;
      }
    }
  }
  for (int c = 0; c < 20; ++c) EXPECT_EQ(lib.Palette()[c], Colour(c)) << c;
  EXPECT_EQ(lib.Palette()[20], TGXPaletteEntry{});

  // Unpacked and packed again, the library is the same byte for byte.
  ASSERT_EQ(Run("unpack lib.il out").Exit, 0);
  const Result again =
      Run("pack-images again.il out/image000.bmp out/image001.bmp out/image002.bmp");
  ASSERT_EQ(again.Exit, 0) << again.Output;
  EXPECT_EQ(Read("again.il"), Read("lib.il"));
  EXPECT_THAT(Run("list lib.il").Output, HasSubstr("6 x 2, 16 bytes (rows of 8)"));
}

TEST_F(GxlibTool, RefusesBitmapsItCannotPackNamingTheFile) {
  Write("a.bmp", Bitmap8(4, 4, 16));
  Write("deep.bmp", Bitmap8(4, 4, 16, false, false, /*bits=*/24));
  Bytes other = Bitmap8(4, 4, 16);
  other[54 + 4 * 5 + 2] ^= 0xFF;  // palette entry 5 differs
  Write("other.bmp", other);
  Bytes cut = Bitmap8(40, 40, 16);
  cut.resize(cut.size() - 100);
  Write("cut.bmp", cut);
  Bytes rle = Bitmap8(4, 4, 16, false, true);
  rle.resize(rle.size() - 2);  // no end-of-bitmap mark
  Write("rle.bmp", rle);
  Write("text.bmp", Bytes{'h', 'e', 'l', 'l', 'o'});

  const std::pair<const char*, const char*> cases[] = {
      {"deep.bmp", "deep.bmp: is a 24-bit bitmap; only 8-bit"},
      {"other.bmp", "other.bmp: palette entry 5"},
      {"cut.bmp", "cut.bmp: pixel data is cut short"},
      {"rle.bmp", "rle.bmp: RLE8 data ends"},
      {"text.bmp", "text.bmp: not a Windows bitmap"},
      {"missing.bmp", "missing.bmp: cannot open"}};
  for (auto [file, message] : cases) {
    const Result r = Run(std::string("pack-images out.il a.bmp ") + file);
    EXPECT_EQ(r.Exit, 1) << file;
    EXPECT_THAT(r.Output, HasSubstr(message));
    EXPECT_FALSE(std::filesystem::exists(Path("out.il"))) << "nothing written for " << file;
  }
}

TEST_F(GxlibTool, PacksWavFilesWithPanAndVolume) {
  const Bytes mono{1, 2, 3, 4, 5, 6};
  const Bytes stereo{10, 20, 30, 40, 50, 60, 70, 80};
  Write("m.wav", Wav(1, 22050, 16, mono));
  Write("s.wav", Wav(2, 11025, 8, stereo));
  const Result r = Run("pack-sounds lib.sl m.wav --pan -2500 --volume -300 s.wav");
  ASSERT_EQ(r.Exit, 0) << r.Output;
  TGXSounds lib;
  lib.LoadFromFile(Path("lib.sl"));
  ASSERT_EQ(lib.Count(), 2);
  const TGXSoundHeader& m = lib.Sound(0).Header;
  EXPECT_EQ(m.Format.Channels, 1);
  EXPECT_EQ(m.Format.SamplesPerSec, 22050u);
  EXPECT_EQ(m.Format.BitsPerSample, 16);
  EXPECT_EQ(m.Pan, 0);
  EXPECT_EQ(lib.Sound(0).Data, mono);
  const TGXSoundHeader& s = lib.Sound(1).Header;
  EXPECT_EQ(s.Format.Channels, 2);
  EXPECT_EQ(s.Format.BlockAlign, 2);
  EXPECT_EQ(s.Pan, -2500);
  EXPECT_EQ(s.Volume, -300);
  EXPECT_EQ(s.Size, 8);
  EXPECT_EQ(lib.Sound(1).Data, stereo);

  ASSERT_EQ(Run("unpack lib.sl out").Exit, 0);
  TGXSounds again;
  ASSERT_EQ(Run("pack-sounds again.sl out/sound000.wav out/sound001.wav").Exit, 0);
  again.LoadFromFile(Path("again.sl"));
  EXPECT_EQ(again.Sound(1).Data, stereo);
  EXPECT_EQ(again.Sound(1).Header.Format, s.Format);
  EXPECT_EQ(Run("check lib.sl").Exit, 0);
}

TEST_F(GxlibTool, RefusesWavFilesTheSoundPlayerCannotPlay) {
  Write("deep.wav", Wav(1, 44100, 24, Bytes(6, 0)));
  Bytes cut = Wav(1, 8000, 8, Bytes(100, 0x80));
  cut.resize(cut.size() - 10);
  Write("cut.wav", cut);
  Write("ok.wav", Wav(1, 8000, 8, Bytes(4, 0x80)));
  EXPECT_THAT(Run("pack-sounds x.sl deep.wav").Output, HasSubstr("deep.wav: 24-bit samples"));
  const Result r = Run("pack-sounds x.sl cut.wav");
  EXPECT_EQ(r.Exit, 1);
  EXPECT_THAT(r.Output, HasSubstr("cut.wav: chunk \"data\" claims 100 bytes"));
  EXPECT_EQ(Run("pack-sounds x.sl --pan 20000 ok.wav").Exit, 2);
  EXPECT_EQ(Run("pack-sounds x.sl --volume 5 ok.wav").Exit, 2);
  EXPECT_FALSE(std::filesystem::exists(Path("x.sl")));
}

TEST_F(GxlibTool, CheckCallsASoundTooLongForThePlayerUnplayable) {
  // 400,000 frames at 1000 Hz are 6.7 minutes: 67 MiB once converted to 44100 Hz stereo.
  TGXWaveFormat slow;
  slow.Channels = 1;
  slow.SamplesPerSec = 1000;
  slow.AvgBytesPerSec = 1000;
  slow.BlockAlign = 1;
  slow.BitsPerSample = 8;
  TGXWaveFormat quick = slow;
  quick.SamplesPerSec = quick.AvgBytesPerSec = 22050;
  TGXSounds lib;
  lib.Add(quick, Bytes(400000, 0x80));
  lib.Add(slow, Bytes(400000, 0x80));
  lib.SaveToFile(Path("long.sl"));
  const Result r = Run("check long.sl");
  EXPECT_EQ(r.Exit, 1);
  EXPECT_THAT(r.Output, HasSubstr("long.sl: sound 1: unplayable: 400000 bytes at 1000 Hz"));
  EXPECT_THAT(r.Output, HasSubstr("above the limit of 64 MiB"));
  EXPECT_THAT(r.Output, ::testing::Not(HasSubstr("sound 0")));
  Write("long.wav", Wav(1, 1000, 8, Bytes(400000, 0x80)));
  const Result packed = Run("pack-sounds x.sl long.wav");
  EXPECT_EQ(packed.Exit, 1);
  EXPECT_THAT(packed.Output, HasSubstr("long.wav: 400000 bytes at 1000 Hz would take 68 MiB"));
}

TEST_F(GxlibTool, PacksMapsUnderTheirNames) {
  Write("a.dat", Bytes{1, 2, 3});
  Write("b.dat", Bytes{});
  const Result r = Run("pack-maps lib.ml kartta=a.dat 'Äiti=b.dat'");
  ASSERT_EQ(r.Exit, 0) << r.Output;
  TGXMaps lib;
  lib.LoadFromFile(Path("lib.ml"));
  ASSERT_EQ(lib.Count(), 2);
  EXPECT_EQ(lib.Map(0).Name(), "kartta");
  EXPECT_EQ(lib.Map(0).Data, (Bytes{1, 2, 3}));
  EXPECT_EQ(lib.Map(1).Name(), "\xC4iti");  // stored in Windows-1252
  EXPECT_THAT(Run("list lib.ml").Output, HasSubstr("1: \"Äiti\", 0 bytes"));
  ASSERT_EQ(Run("unpack lib.ml out").Exit, 0);
  EXPECT_EQ(Read("out/map000-kartta.dat"), (Bytes{1, 2, 3}));
  EXPECT_EQ(Run("pack-maps x.ml a_name_of_16_chr=a.dat").Exit, 2);
  EXPECT_EQ(Run("pack-maps x.ml nofile").Exit, 2);
}

TEST_F(GxlibTool, CheckFindsDamageAndUsageErrorsExitWithTwo) {
  Write("a.dat", Bytes{1, 2, 3});
  ASSERT_EQ(Run("pack-maps lib.ml one=a.dat").Exit, 0);
  EXPECT_EQ(Run("check lib.ml").Exit, 0);
  Bytes b = Read("lib.ml");
  b.push_back(0);
  Write("long.ml", b);
  const Result trailing = Run("check long.ml");
  EXPECT_EQ(trailing.Exit, 1);
  EXPECT_THAT(trailing.Output, HasSubstr("long.ml: 1 bytes follow the library's end"));
  b.resize(b.size() - 3);
  Write("short.ml", b);
  const Result cut = Run("check short.ml");
  EXPECT_EQ(cut.Exit, 1);
  EXPECT_THAT(cut.Output, HasSubstr("short.ml: Stream read error: map 0 of 1 data"));
  EXPECT_THAT(Run("list a.dat").Output, HasSubstr("a.dat: not a library file"));

  EXPECT_EQ(Run("").Exit, 2);
  EXPECT_EQ(Run("frobnicate x").Exit, 2);
  EXPECT_EQ(Run("list").Exit, 2);
  EXPECT_EQ(Run("unpack lib.ml").Exit, 2);
  const Result help = Run("--help");
  EXPECT_EQ(help.Exit, 0);
  EXPECT_THAT(help.Output, HasSubstr("pack-images OUT BMP..."));
}

}  // namespace
}  // namespace vornu
