// Whole files read with a limit and replaced whole: what every reader and writer relies on.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/FileAccess.h"
#include "tests/support/ScratchTest.h"

namespace fs = std::filesystem;
using testing::HasSubstr;
using vornu::EFileAccess;

namespace {

class FileAccess : public support::TScratchTest {
 protected:
  static std::string Contents(const fs::path& Path) { return support::ReadFile(Path); }
  // The fault and message of reading Path with the limit; empty message when it was read.
  static std::pair<EFileAccess::TFault, std::string> Refusal(const std::string& Path,
                                                             std::size_t Limit) {
    try {
      vornu::ReadFileText(Path, Limit);
    } catch (const EFileAccess& E) {
      return {E.Fault(), E.what()};
    }
    return {EFileAccess::TFault::Read, ""};
  }
  const fs::path& Dir = dir_.Path();
};

TEST_F(FileAccess, ReadsUpToItsLimitAndRefusesTheRestNamingTheFile) {
  const std::string Ten = Write("ten", "0123456789");
  EXPECT_EQ(vornu::ReadFileText(Ten, 10), "0123456789");
  EXPECT_EQ(vornu::ReadFileBytes(Ten, 10).size(), 10u);

  auto [Fault, Message] = Refusal(Ten, 9);
  EXPECT_EQ(Fault, EFileAccess::TFault::TooLarge);
  EXPECT_THAT(Message, HasSubstr(Ten + ": 10 bytes, too large"));

  std::tie(Fault, Message) = Refusal((Dir / "gone").string(), 100);
  EXPECT_EQ(Fault, EFileAccess::TFault::Missing);
  EXPECT_THAT(Message, HasSubstr((Dir / "gone").string() + ": cannot open"));

  std::tie(Fault, Message) = Refusal(Dir.string(), 100);
  EXPECT_EQ(Fault, EFileAccess::TFault::Open);
  EXPECT_THAT(Message, HasSubstr(Dir.string() + ": is a directory"));

  // A stream has no size to look at first: it is cut off once it passes the limit.
  const std::string Pipe = (Dir / "pipe").string();
  ASSERT_EQ(::mkfifo(Pipe.c_str(), 0600), 0);
  std::thread Writer([&] {
    const int Fd = ::open(Pipe.c_str(), O_WRONLY);
    if (Fd >= 0) {
      EXPECT_EQ(::write(Fd, "0123456789", 10), 10);
      ::close(Fd);
    }
  });
  std::tie(Fault, Message) = Refusal(Pipe, 9);
  Writer.join();
  EXPECT_EQ(Fault, EFileAccess::TFault::TooLarge);
  EXPECT_THAT(Message, HasSubstr(Pipe + ": more than 9 bytes"));
}

TEST_F(FileAccess, ReplacesWholeOrNotAtAllAndSweepsOnlyItsOwnOldLeftovers) {
  const fs::path Target = Dir / "lib.il";
  vornu::ReplaceFile(Target.string(), std::string_view("first"));
  vornu::ReplaceFile(Target.string(), std::string_view("second, longer"));
  EXPECT_EQ(Contents(Target), "second, longer");
  EXPECT_EQ(fs::status(Target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);

  // A folder that is not there: the error names the file, and nothing appears.
  const fs::path Lost = Dir / "no" / "lib.il";
  try {
    vornu::ReplaceFile(Lost.string(), std::string_view("x"));
    ADD_FAILURE() << "replaced a file in a missing folder";
  } catch (const EFileAccess& E) {
    EXPECT_EQ(E.Fault(), EFileAccess::TFault::Write);
    EXPECT_THAT(E.what(), HasSubstr(Lost.string() + ": "));
  }
  EXPECT_FALSE(fs::exists(Dir / "no"));

  // Leftovers of killed replacements of this file go once they are old; a young one may still
  // be written, and files of other names or forms are not ours.
  const auto LongAgo = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  for (const char* Name : {"lib.il.Ab12Cd", "lib.il.Young1", "lib.il.tmp", "lib.ml.Ab12Cd"}) {
    Write(Name, "left");
    if (std::string(Name) != "lib.il.Young1") fs::last_write_time(Dir / Name, LongAgo);
  }
  vornu::ReplaceFile(Target.string(), std::string_view("third"));
  EXPECT_EQ(Contents(Target), "third");
  EXPECT_FALSE(fs::exists(Dir / "lib.il.Ab12Cd"));
  EXPECT_TRUE(fs::exists(Dir / "lib.il.Young1"));
  EXPECT_TRUE(fs::exists(Dir / "lib.il.tmp"));
  EXPECT_TRUE(fs::exists(Dir / "lib.ml.Ab12Cd"));
}

}  // namespace
