// Files for tests: a scratch folder that removes itself, whole-file writes and bitmap files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace support {

namespace fs = std::filesystem;
using TBytes = std::vector<std::uint8_t>;

// Writes Bytes as the whole file Path, making its folders; throws naming the file on failure.
void WriteFile(const fs::path& Path, std::string_view Bytes);
void WriteFile(const fs::path& Path, const TBytes& Bytes);
// The whole file as bytes (empty when it cannot be read).
std::string ReadFile(const fs::path& Path);

// A fresh folder in the temporary directory, removed with everything in it when this goes.
class TScratchDir {
 public:
  explicit TScratchDir(const std::string& Prefix = "vornu-test");
  ~TScratchDir();
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const fs::path& Path() const { return Dir_; }
  fs::path operator/(const fs::path& Rel) const { return Dir_ / Rel; }
  // Writes the file Rel of this folder and returns its path.
  std::string Write(const fs::path& Rel, std::string_view Bytes) const;
  std::string Write(const fs::path& Rel, const TBytes& Bytes) const;

 private:
  fs::path Dir_;
};

// Makes Dir the current directory while this lives (nothing changes for an empty Dir).
class TCurrentDir {
 public:
  explicit TCurrentDir(const fs::path& Dir);
  ~TCurrentDir();
  TCurrentDir(const TCurrentDir&) = delete;
  TCurrentDir& operator=(const TCurrentDir&) = delete;

 private:
  fs::path Old_;
};

// A Windows bitmap file: the two headers (a negative Height is a top-down picture), the colour
// table (0xRRGGBB each), then Pixels exactly as given.
TBytes BitmapFile(int Width, int Height, int Bits, std::uint32_t Compression,
                  const std::vector<std::uint32_t>& Palette, const TBytes& Pixels);
// A 24-bit bottom-up bitmap file whose pixel (x, y) is Colour(x, y) as 0xRRGGBB.
TBytes Bitmap24(int Width, int Height, const std::function<std::uint32_t(int, int)>& Colour);
void WriteBitmap(const fs::path& Path, int Width, int Height,
                 const std::function<std::uint32_t(int, int)>& Colour);
void WriteBitmap(const fs::path& Path, int Width, int Height, std::uint32_t Rgb);

}  // namespace support
