#include "app/session.h"

#include <utility>

#include "app/cell_buffer.h"
#include "app/input.h"
#include "app/render.h"
#include "core/layout_file.h"

namespace pnt {
namespace {

// Polls until an event arrives; nothing else happens on a timeout.
Result<Event> wait_for_event(Terminal& terminal) {
  while (true) {
    Result<std::optional<Event>> polled =
        terminal.poll_event(static_cast<int>(POLL_INTERVAL.count()));
    if (!polled) {
      return std::unexpected(std::move(polled.error()));
    }
    if (*polled) {
      return std::move(**polled);
    }
  }
}

}  // namespace

Result<void> run_loop(Terminal& terminal, View& view, ScreenMap& map) {
  CellBuffer frame;
  bool needs_redraw = true;
  while (true) {
    if (needs_redraw) {
      const Rect size = terminal.size();
      if (size.width != frame.width() || size.height != frame.height()) {
        frame.resize(size.width, size.height);
      } else {
        frame.clear();
      }
      draw(view, frame, map);
      if (auto shown = terminal.present(frame); !shown) {
        return shown;
      }
    }
    Result<Event> event = wait_for_event(terminal);
    if (!event) {
      return std::unexpected(std::move(event.error()));
    }
    needs_redraw = false;
    switch (dispatch(*event, view, map)) {
      case Outcome::Quit:
        return {};
      case Outcome::Redraw:
        needs_redraw = true;
        break;
      case Outcome::Nothing:
        break;
    }
  }
}

Result<void> run_session(Dictionary dictionary) {
  Result<std::unique_ptr<CursesTerminal>> terminal = CursesTerminal::open();
  if (!terminal) {
    return std::unexpected(std::move(terminal.error()));
  }
  View view(std::move(dictionary), load_layout());
  ScreenMap map;
  Result<void> result = run_loop(**terminal, view, map);
  Result<void> closed = (*terminal)->close();
  if (!closed) {
    return closed;
  }
  return result;
}

}  // namespace pnt
