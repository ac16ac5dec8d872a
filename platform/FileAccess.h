// Whole files read and replaced: the one place the game, the engine and the tools touch a file's
// bytes, so every refusal names the file and no writer leaves half a file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Classes.h"

namespace vornu {

// A file that could not be read or replaced; what() is "<file>: <what went wrong>".
class EFileAccess : public EInOutError {
 public:
  enum class TFault {
    Missing,   // no such file (or folder on its way)
    Open,      // there, but cannot be opened (permissions, a folder, ...)
    TooLarge,  // more bytes than the reader accepts
    Read,      // the system failed while reading
    Write      // creating, writing, flushing or renaming the new file failed
  };
  EFileAccess(TFault Fault, const std::string& Path, const std::string& What);
  TFault Fault() const { return Fault_; }
  const std::string& Path() const { return Path_; }

 private:
  TFault Fault_;
  std::string Path_;
};

// The whole file. A file of more than MaxBytes is refused (TooLarge) without being read, as
// is a stream that goes on past it; every failure throws EFileAccess naming the file.
std::string ReadFileText(const std::string& Path, std::size_t MaxBytes);
std::vector<std::uint8_t> ReadFileBytes(const std::string& Path, std::size_t MaxBytes);

// Replaces the file with Bytes whole or not at all: they go to a new file beside it, reach the
// disk, and only then take its name, so a failure, a power cut or a kill leaves the old file
// as it was. Leftovers of replacements killed more than a minute ago are removed. Failures
// throw EFileAccess (Write) naming the file.
void ReplaceFile(const std::string& Path, std::span<const std::uint8_t> Bytes);
void ReplaceFile(const std::string& Path, std::string_view Bytes);

}  // namespace vornu
