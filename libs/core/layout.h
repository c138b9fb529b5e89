// Pane geometry, separator dragging and the layout file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pnt {

/// A screen area in terminal cells; a point (column, row) lies in it when
/// x <= column < x + width and y <= row < y + height.
struct Rect {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  [[nodiscard]] bool contains(std::uint16_t column, std::uint16_t row) const {
    return column >= x && column - x < width && row >= y && row - y < height;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

/// The two pane proportions, in percent.
struct LayoutConfig {
  std::uint16_t left_pct = 40;
  std::uint16_t matches_pct = 60;
  friend bool operator==(const LayoutConfig&, const LayoutConfig&) = default;
};

inline constexpr std::uint16_t DEFAULT_LEFT_PCT = 40;
inline constexpr std::uint16_t DEFAULT_MATCHES_PCT = 60;
inline constexpr std::string_view LAYOUT_FILE_NAME = "pohjantuulikko.toml";

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

/// Reads the TOML text; never fails: invalid text gives the defaults, values are clamped.
[[nodiscard]] LayoutConfig parse_layout(std::string_view text);
[[nodiscard]] std::string format_layout(const LayoutConfig& layout);

[[nodiscard]] std::optional<std::filesystem::path> layout_path_beside_executable();
[[nodiscard]] std::filesystem::path layout_path_in_home();

/// The layout beside the executable, else the one under the home directory, else defaults.
[[nodiscard]] LayoutConfig load_layout();
/// Writes the layout file (beside the executable, else under the home directory) atomically;
/// failures are silent.
void save_layout(const LayoutConfig& layout);

}  // namespace pnt
