// The entry pane's text: headword, part-of-speech headings, wrapped meanings with link spans,
// and the nested expansions, cached per view revision and pane width.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/style.h"
#include "core/expand.h"
#include "core/rect.h"
#include "core/view.h"

namespace pnt {

/// A clickable column range [start_col, end_col) of one laid-out entry row, counted from the
/// entry pane's first inner column, and the headword a click on it searches for.
struct ClickSpan {
  std::uint16_t start_col = 0;
  std::uint16_t end_col = 0;
  std::string target;
  friend bool operator==(const ClickSpan&, const ClickSpan&) = default;
};

/// Laid-out rows and, row for row, their click spans.
struct EntryRows {
  std::vector<Line> lines;
  std::vector<std::vector<ClickSpan>> click_spans;

  void push(Line line) {
    lines.push_back(std::move(line));
    click_spans.emplace_back();
  }
};

/// The entry rows kept from frame to frame, valid for one view revision and inner width.
struct EntryRowCache {
  bool valid = false;
  std::uint64_t revision = 0;
  std::uint16_t width = 0;
  Rect area;  ///< the entry pane in the last frame
  EntryRows rows;
};

/// Lays out one item (a meaning or a heading) with a hanging indent of the prefix's width:
/// words wrap at `width` characters, a word never splits, and words inside a link become one
/// underlined span per run of the same target, with its click span.
[[nodiscard]] EntryRows wrap_item(std::string_view prefix, std::string_view text,
                                  std::span<const Link> links, Style style, std::size_t width);

/// The entry pane's whole content at an inner width: the shown entry, else the kept entry in
/// grey, else a one-line placeholder.
[[nodiscard]] EntryRows layout_entry_rows(const View& view, std::uint16_t width);

/// The cached rows, laid out again first when the view's revision or the width changed.
const EntryRows& entry_rows_for(const View& view, std::uint16_t width, EntryRowCache& cache);

}  // namespace pnt
