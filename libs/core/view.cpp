#include "core/view.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

#include "base/utf8.h"
#include "core/analysis.h"
#include "core/text.h"

namespace pnt {
namespace {

constexpr std::uint8_t DOC_COUNT = 4;

template <class... Fs>
struct Overloaded : Fs... {
  using Fs::operator()...;
};
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

// The selection moved by `delta` and clamped into a list of `size` rows (size > 0). Computed
// wide so that an unchecked index from a click cannot overflow.
std::uint32_t moved_selection(std::uint32_t selection, std::int32_t delta, std::size_t size) {
  const std::int64_t moved = static_cast<std::int64_t>(selection) + delta;
  const auto last = static_cast<std::int64_t>(size) - 1;
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(moved, 0, last));
}

void leave_fullscreen(View& view) {
  if (view.fullscreen) {
    view.fullscreen = false;
    view.entry_scroll = 0;
  }
}

// While the documents overlay is open only scrolling, switching and closing apply.
void update_overlay(View& view, const Message& message) {
  std::visit(
      Overloaded{
          [&](const MoveSelection& m) { view.doc_scroll = scroll_by(view.doc_scroll, m.delta); },
          [&](const ScrollEntry& m) { view.doc_scroll = scroll_by(view.doc_scroll, m.delta); },
          [&](const ToggleFocus&) {
            view.doc = next_document(view.doc);
            view.doc_scroll = 0;
          },
          [&](const ToggleDocuments&) { view.doc = DOC_CLOSED; },
          [&](const CloseDocuments&) { view.doc = DOC_CLOSED; },
          [](const auto&) {},
      },
      message);
}

void move_selection(View& view, std::int32_t delta) {
  if (view.fullscreen) {
    view.entry_scroll = scroll_by(view.entry_scroll, delta);
    return;
  }
  const bool on_matches = view.focus == Focus::Matches;
  const std::size_t size = on_matches ? view.matches.size() : view.inflections.size();
  if (size == 0) {
    return;
  }
  std::uint32_t& selection = on_matches ? view.match_sel : view.infl_sel;
  selection = moved_selection(selection, delta, size);
  view.refresh_entry();
}

void leave_english(View& view) {
  view.english_mode = false;
  view.english_keys.clear();
}

bool is_query_edit(const Message& message) {
  return std::holds_alternative<InsertChar>(message) ||
         std::holds_alternative<Backspace>(message) ||
         std::holds_alternative<ClearQuery>(message) || std::holds_alternative<DeleteWord>(message);
}

Place current_place(const View& view) {
  return {view.english_mode, view.query,    view.focus,
          view.match_sel,    view.infl_sel, view.entry_scroll};
}

// A place with an empty query shows nothing to come back to.
void record_place(View& view) {
  if (!view.query.empty()) {
    view.history.record(current_place(view));
  }
}

// Searches the place's query again and puts focus, selections and scroll back; the entry is
// looked up a second time only when the place's selection is not the search's first row.
void go_to(View& view, Place place) {
  if (place.english_mode) {
    view.english_mode = true;
  } else {
    leave_english(view);
  }
  view.query = std::move(place.query);
  view.run_search();
  const Focus focus = view.inflections.empty() ? Focus::Matches : place.focus;
  if (view.focus != focus || view.match_sel != place.match_sel || view.infl_sel != place.infl_sel) {
    view.focus = focus;
    view.match_sel = place.match_sel;
    view.infl_sel = place.infl_sel;
    view.refresh_entry();
  }
  view.entry_scroll = place.entry_scroll;
}

// Where readline's unix-word-rubout cuts: the blanks before the end, then the word before them.
std::size_t word_rubout_start(std::string_view text) {
  const std::size_t word_end = text.find_last_not_of(" \t");
  if (word_end == std::string_view::npos) {
    return 0;
  }
  const std::size_t blank = text.find_last_of(" \t", word_end);
  return blank == std::string_view::npos ? 0 : blank + 1;
}

// English mode: a row for each Finnish headword of each English key that begins with the
// query (or, when that finds nothing, with the lower-cased query). There are no inflection
// rows and no fallback to the query's lemmas.
void run_english_search(View& view) {
  view.matches.clear();
  view.english_keys.clear();
  auto keys = view.english.search(view.query, view.morphology, MAX_RESULTS);
  if (keys.empty()) {
    if (std::string lower = to_lower(view.query); lower != view.query) {
      keys = view.english.search(lower, view.morphology, MAX_RESULTS);
    }
  }
  for (const auto& [key, headwords] : keys) {
    for (const std::string_view headword : headwords) {
      if (view.matches.size() < MAX_RESULTS) {
        view.matches.push_back(MatchRow{std::string(headword)});
        view.english_keys.push_back(key);
      }
    }
  }
  view.match_sel = 0;
  view.inflections.clear();
  view.focus = Focus::Matches;
  view.infl_sel = 0;
  view.kept_word.reset();
  view.kept_entry.reset();
  view.kept_expansions.clear();
  view.no_results = view.matches.empty() && !view.query.empty();
  view.refresh_entry();
}

void enter(View& view) {
  if (view.fullscreen) {
    view.fullscreen = false;
    view.entry_scroll = 0;
    return;
  }
  if (view.focus == Focus::Matches || view.infl_sel < view.inflections.size()) {
    record_place(view);
  }
  if (view.english_mode && view.focus == Focus::Matches && view.match_sel < view.matches.size()) {
    // An English row leads to its Finnish headword, searched in Finnish mode.
    std::string headword = std::move(view.matches[view.match_sel].headword);
    leave_english(view);
    view.query = std::move(headword);
    view.run_search();
    return;
  }
  if (view.focus == Focus::Inflections) {
    if (view.infl_sel >= view.inflections.size()) {
      return;
    }
    view.query = view.inflections[view.infl_sel].headword;
    view.run_search();
    return;
  }
  if (view.entry) {
    view.kept_word = std::move(view.entry_word);
    view.kept_entry = std::move(view.entry);
    view.kept_expansions = std::move(view.expansions);
  }
  view.query.clear();
  view.matches.clear();
  view.english_keys.clear();
  view.clear_entry();
  view.no_results = false;
  view.entry_scroll = 0;
  view.match_sel = 0;
  view.inflections.clear();
  view.focus = Focus::Matches;
  view.infl_sel = 0;
}

// The rows of a word that no search finds: one per headword of each word part, best analysis
// first, each (part, headword) once; the form shows the part boundaries.
std::vector<InflectionRow> analysis_rows(const Lexicon& lexicon, const Morphology& morphology,
                                         std::string_view query) {
  std::vector<InflectionRow> rows;
  const std::vector<Analysis> analyses = analyse_word(lexicon, morphology, query);
  std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string_view>> shown;
  for (const Analysis& analysis : analyses) {
    const std::string form = marked_form(query, analysis);
    for (const AnalysisPart& part : analysis.parts) {
      for (const std::string& headword : part.headwords) {
        if (rows.size() >= MAX_RESULTS) {
          return rows;
        }
        const auto key = std::make_tuple(part.start, part.end, std::string_view(headword));
        if (headword == form || std::find(shown.begin(), shown.end(), key) != shown.end()) {
          continue;
        }
        shown.push_back(key);
        rows.push_back(InflectionRow{form, headword});
      }
    }
  }
  return rows;
}

}  // namespace

