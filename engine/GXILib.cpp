#include "engine/GXILib.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

#include "engine/GXLibStream.h"

namespace vornu {
namespace {

constexpr std::array<std::uint8_t, 4> kImageMagic{'I', 'L', '1', '0'};
// Smallest room one image can take in a stream: its header and one padded row.
constexpr std::size_t kMinImageBytes = TGXImages::kImageHeaderSize + 4;
// An image record in memory: the stream header plus the address of its pixel block.
constexpr std::size_t kImageRecordBytes = TGXImages::kImageHeaderSize + 4;

std::string ImageName(std::size_t i, std::size_t n) {
  return "image " + std::to_string(i) + " of " + std::to_string(n);
}

}  // namespace

std::size_t TGXImages::RowBytes(std::int32_t width) {
  if (width <= 0) return 0;
  return ((static_cast<std::size_t>(width) * 8 + 31) / 32) * 4;
}

TGXImages::TGXImages() : magic_(kImageMagic) {}

const TGXImage& TGXImages::Image(int i) const {
  if (i < 0 || i >= Count()) {
    throw std::out_of_range("image " + std::to_string(i) + " outside 0.." +
                            std::to_string(Count() - 1));
  }
  return images_[static_cast<std::size_t>(i)];
}

std::uint8_t TGXImages::Pixel(int i, int x, int y) const {
  const TGXImage& img = Image(i);
  if (x < 0 || y < 0 || x >= img.Header.Width || y >= img.Header.Height) {
    throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                            ") outside image " + std::to_string(i));
  }
  if (img.Bits.empty()) {
    throw std::out_of_range("pixel data of image " + std::to_string(i) + " has been freed");
  }
  return img
      .Bits[static_cast<std::size_t>(y) * RowBytes(img.Header.Width) + static_cast<std::size_t>(x)];
}

void TGXImages::Add(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> pixels,
                    const std::array<std::uint8_t, 12>& reserved) {
  if (width <= 0 || height <= 0) {
    throw EGXLibrary("image size " + std::to_string(width) + " x " + std::to_string(height) +
                     " is not positive");
  }
  const auto w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  if (pixels.size() / w != h || pixels.size() % w != 0) {
    throw EGXLibrary("image of " + std::to_string(width) + " x " + std::to_string(height) +
                     " given " + std::to_string(pixels.size()) + " pixels");
  }
  TGXImage img;
  img.Header.Width = width;
  img.Header.Height = height;
  img.Header.Reserved = reserved;
  const std::size_t stride = RowBytes(width);
  img.Bits.assign(stride * h, 0);
  for (std::size_t y = 0; y < h; ++y) {
    std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y * w), w,
                img.Bits.begin() + static_cast<std::ptrdiff_t>(y * stride));
  }
  images_.push_back(std::move(img));
}

bool TGXImages::HasPixels() const {
  for (const TGXImage& img : images_) {
    if (img.Bits.empty()) return false;
  }
  return true;
}

void TGXImages::FreePixels() {
  for (TGXImage& img : images_) std::vector<std::uint8_t>().swap(img.Bits);
}

void TGXImages::Free() {
  *this = TGXImages();
}

std::size_t TGXImages::ReadFromStream(std::span<const std::uint8_t> data) {
  Free();
  // A file of another kind is named as such even when it is shorter than a header.
  if (data.size() >= 4 && !MagicMatches(data, "IL10")) {
    throw EGXLibrary("Not a valid Image Library File");
  }
  TGXByteReader r(data);
  r.Need(kHeaderSize, "image library header");
  TGXImages lib;
  r.Bytes(lib.magic_, "magic");
  const std::int32_t count = r.I32("image count");
  r.Bytes(lib.reserved_, "header field");
  for (TGXPaletteEntry& e : lib.palette_) {
    std::array<std::uint8_t, 4> rgbf;
    r.Bytes(rgbf, "palette");
    e = {rgbf[0], rgbf[1], rgbf[2], rgbf[3]};
  }
  // The count is checked against what the stream can hold before anything is allocated.
  if (count < 0) {
    throw EGXLibrary("Not a valid Image Library File: image count " + std::to_string(count) +
                     " is negative");
  }
  const auto n = static_cast<std::size_t>(count);
  if (n > r.Remaining() / kMinImageBytes) {
    throw EGXLibrary("Not a valid Image Library File: " + std::to_string(count) +
                     " images cannot fit in the " + std::to_string(r.Remaining()) +
                     " bytes that follow the header");
  }
  try {
    lib.images_.reserve(n);
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("TGXImage: GemMem Failed for FImages");
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = ImageName(i, n);
    TGXImage img;
    img.Header.Width = r.I32(name + " header");
    img.Header.Height = r.I32(name + " header");
    r.Bytes(img.Header.Reserved, name + " header");
    if (img.Header.Width <= 0 || img.Header.Height <= 0) {
      throw EGXLibrary("Not a valid Image Library File: " + name + " is " +
                       std::to_string(img.Header.Width) + " x " +
                       std::to_string(img.Header.Height) + " pixels");
    }
    // Both factors are below 2^32, so the product cannot overflow 64 bits.
    const std::uint64_t size = static_cast<std::uint64_t>(RowBytes(img.Header.Width)) *
                               static_cast<std::uint64_t>(img.Header.Height);
    r.Need(size, name + " pixels (" + std::to_string(img.Header.Width) + " x " +
                     std::to_string(img.Header.Height) + ")");
    auto block = r.Block(static_cast<std::size_t>(size), name + " pixels");
    try {
      img.Bits.assign(block.begin(), block.end());
    } catch (const std::bad_alloc&) {
      throw EGXLibrary("TGXImage: GemMem Failed for ImgHdr.Bits");
    }
    lib.images_.push_back(std::move(img));
  }
  *this = std::move(lib);
  return r.Offset();
}

