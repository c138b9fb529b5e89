#include "base/file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "base/fd.h"

namespace pnt {
namespace {

namespace fs = std::filesystem;

// Writes through a symbolic link instead of replacing the link with a plain file.
fs::path resolve_target(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(path, ec))) {
    return path;
  }
  fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

void sync_directory(const fs::path& dir) {
  const Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) {
    ::fsync(fd.get());
  }
}

// For a file the user may write in a directory they may not: no atomic replacement is possible,
// and leaving the file stale would make every later reader see the old content. It is cut to
// length only after the new text is written, so a write that fails leaves the old one.
bool overwrite_in_place(const fs::path& path, std::string_view text, WriteStep write_step) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
  if (fd.get() < 0) {
    return false;
  }
  if (!write_step(fd.get(), text) || ::ftruncate(fd.get(), static_cast<off_t>(text.size())) != 0 ||
      ::fsync(fd.get()) != 0) {
    return false;
  }
  return fd.close_checked();
}

}  // namespace

bool write_file_atomically(const fs::path& path, std::string_view text, WriteStep write_step) {
  if (write_step == nullptr) {
    write_step = write_all;
  }
  const fs::path target = resolve_target(path);
  fs::path dir = target.parent_path();
  if (dir.empty()) {
    dir = ".";
  }
  std::string stem(".");
  stem.append(target.filename().string()).append(".").append(std::to_string(::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path temp = dir / (stem + "." + std::to_string(attempt) + ".tmp");
    // 0666 before the umask, as a plainly created file would get.
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
      if (errno == EEXIST) {
        continue;
      }
      std::error_code ec;
      return fs::is_regular_file(target, ec) && overwrite_in_place(target, text, write_step);
    }
    const bool written = write_step(fd.get(), text) && ::fsync(fd.get()) == 0 &&
                         fd.close_checked() && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!written) {
      ::unlink(temp.c_str());
      return false;
    }
    sync_directory(dir);
    return true;
  }
  return false;
}

}  // namespace pnt
