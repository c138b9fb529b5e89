#include "app/cell_buffer.h"

#include <algorithm>

#include "base/utf8.h"

namespace pnt {

std::string Line::text() const {
  std::string out;
  for (const Span& span : spans) {
    out += span.text;
  }
  return out;
}

char32_t printable(char32_t ch) {
  if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F)) {
    return U'\uFFFD';
  }
  return ch;
}

void CellBuffer::resize(std::uint16_t width, std::uint16_t height) {
  width_ = width;
  height_ = height;
  cells_.assign(static_cast<std::size_t>(width) * height, Cell{});
}

void CellBuffer::clear() { std::fill(cells_.begin(), cells_.end(), Cell{}); }

void CellBuffer::put(std::uint16_t x, std::uint16_t y, char32_t ch, Style style) {
  if (x >= width_ || y >= height_) {
    return;
  }
  cells_[index(x, y)] = Cell{printable(ch), style};
}

std::size_t CellBuffer::put_text(std::uint16_t x, std::uint16_t y, std::string_view text,
                                 Style style, std::size_t max_width) {
  std::size_t col = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t ch = decode_utf8(text, pos);
    if (col < max_width && static_cast<std::size_t>(x) + col < width_ && y < height_) {
      cells_[index(static_cast<std::uint16_t>(x + col), y)] = Cell{printable(ch), style};
    }
    ++col;
  }
  return col;
}

void CellBuffer::add_attrs(std::uint16_t x, std::uint16_t y, std::uint16_t width,
                           std::uint8_t attrs) {
  if (y >= height_) {
    return;
  }
  const std::size_t end = std::min<std::size_t>(static_cast<std::size_t>(x) + width, width_);
  for (std::size_t col = x; col < end; ++col) {
    cells_[index(static_cast<std::uint16_t>(col), y)].style.attrs |= attrs;
  }
}

std::string CellBuffer::row_text(std::uint16_t y) const {
  std::string out;
  if (y >= height_) {
    return out;
  }
  for (std::uint16_t x = 0; x < width_; ++x) {
    append_utf8(out, cells_[index(x, y)].ch);
  }
  return out;
}

}  // namespace pnt
