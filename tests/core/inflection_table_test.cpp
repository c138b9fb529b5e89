#include "core/inflection_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pnt {
namespace {

// The shipped transducer (voikko-fi's mor.vfst); the tests skip when the data folder lacks it.
std::optional<vfst::Transducer> shipped(std::vector<std::uint8_t>& bytes) {
  std::ifstream in(std::string(PNT_DATA_DIR) + "/mor.vfst", std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  auto t = vfst::Transducer::open(bytes);
  return t ? std::optional(std::move(*t)) : std::nullopt;
}

// "label: form|form" per cell, in display order.
std::vector<std::string> picture(const InflectionTable& table) {
  std::vector<std::string> out;
  for (const TableCell* cell : table.cells()) {
    std::string line = cell->label + ":";
    for (const std::string& form : cell->forms) {
      line += (line.back() == ':' ? " " : "|") + form;
    }
    out.push_back(line);
  }
  return out;
}

TEST(InflectionTable, NounAndVerb) {
  std::vector<std::uint8_t> bytes;
  auto t = shipped(bytes);
  if (!t) {
    GTEST_SKIP() << "no mor.vfst in " << PNT_DATA_DIR;
  }
  InflectionTable omena = build_inflection_table(*t, "omena");
  EXPECT_EQ(omena.word_class, "nimisana");
  ASSERT_EQ(omena.sections.size(), 1u);
  EXPECT_EQ(omena.sections[0].columns, (std::vector<std::string>{"singular", "plural"}));
  const std::vector<std::string> cases = picture(omena);
  ASSERT_GE(cases.size(), 24u);
  EXPECT_EQ(
      std::vector<std::string>(cases.begin(), cases.begin() + 4),
      (std::vector<std::string>{"singular nominative: omena", "plural nominative: omenat",
                                "singular genitive: omenan",
                                "plural genitive: omenain|omenien|omenoiden|omenoitten|omenojen"}));
  EXPECT_EQ(cases.back(), "plural instructive: omenin|omenoin");

  InflectionTable juosta = build_inflection_table(*t, "juosta");
  EXPECT_EQ(juosta.word_class, "teonsana");
  std::vector<std::string> titles;
  for (const TableSection& s : juosta.sections) {
    titles.push_back(s.title + " " + std::to_string(s.rows.size()));
  }
  EXPECT_EQ(titles,
            (std::vector<std::string>{"indicative present 7", "indicative past 7", "conditional 7",
                                      "imperative 6", "potential 7", "negative forms 7",
                                      "infinitives 9", "participles 5"}));
  const std::vector<std::string> verb = picture(juosta);
  for (const char* cell :
       {"indicative present, 1st person singular: juoksen", "indicative past, passive: juostiin",
        "conditional, 3rd person plural: juoksisivat",
        "imperative, 2nd person plural: juoskaa|juoskaatte", "indicative connegative: juosta",
        "imperative connegative: juokse|juosko|juostako", "MA-infinitive abessive: juoksematta",
        "present active participle: juokseva"}) {
    EXPECT_NE(std::find(verb.begin(), verb.end(), cell), verb.end()) << cell;
  }
  EXPECT_TRUE(build_inflection_table(*t, "ja").empty());
  EXPECT_TRUE(build_inflection_table(*t, "xqzt").empty());
}

}  // namespace
}  // namespace pnt
