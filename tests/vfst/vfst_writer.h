// Writes small transducers in voikko's unweighted format for the tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace pnt::vfst {

// A hand-built transducer in voikko's unweighted format.
struct TinyState {
  bool final = false;
  std::vector<std::tuple<std::string, std::string, int>> arcs;  // in, out, target state
};

inline void put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

inline std::vector<std::uint8_t> build_vfst(const std::vector<TinyState>& states) {
  std::vector<std::string> symbols{""};
  auto sym = [&](const std::string& s) {
    auto it = std::find(symbols.begin(), symbols.end(), s);
    if (it != symbols.end()) {
      return static_cast<std::uint32_t>(it - symbols.begin());
    }
    symbols.push_back(s);
    return static_cast<std::uint32_t>(symbols.size() - 1);
  };
  for (const TinyState& s : states) {
    for (const auto& [in, out, target] : s.arcs) {
      sym(in);
      sym(out);
    }
  }
  std::vector<std::uint32_t> start;
  std::uint32_t cell = 0;
  for (const TinyState& s : states) {
    start.push_back(cell);
    cell += static_cast<std::uint32_t>(s.arcs.size()) + (s.final || s.arcs.empty() ? 1 : 0);
  }
  std::vector<std::uint8_t> b;
  put32(b, 0x00013A6E);
  put32(b, 0x000351FA);
  b.resize(16, 0);
  put16(b, static_cast<std::uint32_t>(symbols.size()));
  for (const std::string& s : symbols) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
  }
  while (b.size() % 8 != 0) {
    b.push_back(0);
  }
  for (const TinyState& s : states) {
    std::uint32_t n = static_cast<std::uint32_t>(s.arcs.size());
    if (s.final || s.arcs.empty()) {
      put16(b, s.final ? 0xFFFF : 0);  // a non-final state without arcs: a dead epsilon loop
      put16(b, 0);
      put32(b, (n << 24) | (s.final ? 0 : start[&s - states.data()]));
    }
    for (std::uint32_t i = 0; i < n; ++i) {
      const auto& [in, out, target] = s.arcs[i];
      std::uint32_t more = (!s.final && !s.arcs.empty() && i == 0) ? n - 1 : 0;
      put16(b, sym(in));
      put16(b, sym(out));
      put32(b, (more << 24) | start[static_cast<std::size_t>(target)]);
    }
  }
  return b;
}

}  // namespace pnt::vfst
