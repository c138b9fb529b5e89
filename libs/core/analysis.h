// Taking apart a word that is no key: compounds, clitics and capitals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/lexicon.h"
#include "core/morphology.h"
#include "format/frequency.h"
#include "vfst/transducer.h"

namespace pnt {

/// Longest query, in bytes, that is analysed at all.
inline constexpr std::size_t MAX_ANALYSED_BYTES = 64;
/// Most analyses returned for one word.
inline constexpr std::size_t MAX_ANALYSES = 3;

enum class PartKind : std::uint8_t { Word, Clitic };

/// One part of an analysed word: the bytes [start, end) of the query (a hyphen belongs to the
/// part before it) and, for a word part, the headwords it leads to (a clitic part has none).
struct AnalysisPart {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  PartKind kind = PartKind::Word;
  std::vector<std::string> headwords;
  friend bool operator==(const AnalysisPart&, const AnalysisPart&) = default;
};

/// A reading of the whole query as consecutive parts.
struct Analysis {
  std::vector<AnalysisPart> parts;
  friend bool operator==(const Analysis&, const Analysis&) = default;
};

/// Up to MAX_ANALYSES readings of `query`, best first; empty when there is none, when the
/// query is longer than MAX_ANALYSED_BYTES, or holds a space, control byte or bad UTF-8.
///
/// The query is read fully lower-cased when it has capitals but no lower-case letter
/// ("KUVAUS"), else with its first character lower-cased ("Onko", "Äidin"). It may end
/// in a clitic (-kin, -kaan/-kään, -ko/-kö, -han/-hän, -pa/-pä, -s or a usual stack such as
/// -kohan), which becomes a part of its own.
///
/// A word the `transducer` reads is split only where the transducer puts a compound boundary
/// ("hiiren·loukussa", never "kuva·us"); each part leads to the base form the transducer gives
/// it, else to what the indexes give its text (below). Such a word without a boundary is one
/// part that leads to its base forms ("KUVAUS" to "kuvaus"). A part whose base form is no
/// headword (the prefix "epä") joins the part after it. A clitic the transducer tags (-kin,
/// -kaan, -ko) is split where it says; another one from the list above only when the part
/// before it is a key of either index.
///
/// Without a transducer, or for a word it does not read, what precedes the clitic is one to
/// three word parts: the last one a key of either index (and no clitic, unless alone), each
/// earlier one a headword, a headword + "n" that the inflected-form index leads back to that
/// headword (a genitive), or a compound stem from a short built-in table ("nais" for
/// "nainen"). A hyphen always ends a part; a part of one or two letters must be a whole word
/// between hyphens or word ends ("ei-toivottu", "on·ko").
///
/// Ranking: fewer word parts first, then the longer last word part (in characters), then fewer
/// earlier parts that are genitives or stems rather than headwords as written (or than the
/// transducer's base forms). Remaining ties go to the more common words by `frequencies` (the
/// sum of each word part's best rank), then to the reading without a clitic, then to the
/// earlier boundary.
[[nodiscard]] std::vector<Analysis> analyse_word(const Lexicon& lexicon,
                                                 const Morphology& morphology,
                                                 std::string_view query,
                                                 const vfst::Transducer* transducer = nullptr,
                                                 const FrequencyTable* frequencies = nullptr);

/// The query with U+00B7 "·" between consecutive parts, e.g. "kuva·ikkunassa".
[[nodiscard]] std::string marked_form(std::string_view query, const Analysis& analysis);

}  // namespace pnt
