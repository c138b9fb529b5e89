// The layout file functions with their two locations passed in, so tests can aim them at
// temporary folders instead of the real program directory and home.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/layout.h"

namespace pnt::detail {

/// The whole file as text when it is a readable regular file holding valid UTF-8, else nothing.
[[nodiscard]] std::optional<std::string> read_layout_text(const std::filesystem::path& path);

/// Writes all of `text` to the open file `fd`; false when it cannot. The saving functions take
/// one so that tests can make writing fail (a full disk) where permissions cannot (as root);
/// nullptr stands for the ordinary write.
using WriteStep = bool (*)(int fd, std::string_view text);

/// Replaces the file's content with `text` through a temporary file and a rename, so the file
/// is either old or new, never partly written; returns whether it succeeded. Where only the
/// file may be written, not its folder, it is overwritten in place, without truncating first,
/// so that a write that fails from the start leaves it as it was.
[[nodiscard]] bool write_file_atomically(const std::filesystem::path& path, std::string_view text,
                                         WriteStep write_step = nullptr);

/// `load_layout` with the two locations given.
[[nodiscard]] LayoutConfig load_layout_from(const std::optional<std::filesystem::path>& beside,
                                            const std::filesystem::path& home);

/// `save_layout` with the two locations given.
void save_layout_to(const LayoutConfig& layout, const std::optional<std::filesystem::path>& beside,
                    const std::filesystem::path& home, WriteStep write_step = nullptr);

/// `layout_path_in_home` for a given value of HOME (nothing when unset).
[[nodiscard]] std::filesystem::path layout_path_for_home(const char* home);

}  // namespace pnt::detail
