// The GBK text helpers under the directory rules: a wrong step over a
// two-byte character would append a second separator, or find the product
// folder where it is not.
#include <gtest/gtest.h>

#include "core/text.h"

namespace {

// "淺" is 0xDC 0x5C in GBK: its second byte looks like a backslash.
const std::string kTrail5C = "淺";

TEST(FindText, SearchesWholeCharactersFromTheFirst) {
  ASSERT_EQ(kTrail5C.size(), 2u);
  ASSERT_EQ(static_cast<unsigned char>(kTrail5C[1]), 0x5C);
  struct Case {
    std::string haystack, needle;
    int position;
  } cases[] = {
      {"C:\\Program Files\\Quorin软件", "Quorin软件", 18},
      {"E:\\Quorin软件备份\\x", "Quorin软件", 4},
      {"D:\\Games", "Quorin软件", -1},
      {"", "Quorin软件", -1},
      {"D:\\quorin软件", "Quorin软件", -1},  // case-sensitive
      {"D:\\" + kTrail5C + "x", "\\x", -1},  // 0x5C inside a character is no backslash
      {"D:\\" + kTrail5C + "\\x", "\\x", 6},
      {"Quorin软", "Quorin软件", -1},        // runs past the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(core::findText(c.haystack, c.needle), c.position) << c.haystack;
  }
}

TEST(EndsWithBackslash, LooksAtTheLastWholeCharacter) {
  struct Case {
    std::string text;
    bool expected;
  } cases[] = {
      {"D:\\", true},
      {"D:\\Games", false},
      {"", false},
      {"D:\\" + kTrail5C, false},
      {"D:\\" + kTrail5C + "\\", true},
      {"\\", true},
  };
  for (const Case& c : cases) EXPECT_EQ(core::endsWithBackslash(c.text), c.expected) << c.text;
}

}  // namespace
