#include "engine/GXLibStream.h"

#include "platform/FileAccess.h"

namespace vornu {

void TGXByteReader::Need(std::uint64_t n, const std::string& what) const {
  if (n > Remaining()) {
    throw EGXLibrary("Stream read error: " + what + " needs " + std::to_string(n) +
                     " bytes at offset " + std::to_string(pos_) + ", only " +
                     std::to_string(Remaining()) + " remain");
  }
}

std::uint32_t TGXByteReader::U32(const std::string& what) {
  Need(4, what);
  const std::uint8_t* p = data_.data() + pos_;
  pos_ += 4;
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t TGXByteReader::I32(const std::string& what) {
  return static_cast<std::int32_t>(U32(what));
}

std::uint16_t TGXByteReader::U16(const std::string& what) {
  Need(2, what);
  const std::uint8_t* p = data_.data() + pos_;
  pos_ += 2;
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::span<const std::uint8_t> TGXByteReader::Block(std::size_t n, const std::string& what) {
  Need(n, what);
  auto b = data_.subspan(pos_, n);
  pos_ += n;
  return b;
}

void TGXByteWriter::U16(std::uint16_t v) {
  out_.push_back(static_cast<std::uint8_t>(v));
  out_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void TGXByteWriter::U32(std::uint32_t v) {
  for (int s = 0; s < 32; s += 8) out_.push_back(static_cast<std::uint8_t>(v >> s));
}

bool MagicMatches(std::span<const std::uint8_t> data, const char (&magic)[5]) {
  if (data.size() < 4) return false;
  for (int i = 0; i < 4; ++i) {
    auto lower = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(data[i]) != lower(static_cast<unsigned char>(magic[i]))) return false;
  }
  return true;
}

std::vector<std::uint8_t> ReadLibraryFile(const std::string& path) {
  try {
    return ReadFileBytes(path, kMaxLibraryFileBytes);
  } catch (const EFileAccess& e) {
    throw EGXLibrary(e.what());
  }
}

void WriteLibraryFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  try {
    ReplaceFile(path, bytes);
  } catch (const EFileAccess& e) {
    throw EGXLibrary(e.what());
  }
}

}  // namespace vornu
