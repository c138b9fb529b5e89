#include "tools/synth/fixture_table.h"

#include <cstdio>
#include <set>
#include <string_view>
#include <utility>

namespace pnt::synth {
namespace {

LexiconTable build_fixture_table() {
  LexiconTable t;
  const auto add = [&t](std::string word, std::vector<TableGroup> groups) {
    t.headwords.push_back(HeadwordRow{std::move(word), std::move(groups)});
  };
  const auto form = [&t](std::string text, std::vector<std::string> headwords) {
    t.forms.push_back(FormRow{std::move(text), std::move(headwords)});
  };

  // The first keys in byte order.
  add("'", {{"punct", {"marks a letter left out, especially in colloquial speech"}}});
  add("'auhelawa", {{"name", {"an Austronesian language of Papua New Guinea"}}});
  add("'patafysiikka", {{"noun", {"pataphysics"}}});
  add("-", {{"punct", {"hyphen", "dash"}}});

  // Finnish headwords that are also English words, and a one-letter one.
  add("a", {{"character", {"The first letter of the Finnish alphabet."}}});
  add("as", {{"abbrev", {"apartment"}}});
  add("house", {{"noun", {"house music"}}});
  add("to", {{"abbrev", {"Thursday"}}});

  add("talo",
      {{"noun",
        {"building", "farm, homestead", "house (building meant to serve as a human abode)"}}});
  add("talo elää tavallaan, vieras tulee ajallaan",
      {{"proverb", {"every house has its own customs"}}});
  add("taloa", {{"noun", {"partitive singular of talo"}}});
  add("talohistoriikki", {{"noun", {"house history"}}});
  add("taloissa", {{"noun", {"inessive plural of talo"}}});
  add("talossa", {{"noun", {"inessive singular of talo"}}});
  add("Talola", {{"name", {"a Finnish surname"}}});
  add("Helena", {{"name", {"a female given name"}}});
  form("taloa", {"talo", "taloa"});
  form("taloissa", {"talo", "taloissa"});
  form("taloja", {"talo"});
  form("talon", {"talo"});
  form("talossa", {"talo", "talossa"});
  form("talossaan", {"talo"});
  form("talot", {"talo"});
  form("Talolan", {"Talola"});

  add("Suomi", {{"name", {"Finland (a country in Northern Europe)"}}});
  add("suomi", {{"noun", {"Finnish (language)", "fen, marsh"}}});
  form("Suomen", {"Suomi"});
  form("suomea", {"suomi"});

  add("olla", {{"verb", {"to be", "Synonym of olla olemassa (“to exist”)"}}});
  add("olla olemassa", {{"verb", {"to exist"}}});
  add("on", {{"verb", {"third-person singular present indicative of olla"}}});
  add("olen", {{"verb", {"first-person singular present indicative of olla"}}});
  form("on", {"olla", "on"});
  form("olen", {"olla", "olen"});
  form("olemme", {"olla"});
  form("ollut", {"olla"});

  add("hyvä", {{"adj", {"good"}}, {"noun", {"good, benefit"}}});
  add("parempi", {{"adj", {"comparative degree of hyvä"}}});
  form("hyvän", {"hyvä"});
  form("parempi", {"hyvä", "parempi"});

  add("juosta", {{"verb", {"to run"}}});
  add("juoksin", {{"verb", {"first-person singular past indicative of juosta"}}});
  add("juko", {{"noun", {"yoke (wooden bar)"}}});
  form("juosta", {"juko", "juosta"});
  form("juoksin", {"juoksin", "juosta"});
  form("juoksen", {"juosta"});

  // More "kissa…" headwords and forms than one result list holds.
  add("kissa", {{"noun", {"cat"}}});
  add("kissaeläin", {{"noun", {"feline"}}});
  add("kissamainen", {{"adj", {"catlike"}}});
  add("kissankello", {{"noun", {"harebell"}}});
  add("kissanpentu", {{"noun", {"kitten"}}});
  for (const char* ending : {"kissaa", "kissan", "kissassa", "kissat", "kissoja"}) {
    form(ending, {"kissa"});
  }
  form("kissanpennut", {"kissanpentu"});
  for (int i = 1; i <= 100; ++i) {
    char word[16];
    std::snprintf(word, sizeof word, "kissa%03d", i);
    add(word, {{"noun", {std::string("compound number ") + (word + 5)}}});
    form(std::string(word) + "n", {word});
  }

  // A few English keys: "house" also names the Finnish headword "house", "feline" leads to
  // two headwords out of their byte order, "building" leads to "talo" alone.
  const auto english = [&t](std::string key, std::vector<std::string> headwords) {
    t.english.push_back(FormRow{std::move(key), std::move(headwords)});
  };
  english("be", {"olla"});
  english("building", {"talo"});
  english("cat", {"kissa"});
  english("catlike", {"kissamainen"});
  english("exist", {"olla olemassa"});
  english("feline", {"kissaeläin", "kissa"});
  english("finland", {"Suomi"});
  english("finnish", {"suomi"});
  english("good", {"hyvä"});
  english("house", {"talo", "house"});
  english("run", {"juosta"});

  // Every headword is its own form, except the proverb: no inflected form starts with "talo ".
  std::set<std::string_view> listed;
  for (const FormRow& row : t.forms) {
    listed.insert(row.form);
  }
  std::vector<FormRow> own;
  for (const HeadwordRow& row : t.headwords) {
    if (!listed.contains(row.word) && row.word.find(' ') == std::string::npos) {
      own.push_back(FormRow{row.word, {row.word}});
    }
  }
  own.push_back(FormRow{"olla olemassa", {"olla olemassa"}});
  t.forms.insert(t.forms.end(), own.begin(), own.end());
  return t;
}

}  // namespace

const LexiconTable& fixture_table() {
  static const LexiconTable table = build_fixture_table();
  return table;
}

}  // namespace pnt::synth
