#include "core/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fstmap/builder.h"
#include "fstmap/map.h"
#include "tests/support/fixture.h"

namespace pnt {
namespace {

using testing::fixture_view;
using testing::FixtureBlobs;
using testing::FixtureTable;
using testing::FormRow;
using testing::HeadwordRow;
using testing::TableGroup;
using testing::type;

using Strings = std::vector<std::string>;
using Rows = std::vector<InflectionRow>;

constexpr std::int32_t INT_MIN32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t INT_MAX32 = std::numeric_limits<std::int32_t>::max();

Strings headwords(const View& view) {
  Strings out;
  for (const MatchRow& row : view.matches) {
    out.push_back(row.headword);
  }
  return out;
}

Strings english_keys(const View& view) {
  Strings out;
  for (const MatchRow& row : view.matches) {
    out.push_back(row.english);
  }
  return out;
}

// The matches list as the fixture table says it must be: the smallest 100 headwords with the
// prefix, in byte order.
Strings expected_matches(std::string_view query) {
  Strings words;
  for (const HeadwordRow& row : testing::default_table().headwords) {
    if (row.word.starts_with(query)) {
      words.push_back(row.word);
    }
  }
  std::sort(words.begin(), words.end());
  words.resize(std::min(words.size(), MAX_RESULTS));
  return words;
}

// The inflections list from the table: the first 100 forms with the prefix, each giving one row
// per headword other than itself, at most 100 rows.
Rows expected_inflections(std::string_view query) {
  std::vector<FormRow> forms;
  for (const FormRow& row : testing::default_table().forms) {
    if (row.form.starts_with(query)) {
      forms.push_back(row);
    }
  }
  std::sort(forms.begin(), forms.end(),
            [](const FormRow& a, const FormRow& b) { return a.form < b.form; });
  forms.resize(std::min(forms.size(), MAX_RESULTS));
  Rows rows;
  for (const FormRow& form : forms) {
    for (const std::string& headword : form.headwords) {
      if (headword != form.form && rows.size() < MAX_RESULTS) {
        rows.push_back(InflectionRow{form.form, headword});
      }
    }
  }
  return rows;
}

// --- Search ----------------------------------------------------------------------------------

TEST(ViewSearch, StartsEmptyAndAnEmptyQueryFindsNothing) {
  View view = fixture_view();
  EXPECT_EQ(view.revision, 0U);
  EXPECT_EQ(view.doc, DOC_CLOSED);
  EXPECT_EQ(view.layout, LayoutConfig{});
  EXPECT_TRUE(view.matches.empty());
  EXPECT_FALSE(view.entry_word.has_value());

  view.update(Backspace{});
  EXPECT_EQ(view.query, "");
  EXPECT_TRUE(view.matches.empty());
  EXPECT_TRUE(view.inflections.empty());
  EXPECT_FALSE(view.no_results);
  EXPECT_FALSE(view.entry_word.has_value());
  EXPECT_FALSE(view.entry.has_value());
}

TEST(ViewSearch, PrefixIsCaseSensitiveAndIncludesSpaces) {
  View view = fixture_view();
  view.update(SetQuery{"Talo"});
  EXPECT_EQ(headwords(view), (Strings{"Talola"}));
  EXPECT_EQ(view.inflections, (Rows{{"Talolan", "Talola"}}));

  view.update(SetQuery{"talo"});
  EXPECT_EQ(headwords(view), expected_matches("talo"));
  ASSERT_GE(view.matches.size(), 4U);
  EXPECT_EQ(headwords(view)[1], "talo elää tavallaan, vieras tulee ajallaan");
  EXPECT_EQ(view.inflections, expected_inflections("talo"));
  EXPECT_EQ(view.entry_word, "talo");

  view.update(SetQuery{"talo "});
  EXPECT_EQ(headwords(view), (Strings{"talo elää tavallaan, vieras tulee ajallaan"}));
  EXPECT_TRUE(view.inflections.empty());
  EXPECT_FALSE(view.no_results);
}

TEST(ViewSearch, FormOnlyQueryShowsItsHeadwordThroughTheLemmas) {
  View view = fixture_view();
  type(view, "talossaan");
  EXPECT_TRUE(view.matches.empty());
  EXPECT_EQ(view.inflections, (Rows{{"talossaan", "talo"}}));
  EXPECT_FALSE(view.no_results);
  EXPECT_EQ(view.entry_word, "talo");
  EXPECT_EQ(view.entry, view.lexicon.entry("talo"));
  EXPECT_EQ(view.expansions.size(), 3U);
  EXPECT_EQ(view.links.size(), 3U);

  view.update(SetQuery{"zzz"});
  EXPECT_TRUE(view.no_results);
  EXPECT_FALSE(view.entry_word.has_value());
}

TEST(ViewSearch, FormThatIsAlsoItsOwnHeadwordGivesNoRowForItself) {
  View view = fixture_view();
  view.update(SetQuery{"talossa"});
  EXPECT_EQ(headwords(view).front(), "talossa");
  const InflectionRow self{"talossa", "talossa"};
  const InflectionRow talo{"talossa", "talo"};
  EXPECT_EQ(std::count(view.inflections.begin(), view.inflections.end(), self), 0);
  EXPECT_EQ(std::count(view.inflections.begin(), view.inflections.end(), talo), 1);
}

TEST(ViewSearch, ListsStopAtOneHundred) {
  View view = fixture_view();
  type(view, "kissa");
  ASSERT_EQ(view.matches.size(), MAX_RESULTS);
  EXPECT_EQ(headwords(view), expected_matches("kissa"));
  // Forms whose only headword is themselves count towards the forms examined but give no row,
  // so fewer than 100 rows come out.
  EXPECT_EQ(view.inflections, expected_inflections("kissa"));
  EXPECT_LT(view.inflections.size(), MAX_RESULTS);
  EXPECT_FALSE(view.inflections.empty());
  EXPECT_EQ(search_inflections(view.morphology, "kissa", MAX_RESULTS).size(), MAX_RESULTS);
  EXPECT_EQ(search_matches(view.lexicon, "kissa", 3).size(), 3U);
  EXPECT_TRUE(search_matches(view.lexicon, "", 3).empty());
  EXPECT_TRUE(search_inflections(view.morphology, "", 3).empty());
}

// A lexicon with damaged parts: a headword whose record offset lies past the record area, a
// headword key and a form key that are not UTF-8, and a form whose target is out of range.
class DamagedLexicon : public ::testing::Test {
 protected:
  DamagedLexicon() {
    FixtureTable table;
    table.headwords = {HeadwordRow{"koira", {TableGroup{"noun", {"dog"}}}},
                       HeadwordRow{"koiras", {TableGroup{"noun", {"male"}}}},
                       HeadwordRow{"kissa", {TableGroup{"noun", {"cat"}}}}};
    table.forms = {FormRow{"koiran", {"koira"}}, FormRow{"koira", {"koira"}},
                   FormRow{"kissa", {"kissa"}}};
    blobs_ = std::make_unique<FixtureBlobs>(testing::make_blobs(table));
    // EntryIds in key order: kissa 0, koira 1, koiras 2.
    blobs_->glosses_fst = rebuilt(blobs_->glosses_fst, {{"koira", 0xFFFFFF}});
    blobs_->inflections_fst =
        rebuilt(blobs_->inflections_fst, {{"koiraa", 7}, {"koirab", 1}, {"koirab\xFF", 1}});
  }

