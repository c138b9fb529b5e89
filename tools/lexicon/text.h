// Running text for the coverage measure: its word tokens (lower-casing is core/text's).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pnt::lexicon {

/// Maximal runs of letters (ASCII and Latin letters up to U+024F), with hyphens and
/// apostrophes allowed between two letters.
[[nodiscard]] std::vector<std::string> word_tokens(std::string_view text);

}  // namespace pnt::lexicon
