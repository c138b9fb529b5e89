#include "app/terminal_signals.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "base/fd.h"

namespace pnt {
namespace {

struct Bytes {
  std::array<char, 512> data{};
  std::size_t size = 0;
  void set(std::string_view bytes) {
    size = std::min(bytes.size(), data.size());
    std::memcpy(data.data(), bytes.data(), size);
  }
  [[nodiscard]] std::string_view view() const { return {data.data(), size}; }
};

// What the handler uses, in fixed storage: it may not allocate. Changed only while no handler
// is installed.
struct Prepared {
  Bytes before;
  Bytes after;
  termios shell{};  // the modes before the start
};
Prepared prepared;

sigset_t terminating_set() {
  sigset_t set;
  ::sigemptyset(&set);
  for (const int signal : SignalTearDown::TERMINATING) {
    ::sigaddset(&set, signal);
  }
  return set;
}

void on_terminating_signal(int signal) {
  // Nothing is left to do about a failed write: the process ends either way.
  (void)write_all(STDOUT_FILENO, prepared.before.view());
  ::tcsetattr(STDOUT_FILENO, TCSANOW, &prepared.shell);
  (void)write_all(STDOUT_FILENO, prepared.after.view());
  // Ends the process as the signal would have, so that the shell sees it.
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  ::sigaction(signal, &default_action, nullptr);
  sigset_t set;
  ::sigemptyset(&set);
  ::sigaddset(&set, signal);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(signal);
}

}  // namespace

void SignalTearDown::save() {
  ::tcgetattr(STDOUT_FILENO, &prepared.shell);
  for (std::size_t i = 0; i < TERMINATING.size(); ++i) {
    ::sigaction(TERMINATING[i], nullptr, &previous_actions_[i]);
  }
}

void SignalTearDown::install(std::string_view before, std::string_view after) {
  prepared.before.set(before);
  prepared.after.set(after);
  struct sigaction action {};
  action.sa_handler = on_terminating_signal;
  action.sa_mask = terminating_set();  // one tear-down at a time
  for (std::size_t i = 0; i < TERMINATING.size(); ++i) {
    if (previous_actions_[i].sa_handler != SIG_IGN) {
      ::sigaction(TERMINATING[i], &action, nullptr);
    }
  }
  installed_ = true;
}

SignalTearDown::Held::Held(SignalTearDown& tear_down) : tear_down_(tear_down) {
  const sigset_t set = terminating_set();
  ::sigprocmask(SIG_BLOCK, &set, &mask_);
}

SignalTearDown::Held::~Held() {
  if (tear_down_.installed_) {
    for (std::size_t i = 0; i < TERMINATING.size(); ++i) {
      ::sigaction(TERMINATING[i], &tear_down_.previous_actions_[i], nullptr);
    }
    tear_down_.installed_ = false;
  }
  ::sigprocmask(SIG_SETMASK, &mask_, nullptr);
}

}  // namespace pnt
