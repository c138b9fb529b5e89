// Styled text: the colours, attributes and spans that the renderer puts into cells.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pnt {

/// The only foreground colours the program uses, on the terminal's own background.
enum class Color : std::uint8_t { Default = 0, Cyan, DarkGray, Yellow, Red };

/// Attribute bits of a cell.
inline constexpr std::uint8_t ATTR_BOLD = 1;
inline constexpr std::uint8_t ATTR_DIM = 2;
inline constexpr std::uint8_t ATTR_UNDERLINED = 4;
inline constexpr std::uint8_t ATTR_REVERSED = 8;

struct Style {
  Color fg = Color::Default;
  std::uint8_t attrs = 0;

  [[nodiscard]] Style with(std::uint8_t more) const {
    return {fg, static_cast<std::uint8_t>(attrs | more)};
  }
  friend bool operator==(const Style&, const Style&) = default;
};

/// A run of text in one style.
struct Span {
  std::string text;
  Style style;
  friend bool operator==(const Span&, const Span&) = default;
};

/// One display line: spans drawn left to right, never wrapped by the drawing layer.
struct Line {
  std::vector<Span> spans;

  Line() = default;
  explicit Line(std::vector<Span> s) : spans(std::move(s)) {}
  Line(std::string text, Style style) { spans.push_back({std::move(text), style}); }

  /// The concatenated text of all spans.
  [[nodiscard]] std::string text() const;
  friend bool operator==(const Line&, const Line&) = default;
};

}  // namespace pnt
