#include "core/readings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pnt {
namespace {

// The shipped transducer (voikko-fi's mor.vfst); the tests skip when the data folder lacks it.
const std::vector<std::uint8_t>& shipped_mor() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::ifstream in(std::string(PNT_DATA_DIR) + "/mor.vfst", std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  }();
  return bytes;
}

struct Pinned {
  std::string word;
  std::vector<std::string> readings;  // libvoikko's distinct analyses, sorted
};

// libvoikko 4.3.1 over voikko-fi 2.5 on these words: cases, possessives, passive,
// infinitives, participles, comparatives, clitics, compounds, capitals.
const std::vector<Pinned> PINNED = {
    {"taloissamme",
     {"BASEFORM=talo CLASS=nimisana SIJAMUOTO=sisaolento NUMBER=plural POSSESSIVE=1p"}},
    {"juoksisin",
     {"BASEFORM=juosta CLASS=teonsana NUMBER=singular PERSON=1 MOOD=conditional "
      "TENSE=present_simple NEGATIVE=false"}},
    {"paremmassa",
     {"BASEFORM=hyvä CLASS=laatusana SIJAMUOTO=sisaolento NUMBER=singular COMPARISON=comparative"}},
    {"kissakin", {"BASEFORM=kissa CLASS=nimisana SIJAMUOTO=nimento NUMBER=singular FOCUS=kin"}},
    {"juostaan",
     {"BASEFORM=juosta CLASS=teonsana PERSON=4 MOOD=indicative TENSE=present_simple "
      "NEGATIVE=false"}},
    {"juoksematta",
     {"BASEFORM=juoksema CLASS=nimisana SIJAMUOTO=vajanto NUMBER=singular PARTICIPLE=agent",
      "BASEFORM=juosta CLASS=teonsana SIJAMUOTO=vajanto NUMBER=singular MOOD=MA-infinitive"}},
    {"juokseva",
     {"BASEFORM=juokseva CLASS=laatusana SIJAMUOTO=nimento NUMBER=singular "
      "PARTICIPLE=present_active COMPARISON=positive"}},
    {"hiirenloukku", {"BASEFORM=hiirenloukku CLASS=nimisana SIJAMUOTO=nimento NUMBER=singular"}},
    {"kuvaus", {"BASEFORM=kuvaus CLASS=nimisana SIJAMUOTO=nimento NUMBER=singular"}},
    {"taloko",
     {"BASEFORM=talo CLASS=nimisana SIJAMUOTO=nimento NUMBER=singular KYSYMYSLIITE=true"}},
    {"älä", {"BASEFORM=ei CLASS=kieltosana NUMBER=singular PERSON=2 MOOD=imperative"}},
    {"talossahan", {"BASEFORM=talo CLASS=nimisana SIJAMUOTO=sisaolento NUMBER=singular"}},
    {"sininen",
     {"BASEFORM=sininen CLASS=laatusana SIJAMUOTO=nimento NUMBER=singular COMPARISON=positive"}},
    {"juostessa", {"BASEFORM=juosta CLASS=teonsana MOOD=E-infinitive"}},
    {"juoksemaisillaan", {"BASEFORM=juosta CLASS=teonsana POSSESSIVE=3 MOOD=MAINEN-infinitive"}},
    {"helsingissä", {"BASEFORM=Helsinki CLASS=paikannimi SIJAMUOTO=sisaolento NUMBER=singular"}},
    {"nopeasti", {"BASEFORM=nopea CLASS=laatusana SIJAMUOTO=kerrontosti COMPARISON=positive"}},
    {"juoksin",
     {"BASEFORM=juosta CLASS=teonsana NUMBER=singular PERSON=1 MOOD=indicative "
      "TENSE=past_imperfective NEGATIVE=false"}},
    {"juoskoon",
     {"BASEFORM=juosta CLASS=teonsana NUMBER=singular PERSON=3 MOOD=imperative "
      "TENSE=present_simple NEGATIVE=false"}},
    {"juossee",
     {"BASEFORM=juosta CLASS=teonsana NUMBER=singular PERSON=3 MOOD=potential TENSE=present_simple "
      "NEGATIVE=false"}},
    {"juostu",
     {"BASEFORM=juostu CLASS=laatusana SIJAMUOTO=nimento NUMBER=singular PARTICIPLE=past_passive "
      "COMPARISON=positive"}},
    {"juoksematon",
     {"BASEFORM=juoksematon CLASS=laatusana SIJAMUOTO=nimento NUMBER=singular PARTICIPLE=negation "
      "COMPARISON=positive"}},
    {"juostava",
     {"BASEFORM=juostava CLASS=laatusana SIJAMUOTO=nimento NUMBER=singular "
      "PARTICIPLE=present_passive COMPARISON=positive"}},
    {"juokseminen",
     {"BASEFORM=juosta CLASS=teonsana SIJAMUOTO=nimento NUMBER=singular MOOD=MINEN-infinitive"}},
    {"paras",
     {"BASEFORM=hyvä CLASS=laatusana SIJAMUOTO=nimento NUMBER=singular COMPARISON=superlative"}},
    {"omenoiden", {"BASEFORM=omena CLASS=nimisana SIJAMUOTO=omanto NUMBER=plural"}},
    {"hänet", {"BASEFORM=hän CLASS=asemosana SIJAMUOTO=kohdanto NUMBER=singular"}},
    {"tv:ssä",
     {"BASEFORM=TV CLASS=lyhenne SIJAMUOTO=sisaolento NUMBER=singular",
      "BASEFORM=tv CLASS=lyhenne SIJAMUOTO=sisaolento NUMBER=singular"}},
    {"yhdentoista", {"BASEFORM=yksitoista CLASS=lukusana SIJAMUOTO=omanto NUMBER=singular"}},
    {"eroavuudet", {"BASEFORM=eroavuus CLASS=nimisana SIJAMUOTO=nimento NUMBER=plural"}},
    {"arvatenkin", {"BASEFORM=arvata CLASS=teonsana MOOD=E-infinitive FOCUS=kin"}},
    {"kissakaan", {"BASEFORM=kissa CLASS=nimisana SIJAMUOTO=nimento NUMBER=singular FOCUS=kaan"}},
    {"html-kopio", {"BASEFORM=HTML-kopio CLASS=nimisana SIJAMUOTO=nimento NUMBER=singular"}},
};

