#include "core/english.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/dictionary.h"
#include "fstmap/builder.h"
#include "tests/support/fixture.h"
#include "tests/support/report.h"

namespace pnt {
namespace {

using testing::report;
using Words = std::vector<std::string_view>;
using Keys = std::vector<std::pair<std::string, Words>>;

// A damaged English index stops the start-up with its own error chain, and only once every
// Finnish blob has opened.
TEST(EnglishOpen, DamagedIndexStopsTheStartUp) {
  const testing::FixtureBlobs& good = testing::default_blobs();
  const auto open_with = [&](std::vector<std::uint8_t> fst, std::vector<std::uint8_t> multi) {
    DataBlobs blobs = testing::data_blobs(good);
    blobs.english_fst = fst;
    blobs.english_multi = multi;
    return report(open_dictionary(blobs));
  };
  std::vector<std::uint8_t> fst = good.english_fst;
  fst[0] = 4;
  EXPECT_EQ(open_with(fst, good.english_multi), "Error: invalid english.fst: FST error\n");
  EXPECT_EQ(open_with({}, good.english_multi), "Error: invalid english.fst: FST error\n");

  const std::string context = "Error: parsing english-multi.bin\n\nCaused by:\n    ";
  std::vector<std::uint8_t> multi = good.english_multi;
  multi[0] = 'X';
  EXPECT_EQ(open_with(good.english_fst, multi), context + "bad multi magic\n");
  multi = good.english_multi;
  multi.pop_back();
  EXPECT_EQ(open_with(good.english_fst, multi), context + "truncated multi entry body\n");

  DataBlobs both_bad = testing::data_blobs(good);
  both_bad.inflections_fst = {};
  both_bad.english_fst = {};
  EXPECT_EQ(report(open_dictionary(both_bad)), "Error: invalid inflections.fst: FST error\n");
}

TEST(EnglishSearch, KeysInByteOrderHeadwordsInStoredOrder) {
  const testing::Fixture f = testing::make_fixture(testing::FixtureTable{
      .headwords = {{"a", {}}, {"b", {}}, {"c", {}}},
      .forms = {},
      .english = {{"go", {"c", "a"}}, {"gone", {"b"}}, {"god", {"a", "b", "c"}}, {"x", {}}}});
  const EnglishIndex& english = f.dictionary.english;
  const Morphology& m = f.dictionary.morphology;
  EXPECT_EQ(english.key_count(), 4U);
  EXPECT_EQ(english.headwords("go", m), (Words{"c", "a"}));
  EXPECT_EQ(english.headwords("g", m), Words{});
  EXPECT_EQ(english.search("go", m, 100),
            (Keys{{"go", {"c", "a"}}, {"god", {"a", "b", "c"}}, {"gone", {"b"}}}));
  // The limit counts headwords: the key that reaches it is kept whole.
  EXPECT_EQ(english.search("go", m, 3), (Keys{{"go", {"c", "a"}}, {"god", {"a", "b", "c"}}}));
  EXPECT_EQ(english.search("x", m, 100), Keys{});  // an empty list gives no key
  EXPECT_EQ(english.search("", m, 100), Keys{});
  EXPECT_EQ(english.search("Go", m, 100), Keys{});  // case is the caller's business
}

TEST(EnglishSearch, UnresolvableKeysAreSkippedAndEmptyIndexesFindNothing) {
  const testing::Fixture f = testing::make_fixture(
      testing::FixtureTable{.headwords = {{"a", {}}}, .forms = {}, .english = {}});
  const Morphology& m = f.dictionary.morphology;
  Result<std::vector<std::uint8_t>> fst =
      fst::build_map(std::vector<std::pair<std::string, std::uint64_t>>{
          {"ab", 7}, {"ac", MULTI_FLAG | 3}, {"ad", 0}});
  Result<std::vector<std::uint8_t>> multi = write_multi(std::vector<std::vector<EntryId>>{{0}});
  ASSERT_TRUE(fst && multi);
  Result<EnglishIndex> english = EnglishIndex::open(*fst, *multi);
  ASSERT_TRUE(english) << report(english);
  EXPECT_EQ(english->search("a", m, 100), (Keys{{"ad", {"a"}}}));
  EXPECT_EQ(english->headwords("ab", m), Words{});

  EXPECT_EQ(f.dictionary.english.key_count(), 0U);  // written with no rows: opens, finds nothing
  EXPECT_EQ(f.dictionary.english.search("a", m, 100), Keys{});
  EXPECT_EQ(EnglishIndex().search("a", m, 100), Keys{});
}

}  // namespace
}  // namespace pnt
