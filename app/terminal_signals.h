// The terminal's tear-down when a termination signal (SIGTERM, SIGHUP, SIGQUIT, SIGINT) ends
// the program, prepared beforehand so that the handler only writes bytes and restores modes,
// as async-signal-safe code must.
#pragma once

#include <signal.h>

#include <array>
#include <string_view>

namespace pnt {

class SignalTearDown {
 public:
  static constexpr std::array<int, 4> TERMINATING = {SIGTERM, SIGHUP, SIGQUIT, SIGINT};

  /// Saves the terminal modes of standard output to restore and the signals' actions; called
  /// before the terminal library puts handlers of its own in place.
  void save();
  /// Installs the handler: it writes `before` (up to 512 bytes), restores the saved modes,
  /// writes `after` (as much) and ends the process as the signal would have. A signal ignored
  /// at save() (nohup, a background job) stays ignored. Only one SignalTearDown may do this.
  void install(std::string_view before, std::string_view after);

  /// Blocks the termination signals for its lifetime; then puts back their actions saved by
  /// save(), so that one that came meanwhile ends the process after a complete tear-down.
  class Held {
   public:
    explicit Held(SignalTearDown& tear_down);
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held();

   private:
    SignalTearDown& tear_down_;
    sigset_t mask_{};
  };

 private:
  std::array<struct sigaction, TERMINATING.size()> previous_actions_{};
  bool installed_ = false;
};

}  // namespace pnt
