// Small transducers in voikko's unweighted format, written by tests.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace pnt::testing {

/// One state: whether it is final and its arcs (input symbol, output symbol, target state).
/// The empty symbol is epsilon.
struct VfstState {
  bool final = false;
  std::vector<std::tuple<std::string, std::string, int>> arcs;
};

/// The file of `states`; state 0 is the start and every state has at most 255 arcs.
[[nodiscard]] std::vector<std::uint8_t> write_vfst(const std::vector<VfstState>& states);

/// A transducer that reads each (word, output) pair's word, one letter an arc, to its output
/// (which the first arc writes whole): a word listed twice has both outputs.
[[nodiscard]] std::vector<std::uint8_t> vfst_of_words(
    const std::vector<std::pair<std::string, std::string>>& analyses);

}  // namespace pnt::testing