std::vector<MatchRow> search_matches(const Lexicon& lexicon, std::string_view query,
                                     std::size_t limit) {
  std::vector<MatchRow> rows;
  if (query.empty() || limit == 0) {
    return rows;
  }
  rows.reserve(limit);
  fst::Stream stream = lexicon.prefix_stream(query);
  while (stream.next()) {
    const std::string_view key = stream.key_text();
    if (!is_utf8(key)) {
      continue;
    }
    rows.push_back(MatchRow{std::string(key)});
    if (rows.size() >= limit) {
      break;
    }
  }
  return rows;
}

std::vector<std::pair<std::string, std::vector<std::string_view>>> search_inflections(
    const Morphology& morphology, std::string_view query, std::size_t limit) {
  std::vector<std::pair<std::string, std::vector<std::string_view>>> forms;
  if (query.empty() || limit == 0) {
    return forms;
  }
  forms.reserve(limit);
  fst::Stream stream = morphology.prefix_stream(query);
  while (stream.next()) {
    const std::string_view key = stream.key_text();
    if (!is_utf8(key)) {
      continue;
    }
    // A form whose target does not resolve is left out of the list, not reported.
    auto headwords = morphology.resolve(static_cast<std::uint32_t>(stream.value()));
    if (!headwords || headwords->empty()) {
      continue;
    }
    forms.emplace_back(std::string(key), std::move(*headwords));
    if (forms.size() >= limit) {
      break;
    }
  }
  return forms;
}

