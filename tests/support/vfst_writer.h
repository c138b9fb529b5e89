// Small transducers that read whole words to their analyses, for the tests of the View.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pnt::testing {

/// A transducer that reads each (word, output) pair's word, one letter an arc, to its output
/// (which the first arc writes whole): a word listed twice has both outputs.
[[nodiscard]] std::vector<std::uint8_t> vfst_of_words(
    const std::vector<std::pair<std::string, std::string>>& analyses);

}  // namespace pnt::testing
