// The terminal's input: raw bytes from standard input decoded into events, and window-size
// changes, in one wait.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "app/decode.h"
#include "app/events.h"
#include "base/error.h"

namespace pnt {

/// The decoder with its time-outs (the Esc clock) kept on a time the caller gives, so that a
/// test can step it: what is held is finished once its time-out has passed since the last
/// bytes came.
class ClockedDecoder {
 public:
  using Clock = std::chrono::steady_clock;

  /// Decodes the bytes that came at `now`, queueing the events they complete.
  void feed(std::span<const std::uint8_t> bytes, Clock::time_point now);
  /// Finishes what is held when its time-out has run out at `now`, queueing what that gives;
  /// true when it did.
  bool expire(Clock::time_point now);
  /// When what is held runs out; nothing when nothing is held.
  [[nodiscard]] std::optional<Clock::time_point> deadline() const;
  /// Takes the oldest queued event; nothing when none is queued.
  [[nodiscard]] std::optional<Event> next();

 private:
  InputDecoder decoder_;
  Clock::time_point last_input_;  // when bytes last came
  std::vector<Event> decoded_;    // reused for each step's output
  std::deque<Event> events_;      // decoded and not yet taken
};

class ResizeWatch;

/// Standard input and the window-size changes (SIGWINCH, through a pipe) as one event source.
/// The handler is installed while the source exists.
class InputSource {
 public:
  InputSource();
  InputSource(const InputSource&) = delete;
  InputSource& operator=(const InputSource&) = delete;
  ~InputSource();

  /// Waits up to `timeout_ms` (polling at least once): a ResizeEvent when the size changed,
  /// else the next decoded event, nothing on a time-out, or the I/O error of reading.
  [[nodiscard]] Result<std::optional<Event>> poll_event(int timeout_ms);

 private:
  std::unique_ptr<ResizeWatch> resize_watch_;
  ClockedDecoder decoder_;
};

}  // namespace pnt
