// Starting corpora for gloss_fuzz and multi_fuzz, written with the format library's writers.
#pragma once

#include <string>

namespace pnt::fuzzing {

/// Writes glosses.bin files and bare records into `dir`; false when a file cannot be written.
[[nodiscard]] bool write_gloss_seeds(const std::string& dir);

/// Writes inflections-multi.bin files into `dir`; false when a file cannot be written.
[[nodiscard]] bool write_multi_seeds(const std::string& dir);

}  // namespace pnt::fuzzing
