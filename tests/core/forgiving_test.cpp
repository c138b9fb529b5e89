// The search steps for words typed without dots or with a typo, as the View shows them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/view.h"
#include "tests/support/fixture.h"

namespace pnt {
namespace {

testing::FixtureTable forgiving_table() {
  testing::FixtureTable table;
  const std::vector<std::pair<const char*, std::uint64_t>> words = {
      {"käsi", 50},  {"kasino", 1}, {"päivä", 90}, {"päiväkirja", 5}, {"kuva", 9},
      {"ikkuna", 9}, {"kirja", 40}, {"kirje", 2},  {"kirjo", 30}};
  for (const auto& [word, count] : words) {
    table.headwords.push_back({word, {{"noun", {"a meaning"}}}, count});
  }
  table.forms = {{"käsi", {"käsi"}},    {"kasino", {"kasino"}}, {"päivä", {"päivä"}},
                 {"päivää", {"päivä"}}, {"kuva", {"kuva"}},     {"ikkuna", {"ikkuna"}},
                 {"kirja", {"kirja"}},  {"kirjan", {"kirja"}},  {"kirjaa", {"kirja"}}};
  return table;
}

std::vector<std::string> shown(const View& v) {
  std::vector<std::string> rows;
  for (const MatchRow& row : v.matches) {
    rows.push_back(row.headword);
  }
  for (const InflectionRow& row : v.inflections) {
    rows.push_back(row.form + "=" + row.headword);
  }
  return rows;
}

TEST(ForgivingSearch, StepsRowsFocusAndBox) {
  testing::Fixture fixture = testing::make_fixture(forgiving_table());
  View v(std::move(fixture.dictionary), LayoutConfig{});
  const struct {
    const char* query;
    SearchStep step;
    std::vector<std::string> rows;
    Focus focus;
    bool red;
  } cases[] = {
      // The twin stands first, as the query is no key, before the prefix rows.
      {"kasi", SearchStep::Prefix, {"käsi", "kasino"}, Focus::Matches, false},
      {"paiva", SearchStep::Folded, {"päivä"}, Focus::Matches, false},
      {"paivak", SearchStep::Folded, {"päiväkirja"}, Focus::Matches, false},
      {"kuvaikkuna",
       SearchStep::Analysis,
       {"kuva·ikkuna=kuva", "kuva·ikkuna=ikkuna"},
       Focus::Inflections,
       false},
      // Nearest first, then the more common word: kirja before kirjo before kirje.
      {"kirjx", SearchStep::Suggest, {"kirja", "kirjo", "kirje"}, Focus::Matches, true},
      {"kirjaax",
       SearchStep::Suggest,
       {"kirja", "kirjaa=kirja", "kirjan=kirja"},
       Focus::Inflections,
       true},
      {"zzzz", SearchStep::None, {}, Focus::Matches, true},
  };
  for (const auto& c : cases) {
    v.update(SetQuery{c.query});
    EXPECT_EQ(v.step, c.step) << c.query;
    EXPECT_EQ(shown(v), c.rows) << c.query;
    EXPECT_EQ(v.focus, c.focus) << c.query;
    EXPECT_EQ(v.no_results || v.no_exact, c.red) << c.query;
    EXPECT_EQ(v.entry_word.has_value(), c.step != SearchStep::None) << c.query;
  }
}

}  // namespace
}  // namespace pnt
