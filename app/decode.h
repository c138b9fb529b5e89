// The terminal's raw input bytes as events: UTF-8 characters, control keys, Esc against Alt, the
// sequences of the arrow, Home, End and page keys, and both mouse report formats. A pure state
// machine, apart from the terminal so that it can be tested and fuzzed with scripted bytes and
// time-outs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "app/events.h"

namespace pnt {

/// Decodes a byte stream into events. Bytes that may begin a longer unit (Esc, the start of an
/// escape sequence, part of a UTF-8 character) are held until the unit is complete or the
/// caller reports a time-out: Esc followed at once by a key is Alt+key, a lone Esc is Esc.
///
/// Keys: Enter (CR, LF, keypad Enter), Tab, Backspace (DEL, BS), Ctrl+letter (the other control
/// bytes); the arrows as `ESC [A`..`ESC [D`, `ESC OA`..`ESC OD` and `ESC [1;nA` (n = 2..16,
/// modifiers n - 1: Shift 1, Alt 2, Ctrl 4, Meta 8), rxvt's `ESC [a`..`ESC [d` (Shift) and
/// `ESC Oa`..`ESC Od` (Ctrl); Home and End as `ESC [H`/`ESC [F`, `ESC OH`/`ESC OF`, `ESC [1~`/
/// `ESC [4~` and `ESC [7~`/`ESC [8~`; Page Up and Down as `ESC [5~`/`ESC [6~`; the `~` keys
/// with `;n` modifiers or rxvt's `^` and `@` finals; each of those after one more Esc
/// (Alt). Other CSI and SS3 sequences are swallowed whole as Key::Other.
/// Mouse: SGR reports `ESC [<b;x;yM` (or `m`, release) and legacy `ESC [M` with three bytes,
/// codes 128 and 129 (buttons 8 and 9) as MouseButton::Back and Forward; a malformed or unfinished
/// report gives no event. An invalid UTF-8 sequence gives one U+FFFD and never takes the byte after
/// it.
class InputDecoder {
 public:
  /// The most bytes held at a time; a longer escape sequence is dropped to its final byte.
  static constexpr std::size_t MAX_PENDING = 32;
  /// How long a lone Esc (or two) waits for a key that would make it Alt+key.
  static constexpr int ESC_TIMEOUT_MS = 25;
  /// How long the rest of a started sequence, report or character may take to arrive.
  static constexpr int SEQUENCE_TIMEOUT_MS = 50;

  /// Takes the next bytes and appends the events they complete to `out`.
  void feed(std::span<const std::uint8_t> bytes, std::vector<Event>& out);
  /// No byte came within timeout_ms() of the last one: finishes what is held (Esc, two Escs,
  /// U+FFFD for a cut character, Key::Other for a cut key sequence, nothing for a cut report).
  void time_out(std::vector<Event>& out);

  /// Whether bytes are held (or a sequence is being dropped) until more come or a time-out.
  [[nodiscard]] bool pending() const { return size_ != 0 || skipping_; }
  /// The time-out that applies to what is held, in milliseconds.
  [[nodiscard]] int timeout_ms() const;
  /// The number of bytes held, never more than MAX_PENDING.
  [[nodiscard]] std::size_t held() const { return size_; }

 private:
  void take(std::uint8_t byte, std::vector<Event>& out);
  // Decodes the held bytes as far as they go (all of them when `final`), keeping the rest.
  void drain(bool final, std::vector<Event>& out);

  std::array<std::uint8_t, MAX_PENDING> pending_{};
  std::size_t size_ = 0;
  bool skipping_ = false;  // dropping an over-long sequence up to its final byte
};

}  // namespace pnt
