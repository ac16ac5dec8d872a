#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/CheckedArray.h"
#include "platform/Text1252.h"

namespace vornu {
namespace {

TEST(Text1252, FinnishLettersAndSectionSignRoundTrip) {
  const std::string w = Utf8To1252("Käytä Åö §€");
  EXPECT_EQ(w, std::string("K\xE4yt\xE4 \xC5\xF6 \xA7\x80"));
  EXPECT_EQ(Cp1252ToUtf8(w), "Käytä Åö §€");
}

TEST(Text1252, RefusesWhatItCannotWrite) {
  EXPECT_THROW(Utf8To1252("\xE2\x98\x83"), std::invalid_argument);  // a snowman
  EXPECT_THROW(Utf8To1252("\xC3"), std::invalid_argument);            // cut short
  EXPECT_THROW(Utf8To1252("\xFF"), std::invalid_argument);
}

TEST(CheckedArray, OneBasedAndChecked) {
  CheckedArray<int, 1, 13> a;
  a[1] = 5;
  a[13] = 7;
  EXPECT_EQ(a[1], 5);
  EXPECT_EQ(a[13], 7);
  EXPECT_THROW(a[0], std::out_of_range);
  EXPECT_THROW(a[14], std::out_of_range);
  CheckedArray<CheckedArray<unsigned char, 1, 100>, 1, 20> flags;
  flags[20][100] = 1;
  EXPECT_EQ(flags[20][100], 1);
  EXPECT_THROW(flags[21][1], std::out_of_range);
}

}  // namespace
}  // namespace vornu
