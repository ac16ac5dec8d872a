#include "engine/GXLibStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

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

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw EGXLibrary(path + ": is a directory, not a library file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EGXLibrary(path + ": cannot open: " + std::strerror(errno));
  std::vector<std::uint8_t> bytes;
  char buf[65536];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buf, buf + in.gcount());
  }
  if (in.bad()) throw EGXLibrary(path + ": read error");
  return bytes;
}

void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) throw EGXLibrary(path + ": cannot create: " + std::strerror(errno));
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(tmp.c_str());
      throw EGXLibrary(path + ": write error (disk full?)");
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    std::remove(tmp.c_str());
    throw EGXLibrary(path + ": cannot replace: " + ec.message());
  }
}

}  // namespace vornu