std::uint8_t next_document(std::uint8_t doc) {
  if (doc >= DOC_COUNT) {
    return 1;
  }
  return static_cast<std::uint8_t>((doc + 1) % DOC_COUNT);
}

std::uint16_t scroll_by(std::uint16_t offset, std::int32_t delta) {
  constexpr std::uint32_t MAX = std::numeric_limits<std::uint16_t>::max();
  // Only the low 16 bits of the magnitude count; negating in unsigned arithmetic keeps
  // INT32_MIN defined.
  const std::uint32_t magnitude =
      (delta < 0 ? 0U - static_cast<std::uint32_t>(delta) : static_cast<std::uint32_t>(delta)) &
      MAX;
  if (delta >= 0) {
    return static_cast<std::uint16_t>(std::min(MAX, offset + magnitude));
  }
  return static_cast<std::uint16_t>(offset > magnitude ? offset - magnitude : 0);
}

View::View(Lexicon lexicon_in, Morphology morphology_in, LayoutConfig layout_in)
    : lexicon(std::move(lexicon_in)), morphology(std::move(morphology_in)), layout(layout_in) {}

View::View(Dictionary dictionary, LayoutConfig layout_in)
    : lexicon(std::move(dictionary.lexicon)),
      morphology(std::move(dictionary.morphology)),
      english(std::move(dictionary.english)),
      layout(layout_in) {}

void View::update(Message message) {
  ++revision;  // unsigned, so it wraps
  if (doc != DOC_CLOSED) {
    last_was_edit = false;
    update_overlay(*this, message);
    return;
  }
  const bool edit = is_query_edit(message);
  if (edit && !last_was_edit) {
    record_place(*this);
  }
  last_was_edit = edit;
  std::visit(
      Overloaded{
          [&](const InsertChar& m) {
            leave_fullscreen(*this);
            append_utf8(query, m.c);
            run_search();
          },
          [&](const Backspace&) {
            leave_fullscreen(*this);
            query.resize(query.size() - last_char_bytes(query));
            run_search();
          },
          [&](const MoveSelection& m) { move_selection(*this, m.delta); },
          [&](const ScrollEntry& m) { entry_scroll = scroll_by(entry_scroll, m.delta); },
          [&](const Enter&) { enter(*this); },
          [&](const ToggleFocus&) { set_focus(focus == Focus::Matches && !inflections.empty()); },
          [&](const SetFocus& m) { set_focus(m.inflections); },
          [&](const ToggleFullscreen&) {
            entry_scroll = 0;
            fullscreen = !fullscreen;
          },
          [&](const SelectMatch& m) {
            focus = Focus::Matches;
            match_sel = m.index;
            refresh_entry();
          },
          [&](const SelectInflection& m) {
            focus = Focus::Inflections;
            infl_sel = m.index;
            refresh_entry();
          },
          [&](SetQuery& m) {
            record_place(*this);
            leave_english(*this);  // a link names a Finnish headword
            query = std::move(m.query);
            run_search();
          },
          [&](const ToggleDocuments&) {
            doc = 0;
            doc_scroll = 0;
          },
          [](const CloseDocuments&) {},
          [&](const ToggleEnglish&) {
            leave_fullscreen(*this);
            if (english_mode) {
              leave_english(*this);
            } else {
              english_mode = true;
            }
            run_search();
          },
          [&](const HistoryBack&) {
            if (std::optional<Place> place = history.back(current_place(*this))) {
              go_to(*this, std::move(*place));
            }
          },
          [&](const HistoryForward&) {
            if (std::optional<Place> place = history.forward(current_place(*this))) {
              go_to(*this, std::move(*place));
            }
          },
          [&](const ClearQuery&) {
            leave_fullscreen(*this);
            query.clear();
            run_search();
          },
          [&](const DeleteWord&) {
            leave_fullscreen(*this);
            query.resize(word_rubout_start(query));
            run_search();
          },
      },
      message);
}

