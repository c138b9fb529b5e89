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

TEST(DictdEntry, ATranslationWithoutDefinitionDoesNotShiftThePairs) {
  // From eng-fin "lunar": senses 1 and 4 have no definition line. Pairing blindly made
  // "of, pertaining to, or resembling the Moon" a translation, i.e. Finnish headwords.
  auto e = parse_entry(
      "lunar //\xCB\x88lu\xCB\x90n\xC9\x99// <adj>\n"
      "1. kuunsirpin muotoinen\n"
      "2. lunaarinen\n"
      "(believed to be) influenced by the Moon\n"
      "3. hopea-, kuu-\n"
      "of or pertaining to silver\n"
      "4. kuu-\n"
      "5. kuu-, lunaarinen\n"
      "of, pertaining to, or resembling the Moon\n");
  ASSERT_TRUE(e);
  ASSERT_EQ(e->senses.size(), 5u);
  EXPECT_EQ(e->senses[0].translation, "1. kuunsirpin muotoinen");
  EXPECT_EQ(e->senses[0].definition, "");
  EXPECT_EQ(e->senses[1].translation, "2. lunaarinen");
  EXPECT_EQ(e->senses[1].definition, "(believed to be) influenced by the Moon");
  EXPECT_EQ(e->senses[2].definition, "of or pertaining to silver");
  EXPECT_EQ(e->senses[3].translation, "4. kuu-");
  EXPECT_EQ(e->senses[3].definition, "");
  EXPECT_EQ(e->senses[4].translation, "5. kuu-, lunaarinen");
  EXPECT_EQ(e->senses[4].definition, "of, pertaining to, or resembling the Moon");

  // A lone " 3." repeats the translation; a definition may start with a number that is
  // not the next sense number (fin-eng "joulupäivä").
  auto lunacy = parse_entry("lunacy <n>\nhulluus 2.\nstate of being mad\n 3.\nfolly\n");
  ASSERT_TRUE(lunacy);
  ASSERT_EQ(lunacy->senses.size(), 2u);
  EXPECT_EQ(lunacy->senses[1].translation, " 3.");
  EXPECT_EQ(lunacy->senses[1].definition, "folly");
  auto day = parse_entry("joulupäivä <n>\nChristmas Day\n25. joulukuuta, juhlapäivä\n");
  ASSERT_TRUE(day);
  ASSERT_EQ(day->senses.size(), 1u);
  EXPECT_EQ(day->senses[0].definition, "25. joulukuuta, juhlapäivä");
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
  std::string index = "aasia\tA\t" + number(first.size()) + "\n" + "aasia\t" +
                      number(first.size()) + "\t" + number(second.size()) + "\n" + "aasia\tA\t" +
                      number(first.size()) + "\n";
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
