// Word frequencies from running text: how often each headword occurs, through its forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/morphology.h"

namespace pnt::lexicon {

/// Adds the text's tokens to `counts` (one per EntryId, sized to the headword count): a token
/// found as a form (as written, else lower-cased) counts once for each headword it leads to.
void count_headwords(std::string_view text, const Morphology& morphology,
                     std::vector<std::uint64_t>& counts);

/// The text of an HTML page: tags and comments dropped (each leaving a space), the common
/// entities decoded.
[[nodiscard]] std::string html_text(std::string_view html);

}  // namespace pnt::lexicon
