// The documents compiled into the program, and their word wrap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pnt {

struct Document {
  std::string_view label;
  std::string_view title;
  std::string_view body;
};

/// License, Privacy, Sources, Verify, in that order; the index is the View's `doc`.
extern const std::array<Document, 4> DOCUMENTS;

/// The lines of `text` wrapped at `width` characters (0 counts as 1), indentation kept.
[[nodiscard]] std::vector<std::string> wrap_document(std::string_view text, std::size_t width);

}  // namespace pnt
