// The terminal behind a small interface: present a frame, wait for an event.
#pragma once

#include <memory>
#include <optional>

#include "app/cell_buffer.h"
#include "app/events.h"
#include "base/error.h"
#include "core/rect.h"

namespace pnt {

/// What the event loop needs from a terminal.
class Terminal {
 public:
  virtual ~Terminal() = default;

  /// The current size in cells.
  [[nodiscard]] virtual Rect size() = 0;
  /// Shows the frame, writing only the cells that differ from the last one shown (all of
  /// them after a size change, when the screen is cleared first); hides the cursor.
  [[nodiscard]] virtual Result<void> present(const CellBuffer& frame) = 0;
  /// Waits up to `timeout_ms` for input: the event, nothing on a timeout (or on input that
  /// decodes to no event), or the I/O error of the terminal.
  [[nodiscard]] virtual Result<std::optional<Event>> poll_event(int timeout_ms) = 0;
};

/// The ncurses terminal on standard input and output: raw mode, the alternate screen, hidden
/// cursor and mouse reporting (modes 1000, 1002, 1003, 1015, 1006) are set up by open() and
/// undone, in reverse, by close(). The library only draws: poll_event reads the input bytes
/// itself and decodes them with InputDecoder, and learns of size changes through SIGWINCH.
class CursesTerminal final : public Terminal {
 public:
  /// Fails with a clear message when standard input or output is not a terminal or the
  /// terminal type is unknown; nothing is changed then.
  [[nodiscard]] static Result<std::unique_ptr<CursesTerminal>> open();

  CursesTerminal(const CursesTerminal&) = delete;
  CursesTerminal& operator=(const CursesTerminal&) = delete;
  /// Restores the terminal if close() was not called.
  ~CursesTerminal() override;

  [[nodiscard]] Rect size() override;
  [[nodiscard]] Result<void> present(const CellBuffer& frame) override;
  [[nodiscard]] Result<std::optional<Event>> poll_event(int timeout_ms) override;

  /// Turns mouse reporting off (flushed before the screen is left), leaves the alternate
  /// screen, restores the terminal modes and shows the cursor.
  [[nodiscard]] Result<void> close();

 private:
  CursesTerminal() = default;
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace pnt
