// Running text for the coverage measure: word tokens and lower-casing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pnt::lexicon {

/// Maximal runs of letters (ASCII and Latin letters up to U+024F), with hyphens and
/// apostrophes allowed between two letters.
[[nodiscard]] std::vector<std::string> word_tokens(std::string_view text);

/// Lower-cases ASCII and Latin-1 letters; other characters stay as they are.
[[nodiscard]] std::string lower_case(std::string_view text);

}  // namespace pnt::lexicon
