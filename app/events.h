// Terminal events as the input mapping sees them.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace pnt {

enum class Key : std::uint8_t {
  Char,
  Esc,
  Backspace,
  Enter,
  Tab,
  Up,
  Down,
  Left,
  Right,
  Home,
  End,
  PageUp,
  PageDown,
  Other
};
enum class KeyKind : std::uint8_t { Press, Repeat, Release };

struct KeyEvent {
  Key key = Key::Other;
  char32_t ch = 0;  ///< the character for Key::Char, lower-case letter when Ctrl is set
  bool ctrl = false;
  bool alt = false;  ///< Alt or Meta
  bool shift = false;
  KeyKind kind = KeyKind::Press;
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

enum class MouseKind : std::uint8_t {
  Press,
  Release,
  Drag,
  Move,
  WheelUp,
  WheelDown,
  WheelLeft,
  WheelRight
};
/// Back and Forward: the side buttons 8 and 9 (report codes 128 and 129); Other: buttons 10
/// and up.
enum class MouseButton : std::uint8_t { Left, Middle, Right, None, Other, Back, Forward };

/// A mouse report; column and row are 0-based terminal cells.
struct MouseEvent {
  MouseKind kind = MouseKind::Move;
  MouseButton button = MouseButton::None;
  std::uint16_t column = 0;
  std::uint16_t row = 0;
  std::uint8_t modifiers = 0;  ///< shift 4, alt 8, ctrl 16, as reported
  friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};

struct ResizeEvent {
  friend bool operator==(const ResizeEvent&, const ResizeEvent&) = default;
};
struct FocusEvent {
  bool gained = false;
  friend bool operator==(const FocusEvent&, const FocusEvent&) = default;
};
struct PasteEvent {
  std::string text;
  friend bool operator==(const PasteEvent&, const PasteEvent&) = default;
};

using Event = std::variant<KeyEvent, MouseEvent, ResizeEvent, FocusEvent, PasteEvent>;

}  // namespace pnt
