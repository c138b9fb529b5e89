#include "lexicon/english.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fstmap/map.h"

namespace pnt::lexicon {
namespace {

RawEntry entry(std::string headword, std::string tag, std::vector<Sense> senses) {
  return RawEntry{std::move(headword), std::move(tag), std::move(senses)};
}

struct Built {
  std::vector<MergedEntry> entries;
  std::vector<EnglishKey> index;

  std::vector<std::string> headwords(std::string_view key) const {
    std::vector<std::string> out;
    for (const EnglishKey& k : index) {
      if (k.key == key) {
        for (EntryId id : k.ids) {
          out.push_back(entries.at(id).headword);
        }
      }
    }
    return out;
  }
};

Built build() {
  std::vector<RawEntry> fin_eng = {
      entry("asunto", "n", {{"house", ""}}),
      entry("huone", "n", {{"room, house", ""}}),
      entry("koti", "n", {{"home", ""}, {"house (dwelling)", ""}}),
      entry("kamari", "n", {{"chamber, house", ""}}),
      entry("kiehauttaa", "v", {{"to bring to a boil", ""}}),
      entry("laittaa", "v", {{"to lay, to put, to set", ""}}),
      entry("hyvin", "adv", {{"well", ""}}),
      entry("pitkä", "adj", {{"long", ""}, {"very long in a way that is tiring", ""}}),
  };
  std::vector<RawEntry> eng_fin = {
      entry("house", "n",
            {{"1. talo", "astrology"},
             {"2. suku, kamari", "dynasty"},
             {"3. suku 2.", "family"},
             {" 3.", "lineage"}}),
      entry("house", "v", {{"majoittaa", "to provide housing"}}),
      entry("put", "v", {{"panna, laittaa", "to place"}}),
      entry("well, well", "interjection", {{"kas vain", "surprise"}}),
      entry("er", "suffix", {{"ja", "agent noun"}}),
      entry("\xC3\x85land", "pn", {{"Ahvenanmaa", ""}}),
  };
  Merger merger([](std::string_view term) {
    return *pos_index(term.find(' ') == std::string_view::npos ? "noun" : "phrase");
  });
  merger.add_fin_eng(fin_eng);
  merger.add_eng_fin(eng_fin);
  Built b{merger.finish(), {}};
  b.index = build_english_index(eng_fin, b.entries);
  return b;
}

TEST(EnglishIndex, KeysAndRanking) {
  using V = std::vector<std::string>;
  const Built b = build();
  const std::vector<std::pair<std::string, V>> cases = {
      // eng-fin: what fin-eng confirms, what covers more senses, then by sense across its
      // entries; then own meanings by place, then id.
      {"house", {"kamari", "suku", "talo", "majoittaa", "asunto", "huone", "koti"}},
      {"home", {"koti"}},
      {"room", {"huone"}},
      {"bring to a boil", {"kiehauttaa"}},  // "to " goes before a verb
      {"to bring to a boil", {}},
      {"put", {"laittaa", "panna"}},  // confirmed by laittaa's own meaning, and kept once
      {"set", {"laittaa"}},
      {"well", {"hyvin", "kas vain"}},  // own meaning before an inverted one
      {"well, well", {"kas vain"}},
      {"long", {"pitkä"}},
      {"very long in a way that is tiring", {}},
      {"dwelling", {}},
      {"er", {"-ja"}},                   // filed under the suffix's headword
      {"\xC3\xA5land", {"Ahvenanmaa"}},  // lower-cased beyond ASCII
      {"\xC3\x85land", {}},
  };
  for (const auto& [key, expected] : cases) {
    EXPECT_EQ(b.headwords(key), expected) << key;
  }
  for (std::size_t i = 1; i < b.index.size(); ++i) {
    EXPECT_LT(b.index[i - 1].key, b.index[i].key);
  }
}

TEST(EnglishIndex, FilesKeepTheRankingOrder) {
  const Built b = build();
  auto files = write_english_files(b.index);
  ASSERT_TRUE(files) << files.error().message();
  EXPECT_EQ(files->keys, b.index.size());
  auto map = fst::Map::open(files->fst);
  ASSERT_TRUE(map);
  auto id = [&](std::string_view headword) {
    for (std::size_t i = 0; i < b.entries.size(); ++i) {
      if (b.entries[i].headword == headword) {
        return static_cast<EntryId>(i);
      }
    }
    return EntryId{0xFFFF};
  };
  EXPECT_EQ(map->get(as_bytes("home")), id("koti"));
  auto target = map->get(as_bytes("house"));
  ASSERT_TRUE(target && (*target & MULTI_FLAG));
  auto table = parse_multi(files->multi);
  ASSERT_TRUE(table);
  auto ids =
      multi_ids(table->body, table->offsets, static_cast<std::uint32_t>(*target & ~MULTI_FLAG));
  ASSERT_TRUE(ids);
  std::vector<EntryId> expected;
  for (const char* h : {"kamari", "suku", "talo", "majoittaa", "asunto", "huone", "koti"}) {
    expected.push_back(id(h));
  }
  EXPECT_EQ(*ids, expected);  // ranking order, not id order

  auto again = write_english_files(build().index);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->fst, files->fst);
  EXPECT_EQ(again->multi, files->multi);
}

}  // namespace
}  // namespace pnt::lexicon
