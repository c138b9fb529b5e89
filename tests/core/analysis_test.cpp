#include "core/analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/fixture.h"

namespace pnt {
namespace {

using testing::FixtureTable;
using testing::FormRow;
using testing::HeadwordRow;
using testing::TableGroup;

using Strings = std::vector<std::string>;

FixtureTable compound_table() {
  FixtureTable table;
  for (const char* word :
       {"kuva", "ikkuna", "kahvi", "tahra", "talo", "on", "olla", "ei", "toivottu", "dialogi",
        "jalka", "pallo", "kenttä", "jalkapallo", "pallokenttä", "nainen", "hylly", "kin"}) {
    table.headwords.push_back(HeadwordRow{word, {TableGroup{"noun", {"a meaning"}}}});
  }
  table.forms = {
      {"kuva", {"kuva"}},        {"ikkuna", {"ikkuna"}},
      {"ikkunassa", {"ikkuna"}}, {"ikkunan", {"ikkuna"}},
      {"kahvin", {"kahvi"}},     {"talossa", {"talo"}},
      {"on", {"olla", "on"}},    {"kenttä", {"kenttä"}},
      {"hyllyn", {"hylly"}},     {"tahra", {"tahra", "tahra"}},
  };
  return table;
}

// Each analysis as "part=headword|headword part=...", parts in order, a clitic as "part=".
Strings described(std::string_view query, const std::vector<Analysis>& analyses) {
  Strings out;
  for (const Analysis& analysis : analyses) {
    std::string text;
    for (const AnalysisPart& part : analysis.parts) {
      text += text.empty() ? "" : " ";
      text += std::string(query.substr(part.start, part.end - part.start)) + "=";
      for (std::size_t i = 0; i < part.headwords.size(); ++i) {
        text += (i == 0 ? "" : "|") + part.headwords[i];
      }
      EXPECT_EQ(part.kind == PartKind::Clitic, part.headwords.empty()) << query;
    }
    out.push_back(text);
  }
  return out;
}

TEST(AnalyseWord, ReadsCompoundsCliticsAndCapitals) {
  const testing::Fixture fixture = testing::make_fixture(compound_table());
  const struct {
    std::string_view query;
    Strings analyses;
  } cases[] = {
      {"kuvaikkuna", {"kuva=kuva ikkuna=ikkuna"}},
      {"kuvaikkunassa", {"kuva=kuva ikkunassa=ikkuna"}},
      // A genitive first part only when the index leads it back to the headword.
      {"kahvinkuva", {"kahvin=kahvi kuva=kuva"}},
      {"talonkuva", {}},
      {"naiskuva", {"nais=nainen kuva=kuva"}},
      {"kuvaikkunatahra", {"kuva=kuva ikkuna=ikkuna tahra=tahra"}},
      {"dialogi-ikkunan", {"dialogi-=dialogi ikkunan=ikkuna"}},
      {"ei-toivottu", {"ei-=ei toivottu=toivottu"}},
      {"dialogi-", {}},
      {"KUVAIKKUNA", {"KUVA=kuva IKKUNA=ikkuna"}},
      {"KUVA", {"KUVA=kuva"}},
      {"Kahvitahra", {"Kahvi=kahvi tahra=tahra"}},
      {"talossakin", {"talossa=talo kin="}},
      {"Onko", {"On=olla|on ko="}},
      {"onkohan", {"on=olla|on kohan="}},
      {"kuvaikkunassakin", {"kuva=kuva ikkunassa=ikkuna kin="}},
      {"kuvakin", {"kuva=kuva kin="}},
      // Fewer parts first, then the longer last part.
      {"jalkapallokenttä",
       {"jalka=jalka pallokenttä=pallokenttä", "jalkapallo=jalkapallo kenttä=kenttä",
        "jalka=jalka pallo=pallo kenttä=kenttä"}},
      // Two-letter parts only as whole words; at most three word parts.
      {"onkuva", {}},
      {"kuvakuvakuvakuva", {}},
      {"xyzzy", {}},
      {"kuva ikkuna", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(described(c.query, analyse_word(fixture.dictionary.lexicon,
                                              fixture.dictionary.morphology, c.query)),
              c.analyses)
        << c.query;
  }
}

TEST(AnalyseWord, LongQueriesAreNotAnalysed) {
  FixtureTable table = compound_table();
  const std::string long_word(MAX_ANALYSED_BYTES - 4, 'a');
  table.headwords.push_back(HeadwordRow{long_word, {TableGroup{"noun", {"a meaning"}}}});
  const testing::Fixture fixture = testing::make_fixture(table);
  EXPECT_EQ(
      analyse_word(fixture.dictionary.lexicon, fixture.dictionary.morphology, long_word + "kuva")
          .size(),
      1U);
  EXPECT_TRUE(
      analyse_word(fixture.dictionary.lexicon, fixture.dictionary.morphology, long_word + "kahvi")
          .empty());
}

TEST(MarkedForm, PutsMiddleDotsBetweenParts) {
  const Analysis analysis{{{0, 4, PartKind::Word, {"kuva"}},
                           {4, 13, PartKind::Word, {"ikkuna"}},
                           {13, 16, PartKind::Clitic, {}}}};
  EXPECT_EQ(marked_form("kuvaikkunassakin", analysis), "kuva·ikkunassa·kin");
}

}  // namespace
}  // namespace pnt
