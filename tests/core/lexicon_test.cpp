#include "core/lexicon.h"

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

using testing::default_blobs;
using testing::FixtureTable;
using testing::report;

std::vector<std::uint8_t> blob_of(std::string_view text) { return {text.begin(), text.end()}; }

// The record area of a glosses.bin with `raw` as its record area.
std::vector<std::uint8_t> glosses_bin(const std::vector<std::uint8_t>& raw,
                                      std::vector<std::string> names = {"noun"}) {
  Result<std::vector<std::uint8_t>> bin = write_glosses_bin(names, raw, 1);
  EXPECT_TRUE(bin.has_value());
  return bin ? *bin : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> map_of(std::vector<std::pair<std::string, std::uint64_t>> pairs) {
  Result<std::vector<std::uint8_t>> map = fst::build_map(pairs);
  EXPECT_TRUE(map.has_value());
  return map ? *map : std::vector<std::uint8_t>{};
}

// Offset of the frame in a glosses.bin whose POS table is `names`.
std::size_t raw_size_offset(const std::vector<std::string>& names) {
  std::size_t p = 6;
  for (const std::string& name : names) {
    p += 1 + name.size();
  }
  return p;
}

void put_u32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

TEST(GlossStoreLoad, HeaderErrorsCarryTheHeaderContext) {
  const std::vector<std::uint8_t> good = glosses_bin({0});
  std::vector<std::uint8_t> version2 = good;
  version2[4] = 2;
  std::vector<std::uint8_t> bad_name = blob_of(std::string("PNTB\x01\x01\x02\xC3\x28", 9));

  EXPECT_EQ(report(GlossStore::load(blob_of("PNT"))),
            "Error: parsing glosses.bin header\n\nCaused by:\n    truncated header\n");
  EXPECT_EQ(report(GlossStore::load(blob_of("PNTB"))),
            "Error: parsing glosses.bin header\n\nCaused by:\n    truncated header\n");
  EXPECT_EQ(report(GlossStore::load(blob_of("PNTX\x01"))),
            "Error: parsing glosses.bin header\n\nCaused by:\n    bad magic\n");
  EXPECT_EQ(report(GlossStore::load(version2)),
            "Error: parsing glosses.bin header\n\nCaused by:\n    unsupported version 2\n");
  EXPECT_EQ(report(GlossStore::load(bad_name)),
            "Error: parsing glosses.bin header\n\nCaused by:\n"
            "    0: bad utf8 in pos table\n"
            "    1: invalid utf-8 sequence of 1 bytes from index 0\n");
  // A frame shorter than its declared size is a truncated header, not a zstd error.
  const std::vector<std::uint8_t> cut(good.begin(), good.end() - 1);
  EXPECT_EQ(report(GlossStore::load(cut)),
            "Error: parsing glosses.bin header\n\nCaused by:\n    truncated header\n");
}

TEST(GlossStoreLoad, RawSizeMustMatchTheFrame) {
  const std::vector<std::uint8_t> raw = {1, 0, 1, 3, 0, 'c', 'a', 't'};
  const std::size_t at = raw_size_offset({"noun"});
  std::vector<std::uint8_t> small = glosses_bin(raw);
  put_u32(small, at, static_cast<std::uint32_t>(raw.size() - 1));
  EXPECT_EQ(report(GlossStore::load(small)),
            "Error: decompressing glosses.bin\n\nCaused by:\n"
            "    zstd: Destination buffer is too small\n");

  std::vector<std::uint8_t> large = glosses_bin(raw);
  put_u32(large, at, static_cast<std::uint32_t>(raw.size() + 5));
  EXPECT_EQ(report(GlossStore::load(large)), "Error: plain size mismatch: expected 13, got 8\n");

  std::vector<std::uint8_t> garbage = glosses_bin(raw);
  garbage[at + 8] ^= 0xFF;  // the frame's magic
  const std::string text = report(GlossStore::load(garbage));
  EXPECT_TRUE(text.starts_with("Error: decompressing glosses.bin\n\nCaused by:\n    zstd: "))
      << text;
}

TEST(GlossStoreLoad, AcceptsOddButValidHeaders) {
  // Trailing bytes after the frame are not read; a POS name may be empty.
  const std::vector<std::uint8_t> raw = {1, 1, 1, 0, 0};
  std::vector<std::uint8_t> bin = glosses_bin(raw, {"noun", ""});
  bin.push_back(0xFF);
  Result<GlossStore> store = GlossStore::load(bin);
  ASSERT_TRUE(store) << report(store);
  EXPECT_EQ(store->pos_names(), (std::vector<std::string>{"noun", ""}));
  EXPECT_EQ(store->entry_at(0), (Entry{{{"", {""}}}}));

  // An empty record area and no POS names at all.
  Result<GlossStore> empty = GlossStore::load(glosses_bin({}, {}));
  ASSERT_TRUE(empty) << report(empty);
  EXPECT_EQ(empty->payload().size(), 0U);
  EXPECT_EQ(empty->entry_at(0), std::nullopt);
}

TEST(GlossStoreEntryAt, YieldsNothingForEveryBadRecord) {
  // Records back to back: a good one, G = 0, M = 0, and a last one whose meaning runs past
  // the end of the area.
  const std::vector<std::uint8_t> raw = {1, 0, 1, 3, 0, 'c', 'a', 't',  //
                                         0,                             //
                                         1, 0, 0,                       //
                                         1, 0, 1, 9, 0, 'x'};
  Result<GlossStore> store = GlossStore::load(glosses_bin(raw));
  ASSERT_TRUE(store) << report(store);
  EXPECT_EQ(store->entry_at(0), (Entry{{{"noun", {"cat"}}}}));
  EXPECT_EQ(store->entry_at(8), Entry{});
  EXPECT_EQ(store->entry_at(9), (Entry{{{"noun", {}}}}));
  EXPECT_EQ(store->entry_at(12), std::nullopt);
  EXPECT_EQ(store->entry_at(static_cast<EntryOffset>(raw.size())), std::nullopt);
  EXPECT_EQ(store->entry_at(static_cast<EntryOffset>(raw.size() + 1)), std::nullopt);
  EXPECT_EQ(store->entry_at(0xFFFF'FFFF), std::nullopt);

  // Without POS names every record with a group fails to decode.
  Result<GlossStore> nameless = GlossStore::load(glosses_bin(raw, {}));
  ASSERT_TRUE(nameless) << report(nameless);
  EXPECT_EQ(nameless->entry_at(0), std::nullopt);
  EXPECT_EQ(nameless->entry_at(8), Entry{});
}

TEST(LexiconOpen, IndexIsCheckedBeforeTheGlossStore) {
  const std::string fst_error = "Error: invalid fst: FST error\n";
  const std::vector<std::uint8_t> bad_bin = blob_of("PNT");
  std::vector<std::uint8_t> index = default_blobs().glosses_fst;

  std::vector<std::uint8_t> short_map(index.begin(), index.begin() + 35);
  EXPECT_EQ(report(Lexicon::open(short_map, bad_bin)), fst_error);
  for (std::uint8_t version : {0, 4}) {
    std::vector<std::uint8_t> map = index;
    map[0] = version;
    EXPECT_EQ(report(Lexicon::open(map, default_blobs().glosses_bin)), fst_error);
  }
  EXPECT_EQ(report(Lexicon::open(index, bad_bin)),
            "Error: parsing glosses.bin header\n\nCaused by:\n    truncated header\n");

  // The checksum is never verified.
  index.back() ^= 0xFF;
  EXPECT_TRUE(Lexicon::open(index, default_blobs().glosses_bin).has_value());
}

TEST(LexiconEntry, ExactByteLookup) {
  const Dictionary dictionary = testing::fixture_dictionary();
  const Lexicon& lexicon = dictionary.lexicon;
  EXPECT_EQ(lexicon.headword_count(), testing::default_table().headwords.size());

  // The first key owns the record at offset 0.
  fst::Stream all = lexicon.stream();
  ASSERT_TRUE(all.next());
  EXPECT_EQ(all.key_text(), "'");
  EXPECT_EQ(all.value(), 0U);
  ASSERT_TRUE(lexicon.entry("'"));

  EXPECT_EQ(lexicon.entry("taloissa"), (Entry{{{"noun", {"inessive plural of talo"}}}}));
  EXPECT_EQ(lexicon.entry("talo"),
            (Entry{{{"noun",
                     {"building", "farm, homestead",
                      "house (building meant to serve as a human abode)"}}}}));
  EXPECT_EQ(lexicon.entry("Talo"), std::nullopt);
  EXPECT_EQ(lexicon.entry("talo "), std::nullopt);
  EXPECT_EQ(lexicon.entry(""), std::nullopt);
  ASSERT_TRUE(lexicon.entry("Suomi"));
  ASSERT_TRUE(lexicon.entry("suomi"));
  EXPECT_NE(*lexicon.entry("Suomi"), *lexicon.entry("suomi"));

  std::vector<std::string> talo;
  for (fst::Stream s = lexicon.prefix_stream("talo"); s.next();) {
    talo.emplace_back(s.key_text());
  }
  EXPECT_EQ(talo, (std::vector<std::string>{"talo", "talo elää tavallaan, vieras tulee ajallaan",
                                            "taloa", "talohistoriikki", "taloissa", "talossa"}));
}

TEST(LexiconEntry, OffsetsAtOrPastTheEndYieldNothing) {
  const std::vector<std::uint8_t> raw = {1, 0, 1, 1, 0, 'x'};
  const std::vector<std::uint8_t> bin = glosses_bin(raw);
  const std::vector<std::uint8_t> index =
      map_of({{"end", raw.size()}, {"past", raw.size() + 1}, {"start", 0}, {"wide", 1ULL << 32}});
  Result<Lexicon> lexicon = Lexicon::open(index, bin);
  ASSERT_TRUE(lexicon) << report(lexicon);
  EXPECT_EQ(lexicon->entry("end"), std::nullopt);
  EXPECT_EQ(lexicon->entry("past"), std::nullopt);
  EXPECT_EQ(lexicon->entry("start"), (Entry{{{"noun", {"x"}}}}));
  // Only the low 32 bits of a value are an offset.
  EXPECT_EQ(lexicon->entry("wide"), lexicon->entry("start"));
}

TEST(LexiconOpen, SmallestMapsAreValid) {
  const std::vector<std::uint8_t> bin = glosses_bin({1, 0, 1, 1, 0, 'x'});
  const std::vector<std::uint8_t> no_keys = map_of({});
  Result<Lexicon> none = Lexicon::open(no_keys, bin);
  ASSERT_TRUE(none) << report(none);
  EXPECT_EQ(none->headword_count(), 0U);
  EXPECT_EQ(none->entry(""), std::nullopt);

  // The map whose only key is the empty one has no nodes at all: 36 bytes, root address 0.
  const std::vector<std::uint8_t> empty_key = map_of({{"", 0}});
  ASSERT_EQ(empty_key.size(), 36U);
  Result<Lexicon> lexicon = Lexicon::open(empty_key, bin);
  ASSERT_TRUE(lexicon) << report(lexicon);
  EXPECT_EQ(lexicon->headword_count(), 1U);
  EXPECT_EQ(lexicon->entry(""), (Entry{{{"noun", {"x"}}}}));

  // Root address 0 is accepted only at exactly that size.
  std::vector<std::uint8_t> longer = empty_key;
  longer.insert(longer.begin() + 16, 0);
  EXPECT_EQ(report(Lexicon::open(longer, bin)), "Error: invalid fst: FST error\n");
}

}  // namespace
}  // namespace pnt
