// Entry expansion: nested entries and link spans for the words that meaning texts name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/lexicon.h"
#include "core/morphology.h"
#include "format/gloss.h"

namespace pnt {

/// Characters stripped from the outer ends of a phrase.
inline constexpr std::string_view TRIM_CHARS = ".,;:!?\"'()[]";
/// Longest phrase tried, in tokens.
inline constexpr std::size_t MAX_PHRASE_WORDS = 5;
/// Most nested entries found in one meaning text.
inline constexpr std::size_t MAX_EXPANSIONS = 3;
/// Meaning texts of the shown entry are at depth 1; only texts below this depth get children.
inline constexpr int MAX_DEPTH = 2;

/// One nested entry found in a meaning text.
struct Expansion {
  std::string phrase;               ///< the normalised phrase, e.g. "talo"
  std::optional<std::string> base;  ///< the headword reached through the inflection index
  Entry entry;                      ///< entry of `base`, or of `phrase` when `base` is absent
  std::vector<std::vector<Expansion>> children;  ///< one list per PosGroup of `entry`
  friend bool operator==(const Expansion&, const Expansion&) = default;
};

/// A marked byte span [start, end) of a meaning text that leads to `target`.
struct Link {
  std::string target;
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  friend bool operator==(const Link&, const Link&) = default;
};

/// Read access to the dictionary for the expansion functions.
struct ExpandContext {
  const Lexicon& lexicon;
  const Morphology& morphology;
};

/// A candidate entry of a phrase: the headword it was reached through (none for the phrase's
/// own entry) and the entry.
struct Candidate {
  std::optional<std::string> base;
  Entry entry;
};

using VisitedSet = std::unordered_set<std::string>;

/// The lookup phrase of 1 to 5 consecutive tokens: outer TRIM_CHARS stripped, full Unicode
/// lower-casing, pieces joined by single spaces.
[[nodiscard]] std::string make_phrase(std::span<const std::string_view> tokens);

/// The entries a phrase can show: its own entry first, then those of its other headwords in
/// stored order; entries without groups are kept.
[[nodiscard]] std::vector<Candidate> collect_entries(const ExpandContext& context,
                                                     std::string_view word);

/// Up to MAX_EXPANSIONS nested entries named by `text`, longest phrase first, children
/// depth-first; adds every expanded phrase and headword to `visited`.
[[nodiscard]] std::vector<Expansion> expand_text(std::string_view text, int depth,
                                                 VisitedSet& visited, const ExpandContext& context);

/// One list of expansions per meaning of `entry`, in meaning order across groups.
[[nodiscard]] std::vector<std::vector<Expansion>> expand_entry(std::string_view key,
                                                               const Entry& entry,
                                                               const ExpandContext& context);

/// Every span of `text` whose phrase (not in `visited`) leads to a headword with an entry.
[[nodiscard]] std::vector<Link> find_links(std::string_view text, const VisitedSet& visited,
                                           const ExpandContext& context);

/// One list of links per meaning of `entry`, in meaning order across groups.
[[nodiscard]] std::vector<std::vector<Link>> link_entry(std::string_view key, const Entry& entry,
                                                        const ExpandContext& context);

}  // namespace pnt
