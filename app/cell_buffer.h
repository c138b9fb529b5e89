// A plain grid of character cells: what one frame puts on the screen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/style.h"
#include "core/rect.h"

namespace pnt {

struct Cell {
  char32_t ch = U' ';
  Style style;
  friend bool operator==(const Cell&, const Cell&) = default;
};

/// width x height cells, each one character with a colour and attributes.
class CellBuffer {
 public:
  CellBuffer() = default;
  CellBuffer(std::uint16_t width, std::uint16_t height) { resize(width, height); }

  /// Sets the size and blanks every cell; keeps the allocation when it is large enough.
  void resize(std::uint16_t width, std::uint16_t height);
  /// Blanks every cell.
  void clear();

  [[nodiscard]] std::uint16_t width() const { return width_; }
  [[nodiscard]] std::uint16_t height() const { return height_; }
  [[nodiscard]] Rect area() const { return {0, 0, width_, height_}; }

  /// The cell at (x, y); x and y must lie inside the buffer.
  [[nodiscard]] const Cell& at(std::uint16_t x, std::uint16_t y) const {
    return cells_[index(x, y)];
  }
  [[nodiscard]] Cell& at(std::uint16_t x, std::uint16_t y) { return cells_[index(x, y)]; }

  /// Writes one character at (x, y) when the point lies inside the buffer; control characters
  /// are replaced so that no control byte of the data reaches the terminal.
  void put(std::uint16_t x, std::uint16_t y, char32_t ch, Style style);

  /// Writes UTF-8 text from (x, y), one character per cell, cut after `max_width` cells and at
  /// the buffer's edge; returns the number of cells the whole text would take.
  std::size_t put_text(std::uint16_t x, std::uint16_t y, std::string_view text, Style style,
                       std::size_t max_width);

  /// Adds attribute bits to the cells of one row segment (clipped to the buffer).
  void add_attrs(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint8_t attrs);

  /// Row y as UTF-8 text, trailing blanks included.
  [[nodiscard]] std::string row_text(std::uint16_t y) const;

 private:
  [[nodiscard]] std::size_t index(std::uint16_t x, std::uint16_t y) const {
    return static_cast<std::size_t>(y) * width_ + x;
  }

  std::uint16_t width_ = 0;
  std::uint16_t height_ = 0;
  std::vector<Cell> cells_;
};

/// The character a cell shows for `ch`: C0 and C1 controls and DEL become U+FFFD.
[[nodiscard]] char32_t printable(char32_t ch);

}  // namespace pnt
