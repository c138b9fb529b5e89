#include "core/layout.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace pnt {
namespace {

constexpr std::uint16_t MIN_PCT = 10;
constexpr std::uint16_t MAX_PCT = 90;
constexpr std::uint16_t MIN_LEFT_COLUMNS = 16;
constexpr std::uint16_t MIN_ENTRY_COLUMNS = 24;
constexpr std::uint16_t NARROW_WIDTH = 40;
constexpr std::uint16_t QUERY_ROWS = 3;
constexpr std::uint16_t MIN_LIST_ROWS = 3;

std::uint16_t clamp_pct32(std::uint32_t pct) {
  return static_cast<std::uint16_t>(std::clamp<std::uint32_t>(pct, MIN_PCT, MAX_PCT));
}

std::uint16_t add16(std::uint16_t a, std::uint16_t b) { return static_cast<std::uint16_t>(a + b); }

}  // namespace

std::uint16_t clamp_pct(std::uint16_t pct) { return clamp_pct32(pct); }

Columns split_columns(const LayoutConfig& layout, Rect area) {
  const std::uint16_t w = area.width;
  std::uint16_t left_width = 0;
  if (w < NARROW_WIDTH) {
    left_width = static_cast<std::uint16_t>(w / 2);
  } else {
    const std::uint32_t by_pct = std::uint32_t{w} * clamp_pct(layout.left_pct) / 100;
    left_width = static_cast<std::uint16_t>(std::clamp<std::uint32_t>(
        by_pct, MIN_LEFT_COLUMNS, static_cast<std::uint32_t>(w - MIN_ENTRY_COLUMNS)));
  }
  return {
      .left = {.x = area.x, .y = area.y, .width = left_width, .height = area.height},
      .right = {.x = add16(area.x, left_width),
                .y = area.y,
                .width = static_cast<std::uint16_t>(w - left_width),
                .height = area.height},
  };
}

LeftPanes split_left_column(const LayoutConfig& layout, Rect left, bool with_inflections) {
  const std::uint16_t h = left.height;
  const std::uint16_t q = std::min(h, QUERY_ROWS);
  const auto rest = static_cast<std::uint16_t>(h - q);
  const std::uint16_t lists_y = add16(left.y, q);
  LeftPanes panes{.query = {.x = left.x, .y = left.y, .width = left.width, .height = q},
                  .matches = {.x = left.x, .y = lists_y, .width = left.width, .height = rest},
                  .inflections = std::nullopt};
  if (!with_inflections) {
    return panes;
  }
  std::uint16_t matches_height = 0;
  if (rest < 2 * MIN_LIST_ROWS) {
    matches_height = static_cast<std::uint16_t>(rest / 2);
  } else {
    const std::uint32_t by_pct = std::uint32_t{rest} * clamp_pct(layout.matches_pct) / 100;
    matches_height = static_cast<std::uint16_t>(std::clamp<std::uint32_t>(
        by_pct, MIN_LIST_ROWS, static_cast<std::uint32_t>(rest - MIN_LIST_ROWS)));
  }
  panes.matches.height = matches_height;
  panes.inflections = Rect{.x = left.x,
                           .y = add16(lists_y, matches_height),
                           .width = left.width,
                           .height = static_cast<std::uint16_t>(rest - matches_height)};
  return panes;
}

std::optional<Separator> separator_at(const LayoutConfig& layout, Rect area, bool with_inflections,
                                      std::uint16_t column, std::uint16_t row) {
  if (!area.contains(column, row)) {
    return std::nullopt;
  }
  const Rect left = split_columns(layout, area).left;
  // The vertical test comes first and spans the whole height, so it wins where both apply.
  const std::uint16_t b = add16(left.x, left.width);
  if (b != 0 && (column == b || column == b - 1)) {
    return Separator::Vertical;
  }
  if (!with_inflections || column >= b) {
    return std::nullopt;
  }
  const LeftPanes panes = split_left_column(layout, left, true);
  if (!panes.inflections) {
    return std::nullopt;
  }
  const std::uint16_t t = add16(panes.matches.y, panes.matches.height);
  if (t != 0 && (row == t || row == t - 1)) {
    return Separator::Horizontal;
  }
  return std::nullopt;
}

void apply_drag(LayoutConfig& layout, Rect area, bool with_inflections, Separator separator,
                std::uint16_t column, std::uint16_t row) {
  // Percentages are computed and clamped in 32 bits, so a pointer reported beyond the area
  // saturates at the bound instead of wrapping around in 16 bits.
  std::uint32_t left_pct = layout.left_pct;
  std::uint32_t matches_pct = layout.matches_pct;
  switch (separator) {
    case Separator::Vertical: {
      if (area.width == 0) {
        return;
      }
      const std::uint32_t offset = column < area.x ? 0U : std::uint32_t{column} - area.x;
      const std::uint32_t d = std::min<std::uint32_t>(offset + 1, 0xFFFF);
      left_pct = d * 100 / area.width;
      break;
    }
    case Separator::Horizontal: {
      if (!with_inflections) {
        return;
      }
      const Rect left = split_columns(layout, area).left;
      const std::uint16_t h = left.height;
      if (h < QUERY_ROWS + 1) {
        return;
      }
      const std::uint16_t top = add16(left.y, QUERY_ROWS);
      if (row < top) {
        return;
      }
      const std::uint32_t d = std::min<std::uint32_t>(std::uint32_t{row} - top + 1, 0xFFFF);
      matches_pct = d * 100 / (h - QUERY_ROWS);
      break;
    }
  }
  layout.left_pct = clamp_pct32(left_pct);
  layout.matches_pct = clamp_pct32(matches_pct);
}

}  // namespace pnt
