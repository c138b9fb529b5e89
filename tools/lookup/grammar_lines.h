// pnt-lookup's --readings and --table lines.
#pragma once

#include <string>
#include <string_view>

#include "core/dictionary.h"

namespace pnt {

/// One line per distinct reading, "word TAB reading TAB ATTR=VALUE…", or "word TAB none";
/// lines joined by newlines, no newline at the end.
[[nodiscard]] std::string readings_lines(const Dictionary& dictionary, std::string_view word);

/// One line per cell in display order, "headword TAB ATTR=VALUE … TAB form|form…", or
/// "headword TAB none"; lines joined by newlines, no newline at the end.
[[nodiscard]] std::string table_lines(const Dictionary& dictionary, std::string_view headword);

}  // namespace pnt
