#include "lexicon/output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "format/gloss.h"
#include "format/multi.h"
#include "fstmap/map.h"
#include "lexicon/forms.h"
#include "lexicon/text.h"

namespace pnt::lexicon {
namespace {

FormPairs pairs_in_order(const std::vector<std::pair<std::string, EntryId>>& list) {
  FormPairs pairs;
  for (const auto& [form, id] : list) {
    pairs.add(form, id);
  }
  pairs.sort_unique();
  return pairs;
}

std::vector<std::pair<std::string, std::vector<EntryId>>> grouped(const FormPairs& pairs) {
  std::vector<std::pair<std::string, std::vector<EntryId>>> out;
  pairs.for_each_form([&](std::string_view form, std::span<const EntryId> ids) {
    out.emplace_back(std::string(form), std::vector<EntryId>(ids.begin(), ids.end()));
  });
  return out;
}

const std::vector<std::pair<std::string, EntryId>> SAMPLE = {
    {"taloissa", 7}, {"talo", 5},       {"taloissa", 5}, {"talo", 5}, {"Talo", 2},
    {"talojen", 5},  {"taloissaan", 5}, {"taloissa", 6}, {"ä", 1},    {"talonpojassa", 9}};

TEST(FormPairs, SortedUniqueWhateverTheInsertionOrder) {
  auto reversed = SAMPLE;
  std::reverse(reversed.begin(), reversed.end());
  auto a = grouped(pairs_in_order(SAMPLE));
  auto b = grouped(pairs_in_order(reversed));
  EXPECT_EQ(a, b);
  ASSERT_EQ(a.size(), 7u);
  EXPECT_EQ(a[0].first, "Talo");
  EXPECT_EQ(a[1], (std::pair<std::string, std::vector<EntryId>>{"talo", {5}}));
  EXPECT_EQ(a[2].first, "taloissa");
  EXPECT_EQ(a[2].second, (std::vector<EntryId>{5, 6, 7}));
  EXPECT_EQ(a.back().first, "ä");  // bytes above ASCII sort last
}

std::vector<std::uint8_t> write_fst(const FormPairs& pairs, std::vector<std::uint8_t>& multi,
                                    InflectionStats& stats) {
  std::FILE* f = std::tmpfile();
  EXPECT_NE(f, nullptr);
  auto result = write_inflection_files(pairs, f, multi);
  EXPECT_TRUE(result) << (result ? "" : result.error().message());
  if (result) {
    stats = *result;
  }
  std::fflush(f);
  std::vector<std::uint8_t> bytes;
  std::rewind(f);
  int c = 0;
  while ((c = std::fgetc(f)) != EOF) {
    bytes.push_back(static_cast<std::uint8_t>(c));
  }
  std::fclose(f);
  return bytes;
}

TEST(InflectionFiles, SingleAndListTargetsAreReproducible) {
  FormPairs pairs = pairs_in_order(SAMPLE);
  std::vector<std::uint8_t> multi;
  InflectionStats stats;
  auto fst_bytes = write_fst(pairs, multi, stats);
  EXPECT_EQ(stats.forms, 7u);
  EXPECT_EQ(stats.list_targets, 1u);
  EXPECT_EQ(stats.lists, 1u);
  auto map = fst::Map::open(fst_bytes);
  ASSERT_TRUE(map);
  EXPECT_EQ(map->len(), 7u);
  EXPECT_EQ(map->get(as_bytes("talo")), 5u);
  auto target = map->get(as_bytes("taloissa"));
  ASSERT_TRUE(target);
  ASSERT_TRUE(*target & MULTI_FLAG);
  auto table = parse_multi(multi);
  ASSERT_TRUE(table);
  auto ids =
      multi_ids(table->body, table->offsets, static_cast<std::uint32_t>(*target & ~MULTI_FLAG));
  ASSERT_TRUE(ids);
  EXPECT_EQ(*ids, (std::vector<EntryId>{5, 6, 7}));

  std::vector<std::uint8_t> multi2;
  auto again = write_fst(pairs_in_order(SAMPLE), multi2, stats);
  EXPECT_EQ(again, fst_bytes);
  EXPECT_EQ(multi2, multi);
}

TEST(InflectionFiles, EqualListsAreStoredOnce) {
  FormPairs pairs = pairs_in_order({{"kuusi", 3}, {"kuusi", 4}, {"kuuden", 3}, {"kuuden", 4}});
  std::vector<std::uint8_t> multi;
  InflectionStats stats;
  write_fst(pairs, multi, stats);
  EXPECT_EQ(stats.list_targets, 2u);
  EXPECT_EQ(stats.lists, 1u);
}

TEST(GlossFiles, RecordsFollowHeadwordOrderAndBuildsRepeat) {
  std::vector<MergedEntry> entries = {
      {"Suomi", {{3, {"Finland"}}}},
      {"suomi", {{0, {"Finnish", "Finnish language"}}, {2, {"Finnish"}}}},
      {"taloissa", {{0, {"inessive plural of talo"}}}},
  };
  auto files = build_gloss_files(entries, 3);
  ASSERT_TRUE(files) << files.error().message();
  EXPECT_EQ(files->meanings, 5u);
  auto header = parse_gloss_header(files->bin);
  ASSERT_TRUE(header);
  ASSERT_EQ(header->pos_names.size(), POS_NAMES.size());
  EXPECT_EQ(header->pos_names[3], "name");
  auto map = fst::Map::open(files->fst);
  ASSERT_TRUE(map);
  EXPECT_EQ(map->get(as_bytes("Suomi")), 0u);
  // Suomi's record: 1 group, pos 3, 1 meaning, length 7, "Finland" = 12 bytes.
  EXPECT_EQ(map->get(as_bytes("suomi")), 12u);
  auto again = build_gloss_files(entries, 3);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->bin, files->bin);
  EXPECT_EQ(again->fst, files->fst);

  std::swap(entries[0], entries[1]);
  EXPECT_FALSE(build_gloss_files(entries, 3));
}

TEST(CoverageText, TokensKeepInnerHyphensAndApostrophes) {
  EXPECT_EQ(word_tokens("Käytä -a valitsinta: IP-osoite, vaa'an 'lainaus' 42kpl --"),
            (std::vector<std::string>{"Käytä", "a", "valitsinta", "IP-osoite", "vaa'an", "lainaus",
                                      "kpl"}));
}

}  // namespace
}  // namespace pnt::lexicon
