#include "core/analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "format/frequency.h"
#include "tests/support/fixture.h"
#include "tests/support/vfst_writer.h"
#include "vfst/transducer.h"

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

// A word the transducer reads splits only at its compound boundaries, each part leading to the
// base form it gives; a word it rejects is split by the indexes as before.
TEST(AnalyseWord, TakesTheTransducersCompoundBoundaries) {
  FixtureTable table = compound_table();
  for (const char* word : {"hiiri", "loukku", "lapsi", "kuvaus", "uksi", "epäselvyys"}) {
    table.headwords.push_back(HeadwordRow{word, {TableGroup{"noun", {"a meaning"}}}});
  }
  table.forms.push_back({"ukset", {"uksi"}});
  table.forms.push_back({"tahrassa", {"tahra"}});
  const testing::Fixture fixture = testing::make_fixture(table);
  const std::vector<std::uint8_t> mor = testing::vfst_of_words({
      {"hiirenloukussa",
       "[Ln][Xp]hiiri[X]hiir[Sg][Ny]en[Bh][Bc][Ln][Xp]loukku[X]loukku[Sine][Ny]ssa"},
      {"hiirenloukkukin",
       "[Ln][Xp]hiiri[X]hiir[Sg][Ny]en[Bh][Bc][Ln][Xp]loukku[X]loukku[Sn][Ny][Fkin][Ef]kin"},
      {"lastentahrassahan",
       "[Ln][Xp]lapsi[X]la[Sg][Nm]sten[Bh][Bc][Ln][Xp]tahra[X]tahr[Sine][Ny]assahan[Ef]"},
      {"kuvaukset", "[Lt][Xp]kuvata[X]kuva[Ln][Xj]us[X]u[Sn][Nm]kset"},
      {"epäselvyyttä", "[Lp]epä[Bh][Bc][Ll][Xp]selvä[X]selvy[Ln][Xj]ys[X]y[Sp][Ny]yttä"},
      {"kuvatahra", "[Ln][Xp]kuvatahra[X]kuvatahr[Sn][Ny]a"},
  });
  const auto transducer = vfst::Transducer::open(mor);
  ASSERT_TRUE(transducer) << transducer.error().message();
  const struct {
    std::string_view query;
    Strings with;     // read with the transducer
    Strings without;  // by the indexes alone
  } cases[] = {
      // A genitive the index does not lead back, and a plural one, as first parts.
      {"hiirenloukussa", {"hiiren=hiiri loukussa=loukku"}, {}},
      {"Hiirenloukkukin", {"Hiiren=hiiri loukku=loukku kin="}, {}},
      {"lastentahrassahan", {"lasten=lapsi tahrassa=tahra han="}, {}},
      // A derivation stays one word, which leads to its base form.
      {"kuvaukset", {"kuvaukset=kuvaus"}, {"kuva=kuva ukset=uksi"}},
      {"KUVAUKSET", {"KUVAUKSET=kuvaus"}, {"KUVA=kuva UKSET=uksi"}},
      // A prefix that is no headword joins the part after it.
      {"epäselvyyttä", {"epäselvyyttä=epäselvyys"}, {}},
      // Read as one word that is no headword: no analysis, and no splitting by the indexes.
      {"kuvatahra", {}, {"kuva=kuva tahra=tahra"}},
      // Not read: the indexes split it.
      {"kuvaikkunassa", {"kuva=kuva ikkunassa=ikkuna"}, {"kuva=kuva ikkunassa=ikkuna"}},
  };
  const Lexicon& lexicon = fixture.dictionary.lexicon;
  const Morphology& morphology = fixture.dictionary.morphology;
  for (const auto& c : cases) {
    EXPECT_EQ(described(c.query, analyse_word(lexicon, morphology, c.query, &*transducer)), c.with)
        << c.query;
    EXPECT_EQ(described(c.query, analyse_word(lexicon, morphology, c.query)), c.without) << c.query;
  }
}

TEST(AnalyseWord, EqualAnalysesGoToTheMoreCommonWords) {
  FixtureTable table = compound_table();
  for (const char* word : {"kuvat", "alo", "kissa"}) {
    table.headwords.push_back(HeadwordRow{word, {TableGroup{"noun", {"a meaning"}}}});
  }
  const testing::Fixture fixture = testing::make_fixture(table);
  const Lexicon& lexicon = fixture.dictionary.lexicon;
  const Morphology& morphology = fixture.dictionary.morphology;
  std::vector<std::uint64_t> counts(morphology.headword_count(), 1);
  for (const char* word : {"kuvat", "alo"}) {
    counts[*morphology.entry_id(word)] = 1000;
  }
  const std::vector<std::uint8_t> blob = write_frequencies(counts);
  const auto frequencies = FrequencyTable::parse(blob);
  ASSERT_TRUE(frequencies);
  const Strings by_order = {"kuva=kuva talo=talo kissa=kissa", "kuvat=kuvat alo=alo kissa=kissa"};
  EXPECT_EQ(described("kuvatalokissa", analyse_word(lexicon, morphology, "kuvatalokissa")),
            by_order);
  EXPECT_EQ(described("kuvatalokissa",
                      analyse_word(lexicon, morphology, "kuvatalokissa", nullptr, &*frequencies)),
            (Strings{by_order[1], by_order[0]}));
  // Fewer parts still come first, however rare.
  EXPECT_EQ(described("kuvakissa",
                      analyse_word(lexicon, morphology, "kuvakissa", nullptr, &*frequencies)),
            Strings{"kuva=kuva kissa=kissa"});
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
