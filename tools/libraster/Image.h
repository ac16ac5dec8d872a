// True-colour picture in memory for the data tools, and its Windows bitmap writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornu::raster {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Zero-based pixels, row by row from the top.
class Image {
 public:
  Image() = default;
  // A w x h picture filled with `fill`.
  Image(int w, int h, Rgb fill = {});

  int Width() const { return w_; }
  int Height() const { return h_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  // Pixel at (x, y); throws std::out_of_range outside the picture.
  Rgb& At(int x, int y);
  const Rgb& At(int x, int y) const;
  // Sets (x, y) when it lies inside; outside is silently clipped (drawing code relies on it).
  void Put(int x, int y, Rgb c) {
    if (Inside(x, y)) px_[static_cast<std::size_t>(y) * w_ + x] = c;
  }
  // The w x h part with its top-left corner at (x, y); must lie inside.
  Image Crop(int x, int y, int w, int h) const;
  // Copies `src` with its top-left corner at (x, y), clipped.
  void Paste(const Image& src, int x, int y);

  friend bool operator==(const Image&, const Image&) = default;

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgb> px_;
};

// Writes `img` as an uncompressed 24-bit bottom-up Windows bitmap; throws std::runtime_error naming the file.
void WriteBmp24(const std::string& path, const Image& img);

}  // namespace vornu::raster
