// A test with a scratch folder of its own for the files it writes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/Files.h"

namespace support {

class TScratchTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& Name) const { return (dir_ / Name).string(); }
  std::string Write(const fs::path& Name, std::string_view B) const { return dir_.Write(Name, B); }
  std::string Write(const fs::path& Name, const TBytes& B) const { return dir_.Write(Name, B); }
  TScratchDir dir_;
};

}  // namespace support
