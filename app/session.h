// The interactive session: terminal set-up, the draw-wait-dispatch loop, and tear-down.
#pragma once

#include <chrono>

#include "app/screen_map.h"
#include "app/terminal.h"
#include "base/error.h"
#include "core/dictionary.h"
#include "core/view.h"

namespace pnt {

/// How long one wait for input lasts before it is repeated.
inline constexpr std::chrono::milliseconds POLL_INTERVAL{250};

/// Runs the loop until the input mapping asks to quit: draws a frame whenever something
/// changed (and before the first event), then waits for and dispatches one event. Returns
/// the terminal's first I/O error.
[[nodiscard]] Result<void> run_loop(Terminal& terminal, View& view, ScreenMap& map);

/// Opens the terminal, reads the layout, builds the View over the loaded dictionary, runs the
/// loop and restores the terminal. Fails before touching the terminal when standard input or
/// output is not one.
[[nodiscard]] Result<void> run_session(Dictionary dictionary);

}  // namespace pnt
