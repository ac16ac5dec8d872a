#include "tools/libraster/Image.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "engine/GXLibStream.h"

namespace vornu::raster {

Image::Image(int w, int h, Rgb fill) : w_(w), h_(h) {
  if (w <= 0 || h <= 0) throw std::invalid_argument("picture size must be positive");
  px_.assign(static_cast<std::size_t>(w) * h, fill);
}

Rgb& Image::At(int x, int y) {
  if (!Inside(x, y)) throw std::out_of_range("pixel outside the picture");
  return px_[static_cast<std::size_t>(y) * w_ + x];
}

const Rgb& Image::At(int x, int y) const {
  if (!Inside(x, y)) throw std::out_of_range("pixel outside the picture");
  return px_[static_cast<std::size_t>(y) * w_ + x];
}

Image Image::Crop(int x, int y, int w, int h) const {
  if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > w_ || y + h > h_) {
    throw std::out_of_range("crop outside the picture");
  }
  Image out(w, h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) out.At(i, j) = At(x + i, y + j);
  return out;
}

void Image::Paste(const Image& src, int x, int y) {
  for (int j = 0; j < src.Height(); ++j)
    for (int i = 0; i < src.Width(); ++i) Put(x + i, y + j, src.At(i, j));
}

void WriteBmp24(const std::string& path, const Image& img) {
  const int w = img.Width(), h = img.Height();
  if (w <= 0 || h <= 0) throw std::runtime_error(path + ": cannot write an empty picture");
  const std::uint32_t stride = (static_cast<std::uint32_t>(w) * 3 + 3) & ~3u;
  const std::uint32_t dataSize = stride * static_cast<std::uint32_t>(h);
  std::vector<std::uint8_t> head{'B', 'M'};
  TGXByteWriter hw(head);
  for (std::uint32_t v : {54 + dataSize, 0u, 54u, 40u, static_cast<std::uint32_t>(w),
                          static_cast<std::uint32_t>(h)}) {
    hw.U32(v);
  }
  hw.U16(1);
  hw.U16(24);
  for (std::uint32_t v : {0u, dataSize, 2835u, 2835u, 0u, 0u}) hw.U32(v);
  std::string out(head.begin(), head.end());
  out.reserve(54 + dataSize);
  for (int y = h - 1; y >= 0; --y) {
    std::uint32_t n = 0;
    for (int x = 0; x < w; ++x, n += 3) {
      const Rgb c = img.At(x, y);
      out.push_back(static_cast<char>(c.b));
      out.push_back(static_cast<char>(c.g));
      out.push_back(static_cast<char>(c.r));
    }
    for (; n < stride; ++n) out.push_back('\0');
  }
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw std::runtime_error(path + ": cannot create the file");
  f.write(out.data(), static_cast<std::streamsize>(out.size()));
  if (!f) throw std::runtime_error(path + ": write failed");
}

}  // namespace vornu::raster
