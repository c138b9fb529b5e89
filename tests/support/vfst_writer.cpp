#include "tests/support/vfst_writer.h"

#include <algorithm>
#include <cassert>

#include "base/utf8.h"

namespace pnt::testing {
namespace {

void put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> write_vfst(const std::vector<VfstState>& states) {
  std::vector<std::string> symbols{""};
  const auto symbol = [&](const std::string& s) {
    auto it = std::find(symbols.begin(), symbols.end(), s);
    if (it == symbols.end()) {
      it = symbols.insert(symbols.end(), s);
    }
    return static_cast<std::uint32_t>(it - symbols.begin());
  };
  // A final state (or one without arcs) starts with a mark cell; a state's arcs follow it,
  // the first arc standing in the mark's place otherwise.
  std::vector<std::uint32_t> first_cell;
  std::uint32_t cells = 0;
  for (const VfstState& s : states) {
    assert(s.arcs.size() < 256 && "one state's arc count is a byte");
    first_cell.push_back(cells);
    cells += static_cast<std::uint32_t>(s.arcs.size()) + (s.final || s.arcs.empty() ? 1 : 0);
    for (const auto& [in, out, target] : s.arcs) {
      (void)symbol(in);
      (void)symbol(out);
    }
  }
  std::vector<std::uint8_t> b;
  put32(b, 0x00013A6E);  // magic
  put32(b, 0x000351FA);
  b.resize(16, 0);  // unweighted
  put16(b, static_cast<std::uint32_t>(symbols.size()));
  for (const std::string& s : symbols) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
  }
  b.resize((b.size() + 7) / 8 * 8, 0);
  for (std::size_t i = 0; i < states.size(); ++i) {
    const VfstState& s = states[i];
    const auto n = static_cast<std::uint32_t>(s.arcs.size());
    const bool mark = s.final || s.arcs.empty();
    if (mark) {
      put16(b, s.final ? 0xFFFF : 0);  // not final and no arcs: a dead epsilon loop
      put16(b, 0);
      put32(b, (n << 24) | (s.final ? 0 : first_cell[i]));
    }
    for (std::uint32_t a = 0; a < n; ++a) {
      const auto& [in, out, target] = s.arcs[a];
      const std::uint32_t more = !mark && a == 0 ? n - 1 : 0;
      put16(b, symbol(in));
      put16(b, symbol(out));
      put32(b, (more << 24) | first_cell[static_cast<std::size_t>(target)]);
    }
  }
  return b;
}

std::vector<std::uint8_t> vfst_of_words(
    const std::vector<std::pair<std::string, std::string>>& analyses) {
  std::vector<VfstState> states(2);
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
  return write_vfst(states);
}

}  // namespace pnt::testing
