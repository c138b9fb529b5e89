#include "core/view.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "base/utf8.h"

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

void leave_english(View& view) { view.english_mode = false; }

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

// Puts a search's rows on the lists with the first row of each selected; `no_results` says
// that a query was typed and no step found a row.
void show_rows(View& view, SearchResult result) {
  view.matches = std::move(result.matches);
  view.inflections = std::move(result.inflections);
  view.step = result.step;
  view.focus = result.focus;
  view.match_sel = 0;
  view.infl_sel = 0;
  view.no_results = result.step == SearchStep::None && !view.query.empty();
}

void enter(View& view) {
  if (view.fullscreen) {
    leave_fullscreen(view);
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
  // The kept entry stays on display over empty lists until the next search.
  view.query.clear();
  show_rows(view, SearchResult{});
  view.clear_entry();
  view.entry_scroll = 0;
}

}  // namespace

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
  show_rows(*this, search(search_context(), query,
                          english_mode ? SearchMode::English : SearchMode::Finnish));
  kept_word.reset();
  kept_entry.reset();
  kept_expansions.clear();
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
