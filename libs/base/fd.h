// Writing to file descriptors, and owning one.
#pragma once

#include <string_view>

namespace pnt {

/// Writes all of `bytes` to `fd`, going on after short writes and retrying writes a signal
/// interrupted. On failure returns false with errno set by the failed write. Allocates nothing
/// and touches no shared state, so a signal handler may call it.
[[nodiscard]] bool write_all(int fd, std::string_view bytes);

/// An open file descriptor, closed when the object goes; a negative value holds none.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd();

  [[nodiscard]] int get() const { return fd_; }
  /// Closes the descriptor now; false when it held none or close() reported an error (a write
  /// the kernel had not finished).
  [[nodiscard]] bool close_checked();

 private:
  int fd_;
};

}  // namespace pnt
