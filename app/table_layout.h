// The table mode's text: a headword's inflection table laid out for the entry pane.
#pragma once

#include <cstdint>

#include "app/entry_layout.h"
#include "core/inflection_table.h"

namespace pnt {

/// An inflection table's rows at an inner width: each section under its title, a row's cells
/// side by side under the column headings (one form a line), or, where they do not fit, one
/// cell a line with its own label; one line for a headword without forms. No click spans.
[[nodiscard]] EntryRows layout_table_rows(const InflectionTable& table, std::uint16_t width);

}  // namespace pnt
