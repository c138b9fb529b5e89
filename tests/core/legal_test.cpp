#include "core/legal.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.h"

namespace pnt {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::string_view> source_lines(std::string_view body) {
  std::vector<std::string_view> lines;
  while (!body.empty()) {
    const std::size_t end = body.find('\n');
    lines.push_back(body.substr(0, end));
    body = end == std::string_view::npos ? std::string_view{} : body.substr(end + 1);
  }
  return lines;
}

TEST(WrapDocument, WidthOnePutsEveryCharacterOnItsOwnLine) {
  const Lines expected{"a", "b", "c", "", "d", "e"};
  EXPECT_EQ(wrap_document("ab c\n\n  de\n", 1), expected);
  EXPECT_EQ(wrap_document("ab c\n\n  de\n", 0), expected);
}

TEST(WrapDocument, IndentIsKeptOnContinuationsWhenThereIsRoom) {
  const std::string text = "    one two three four five six seven eight nine ten eleven\n";
  const Lines at40 = wrap_document(text, 40);
  EXPECT_EQ(at40, (Lines{"    one two three four five six seven", "    eight nine ten eleven"}));
  const Lines at5 = wrap_document(text, 5);
  EXPECT_EQ(at5.front(), "one");
  EXPECT_EQ(at5[3], "four");
  EXPECT_EQ(at5[at5.size() - 2], "eleve");
  EXPECT_EQ(at5.back(), "n");
  // A line of spaces only is blank, whatever its indent.
  EXPECT_EQ(wrap_document("   \n", 40), (Lines{""}));
}

TEST(WrapDocument, LongWordsAreCutIntoPieces) {
  const std::string word(30, 'x');
  EXPECT_EQ(wrap_document(word + " yy zzzz", 12),
            (Lines{std::string(12, 'x'), std::string(12, 'x'), "xxxxxx yy", "zzzz"}));
  // An underline longer than the width, under a kept indent of 2.
  EXPECT_EQ(wrap_document("  ==========\n", 5), (Lines{"  ===", "  ===", "  ===", "  ="}));
  EXPECT_EQ(wrap_document("short\n" + std::string(10, '='), 4),
            (Lines{"shor", "t", "====", "====", "=="}));
}

TEST(WrapDocument, WhitespaceAndLineEnds) {
  EXPECT_EQ(wrap_document("  a  b \t c  \n", 40), (Lines{"  a b c"}));
  EXPECT_EQ(wrap_document("a\r\nb\n\nc", 40), (Lines{"a", "b", "", "c"}));
  EXPECT_EQ(wrap_document("a\n\n", 40), (Lines{"a", ""}));
  EXPECT_EQ(wrap_document("", 40), Lines{});
  EXPECT_EQ(wrap_document("a\u00a0b", 40), (Lines{"a b"}));  // a no-break space splits too
}

TEST(WrapDocument, WidthsCountCharactersNotBytes) {
  EXPECT_EQ(wrap_document("äää ööö", 7), (Lines{"äää ööö"}));
  EXPECT_EQ(wrap_document("äää ööö", 6), (Lines{"äää", "ööö"}));
  EXPECT_EQ(wrap_document("ääääää", 4), (Lines{"ääää", "ää"}));
}

TEST(Documents, LabelsAndTitles) {
  EXPECT_EQ(DOCUMENTS[0].label, "License");
  EXPECT_EQ(DOCUMENTS[0].title, "Pohjantuulikko License Agreement");
  EXPECT_EQ(DOCUMENTS[1].label, "Privacy");
  EXPECT_EQ(DOCUMENTS[1].title, "Privacy Policy");
  EXPECT_EQ(DOCUMENTS[2].label, "Sources");
  EXPECT_EQ(DOCUMENTS[2].title, "Attribution and Data Sources");
  EXPECT_EQ(DOCUMENTS[3].label, "Verify");
  EXPECT_EQ(DOCUMENTS[3].title, "Verifying Your Download");
}

TEST(Documents, EveryBodyHasTheDocumentShape) {
  for (const Document& doc : DOCUMENTS) {
    SCOPED_TRACE(doc.label);
    const std::string_view body = doc.body;
    EXPECT_TRUE(is_utf8(body));
    EXPECT_EQ(body.find('\t'), std::string_view::npos);
    EXPECT_EQ(body.find('\r'), std::string_view::npos);
    ASSERT_TRUE(body.ends_with('\n'));
    EXPECT_FALSE(body.ends_with("\n\n"));

    const auto lines = source_lines(body);
    ASSERT_GE(lines.size(), 4U);
    EXPECT_EQ(lines[0], doc.title);
    EXPECT_EQ(lines[1], std::string(char_count(doc.title), '='));
    EXPECT_EQ(lines[2], "");
    for (std::string_view line : lines) {
      EXPECT_LE(char_count(line), 80U) << line;
      EXPECT_FALSE(line.ends_with(' ')) << line;
    }
    for (std::size_t width : {1, 7, 24, 60}) {
      for (const std::string& line : wrap_document(body, width)) {
        EXPECT_LE(char_count(line), width) << line;
      }
    }
  }
}

}  // namespace
}  // namespace pnt
