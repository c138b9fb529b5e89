// The drawing helpers the renderer builds its frame from: boxes, paragraphs, lists, splits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "app/cell_buffer.h"
#include "app/style.h"
#include "core/rect.h"

namespace pnt {

/// The area inside a one-cell border; empty when `area` is under 2x2.
[[nodiscard]] Rect inner_area(Rect area);

/// The point relative to the inside of `area`'s one-cell border; nothing on or outside it.
[[nodiscard]] std::optional<std::pair<std::uint16_t, std::uint16_t>> inner_cell(
    Rect area, std::uint16_t column, std::uint16_t row);

/// Draws a single-line box over `area` with `title` on its top border, starting one column
/// right of the corner and cut before the right corner; border and title take `style`.
/// Returns the inner area.
Rect draw_block(CellBuffer& buffer, Rect area, std::string_view title, Style style);

/// Draws `lines` into `area` from line `offset` on, left-aligned, cutting long lines.
void draw_paragraph(CellBuffer& buffer, Rect area, std::span<const Line> lines, std::size_t offset);

/// A list's visible rows: the first item index shown in a pane of `height` rows.
[[nodiscard]] std::size_t list_window_start(std::size_t selected, std::size_t height);

/// Draws a list into `area`: the selected item (clamped to the last one) gets `symbol` and
/// `highlight` over its whole row, the others as many blanks; an empty list draws nothing.
void draw_list(CellBuffer& buffer, Rect area, std::span<const Line> items, std::size_t selected,
               std::string_view symbol, std::optional<std::uint8_t> highlight);

/// The fullscreen split: a top part of up to 3 rows and the rest below it.
[[nodiscard]] std::pair<Rect, Rect> split_fullscreen(Rect area);

}  // namespace pnt
