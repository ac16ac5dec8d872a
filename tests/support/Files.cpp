#include "tests/support/Files.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "engine/GXLibStream.h"

namespace support {

void WriteFile(const fs::path& Path, std::string_view Bytes) {
  if (Path.has_parent_path()) fs::create_directories(Path.parent_path());
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  if (!Out) throw std::runtime_error("cannot write " + Path.string());
}

void WriteFile(const fs::path& Path, const TBytes& Bytes) {
  WriteFile(Path, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
}

std::string ReadFile(const fs::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}

TScratchDir::TScratchDir(const std::string& Prefix) {
  std::string Template = (fs::temp_directory_path() / (Prefix + "-XXXXXX")).string();
  if (::mkdtemp(Template.data()) == nullptr) {
    throw std::runtime_error("cannot make a scratch folder in " +
                             fs::temp_directory_path().string());
  }
  Dir_ = Template;
}

TScratchDir::~TScratchDir() {
  std::error_code Ignored;
  fs::remove_all(Dir_, Ignored);
}

std::string TScratchDir::Write(const fs::path& Rel, std::string_view Bytes) const {
  WriteFile(Dir_ / Rel, Bytes);
  return (Dir_ / Rel).string();
}

std::string TScratchDir::Write(const fs::path& Rel, const TBytes& Bytes) const {
  WriteFile(Dir_ / Rel, Bytes);
  return (Dir_ / Rel).string();
}

TCurrentDir::TCurrentDir(const fs::path& Dir) {
  if (Dir.empty()) return;
  Old_ = fs::current_path();
  fs::current_path(Dir);
}

TCurrentDir::~TCurrentDir() {
  std::error_code Ignored;
  if (!Old_.empty()) fs::current_path(Old_, Ignored);
}

TBytes BitmapFile(int Width, int Height, int Bits, std::uint32_t Compression,
                  const std::vector<std::uint32_t>& Palette, const TBytes& Pixels) {
  TBytes B{'B', 'M'};
  vornu::TGXByteWriter W(B);
  const auto Offset = static_cast<std::uint32_t>(14 + 40 + 4 * Palette.size());
  W.U32(Offset + static_cast<std::uint32_t>(Pixels.size()));
  W.U32(0);
  W.U32(Offset);
  W.U32(40);
  W.I32(Width);
  W.I32(Height);
  W.U16(1);
  W.U16(static_cast<std::uint16_t>(Bits));
  W.U32(Compression);
  W.U32(static_cast<std::uint32_t>(Pixels.size()));
  W.U32(2835);
  W.U32(2835);
  W.U32(static_cast<std::uint32_t>(Palette.size()));
  W.U32(0);
  for (std::uint32_t C : Palette) W.U32(C);
  W.Block(Pixels);
  return B;
}

TBytes Bitmap24(int Width, int Height, const std::function<std::uint32_t(int, int)>& Colour) {
  const int Row = (Width * 3 + 3) / 4 * 4;
  TBytes Px(static_cast<std::size_t>(Row * Height), 0);
  for (int Y = 0; Y < Height; ++Y) {
    for (int X = 0; X < Width; ++X) {
      const std::uint32_t C = Colour(X, Y);
      const std::size_t At = static_cast<std::size_t>((Height - 1 - Y) * Row + X * 3);
      Px[At] = static_cast<std::uint8_t>(C);
      Px[At + 1] = static_cast<std::uint8_t>(C >> 8);
      Px[At + 2] = static_cast<std::uint8_t>(C >> 16);
    }
  }
  return BitmapFile(Width, Height, 24, 0, {}, Px);
}

void WriteBitmap(const fs::path& Path, int Width, int Height,
                 const std::function<std::uint32_t(int, int)>& Colour) {
  WriteFile(Path, Bitmap24(Width, Height, Colour));
}

void WriteBitmap(const fs::path& Path, int Width, int Height, std::uint32_t Rgb) {
  WriteBitmap(Path, Width, Height, [Rgb](int, int) { return Rgb; });
}

}  // namespace support