  // The map with `changes` applied (new keys added, existing values replaced).
  static std::vector<std::uint8_t> rebuilt(
      const std::vector<std::uint8_t>& bytes,
      const std::vector<std::pair<std::string, std::uint64_t>>& changes) {
    std::vector<std::pair<std::string, std::uint64_t>> pairs;
    Result<fst::Map> map = fst::Map::open(bytes);
    EXPECT_TRUE(map.has_value());
    fst::Stream stream = map->stream();
    while (stream.next()) {
      pairs.emplace_back(std::string(stream.key_text()), stream.value());
    }
    for (const auto& change : changes) {
      auto at = std::find_if(pairs.begin(), pairs.end(),
                             [&](const auto& pair) { return pair.first == change.first; });
      if (at == pairs.end()) {
        pairs.push_back(change);
      } else {
        at->second = change.second;
      }
    }
    std::sort(pairs.begin(), pairs.end());
    Result<std::vector<std::uint8_t>> out = fst::build_map(pairs);
    EXPECT_TRUE(out.has_value());
    return out.value_or(std::vector<std::uint8_t>{});
  }

  [[nodiscard]] View view() const {
    Result<Dictionary> dictionary = open_dictionary(testing::data_blobs(*blobs_));
    EXPECT_TRUE(dictionary.has_value());
    return View(std::move(dictionary->lexicon), std::move(dictionary->morphology), LayoutConfig{});
  }