void TGXImages::WriteToStream(std::vector<std::uint8_t>& out) const {
  if (!HasPixels()) {
    throw EGXLibrary("image library cannot be written: its pixel data has been freed");
  }
  TGXByteWriter w(out);
  w.Bytes(magic_);
  w.I32(Count());
  w.Bytes(reserved_);
  for (const TGXPaletteEntry& e : palette_) {
    w.Bytes(std::array<std::uint8_t, 4>{e.Red, e.Green, e.Blue, e.Flags});
  }
  for (const TGXImage& img : images_) {
    w.I32(img.Header.Width);
    w.I32(img.Header.Height);
    w.Bytes(img.Header.Reserved);
    w.Block(img.Bits);
  }
}

std::vector<std::uint8_t> TGXImages::ToBytes() const { return LibraryBytes(*this); }

void TGXImages::LoadFromFile(const std::string& path) { LoadLibraryFile(*this, path); }

void TGXImages::SaveToFile(const std::string& path) const { SaveLibraryFile(*this, path); }

void TGXImages::Assign(const TGXImages& src) {
  if (&src == this) return;
  TGXImages copy;
  copy.magic_ = src.magic_;
  copy.reserved_ = src.reserved_;
  copy.palette_ = src.palette_;
  try {
    copy.images_.reserve(src.images_.size());
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("TGXImages.AssignTo failed (GetMem): " +
                     std::to_string(src.images_.size() * kImageRecordBytes));
  }
  for (const TGXImage& img : src.images_) {
    TGXImage c;
    c.Header = img.Header;
    try {
      c.Bits = img.Bits;
    } catch (const std::bad_alloc&) {
      throw EGXLibrary("TGXImages.AssignTo failed");
    }
    copy.images_.push_back(std::move(c));
  }
  *this = std::move(copy);
}

TGXImageLib::TGXImageLib(TComponent* Owner) : TComponent(Owner) {}

TGXImageLib::~TGXImageLib() {
  if (!Owner()) return;
  for (TComponent* c : Owner()->Components()) {
    if (auto* screen = dynamic_cast<TGXScreen*>(c)) {
      if (screen->ImageLibrary() == this) screen->SetImageLibrary(nullptr);
      if (screen->TileLibrary() == this) screen->SetTileLibrary(nullptr);
    }
  }
}

void TGXImageLib::SetImages(const TGXImages& Value) {
  TGXImages copy;
  copy.Assign(Value);
  const bool hadBitmaps = HasBitmaps();
  FreeBitmaps();
  images_ = std::move(copy);
  fileName_.clear();
  if (hadBitmaps) CreateBitmaps();
}

void TGXImageLib::LoadFromFile(const std::string& FileName) {
  TGXImages loaded;
  loaded.LoadFromFile(FileName);
  const bool hadBitmaps = HasBitmaps();
  FreeBitmaps();
  images_ = std::move(loaded);
  fileName_ = FileName;
  if (hadBitmaps) CreateBitmaps();
}

void TGXImageLib::Reload() {
  if (fileName_.empty()) throw EGXLibrary("LoadFromFile must be called first");
  LoadFromFile(std::string(fileName_));
}

