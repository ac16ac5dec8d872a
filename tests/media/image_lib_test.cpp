// The image and map library components: bitmaps, drawing, file loads, and the screen's surfaces.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/GX.h"
#include "engine/GXILib.h"
#include "engine/GXLibStream.h"
#include "engine/GXMap.h"
#include "platform/Forms.h"
#include "tests/support/ScratchTest.h"

namespace vornu {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ::testing::HasSubstr;

// A palette whose entry i is (i, 255 - i, 2i) and entry 0 a loud red that must never show.
TGXPalette TestPalette() {
  TGXPalette p{};
  for (int i = 0; i < 256; ++i) {
    p[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i),
                                      static_cast<std::uint8_t>(255 - i),
                                      static_cast<std::uint8_t>(2 * i), 9};
  }
  p[0] = {255, 0, 0, 0};
  return p;
}

std::uint32_t Rgb(int index) {
  if (index == 0) return 0;
  return static_cast<std::uint32_t>(index) << 16 | static_cast<std::uint32_t>(255 - index) << 8 |
         static_cast<std::uint32_t>((2 * index) & 0xFF);
}

// Two images: 3 x 2 with indices 0..5 and 5 x 1 with 7s.
TGXImages TwoImages() {
  TGXImages lib;
  lib.SetPalette(TestPalette());
  lib.Add(3, 2, Bytes{0, 1, 2, 3, 4, 5});
  lib.Add(5, 1, Bytes(5, 7));
  return lib;
}

using TempDir = support::TScratchTest;

TEST(ImageLib, PlatformBitmapShowsThePaletteWithEntryZeroBlack) {
  TGXImageLib lib;
  lib.SetImages(TwoImages());
  const TBitmap b = lib.MakeBitmap(0);
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_EQ(b.Pixels()[0], 0u) << "entry 0 is black whatever the palette says";
  for (int i = 1; i < 6; ++i) EXPECT_EQ(b.Pixels()[static_cast<std::size_t>(i)], Rgb(i)) << i;
  EXPECT_THROW(lib.MakeBitmap(2), std::out_of_range);
}

TEST(ImageLib, BuildsBitmapsWithProgressAndDrawsThem) {
  TGXImageLib lib;
  lib.SetImages(TwoImages());
  std::vector<std::pair<int, int>> progress;
  lib.OnProgress = [&](int position, int last) { progress.emplace_back(position, last); };
  lib.CreateBitmaps();
  EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));
  ASSERT_NE(lib.Bitmap(1), nullptr);
  EXPECT_EQ(lib.Bitmap(2), nullptr);

  TMemoryCanvas canvas(10, 10);
  canvas.Brush.Color = clWhite;
  canvas.FillRect(Rect(0, 0, 10, 10));
  lib.Draw(canvas, 4, 5, 0);
  EXPECT_EQ(canvas.Pixel(4, 5), clBlack);
  EXPECT_EQ(canvas.Pixel(6, 6), RGB(5, 250, 10));  // index 5 at (2, 1)
  EXPECT_EQ(canvas.Pixel(7, 5), clWhite);
  lib.Draw(canvas, 0, 0, 2);  // past the last image: nothing
  lib.Draw(canvas, 0, 0, -1);
  EXPECT_EQ(canvas.Pixel(0, 0), clWhite);

  lib.FreeBitmaps();  // a temporary bitmap serves the draw
  lib.Draw(canvas, 0, 0, 1);
  EXPECT_EQ(canvas.Pixel(4, 0), RGB(7, 248, 14));
  EXPECT_EQ(canvas.Pixel(5, 0), clWhite);
}

TEST_F(TempDir, LoadFromFileReloadAndRefusedFiles) {
  TGXImageLib lib;
  try {
    lib.Reload();
    FAIL();
  } catch (const EGXLibrary& e) {
    EXPECT_STREQ(e.what(), "LoadFromFile must be called first");
  }
  TwoImages().SaveToFile(Path("a.il"));
  lib.LoadFromFile(Path("a.il"));
  lib.CreateBitmaps();
  EXPECT_EQ(lib.Count(), 2);
  EXPECT_EQ(lib.FileName(), Path("a.il"));

  // A changed file read again rebuilds the bitmaps that existed.
  TGXImages changed = TwoImages();
  changed.Add(1, 1, Bytes{3});
  changed.SaveToFile(Path("a.il"));
  lib.Reload();
  EXPECT_EQ(lib.Count(), 3);
  ASSERT_NE(lib.Bitmap(2), nullptr);
  EXPECT_EQ(lib.Bitmap(2)->Pixels()[0], Rgb(3));

  // A refused file leaves the library as it was.
  WriteLibraryFile(Path("bad.il"), Bytes{'I', 'L', '1', '0', 1, 2});
  try {
    lib.LoadFromFile(Path("bad.il"));
    FAIL();
  } catch (const EGXLibrary& e) {
    EXPECT_THAT(e.what(), HasSubstr(Path("bad.il") + ": Stream read error"));
  }
  EXPECT_EQ(lib.Count(), 3);
  EXPECT_EQ(lib.FileName(), Path("a.il"));
  EXPECT_NE(lib.Bitmap(2), nullptr);
}

