#include "lexicon/analysis.h"

#include <gtest/gtest.h>

namespace pnt::lexicon {
namespace {

TEST(FstOutput, SimpleWordRootAndBase) {
  auto parts = parse_fst_output("[Ln][Ica][Xp]talo[X]talo[Sine][Nm]issa");
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_EQ(parts[0].word_class, "[Ln]");
  EXPECT_EQ(parts[0].root, "talo");
  EXPECT_EQ(parts[0].base, "talo");
  EXPECT_FALSE(parts[0].derived);
  EXPECT_FALSE(parts[0].possessive);
  EXPECT_TRUE(parse_fst_output("[Ln][Xp]talo[X]talo[Sine][Ny]ssaa[O3]n")[0].possessive);
}

TEST(FstOutput, DerivedBaseIsSurfaceBeforeDerivationPlusItsText) {
  auto part = parse_fst_output("[Lt][Xp]juosta[X]juokse[Ll][Rv]v[Xj]a[X][Sn][Ny]a")[0];
  EXPECT_EQ(part.word_class, "[Lt]");
  EXPECT_EQ(part.root, "juosta");
  EXPECT_EQ(part.base, "juokseva");
  EXPECT_TRUE(part.derived);
  EXPECT_TRUE(part.participle);
  auto noun = parse_fst_output("[Ln][Xp]kauppa[X]kaup[Ll][Xj]allinen[X]pallise[Sine][Ny]ssa")[0];
  EXPECT_EQ(noun.base, "kaupallinen");
  EXPECT_FALSE(noun.participle);
  // A noun made from a participle ("-neisuus") is not a participle of the verb.
  auto made = parse_fst_output("[Lt][Xp]uupua[X]uupu[Ru]neisu[Ln][Xj]us[X]u[Sn][Ny]s")[0];
  EXPECT_EQ(made.base, "uupuneisuus");
  EXPECT_FALSE(made.participle);
  auto uupunut = parse_fst_output("[Lt][Xp]uupua[X]uupu[Ll][Ru]n[Xj]ut[X][Sn][Ny]ut")[0];
  EXPECT_TRUE(uupunut.participle);
  EXPECT_EQ(uupunut.participle_of, "uupua");
  // The participle of a derived verb belongs to the derived verb.
  auto defined =
      parse_fst_output("[Lt][Xp]määrittää[X]määritel[Xj]lä[X][Ll][Rt][Xj]ty[X]ty[Sn][Ny]")[0];
  EXPECT_TRUE(defined.participle);
  EXPECT_EQ(defined.base, "määritelty");
  EXPECT_EQ(defined.participle_of, "määritellä");
}

TEST(FstOutput, CompoundPartsAndMorphemeMarks) {
  auto parts = parse_fst_output(
      "[Ln][Xp]panssari[X]panssar[Sn][Ny]i[Bh][Bc][Ln][Xp]verkko[X]verkko[Sn][Ny][Bh][Bc]"
      "[Ln][Xp]aita[X]ait[Sn][Ny]a");
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[2].root, "aita");
  EXPECT_EQ(parts[2].base, "aita");
  EXPECT_EQ(parse_fst_output("[Ln][Xp]vähittäis=myynti[X]x")[0].root, "vähittäismyynti");
  // Structure groups do not leak into the root or the base.
  auto abbr = parse_fst_output("[Ln][Xr]ipppp=[X][Xp]Etelä=manner[X]etelämanner[Sn][Ny]")[0];
  EXPECT_EQ(abbr.root, "Etelämanner");
  EXPECT_EQ(abbr.base, "Etelämanner");
}

Attributes attrs(std::initializer_list<std::pair<const std::string, std::string>> list) {
  return Attributes(list);
}

TEST(FormOf, NominalCasesNumbersAndDegrees) {
  EXPECT_EQ(form_of_text(
                attrs({{"CLASS", "nimisana"}, {"SIJAMUOTO", "sisaolento"}, {"NUMBER", "plural"}}),
                "talo"),
            "inessive plural of talo");
  EXPECT_EQ(
      form_of_text(attrs({{"CLASS", "nimisana"}, {"SIJAMUOTO", "osanto"}, {"NUMBER", "singular"}}),
                   "talo"),
      "partitive singular of talo");
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "laatusana"},
                                {"SIJAMUOTO", "nimento"},
                                {"NUMBER", "singular"},
                                {"COMPARISON", "comparative"}}),
                         "hyvä"),
            "comparative degree of hyvä");
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "laatusana"},
                                {"SIJAMUOTO", "sisaolento"},
                                {"NUMBER", "plural"},
                                {"COMPARISON", "superlative"}}),
                         "hyvä"),
            "inessive plural of the superlative degree of hyvä");
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "nimisana"},
                                {"SIJAMUOTO", "sisaolento"},
                                {"NUMBER", "singular"},
                                {"POSSESSIVE", "3"}}),
                         "talo"),
            "inessive singular of talo with third-person possessive suffix");
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "laatusana"}, {"SIJAMUOTO", "kerrontosti"}}), "nopea"),
            "adverbial form of nopea");
  // The citation form itself names nothing.
  EXPECT_FALSE(form_of_text(
      attrs({{"CLASS", "nimisana"}, {"SIJAMUOTO", "nimento"}, {"NUMBER", "singular"}}), "talo"));
}

