// Whole-file reads and writes for the compiler's inputs and outputs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/error.h"

namespace pnt::lexicon {

/// The file's bytes. Error: "cannot read {path}".
[[nodiscard]] Result<std::string> read_file(const std::string& path);

/// Creates or replaces the file. Error: "cannot write {path}".
[[nodiscard]] Result<void> write_file(const std::string& path,
                                      const std::vector<std::uint8_t>& bytes);

}  // namespace pnt::lexicon
