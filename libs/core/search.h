// From a query to the rows of both result lists: the search's steps, tried in one order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/analysis.h"
#include "core/english.h"
#include "core/lexicon.h"
#include "core/morphology.h"
#include "format/frequency.h"

namespace pnt {

/// Bound on the rows of each list and on the inflected forms examined for one search.
inline constexpr std::size_t MAX_RESULTS = 100;

/// A row of the matches list: a headword that begins with the query. In English mode `english`
/// is the English key that the row translates (empty in Finnish mode).
struct MatchRow {
  std::string headword;
  std::string english{};
  friend bool operator==(const MatchRow&, const MatchRow&) = default;
};

/// A row of the inflections list: a form that begins with the query and one of its headwords,
/// or the analysed query with its parts marked ("kuva·ikkunassa") and a part's headword.
struct InflectionRow {
  std::string form;
  std::string headword;  ///< never equal to `form`
  friend bool operator==(const InflectionRow&, const InflectionRow&) = default;
};

/// The list that the arrow keys move.
enum class Focus : std::uint8_t { Matches = 0, Inflections = 1 };

/// Which language the query is in.
enum class SearchMode : std::uint8_t { Finnish, English };

/// The step whose rows are shown; None when no step found a row.
enum class SearchStep : std::uint8_t { None, Prefix, English, Analysis, Folded, Suggest };

/// The step's name as printed: "none", "prefix", "english", "analysis", "folded", "suggest".
[[nodiscard]] std::string_view step_name(SearchStep step);

/// What the search reads: the dictionary's three indexes, read-only.
struct SearchContext {
  const Lexicon& lexicon;
  const Morphology& morphology;
  const EnglishIndex& english;
  /// How common each headword is; none: every headword ranks alike.
  const FrequencyTable* frequencies = nullptr;
  /// The morphology transducer, whose compound boundaries the analysis takes; none: the
  /// analysis splits by the indexes alone.
  const vfst::Transducer* transducer = nullptr;
};

/// Both lists as the first step that finds a row leaves them, the focus it asks for, and, for
/// the analysis step, the readings behind its rows (best first).
struct SearchResult {
  std::vector<MatchRow> matches;
  std::vector<InflectionRow> inflections;
  SearchStep step = SearchStep::None;
  Focus focus = Focus::Matches;
  std::vector<Analysis> analyses;
};

/// Runs the mode's steps in order until one finds a row. Finnish: the prefix search of both
/// indexes (the keys equal to the query read without dots first after its own), then the
/// analysis of a word no index holds, then the prefix search read without dots, then the
/// words a typo away. English: the English prefix search, then the English keys a typo away.
/// With `only`, just that step of the mode runs (for measuring one step).
[[nodiscard]] SearchResult search(const SearchContext& context, std::string_view query,
                                  SearchMode mode, std::optional<SearchStep> only = std::nullopt);

/// Puts the keys of either index that equal the query read without dots (but not byte for
/// byte) into a prefix search's lists, right after the query's own exact key.
void insert_folded_twins(const SearchContext& context, std::string_view query,
                         SearchResult& result);

/// The spellings of an English query that are tried in turn: as typed, then lower-cased when
/// that differs (the English keys are lower-case).
[[nodiscard]] std::vector<std::string> english_spellings(std::string_view query);

/// Headwords that begin with `query`, at most `limit`, in byte order; empty for an empty query.
[[nodiscard]] std::vector<MatchRow> search_matches(const Lexicon& lexicon, std::string_view query,
                                                   std::size_t limit);

/// Forms that begin with `query` with their headwords (views into the morphology), at most
/// `limit` forms; unresolvable and non-UTF-8 forms are skipped.
[[nodiscard]] std::vector<std::pair<std::string, std::vector<std::string_view>>> search_inflections(
    const Morphology& morphology, std::string_view query, std::size_t limit);

}  // namespace pnt
