#include "app/input.h"

#include <algorithm>

#include "app/render.h"
#include "app/widgets.h"
#include "core/layout.h"
#include "core/layout_file.h"

namespace pnt {
namespace {

// A scroll by the whole range of an offset reaches the top or, once the frame lowers it to what
// the text allows, the bottom.
constexpr std::int32_t SCROLL_ALL = 65535;

// The item under the point of a list drawn scrolled so that `selected` is visible: a click
// lands on the item the last frame showed there.
std::optional<std::uint32_t> shown_item_at(Rect area, std::uint16_t column, std::uint16_t row,
                                           std::size_t length, std::uint32_t selected) {
  if (length == 0) {
    return std::nullopt;
  }
  const Rect inner = inner_area(area);
  const std::size_t start =
      list_window_start(std::min<std::size_t>(selected, length - 1), inner.height);
  const auto position = list_row_at(area, column, row, length);
  if (!position || start + *position >= length) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(start + *position);
}

Outcome apply(View& view, std::optional<Message> message) {
  if (!message) {
    return Outcome::Nothing;
  }
  view.update(std::move(*message));
  return Outcome::Redraw;
}

// The lines a page key scrolls: the inner height of the pane it scrolls (the open document, or
// the entry) less one, so that one line of the last page stays in sight; at least one.
std::int32_t page_lines(const ScreenMap& map, const View& view) {
  const Rect pane = view.doc != DOC_CLOSED ? map.frame_area : map.entry_area;
  return std::max<std::int32_t>(1, static_cast<std::int32_t>(inner_area(pane).height) - 1);
}

Outcome dispatch_key(const KeyEvent& key, View& view, const ScreenMap& map) {
  KeyAction action = map_key(key, view.doc != DOC_CLOSED, page_lines(map, view));
  if (action.quit) {
    return Outcome::Quit;
  }
  return apply(view, std::move(action.message));
}

Outcome dispatch_mouse(const MouseEvent& mouse, View& view, ScreenMap& map) {
  const bool left = mouse.button == MouseButton::Left;
  switch (mouse.kind) {
    case MouseKind::Press:
      if (mouse.button == MouseButton::Back) {
        return apply(view, HistoryBack{});
      }
      if (mouse.button == MouseButton::Forward) {
        return apply(view, HistoryForward{});
      }
      if (!left) {
        return Outcome::Nothing;
      }
      if (begin_drag(map, view, mouse.column, mouse.row)) {
        return Outcome::Nothing;
      }
      (void)apply(view, hit_test(map, view, mouse.column, mouse.row));
      return Outcome::Redraw;
    case MouseKind::Drag:
      if (!left) {
        return Outcome::Nothing;
      }
      return continue_drag(map, view, mouse.column, mouse.row) ? Outcome::Redraw : Outcome::Nothing;
    case MouseKind::Release:
      // Terminals report some releases without the button; a drag only ends with the left one.
      if (!left && mouse.button != MouseButton::None) {
        return Outcome::Nothing;
      }
      if (map.drag != DRAG_NONE) {
        map.drag = DRAG_NONE;
        save_layout(view.layout);
      }
      return Outcome::Nothing;
    case MouseKind::WheelDown:
      return apply(view, ScrollEntry{1});
    case MouseKind::WheelUp:
      return apply(view, ScrollEntry{-1});
    case MouseKind::Move:
    case MouseKind::WheelLeft:
    case MouseKind::WheelRight:
      return Outcome::Nothing;
  }
  return Outcome::Nothing;
}

}  // namespace

KeyAction map_key(const KeyEvent& key, bool overlay_open, std::int32_t page) {
  if (key.kind != KeyKind::Press) {
    return {};
  }
  const auto quit_or_close = [overlay_open]() -> KeyAction {
    if (overlay_open) {
      return {false, CloseDocuments{}};
    }
    return {true, std::nullopt};
  };
  switch (key.key) {
    case Key::Char:
      if (!key.ctrl) {
        return {false, InsertChar{key.ch}};
      }
      if (key.ch == U'c') {
        return quit_or_close();
      }
      if (key.ch == U'f') {
        return {false, ToggleFullscreen{}};
      }
      if (key.ch == U'l') {
        return {false, ToggleDocuments{}};
      }
      if (key.ch == U'e') {
        return {false, ToggleEnglish{}};
      }
      if (key.ch == U'o') {
        return {false, HistoryBack{}};
      }
      if (key.ch == U'n') {
        return {false, HistoryForward{}};
      }
      if (key.ch == U'u') {
        return {false, ClearQuery{}};
      }
      if (key.ch == U'w') {
        return {false, DeleteWord{}};
      }
      return {};
    case Key::Esc:
      return quit_or_close();
    case Key::Backspace:
      return {false, Backspace{}};
    case Key::Enter:
      return {false, Enter{}};
    case Key::Tab:
      return {false, ToggleFocus{}};
    case Key::Up:
      return key.ctrl ? KeyAction{false, ScrollEntry{-1}} : KeyAction{false, MoveSelection{-1}};
    case Key::Down:
      return key.ctrl ? KeyAction{false, ScrollEntry{1}} : KeyAction{false, MoveSelection{1}};
    case Key::Left:
      return key.alt ? KeyAction{false, HistoryBack{}} : KeyAction{};
    case Key::Right:
      return key.alt ? KeyAction{false, HistoryForward{}} : KeyAction{};
    case Key::PageUp:
      return {false, ScrollEntry{-page}};
    case Key::PageDown:
      return {false, ScrollEntry{page}};
    case Key::Home:
      return {false, ScrollEntry{-SCROLL_ALL}};
    case Key::End:
      return {false, ScrollEntry{SCROLL_ALL}};
    case Key::Other:
      return {};
  }
  return {};
}

Outcome dispatch(const Event& event, View& view, ScreenMap& map) {
  if (const auto* key = std::get_if<KeyEvent>(&event)) {
    return dispatch_key(*key, view, map);
  }
  if (const auto* mouse = std::get_if<MouseEvent>(&event)) {
    return dispatch_mouse(*mouse, view, map);
  }
  if (std::holds_alternative<ResizeEvent>(event)) {
    return Outcome::Redraw;
  }
  return Outcome::Nothing;  // focus changes and pastes
}

bool begin_drag(ScreenMap& map, View& view, std::uint16_t column, std::uint16_t row) {
  if (view.fullscreen) {
    map.drag = DRAG_NONE;
    return false;
  }
  const std::optional<Separator> separator =
      separator_at(view.layout, map.frame_area, with_inflections(view), column, row);
  map.drag = separator ? static_cast<std::uint8_t>(*separator) : DRAG_NONE;
  return separator.has_value();
}

bool continue_drag(ScreenMap& map, View& view, std::uint16_t column, std::uint16_t row) {
  if (view.fullscreen) {
    map.drag = DRAG_NONE;
    return false;
  }
  if (map.drag == DRAG_NONE) {
    return false;
  }
  const Separator separator =
      map.drag == DRAG_VERTICAL ? Separator::Vertical : Separator::Horizontal;
  apply_drag(view.layout, map.frame_area, with_inflections(view), separator, column, row);
  return true;
}

std::optional<std::uint32_t> list_row_at(Rect area, std::uint16_t column, std::uint16_t row,
                                         std::size_t length) {
  const auto cell = inner_cell(area, column, row);
  if (!cell || cell->second >= length) {
    return std::nullopt;
  }
  return cell->second;
}

std::optional<Message> hit_test(const ScreenMap& map, const View& view, std::uint16_t column,
                                std::uint16_t row) {
  if (const auto i =
          shown_item_at(map.matches_area, column, row, view.matches.size(), view.match_sel)) {
    return SelectMatch{*i};
  }
  if (map.infl_area) {
    if (const auto i =
            shown_item_at(*map.infl_area, column, row, view.inflections.size(), view.infl_sel)) {
      return SelectInflection{*i};
    }
  }
  if (const auto cell = inner_cell(map.entry_area, column, row)) {
    const std::size_t line = static_cast<std::size_t>(cell->second) + view.entry_scroll;
    const auto& spans = map.entry_rows.rows.click_spans;
    if (line < spans.size()) {
      for (const ClickSpan& span : spans[line]) {
        if (span.start_col <= cell->first && cell->first < span.end_col) {
          return SetQuery{span.target};
        }
      }
    }
  }
  if (map.entry_area.height != 0 && row == map.entry_area.y &&
      map.entry_area.contains(column, row)) {
    return ToggleFullscreen{};
  }
  if (map.matches_area.contains(column, row)) {
    return SetFocus{false};
  }
  if (map.infl_area && map.infl_area->contains(column, row)) {
    return SetFocus{true};
  }
  return std::nullopt;
}

}  // namespace pnt
