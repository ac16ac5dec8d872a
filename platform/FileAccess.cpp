#include "platform/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vornu {

namespace {

std::string SystemError(int Errno) {
  return std::strerror(Errno);
}

[[noreturn]] void Fail(EFileAccess::TFault Fault, const std::string& Path,
                       const std::string& What) {
  throw EFileAccess(Fault, Path, What);
}

// Closes the descriptor when the scope ends, however it ends.
class TDescriptor {
 public:
  explicit TDescriptor(int Fd) : Fd_(Fd) {}
  ~TDescriptor() {
    if (Fd_ >= 0) ::close(Fd_);
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Get() const { return Fd_; }
  // Closes now; returns the errno of a failed close, 0 when it succeeded.
  int Close() {
    const int Result = ::close(Fd_);
    Fd_ = -1;
    return Result == 0 ? 0 : errno;
  }

 private:
  int Fd_;
};

template <typename Buffer>
Buffer ReadWhole(const std::string& Path, std::size_t MaxBytes) {
  TDescriptor Fd(::open(Path.c_str(), O_RDONLY | O_CLOEXEC));
  if (Fd.Get() < 0) {
    const int E = errno;
    Fail(E == ENOENT || E == ENOTDIR ? EFileAccess::TFault::Missing : EFileAccess::TFault::Open,
         Path, "cannot open (" + SystemError(E) + ")");
  }
  struct stat Info {};
  if (::fstat(Fd.Get(), &Info) != 0) {
    Fail(EFileAccess::TFault::Read, Path, "read error (" + SystemError(errno) + ")");
  }
  if (S_ISDIR(Info.st_mode)) Fail(EFileAccess::TFault::Open, Path, "is a directory, not a file");
  Buffer Bytes;
  if (S_ISREG(Info.st_mode)) {
    const auto Size = static_cast<std::uintmax_t>(Info.st_size);
    if (Size > MaxBytes) {
      Fail(EFileAccess::TFault::TooLarge, Path,
           std::to_string(Size) + " bytes, too large (more than " + std::to_string(MaxBytes) + ")");
    }
    Bytes.reserve(static_cast<std::size_t>(Size));
  }
  // Read to the end rather than trust the size: the file may be a pipe, or change meanwhile.
  char Piece[65536];
  for (;;) {
    const ssize_t N = ::read(Fd.Get(), Piece, sizeof Piece);
    if (N < 0) {
      if (errno == EINTR) continue;
      Fail(EFileAccess::TFault::Read, Path, "read error (" + SystemError(errno) + ")");
    }
    if (N == 0) break;
    if (static_cast<std::size_t>(N) > MaxBytes - Bytes.size()) {
      Fail(EFileAccess::TFault::TooLarge, Path,
           "more than " + std::to_string(MaxBytes) + " bytes, too large");
    }
    Bytes.insert(Bytes.end(), Piece, Piece + N);
  }
  return Bytes;
}

// Writes all of Data to the descriptor, however the system splits the writes; returns the
// errno of a failure, 0 when all went.
int WriteAll(int Fd, std::span<const std::uint8_t> Data) {
  std::size_t Done = 0;
  while (Done < Data.size()) {
    const ssize_t N = ::write(Fd, Data.data() + Done, Data.size() - Done);
    if (N < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    Done += static_cast<std::size_t>(N);
  }
  return 0;
}

// Removes the new files of replacements that a power cut or a kill stopped halfway: those of
// this file's name that are old enough that no writer can still be busy with them.
void RemoveStaleNewFiles(const std::filesystem::path& Target) {
  namespace fs = std::filesystem;
  const std::string Prefix = Target.filename().string() + ".";
  const fs::path Folder = Target.has_parent_path() ? Target.parent_path() : fs::path(".");
  const auto Before = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  std::error_code E;
  for (fs::directory_iterator It(Folder, E), End; !E && It != End; It.increment(E)) {
    const std::string Name = It->path().filename().string();
    // mkstemp's six characters, nothing else: other files of similar names are not ours.
    if (Name.size() != Prefix.size() + 6 || Name.compare(0, Prefix.size(), Prefix) != 0) continue;
    std::error_code Ignored;
    if (It->is_regular_file(Ignored) && !It->is_symlink(Ignored) &&
        fs::last_write_time(It->path(), Ignored) < Before) {
      fs::remove(It->path(), Ignored);
    }
  }
}

}  // namespace

EFileAccess::EFileAccess(TFault Fault, const std::string& Path, const std::string& What)
    : EInOutError(Path + ": " + What), Fault_(Fault), Path_(Path) {}

std::string ReadFileText(const std::string& Path, std::size_t MaxBytes) {
  return ReadWhole<std::string>(Path, MaxBytes);
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& Path, std::size_t MaxBytes) {
  return ReadWhole<std::vector<std::uint8_t>>(Path, MaxBytes);
}

void ReplaceFile(const std::string& Path, std::span<const std::uint8_t> Bytes) {
  const auto Write = EFileAccess::TFault::Write;
  std::string Temp = Path + ".XXXXXX";
  TDescriptor Fd(::mkstemp(Temp.data()));
  if (Fd.Get() < 0)
    Fail(Write, Path, "cannot create a new file beside it (" + SystemError(errno) + ")");
  try {
    // mkstemp makes the file private; the file it replaces was readable by all.
    ::fchmod(Fd.Get(), 0644);
    if (const int E = WriteAll(Fd.Get(), Bytes))
      Fail(Write, Path, "cannot write (" + SystemError(E) + ")");
    if (::fsync(Fd.Get()) != 0)
      Fail(Write, Path, "cannot flush to disk (" + SystemError(errno) + ")");
    if (const int E = Fd.Close()) Fail(Write, Path, "cannot close (" + SystemError(E) + ")");
    if (std::rename(Temp.c_str(), Path.c_str()) != 0) {
      Fail(Write, Path, "cannot replace (" + SystemError(errno) + ")");
    }
  } catch (...) {
    ::unlink(Temp.c_str());
    throw;
  }
  // The new name itself reaches the disk too (best effort: the file is already whole).
  const std::filesystem::path Target(Path);
  const std::string Folder = Target.has_parent_path() ? Target.parent_path().string() : ".";
  const int Dir = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (Dir >= 0) {
    ::fsync(Dir);
    ::close(Dir);
  }
  RemoveStaleNewFiles(Target);
}

void ReplaceFile(const std::string& Path, std::string_view Bytes) {
  ReplaceFile(Path, std::span<const std::uint8_t>(
                        reinterpret_cast<const std::uint8_t*>(Bytes.data()), Bytes.size()));
}

}  // namespace vornu
