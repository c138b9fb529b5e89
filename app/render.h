// Drawing one whole frame from the View into a cell buffer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/cell_buffer.h"
#include "app/screen_map.h"
#include "core/view.h"

namespace pnt {

/// Whether the frame has an inflections pane; the input mapping must agree with the renderer.
[[nodiscard]] bool with_inflections(const View& view);

/// The first candidate whose character count plus 2 fits `pane_width`; the last one when none
/// fits (an empty list gives an empty title).
[[nodiscard]] std::string_view pick_title(std::span<const std::string> candidates,
                                          std::uint16_t pane_width);

/// Draws the whole View into `frame` (which must be blank and sized to the terminal), records
/// the pane areas and entry rows in `screen_map`, and lowers view.entry_scroll and
/// view.doc_scroll to what their content allows.
void draw(View& view, CellBuffer& frame, ScreenMap& screen_map);

}  // namespace pnt
