// Writing to file descriptors.
#pragma once

#include <string_view>

namespace pnt {

/// Writes all of `bytes` to `fd`, going on after short writes and retrying writes a signal
/// interrupted. On failure returns false with errno set by the failed write.
[[nodiscard]] bool write_all(int fd, std::string_view bytes);

}  // namespace pnt