TEST_F(TempDir, MapLibComponentLoadsAndKeepsItsLibraryOnRefusal) {
  TGXMaps maps;
  maps.Add("kartta", Bytes{1, 2});
  maps.SaveToFile(Path("m.ml"));
  TGXMapLib lib;
  lib.LoadFromFile(Path("m.ml"));
  EXPECT_EQ(lib.Count(), 1);
  WriteLibraryFile(Path("bad.ml"), Bytes{'M', 'L', '0', '1', 0xFE, 0xFF, 0xFF, 0xFF});
  EXPECT_THROW(lib.LoadFromFile(Path("bad.ml")), EGXLibrary);
  EXPECT_EQ(lib.MapLib().Map(0).Name(), "kartta");
}

// A headless form with a screen of the given depth, set up by showing the form.
class ScreenWithLibrary : public TempDir {
 protected:
  void SetUp() override { Application->Initialize(); }
  void Start(int depth) {
    form_ = std::make_unique<TForm>();
    screen_ = std::make_unique<TGXScreen>(form_.get());
    lib_ = std::make_unique<TGXImageLib>(form_.get());
    screen_->SetDisplayMode(dm320x200x8);
    screen_->SetColorDepth(depth);
    screen_->SetImageLibrary(lib_.get());
  }
  void Show() {
    form_->Loaded();
    form_->Show();
    ASSERT_TRUE(screen_->Initialized());
  }
  void TearDown() override {
    lib_.reset();
    screen_.reset();
    form_.reset();
  }
  std::unique_ptr<TForm> form_;
  std::unique_ptr<TGXScreen> screen_;
  std::unique_ptr<TGXImageLib> lib_;
};

TEST_F(ScreenWithLibrary, ExclusivePaletteCopiesIndicesAndTakesThePalette) {
  Start(8);
  lib_->SetImages(TwoImages());
  Show();
  EXPECT_EQ(screen_->PaletteMode(), pmExclusive);
  const auto& surfaces = screen_->ImageSurfaces();
  ASSERT_EQ(surfaces.size(), 2u);
  EXPECT_EQ(surfaces[0]->Width(), 3);
  EXPECT_EQ(surfaces[1]->Width(), 5);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(surfaces[0]->Pixel(i % 3, i / 3), std::uint32_t(i));
  EXPECT_EQ(surfaces[0]->TransparentColor(), 0);
  EXPECT_EQ(screen_->Palette()[7].peRed, 7);
  EXPECT_EQ(screen_->Palette()[7].peFlags, 0) << "library flags are not taken over";
  EXPECT_TRUE(lib_->Images().HasPixels()) << "a library not read from a file keeps its pixels";
}

TEST_F(ScreenWithLibrary, NormalPaletteModeDrawsThroughThePalette) {
  Start(8);
  lib_->SetImages(TwoImages());
  Show();
  screen_->SetPaletteMode(pmNormal);
  std::vector<std::unique_ptr<TGXSurface>> surfaces;
  lib_->MakeSurfaces(*screen_, surfaces, true, false);
  ASSERT_EQ(surfaces.size(), 2u);
  // Drawn through the colours: index 0 comes as black, never as the palette's entry 0 (red).
  EXPECT_NE(surfaces[0]->PixelRgb(0, 0), 0xFF0000u);
  EXPECT_EQ(surfaces[0]->PixelRgb(2, 1), Rgb(5));
  EXPECT_EQ(surfaces[1]->PixelRgb(4, 0), Rgb(7));
}

TEST_F(ScreenWithLibrary, HighColourSurfacesGetColoursNotIndices) {
  Start(16);
  lib_->SetImages(TwoImages());
  Show();
  const auto& surfaces = screen_->ImageSurfaces();
  ASSERT_EQ(surfaces.size(), 2u);
  const std::uint32_t five = RgbToPixel(Rgb(5), TPixelFormat::RGB565, nullptr);
  EXPECT_EQ(surfaces[0]->Pixel(2, 1), five);
  EXPECT_EQ(surfaces[0]->Pixel(0, 0), surfaces[0]->ColorKey()) << "index 0 stays transparent";
}

TEST_F(ScreenWithLibrary, FileLibraryDropsItsPixelsAndIsReadAgainAfterALoss) {
  TwoImages().SaveToFile(Path("a.il"));
  Start(8);
  lib_->LoadFromFile(Path("a.il"));
  Show();
  ASSERT_EQ(screen_->ImageSurfaces().size(), 2u);
  EXPECT_FALSE(lib_->Images().HasPixels()) << "the surfaces keep the pictures";
  EXPECT_EQ(lib_->Count(), 2);

  // The file changes; a restore reads it again and rebuilds the surfaces from it.
  TGXImages changed;
  changed.SetPalette(TestPalette());
  changed.Add(2, 2, Bytes{9, 9, 9, 9});
  changed.SaveToFile(Path("a.il"));
  screen_->RestoreSurfaces();
  ASSERT_EQ(screen_->ImageSurfaces().size(), 1u);
  EXPECT_EQ(screen_->ImageSurfaces()[0]->Pixel(1, 1), 9u);

  // Drawing after the pixels were dropped reads them back from the file.
  TMemoryCanvas canvas(4, 4);
  lib_->Draw(canvas, 0, 0, 0);
  EXPECT_EQ(canvas.Pixel(1, 1), RGB(9, 246, 18));
}

TEST_F(ScreenWithLibrary, EmptyLibraryMakesNoSurfacesAndAGoneLibraryIsForgotten) {
  Start(8);
  Show();
  EXPECT_TRUE(screen_->ImageSurfaces().empty());
  lib_.reset();
  EXPECT_EQ(screen_->ImageLibrary(), nullptr);
  screen_->RestoreSurfaces();  // must not touch the library that went away
}

}  // namespace
}  // namespace vornu
