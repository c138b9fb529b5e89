#include "core/expand.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/fixture.h"

namespace pnt {
namespace {

using testing::Fixture;
using testing::FixtureTable;
using testing::FormRow;
using testing::HeadwordRow;
using testing::TableGroup;

HeadwordRow noun(std::string word, std::vector<std::string> meanings) {
  return HeadwordRow{std::move(word), {TableGroup{"noun", std::move(meanings)}}};
}

FixtureTable table(std::vector<HeadwordRow> headwords, std::vector<FormRow> forms = {}) {
  FixtureTable t;
  t.headwords = std::move(headwords);
  t.forms = std::move(forms);
  return t;
}

Entry entry_of(std::vector<std::string> meanings) {
  return Entry{{PosGroup{"noun", std::move(meanings)}}};
}

std::vector<std::string> phrases(const std::vector<Expansion>& expansions) {
  std::vector<std::string> out;
  for (const Expansion& e : expansions) {
    out.push_back(e.phrase);
  }
  return out;
}

// Each link as "target@text-of-span", which shows both the target and the span at once.
std::vector<std::string> described(std::string_view text, const std::vector<Link>& links) {
  std::vector<std::string> out;
  for (const Link& link : links) {
    EXPECT_LT(link.start, link.end);
    EXPECT_LE(link.end, text.size());
    out.push_back(link.target + "@" + std::string(text.substr(link.start, link.end - link.start)));
  }
  return out;
}

using Strings = std::vector<std::string>;

// --- Phrases ------------------------------------------------------------------------------

TEST(MakePhrase, StripsOnlyTheOuterEnds) {
  auto phrase = [](std::vector<std::string_view> tokens) { return make_phrase(tokens); };
  EXPECT_EQ(phrase({"(building", "meant"}), "building meant");
  EXPECT_EQ(phrase({"farm,", "homestead"}), "farm, homestead");
  EXPECT_EQ(phrase({"(Talo.)"}), "talo");
  EXPECT_EQ(phrase({"[\"it's'\"]!?;:"}), "it's");
  // Inner ends keep their punctuation; a piece that becomes empty keeps its place.
  EXPECT_EQ(phrase({"(a)", "(b)", "(c)"}), "a) (b) (c");
  EXPECT_EQ(phrase({"(", "talo"}), " talo");
  EXPECT_EQ(phrase({"talo", ")."}), "talo ");
  EXPECT_EQ(phrase({"...()"}), "");
  // Curly quotation marks and other punctuation are not stripped.
  EXPECT_EQ(phrase({"\u201Cexist\u201D"}), "\u201Cexist\u201D");
  EXPECT_EQ(phrase({"-talo-"}), "-talo-");
}

TEST(MakePhrase, LowerCasesEachPieceOnItsOwn) {
  const std::vector<std::string_view> tokens = {"ΟΔΟΣ,", "ΟΔΟΣ."};
  EXPECT_EQ(make_phrase(tokens), "οδος, οδος");
}

// --- The dictionary's worked examples, over the shared fixture lexicon -----------------------

class WorkedExampleTest : public ::testing::Test {
 protected:
  [[nodiscard]] ExpandContext context() const {
    return {dictionary_.lexicon, dictionary_.morphology};
  }
  [[nodiscard]] Entry entry(std::string_view word) const {
    std::optional<Entry> found = dictionary_.lexicon.entry(word);
    EXPECT_TRUE(found.has_value()) << word;
    return found.value_or(Entry{});
  }

