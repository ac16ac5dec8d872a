// Little-endian byte reading and writing shared by the media library containers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Classes.h"

namespace vornu {

// Every failure of a media library (bad file, refused data, out of memory, player errors).
class EGXLibrary : public Exception {
 public:
  using Exception::Exception;
};

// Reads fields from a byte block and never past its end: a read that the rest of the
// block cannot satisfy throws EGXLibrary saying what was being read and where.
class TGXByteReader {
 public:
  explicit TGXByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t Offset() const { return pos_; }
  std::size_t Remaining() const { return data_.size() - pos_; }

  // Throws unless `n` more bytes are available; `what` names the field for the message.
  void Need(std::uint64_t n, const std::string& what) const;

  std::int32_t I32(const std::string& what);
  std::uint16_t U16(const std::string& what);
  std::uint32_t U32(const std::string& what);
  // Copies the next N bytes into `out`.
  template <std::size_t N>
  void Bytes(std::array<std::uint8_t, N>& out, const std::string& what) {
    Need(N, what);
    for (std::size_t i = 0; i < N; ++i) out[i] = data_[pos_ + i];
    pos_ += N;
  }
  // The next n bytes as a view into the block.
  std::span<const std::uint8_t> Block(std::size_t n, const std::string& what);

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// Appends little-endian fields to a byte vector.
class TGXByteWriter {
 public:
  explicit TGXByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void U16(std::uint16_t v);
  void U32(std::uint32_t v);
  template <std::size_t N>
  void Bytes(const std::array<std::uint8_t, N>& a) {
    out_.insert(out_.end(), a.begin(), a.end());
  }
  void Block(std::span<const std::uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }

 private:
  std::vector<std::uint8_t>& out_;
};

// Whether the first four bytes equal `magic`, ignoring ASCII case.
bool MagicMatches(std::span<const std::uint8_t> data, const char (&magic)[5]);

// Larger files are refused unread: the libraries the game ships are a few megabytes each.
constexpr std::size_t kMaxLibraryFileBytes = std::size_t{256} << 20;

// The whole file as bytes, for the library containers and the files packed into them;
// throws EGXLibrary naming the file when it cannot be read or is above the limit.
std::vector<std::uint8_t> ReadLibraryFile(const std::string& path);

// Replaces the file with `bytes` whole or not at all; throws EGXLibrary naming the file.
void WriteLibraryFile(const std::string& path, std::span<const std::uint8_t> bytes);

// The file forms shared by the three library containers (anything with Free, ReadFromStream
// and WriteToStream).

// The container's stream as bytes.
template <typename Library>
std::vector<std::uint8_t> LibraryBytes(const Library& lib) {
  std::vector<std::uint8_t> out;
  lib.WriteToStream(out);
  return out;
}

// Empties `lib` and reads it from the file; a refusal names the file and leaves it empty.
template <typename Library>
void LoadLibraryFile(Library& lib, const std::string& path) {
  lib.Free();
  const std::vector<std::uint8_t> bytes = ReadLibraryFile(path);
  try {
    lib.ReadFromStream(bytes);
  } catch (const EGXLibrary& e) {
    throw EGXLibrary(path + ": " + e.what());
  }
}

// Writes `lib` to the file whole or not at all; errors name the file.
template <typename Library>
void SaveLibraryFile(const Library& lib, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  try {
    lib.WriteToStream(bytes);
  } catch (const EGXLibrary& e) {
    throw EGXLibrary(path + ": " + e.what());
  }
  WriteLibraryFile(path, bytes);
}

}  // namespace vornu
