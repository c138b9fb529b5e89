#include "base/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace pnt {
namespace {

std::string fault_text(std::string_view bytes) {
  auto r = check_utf8(as_bytes(bytes));
  return r ? "ok" : r.error().message();
}

TEST(Utf8Validation, AcceptsWellFormedText) {
  EXPECT_EQ(fault_text(""), "ok");
  EXPECT_EQ(fault_text("talo \xC3\xA4iti \xE2\x86\x92 \xF0\x9F\x98\x80"), "ok");
  EXPECT_EQ(fault_text("\xF4\x8F\xBF\xBF"), "ok");  // U+10FFFF
  EXPECT_EQ(fault_text("\xED\x9F\xBF"), "ok");      // U+D7FF, just below the surrogates
}

TEST(Utf8Validation, ReportsTheLengthOfTheInvalidSequenceAndTheValidPrefix) {
  struct Case {
    std::string_view bytes;
    std::string_view expected;
  };
  const Case cases[] = {
      {"abc\xFF", "invalid utf-8 sequence of 1 bytes from index 3"},
      {"\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xC0\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // overlong NUL
      {"\xC1\xBF", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"\xE0\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},      // overlong
      {"\xED\xA0\x80", "invalid utf-8 sequence of 1 bytes from index 0"},      // surrogate
      {"\xF4\x90\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},  // > U+10FFFF
      {"\xF5\x80\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"ab\xE2\x86x", "invalid utf-8 sequence of 2 bytes from index 2"},
      {"\xF0\x9F\x98x", "invalid utf-8 sequence of 3 bytes from index 0"},
      {"\xC3x", "invalid utf-8 sequence of 1 bytes from index 0"},
      {"ok\xC3", "incomplete utf-8 byte sequence from index 2"},
      {"\xE2\x86", "incomplete utf-8 byte sequence from index 0"},
      {"\xC3\xA4\xF0\x9F\x98", "incomplete utf-8 byte sequence from index 2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fault_text(c.bytes), c.expected) << testing::PrintToString(std::string(c.bytes));
  }
}

TEST(Utf8Helpers, CountDecodeAndEncodeAgree) {
  const std::string text = "k\xC3\xA4\xE2\x86\x92\xF0\x9F\x98\x80";
  EXPECT_EQ(char_count(text), 4U);
  EXPECT_EQ(prefix_bytes(text, 2), 3U);
  EXPECT_EQ(prefix_bytes(text, 10), text.size());
  EXPECT_EQ(last_char_bytes(text), 4U);
  EXPECT_EQ(last_char_bytes("a"), 1U);
  EXPECT_EQ(last_char_bytes(""), 0U);
  std::string round_trip;
  for (std::size_t pos = 0; pos < text.size();) {
    append_utf8(round_trip, decode_utf8(text, pos));
  }
  EXPECT_EQ(round_trip, text);
}

TEST(Utf8Helpers, DecodingBrokenBytesAlwaysAdvances) {
  const std::string broken = "\xE2\x86";
  std::size_t pos = 0;
  EXPECT_EQ(decode_utf8(broken, pos), U'\uFFFD');
  EXPECT_EQ(pos, 1U);
}

}  // namespace
}  // namespace pnt
