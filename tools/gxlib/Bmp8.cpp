#include "tools/gxlib/Bmp8.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "engine/GXLibStream.h"

namespace vornu::gxlib {
namespace {

// Pictures larger than this on either side are not library images but damaged headers.
constexpr std::int64_t kMaxSide = 8192;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what);
}

// Decodes RLE8 data into bottom-up rows of `pixels` (w x h, unpadded); every write is checked.
void DecodeRle8(std::span<const std::uint8_t> rle, int w, int h, std::vector<std::uint8_t>& px) {
  std::size_t i = 0;
  int x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](std::uint8_t v) {
    if (x < w && y < h) px[static_cast<std::size_t>(h - 1 - y) * w + x] = v;
    ++x;
  };
  while (true) {
    if (i + 2 > rle.size()) Fail("RLE8 data ends without an end-of-bitmap mark");
    const std::uint8_t count = rle[i], value = rle[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (i + 2 > rle.size()) Fail("RLE8 data ends inside a position jump");
      x += rle[i];
      y += rle[i + 1];
      i += 2;
    } else {
      if (i + value > rle.size()) Fail("RLE8 data ends inside a literal run");
      for (int k = 0; k < value; ++k) put(rle[i + k]);
      i += value + (value & 1);
    }
    if (y > h) Fail("RLE8 data runs past the last row");
  }
}

}  // namespace

Bitmap8 ParseBitmap8(std::span<const std::uint8_t> f) {
  if (f.size() < 2 || f[0] != 'B' || f[1] != 'M') Fail("not a Windows bitmap (no \"BM\" mark)");
  if (f.size() < 14 + 12) Fail("bitmap header is cut short");
  TGXByteReader head(f.subspan(10));
  const std::uint32_t offBits = head.U32("pixel data offset");
  const std::uint32_t hdr = head.U32("header size");
  if (hdr != 12 && hdr < 40) Fail("unknown bitmap header size " + std::to_string(hdr));
  if (14 + static_cast<std::uint64_t>(hdr) > f.size()) Fail("bitmap header is cut short");
  std::int64_t width, height;
  std::uint32_t planes, bits, compression = 0, used = 0;
  std::size_t entryBytes = 4;
  if (hdr == 12) {
    width = head.U16("width");
    height = static_cast<std::int16_t>(head.U16("height"));
    planes = head.U16("planes");
    bits = head.U16("bits per pixel");
    entryBytes = 3;
  } else {
    width = head.I32("width");
    height = head.I32("height");
    planes = head.U16("planes");
    bits = head.U16("bits per pixel");
    compression = head.U32("compression");
    head.Block(12, "image size and resolution");
    used = head.U32("colours used");
  }
  if (bits != 8) {
    Fail("is a " + std::to_string(bits) +
         "-bit bitmap; only 8-bit (256-colour) bitmaps can be packed");
  }
  if (planes != 1) Fail(std::to_string(planes) + " colour planes (must be 1)");
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    Fail("bitmap size " + std::to_string(width) + " x " + std::to_string(height) +
         " is outside 1.." + std::to_string(kMaxSide));
  }
  if (compression != 0 && compression != 1) {
    Fail("compression " + std::to_string(compression) + " is not supported (only none and RLE8)");
  }
  if (compression == 1 && topDown) Fail("a top-down bitmap cannot be RLE8-compressed");
  if (used == 0 || used > 256) {
    if (used > 256) Fail("colour table of " + std::to_string(used) + " entries (at most 256)");
    used = 256;
  }
  Bitmap8 bmp;
  bmp.Width = static_cast<int>(width);
  bmp.Height = static_cast<int>(height);
  // The colour table follows the header; older writers leave it shorter than 256 entries
  // but never shorter than the pixel data offset allows.
  const std::size_t table = 14 + hdr;
  std::size_t room = offBits > table ? (offBits - table) / entryBytes : 0;
  if (offBits == 0 || offBits > f.size()) {
    Fail("pixel data offset " + std::to_string(offBits) + " lies outside the file");
  }
  if (room > used) room = used;
  if (table + room * entryBytes > f.size()) Fail("colour table is cut short");
  bmp.PaletteSize = static_cast<int>(room);
  for (std::size_t i = 0; i < room; ++i) {
    const std::size_t at = table + i * entryBytes;
    bmp.Palette[i] = {f[at + 2], f[at + 1], f[at], 0};
  }
  const auto w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  auto data = f.subspan(offBits);
  const std::size_t stride = TGXImages::RowBytes(bmp.Width);
  if (compression == 0 && data.size() / stride < h) {
    Fail("pixel data is cut short: " + std::to_string(stride * h) + " bytes needed, " +
         std::to_string(data.size()) + " present");
  }
  bmp.Pixels.assign(w * h, 0);
  if (compression == 1) {
    DecodeRle8(data, bmp.Width, bmp.Height, bmp.Pixels);
    return bmp;
  }
  for (std::size_t row = 0; row < h; ++row) {
    const std::size_t src = (topDown ? row : h - 1 - row) * stride;
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(src), w,
                bmp.Pixels.begin() + static_cast<std::ptrdiff_t>(row * w));
  }
  return bmp;
}

std::vector<std::uint8_t> EncodeBitmap8(int width, int height,
                                        std::span<const std::uint8_t> paddedRows,
                                        const TGXPalette& palette) {
  const std::size_t stride = TGXImages::RowBytes(width);
  if (width <= 0 || height <= 0 || paddedRows.size() != stride * static_cast<std::size_t>(height)) {
    throw std::invalid_argument("bitmap rows do not match " + std::to_string(width) + " x " +
                                std::to_string(height));
  }
  const std::uint32_t offBits = 14 + 40 + 256 * 4;
  const auto dataSize = static_cast<std::uint32_t>(paddedRows.size());
  std::vector<std::uint8_t> o;
  o.reserve(offBits + dataSize);
  o.push_back('B');
  o.push_back('M');
  TGXByteWriter out(o);
  for (std::uint32_t v : {offBits + dataSize, 0u, offBits, 40u}) out.U32(v);
  out.I32(width);
  out.I32(height);
  out.U16(1);
  out.U16(8);
  for (std::uint32_t v : {0u, dataSize, 2835u, 2835u, 256u, 0u}) out.U32(v);
  for (const TGXPaletteEntry& e : palette) {
    o.push_back(e.Blue);
    o.push_back(e.Green);
    o.push_back(e.Red);
    o.push_back(0);
  }
  for (int y = height - 1; y >= 0; --y) {
    auto row = paddedRows.subspan(static_cast<std::size_t>(y) * stride, stride);
    o.insert(o.end(), row.begin(), row.end());
  }
  return o;
}

}  // namespace vornu::gxlib
