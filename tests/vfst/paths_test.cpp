#include "vfst/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/vfst/vfst_writer.h"

namespace pnt::vfst {
namespace {

// talo, talossa, talohan (untagged clitic), talossani (possessive), talokin (tagged clitic),
// and a path that a flag diacritic blocks; plus an unwanted root "tila".
std::vector<TinyState> tiny_lexicon() {
  std::vector<TinyState> s(29);
  s[0].arcs = {{"t", "[Ln]", 1}, {"t", "[Ln]", 20}};
  s[1].arcs = {{"a", "[Xp]", 2}};
  s[2].arcs = {{"", "t", 3}};
  s[3].arcs = {{"", "a", 4}};
  s[4].arcs = {{"", "l", 5}};
  s[5].arcs = {{"", "o", 6}};
  s[6].arcs = {{"l", "[X]", 7}};
  s[7].arcs = {{"o", "talo", 8}};
  s[8].arcs = {{"", "[Sn]", 9}, {"s", "[Sine]", 10}};
  s[9].final = true;
  s[9].arcs = {{"h", "h", 21}, {"k", "[Fkin]", 24}};
  s[21].arcs = {{"a", "a", 22}};
  s[22].arcs = {{"n", "n", 23}};
  s[23].arcs = {{"", "[Ef]", 19}};
  s[24].arcs = {{"i", "i", 25}};
  s[25].arcs = {{"n", "n", 19}};
  s[10].arcs = {{"s", "ss", 11}};
  s[11].arcs = {{"a", "a", 15}};
  s[15].final = true;
  s[15].arcs = {{"n", "[O1y]", 16}, {"@P.BLOCK.ON@", "", 17}};
  s[16].arcs = {{"i", "ni", 19}};
  s[17].arcs = {{"@D.BLOCK@", "x", 18}};
  s[18].final = true;
  s[19].final = true;
  // The unwanted root "tila" is cut off at its second letter.
  s[20].arcs = {{"", "[Xp]", 26}};
  s[26].arcs = {{"", "t", 27}};
  s[27].arcs = {{"", "i", 28}};
  s[28].arcs = {{"i", "[X]", 19}};
  return s;
}

std::vector<std::pair<std::string, std::string>> walk(const Transducer& t, bool possessives) {
  WantedLexemes wanted;
  wanted.add("[Ln]", "talo", "talo");
  EnumerateOptions options;
  options.possessives = possessives;
  std::vector<std::pair<std::string, std::string>> paths;
  auto stats = enumerate_paths(t, wanted, options, [&](const Path& path) {
    paths.emplace_back(path.surface, path.output);
    EXPECT_EQ(path.root, "talo");
    EXPECT_EQ(path.base, "talo");
    EXPECT_EQ(path.word_class, "[Ln]");
  });
  EXPECT_FALSE(stats.capped);
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(Vfst, ParsesHeaderSymbolsAndFlags) {
  auto bytes = build_vfst(tiny_lexicon());
  auto t = Transducer::open(bytes);
  ASSERT_TRUE(t) << t.error().message();
  EXPECT_EQ(t->symbols()[0], "");
  EXPECT_GE(t->feature_count(), 1u);
  EXPECT_TRUE(t->is_final(0) == false);
  auto flag = std::find(t->symbols().begin(), t->symbols().end(), "@P.BLOCK.ON@");
  ASSERT_NE(flag, t->symbols().end());
  EXPECT_EQ(t->flags()[static_cast<std::size_t>(flag - t->symbols().begin())].op, 'P');
}

TEST(Vfst, RejectsDamagedFiles) {
  auto bytes = build_vfst(tiny_lexicon());
  EXPECT_FALSE(Transducer::open(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 10)));
  auto bad_magic = bytes;
  bad_magic[0] ^= 1;
  EXPECT_FALSE(Transducer::open(bad_magic));
  auto cut = std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 4);
  EXPECT_FALSE(Transducer::open(cut));
  // A target beyond the last cell opens (cells are read in place); the walk skips it.
  auto far = bytes;
  far[far.size() - 2] = 0x7F;
  auto t = Transducer::open(far);
  ASSERT_TRUE(t);
  EXPECT_EQ(walk(*t, true).size(), 3u);  // the damaged arc was the unwanted root's
}

TEST(Vfst, EnumeratesWantedPathsWithoutCliticsAndHonoursFlags) {
  auto bytes = build_vfst(tiny_lexicon());
  auto t = Transducer::open(bytes);
  ASSERT_TRUE(t);
  auto with = walk(*t, true);
  std::vector<std::string> forms;
  for (const auto& [in, out] : with) {
    forms.push_back(in);
  }
  // talohan ends in letters then [Ef]; talokin has [Fkin]; the D flag blocks "talossax";
  // the "tila" root is not wanted.
  EXPECT_EQ(forms, (std::vector<std::string>{"talo", "talossa", "talossani"}));
  auto without = walk(*t, false);
  ASSERT_EQ(without.size(), 2u);
  EXPECT_EQ(without[1].first, "talossa");
}

TEST(Vfst, RunawayEnumerationStopsAtTheCap) {
  // A final state that loops on itself: without limits the walk would not end.
  std::vector<TinyState> s(4);
  s[0].arcs = {{"t", "[Xp]", 1}};
  s[1].arcs = {{"", "t", 2}};
  s[2].arcs = {{"", "[X]", 3}};
  s[3].final = true;
  s[3].arcs = {{"a", "a", 3}, {"", "b", 3}};
  auto bytes = build_vfst(s);
  auto t = Transducer::open(bytes);
  ASSERT_TRUE(t);
  WantedLexemes wanted;
  wanted.add("", "t", "t");
  EnumerateOptions options;
  options.max_paths = 1000;
  std::size_t n = 0;
  auto stats = enumerate_paths(*t, wanted, options, [&](const Path&) { ++n; });
  EXPECT_TRUE(stats.capped);
  EXPECT_EQ(n, 1000u);
  options.max_paths = 1'000'000'000;
  options.max_input = 3;
  options.max_output = 8;
  n = 0;
  stats = enumerate_paths(*t, wanted, options, [&](const Path&) { ++n; });
  EXPECT_FALSE(stats.capped);
  EXPECT_GT(n, 0u);
  EXPECT_LT(n, 1000u);
}

TEST(Vfst, DerivationStepsAndMinimumCutPaths) {
  // Root "t" read as "t" or, by two derivations, as "tab": once by the steps "ta", "tab" and
  // once by "tx", "tab".
  std::vector<TinyState> s(26);
  s[0].arcs = {{"", "[Lt]", 1}};
  s[1].arcs = {{"", "[Xp]", 2}};
  s[2].arcs = {{"", "t", 3}};
  s[3].arcs = {{"", "[X]", 4}};
  s[4].arcs = {{"t", "t", 5}};
  s[5].arcs = {{"", "[Sn]", 25}, {"", "[Xj]", 6}, {"", "[Xj]", 15}};
  s[6].arcs = {{"", "a", 7}};
  s[7].arcs = {{"", "[X]", 8}};
  s[8].arcs = {{"a", "a", 9}};
  s[9].arcs = {{"", "[Xj]", 10}};
  s[10].arcs = {{"", "b", 11}};
  s[11].arcs = {{"", "[X]", 12}};
  s[12].arcs = {{"b", "b", 13}};
  s[13].arcs = {{"", "[Sn]", 25}};
  s[15].arcs = {{"", "x", 16}};
  s[16].arcs = {{"", "[X]", 17}};
  s[17].arcs = {{"", "[Xj]", 18}};
  s[18].arcs = {{"", "a", 19}};
  s[19].arcs = {{"", "b", 20}};
  s[20].arcs = {{"", "[X]", 21}};
  s[21].arcs = {{"a", "a", 22}};
  s[22].arcs = {{"b", "b", 13}};
  s[25].final = true;
  auto bytes = build_vfst(s);
  auto t = Transducer::open(bytes);
  ASSERT_TRUE(t);
  WantedLexemes wanted;
  wanted.add("[Lt]", "t", "tab");
  EnumerateOptions options;
  options.max_derivations = 2;
  auto outputs = [&] {
    std::vector<std::string> out;
    (void)enumerate_paths(*t, wanted, options, [&](const Path& p) { out.emplace_back(p.output); });
    return out;
  };
  EXPECT_EQ(outputs().size(), 3u);
  wanted.steps = {lexeme_key("[Lt]", "t", "ta"), lexeme_key("[Lt]", "t", "tab")};
  EXPECT_EQ(outputs(),
            (std::vector<std::string>{"[Lt][Xp]t[X]t[Sn]", "[Lt][Xp]t[X]t[Xj]a[X]a[Xj]b[X]b[Sn]"}));
  options.min_derivations = 2;
  EXPECT_EQ(outputs(), (std::vector<std::string>{"[Lt][Xp]t[X]t[Xj]a[X]a[Xj]b[X]b[Sn]"}));
}

}  // namespace
}  // namespace pnt::vfst