  Dictionary dictionary_ = testing::fixture_dictionary();
};

TEST_F(WorkedExampleTest, PartitiveOfTaloExpandsTaloAndThreeEnglishWords) {
  const Entry taloa = entry("taloa");
  ASSERT_EQ(taloa.groups.size(), 1U);
  ASSERT_EQ(taloa.groups[0].meanings, (Strings{"partitive singular of talo"}));

  const auto links = link_entry("taloa", taloa, context());
  ASSERT_EQ(links.size(), 1U);
  EXPECT_EQ(links[0], (std::vector<Link>{Link{"talo", 22, 26}}));

  const auto expansions = expand_entry("taloa", taloa, context());
  ASSERT_EQ(expansions.size(), 1U);
  ASSERT_EQ(expansions[0].size(), 1U);
  const Expansion& talo = expansions[0][0];
  EXPECT_EQ(talo.phrase, "talo");
  EXPECT_EQ(talo.base, std::nullopt);
  EXPECT_EQ(talo.entry, entry("talo"));
  ASSERT_EQ(talo.children.size(), 1U);
  EXPECT_EQ(phrases(talo.children[0]), (Strings{"house", "to", "as"}));
  for (const Expansion& child : talo.children[0]) {
    EXPECT_EQ(child.base, std::nullopt);
    EXPECT_EQ(child.entry, entry(child.phrase));
    EXPECT_TRUE(child.children.empty());
  }

  // In the entry of "talo" itself the same three words are expanded and linked.
  const Entry talo_entry = entry("talo");
  const auto talo_links = link_entry("talo", talo_entry, context());
  ASSERT_EQ(talo_links.size(), 3U);
  EXPECT_TRUE(talo_links[0].empty());
  EXPECT_TRUE(talo_links[1].empty());
  EXPECT_EQ(described(talo_entry.groups[0].meanings[2], talo_links[2]),
            (Strings{"house@house", "to@to", "as@as"}));
  const auto talo_expansions = expand_entry("talo", talo_entry, context());
  EXPECT_EQ(phrases(talo_expansions[2]), (Strings{"house", "to", "as"}));
}

TEST_F(WorkedExampleTest, JuosinExpandsBothEntriesOfJuosta) {
  const Entry juoksin = entry("juoksin");
  const auto expansions = expand_entry("juoksin", juoksin, context());
  ASSERT_EQ(expansions.size(), 1U);
  ASSERT_EQ(expansions[0].size(), 2U);
  EXPECT_EQ(expansions[0][0].phrase, "juosta");
  EXPECT_EQ(expansions[0][0].base, std::nullopt);
  EXPECT_EQ(expansions[0][0].entry, entry("juosta"));
  EXPECT_EQ(expansions[0][1].phrase, "juosta");
  EXPECT_EQ(expansions[0][1].base, "juko");
  EXPECT_EQ(expansions[0][1].entry, entry("juko"));

  const auto links = link_entry("juoksin", juoksin, context());
  ASSERT_EQ(links.size(), 1U);
  EXPECT_EQ(described(juoksin.groups[0].meanings[0], links[0]), (Strings{"juosta@juosta"}));
}

TEST_F(WorkedExampleTest, OllaExpandsTheTwoWordHeadwordAsOnePhrase) {
  const Entry olla = entry("olla");
  ASSERT_EQ(olla.groups.size(), 1U);
  ASSERT_EQ(olla.groups[0].meanings.size(), 2U);
  const std::string& synonym = olla.groups[0].meanings[1];
  ASSERT_EQ(synonym, "Synonym of olla olemassa (\u201Cto exist\u201D)");

  const auto expansions = expand_entry("olla", olla, context());
  ASSERT_EQ(expansions.size(), 2U);
  ASSERT_EQ(expansions[1].size(), 1U);
  EXPECT_EQ(expansions[1][0].phrase, "olla olemassa");
  EXPECT_EQ(expansions[1][0].base, std::nullopt);
  EXPECT_EQ(expansions[1][0].entry, entry("olla olemassa"));

  const auto links = link_entry("olla", olla, context());
  ASSERT_EQ(links.size(), 2U);
  EXPECT_EQ(described(synonym, links[1]), (Strings{"olla olemassa@olla olemassa"}));
  EXPECT_EQ(links[1][0].start, synonym.find("olla"));
}

// --- Expansion and links over small lexicons -------------------------------------------------

class ExpandTest : public ::testing::Test {
 protected:
  void use(FixtureTable table) { fixture_ = testing::make_fixture(table); }
  [[nodiscard]] ExpandContext context() const {
    return {fixture_->dictionary.lexicon, fixture_->dictionary.morphology};
  }
  [[nodiscard]] Entry entry(std::string_view word) const {
    std::optional<Entry> found = fixture_->dictionary.lexicon.entry(word);
    EXPECT_TRUE(found.has_value()) << word;
    return found.value_or(Entry{});
  }
  [[nodiscard]] std::vector<Expansion> expand(std::string_view text, int depth = 1,
                                              VisitedSet visited = {}) const {
    return expand_text(text, depth, visited, context());
  }
  [[nodiscard]] Strings links(std::string_view text, const VisitedSet& visited = {}) const {
    return described(text, find_links(text, visited, context()));
  }

