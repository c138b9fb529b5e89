#include "app/decode_mouse.h"

#include <algorithm>
#include <array>

namespace pnt::detail {
namespace {

// The button code of a report, shared by both formats.
MouseEvent classify(std::uint32_t b, bool released) {
  static constexpr std::array<MouseButton, 4> BUTTONS{MouseButton::Left, MouseButton::Middle,
                                                      MouseButton::Right, MouseButton::None};
  MouseEvent event;
  event.modifiers = static_cast<std::uint8_t>(b & 28);
  const bool motion = (b & 32) != 0;
  if (b >= 128) {
    // Buttons 8 to 11 are 128 to 131; 8 and 9 are the side buttons browsers take for back and
    // forward. Codes with 64 set as well would be buttons 12 and up.
    const bool side = (b & 64) == 0 && (b & 3) < 2;
    event.button = !side          ? MouseButton::Other
                   : (b & 1) == 0 ? MouseButton::Back
                                  : MouseButton::Forward;
    event.kind = motion ? MouseKind::Drag : released ? MouseKind::Release : MouseKind::Press;
    return event;
  }
  event.button = BUTTONS[b & 3];
  if ((b & 64) != 0) {
    static constexpr std::array<MouseKind, 4> WHEELS{MouseKind::WheelUp, MouseKind::WheelDown,
                                                     MouseKind::WheelLeft, MouseKind::WheelRight};
    event.kind = WHEELS[b & 3];
    event.button = MouseButton::None;
  } else if (motion) {
    event.kind = event.button == MouseButton::None ? MouseKind::Move : MouseKind::Drag;
  } else if (released) {
    event.kind = MouseKind::Release;
  } else {
    event.kind = event.button == MouseButton::None ? MouseKind::Release : MouseKind::Press;
  }
  return event;
}

}  // namespace

// The body "b;x;y" of an SGR report and its final 'M' (press, motion) or 'm' (release);
// coordinates in the report are 1-based. Nothing when malformed.
std::optional<Event> sgr_mouse(std::span<const std::uint8_t> body, std::uint8_t final_byte) {
  std::array<std::uint32_t, 3> values{};
  std::size_t field = 0;
  bool has_digit = false;
  for (const std::uint8_t c : body) {
    if (c == ';') {
      if (!has_digit || ++field >= values.size()) {
        return std::nullopt;
      }
      has_digit = false;
      continue;
    }
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    has_digit = true;
    values[field] = std::min<std::uint32_t>(values[field] * 10 + (c - '0'), 1'000'000);
  }
  if (field != 2 || !has_digit) {
    return std::nullopt;
  }
  const auto cell = [](std::uint32_t value) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(value, 65536) - (value > 0 ? 1 : 0));
  };
  MouseEvent event = classify(values[0], final_byte == 'm');
  event.column = cell(values[1]);
  event.row = cell(values[2]);
  return event;
}

// The three bytes after "ESC [ M": each value plus 32, coordinates 1-based; a release names
// no button.
std::optional<Event> legacy_mouse(std::uint8_t b, std::uint8_t x, std::uint8_t y) {
  if (b < 32 || x < 33 || y < 33) {
    return std::nullopt;
  }
  MouseEvent event = classify(b - 32U, false);
  event.column = static_cast<std::uint16_t>(x - 33);
  event.row = static_cast<std::uint16_t>(y - 33);
  return event;
}

}  // namespace pnt::detail
