#include "platform/PictureFile.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "platform/SdlHandles.h"

namespace vornu {
namespace {

// Larger pictures are refused before anything is allocated for them. The game's largest is
// 320 x 200 and the libraries' pictures are tiles; 2048 x 2048 (16 MiB decoded) is far beyond
// both, and keeps a hostile file's cost to a few dozen megabytes.
constexpr std::uint64_t kMaxSide = 4096;
constexpr std::uint64_t kMaxPixels = 2048 * 2048;
// The largest file such a picture needs: 32 bits a pixel, headers and a full colour table.
constexpr std::uint64_t kMaxFileBytes = kMaxPixels * 4 + 65536;
static_assert(kMaxFileBytes < 0x7FFFFFFF, "the decoder takes the file's size as an int");

[[noreturn]] void Fail(const std::string& FileName, const std::string& What) {
  throw EInOutError(FileName + ": " + What);
}

std::uint32_t U32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// Checks what the decoder trusts blindly: the headers, the sizes, and that the pixel data
// the headers promise is in the file.
void CheckHeaders(const std::string& FileName, const std::vector<unsigned char>& d) {
  if (d.size() < 2 || d[0] != 'B' || d[1] != 'M') Fail(FileName, "not a Windows bitmap file");
  if (d.size() < 14 + 12) Fail(FileName, "truncated bitmap header");
  const std::uint32_t offBits = U32(&d[10]);
  const std::uint32_t infoSize = U32(&d[14]);
  std::int64_t width = 0, height = 0;
  unsigned bpp = 0, compression = 0;
  if (infoSize == 12) {
    width = U16(&d[18]);
    height = static_cast<std::int16_t>(U16(&d[20]));
    bpp = U16(&d[24]);
  } else if (infoSize >= 40) {
    if (d.size() < 14 + 40) Fail(FileName, "truncated bitmap header");
    width = static_cast<std::int32_t>(U32(&d[18]));
    height = static_cast<std::int32_t>(U32(&d[22]));
    bpp = U16(&d[28]);
    compression = U32(&d[30]);
  } else {
    Fail(FileName, "unknown bitmap header size " + std::to_string(infoSize));
  }
  const std::int64_t absHeight = height < 0 ? -height : height;
  if (width <= 0 || absHeight == 0) Fail(FileName, "bitmap has no pixels");
  const auto w = static_cast<std::uint64_t>(width), h = static_cast<std::uint64_t>(absHeight);
  if (w > kMaxSide || h > kMaxSide || w * h > kMaxPixels) {
    Fail(FileName, "bitmap too large (" + std::to_string(w) + " x " + std::to_string(h) +
                       "; at most " + std::to_string(kMaxPixels) + " pixels, sides up to " +
                       std::to_string(kMaxSide) + ")");
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
    Fail(FileName, "unsupported bits per pixel " + std::to_string(bpp));
  }
  if (offBits > d.size()) Fail(FileName, "truncated: pixel data missing");
  if (compression == 0 || compression == 3) {
    const std::uint64_t row = ((w * bpp + 31) / 32) * 4;
    if (d.size() - offBits < row * h) {
      Fail(FileName, "truncated: pixel data ends early");
    }
  } else if (compression == 1 || compression == 2) {
    if ((compression == 1 && bpp != 8) || (compression == 2 && bpp != 4)) {
      Fail(FileName, "run-length compression does not match the pixel depth");
    }
    if (height < 0) Fail(FileName, "a run-length bitmap cannot be top-down");
  } else {
    Fail(FileName, "unsupported compression " + std::to_string(compression));
  }
}

// Walks the runs of an RLE bitmap and checks they stay inside the picture and the file and
// end properly; the decoder does not check all of this.
void CheckRuns(const std::string& FileName, const std::vector<unsigned char>& d) {
  const std::uint32_t offBits = U32(&d[10]);
  const std::int64_t width = static_cast<std::int32_t>(U32(&d[18]));
  const std::int64_t height = static_cast<std::int32_t>(U32(&d[22]));
  const bool four = U32(&d[30]) == 2;
  std::size_t i = offBits;
  std::int64_t x = 0, y = 0;
  auto need = [&](std::size_t n) {
    if (i + n > d.size()) Fail(FileName, "truncated: compressed pixel data ends early");
  };
  for (;;) {
    need(2);
    const unsigned count = d[i], code = d[i + 1];
    i += 2;
    if (count > 0) {
      x += count;
      if (x > width) Fail(FileName, "compressed run leaves the picture");
      continue;
    }
    if (code == 0) {  // end of line
      x = 0;
      if (++y > height) Fail(FileName, "compressed data has too many lines");
    } else if (code == 1) {  // end of bitmap
      return;
    } else if (code == 2) {  // delta
      need(2);
      x += d[i];
      y += d[i + 1];
      i += 2;
      if (x > width || y > height) Fail(FileName, "compressed offset leaves the picture");
    } else {  // literal run
      const std::size_t bytes = four ? (code + 1) / 2 : code;
      const std::size_t padded = (bytes + 1) & ~static_cast<std::size_t>(1);
      need(padded);
      i += padded;
      x += code;
      if (x > width) Fail(FileName, "compressed run leaves the picture");
    }
  }
}

}  // namespace

std::uint32_t Pixels32::At(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= Width || Y >= Height) {
    throw std::out_of_range("pixel (" + std::to_string(X) + ", " + std::to_string(Y) +
                            ") outside the picture");
  }
  return Pixels[static_cast<std::size_t>(Y) * Width + X];
}

