// The layout file's text: two TOML keys.
#pragma once

#include <string>
#include <string_view>

#include "core/layout.h"

namespace pnt {

/// Reads the TOML text; never fails: invalid text gives the defaults, values are clamped.
[[nodiscard]] LayoutConfig parse_layout(std::string_view text);
/// The file's three lines, with both values clamped.
[[nodiscard]] std::string format_layout(const LayoutConfig& layout);

}  // namespace pnt
