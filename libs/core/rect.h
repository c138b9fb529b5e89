// A screen area in terminal cells.
#pragma once

#include <cstdint>

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

}  // namespace pnt
