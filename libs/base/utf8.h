// Strict UTF-8 validation and the small set of code-point helpers the program needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "base/error.h"

namespace pnt {

/// Where and how a byte string stops being UTF-8.
struct Utf8Fault {
  std::size_t valid_up_to = 0;  ///< number of valid bytes before the fault
  std::optional<std::size_t>
      error_len;  ///< 1 to 3: the invalid sequence; nothing: input ends inside one
};

/// True for the bytes 0x80 to 0xBF, which continue a UTF-8 sequence and never start one.
[[nodiscard]] constexpr bool is_utf8_continuation(std::uint8_t byte) {
  return (byte & 0xC0U) == 0x80U;
}
[[nodiscard]] constexpr bool is_utf8_continuation(char byte) {
  return is_utf8_continuation(static_cast<std::uint8_t>(byte));
}

/// Byte length (1 to 4) of the UTF-8 sequence that `lead` starts; 0 for a byte that never
/// starts one (a continuation byte, or the lead of an overlong form or a value past U+10FFFF).
[[nodiscard]] std::size_t utf8_sequence_length(std::uint8_t lead);

/// The values a sequence's second byte may take after `lead`: narrower than 0x80 to 0xBF
/// (which every later byte takes) where it rules out overlong forms, surrogates and values
/// past U+10FFFF.
struct Utf8ByteRange {
  std::uint8_t lo;
  std::uint8_t hi;
};
[[nodiscard]] Utf8ByteRange utf8_second_byte_range(std::uint8_t lead);

/// Finds the first fault of strict UTF-8 (overlong forms, surrogates and code points above
/// U+10FFFF are faults); returns nothing for valid text.
[[nodiscard]] std::optional<Utf8Fault> find_utf8_fault(Bytes bytes);

[[nodiscard]] inline bool is_utf8(Bytes bytes) { return !find_utf8_fault(bytes).has_value(); }
[[nodiscard]] inline bool is_utf8(std::string_view text) { return is_utf8(as_bytes(text)); }

/// The text of a fault: "invalid utf-8 sequence of {} bytes from index {}" or
/// "incomplete utf-8 byte sequence from index {}".
[[nodiscard]] Error utf8_error(const Utf8Fault& fault);

/// The bytes as text when they are valid UTF-8, else the validation error.
[[nodiscard]] Result<std::string_view> check_utf8(Bytes bytes);

/// Decodes the code point at `pos` of valid UTF-8 and advances `pos` past it.
/// Invalid input yields U+FFFD for one byte, so callers cannot loop forever.
[[nodiscard]] char32_t decode_utf8(std::string_view text, std::size_t& pos);

/// Appends the UTF-8 form of a Unicode scalar value (others are written as U+FFFD).
void append_utf8(std::string& out, char32_t c);

/// Number of Unicode scalar values in valid UTF-8 text (continuation bytes are not counted).
[[nodiscard]] std::size_t char_count(std::string_view text);

/// Byte length of the longest prefix of `text` holding at most `chars` characters.
[[nodiscard]] std::size_t prefix_bytes(std::string_view text, std::size_t chars);

/// Byte length (1 to 4) of the last character of non-empty valid UTF-8 text; 0 when empty.
[[nodiscard]] std::size_t last_char_bytes(std::string_view text);

}  // namespace pnt