TEST(Readings, AgreeWithLibvoikkoOnPinnedWords) {
  if (shipped_mor().empty()) {
    GTEST_SKIP() << "no mor.vfst in " << PNT_DATA_DIR;
  }
  auto t = vfst::Transducer::open(shipped_mor());
  ASSERT_TRUE(t);
  for (const Pinned& p : PINNED) {
    std::vector<std::string> got;
    for (const Reading& r : readings(*t, p.word)) {
      got.push_back(attribute_fields(r, " "));
    }
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, p.readings) << p.word;
  }
  EXPECT_TRUE(readings(*t, "xqzt").empty());
  EXPECT_EQ(readings(*t, "Taloissamme"), readings(*t, "taloissamme"));
}

TEST(Readings, ReadAsShortEnglishLines) {
  if (shipped_mor().empty()) {
    GTEST_SKIP() << "no mor.vfst in " << PNT_DATA_DIR;
  }
  auto t = vfst::Transducer::open(shipped_mor());
  ASSERT_TRUE(t);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"taloissamme", "taloissamme: plural inessive + our (talo, noun)"},
      {"juoksisin", "juoksisin: conditional, 1st person singular (juosta, verb)"},
      {"paremmassa", "paremmassa: comparative, singular inessive (hyvä, adjective)"},
      {"juostaan", "juostaan: present, passive (juosta, verb)"},
      {"juoksevaa",
       "juoksevaa: present active participle, singular partitive (juokseva, participle of juosta)"},
      {"kissakin", "kissakin: singular nominative + -kin (kissa, noun)"},
      {"juoksematta", "juoksematta: MA-infinitive, abessive (juosta, verb)"},
  };
  for (const auto& [word, line] : cases) {
    std::vector<std::string> lines;
    for (const Reading& r : readings(*t, word)) {
      lines.push_back(reading_line(word, r));
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << word;
  }
}

TEST(Readings, CompoundBoundariesAreByteOffsets) {
  const std::vector<std::pair<std::string, std::vector<std::uint32_t>>> cases = {
      {"[Ln][Xp]hiiri[X]hiir[Sg][Ny]en[Bh][Bc][Ln][Xp]loukku[X]loukku[Sn][Ny]", {6}},
      {"[Lt][Xp]kuvata[X]kuva[Ln][Xj]us[X]u[Sn][Ny]s", {}},  // a derivation is no boundary
      {"[Ln][Xp]alkio[X]alkio[Sn][Ny]-[Bh][Bc][Ln][Xp]opisto[X]opisto[Sine][Ny]ssa", {6}},
  };
  for (const auto& [output, boundaries] : cases) {
    auto r = reading_of_output(output);
    ASSERT_TRUE(r) << output;
    EXPECT_EQ(r->boundaries, boundaries) << output;
  }
  EXPECT_FALSE(reading_of_output("[Ln]talo"));
}

}  // namespace
}  // namespace pnt
