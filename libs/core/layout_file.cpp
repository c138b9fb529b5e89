#include "core/layout_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/fd.h"
#include "base/file.h"
#include "base/utf8.h"
#include "core/layout_file_internal.h"
#include "core/layout_path.h"
#include "core/layout_toml.h"

namespace pnt {
namespace {

namespace fs = std::filesystem;

}  // namespace

LayoutConfig load_layout() {
  return detail::load_layout_from(layout_path_beside_executable(), layout_path_in_home());
}

void save_layout(const LayoutConfig& layout) {
  // A termination signal waits until the file is complete: its handler ends the process.
  sigset_t terminating;
  sigset_t previous;
  ::sigemptyset(&terminating);
  for (const int signal : {SIGTERM, SIGHUP, SIGQUIT, SIGINT}) {
    ::sigaddset(&terminating, signal);
  }
  ::pthread_sigmask(SIG_BLOCK, &terminating, &previous);
  detail::save_layout_to(layout, layout_path_beside_executable(), layout_path_in_home());
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

namespace detail {

std::optional<std::string> read_layout_text(const fs::path& path) {
  // Non-blocking open, so a FIFO in the file's place cannot hang the start-up.
  const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::nullopt;
    }
    if (n == 0) {
      break;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  if (!is_utf8(std::string_view(text))) {
    return std::nullopt;
  }
  return text;
}

LayoutConfig load_layout_from(const std::optional<fs::path>& beside, const fs::path& home) {
  if (beside) {
    if (const auto text = read_layout_text(*beside)) {
      return parse_layout(*text);
    }
  }
  if (const auto text = read_layout_text(home)) {
    return parse_layout(*text);
  }
  return LayoutConfig{};
}

void save_layout_to(const LayoutConfig& layout, const std::optional<fs::path>& beside,
                    const fs::path& home, WriteStep write_step) {
  try {
    const std::string text = format_layout(layout);
    if (beside && write_file_atomically(*beside, text, write_step)) {
      return;
    }
    std::error_code ec;
    fs::create_directories(home.parent_path(), ec);
    // A failure here is dropped: the layout stays as dragged for the rest of the run.
    (void)write_file_atomically(home, text, write_step);
  } catch (...) {
    // Path building can only fail to allocate; saving is best effort.
  }
}

}  // namespace detail
}  // namespace pnt
