#include "lexicon/frequency.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/frequency.h"
#include "tests/support/fixture.h"

namespace pnt::lexicon {
namespace {

TEST(CountHeadwords, EachTokenCountsOnceForEveryHeadwordOfItsForm) {
  testing::FixtureTable table;
  for (const char* word : {"olla", "on", "talo", "taloissa"}) {
    table.headwords.push_back({word, {{"noun", {"x"}}}});
  }
  table.forms = {{"on", {"olla", "on"}},
                 {"olla", {"olla"}},
                 {"talo", {"talo"}},
                 {"taloissa", {"talo", "taloissa", "talo"}}};
  const testing::Fixture fixture = testing::make_fixture(table);
  std::vector<std::uint64_t> counts(4);
  // Capitals are tried lower-cased; HTML markup and unknown words count for nothing.
  count_headwords(html_text("<p>On <b>talo</b>, taloissa on&nbsp;Olla.</p><!-- talo --> kissa"),
                  fixture.dictionary.morphology, counts);
  // EntryIds in byte order: olla, on, talo, taloissa.
  EXPECT_EQ(counts, (std::vector<std::uint64_t>{3, 2, 2, 1}));

  const std::vector<std::uint8_t> blob = write_frequencies(counts);
  const auto parsed = FrequencyTable::parse(blob);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->rank(2), frequency_rank(2));
  EXPECT_GT(parsed->rank(0), parsed->rank(3));
  EXPECT_EQ(parsed->rank(4), 0);
  for (const std::size_t cut : {0UL, 11UL, blob.size() - 1}) {
    EXPECT_FALSE(FrequencyTable::parse(Bytes(blob).first(cut)).has_value()) << cut;
  }
}

}  // namespace
}  // namespace pnt::lexicon
