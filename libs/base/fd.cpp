#include "base/fd.h"

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace pnt {

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

Fd::~Fd() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool Fd::close_checked() {
  const int fd = fd_;
  fd_ = -1;
  return fd >= 0 && ::close(fd) == 0;
}

}  // namespace pnt
