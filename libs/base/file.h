// Replacing a file's content so that it is either old or new, never partly written.
#pragma once

#include <filesystem>
#include <string_view>

namespace pnt {

/// Writes all of `bytes` to the open file `fd`; false when it cannot. write_all is the real
/// one; tests pass one that fails as a full disk does, where permissions cannot make writing
/// fail (as root).
using WriteStep = bool (*)(int fd, std::string_view bytes);

/// Replaces the file's content with `text` through a temporary file beside it and a rename,
/// writing through a symbolic link rather than replacing it; returns whether it succeeded.
/// Where only the file may be written, not its folder, it is overwritten in place, cut to
/// length only after the new text is in, so that a write that fails from the start leaves it
/// as it was. nullptr stands for write_all.
[[nodiscard]] bool write_file_atomically(const std::filesystem::path& path, std::string_view text,
                                         WriteStep write_step = nullptr);

}  // namespace pnt
