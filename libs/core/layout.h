// Pane geometry and separator dragging, from the two pane proportions.
#pragma once

#include <cstdint>
#include <optional>

#include "core/rect.h"

namespace pnt {

/// The two pane proportions, in percent.
struct LayoutConfig {
  std::uint16_t left_pct = 40;
  std::uint16_t matches_pct = 60;
  friend bool operator==(const LayoutConfig&, const LayoutConfig&) = default;
};

inline constexpr std::uint16_t DEFAULT_LEFT_PCT = 40;
inline constexpr std::uint16_t DEFAULT_MATCHES_PCT = 60;

struct LeftPanes {
  Rect query;
  Rect matches;
  std::optional<Rect> inflections;
};

enum class Separator : std::uint8_t { Vertical = 0, Horizontal = 1 };

struct Columns {
  Rect left;
  Rect right;
};

[[nodiscard]] std::uint16_t clamp_pct(std::uint16_t pct);

[[nodiscard]] Columns split_columns(const LayoutConfig& layout, Rect area);
[[nodiscard]] LeftPanes split_left_column(const LayoutConfig& layout, Rect left,
                                          bool with_inflections);
[[nodiscard]] std::optional<Separator> separator_at(const LayoutConfig& layout, Rect area,
                                                    bool with_inflections, std::uint16_t column,
                                                    std::uint16_t row);
void apply_drag(LayoutConfig& layout, Rect area, bool with_inflections, Separator separator,
                std::uint16_t column, std::uint16_t row);

}  // namespace pnt
