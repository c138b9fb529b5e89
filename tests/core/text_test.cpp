#include "core/text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.h"

namespace pnt {
namespace {

TEST(SplitSpans, SplitsAtEveryWhiteSpaceCharacterWithByteSpans) {
  const char32_t white[] = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,   0xA0,  0x1680,
                            0x2000, 0x2005, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
  for (const char32_t c : white) {
    EXPECT_TRUE(is_white_space(c)) << std::hex << static_cast<unsigned>(c);
    std::string text = "ä";
    append_utf8(text, c);
    text += "b";
    const std::vector<Token> tokens = split_spans(text);
    ASSERT_EQ(tokens.size(), 2U) << std::hex << static_cast<unsigned>(c);
    EXPECT_EQ(tokens[0].text, "ä");
    EXPECT_EQ(tokens[1].start, text.size() - 1);
    EXPECT_EQ(tokens[1].end, text.size());
  }
  // Zero-width space, the Mongolian vowel separator, the next-line's neighbours and the
  // word joiner look like separators but are not White_Space.
  for (const char32_t c : {0x08U, 0x0EU, 0x1FU, 0x84U, 0x180EU, 0x200BU, 0x2060U, 0xFEFFU}) {
    EXPECT_FALSE(is_white_space(c)) << std::hex << static_cast<unsigned>(c);
    std::string text = "a";
    append_utf8(text, c);
    text += "b";
    EXPECT_EQ(split_spans(text).size(), 1U);
  }
}

TEST(SplitSpans, RunsOfWhiteSpaceAndEmptyText) {
  EXPECT_TRUE(split_spans("").empty());
  EXPECT_TRUE(split_spans(" \t\n ").empty());
  const std::vector<Token> tokens = split_spans("  talo \u00A0 (house)  ");
  ASSERT_EQ(tokens.size(), 2U);
  EXPECT_EQ(tokens[0].start, 2U);
  EXPECT_EQ(tokens[0].end, 6U);
  EXPECT_EQ(tokens[0].text, "talo");
  EXPECT_EQ(tokens[1].start, 10U);
  EXPECT_EQ(tokens[1].end, 17U);
  EXPECT_EQ(tokens[1].text, "(house)");
}

TEST(ToLower, FullUnicodeMappings) {
  EXPECT_EQ(to_lower("ÄITI Öljy ÅLAND"), "äiti öljy åland");
  EXPECT_EQ(to_lower("ǅ"), "ǆ");
  EXPECT_EQ(to_lower("Ⅻ"), "ⅻ");
  // The capital I with dot above lower-cases to two characters.
  EXPECT_EQ(to_lower("\u0130STANBUL"), "i\u0307stanbul");
  EXPECT_EQ(to_lower("ß 123 ."), "ß 123 .");
}

TEST(ToLower, FinalSigmaDependsOnItsNeighbours) {
  // Σ ends a word after a cased letter (case-ignorable characters between are skipped) when
  // no cased letter follows the same way.
  EXPECT_EQ(to_lower("ΟΔΟΣ"), "οδος");
  EXPECT_EQ(to_lower("ΟΔΟΣ ΟΔΟΣ"), "οδος οδος");
  EXPECT_EQ(to_lower("ΑΣ1"), "ας1");
  EXPECT_EQ(to_lower("ΑΣ'"), "ας'");
  EXPECT_EQ(to_lower("Α\u0301Σ"), "α\u0301ς");
  EXPECT_EQ(to_lower("Σ"), "σ");
  EXPECT_EQ(to_lower("1Σ"), "1σ");
  EXPECT_EQ(to_lower("'Σ"), "'σ");
  EXPECT_EQ(to_lower("ΑΣΑ"), "ασα");
  EXPECT_EQ(to_lower("ΑΣ'Α"), "ασ'α");
}

TEST(WhiteSpacePrefix, CountsBytesOfTheLeadingRun) {
  EXPECT_EQ(white_space_prefix(""), 0U);
  EXPECT_EQ(white_space_prefix("talo "), 0U);
  EXPECT_EQ(white_space_prefix(" \t\u00A0\u3000x y"), 7U);
  EXPECT_EQ(white_space_prefix("\u2028\u2029"), 6U);
  EXPECT_EQ(white_space_prefix("\u200Bx"), 0U);
}

TEST(LowerFirst, LowerCasesOnlyTheFirstCharacter) {
  const struct {
    std::string_view text;
    std::string_view want;
  } rows[] = {
      {"", ""},
      {"Talo", "talo"},
      {"TALO", "tALO"},
      {"talo", "talo"},
      {"Äiti", "äiti"},
      {"ǅEMAL", "ǆEMAL"},
      // The one character that lower-cases into two.
      {"\u0130STANBUL", "i\u0307STANBUL"},
      // A first sigma has no letter before it, so it never takes the final form.
      {"Σ", "σ"},
      {"ΣΑΣ", "σΑΣ"},
      {"1A", "1A"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(lower_first(row.text), row.want) << row.text;
  }
}

}  // namespace
}  // namespace pnt