void TGXImageLib::EnsurePixels() {
  if (images_.HasPixels()) return;
  if (fileName_.empty()) {
    throw EGXLibrary("the image pixel data has been freed and no file is known to read it from");
  }
  TGXImages loaded;
  loaded.LoadFromFile(fileName_);
  images_ = std::move(loaded);
}

TBitmap TGXImageLib::MakeBitmap(int Index) {
  images_.Image(Index);  // the index check
  EnsurePixels();
  const TGXImage& img = images_.Image(Index);
  const int w = img.Header.Width, h = img.Header.Height;
  std::uint32_t colour[256];
  for (int i = 0; i < 256; ++i) {
    const TGXPaletteEntry& e = images_.Palette()[static_cast<std::size_t>(i)];
    colour[i] =
        static_cast<std::uint32_t>(e.Red) << 16 | static_cast<std::uint32_t>(e.Green) << 8 | e.Blue;
  }
  colour[0] = 0;  // entry 0 is black whatever the palette says
  std::vector<std::uint32_t> px;
  try {
    px.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("CreateDIBitmap failed");
  }
  const std::size_t stride = TGXImages::RowBytes(w);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = img.Bits.data() + static_cast<std::size_t>(y) * stride;
    std::uint32_t* out = px.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
    for (int x = 0; x < w; ++x) out[x] = colour[row[x]];
  }
  TBitmap bmp;
  bmp.Assign(w, h, std::move(px));
  return bmp;
}

void TGXImageLib::CreateBitmaps() {
  std::vector<TBitmap> built;
  built.reserve(static_cast<std::size_t>(Count()));
  for (int i = 0; i < Count(); ++i) {
    built.push_back(MakeBitmap(i));
    if (OnProgress) OnProgress(i, Count() - 1);
  }
  bitmaps_ = std::move(built);
}

const TBitmap* TGXImageLib::Bitmap(int Index) const {
  if (Index < 0 || static_cast<std::size_t>(Index) >= bitmaps_.size()) return nullptr;
  return &bitmaps_[static_cast<std::size_t>(Index)];
}

void TGXImageLib::Draw(TCanvas& Canvas, int X, int Y, int Index) {
  if (Index < 0 || Index >= Count()) return;
  if (const TBitmap* b = Bitmap(Index)) {
    Canvas.Draw(X, Y, b);
    return;
  }
  const TBitmap temporary = MakeBitmap(Index);
  Canvas.Draw(X, Y, &temporary);
}

void TGXImageLib::MakeSurfaces(TGXScreen& Screen,
                               std::vector<std::unique_ptr<TGXSurface>>& Surfaces, bool SetPalette,
                               bool Reload) {
  Surfaces.clear();
  if (Reload && LoadedFromFile()) {
    TGXImages loaded;
    loaded.LoadFromFile(fileName_);
    images_ = std::move(loaded);
  }
  if (images_.Empty()) return;
  EnsurePixels();
  if (SetPalette) {
    TPaletteEntries entries{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const TGXPaletteEntry& e = images_.Palette()[i];
      entries[i] = TPaletteEntry{e.Red, e.Green, e.Blue, 0};
    }
    Screen.SetPalette(entries);
  }
  std::vector<std::unique_ptr<TGXSurface>> made;
  made.reserve(static_cast<std::size_t>(Count()));
  for (int i = 0; i < Count(); ++i) {
    const TGXImage& img = images_.Image(i);
    std::unique_ptr<TGXSurface> s = Screen.CreateSurface(img.Header.Width, img.Header.Height);
    s->OnSurfaceLost = [&Screen] { Screen.RestoreSurfaces(); };
    // Indices can be copied only onto indexed pixels; every other surface format gets the
    // colours the palette gives them.
    if (Screen.PaletteMode() == pmExclusive && s->Format() == TPixelFormat::Indexed8) {
      if (std::uint8_t* dst = s->Lock()) {
        const std::size_t stride = TGXImages::RowBytes(img.Header.Width);
        for (int y = 0; y < img.Header.Height; ++y) {
          std::copy_n(img.Bits.data() + static_cast<std::size_t>(y) * stride, img.Header.Width,
                      dst + static_cast<std::size_t>(y) * static_cast<std::size_t>(s->Pitch()));
        }
        s->Unlock();
      }
    } else {
      const TBitmap picture = MakeBitmap(i);
      s->Canvas->Draw(0, 0, &picture);
      s->Canvas->Release();
    }
    s->SetTransparentColor(0);
    made.push_back(std::move(s));
  }
  Surfaces = std::move(made);
  if (LoadedFromFile()) images_.FreePixels();
}

}  // namespace vornu