  std::optional<Fixture> fixture_;
};

TEST_F(ExpandTest, LongestPhraseFirstAtMostThreeExpansionsButEveryLink) {
  use(table({noun("olla", {"to be"}), noun("olla olemassa", {"to exist"}), noun("house", {"talo"}),
             noun("to", {"varpaan"}), noun("as", {"kuin"}), noun("talo", {"house"})}));
  const std::string text = "olla olemassa house (to) as talo";
  EXPECT_EQ(phrases(expand(text, 2)), (Strings{"olla olemassa", "house", "to"}));
  EXPECT_EQ(links(text),
            (Strings{"olla olemassa@olla olemassa", "house@house", "to@to", "as@as", "talo@talo"}));
}

TEST_F(ExpandTest, SingleCharactersAndCapitalisedHeadwordsAreNeverReached) {
  use(table({noun("a", {"yksi"}), noun("Helena", {"a name"}), noun("Suomi", {"Finland"}),
             noun("suomi", {"Finnish"}), noun("äiti", {"mother"})}));
  const std::string text = "a Helena (Suomi.) b ÄITI";
  const std::vector<Expansion> found = expand(text, 2);
  EXPECT_EQ(phrases(found), (Strings{"suomi", "äiti"}));
  EXPECT_EQ(found[0].entry, entry("suomi"));
  EXPECT_EQ(links(text), (Strings{"suomi@Suomi", "äiti@ÄITI"}));
}

TEST_F(ExpandTest, LinkSpansLeaveOutStrippedPunctuationOnly) {
  use(table({noun("talo", {"house"}), noun("farm, homestead", {"tila"}), noun("hyvä", {"good"})}));
  const std::string text = "(talo) \u201Ctalo\u201D [farm, homestead]. hyvä.\"";
  EXPECT_EQ(links(text), (Strings{"talo@talo", "farm, homestead@farm, homestead", "hyvä@hyvä"}));
  const std::vector<Link> spans = find_links(text, {}, context());
  ASSERT_EQ(spans.size(), 3U);
  EXPECT_EQ(spans[0].start, 1U);
  EXPECT_EQ(spans[0].end, 5U);
  // Punctuation inside a multi-token phrase stays in the phrase.
  EXPECT_EQ(phrases(expand(text, 2)), (Strings{"talo", "farm, homestead", "hyvä"}));
  EXPECT_TRUE(expand("farm homestead", 2).empty());
}

TEST_F(ExpandTest, CollectsOwnEntryThenOtherHeadwordsOfTheForm) {
  use(table({noun("juosta", {"to run"}), noun("juko", {"a yoke"}), noun("jokin", {"something"}),
             HeadwordRow{"tyhjä", {}}},
            {FormRow{"juosta", {"juko", "juosta", "jokin"}}, FormRow{"juoksin", {"juosta"}},
             FormRow{"tyhjä", {"tyhjä", "juko"}}}));
  const std::vector<Candidate> juosta = collect_entries(context(), "juosta");
  ASSERT_EQ(juosta.size(), 3U);
  EXPECT_EQ(juosta[0].base, std::nullopt);
  EXPECT_EQ(juosta[0].entry, entry("juosta"));
  EXPECT_EQ(juosta[1].base, "juko");
  EXPECT_EQ(juosta[1].entry, entry("juko"));
  EXPECT_EQ(juosta[2].base, "jokin");

  const std::vector<Candidate> juoksin = collect_entries(context(), "juoksin");
  ASSERT_EQ(juoksin.size(), 1U);
  EXPECT_EQ(juoksin[0].base, "juosta");

  // An entry without groups stays a candidate.
  const std::vector<Candidate> tyhja = collect_entries(context(), "tyhjä");
  ASSERT_EQ(tyhja.size(), 2U);
  EXPECT_TRUE(tyhja[0].entry.groups.empty());
  EXPECT_TRUE(collect_entries(context(), "nothing").empty());
}

TEST_F(ExpandTest, OnlyTheFirstTwoCandidatesAreExpanded) {
  use(table({noun("juosta", {"to run"}), noun("juko", {"a yoke"}), noun("jokin", {"something"}),
             HeadwordRow{"tyhjä", {}}},
            {FormRow{"juosta", {"juosta", "juko", "jokin"}},
             FormRow{"tyhjä", {"tyhjä", "juko", "jokin"}}}));
  const std::vector<Expansion> found = expand("juosta", 2);
  ASSERT_EQ(found.size(), 2U);
  EXPECT_EQ(found[0].phrase, "juosta");
  EXPECT_EQ(found[0].base, std::nullopt);
  EXPECT_EQ(found[0].entry, entry("juosta"));
  EXPECT_EQ(found[1].phrase, "juosta");
  EXPECT_EQ(found[1].base, "juko");
  EXPECT_EQ(found[1].entry, entry("juko"));
  EXPECT_EQ(links("juosta"), (Strings{"juosta@juosta"}));

  // A candidate without groups is skipped but still counts as one of the two.
  const std::vector<Expansion> empty_first = expand("tyhjä", 2);
  ASSERT_EQ(empty_first.size(), 1U);
  EXPECT_EQ(empty_first[0].base, "juko");
  EXPECT_EQ(links("tyhjä"), (Strings{"juko@tyhjä"}));
}

TEST_F(ExpandTest, ChildrenAreExpandedBeforeTheNextCandidate) {
  // "juosta" names "juko" in its own entry, so the child takes "juko" before the second
  // candidate of "juosta" (reached through "juko") is considered.
  use(table({noun("juosta", {"to run; see juko"}), noun("juko", {"a yoke"})},
            {FormRow{"juosta", {"juosta", "juko"}}}));
  const std::vector<Expansion> found = expand("juosta");
  ASSERT_EQ(found.size(), 1U);
  EXPECT_EQ(found[0].base, std::nullopt);
  ASSERT_EQ(found[0].children.size(), 1U);
  ASSERT_EQ(phrases(found[0].children[0]), (Strings{"juko"}));
  EXPECT_TRUE(found[0].children[0][0].children.empty());
}

TEST_F(ExpandTest, ChildrenHaveOneListPerGroupAndStopAtTheSecondLevel) {
  use(table({HeadwordRow{"talo",
                         {TableGroup{"noun", {"building", "house (to live in)"}},
                          TableGroup{"verb", {"nothing here"}}, TableGroup{"adj", {"as a house"}}}},
             noun("house", {"talo", "as"}), noun("to", {"house"}), noun("as", {"kuin"})}));
  const std::vector<Expansion> found = expand("talo");
  ASSERT_EQ(found.size(), 1U);
  const auto& children = found[0].children;
  ASSERT_EQ(children.size(), 3U);
  EXPECT_EQ(phrases(children[0]), (Strings{"house", "to"}));
  EXPECT_TRUE(children[1].empty());
  // "house" was expanded under the first group; "as" is new.
  EXPECT_EQ(phrases(children[2]), (Strings{"as"}));
  for (const auto& group : children) {
    for (const Expansion& child : group) {
      EXPECT_TRUE(child.children.empty()) << child.phrase;
    }
  }
}

TEST_F(ExpandTest, EntryExpandsEachWordOnceButLinksItEverywhere) {
  use(table({noun("talo", {"house"}), noun("house", {"talo"}), noun("koti", {"home"})}));
  const Entry koti{{PosGroup{"noun", {"talo", "talo house", "koti"}}, PosGroup{"adj", {}},
                    PosGroup{"verb", {"house (talo)", ""}}}};
  // One list per meaning, across groups; a group without meanings adds none.
  const auto expansions = expand_entry("koti", koti, context());
  ASSERT_EQ(expansions.size(), 5U);
  ASSERT_EQ(phrases(expansions[0]), (Strings{"talo"}));
  // "house" went in under "talo" at the second level, so it is not expanded again.
  EXPECT_EQ(phrases(expansions[0][0].children[0]), (Strings{"house"}));
  EXPECT_TRUE(expansions[1].empty());
  EXPECT_TRUE(expansions[2].empty());  // the shown headword itself
  EXPECT_TRUE(expansions[3].empty());

  EXPECT_TRUE(expansions[4].empty());

  const auto links = link_entry("koti", koti, context());
  ASSERT_EQ(links.size(), 5U);
  EXPECT_EQ(described("talo", links[0]), (Strings{"talo@talo"}));
  EXPECT_EQ(described("talo house", links[1]), (Strings{"talo@talo", "house@house"}));
  EXPECT_TRUE(links[2].empty());
  EXPECT_EQ(described("house (talo)", links[3]), (Strings{"house@house", "talo@talo"}));
  EXPECT_TRUE(links[4].empty());
}

TEST_F(ExpandTest, PhraseStaysVisitedWhenTheLimitCutOffItsSecondCandidate) {
  use(table({noun("talo", {"building"}), noun("house", {"building"}), noun("juosta", {"run"}),
             noun("juko", {"yoke"})},
            {FormRow{"juoksin", {"juosta", "juko"}}}));
  const auto expansions = expand_entry("x", entry_of({"talo house juoksin", "juoksin"}), context());
  ASSERT_EQ(expansions.size(), 2U);
  ASSERT_EQ(phrases(expansions[0]), (Strings{"talo", "house", "juoksin"}));
  EXPECT_EQ(expansions[0][2].base, "juosta");
  EXPECT_TRUE(expansions[1].empty());
}

TEST_F(ExpandTest, KeyProtectsOnlyItsExactSpelling) {
  use(table({noun("Suomi", {"Finland"}), noun("suomi", {"Finnish"})}));
  const Entry shown = entry_of({"Suomi suomi"});
  EXPECT_TRUE(expand_entry("suomi", shown, context())[0].empty());
  EXPECT_TRUE(link_entry("suomi", shown, context())[0].empty());
  // A capitalised key is not protected: the phrase is lower-case.
  EXPECT_EQ(phrases(expand_entry("Suomi", shown, context())[0]), (Strings{"suomi"}));
  EXPECT_EQ(link_entry("Suomi", shown, context())[0].size(), 2U);
}

TEST_F(ExpandTest, VisitedPhraseHidesShorterOnesOnlyWhenExpanding) {
  use(table({noun("olla", {"to be"}), noun("olla olemassa", {"to exist"}),
             noun("olemassa", {"existing"})}));
  const Entry shown = entry_of({"olla olemassa"});
  EXPECT_TRUE(expand_entry("olla olemassa", shown, context())[0].empty());
  const auto links = link_entry("olla olemassa", shown, context());
  EXPECT_EQ(described("olla olemassa", links[0]), (Strings{"olla@olla", "olemassa@olemassa"}));

  // A visited word consumes its token without being expanded.
  VisitedSet visited{"olla"};
  EXPECT_EQ(phrases(expand("olla olemassa olla", 2, visited)), (Strings{"olla olemassa"}));
}

}  // namespace
}  // namespace pnt
