// The layout file functions with their two locations passed in, so tests can aim them at
// temporary folders instead of the real program directory and home.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/file.h"
#include "core/layout.h"

namespace pnt::detail {

/// The whole file as text when it is a readable regular file holding valid UTF-8, else nothing.
[[nodiscard]] std::optional<std::string> read_layout_text(const std::filesystem::path& path);

/// `load_layout` with the two locations given.
[[nodiscard]] LayoutConfig load_layout_from(const std::optional<std::filesystem::path>& beside,
                                            const std::filesystem::path& home);

/// `save_layout` with the two locations given; `write_step` as for write_file_atomically.
void save_layout_to(const LayoutConfig& layout, const std::optional<std::filesystem::path>& beside,
                    const std::filesystem::path& home, WriteStep write_step = nullptr);

}  // namespace pnt::detail
