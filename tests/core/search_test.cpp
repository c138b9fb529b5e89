#include "core/search.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fixture.h"

namespace pnt {
namespace {

using testing::HeadwordRow;
using testing::TableGroup;

// Each query is answered by the first step of its mode that finds a row, and only by steps of
// its mode; the step decides the focus.
TEST(Search, TheFirstStepWithARowWinsInTheModesOrder) {
  testing::FixtureTable table;
  for (const char* word : {"ikkuna", "kuva", "talo"}) {
    table.headwords.push_back(HeadwordRow{word, {TableGroup{"noun", {"a meaning"}}}});
  }
  table.forms = {{"ikkunassa", {"ikkuna"}}, {"talossa", {"talo"}}};
  table.english = {{"house", {"talo"}}, {"window", {"ikkuna"}}};
  const testing::Fixture fixture = testing::make_fixture(table);
  const Dictionary& d = fixture.dictionary;
  const SearchContext context{d.lexicon, d.morphology, d.english};

  struct Case {
    SearchMode mode;
    std::string query;
    std::string_view step;
    Focus focus;
    std::string first_row;  // the first match's headword, else the first inflection's form
  };
  const SearchMode fi = SearchMode::Finnish;
  const SearchMode en = SearchMode::English;
  for (const Case& c : {
           Case{fi, "", "none", Focus::Matches, ""},
           Case{fi, "tal", "prefix", Focus::Matches, "talo"},
           Case{fi, "talossa", "prefix", Focus::Matches, "talossa"},  // a form alone
           Case{fi, "kuvaikkunassa", "analysis", Focus::Inflections, "kuva·ikkunassa"},
           Case{fi, "kuvaxyz", "none", Focus::Matches, ""},
           Case{fi, "hou", "none", Focus::Matches, ""},  // English keys are not Finnish rows
           Case{en, "hou", "english", Focus::Matches, "talo"},
           Case{en, "Window", "english", Focus::Matches, "ikkuna"},  // lower-cased
           Case{en, "tal", "none", Focus::Matches, ""},
           Case{en, "kuvaikkunassa", "none", Focus::Matches, ""},
       }) {
    const SearchResult result = search(context, c.query, c.mode);
    EXPECT_EQ(step_name(result.step), c.step) << c.query;
    EXPECT_EQ(result.focus, c.focus) << c.query;
    const std::string first = !result.matches.empty()       ? result.matches[0].headword
                              : !result.inflections.empty() ? result.inflections[0].form
                                                            : "";
    EXPECT_EQ(first, c.first_row) << c.query;
  }
}

}  // namespace
}  // namespace pnt
