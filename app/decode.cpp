#include "app/decode.h"

#include <array>
#include <string>

namespace pnt {
namespace {

constexpr char32_t ESC = 0x1B;
constexpr std::size_t MAX_REPORT_LENGTH = 32;

KeyEvent key_for_char(char32_t c) {
  switch (c) {
    case 13:
    case 10:
      return {.key = Key::Enter};
    case 9:
      return {.key = Key::Tab};
    case 127:
    case 8:
      return {.key = Key::Backspace};
    case ESC:
      return {.key = Key::Esc};
    default:
      break;
  }
  if (c < 0x20) {
    // Control characters are Ctrl+letter: 6 is Ctrl+F, 12 Ctrl+L, 3 Ctrl+C.
    return {.key = Key::Char, .ch = c + 0x60, .ctrl = true};
  }
  if (c >= 0x80 && c <= 0x9F) {
    return {.key = Key::Other};
  }
  return {.key = Key::Char, .ch = c};
}

std::optional<Event> read_mouse_report(const NextUnit& next) {
  std::string body;
  while (body.size() < MAX_REPORT_LENGTH) {
    const std::optional<InputUnit> unit = next(REPORT_TIMEOUT_MS);
    if (!unit || unit->kind != InputUnit::Kind::Char || unit->ch > 0x7F) {
      return std::nullopt;
    }
    const char c = static_cast<char>(unit->ch);
    if (c == 'M' || c == 'm') {
      std::optional<MouseEvent> mouse = parse_sgr_mouse(body, c);
      if (!mouse) {
        return std::nullopt;
      }
      return Event{*mouse};
    }
    body.push_back(c);
  }
  return std::nullopt;
}

std::optional<Event> read_legacy_mouse_report(const NextUnit& next) {
  std::array<char32_t, 3> bytes{};
  for (char32_t& byte : bytes) {
    const std::optional<InputUnit> unit = next(REPORT_TIMEOUT_MS);
    if (!unit || unit->kind != InputUnit::Kind::Char) {
      return std::nullopt;
    }
    byte = unit->ch;
  }
  std::optional<MouseEvent> mouse = parse_legacy_mouse(bytes[0], bytes[1], bytes[2]);
  if (!mouse) {
    return std::nullopt;
  }
  return Event{*mouse};
}

// Classifies button bits shared by both report formats.
MouseEvent classify(std::uint32_t b, bool released) {
  static constexpr std::array<MouseButton, 4> BUTTONS{MouseButton::Left, MouseButton::Middle,
                                                      MouseButton::Right, MouseButton::None};
  MouseEvent event;
  event.modifiers = static_cast<std::uint8_t>(b & 28);
  event.button = BUTTONS[b & 3];
  if ((b & 64) != 0) {
    static constexpr std::array<MouseKind, 4> WHEELS{MouseKind::WheelUp, MouseKind::WheelDown,
                                                     MouseKind::WheelLeft, MouseKind::WheelRight};
    event.kind = WHEELS[b & 3];
    event.button = MouseButton::None;
  } else if ((b & 32) != 0) {
    event.kind = event.button == MouseButton::None ? MouseKind::Move : MouseKind::Drag;
  } else if (released) {
    event.kind = MouseKind::Release;
  } else {
    event.kind = event.button == MouseButton::None ? MouseKind::Release : MouseKind::Press;
  }
  return event;
}

// Consumes the rest of an escape sequence the library did not know, so that its bytes are not
// taken for typed characters.
void skip_sequence(char32_t introducer, const NextUnit& next) {
  if (introducer == U'O') {
    (void)next(0);
    return;
  }
  for (std::size_t i = 0; i < MAX_REPORT_LENGTH; ++i) {
    const std::optional<InputUnit> unit = next(0);
    if (!unit || unit->kind != InputUnit::Kind::Char) {
      return;
    }
    if (unit->ch >= 0x40 && unit->ch <= 0x7E) {
      return;  // final byte
    }
  }
}

std::optional<Event> decode_named(InputUnit unit, const NextUnit& next) {
  switch (unit.kind) {
    case InputUnit::Kind::Char:
      return Event{key_for_char(unit.ch)};
    case InputUnit::Kind::Up:
      return Event{KeyEvent{.key = Key::Up}};
    case InputUnit::Kind::Down:
      return Event{KeyEvent{.key = Key::Down}};
    case InputUnit::Kind::CtrlUp:
      return Event{KeyEvent{.key = Key::Up, .ctrl = true}};
    case InputUnit::Kind::CtrlDown:
      return Event{KeyEvent{.key = Key::Down, .ctrl = true}};
    case InputUnit::Kind::Backspace:
      return Event{KeyEvent{.key = Key::Backspace}};
    case InputUnit::Kind::Enter:
      return Event{KeyEvent{.key = Key::Enter}};
    case InputUnit::Kind::Resize:
      return Event{ResizeEvent{}};
    case InputUnit::Kind::MousePrefix:
      return read_mouse_report(next);
    case InputUnit::Kind::LegacyMousePrefix:
      return read_legacy_mouse_report(next);
    case InputUnit::Kind::OtherKey:
      return Event{KeyEvent{.key = Key::Other}};
  }
  return std::nullopt;
}

}  // namespace

std::optional<Event> decode_input(InputUnit first, const NextUnit& next,
                                  std::optional<InputUnit>* unread) {
  if (first.kind != InputUnit::Kind::Char || first.ch != ESC) {
    return decode_named(first, next);
  }
  // A lone Esc has nothing right behind it; Alt+key arrives as Esc and the key at once.
  const std::optional<InputUnit> following = next(0);
  if (!following) {
    return Event{KeyEvent{.key = Key::Esc}};
  }
  if (unread != nullptr && *following == InputUnit{InputUnit::Kind::Char, ESC}) {
    *unread = following;
    return Event{KeyEvent{.key = Key::Esc}};
  }
  if (following->kind == InputUnit::Kind::Char &&
      (following->ch == U'[' || following->ch == U'O')) {
    skip_sequence(following->ch, next);
    return Event{KeyEvent{.key = Key::Other}};
  }
  std::optional<Event> event = decode_named(*following, next);
  if (event) {
    if (auto* key = std::get_if<KeyEvent>(&*event)) {
      key->alt = true;
    }
  }
  return event;
}

std::optional<MouseEvent> parse_sgr_mouse(std::string_view body, char final_char) {
  if (final_char != 'M' && final_char != 'm') {
    return std::nullopt;
  }
  std::array<std::uint32_t, 3> values{};
  std::size_t field = 0;
  bool has_digit = false;
  for (const char c : body) {
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
    values[field] = std::min<std::uint32_t>(
        values[field] * 10 + static_cast<std::uint32_t>(c - '0'), 1'000'000);
  }
  if (field != 2 || !has_digit) {
    return std::nullopt;
  }
  MouseEvent event = classify(values[0], final_char == 'm');
  event.column = static_cast<std::uint16_t>(std::min<std::uint32_t>(values[1], 65536) -
                                            (values[1] > 0 ? 1 : 0));
  event.row = static_cast<std::uint16_t>(std::min<std::uint32_t>(values[2], 65536) -
                                         (values[2] > 0 ? 1 : 0));
  return event;
}

std::optional<MouseEvent> parse_legacy_mouse(char32_t b, char32_t x, char32_t y) {
  if (b < 32 || x < 33 || y < 33 || b > 0xFFFF || x > 0xFFFF || y > 0xFFFF) {
    return std::nullopt;
  }
  MouseEvent event = classify(b - 32, false);
  event.column = static_cast<std::uint16_t>(x - 33);
  event.row = static_cast<std::uint16_t>(y - 33);
  return event;
}

}  // namespace pnt
