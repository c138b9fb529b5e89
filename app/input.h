// From one terminal event to at most one Message, a separator drag, or a request to quit.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "app/events.h"
#include "app/screen_map.h"
#include "core/view.h"

namespace pnt {

enum class Outcome : std::uint8_t { Nothing, Redraw, Quit };

/// What a key asks for: quitting, one message, or nothing.
struct KeyAction {
  bool quit = false;
  std::optional<Message> message;
};

/// The key table: only presses count; Esc and Ctrl+C close the overlay when it is open and
/// quit otherwise; every other key gives the same message in both states. Page Up and Page
/// Down scroll by `page` lines.
[[nodiscard]] KeyAction map_key(const KeyEvent& key, bool overlay_open, std::int32_t page = 1);

/// Handles one event: applies at most one message to the view, begins, moves or ends a
/// separator drag (saving the layout at the end of one), and says what the loop must do.
Outcome dispatch(const Event& event, View& view, ScreenMap& map);

/// Starts a separator drag when (column, row) lies on one and the entry is not fullscreen.
bool begin_drag(ScreenMap& map, View& view, std::uint16_t column, std::uint16_t row);

/// Moves the dragged separator to (column, row); false when no drag is active.
bool continue_drag(ScreenMap& map, View& view, std::uint16_t column, std::uint16_t row);

/// The message a left click at (column, row) means: the list item drawn there (counting the
/// rows the list is scrolled by to show its selection), a link, the entry title row, or the
/// focus of a list; nothing elsewhere.
[[nodiscard]] std::optional<Message> hit_test(const ScreenMap& map, const View& view,
                                              std::uint16_t column, std::uint16_t row);

/// The index of the list row under the point (position inside the pane, not scrolled);
/// nothing past `length` rows or outside the inside of the pane.
[[nodiscard]] std::optional<std::uint32_t> list_row_at(Rect area, std::uint16_t column,
                                                       std::uint16_t row, std::size_t length);

}  // namespace pnt