  std::unique_ptr<FixtureBlobs> blobs_;
};

TEST_F(DamagedLexicon, UnreadableKeysAndTargetsAreSkippedWithoutCounting) {
  const View v = view();
  const auto forms = search_inflections(v.morphology, "koira", 3);
  ASSERT_EQ(forms.size(), 3U);
  EXPECT_EQ(forms[0].first, "koira");
  EXPECT_EQ(forms[1].first, "koirab");
  EXPECT_EQ(forms[2].first, "koiran");

  std::vector<std::uint8_t> headword_keys =
      rebuilt(blobs_->glosses_fst, {{"koira\xC3", 0}, {"koira\xC3\xA4", 0}});
  Result<Lexicon> lexicon = Lexicon::open(headword_keys, blobs_->glosses_bin);
  ASSERT_TRUE(lexicon.has_value());
  const std::vector<MatchRow> rows = search_matches(*lexicon, "koira", 3);
  EXPECT_EQ(rows, (std::vector<MatchRow>{{"koira"}, {"koiras"}, {"koira\xC3\xA4"}}));
}

TEST_F(DamagedLexicon, HeadwordWithoutEntryIsShownByNameAndResetsTheScroll) {
  View v = view();
  v.update(SetQuery{"kissa"});
  ASSERT_TRUE(v.entry.has_value());
  v.update(ScrollEntry{4});

  // All lemmas of "koiran" lack an entry: the first one is named.
  v.update(SetQuery{"koiran"});
  EXPECT_TRUE(v.matches.empty());
  EXPECT_EQ(v.entry_word, "koira");
  EXPECT_FALSE(v.entry.has_value());
  EXPECT_TRUE(v.expansions.empty());
  EXPECT_TRUE(v.links.empty());
  EXPECT_EQ(v.entry_scroll, 0U);

  // The same entry-less headword again keeps the scroll; another one with an entry resets it.
  v.update(ScrollEntry{2});
  v.update(SetQuery{"koira"});
  EXPECT_EQ(v.entry_word, "koira");
  EXPECT_EQ(v.entry_scroll, 2U);
  v.update(MoveSelection{1});
  EXPECT_EQ(v.entry_word, "koiras");
  EXPECT_TRUE(v.entry.has_value());
  EXPECT_EQ(v.entry_scroll, 0U);
}

// --- Selection, focus and the entry refresh ---------------------------------------------------

TEST(ViewUpdate, MoveSelectionClampsAndKeepsTheScrollOnTheSameHeadword) {
  View view = fixture_view();
  view.update(SetQuery{"talo"});
  const std::uint32_t last = static_cast<std::uint32_t>(view.matches.size() - 1);

  view.update(ScrollEntry{3});
  view.update(MoveSelection{-1});
  EXPECT_EQ(view.match_sel, 0U);
  EXPECT_EQ(view.entry_scroll, 3U);

  view.update(MoveSelection{1});
  EXPECT_EQ(view.match_sel, 1U);
  EXPECT_EQ(view.entry_word, view.matches[1].headword);
  EXPECT_EQ(view.entry_scroll, 0U);

  view.update(MoveSelection{INT_MAX32});
  EXPECT_EQ(view.match_sel, last);
  view.update(ScrollEntry{2});
  view.update(MoveSelection{1});
  EXPECT_EQ(view.match_sel, last);
  EXPECT_EQ(view.entry_word, view.matches[last].headword);
  EXPECT_EQ(view.entry_scroll, 2U);

  view.update(MoveSelection{INT_MIN32});
  EXPECT_EQ(view.match_sel, 0U);

  // An unchecked index from a click falls back to the lemmas of the query, and moving from it
  // clamps to the list.
  view.update(SelectMatch{std::numeric_limits<std::uint32_t>::max()});
  EXPECT_EQ(view.entry_word, "talo");
  view.update(MoveSelection{1});
  EXPECT_EQ(view.match_sel, last);

  view.update(SetQuery{"zzz"});
  view.update(MoveSelection{1});
  EXPECT_EQ(view.match_sel, 0U);
}

TEST(ViewUpdate, SameHeadwordIsNotLookedUpOrExpandedAgain) {
  View view = fixture_view();
  view.update(SetQuery{"taloa"});
  ASSERT_EQ(view.entry_word, "taloa");
  ASSERT_EQ(view.expansions.size(), 1U);
  // Marks that a recomputation would overwrite.
  view.expansions.clear();
  view.links.clear();
  view.update(SelectMatch{0});
  view.update(MoveSelection{0});
  EXPECT_TRUE(view.expansions.empty());
  EXPECT_TRUE(view.links.empty());
}

TEST(ViewUpdate, FocusMovesOnlyToANonEmptyInflectionsList) {
  View view = fixture_view();
  view.update(SetQuery{"talo "});
  ASSERT_TRUE(view.inflections.empty());
  view.entry_word = "marker";  // a refresh would replace it
  view.update(ToggleFocus{});
  view.update(SetFocus{true});
  view.update(SetFocus{false});
  EXPECT_EQ(view.focus, Focus::Matches);
  EXPECT_EQ(view.entry_word, "marker");

  view.update(SetQuery{"parempi"});
  ASSERT_EQ(view.inflections, (Rows{{"parempi", "hyvä"}}));
  EXPECT_EQ(view.entry_word, "parempi");
  view.update(ToggleFocus{});
  EXPECT_EQ(view.focus, Focus::Inflections);
  EXPECT_EQ(view.entry_word, "hyvä");
  view.update(ToggleFocus{});
  EXPECT_EQ(view.focus, Focus::Matches);
  EXPECT_EQ(view.entry_word, "parempi");

  // Past the end of the inflections list the entry side is cleared; the scroll stays.
  view.update(ScrollEntry{5});
  view.update(SelectInflection{7});
  EXPECT_EQ(view.focus, Focus::Inflections);
  EXPECT_FALSE(view.entry_word.has_value());
  EXPECT_TRUE(view.expansions.empty());
  EXPECT_EQ(view.entry_scroll, 5U);
  view.update(Enter{});  // no row to take
  EXPECT_EQ(view.query, "parempi");
}

TEST(ViewUpdate, EnterOnAnInflectionSearchesItsHeadword) {
  View view = fixture_view();
  view.update(SetQuery{"parempi"});
  view.update(SetFocus{true});
  view.update(Enter{});
  EXPECT_EQ(view.query, "hyvä");
  EXPECT_EQ(view.focus, Focus::Matches);
  EXPECT_EQ(view.match_sel, 0U);
  EXPECT_EQ(headwords(view).front(), "hyvä");
  EXPECT_EQ(view.entry_word, "hyvä");
}

TEST(ViewUpdate, EnterOnAMatchKeepsTheEntryUntilTheNextSearch) {
  View view = fixture_view();
  view.update(SetQuery{"taloa"});
  const auto shown = view.entry;
  const auto expansions = view.expansions;
  view.update(ScrollEntry{2});
  view.update(Enter{});
  EXPECT_EQ(view.query, "");
  EXPECT_TRUE(view.matches.empty());
  EXPECT_TRUE(view.inflections.empty());
  EXPECT_FALSE(view.entry_word.has_value());
  EXPECT_FALSE(view.entry.has_value());
  EXPECT_TRUE(view.links.empty());
  EXPECT_EQ(view.entry_scroll, 0U);
  EXPECT_EQ(view.kept_word, "taloa");
  EXPECT_EQ(view.kept_entry, shown);
  EXPECT_EQ(view.kept_expansions, expansions);

  // With no entry on display the kept one stays.
  view.update(Enter{});
  EXPECT_EQ(view.kept_word, "taloa");

  // Any search drops it, even one over the empty query.
  view.update(Backspace{});
  EXPECT_FALSE(view.kept_word.has_value());
  EXPECT_FALSE(view.kept_entry.has_value());
  EXPECT_TRUE(view.kept_expansions.empty());
  EXPECT_FALSE(view.no_results);
}

TEST(ViewUpdate, BackspaceCutsOneCharacter) {
  View view = fixture_view();
  type(view, "hyvä");
  EXPECT_EQ(view.entry_word, "hyvä");
  view.update(Backspace{});
  EXPECT_EQ(view.query, "hyv");
  view.update(InsertChar{U'\U0001F600'});
  view.update(Backspace{});
  EXPECT_EQ(view.query, "hyv");
}

TEST(ViewUpdate, FullscreenScrollsWithTheArrowsUntilTypingLeavesIt) {
  View view = fixture_view();
  view.update(SetQuery{"talo"});
  view.update(ScrollEntry{4});
  view.update(ToggleFullscreen{});
  EXPECT_TRUE(view.fullscreen);
  EXPECT_EQ(view.entry_scroll, 0U);

  view.update(MoveSelection{1});
  view.update(MoveSelection{1});
  EXPECT_EQ(view.entry_scroll, 2U);
  EXPECT_EQ(view.match_sel, 0U);

  // A clicked link searches but stays in fullscreen.
  view.update(SetQuery{"taloa"});
  EXPECT_TRUE(view.fullscreen);
  EXPECT_EQ(view.entry_word, "taloa");
  EXPECT_EQ(view.entry_scroll, 0U);

  view.update(ScrollEntry{3});
  view.update(InsertChar{U'x'});
  EXPECT_FALSE(view.fullscreen);
  EXPECT_EQ(view.entry_scroll, 0U);
  EXPECT_EQ(view.query, "taloax");

  view.update(ToggleFullscreen{});
  view.update(Enter{});
  EXPECT_FALSE(view.fullscreen);
  EXPECT_EQ(view.query, "taloax");
}

TEST(ScrollBy, SaturatesAndUsesTheLowSixteenBitsOfTheDistance) {
  EXPECT_EQ(scroll_by(10, 5), 15U);
  EXPECT_EQ(scroll_by(10, -15), 0U);
  EXPECT_EQ(scroll_by(65530, 10), 65535U);
  EXPECT_EQ(scroll_by(5, 65536), 5U);
  EXPECT_EQ(scroll_by(5, 65537), 6U);
  EXPECT_EQ(scroll_by(5, -65537), 4U);
  EXPECT_EQ(scroll_by(5, INT_MIN32), 5U);
  EXPECT_EQ(scroll_by(5, INT_MAX32), 65535U);
}

// --- Documents overlay and the revision --------------------------------------------------------

TEST(NextDocument, CyclesAndRestartsFromOutside) {
  EXPECT_EQ(next_document(0), 1U);
  EXPECT_EQ(next_document(1), 2U);
  EXPECT_EQ(next_document(2), 3U);
  EXPECT_EQ(next_document(3), 0U);
  EXPECT_EQ(next_document(4), 1U);
  EXPECT_EQ(next_document(DOC_CLOSED), 1U);
}

TEST(ViewUpdate, OverlayTakesOnlyScrollingSwitchingAndClosing) {
  View view = fixture_view();
  view.update(SetQuery{"talo"});
  view.update(MoveSelection{1});
  view.update(ScrollEntry{2});
  const std::string word = view.entry_word.value_or("");

  view.update(ToggleDocuments{});
  EXPECT_EQ(view.doc, 0U);
  EXPECT_EQ(view.doc_scroll, 0U);
  view.update(InsertChar{U'x'});
  view.update(Backspace{});
  view.update(Enter{});
  view.update(SetQuery{"hyvä"});
  view.update(SelectMatch{0});
  view.update(SelectInflection{0});
  view.update(SetFocus{true});
  view.update(ToggleFullscreen{});
  EXPECT_EQ(view.query, "talo");
  EXPECT_EQ(view.match_sel, 1U);
  EXPECT_EQ(view.focus, Focus::Matches);
  EXPECT_EQ(view.entry_word, word);
  EXPECT_EQ(view.entry_scroll, 2U);
  EXPECT_FALSE(view.fullscreen);
  EXPECT_EQ(view.doc, 0U);

  view.update(MoveSelection{1});
  view.update(ScrollEntry{2});
  view.update(ScrollEntry{-5});
  EXPECT_EQ(view.doc_scroll, 0U);
  view.update(ScrollEntry{3});
  EXPECT_EQ(view.doc_scroll, 3U);

  std::vector<unsigned> cycle;
  for (int i = 0; i < 4; ++i) {
    view.update(ToggleFocus{});
    cycle.push_back(view.doc);
    EXPECT_EQ(view.doc_scroll, 0U);
  }
  EXPECT_EQ(cycle, (std::vector<unsigned>{1, 2, 3, 0}));

  view.update(ToggleFocus{});
  view.update(ScrollEntry{6});
  view.update(CloseDocuments{});
  EXPECT_EQ(view.doc, DOC_CLOSED);
  EXPECT_EQ(view.doc_scroll, 6U);
  view.update(ToggleDocuments{});
  EXPECT_EQ(view.doc, 0U);
  EXPECT_EQ(view.doc_scroll, 0U);
  view.update(ToggleDocuments{});
  EXPECT_EQ(view.doc, DOC_CLOSED);
  EXPECT_EQ(view.match_sel, 1U);
  EXPECT_EQ(view.entry_scroll, 2U);
}

TEST(ViewUpdate, RevisionCountsEveryMessageIncludingIgnoredOnes) {
  View view = fixture_view();
  view.update(CloseDocuments{});
  view.update(MoveSelection{1});
  view.update(SetFocus{true});
  EXPECT_EQ(view.revision, 3U);
  view.update(ToggleDocuments{});
  view.update(InsertChar{U'a'});
  EXPECT_EQ(view.revision, 5U);
  view.revision = std::numeric_limits<std::uint64_t>::max();
  view.update(Enter{});
  EXPECT_EQ(view.revision, 0U);
}

// English mode over the fixture's English keys: pairs of key and headword in the matches list,
// no inflections, no lemma fallback, and a way back to Finnish by Enter or a link.
TEST(ViewEnglish, ModeSwitchRowsNoFallbackAndBackToFinnish) {
  View view = fixture_view();
  type(view, "fel");
  view.update(ToggleFullscreen{});
  view.update(ToggleEnglish{});  // searches again at once and leaves fullscreen
  EXPECT_TRUE(view.english_mode);
  EXPECT_FALSE(view.fullscreen);
  EXPECT_EQ(english_keys(view), (Strings{"feline", "feline"}));
  EXPECT_EQ(headwords(view), (Strings{"kissaeläin", "kissa"}));  // stored order
  EXPECT_TRUE(view.inflections.empty());
  EXPECT_EQ(view.entry_word, "kissaeläin");

  view.update(SetQuery{"Cat"});  // a link leaves English mode
  EXPECT_FALSE(view.english_mode);
  EXPECT_EQ(english_keys(view), Strings(view.matches.size()));  // Finnish rows
  view.update(ToggleEnglish{});  // "Cat" finds nothing as typed: the lower-cased query
  EXPECT_EQ(english_keys(view), (Strings{"cat", "catlike"}));
  EXPECT_EQ(headwords(view), (Strings{"kissa", "kissamainen"}));
  view.update(ToggleFocus{});  // no inflections to focus
  EXPECT_EQ(view.focus, Focus::Matches);
  view.update(MoveSelection{1});
  EXPECT_EQ(view.entry_word, "kissamainen");

  view.update(SetQuery{"talossaan"});  // Finnish: the lemma fallback shows "talo"
  view.update(ToggleEnglish{});
  EXPECT_TRUE(view.matches.empty());
  EXPECT_TRUE(view.no_results);
  EXPECT_FALSE(view.entry_word);  // no fallback in English mode
  for (int i = 0; i < 5; ++i) {
    view.update(Backspace{});
  }
  view.update(InsertChar{U'e'});  // "tale" is no English key either
  EXPECT_TRUE(view.no_results);

  view.query = "hous";
  view.run_search();
  EXPECT_EQ(headwords(view), (Strings{"talo", "house"}));
  view.update(MoveSelection{1});
  view.update(Enter{});  // the row's headword, searched in Finnish mode
  EXPECT_FALSE(view.english_mode);
  EXPECT_EQ(view.query, "house");
  EXPECT_EQ(headwords(view), (Strings{"house"}));
  EXPECT_EQ(view.entry_word, "house");

  view.update(ToggleDocuments{});
  view.update(ToggleEnglish{});  // ignored under the documents overlay
  EXPECT_FALSE(view.english_mode);
}

}  // namespace
}  // namespace pnt

