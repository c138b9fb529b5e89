#include "app/widgets.h"

#include <algorithm>

#include "base/utf8.h"

namespace pnt {

Rect inner_area(Rect area) {
  if (area.width < 2 || area.height < 2) {
    return {static_cast<std::uint16_t>(area.x + std::min<std::uint16_t>(area.width, 1)),
            static_cast<std::uint16_t>(area.y + std::min<std::uint16_t>(area.height, 1)), 0, 0};
  }
  return {static_cast<std::uint16_t>(area.x + 1), static_cast<std::uint16_t>(area.y + 1),
          static_cast<std::uint16_t>(area.width - 2), static_cast<std::uint16_t>(area.height - 2)};
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> inner_cell(Rect area, std::uint16_t column,
                                                                  std::uint16_t row) {
  const Rect inner = inner_area(area);
  if (!inner.contains(column, row)) {
    return std::nullopt;
  }
  return std::pair<std::uint16_t, std::uint16_t>(static_cast<std::uint16_t>(column - inner.x),
                                                 static_cast<std::uint16_t>(row - inner.y));
}

Rect draw_block(CellBuffer& buffer, Rect area, std::string_view title, Style style) {
  if (area.width == 0 || area.height == 0) {
    return inner_area(area);
  }
  const std::uint16_t right = area.x + area.width - 1;
  const std::uint16_t bottom = area.y + area.height - 1;
  for (std::uint16_t x = area.x; x <= right; ++x) {
    buffer.put(x, area.y, U'─', style);
    buffer.put(x, bottom, U'─', style);
  }
  for (std::uint16_t y = area.y; y <= bottom; ++y) {
    buffer.put(area.x, y, U'│', style);
    buffer.put(right, y, U'│', style);
  }
  buffer.put(area.x, area.y, U'┌', style);
  buffer.put(right, area.y, U'┐', style);
  buffer.put(area.x, bottom, U'└', style);
  buffer.put(right, bottom, U'┘', style);
  if (area.width > 2) {
    buffer.put_text(area.x + 1, area.y, title, style, area.width - 2u);
  }
  return inner_area(area);
}

void draw_paragraph(CellBuffer& buffer, Rect area, std::span<const Line> lines,
                    std::size_t offset) {
  for (std::uint16_t row = 0; row < area.height; ++row) {
    const std::size_t index = offset + row;
    if (index >= lines.size()) {
      break;
    }
    std::size_t col = 0;
    for (const Span& span : lines[index].spans) {
      if (col >= area.width) {
        break;
      }
      col += buffer.put_text(static_cast<std::uint16_t>(area.x + col),
                             static_cast<std::uint16_t>(area.y + row), span.text, span.style,
                             area.width - col);
    }
  }
}

std::size_t list_window_start(std::size_t selected, std::size_t height) {
  if (selected < height) {
    return 0;
  }
  return selected + 1 - height;
}

void draw_list(CellBuffer& buffer, Rect area, std::span<const Line> items, std::size_t selected,
               std::string_view symbol, std::optional<std::uint8_t> highlight) {
  if (items.empty() || area.width == 0 || area.height == 0) {
    return;
  }
  selected = std::min(selected, items.size() - 1);
  const std::size_t symbol_width = char_count(symbol);
  const std::string blanks(symbol_width, ' ');
  const std::size_t start = list_window_start(selected, area.height);
  for (std::uint16_t row = 0; row < area.height; ++row) {
    const std::size_t index = start + row;
    if (index >= items.size()) {
      break;
    }
    const auto y = static_cast<std::uint16_t>(area.y + row);
    const bool is_selected = index == selected;
    std::size_t col =
        buffer.put_text(area.x, y, is_selected ? symbol : blanks, Style{}, area.width);
    for (const Span& span : items[index].spans) {
      if (col >= area.width) {
        break;
      }
      col += buffer.put_text(static_cast<std::uint16_t>(area.x + col), y, span.text, span.style,
                             area.width - col);
    }
    if (is_selected && highlight) {
      buffer.add_attrs(area.x, y, area.width, *highlight);
    }
  }
}

std::pair<Rect, Rect> split_fullscreen(Rect area) {
  const std::uint16_t top = std::min<std::uint16_t>(area.height, 3);
  return {Rect{area.x, area.y, area.width, top},
          Rect{area.x, static_cast<std::uint16_t>(area.y + top), area.width,
               static_cast<std::uint16_t>(area.height - top)}};
}

}  // namespace pnt
