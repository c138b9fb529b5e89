// The text form of keys used by the fst tool and the test vectors: printable ASCII stands for
// itself, every other byte and the backslash are written as \xHH (lower-case hex).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"

namespace pnt::fst {

/// Appends the escaped form of `key` to `out`.
void append_escaped(std::string& out, Bytes key);

/// The escaped form of `key`.
[[nodiscard]] std::string escape_key(Bytes key);

/// Decodes an escaped key into `out` (replacing its content); fails on a backslash that is not
/// followed by `x` and two hex digits.
[[nodiscard]] Result<void> unescape_key(std::string_view text, std::vector<std::uint8_t>& out);

/// An unsigned decimal value without sign or separators, 0 to 2^64 - 1; nothing otherwise.
[[nodiscard]] std::optional<std::uint64_t> parse_value(std::string_view text);

}  // namespace pnt::fst
