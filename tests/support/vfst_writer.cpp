#include "tests/support/vfst_writer.h"

#include "base/utf8.h"
#include "tests/vfst/vfst_writer.h"

namespace pnt::testing {

std::vector<std::uint8_t> vfst_of_words(
    const std::vector<std::pair<std::string, std::string>>& analyses) {
  std::vector<vfst::TinyState> states(2);
  states[1].final = true;
  for (const auto& [word, output] : analyses) {
    int from = 0;
    std::string written = output;
    for (std::size_t pos = 0; pos < word.size();) {
      const std::size_t start = pos;
      (void)decode_utf8(word, pos);
      const bool last = pos >= word.size();
      const int to = last ? 1 : static_cast<int>(states.size());
      if (!last) {
        states.emplace_back();
      }
      states[static_cast<std::size_t>(from)].arcs.emplace_back(word.substr(start, pos - start),
                                                               std::exchange(written, ""), to);
      from = to;
    }
  }
  return vfst::build_vfst(states);
}

}  // namespace pnt::testing
