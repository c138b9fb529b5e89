// The escaped key text and the pnt-fst tool that reads and writes it.
#include "fstmap/escape.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pnt::fst {
namespace {

using Key = std::vector<std::uint8_t>;

TEST(KeyEscape, EveryByteRoundTrips) {
  Key all;
  for (int b = 0; b < 256; ++b) {
    all.push_back(static_cast<std::uint8_t>(b));
  }
  const std::string text = escape_key(all);
  for (const char c : text) {
    EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << static_cast<int>(c);
  }
  Key back;
  ASSERT_TRUE(unescape_key(text, back).has_value());
  EXPECT_EQ(back, all);

  EXPECT_EQ(escape_key(as_bytes("a\\b\t\n ~")), "a\\x5cb\\x09\\x0a ~");
  EXPECT_EQ(escape_key(as_bytes("\x7f\x80\xff")), "\\x7f\\x80\\xff");
}

TEST(KeyEscape, RejectsMalformedEscapes) {
  Key out;
  for (const char* bad : {"\\", "\\x", "\\x4", "\\y41", "\\xg0", "a\\x0"}) {
    EXPECT_FALSE(unescape_key(bad, out).has_value()) << bad;
  }
  ASSERT_TRUE(unescape_key("", out).has_value());
  EXPECT_TRUE(out.empty());
}

TEST(KeyEscape, ParsesValuesUpToTheLargest) {
  EXPECT_EQ(parse_value("0"), 0U);
  EXPECT_EQ(parse_value("18446744073709551615"), ~std::uint64_t{0});
  for (const char* bad : {"", "18446744073709551616", "-1", "+1", "1 ", "1,000", "0x10"}) {
    EXPECT_FALSE(parse_value(bad).has_value()) << bad;
  }
}

#ifdef PNT_FST_TOOL
std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int run(const std::string& args) {
  const std::string command = std::string("\"") + PNT_FST_TOOL + "\" " + args;
  return std::system(command.c_str());
}

// Every single-byte key, and a key made of all bytes, survive build and dump unchanged.
TEST(FstTool, BuildAndDumpRoundTripEveryByte) {
  const std::string dir = ::testing::TempDir();
  const std::string tsv = dir + "pnt_fst_tool_test.tsv";
  const std::string fst = dir + "pnt_fst_tool_test.fst";
  const std::string dumped = dir + "pnt_fst_tool_test.out";
  std::string text = "\t7\n";
  for (int b = 0; b < 256; ++b) {
    text += escape_key(Key{static_cast<std::uint8_t>(b)}) + "\t" + std::to_string(b) + "\n";
    if (b == 0) {
      Key all;
      for (int c = 0; c < 256; ++c) {
        all.push_back(static_cast<std::uint8_t>(c));
      }
      text += escape_key(all) + "\t18446744073709551615\n";
    }
  }
  std::ofstream(tsv, std::ios::binary) << text;

  ASSERT_EQ(run("build " + fst + " < " + tsv), 0);
  ASSERT_EQ(run("dump " + fst + " > " + dumped), 0);
  EXPECT_EQ(read_text(dumped), text);
  ASSERT_EQ(run("get " + fst + " '\\x5c' > " + dumped), 0);
  EXPECT_EQ(read_text(dumped), "92\n");
  ASSERT_EQ(run("prefix " + fst + " '\\x00' > " + dumped), 0);
  EXPECT_EQ(read_text(dumped), text.substr(3, text.find("\n\\x01\t") + 1 - 3));
  ASSERT_EQ(run("verify " + fst + " > " + dumped), 0);

  EXPECT_NE(run("get " + fst + " zz 2> " + dumped), 0);
  EXPECT_EQ(read_text(dumped), "pnt-fst: key not found: zz\n");
  std::ofstream(tsv, std::ios::binary) << "b\t1\na\t2\n";
  EXPECT_NE(run("build " + fst + " < " + tsv + " 2> " + dumped), 0);
  EXPECT_EQ(read_text(dumped), "pnt-fst: line 2: out of order key\n");
  std::remove(tsv.c_str());
  std::remove(fst.c_str());
  std::remove(dumped.c_str());
}
#endif

}  // namespace
}  // namespace pnt::fst
