// The whole state of the screen, changed only by messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/dictionary.h"
#include "core/english.h"
#include "core/expand.h"
#include "core/history.h"
#include "core/layout.h"
#include "core/lexicon.h"
#include "core/morphology.h"
#include "core/search.h"
#include "format/gloss.h"
#include "vfst/transducer.h"

namespace pnt {

/// Value of View::doc while the documents overlay is closed.
inline constexpr std::uint8_t DOC_CLOSED = 0xFF;

// One line per message reads as the table it is.
// clang-format off
struct InsertChar { char32_t c; };
struct Backspace {};
struct MoveSelection { std::int32_t delta; };
struct ScrollEntry { std::int32_t delta; };
struct Enter {};
struct ToggleFocus {};
struct SetFocus { bool inflections; };
struct ToggleFullscreen {};
struct SelectMatch { std::uint32_t index; };
struct SelectInflection { std::uint32_t index; };
struct SetQuery { std::string query; };
struct ToggleDocuments {};
struct CloseDocuments {};
struct ToggleEnglish {};
struct ToggleTable {};
struct HistoryBack {};
struct HistoryForward {};
struct ClearQuery {};
struct DeleteWord {};
// clang-format on

/// One input for View::update; the variant index is the message number.
using Message = std::variant<InsertChar, Backspace, MoveSelection, ScrollEntry, Enter, ToggleFocus,
                             SetFocus, ToggleFullscreen, SelectMatch, SelectInflection, SetQuery,
                             ToggleDocuments, CloseDocuments, ToggleEnglish, ToggleTable,
                             HistoryBack, HistoryForward, ClearQuery, DeleteWord>;

/// The document after `doc` in the cycle License, Privacy, Sources, Verify; 1 for a value
/// outside the table.
[[nodiscard]] std::uint8_t next_document(std::uint8_t doc);

/// Reading lines shown above an entry at most; a further line "…" says that there are more.
inline constexpr std::size_t MAX_READING_LINES = 4;

/// Saturating move of a scroll offset by a delta.
[[nodiscard]] std::uint16_t scroll_by(std::uint16_t offset, std::int32_t delta);

/// The screen state. Only update() changes it, apart from the renderer lowering the two
/// scroll offsets to what their content allows.
class View {
 public:
  /// A view whose English index is empty.
  View(Lexicon lexicon, Morphology morphology, LayoutConfig layout);
  View(Dictionary dictionary, LayoutConfig layout);

  /// Applies one message; cannot fail, and ignores what does not apply.
  void update(Message message);

  /// Rebuilds both lists from the query, selects the first match, drops the kept entry and
  /// refreshes the entry; the rows and the focus are the search pipeline's (see search).
  void run_search();
  /// Shows the headword chosen by focus and selection (the query's lemmas when no match is
  /// selected); nothing is recomputed while the same headword stays shown with its entry.
  void refresh_entry();
  /// Sets `reading_lines` for `form` shown with `headword`: one line per distinct reading whose
  /// base form is the headword (for a participle, whose verb is); with `whole_word`, the
  /// readings of the analysed query whose base form ends in the headword (its last part).
  void refresh_readings(std::string_view form, std::string_view headword, bool whole_word);
  /// Removes the shown entry, its expansions, links and readings; the scroll offset stays.
  void clear_entry();
  /// Moves the focus to the requested list and refreshes the entry; ignored when the focus
  /// is already there or the inflections list asked for is empty.
  void set_focus(bool inflections);

  [[nodiscard]] ExpandContext context() const { return {lexicon, morphology}; }
  [[nodiscard]] SearchContext search_context() const {
    return {lexicon, morphology, english, &frequencies, transducer ? &*transducer : nullptr};
  }

  Lexicon lexicon;
  Morphology morphology;
  EnglishIndex english;
  /// The morphology transducer behind the readings and tables; nothing without grammar data.
  std::optional<vfst::Transducer> transducer;
  FrequencyTable frequencies;  ///< empty: every headword ranks alike
  std::uint64_t revision = 0;
  std::string query;
  std::vector<MatchRow> matches;
  std::vector<std::vector<Expansion>> expansions;
  std::vector<std::vector<Link>> links;
  std::vector<std::vector<Expansion>> kept_expansions;
  std::vector<InflectionRow> inflections;
  std::optional<std::string> entry_word;
  std::optional<Entry> entry;
  std::optional<std::string> kept_word;
  std::optional<Entry> kept_entry;
  std::uint16_t doc_scroll = 0;
  std::uint8_t doc = DOC_CLOSED;
  std::uint32_t match_sel = 0;
  std::uint32_t infl_sel = 0;
  LayoutConfig layout;
  std::uint16_t entry_scroll = 0;
  bool no_results = false;
  bool fullscreen = false;
  Focus focus = Focus::Matches;
  /// English mode: the query searches the English index, and each row of `matches` holds a
  /// Finnish headword with the English key it translates.
  bool english_mode = false;
  /// The search step whose rows the lists hold.
  SearchStep step = SearchStep::None;
  /// The places left by following a row or a link, by Enter on the matches list and by the
  /// first edit of the query after other messages; not kept across runs.
  History history;
  /// Whether the last message edited the query, so that only the first edit of a run records.
  bool last_was_edit = false;
  /// Grey lines above the entry: the readings of the form the entry is shown for, when that
  /// form is not the headword itself (at most MAX_READING_LINES, then "…").
  std::vector<std::string> reading_lines;
  /// Table mode: the entry pane shows the inflection table of the shown headword.
  bool table_mode = false;
  /// The rows are suggestions: nothing matched the query as typed, so its box stays red.
  bool no_exact = false;
};

}  // namespace pnt
