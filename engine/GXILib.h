// Image libraries: the "IL10" container of images sharing one 256-colour palette, and its
// component.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/GX.h"
#include "platform/Classes.h"
#include "platform/Graphics.h"

namespace vornu {

struct TGXPaletteEntry {
  std::uint8_t Red = 0, Green = 0, Blue = 0, Flags = 0;
  friend bool operator==(const TGXPaletteEntry&, const TGXPaletteEntry&) = default;
};
using TGXPalette = std::array<TGXPaletteEntry, 256>;

struct TGXImageHeader {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::array<std::uint8_t, 12> Reserved{};  // carried along unchanged
  friend bool operator==(const TGXImageHeader&, const TGXImageHeader&) = default;
};

struct TGXImage {
  TGXImageHeader Header;
  // Height rows of RowBytes(Width) palette indices, top row first; empty once freed.
  std::vector<std::uint8_t> Bits;
  friend bool operator==(const TGXImage&, const TGXImage&) = default;
};

class TGXImages {
 public:
  static constexpr std::size_t kHeaderSize = 1036;
  static constexpr std::size_t kImageHeaderSize = 20;

  // Bytes of one pixel row: one byte per pixel, padded to a multiple of 4.
  static std::size_t RowBytes(std::int32_t width);

  TGXImages();

  int Count() const { return static_cast<int>(images_.size()); }
  bool Empty() const { return images_.empty(); }
  // Image i, zero-based; throws std::out_of_range for an index outside 0..Count()-1.
  const TGXImage& Image(int i) const;
  // Palette index at (x, y) of image i; throws std::out_of_range outside the image or when
  // its pixel data has been freed.
  std::uint8_t Pixel(int i, int x, int y) const;

  const TGXPalette& Palette() const { return palette_; }
  void SetPalette(const TGXPalette& p) { palette_ = p; }
  // The four magic bytes as read (written back unchanged) and the uninterpreted field at 8.
  const std::array<std::uint8_t, 4>& Magic() const { return magic_; }
  const std::array<std::uint8_t, 4>& Reserved() const { return reserved_; }

  // Appends a width x height image from unpadded rows (width bytes each, top row first);
  // throws EGXLibrary when the size is not positive or the pixel count does not match.
  void Add(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> pixels,
           const std::array<std::uint8_t, 12>& reserved = {});

  // Whether every image still holds its pixel data.
  bool HasPixels() const;
  // Drops the pixel data and keeps the headers (pictures live on in surfaces).
  void FreePixels();
  // Empties the container; the palette and fields return to those of a new container.
  void Free();

  // Reads one image library from the start of `data` and returns the bytes it took. The
  // container is emptied first and stays empty when the data is refused (EGXLibrary).
  std::size_t ReadFromStream(std::span<const std::uint8_t> data);
  // Appends the stream; throws EGXLibrary when pixel data has been freed.
  void WriteToStream(std::vector<std::uint8_t>& out) const;
  std::vector<std::uint8_t> ToBytes() const;
  // File forms of the above; errors name the file.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  // Deep copy of `src` into this container (this is left unchanged when memory runs out).
  void Assign(const TGXImages& src);

  friend bool operator==(const TGXImages&, const TGXImages&) = default;

 private:
  std::array<std::uint8_t, 4> magic_;
  std::array<std::uint8_t, 4> reserved_{};
  TGXPalette palette_{};
  std::vector<TGXImage> images_;
};

// Told after each platform bitmap is built: Position runs 0..Last, Last = image count - 1.
using TGXProgressEvent = std::function<void(int Position, int Last)>;

// The image library component: holds a TGXImages, loads it from a file, turns its images into
// platform bitmaps (palette entry 0 always black) and, for the screen, into surfaces.
class TGXImageLib : public TComponent, public TGXImageSource {
 public:
  explicit TGXImageLib(TComponent* Owner = nullptr);
  // Any screen of the owner that still refers to the library forgets it.
  ~TGXImageLib() override;

  const TGXImages& Images() const { return images_; }
  // Takes a deep copy of Value; bitmaps that existed are rebuilt from it. The library no
  // longer counts as loaded from a file.
  void SetImages(const TGXImages& Value);

  // Reads FileName into Images and remembers the name; bitmaps that existed are rebuilt.
  // A refused file throws EGXLibrary naming it and leaves the library as it was.
  void LoadFromFile(const std::string& FileName);
  // Reads the remembered file again; throws EGXLibrary "LoadFromFile must be called first"
  // when none was loaded.
  void Reload();
  const std::string& FileName() const { return fileName_; }
  bool LoadedFromFile() const { return !fileName_.empty(); }
  int Count() const { return images_.Count(); }

  // Builds one platform bitmap per image, telling OnProgress after each.
  void CreateBitmaps();
  void FreeBitmaps() { bitmaps_.clear(); }
  bool HasBitmaps() const { return !bitmaps_.empty(); }
  // The built bitmap of image Index; null when none is built for it.
  const TBitmap* Bitmap(int Index) const;
  // A platform bitmap of image Index, 0x00RRGGBB through the library palette with entry 0
  // black; throws std::out_of_range for an index outside the library.
  TBitmap MakeBitmap(int Index);
  // Draws image Index with its top-left at (X, Y); an index outside the library draws
  // nothing. Without built bitmaps a temporary one is made for the draw.
  void Draw(TCanvas& Canvas, int X, int Y, int Index);

  TGXProgressEvent OnProgress;

  // One surface per image for the screen (see TGXImageSource). Indexed surfaces of an
  // exclusive-palette screen take the indices as they are; other surfaces are drawn through
  // the palette. A library read from a file drops its pixels afterwards (the surfaces keep
  // the pictures; Reload brings them back after a loss).
  void MakeSurfaces(TGXScreen& Screen, std::vector<std::unique_ptr<TGXSurface>>& Surfaces,
                    bool SetPalette, bool Reload) override;

 private:
  // Reads the file back when the pixel data was dropped after making surfaces.
  void EnsurePixels();

  TGXImages images_;
  std::string fileName_;
  std::vector<TBitmap> bitmaps_;
};

}  // namespace vornu
