// Turning what the terminal library reads (characters and named keys) into events, apart from
// the library itself so that it can be tested with scripted input.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "app/events.h"

namespace pnt {

/// One unit of input as the terminal library delivers it: a character, or a key it decoded.
struct InputUnit {
  enum class Kind : std::uint8_t {
    Char,  ///< `ch` holds the character (control characters included)
    Up,
    Down,
    CtrlUp,
    CtrlDown,
    Backspace,
    Enter,
    Resize,
    MousePrefix,        ///< "ESC [ <": an SGR mouse report follows
    LegacyMousePrefix,  ///< "ESC [ M": three bytes of an X10-style mouse report follow
    OtherKey,
  };
  Kind kind = Kind::Char;
  char32_t ch = 0;
  friend bool operator==(const InputUnit&, const InputUnit&) = default;
};

/// Reads the next unit, waiting at most `timeout_ms` milliseconds; nothing when none came.
using NextUnit = std::function<std::optional<InputUnit>(int timeout_ms)>;

/// How long the rest of a mouse report may take to arrive.
inline constexpr int REPORT_TIMEOUT_MS = 50;

/// Decodes the event that starts with `first`, reading further units through `next` when the
/// event spans several (Esc followed by a character is Alt+character, a lone Esc is Esc,
/// unknown escape sequences are swallowed as Key::Other); nothing for a malformed report.
/// Two Escs in a row are two Esc presses: the second is handed back through `unread`, to be
/// decoded as the next event.
[[nodiscard]] std::optional<Event> decode_input(InputUnit first, const NextUnit& next,
                                                std::optional<InputUnit>* unread = nullptr);

/// Parses the body "b;x;y" and the final 'M' (press or motion) or 'm' (release) of an SGR
/// mouse report; coordinates in the report are 1-based. Nothing when malformed.
[[nodiscard]] std::optional<MouseEvent> parse_sgr_mouse(std::string_view body, char final_char);

/// Decodes the three bytes after "ESC [ M" of a legacy mouse report (each value plus 32;
/// coordinates 1-based); a release there names no button. Nothing when malformed.
[[nodiscard]] std::optional<MouseEvent> parse_legacy_mouse(char32_t b, char32_t x, char32_t y);

}  // namespace pnt