TEST(FormOf, VerbsAndParticiples) {
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "teonsana"},
                                {"MOOD", "indicative"},
                                {"TENSE", "present_simple"},
                                {"PERSON", "1"},
                                {"NUMBER", "singular"},
                                {"NEGATIVE", "false"}}),
                         "olla"),
            "first-person singular present indicative of olla");
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "teonsana"},
                                {"MOOD", "indicative"},
                                {"TENSE", "past_imperfective"},
                                {"PERSON", "4"},
                                {"NEGATIVE", "false"}}),
                         "juosta"),
            "passive past indicative of juosta");
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "teonsana"},
                                {"MOOD", "imperative"},
                                {"TENSE", "present_simple"},
                                {"PERSON", "2"},
                                {"NUMBER", "singular"},
                                {"NEGATIVE", "both"}}),
                         "olla"),
            "second-person singular present imperative of olla");
  EXPECT_EQ(
      form_of_text(
          attrs({{"CLASS", "teonsana"}, {"MOOD", "MA-infinitive"}, {"SIJAMUOTO", "sisaolento"}}),
          "juosta"),
      "inessive of the third infinitive of juosta");
  EXPECT_FALSE(form_of_text(attrs({{"CLASS", "teonsana"}, {"MOOD", "A-infinitive"}}), "olla"));
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "laatusana"},
                                {"PARTICIPLE", "present_active"},
                                {"SIJAMUOTO", "nimento"},
                                {"NUMBER", "singular"},
                                {"COMPARISON", "positive"}}),
                         "juosta"),
            "present active participle of juosta");
  EXPECT_EQ(form_of_text(attrs({{"CLASS", "laatusana"},
                                {"PARTICIPLE", "past_passive"},
                                {"SIJAMUOTO", "sisaolento"},
                                {"NUMBER", "plural"}}),
                         "juosta"),
            "inessive plural of the past passive participle of juosta");
}

TEST(Capitals, FirstLetterOnly) {
  EXPECT_EQ(capitalize_first("suomessa"), "Suomessa");
  EXPECT_EQ(capitalize_first("äänekoski"), "Äänekoski");
  EXPECT_EQ(capitalize_first("1990"), "1990");
  EXPECT_TRUE(starts_upper("Åland"));
  EXPECT_FALSE(starts_upper("åland"));
  EXPECT_FALSE(starts_upper(""));
}

}  // namespace
}  // namespace pnt::lexicon