namespace pnt {
namespace {

TEST(ViewSearch, AWordNoSearchFindsListsThePartsOfItsAnalyses) {
  FixtureTable table;
  for (const char* word :
       {"ikkuna", "jalka", "jalkapallo", "kenttä", "kuva", "pallo", "pallokenttä"}) {
    table.headwords.push_back(HeadwordRow{word, {TableGroup{"noun", {"a meaning"}}}});
  }
  table.forms = {{"ikkunassa", {"ikkuna"}}};
  testing::Fixture fixture = testing::make_fixture(table);
  View view(std::move(fixture.dictionary.lexicon), std::move(fixture.dictionary.morphology),
            LayoutConfig{});

  type(view, "kuvaikkunassa");
  EXPECT_EQ(view.inflections, (Rows{{"kuva·ikkunassa", "kuva"}, {"kuva·ikkunassa", "ikkuna"}}));
  EXPECT_EQ(view.focus, Focus::Inflections);
  EXPECT_EQ(view.infl_sel, 0U);
  EXPECT_FALSE(view.no_results);
  EXPECT_EQ(view.entry_word, "kuva");
  view.update(MoveSelection{1});
  EXPECT_EQ(view.entry_word, "ikkuna");
  view.update(Enter{});
  EXPECT_EQ(view.query, "ikkuna");
  EXPECT_EQ(headwords(view), (Strings{"ikkuna"}));
  EXPECT_EQ(view.focus, Focus::Matches);

  // Every (part, headword) once, best analysis first.
  view.update(SetQuery{"jalkapallokenttä"});
  EXPECT_EQ(view.inflections, (Rows{{"jalka·pallokenttä", "jalka"},
                                    {"jalka·pallokenttä", "pallokenttä"},
                                    {"jalkapallo·kenttä", "jalkapallo"},
                                    {"jalkapallo·kenttä", "kenttä"},
                                    {"jalka·pallo·kenttä", "pallo"}}));

  // A prefix search with rows is left alone; a word with no analysis stays red.
  view.update(SetQuery{"jalkap"});
  EXPECT_EQ(view.focus, Focus::Matches);
  EXPECT_TRUE(view.inflections.empty());
  view.update(SetQuery{"kuvaxyz"});
  EXPECT_TRUE(view.inflections.empty());
  EXPECT_TRUE(view.no_results);
  EXPECT_EQ(view.focus, Focus::Matches);
}

}  // namespace
}  // namespace pnt

