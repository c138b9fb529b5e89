#include "lexicon/merge.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace pnt::lexicon {
namespace {

RawEntry entry(std::string headword, std::string tag, std::vector<Sense> senses) {
  return RawEntry{std::move(headword), std::move(tag), std::move(senses)};
}

std::uint8_t pos(std::string_view name) { return *pos_index(name); }

const MergedEntry* find(const std::vector<MergedEntry>& entries, std::string_view headword) {
  for (const MergedEntry& e : entries) {
    if (e.headword == headword) {
      return &e;
    }
  }
  return nullptr;
}

TEST(SenseNumbers, LeadingAndTrailingNumbersGoLoneNumbersBecomeEmpty) {
  EXPECT_EQ(strip_sense_numbers("7. talo 2."), "talo");
  EXPECT_EQ(strip_sense_numbers("Abu Dhabi 2."), "Abu Dhabi");
  EXPECT_EQ(strip_sense_numbers(" 3."), "");
  EXPECT_EQ(strip_sense_numbers("12. be, exist"), "be, exist");
  // Numbers that belong to the text stay.
  EXPECT_EQ(strip_sense_numbers("1. Mooseksen kirja"), "Mooseksen kirja");
  EXPECT_EQ(strip_sense_numbers("Catch-22"), "Catch-22");
  EXPECT_EQ(strip_sense_numbers("1.e4 e5"), "1.e4 e5");
  EXPECT_EQ(strip_sense_numbers("version 2.0"), "version 2.0");
}

TEST(Translations, HashLeftoversAndWikiLinks) {
  EXPECT_EQ(clean_translation("#Englanti", "albumiini"), "albumiini");
  EXPECT_EQ(clean_translation("acromegaly#Englanti", "akromegalia"), "acromegaly");
  EXPECT_EQ(clean_translation("2. physique#Englanti", "fysiikka"), "physique");
  EXPECT_EQ(clean_translation("Sapporo#en", "Sapporo"), "Sapporo");
  EXPECT_EQ(resolve_wiki_links("olla [[vanha|vanhempi]] kuin [[talo]]"), "olla vanhempi kuin talo");
  EXPECT_EQ(resolve_wiki_links("[[broken"), "[[broken");
}

TEST(FinnishTerms, PlaceholdersAndGrammarNotesAreDropped) {
  EXPECT_EQ(clean_finnish_term("talo"), "talo");
  EXPECT_EQ(clean_finnish_term("[[kissa]]"), "kissa");
  EXPECT_EQ(clean_finnish_term("olla (jonkin) kanssa"), "olla kanssa");
  EXPECT_EQ(clean_finnish_term("Suomi#Suomi"), "Suomi");
  EXPECT_FALSE(clean_finnish_term("olla ...[[-vuotias]]"));
  EXPECT_FALSE(clean_finnish_term("jk + genetiivi"));
  EXPECT_FALSE(clean_finnish_term("olla + third active infinitive in inessive case"));
  EXPECT_FALSE(clean_finnish_term("(partitive)"));
  EXPECT_FALSE(clean_finnish_term("(jotain)"));
  EXPECT_EQ(split_top_level_commas("kamari, talo (rakennus, koti),  koti"),
            (std::vector<std::string>{"kamari", "talo (rakennus, koti)", "koti"}));
}

TEST(Hints, ShortenedAtAWordBoundary) {
  EXPECT_EQ(short_hint("human abode."), "human abode");
  EXPECT_EQ(short_hint("a formal way to start (often after my) a letter"),
            "a formal way to start a letter");
  std::string hint =
      short_hint("used to connect a noun to an adjective that describes it in a longer sentence");
  EXPECT_TRUE(hint.ends_with("\xE2\x80\xA6"));
  EXPECT_LE(hint.size(), 44u);
  EXPECT_EQ(hint.find("  "), std::string::npos);
}

TEST(Merger, FinEngFirstThenInvertedWithoutRepeats) {
  Merger merger([](std::string_view) { return pos("noun"); });
  merger.add_fin_eng({entry("talo", "n", {{"house, home", "asuinrakennus"}}),
                      entry("olla", "v", {{"1. be", "olla"}, {"2. be, exist", "x"}})});
  merger.add_eng_fin({
      entry("house", "n", {{"7. talo 2.", "human abode"}, {" 3.", "dynasty"}}),
      entry("place", "n", {{"paikka, talo", "location"}}),
      entry("exist", "v", {{"olla, olla olemassa", "to be"}}),
      entry("be", "v", {{"olla", "exist"}}),
  });
  std::vector<MergedEntry> out = merger.finish();
  const MergedEntry* talo = find(out, "talo");
  ASSERT_NE(talo, nullptr);
  ASSERT_EQ(talo->groups.size(), 1u);
  EXPECT_EQ(talo->groups[0].pos, pos("noun"));
  // "house" is already a fin-eng sense, so the inverted ones are dropped.
  EXPECT_EQ(talo->groups[0].meanings, (std::vector<std::string>{"house, home", "place"}));
  const MergedEntry* olla = find(out, "olla");
  ASSERT_NE(olla, nullptr);
  EXPECT_EQ(olla->groups[0].meanings, (std::vector<std::string>{"be", "be, exist"}));
  ASSERT_NE(find(out, "olla olemassa"), nullptr);
  EXPECT_EQ(find(out, "olla olemassa")->groups[0].pos, pos("verb"));
  EXPECT_NE(find(out, "paikka"), nullptr);
}

TEST(Merger, RepeatedEnglishWordsGetTheirSenseAsHint) {
  Merger merger([](std::string_view) { return pos("noun"); });
  merger.add_eng_fin({
      entry("house", "n",
            {{"1. kamari, talo", "debating chamber"},
             {"2. talo", "human abode"},
             {" 3.", "dynasty"}}),
      entry("building", "n", {{"talo", "structure"}}),
  });
  std::vector<MergedEntry> out = merger.finish();
  const MergedEntry* talo = find(out, "talo");
  ASSERT_NE(talo, nullptr);
  // "building" has talo as its only translation, "house" as its second: it comes first.
  EXPECT_EQ(talo->groups[0].meanings,
            (std::vector<std::string>{"building", "house (debating chamber)", "house (human abode)",
                                      "house (dynasty)"}));
  EXPECT_EQ(find(out, "kamari")->groups[0].meanings, (std::vector<std::string>{"house"}));
}

TEST(Merger, CaseCollisionsStayApartAndGroupsFollowPos) {
  Merger merger([](std::string_view term) {
    return term.find(' ') != std::string_view::npos ? pos("phrase") : pos("noun");
  });
  merger.add_fin_eng(
      {entry("Suomi", "pn", {{"Finland", "maa"}}), entry("suomi", "n", {{"Finnish", "kieli"}}),
       entry("hyvä", "adj", {{"good", "x"}}), entry("hyvä", "interjection", {{"bravo", "x"}})});
  merger.add_eng_fin({entry("good", "n", {{"hyvä", "the good"}}),
                      entry("all right", "", {{"ihan hyvä, hyvä", ""}})});
  std::vector<MergedEntry> out = merger.finish();
  ASSERT_NE(find(out, "Suomi"), nullptr);
  ASSERT_NE(find(out, "suomi"), nullptr);
  EXPECT_EQ(find(out, "Suomi")->groups[0].meanings, (std::vector<std::string>{"Finland"}));
  const MergedEntry* hyva = find(out, "hyvä");
  ASSERT_EQ(hyva->groups.size(), 3u);
  EXPECT_EQ(hyva->groups[0].pos, pos("adj"));
  EXPECT_EQ(hyva->groups[1].pos, pos("intj"));
  EXPECT_EQ(hyva->groups[2].pos, pos("noun"));
  EXPECT_EQ(hyva->groups[2].meanings, (std::vector<std::string>{"good", "all right"}));
  EXPECT_EQ(find(out, "ihan hyvä")->groups[0].pos, pos("phrase"));
  // Byte order: capitals first.
  for (std::size_t i = 1; i < out.size(); ++i) {
    EXPECT_LT(out[i - 1].headword, out[i].headword);
  }
}

TEST(Merger, AtMostTwelveMeaningsPerGroup) {
  Merger merger([](std::string_view) { return pos("noun"); });
  std::vector<RawEntry> english;
  for (int i = 0; i < 20; ++i) {
    english.push_back(entry("word" + std::to_string(100 + i), "n", {{"sana", ""}}));
  }
  merger.add_eng_fin(english);
  std::vector<MergedEntry> out = merger.finish();
  ASSERT_EQ(out.size(), 1u);
  ASSERT_EQ(out[0].groups[0].meanings.size(), MAX_MEANINGS);
  EXPECT_EQ(out[0].groups[0].meanings.front(), "word100");
}

TEST(Merger, OnlyFinnishTermsOfAnEngFinExcerptBecomeHeadwords) {
  // eng-fin entries as they stand: translations without a definition line in the middle of
  // "lunar" and "further", and a suffix entry whose Finnish terms are written bare.
  const char* texts[] = {
      "lunar //\xCB\x88lu\xCB\x90n\xC9\x99// <adj>\n"
      "1. kuunsirpin muotoinen\n"
      "2. lunaarinen\n"
      "(believed to be) influenced by the Moon\n"
      "3. hopea-, kuu-\n"
      "of or pertaining to silver\n"
      "4. kuu-\n"
      "5. kuu-, lunaarinen\n"
      "of, pertaining to, or resembling the Moon\n",
      "further //f\xC9\x9C\xCB\x90\xC3\xB0\xC9\x99// <adv>\n"
      "1. kauempana, lis\xC3\xA4ksi\n"
      "2. kauemmaksi, kauempaa\n"
      "comparative of far\n"
      "3. edelleen\n"
      "in or for the future\n",
      "er //\xC9\x99// <suffix>\n"
      "1. ja, ri\n"
      "person whose occupation is...\n"
      "2. is\n"
      "used to form slang equivalents\n",
      "be <v>\nolla, olla olemassa\n",
  };
  std::vector<RawEntry> entries;
  for (const char* text : texts) {
    auto e = parse_entry(text);
    ASSERT_TRUE(e) << e.error().message();
    entries.push_back(std::move(*e));
  }
  Merger merger([](std::string_view) { return pos("noun"); });
  merger.add_fin_eng(
      {entry("ja", "conjunction", {{"and", ""}}), entry("ri", "suffix", {{"-er", ""}})});
  merger.add_eng_fin(entries);
  std::vector<MergedEntry> out = merger.finish();
  for (const char* english :
       {"of", "or", "is", "the", "pertaining to", "or resembling the Moon",
        "of or pertaining to silver", "comparative of far", "in or for the future"}) {
    EXPECT_EQ(find(out, english), nullptr) << english;
  }
  for (const char* finnish : {"kuunsirpin muotoinen", "lunaarinen", "hopea-", "kuu-", "kauempana",
                              "kauempaa", "edelleen", "olla", "olla olemassa", "-is", "-ja"}) {
    EXPECT_NE(find(out, finnish), nullptr) << finnish;
  }
  const MergedEntry* kuu = find(out, "kuu-");
  ASSERT_NE(kuu, nullptr);
  // Each definition stays with its own translation, here as the hint of a repeated word.
  EXPECT_EQ(kuu->groups[0].meanings.front(), "lunar (of or pertaining to silver)");
  // A suffix fin-eng lists bare keeps its spelling (the weak "er" goes beside fin-eng's
  // line); the conjunction "ja" gets no suffix group.
  const MergedEntry* ri = find(out, "ri");
  ASSERT_NE(ri, nullptr);
  EXPECT_EQ(ri->groups[0].meanings, (std::vector<std::string>{"-er"}));
  EXPECT_EQ(find(out, "-ri"), nullptr);
  ASSERT_EQ(find(out, "ja")->groups.size(), 1u);
  // Halves of templates and links left in the source.
  EXPECT_FALSE(
      clean_finnish_term("hy\xC3\xB6kk\xC3\xA4\xC3\xA4 v\xC3\xA4ijyksist\xC3\xA4 }} kimppuun"));
  EXPECT_FALSE(clean_finnish_term("[-n]] kaltainen"));
}

// Each group as "pos: meaning | meaning", in record order.
std::vector<std::string> shown(const std::vector<MergedEntry>& entries, std::string_view word) {
  std::vector<std::string> out;
  if (const MergedEntry* e = find(entries, word)) {
    for (const MergedGroup& g : e->groups) {
      std::string line = std::string(POS_NAMES[g.pos]) + ":";
      for (const std::string& m : g.meanings) {
        line += (&m == &g.meanings.front() ? " " : " | ") + m;
      }
      out.push_back(std::move(line));
    }
  }
  return out;
}

TEST(Merger, InvertedMeaningsAreFilteredByEvidenceAndRankedBeforeTheCap) {
  // What voikko would say: these words' classes; "teemapuisto" is a compound.
  const std::map<std::string, WordClasses, std::less<>> classes = {
      {"vesi", {{pos("noun")}, false}},       {"maa", {{pos("noun")}, false}},
      {"teemapuisto", {{pos("noun")}, true}}, {"meri", {{pos("noun")}, false}},
      {"olla", {{pos("verb")}, false}},       {"mennä", {{pos("verb")}, false}},
      {"aika", {{pos("noun")}, false}},       {"sade", {{pos("noun")}, false}},
      {"tehdä", {{pos("verb")}, false}},      {"siitä", {{pos("verb")}, false, true}}};
  Merger merger([](std::string_view) { return pos("noun"); });
  merger.use_classes([&](std::string_view w) {
    auto it = classes.find(w);
    return it == classes.end() ? WordClasses{} : it->second;
  });
  merger.add_fin_eng({entry("vesi", "n", {{"water", ""}}), entry("maa", "n", {{"earth", ""}}),
                      entry("meri", "n", {{"sea", ""}}), entry("olla", "v", {{"be", ""}}),
                      entry("mennä", "adj", {{"last", "mennyt"}}),
                      entry("mennä", "v", {{"go", ""}}), entry("aika", "adj", {{"some", ""}}),
                      entry("aika", "n", {{"time", ""}}), entry("tehdä", "v", {{"do", ""}}),
                      entry("siitä", "adv", {{"thence", ""}})});
  std::vector<RawEntry> eng_fin;
  for (const char* text : {
           "water <v>\n1. heittää, vesi\ncolloquial: to urinate\n2. kastella\nto pour water\n",
           "theme park <n>\nmaa, teemapuisto\namusement park\n",
           "cum <n>\nmälli\nslang: semen\n",
           "mare <n>\nmeri\nplanetology: dark circular plain\n",
           "account for <v>\n1. selittää\nexplain\n2. vastata\nanswer\n3. olla\nconstitute\n",
           "lie <v>\n1. maata, olla\nbe in horizontal position\n2. olla, sijaita\nbe situated\n",
           "there be <v>\nolla\nto exist\n",
           "clock in <v>\nleimata, olla\nto record one's arrival\n",
           "rain <v>\nsataa, sade\nto fall as rain\n",
           "rain <n>\nsade\ncondensed water falling\n",
           "effectuate <v>\ntehdä\nto bring about\n",
       }) {
    auto e = parse_entry(text);
    ASSERT_TRUE(e) << text;
    eng_fin.push_back(std::move(*e));
  }
  // Thirteen English words for "sana"; the one it translates best comes last in the alphabet.
  for (int i = 0; i < 12; ++i) {
    eng_fin.push_back(entry("word" + std::to_string(10 + i), "n", {{"muu, sana", ""}}));
  }
  eng_fin.push_back(entry("zword", "n", {{"sana", ""}}));
  // Ten English verbs more for "tehdä", a very general word: only its sole translation stays.
  for (int i = 0; i < 10; ++i) {
    eng_fin.push_back(entry("make" + std::to_string(i), "v", {{"valmistaa, tehdä", ""}}));
  }
  merger.add_eng_fin(eng_fin);
  MergeStats stats;
  std::vector<MergedEntry> out = merger.finish(&stats);

  const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
      {"vesi", {"noun: water"}},                  // no verb to fin-eng or voikko
      {"sade", {"noun: rain"}},                   // a noun is no verb
      {"heittää", {"verb: water (colloquial)"}},  // labelled, kept with its label
      {"kastella", {"verb: water"}},
      {"maa", {"noun: earth"}},  // only part of a Finnish compound
      {"teemapuisto", {"noun: theme park"}},
      {"mälli", {"noun: cum (slang)"}},
      {"meri", {"noun: sea"}},  // a field sense beside fin-eng's
      // By rank, one sense of each; weak ones and phrase parts ("clock in", "account for") go.
      {"olla", {"verb: be | there be | lie"}},
      {"tehdä", {"verb: do | effectuate"}},
      {"mennä", {"verb: go"}},                // fin-eng's adjective group of a verb
      {"siitä", {"adv: thence"}},             // ... but a form of a pronoun too
      {"aika", {"noun: time", "adj: some"}},  // the class voikko gives first
  };
  for (const auto& [word, groups] : expected) {
    EXPECT_EQ(shown(out, word), groups) << word;
  }
  const MergedEntry* sana = find(out, "sana");
  ASSERT_NE(sana, nullptr);
  ASSERT_EQ(sana->groups[0].meanings.size(), MAX_MEANINGS);
  EXPECT_EQ(sana->groups[0].meanings.front(), "zword");
  EXPECT_EQ(stats.dropped_groups, (std::vector<std::string>{"mennä adj: last"}));
  EXPECT_EQ(std::tuple(stats.other_class, stats.wrong_pos, stats.compound, stats.obscure,
                       stats.weak, stats.cap),
            std::tuple(1u, 1u, 3u, 1u, 10u, 1u));
}

TEST(SenseLabels, RegisterAndFieldLabelsButNotGrammarOrDefinitions) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"slang: semen", "slang"},
      {"(archaic) used to form the perfect", "archaic"},
      {"planetology: dark circular plain", "planetology"},
      {"computing, programming: a routine", "computing, programming"},
      {"(intransitive) to amount to", ""},
      {"female horse", ""},
      {"ratio 3:4 of a whole", ""},
  };
  for (const auto& [definition, label] : cases) {
    EXPECT_EQ(sense_label(definition), label) << definition;
  }
}

}  // namespace
}  // namespace pnt::lexicon
