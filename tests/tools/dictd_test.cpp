#include "lexicon/dictd.h"

#include <gtest/gtest.h>

#include <string>

namespace pnt::lexicon {
namespace {

TEST(DictdNumber, DecodesBase64DigitsMostSignificantFirst) {
  EXPECT_EQ(decode_dictd_number("A"), 0u);
  EXPECT_EQ(decode_dictd_number("b"), 27u);
  EXPECT_EQ(decode_dictd_number("BA"), 64u);
  EXPECT_EQ(decode_dictd_number("/"), 63u);
  EXPECT_FALSE(decode_dictd_number(""));
  EXPECT_FALSE(decode_dictd_number("A-"));
}

TEST(DictdIndex, SkipsDatabaseKeysAndRejectsBrokenLines) {
  auto index = parse_index("00databaseinfo\tc\tRA\naasia\tB\tC\n");
  ASSERT_TRUE(index);
  ASSERT_EQ(index->size(), 1u);
  EXPECT_EQ((*index)[0].key, "aasia");
  EXPECT_EQ((*index)[0].offset, 1u);
  EXPECT_EQ((*index)[0].length, 2u);
  EXPECT_FALSE(parse_index("talo\tA\n"));
  EXPECT_FALSE(parse_index("talo\tA\t?\n"));
}

TEST(DictdEntry, TakesHeadwordPosAndSensePairs) {
  auto e = parse_entry("house //haʊs// //hʌʊs// <n>\n1. huone\nastrology\n2. talo\n");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->headword, "house");
  EXPECT_EQ(e->pos_tag, "n");
  ASSERT_EQ(e->senses.size(), 2u);
  EXPECT_EQ(e->senses[0].translation, "1. huone");
  EXPECT_EQ(e->senses[0].definition, "astrology");
  EXPECT_EQ(e->senses[1].translation, "2. talo");
  EXPECT_EQ(e->senses[1].definition, "");

  auto untagged = parse_entry("IP-osoite /ˈiːpˌeː ˈosoite/\nIP address\n");
  ASSERT_TRUE(untagged);
  EXPECT_EQ(untagged->headword, "IP-osoite");
  EXPECT_EQ(untagged->pos_tag, "");
  EXPECT_FALSE(parse_entry("\n\n"));
}

// dictd base64 of a number, for building index lines.
std::string number(std::size_t n) {
  static const char* DIGITS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  do {
    out.insert(out.begin(), DIGITS[n % 64]);
    n /= 64;
  } while (n > 0);
  return out;
}

TEST(DictdDictionary, HeadwordsComeFromTheEntryNotTheNormalisedKey) {
  std::string first = "Aasia /ˈaːsia/ <pn>\nAsia\nmaanosa\n";
  std::string second = "aasia /ˈaːsia/ <n>\nAsian\nkieli\n";
  std::string dict = first + second;
  // Both entries have the normalised key "aasia"; an offset listed twice is read once.
  std::string index = "aasia\tA\t" + number(first.size()) + "\n" +
                      "aasia\t" + number(first.size()) + "\t" + number(second.size()) + "\n" +
                      "aasia\tA\t" + number(first.size()) + "\n";
  auto entries = parse_dictionary(index, dict);
  ASSERT_TRUE(entries) << entries.error().message();
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].headword, "Aasia");
  EXPECT_EQ((*entries)[0].pos_tag, "pn");
  EXPECT_EQ((*entries)[1].headword, "aasia");
  EXPECT_EQ((*entries)[1].senses[0].translation, "Asian");
  EXPECT_FALSE(parse_dictionary("x\tA\tz\n", "short"));
}

}  // namespace
}  // namespace pnt::lexicon
