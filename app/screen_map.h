// What the last frame put where: pane areas and entry rows, read by the input mapping.
#pragma once

#include <cstdint>
#include <optional>

#include "app/entry_layout.h"
#include "core/rect.h"

namespace pnt {

/// Values of ScreenMap::drag.
inline constexpr std::uint8_t DRAG_VERTICAL = 0;
inline constexpr std::uint8_t DRAG_HORIZONTAL = 1;
inline constexpr std::uint8_t DRAG_NONE = 2;

struct ScreenMap {
  Rect frame_area;    ///< the whole frame, set on every frame
  Rect matches_area;  ///< zero unless the matches pane was drawn
  Rect entry_area;    ///< zero unless the entry pane was drawn
  std::optional<Rect> infl_area;
  EntryRowCache entry_rows;  ///< laid-out entry rows with their click spans, kept across frames
  std::uint8_t drag = DRAG_NONE;
};

}  // namespace pnt