void View::run_search() {
  if (english_mode) {
    run_english_search(*this);
    return;
  }
  matches = search_matches(lexicon, query, MAX_RESULTS);
  match_sel = 0;
  inflections.clear();
  if (!query.empty()) {
    inflections.reserve(MAX_RESULTS);
    // Rows are built form by form and the building stops at the row limit.
    for (auto& [form, headwords] : search_inflections(morphology, query, MAX_RESULTS)) {
      for (const std::string_view headword : headwords) {
        if (inflections.size() >= MAX_RESULTS) {
          break;
        }
        if (headword != form) {
          inflections.push_back(InflectionRow{form, std::string(headword)});
        }
      }
      if (inflections.size() >= MAX_RESULTS) {
        break;
      }
    }
  }
  focus = Focus::Matches;
  infl_sel = 0;
  kept_word.reset();
  kept_entry.reset();
  kept_expansions.clear();
  no_results = matches.empty() && inflections.empty() && !query.empty();
  if (no_results) {
    // A word no index holds may still be made of words they hold: its parts are shown in
    // the inflections list, and the first one's entry.
    inflections = analysis_rows(lexicon, morphology, query);
    if (!inflections.empty()) {
      no_results = false;
      focus = Focus::Inflections;
    }
  }
  refresh_entry();
}

void View::refresh_entry() {
  std::string key;
  // Filled when choosing the key has already looked it up.
  std::optional<std::optional<Entry>> looked_up;
  if (focus == Focus::Inflections) {
    if (infl_sel >= inflections.size()) {
      clear_entry();
      return;
    }
    key = inflections[infl_sel].headword;
  } else if (match_sel < matches.size()) {
    key = matches[match_sel].headword;
  } else if (english_mode) {
    clear_entry();  // English mode shows only what a row names
    return;
  } else {
    // No match row to show: read the whole query as one inflected form.
    const std::vector<std::string_view> lemmas = morphology.lemmas(query);
    if (lemmas.empty()) {
      clear_entry();
      return;
    }
    for (const std::string_view lemma : lemmas) {
      if (auto found = lexicon.entry(lemma)) {
        key = lemma;
        looked_up.emplace(std::move(found));
        break;
      }
    }
    if (!looked_up) {
      key = lemmas.front();
      looked_up.emplace(std::nullopt);
    }
  }

  const bool changed = !entry_word || *entry_word != key;
  if (!changed && entry) {
    // The same headword is still shown: nothing is looked up or recomputed, and the
    // scroll offset stays.
    return;
  }
  std::optional<Entry> found = looked_up ? std::move(*looked_up) : lexicon.entry(key);
  if (!found) {
    clear_entry();
    entry_word = std::move(key);
    if (changed) {
      entry_scroll = 0;
    }
    return;
  }
  expansions = expand_entry(key, *found, context());
  links = link_entry(key, *found, context());
  entry_word = std::move(key);
  entry = std::move(found);
  if (changed) {
    entry_scroll = 0;
  }
}

void View::clear_entry() {
  entry_word.reset();
  entry.reset();
  expansions.clear();
  links.clear();
}

void View::set_focus(bool inflections_requested) {
  if (inflections_requested && inflections.empty()) {
    return;
  }
  const Focus requested = inflections_requested ? Focus::Inflections : Focus::Matches;
  if (focus == requested) {
    return;
  }
  focus = requested;
  refresh_entry();
}

}  // namespace pnt
