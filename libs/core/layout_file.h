// Reading the layout file at start and writing it after a drag.
#pragma once

#include "core/layout.h"

namespace pnt {

/// The layout beside the executable, else the one under the home directory, else defaults.
[[nodiscard]] LayoutConfig load_layout();
/// Writes the layout file (beside the executable, else under the home directory) atomically;
/// failures are silent.
void save_layout(const LayoutConfig& layout);

}  // namespace pnt
