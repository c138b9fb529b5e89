#include "app/decode.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/decode_mouse.h"
#include "base/utf8.h"

namespace pnt {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t ESC = 0x1B;
constexpr char32_t REPLACEMENT = U'\uFFFD';

// What the held bytes start with: more bytes are needed, or a unit of `consumed` bytes that
// gives `event` (if any).
struct Step {
  bool complete = false;
  std::size_t consumed = 0;
  std::optional<Event> event;
  bool report = false;  // a mouse report, to which a preceding Esc does not belong
};

const Step MORE{};  // not constexpr: under libc++ an optional Event is no literal type

Step done(std::size_t consumed, std::optional<Event> event, bool report = false) {
  return {true, consumed, std::move(event), report};
}

Event key(Key k) { return KeyEvent{.key = k}; }

KeyEvent key_for_char(char32_t c) {
  switch (c) {
    case 13:
    case 10:  // Ctrl+J; in raw mode no terminal sends it for Enter, so it is taken as one
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

// One character: an ASCII byte or a UTF-8 sequence. An invalid sequence is one U+FFFD that
// ends before the first byte that cannot continue it.
Step parse_char(Bytes b, bool final) {
  const std::size_t length = utf8_sequence_length(b[0]);
  if (length == 1) {
    return done(1, Event{key_for_char(b[0])});
  }
  const Event replacement = KeyEvent{.key = Key::Char, .ch = REPLACEMENT};
  if (length == 0) {
    return done(1, replacement);
  }
  char32_t value = b[0] & (0x7FU >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (i == b.size()) {
      return final ? done(i, replacement) : MORE;
    }
    const Utf8ByteRange range = i == 1 ? utf8_second_byte_range(b[0]) : Utf8ByteRange{0x80, 0xBF};
    if (b[i] < range.lo || b[i] > range.hi) {
      return done(i, replacement);
    }
    value = (value << 6) | (b[i] & 0x3FU);
  }
  return done(length, Event{key_for_char(value)});
}

// A decimal number of one to two digits, as the parameters of a key sequence hold them.
std::optional<unsigned> small_number(Bytes digits) {
  if (digits.empty() || digits.size() > 2) {
    return std::nullopt;
  }
  unsigned n = 0;
  for (const std::uint8_t c : digits) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    n = n * 10 + (c - '0');
  }
  return n;
}

// Sets the modifiers of a key from the parameter n of "1;n" or "5;n~": the modifiers are
// n - 1, with Shift 1, Alt 2, Ctrl 4 and Meta 8. False for a value outside 2..16.
bool set_modifiers(KeyEvent& event, Bytes digits) {
  const std::optional<unsigned> n = small_number(digits);
  if (!n || *n < 2 || *n > 16) {
    return false;
  }
  const unsigned modifiers = *n - 1;
  event.shift = (modifiers & 1U) != 0;
  event.alt = (modifiers & 10U) != 0;
  event.ctrl = (modifiers & 4U) != 0;
  return true;
}

// The keys of "ESC [n~": Home (1, 7), End (4, 8), Page Up (5) and Page Down (6). rxvt ends the
// same numbers with '^' for Ctrl and '@' for Ctrl+Shift (its '$' for Shift is no final byte,
// and rxvt keeps Shift with these keys for its own scrolling).
Event tilde_key(Bytes params, std::uint8_t final_byte) {
  const auto split = std::find(params.begin(), params.end(), ';');
  const auto number = small_number(params.first(static_cast<std::size_t>(split - params.begin())));
  KeyEvent event;
  switch (number.value_or(0)) {
    case 1:
    case 7:
      event.key = Key::Home;
      break;
    case 4:
    case 8:
      event.key = Key::End;
      break;
    case 5:
      event.key = Key::PageUp;
      break;
    case 6:
      event.key = Key::PageDown;
      break;
    default:
      return key(Key::Other);
  }
  if (split != params.end()) {
    const Bytes modifiers = params.subspan(static_cast<std::size_t>(split - params.begin()) + 1);
    if (final_byte != '~' || !set_modifiers(event, modifiers)) {
      return key(Key::Other);
    }
    return event;
  }
  event.shift = final_byte == '@';
  event.ctrl = final_byte == '^' || final_byte == '@';
  return event;
}

// A key named by the final byte of a CSI or SS3 sequence: the arrows, Home and End.
std::optional<Key> letter_key(std::uint8_t final_byte) {
  switch (final_byte) {
    case 'A':
    case 'a':
      return Key::Up;
    case 'B':
    case 'b':
      return Key::Down;
    case 'C':
    case 'c':
      return Key::Right;
    case 'D':
    case 'd':
      return Key::Left;
    case 'H':
      return Key::Home;
    case 'F':
      return Key::End;
    default:
      return std::nullopt;
  }
}

// A key in one of the forms terminals send; Key::Other for any other sequence.
Event key_sequence(bool csi, Bytes params, std::uint8_t final_byte) {
  if (!csi && final_byte == 'M' && params.empty()) {
    return key(Key::Enter);  // the keypad's Enter in application keypad mode
  }
  if (csi && (final_byte == '~' || final_byte == '^' || final_byte == '@')) {
    return tilde_key(params, final_byte);
  }
  const std::optional<Key> named = letter_key(final_byte);
  if (!named) {
    return key(Key::Other);
  }
  KeyEvent event{.key = *named};
  if (final_byte >= 'a') {
    // rxvt: Shift in CSI form, Ctrl in SS3 form, never with parameters.
    if (!params.empty()) {
      return key(Key::Other);
    }
    (csi ? event.shift : event.ctrl) = true;
    return event;
  }
  if (params.empty()) {
    return event;
  }
  if (params.size() < 3 || params[0] != '1' || params[1] != ';' ||
      !set_modifiers(event, params.subspan(2))) {
    return key(Key::Other);
  }
  return event;
}

// "ESC [" or "ESC O" and what follows: a key sequence up to its final byte, an SGR report up
// to its 'M' or 'm', or a legacy report. A byte that belongs to no sequence ends it early and
// is left for the next unit.
Step parse_sequence(Bytes b, bool final) {
  const bool csi = b[1] == '[';
  if (csi && b.size() > 2 && b[2] == 'M') {
    if (b.size() < 6) {
      return final ? done(b.size(), std::nullopt, true) : MORE;
    }
    return done(6, detail::legacy_mouse(b[3], b[4], b[5]), true);
  }
  const bool sgr = csi && b.size() > 2 && b[2] == '<';
  // A sequence cut short: an unknown key, or nothing for a report. Made only when needed (an
  // Event held across the loop trips g++ 12's -Wmaybe-uninitialized at -O3).
  const auto cut = [sgr]() -> std::optional<Event> {
    if (sgr) {
      return std::nullopt;
    }
    return key(Key::Other);
  };
  for (std::size_t i = 2; i < b.size(); ++i) {
    const std::uint8_t c = b[i];
    if (c < 0x20 || c > 0x7E) {
      return done(i, cut(), sgr);
    }
    if (sgr && (c == 'M' || c == 'm')) {
      return done(i + 1, detail::sgr_mouse(b.subspan(3, i - 3), c), true);
    }
    if (!sgr && c >= 0x40) {
      return done(i + 1, key_sequence(csi, b.subspan(2, i - 2), c));
    }
  }
  return final ? done(b.size(), cut(), sgr) : MORE;
}

Step with_alt(Step step) {
  if (step.event) {
    if (auto* pressed = std::get_if<KeyEvent>(&*step.event)) {
      pressed->alt = true;
    }
  }
  ++step.consumed;
  return step;
}

// Left and Right mean back and forward only bare or with Alt/Meta; with Ctrl or Shift alone
// they are keys the program has no use for. Applied before a leading Esc adds Alt.
Step without_bare_modified_arrow(Step step) {
  if (!step.event) {
    return step;
  }
  const auto* pressed = std::get_if<KeyEvent>(&*step.event);
  const bool arrow =
      pressed != nullptr && (pressed->key == Key::Left || pressed->key == Key::Right);
  if (arrow && !pressed->alt && (pressed->ctrl || pressed->shift)) {
    step.event = key(Key::Other);
  }
  return step;
}

// Esc and what it starts: Esc alone (after the time-out), a sequence, Alt+key, or one more Esc
// before a sequence (Alt+sequence; a report after it is an Esc press and then the report).
Step parse_escape(Bytes b, bool final) {
  if (b.size() == 1) {
    return final ? done(1, key(Key::Esc)) : MORE;
  }
  if (b[1] == '[' || b[1] == 'O') {
    return without_bare_modified_arrow(parse_sequence(b, final));
  }
  if (b[1] != ESC) {
    const Step step = parse_char(b.subspan(1), final);
    return step.complete ? with_alt(step) : MORE;
  }
  if (b.size() == 2) {
    return final ? done(1, key(Key::Esc)) : MORE;
  }
  if (b[2] != '[' && b[2] != 'O') {
    return done(1, key(Key::Esc));
  }
  const Step step = parse_sequence(b.subspan(1), final);
  if (!step.complete) {
    return MORE;
  }
  return step.report ? done(1, key(Key::Esc)) : with_alt(step);
}

Step parse(Bytes b, bool final) {
  return b[0] == ESC ? parse_escape(b, final) : parse_char(b, final);
}

}  // namespace

void InputDecoder::feed(std::span<const std::uint8_t> bytes, std::vector<Event>& out) {
  for (const std::uint8_t byte : bytes) {
    take(byte, out);
  }
}

void InputDecoder::time_out(std::vector<Event>& out) {
  drain(true, out);
  skipping_ = false;
}

int InputDecoder::timeout_ms() const {
  const bool only_escs =
      std::all_of(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(size_),
                  [](std::uint8_t b) { return b == ESC; });
  return size_ != 0 && only_escs ? ESC_TIMEOUT_MS : SEQUENCE_TIMEOUT_MS;
}

void InputDecoder::take(std::uint8_t byte, std::vector<Event>& out) {
  if (skipping_) {
    if (byte >= 0x20 && byte <= 0x3F) {
      return;  // parameter and intermediate bytes
    }
    skipping_ = false;
    if (byte >= 0x40 && byte <= 0x7E) {
      return;  // the final byte
    }
  }
  pending_[size_++] = byte;
  drain(false, out);
  if (size_ == MAX_PENDING) {
    // Only an unfinished escape sequence grows this long: give it up and drop the rest of it.
    drain(true, out);
    skipping_ = true;
  }
}

void InputDecoder::drain(bool final, std::vector<Event>& out) {
  std::size_t start = 0;
  while (start < size_) {
    Step step = parse(Bytes(pending_.data() + start, size_ - start), final);
    if (!step.complete) {
      break;
    }
    if (step.event) {
      out.push_back(std::move(*step.event));
    }
    start += step.consumed;
  }
  std::copy(pending_.begin() + static_cast<std::ptrdiff_t>(start),
            pending_.begin() + static_cast<std::ptrdiff_t>(size_), pending_.begin());
  size_ -= start;
}

}  // namespace pnt
