#include "app/terminal_input.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>

#include "app/terminal_internal.h"

namespace pnt {
namespace {

// How many input bytes one read takes at most.
constexpr std::size_t READ_SIZE = 4096;

// The write end of the pipe that wakes the input wait on SIGWINCH; -1 when not watching.
int resize_pipe_write = -1;

void note_resize(int /*signal*/) {
  const int saved = errno;
  const char byte = 0;
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  (void)!::write(resize_pipe_write, &byte, 1);
  errno = saved;
}

}  // namespace

// Turns window-size changes into a readable pipe, so that the input wait sees them as input
// (the terminal library would only notice them when it reads the input itself).
class ResizeWatch {
 public:
  ResizeWatch() {
    std::array<int, 2> fds{-1, -1};
    if (::pipe2(fds.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
      return;
    }
    read_fd_ = fds[0];
    resize_pipe_write = fds[1];
    struct sigaction action {};
    action.sa_handler = note_resize;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    installed_ = ::sigaction(SIGWINCH, &action, &previous_) == 0;
  }
  ResizeWatch(const ResizeWatch&) = delete;
  ResizeWatch& operator=(const ResizeWatch&) = delete;
  ~ResizeWatch() {
    if (installed_) {
      ::sigaction(SIGWINCH, &previous_, nullptr);
    }
    if (read_fd_ >= 0) {
      ::close(resize_pipe_write);
      ::close(read_fd_);
      resize_pipe_write = -1;
    }
  }

  [[nodiscard]] int fd() const { return read_fd_; }

  // Empties the pipe; true when a size change was signalled.
  bool take() const {
    std::array<char, 64> buffer{};
    bool any = false;
    while (::read(read_fd_, buffer.data(), buffer.size()) > 0) {
      any = true;
    }
    return any;
  }

 private:
  int read_fd_ = -1;
  bool installed_ = false;
  struct sigaction previous_ {};
};

void ClockedDecoder::feed(std::span<const std::uint8_t> bytes, Clock::time_point now) {
  last_input_ = now;
  decoder_.feed(bytes, decoded_);
  events_.insert(events_.end(), decoded_.begin(), decoded_.end());
  decoded_.clear();
}

bool ClockedDecoder::expire(Clock::time_point now) {
  const std::optional<Clock::time_point> until = deadline();
  if (!until || now < *until) {
    return false;
  }
  decoder_.time_out(decoded_);
  events_.insert(events_.end(), decoded_.begin(), decoded_.end());
  decoded_.clear();
  return true;
}

std::optional<ClockedDecoder::Clock::time_point> ClockedDecoder::deadline() const {
  if (!decoder_.pending()) {
    return std::nullopt;
  }
  return last_input_ + std::chrono::milliseconds(decoder_.timeout_ms());
}

std::optional<Event> ClockedDecoder::next() {
  if (events_.empty()) {
    return std::nullopt;
  }
  Event event = std::move(events_.front());
  events_.pop_front();
  return event;
}

InputSource::InputSource() : resize_watch_(std::make_unique<ResizeWatch>()) {}

InputSource::~InputSource() = default;

Result<std::optional<Event>> InputSource::poll_event(int timeout_ms) {
  using Clock = ClockedDecoder::Clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  std::array<std::uint8_t, READ_SIZE> bytes{};
  bool polled = false;  // at least once, also with no time to wait
  for (;;) {
    if (std::optional<Event> event = decoder_.next()) {
      return event;
    }
    const Clock::time_point now = Clock::now();
    if (decoder_.expire(now)) {
      continue;
    }
    Clock::time_point until = deadline;
    if (const std::optional<Clock::time_point> expiry = decoder_.deadline()) {
      until = std::min(until, *expiry);
    }
    if (polled && now >= deadline) {
      return std::optional<Event>{};
    }
    const int wait = static_cast<int>(std::max<std::int64_t>(
        std::chrono::ceil<std::chrono::milliseconds>(until - now).count(), 0));
    std::array<pollfd, 2> fds{pollfd{STDIN_FILENO, POLLIN, 0},
                              pollfd{resize_watch_->fd(), POLLIN, 0}};
    const int ready = ::poll(fds.data(), fds.size(), wait);
    if (ready < 0 && errno != EINTR) {
      return std::unexpected(detail::os_error("reading from the terminal", errno));
    }
    if (ready > 0 && (fds[1].revents & POLLIN) != 0 && resize_watch_->take()) {
      return std::optional<Event>{ResizeEvent{}};
    }
    if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
      const ssize_t n = ::read(STDIN_FILENO, bytes.data(), bytes.size());
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
        return std::unexpected(detail::os_error("reading from the terminal", n == 0 ? EIO : errno));
      }
      if (n > 0) {
        decoder_.feed(std::span(bytes.data(), static_cast<std::size_t>(n)), Clock::now());
      }
    } else if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      return std::unexpected(detail::os_error("reading from the terminal", EIO));
    }
    polled = true;
  }
}

}  // namespace pnt
