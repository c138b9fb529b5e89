// Any layout file text must parse without crashing into percentages within 10..90.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/layout_toml.h"

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const pnt::LayoutConfig layout = pnt::parse_layout(text);
  const auto in_range = [](std::uint16_t pct) { return pct >= 10 && pct <= 90; };
  if (!in_range(layout.left_pct) || !in_range(layout.matches_pct)) {
    std::abort();
  }
  // What is formatted must read back unchanged.
  if (pnt::parse_layout(pnt::format_layout(layout)) != layout) {
    std::abort();
  }
  return 0;
}
