// Unicode text helpers shared by expansion, entry layout and document wrapping: white space,
// token splitting and lower-casing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pnt {

/// A whitespace-separated token with its byte span.
struct Token {
  std::size_t start = 0;
  std::size_t end = 0;
  std::string_view text;
};

/// Whether `c` has the Unicode White_Space property.
[[nodiscard]] bool is_white_space(char32_t c);

/// Byte length of the leading run of White_Space characters of `text`.
[[nodiscard]] std::size_t white_space_prefix(std::string_view text);

/// Tokens of `text`, split at runs of Unicode White_Space.
[[nodiscard]] std::vector<Token> split_spans(std::string_view text);

/// Full Unicode lower-casing (final sigma included).
[[nodiscard]] std::string to_lower(std::string_view text);

/// `text` with only its first character lower-cased, by the same mappings as to_lower; the
/// rest is copied unchanged.
[[nodiscard]] std::string lower_first(std::string_view text);

/// One flag per letter of `model`, set for a capital; "-", ":", "'" and "." hold no letter's
/// place ("HTML-kopio" has four capitals, then five letters that are none).
[[nodiscard]] std::vector<bool> capitals_of(std::string_view model);

/// `form` with the letters that `capitals` flags upper-cased, letters counted as capitals_of
/// counts them; letters past its end keep their case.
[[nodiscard]] std::string with_capitals(std::string_view form, const std::vector<bool>& capitals);

/// `form` with the capitals that `model` has at the same letter positions ("helsingissä" after
/// "Helsinki" is "Helsingissä"); letters past the model's end keep their case.
[[nodiscard]] std::string with_capitals_of(std::string_view form, std::string_view model);

}  // namespace pnt