Pixels32 LoadBitmapFile(const std::string& FileName) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) Fail(FileName, std::string("cannot open (") + std::strerror(errno) + ")");
  // One read of the whole file: scene changes load a dozen pictures at once.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) Fail(FileName, "cannot tell the file's size");
  if (static_cast<std::uint64_t>(size) > kMaxFileBytes) {
    Fail(FileName, "file too large for a bitmap (" + std::to_string(size) + " bytes; at most " +
                       std::to_string(kMaxFileBytes) + ")");
  }
  in.seekg(0, std::ios::beg);
  std::vector<unsigned char> data(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(data.data()), size)) {
    Fail(FileName, "read error");
  }
  CheckHeaders(FileName, data);
  if (U32(&data[14]) >= 40 && (U32(&data[30]) == 1 || U32(&data[30]) == 2)) {
    CheckRuns(FileName, data);
  }
  sdl::RWops rw(SDL_RWFromConstMem(data.data(), static_cast<int>(data.size())));
  if (!rw) Fail(FileName, SDL_GetError());
  sdl::Surface loaded(IMG_LoadBMP_RW(rw.get()));
  if (!loaded) Fail(FileName, std::string("cannot decode bitmap: ") + IMG_GetError());
  sdl::Surface rgb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB888, 0));
  if (!rgb) Fail(FileName, std::string("cannot convert bitmap: ") + SDL_GetError());
  Pixels32 out;
  out.Width = rgb->w;
  out.Height = rgb->h;
  out.Pixels.resize(static_cast<std::size_t>(rgb->w) * rgb->h);
  for (int y = 0; y < rgb->h; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(
                                                                 rgb->pixels) +
                                                             static_cast<std::size_t>(y) *
                                                                 rgb->pitch);
    for (int x = 0; x < rgb->w; ++x) {
      out.Pixels[static_cast<std::size_t>(y) * rgb->w + x] = row[x] & 0xFFFFFF;
    }
  }
  return out;
}

namespace {

// SeeThrough > 0xFFFFFF: every pixel opaque.
void WritePng(const std::string& FileName, const Pixels32& Picture, std::uint32_t SeeThrough) {
  if (Picture.Width <= 0 || Picture.Height <= 0 ||
      Picture.Pixels.size() != static_cast<std::size_t>(Picture.Width) * Picture.Height) {
    Fail(FileName, "picture to save has no pixels or a wrong size");
  }
  const bool Keyed = SeeThrough <= 0xFFFFFF;
  sdl::Surface s(
      SDL_CreateRGBSurfaceWithFormat(0, Picture.Width, Picture.Height, 32,
                                     Keyed ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB888));
  if (!s) Fail(FileName, std::string("cannot make picture: ") + SDL_GetError());
  for (int y = 0; y < Picture.Height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(s->pixels) +
                                                 static_cast<std::size_t>(y) * s->pitch);
    for (int x = 0; x < Picture.Width; ++x) {
      const std::uint32_t c = Picture.Pixels[static_cast<std::size_t>(y) * Picture.Width + x];
      row[x] = !Keyed ? c : (c & 0xFFFFFF) == SeeThrough ? 0 : (c | 0xFF000000u);
    }
  }
  if (IMG_SavePNG(s.get(), FileName.c_str()) != 0) {
    Fail(FileName, std::string("cannot write PNG: ") + IMG_GetError());
  }
}

}  // namespace

void SavePngFile(const std::string& FileName, const Pixels32& Picture) {
  WritePng(FileName, Picture, 0xFFFFFFFFu);
}

void SavePngFile(const std::string& FileName, const Pixels32& Picture, std::uint32_t SeeThrough) {
  WritePng(FileName, Picture, SeeThrough & 0xFFFFFF);
}

}  // namespace vornu
