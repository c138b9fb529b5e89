// Search streams over random maps against a brute-force scan of every key.
#include "fstmap/automaton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "fstmap/builder.h"
#include "fstmap/map.h"

namespace pnt::fst {
namespace {

using Pairs = std::vector<std::pair<std::string, std::uint64_t>>;

// Keys over letters that fold and letters that do not, with the odd stray byte.
Pairs random_pairs(std::mt19937& rng, bool stray_bytes) {
  static const std::vector<std::string> LETTERS = {"a", "o", "A", "O", "b", "t",
                                                   "ä", "ö", "Ä", "Ö", "å", "€"};
  std::vector<std::string> keys;
  for (int i = 0; i < 300; ++i) {
    std::string key;
    for (int n = static_cast<int>(rng() % 7); n > 0; --n) {
      key += LETTERS[rng() % LETTERS.size()];
    }
    if (stray_bytes && rng() % 10 == 0) {
      key.insert(rng() % (key.size() + 1), 1, static_cast<char>(rng() % 2 == 0 ? 0xC3 : 0xA4));
    }
    keys.push_back(key);
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  Pairs pairs;
  for (const std::string& key : keys) {
    pairs.emplace_back(key, rng() % 1000);
  }
  return pairs;
}

std::u32string code_points(std::string_view text) {
  std::u32string out;
  for (std::size_t pos = 0; pos < text.size();) {
    out.push_back(decode_utf8(text, pos));
  }
  return out;
}

// The query's characters, each as itself or as a letter it folds to, at the start of the key's
// bytes (or making up all of them).
bool folded_reference(const std::string& query, const std::string& key, bool whole) {
  std::size_t at = 0;
  for (const char32_t q : code_points(query)) {
    bool matched = false;
    for (const char32_t k : {q, U'ä', U'å', U'ö', U'Ä', U'Ö'}) {
      std::string letter;
      append_utf8(letter, k);
      if (!matched && folds_to(q, k) && key.compare(at, letter.size(), letter) == 0) {
        at += letter.size();
        matched = true;
      }
    }
    if (!matched) {
      return false;
    }
  }
  return !whole || at == key.size();
}

// The restricted edit distance, the whole table at once.
unsigned distance_reference(const std::string& query, const std::string& key) {
  const std::u32string q = code_points(query);
  const std::u32string k = code_points(key);
  std::vector<std::vector<unsigned>> d(k.size() + 1, std::vector<unsigned>(q.size() + 1));
  for (std::size_t j = 0; j <= k.size(); ++j) {
    for (std::size_t i = 0; i <= q.size(); ++i) {
      if (i == 0 || j == 0) {
        d[j][i] = static_cast<unsigned>(i + j);
        continue;
      }
      d[j][i] = std::min({d[j - 1][i] + 1, d[j][i - 1] + 1,
                          d[j - 1][i - 1] + (folds_to(q[i - 1], k[j - 1]) ? 0U : 1U)});
      if (i >= 2 && j >= 2 && folds_to(q[i - 1], k[j - 2]) && folds_to(q[i - 2], k[j - 1])) {
        d[j][i] = std::min(d[j][i], d[j - 2][i - 2] + 1);
      }
    }
  }
  return d[k.size()][q.size()];
}

template <class MakeAutomaton, class Accepts>
void check_against_scan(bool stray_bytes, MakeAutomaton make, Accepts accepts) {
  std::mt19937 rng(7);
  static const std::vector<std::string> QUERIES = {"", "a", "ao", "Oa", "tab", "aäb", "obota"};
  for (int round = 0; round < 20; ++round) {
    const Pairs pairs = random_pairs(rng, stray_bytes);
    const auto bytes = build_map(pairs);
    ASSERT_TRUE(bytes.has_value());
    const Map map = *Map::open(*bytes);
    for (const std::string& query : QUERIES) {
      auto automaton = make(query);
      Pairs expected;
      for (const auto& pair : pairs) {
        if (accepts(query, pair.first)) {
          expected.push_back(pair);
        }
      }
      Pairs got;
      SearchStream stream = map.search(automaton);
      while (stream.next()) {
        got.emplace_back(std::string(stream.key_text()), stream.value());
      }
      EXPECT_EQ(got, expected) << "query " << query << ", round " << round;
      EXPECT_LE(stream.visits(), 2000U);
    }
  }
}

TEST(SearchStream, FoldedWholeKeysMatchTheScan) {
  check_against_scan(
      true, [](const std::string& q) { return FoldedAutomaton(q, FoldedAutomaton::Mode::Whole); },
      [](const std::string& q, const std::string& k) { return folded_reference(q, k, true); });
}

TEST(SearchStream, FoldedPrefixesMatchTheScan) {
  check_against_scan(
      true, [](const std::string& q) { return FoldedAutomaton(q, FoldedAutomaton::Mode::Prefix); },
      [](const std::string& q, const std::string& k) { return folded_reference(q, k, false); });
}

TEST(SearchStream, EditDistancesMatchTheScan) {
  for (const unsigned limit : {0U, 1U, 2U, 3U}) {
    check_against_scan(
        true, [&](const std::string& q) { return EditDistanceAutomaton(q, limit); },
        [&](const std::string& q, const std::string& k) {
          return is_utf8(k) && distance_reference(q, k) <= limit;
        });
  }
}

TEST(SearchStream, ReportsDistancesAndStopsAtTheBudget) {
  const Pairs pairs = {{"kais", 0}, {"kasi", 1},  {"kassi", 2}, {"ksi", 3},
                       {"käsi", 4}, {"kässä", 5}, {"talo", 6}};
  const auto bytes = build_map(pairs);
  ASSERT_TRUE(bytes.has_value());
  const Map map = *Map::open(*bytes);
  EditDistanceAutomaton automaton("kasi", 2);
  std::vector<std::pair<std::string, unsigned>> got;
  SearchStream stream = map.search(automaton);
  while (stream.next()) {
    got.emplace_back(stream.key_text(), automaton.distance(stream.state()));
  }
  const std::vector<std::pair<std::string, unsigned>> expected = {
      {"kais", 1}, {"kasi", 0}, {"kassi", 1}, {"ksi", 1}, {"käsi", 0}, {"kässä", 2}};
  EXPECT_EQ(got, expected);
  EXPECT_FALSE(stream.exhausted());

  SearchStream short_walk = map.search(automaton, 3);
  while (short_walk.next()) {
  }
  EXPECT_TRUE(short_walk.exhausted());
  EXPECT_EQ(short_walk.visits(), 3U);

  // Resumed three nodes at a time and narrowed to 1: the keys a walk at distance 1 finds.
  EditDistanceAutomaton narrowing("kasi", 2);
  SearchStream resumed = map.search(narrowing, 3);
  std::vector<std::string> within_one;
  do {
    while (resumed.next()) {
      if (narrowing.distance(resumed.state()) <= 1) {
        within_one.emplace_back(resumed.key_text());
      }
    }
    narrowing.narrow(1);
  } while (resumed.resume(3));
  EXPECT_EQ(within_one, (std::vector<std::string>{"kais", "kasi", "kassi", "ksi", "käsi"}));
}

}  // namespace
}  // namespace pnt::fst
