#include "core/morphology.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fstmap/builder.h"
#include "tests/support/fixture.h"
#include "tests/support/report.h"

namespace pnt {
namespace {

using testing::FixtureTable;
using testing::report;
using Words = std::vector<std::string_view>;

std::vector<std::uint8_t> map_of(const std::vector<std::pair<std::string, std::uint64_t>>& pairs) {
  Result<std::vector<std::uint8_t>> map = fst::build_map(pairs);
  EXPECT_TRUE(map.has_value()) << report(map);
  return map ? *map : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> multi_of(const std::vector<std::vector<EntryId>>& lists) {
  Result<std::vector<std::uint8_t>> multi = write_multi(lists);
  EXPECT_TRUE(multi.has_value()) << report(multi);
  return multi ? *multi : std::vector<std::uint8_t>{};
}

// Three headwords with ids 0 ("a1"), 1 ("b2") and 2 ("c3").
const testing::FixtureBlobs& abc_blobs() {
  static const testing::FixtureBlobs blobs =
      testing::make_blobs(FixtureTable{.headwords = {{"a1", {{"noun", {"first"}}}},
                                                     {"b2", {{"noun", {"second"}}}},
                                                     {"c3", {{"noun", {"third"}}}}},
                                       .forms = {}});
  return blobs;
}

Result<Morphology> open_over_abc(const std::vector<std::uint8_t>& fst,
                                 const std::vector<std::uint8_t>& multi) {
  Result<Lexicon> lexicon = Lexicon::open(abc_blobs().glosses_fst, abc_blobs().glosses_bin);
  EXPECT_TRUE(lexicon) << report(lexicon);
  if (!lexicon) {
    return fail(std::move(lexicon.error()));
  }
  return Morphology::open(fst, multi, *lexicon);
}

TEST(MorphologyLemmas, FixtureExamples) {
  const Dictionary dictionary = testing::fixture_dictionary();
  const Morphology& m = dictionary.morphology;
  EXPECT_EQ(m.lemmas("talo"), (Words{"talo"}));
  EXPECT_EQ(m.lemmas("taloissa"), (Words{"talo", "taloissa"}));
  EXPECT_EQ(m.lemmas("talossaan"), (Words{"talo"}));
  EXPECT_EQ(m.lemmas("on"), (Words{"olla", "on"}));
  EXPECT_EQ(m.lemmas("parempi"), (Words{"hyvä", "parempi"}));
  EXPECT_EQ(m.lemmas("juosta"), (Words{"juko", "juosta"}));
  EXPECT_EQ(m.lemmas(""), Words{});
  EXPECT_EQ(m.lemmas("Talo"), Words{});
  EXPECT_EQ(m.lemmas("talo "), Words{});
  EXPECT_EQ(m.form_count(), testing::default_table().forms.size());
}

TEST(MorphologyOpen, HeadwordTableFollowsKeyOrder) {
  const Dictionary dictionary = testing::fixture_dictionary();
  ASSERT_EQ(dictionary.morphology.headword_count(), dictionary.lexicon.headword_count());
  EntryId id = 0;
  for (fst::Stream s = dictionary.lexicon.stream(); s.next(); ++id) {
    EXPECT_EQ(dictionary.morphology.headword(id), s.key_text());
  }
  EXPECT_EQ(dictionary.morphology.headword(0), "'");
}

TEST(MorphologyOpen, ResultsStayValidAfterMoves) {
  Dictionary dictionary = testing::fixture_dictionary();
  const Words before = dictionary.morphology.lemmas("taloissa");
  const Morphology moved = std::move(dictionary.morphology);
  EXPECT_EQ(before, (Words{"talo", "taloissa"}));
  EXPECT_EQ(moved.lemmas("taloissa"), before);
}

TEST(MorphologyResolve, SingleAndListTargets) {
  const std::vector<std::uint8_t> multi = multi_of({{2, 0}, {1, 1}, {}, {0, 3, 1}});
  const std::vector<std::uint8_t> fst = map_of({{"dup", MULTI_FLAG | 1},
                                                {"empty", MULTI_FLAG | 2},
                                                {"high", (7ULL << 32) | 1},
                                                {"list", MULTI_FLAG | 0},
                                                {"nolist", MULTI_FLAG | 4},
                                                {"one", 2},
                                                {"partial", MULTI_FLAG | 3},
                                                {"past", 3}});
  Result<Morphology> m = open_over_abc(fst, multi);
  ASSERT_TRUE(m) << report(m);

  EXPECT_EQ(m->lemmas("one"), (Words{"c3"}));
  // Stored order is kept, and a repeated id repeats its headword.
  EXPECT_EQ(m->lemmas("list"), (Words{"c3", "a1"}));
  EXPECT_EQ(m->lemmas("dup"), (Words{"b2", "b2"}));
  EXPECT_EQ(m->lemmas("empty"), Words{});
  // The upper 32 bits of a value are not part of the target.
  EXPECT_EQ(m->lemmas("high"), (Words{"b2"}));

  EXPECT_EQ(report(m->resolve(3)), "Error: base id 3 out of range\n");
  EXPECT_EQ(m->lemmas("past"), Words{});
  EXPECT_EQ(report(m->resolve(MULTI_FLAG | 3)), "Error: multi base id 3 out of range\n");
  EXPECT_EQ(m->lemmas("partial"), Words{});
  EXPECT_EQ(report(m->resolve(MULTI_FLAG | 4)), "Error: multi index 4 out of range\n");
  EXPECT_EQ(m->lemmas("nolist"), Words{});
  EXPECT_EQ(report(m->resolve(0xFFFF'FFFF)), "Error: multi index 2147483647 out of range\n");
}

TEST(MorphologyOpen, EmptyInflectionIndex) {
  const std::vector<std::uint8_t> no_forms = map_of({});
  const std::vector<std::uint8_t> no_lists = multi_of({});
  Result<Morphology> m = open_over_abc(no_forms, no_lists);
  ASSERT_TRUE(m) << report(m);
  EXPECT_EQ(m->form_count(), 0U);
  EXPECT_EQ(m->lemmas("a1"), Words{});
  EXPECT_EQ(m->headword_count(), 3U);
  fst::Stream s = m->prefix_stream("");
  EXPECT_FALSE(s.next());
}

TEST(MorphologyOpen, LoadErrors) {
  const std::vector<std::uint8_t> fst = map_of({{"a1", 0}});
  const std::vector<std::uint8_t> multi = multi_of({{0, 1}});

  std::vector<std::uint8_t> bad_fst = fst;
  bad_fst[0] = 4;
  EXPECT_EQ(report(open_over_abc(bad_fst, {})), "Error: invalid inflections.fst: FST error\n");
  EXPECT_EQ(report(open_over_abc(std::vector<std::uint8_t>(fst.begin(), fst.begin() + 20), multi)),
            "Error: invalid inflections.fst: FST error\n");

  const auto multi_error = [&](std::vector<std::uint8_t> blob) {
    return report(open_over_abc(fst, blob));
  };
  const std::string context = "Error: parsing inflections-multi.bin\n\nCaused by:\n    ";
  EXPECT_EQ(multi_error({multi.begin(), multi.begin() + 8}), context + "truncated multi header\n");
  std::vector<std::uint8_t> damaged = multi;
  damaged[3] = 'X';
  EXPECT_EQ(multi_error(damaged), context + "bad multi magic\n");
  damaged = multi;
  damaged[4] = 2;
  EXPECT_EQ(multi_error(damaged), context + "unsupported multi version 2\n");
  damaged = multi;
  damaged[5] = 2;  // two lists announced, one present
  EXPECT_EQ(multi_error(damaged), context + "truncated multi entry header\n");
  damaged = multi;
  damaged.pop_back();
  EXPECT_EQ(multi_error(damaged), context + "truncated multi entry body\n");
}

TEST(MorphologyOpen, NonUtf8HeadwordStopsTheStartUp) {
  // The lexicon itself opens: only the headword table needs text.
  Result<std::vector<std::uint8_t>> bin =
      write_glosses_bin(std::vector<std::string>{"noun"}, std::vector<std::uint8_t>{0}, 1);
  ASSERT_TRUE(bin);
  const std::vector<std::uint8_t> index = map_of({{"ok", 0}, {std::string("t\xC3\x28x"), 0}});
  Result<Lexicon> lexicon = Lexicon::open(index, *bin);
  ASSERT_TRUE(lexicon) << report(lexicon);
  EXPECT_EQ(lexicon->entry("ok"), Entry{});
  EXPECT_EQ(report(Morphology::open(map_of({}), multi_of({}), *lexicon)),
            "Error: non-utf8 word in glosses.fst\n\nCaused by:\n"
            "    invalid utf-8 sequence of 1 bytes from index 1\n");

  // Each key is checked on its own: two keys that would form a valid character when laid
  // end to end are still both faulty, and the first one is reported.
  const std::vector<std::uint8_t> split = map_of({{std::string("a\xC3"), 0},
                                                  {std::string("\xA4"
                                                               "b"),
                                                   0}});
  Result<Lexicon> split_lexicon = Lexicon::open(split, *bin);
  ASSERT_TRUE(split_lexicon) << report(split_lexicon);
  EXPECT_EQ(report(Morphology::open(map_of({}), multi_of({}), *split_lexicon)),
            "Error: non-utf8 word in glosses.fst\n\nCaused by:\n"
            "    incomplete utf-8 byte sequence from index 1\n");
}

}  // namespace
}  // namespace pnt
