#include "tools/libraster/Image.h"

#include <fstream>
#include <stdexcept>

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

namespace {
void Put16(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
}  // namespace

void WriteBmp24(const std::string& path, const Image& img) {
  const int w = img.Width(), h = img.Height();
  if (w <= 0 || h <= 0) throw std::runtime_error(path + ": cannot write an empty picture");
  const std::uint32_t stride = (static_cast<std::uint32_t>(w) * 3 + 3) & ~3u;
  const std::uint32_t dataSize = stride * static_cast<std::uint32_t>(h);
  std::string out;
  out.reserve(54 + dataSize);
  out += "BM";
  Put32(out, 54 + dataSize);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(h));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, dataSize);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
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