namespace pnt {
namespace {

// Following rows and links, Enter and a typed word are steps that back and forward walk; each
// place comes back with its query, focus, selections and scroll.
TEST(ViewHistory, BackAndForwardWalkThePlacesLeft) {
  FixtureTable table;
  for (const char* word : {"talo", "talokas", "koti", "kotiseutu", "hyvä"}) {
    table.headwords.push_back(HeadwordRow{word, {TableGroup{"noun", {"a meaning"}}}});
  }
  table.forms = {{"kotiseudulla", {"kotiseutu"}}};
  testing::Fixture fixture = testing::make_fixture(table);
  View view(std::move(fixture.dictionary.lexicon), std::move(fixture.dictionary.morphology),
            LayoutConfig{});
  const auto at = [&view](std::string_view query, Focus focus, std::uint32_t sel,
                          std::string_view shown, std::uint16_t scroll) {
    const std::uint32_t selected = focus == Focus::Matches ? view.match_sel : view.infl_sel;
    return view.query == query && view.focus == focus && selected == sel &&
           view.entry_word == shown && view.entry_scroll == scroll;
  };

  type(view, "talo");  // from the empty start: nothing to come back to
  view.update(MoveSelection{1});
  view.update(ScrollEntry{2});
  view.update(SetQuery{"koti"});  // a link
  view.update(ToggleFocus{});
  view.update(Enter{});  // the row "kotiseudulla ~> kotiseutu"
  view.update(DeleteWord{});
  type(view, "hyvä");  // one step with the Ctrl+W before it
  EXPECT_EQ(view.history.behind(), 3U);

  view.update(HistoryBack{});
  EXPECT_TRUE(at("kotiseutu", Focus::Matches, 0, "kotiseutu", 0));
  view.update(HistoryBack{});
  EXPECT_TRUE(at("koti", Focus::Inflections, 0, "kotiseutu", 0));
  view.update(HistoryForward{});
  EXPECT_TRUE(at("kotiseutu", Focus::Matches, 0, "kotiseutu", 0));
  EXPECT_EQ(view.history.ahead(), 1U);

  view.update(Enter{});  // on the matches list: a new step drops "hyvä" ahead
  EXPECT_EQ(view.history.ahead(), 0U);
  view.update(HistoryForward{});
  EXPECT_EQ(view.query, "");
  view.update(HistoryBack{});
  EXPECT_TRUE(at("kotiseutu", Focus::Matches, 0, "kotiseutu", 0));
  view.update(HistoryBack{});
  view.update(HistoryBack{});
  EXPECT_TRUE(at("talo", Focus::Matches, 1, "talokas", 2));
  view.update(HistoryBack{});  // the start: nothing behind
  EXPECT_TRUE(at("talo", Focus::Matches, 1, "talokas", 2));

  // 150 links keep the last 100 places left; the overlay takes no step.
  for (int i = 0; i < 150; ++i) {
    view.update(SetQuery{"w" + std::to_string(i)});
  }
  EXPECT_EQ(view.history.behind(), History::MAX_PLACES);
  view.update(ToggleDocuments{});
  view.update(HistoryBack{});
  EXPECT_EQ(view.query, "w149");
  view.update(CloseDocuments{});
  for (std::size_t i = 0; i <= History::MAX_PLACES; ++i) {
    view.update(HistoryBack{});
  }
  EXPECT_EQ(view.query, "w49");
  EXPECT_EQ(view.history.ahead(), History::MAX_PLACES);
}

// Ctrl+W cuts as readline's unix-word-rubout, Ctrl+U the whole query; both search again and
// leave fullscreen like Backspace.
TEST(ViewEditing, WordRuboutAndClearQuery) {
  View view = fixture_view();
  const std::vector<std::pair<std::string, std::string>> rubouts{
      {"talo elää", "talo "}, {"talo ", ""}, {"a b  c \t ", "a b  "}, {"talo", ""}, {"", ""}};
  for (const auto& [before, after] : rubouts) {
    view.update(SetQuery{before});
    view.update(ToggleFullscreen{});
    view.update(DeleteWord{});
    EXPECT_EQ(view.query, after) << before;
    EXPECT_FALSE(view.fullscreen);
  }
  view.update(DeleteWord{});
  EXPECT_TRUE(view.matches.empty());
  view.update(SetQuery{"talo"});
  view.update(ClearQuery{});
  EXPECT_EQ(view.query, "");
  EXPECT_TRUE(view.matches.empty());
  EXPECT_FALSE(view.entry_word.has_value());
}

}  // namespace
}  // namespace pnt
