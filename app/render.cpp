#include "app/render.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/entry_layout.h"
#include "app/widgets.h"
#include "base/utf8.h"
#include "core/layout.h"
#include "core/legal.h"

namespace pnt {
namespace {

constexpr Style PLAIN{};
constexpr Style CYAN{Color::Cyan, 0};
constexpr Style DARK_GRAY{Color::DarkGray, 0};
constexpr Style RED{Color::Red, 0};
constexpr std::string_view HIGHLIGHT_SYMBOL = "> ";

// Title candidates, longest first.
const std::array<std::string, 2> MATCHES_TITLES{" matches (type to search, Tab to switch) ",
                                                " matches "};
const std::array<std::string, 1> MATCHES_TITLES_WITH_QUERY{" matches "};
const std::array<std::string, 3> ENGLISH_TITLES{" matches: English → Finnish (ctrl+e) ",
                                                " English → Finnish ", " English "};
const std::array<std::string, 3> INFLECTIONS_TITLES{" inflections (type to search, Tab to switch) ",
                                                    " inflections ", " infl "};
const std::array<std::string, 2> INFLECTIONS_TITLES_WITH_QUERY{" inflections ", " infl "};
const std::array<std::string, 3> ENTRY_TITLES{" entry (ctrl+f or click here to fullscreen) ",
                                              " entry (click here to fullscreen) ", " entry "};
const std::array<std::string, 3> FULLSCREEN_ENTRY_TITLES{
    " entry (ctrl+f, click here, enter, or type to return) ", " entry (click here to return) ",
    " entry "};

// The largest useful scroll offset for `rows` lines in a pane of `area`.
std::uint16_t max_scroll(std::size_t rows, Rect area) {
  const std::size_t max = rows - std::min<std::size_t>(rows, inner_area(area).height);
  return static_cast<std::uint16_t>(std::min<std::size_t>(max, 65535));
}

void draw_query(const View& view, CellBuffer& frame, Rect area) {
  const std::string n = std::to_string(view.lexicon.headword_count());
  const std::string m = std::to_string(view.morphology.form_count());
  const std::array<std::string, 4> titles{" pohjantuulikko " + n + " · " + m + " · ctrl+l: legal ",
                                          " pohjantuulikko " + n + " · " + m + " ",
                                          " pnt " + n + " ", " pnt "};
  const Style style = view.no_results ? RED : PLAIN;
  const Rect inner = draw_block(frame, area, pick_title(titles, area.width), style);
  if (inner.height == 0) {
    return;
  }
  const std::size_t used = frame.put_text(inner.x, inner.y, "> ", style, inner.width);
  if (used < inner.width) {
    frame.put_text(static_cast<std::uint16_t>(inner.x + used), inner.y, view.query, style,
                   inner.width - used);
  }
}

void draw_result_list(CellBuffer& frame, Rect area, std::span<const std::string> titles,
                      bool focused, std::span<const Line> rows, std::size_t selected) {
  const Style border = focused ? CYAN : DARK_GRAY;
  const Rect inner = draw_block(frame, area, pick_title(titles, area.width), border);
  draw_list(frame, inner, rows, selected, HIGHLIGHT_SYMBOL,
            focused ? std::optional<std::uint8_t>(ATTR_REVERSED) : std::nullopt);
}

// A row that leads from a word to a headword: "word  ~> headword".
Line arrow_row(const std::string& word, const std::string& headword) {
  return Line(std::vector<Span>{{word, PLAIN}, {"  ~> ", DARK_GRAY}, {headword, CYAN}});
}

// English mode: each row pairs the English key with its Finnish headword, drawn like an
// inflections row.
void draw_english_matches(const View& view, CellBuffer& frame, Rect area) {
  std::vector<Line> rows;
  rows.reserve(view.matches.size());
  for (const MatchRow& match : view.matches) {
    rows.push_back(arrow_row(match.english, match.headword));
  }
  draw_result_list(frame, area, ENGLISH_TITLES, view.focus == Focus::Matches, rows, view.match_sel);
}

void draw_matches(const View& view, CellBuffer& frame, Rect area) {
  if (view.english_mode) {
    draw_english_matches(view, frame, area);
    return;
  }
  std::vector<Line> rows;
  rows.reserve(view.matches.size());
  for (const MatchRow& match : view.matches) {
    rows.emplace_back(match.headword, PLAIN);
  }
  const std::span<const std::string> titles =
      view.query.empty() ? std::span<const std::string>(MATCHES_TITLES) : MATCHES_TITLES_WITH_QUERY;
  draw_result_list(frame, area, titles, view.focus == Focus::Matches, rows, view.match_sel);
}

void draw_inflections(const View& view, CellBuffer& frame, Rect area) {
  std::vector<Line> rows;
  rows.reserve(view.inflections.size());
  for (const InflectionRow& row : view.inflections) {
    rows.push_back(arrow_row(row.form, row.headword));
  }
  const std::span<const std::string> titles = view.query.empty()
                                                  ? std::span<const std::string>(INFLECTIONS_TITLES)
                                                  : INFLECTIONS_TITLES_WITH_QUERY;
  draw_result_list(frame, area, titles, view.focus == Focus::Inflections, rows, view.infl_sel);
}

void draw_entry(View& view, CellBuffer& frame, Rect area, ScreenMap& map) {
  map.entry_area = area;
  map.entry_rows.area = area;
  const EntryRows& rows = entry_rows_for(view, inner_area(area).width, map.entry_rows);
  view.entry_scroll = std::min(view.entry_scroll, max_scroll(rows.lines.size(), area));
  const std::span<const std::string> titles =
      view.fullscreen ? std::span<const std::string>(FULLSCREEN_ENTRY_TITLES) : ENTRY_TITLES;
  const Rect inner = draw_block(frame, area, pick_title(titles, area.width), PLAIN);
  draw_paragraph(frame, inner, rows.lines, view.entry_scroll);
}

void draw_documents(View& view, CellBuffer& frame, Rect area) {
  const Document& doc = DOCUMENTS[std::min<std::size_t>(view.doc, DOCUMENTS.size() - 1)];
  const std::array<std::string, 3> titles{
      " " + std::string(doc.title) + "  ·  Tab: next document  ·  Esc: close ",
      " " + std::string(doc.title) + "  ·  Tab  ·  Esc ", " " + std::string(doc.label) + " "};
  const std::vector<std::string> wrapped = wrap_document(doc.body, inner_area(area).width);
  view.doc_scroll = std::min(view.doc_scroll, max_scroll(wrapped.size(), area));
  const Rect inner = draw_block(frame, area, pick_title(titles, area.width), PLAIN);
  std::vector<Line> lines;
  const std::size_t first = view.doc_scroll;
  const std::size_t last = std::min<std::size_t>(wrapped.size(), first + inner.height);
  for (std::size_t i = first; i < last; ++i) {
    lines.emplace_back(wrapped[i], PLAIN);
  }
  draw_paragraph(frame, inner, lines, 0);
}

}  // namespace

bool with_inflections(const View& view) { return view.morphology.form_count() > 0; }

std::string_view pick_title(std::span<const std::string> candidates, std::uint16_t pane_width) {
  for (const std::string& candidate : candidates) {
    const std::size_t count = char_count(candidate);
    if (count + 2 <= 65535 && static_cast<std::uint16_t>(count + 2) <= pane_width) {
      return candidate;
    }
  }
  return candidates.empty() ? std::string_view{} : std::string_view(candidates.back());
}

void draw(View& view, CellBuffer& frame, ScreenMap& map) {
  const Rect area = frame.area();
  map.frame_area = area;
  map.matches_area = Rect{};
  map.entry_area = Rect{};
  map.infl_area.reset();

  if (view.doc != DOC_CLOSED) {
    draw_documents(view, frame, area);
    return;
  }
  if (view.fullscreen) {
    const auto [top, rest] = split_fullscreen(area);
    draw_query(view, frame, top);
    draw_entry(view, frame, rest, map);
    return;
  }
  const bool inflections = with_inflections(view);
  const Columns columns = split_columns(view.layout, area);
  const LeftPanes left = split_left_column(view.layout, columns.left, inflections);
  draw_query(view, frame, left.query);
  map.matches_area = left.matches;
  draw_matches(view, frame, left.matches);
  draw_entry(view, frame, columns.right, map);
  if (left.inflections) {
    map.infl_area = *left.inflections;
    draw_inflections(view, frame, *left.inflections);
  }
}

}  // namespace pnt
