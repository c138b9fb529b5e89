#include "app/terminal_output.h"

#define NCURSES_WIDECHAR 1
#include <curses.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

#include "app/style.h"

namespace pnt {
namespace {

bool no_color() {
  const char* value = std::getenv("NO_COLOR");
  return value != nullptr && value[0] != '\0';
}

attr_t attrs_of(Style style) {
  attr_t attrs = A_NORMAL;
  if ((style.attrs & ATTR_BOLD) != 0) {
    attrs |= A_BOLD;
  }
  if ((style.attrs & ATTR_DIM) != 0) {
    attrs |= A_DIM;
  }
  if ((style.attrs & ATTR_UNDERLINED) != 0) {
    attrs |= A_UNDERLINE;
  }
  if ((style.attrs & ATTR_REVERSED) != 0) {
    attrs |= A_REVERSE;
  }
  return attrs;
}

}  // namespace

void ScreenOutput::start_colors() {
  if (no_color() || !has_colors() || start_color() != OK || use_default_colors() != OK) {
    return;
  }
  colors_ = true;
  short dark_gray = 8;
  if (COLORS < 16) {
    dark_gray = COLOR_BLACK;
    dark_gray_bold_ = true;
  }
  init_pair(static_cast<short>(Color::Cyan), COLOR_CYAN, -1);
  init_pair(static_cast<short>(Color::DarkGray), dark_gray, -1);
  init_pair(static_cast<short>(Color::Yellow), COLOR_YELLOW, -1);
  init_pair(static_cast<short>(Color::Red), COLOR_RED, -1);
}

Result<void> ScreenOutput::present(const CellBuffer& frame) {
  const int width = std::min<int>(frame.width(), getmaxx(stdscr));
  const int height = std::min<int>(frame.height(), getmaxy(stdscr));
  if (full_redraw_ || frame.width() != shown_.width() || frame.height() != shown_.height()) {
    // A new size: the library has resized its screens; clear and write every cell.
    clearok(stdscr, TRUE);
    full_redraw_ = true;
  }
  cchar_t cell;
  std::array<wchar_t, 2> text{};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto cx = static_cast<std::uint16_t>(x);
      const auto cy = static_cast<std::uint16_t>(y);
      const Cell& source = frame.at(cx, cy);
      if (!full_redraw_ && source == shown_.at(cx, cy)) {
        continue;
      }
      char32_t ch = printable(source.ch);
      // One character per cell: what the terminal would draw wider or narrower is replaced.
      if (ch >= 0x300 && ::wcwidth(static_cast<wchar_t>(ch)) != 1) {
        ch = U'\uFFFD';
      }
      text[0] = static_cast<wchar_t>(ch);
      attr_t attrs = attrs_of(source.style);
      if (source.style.fg == Color::DarkGray && colors_ && dark_gray_bold_) {
        attrs |= A_BOLD;
      }
      const auto pair = static_cast<short>(colors_ ? static_cast<int>(source.style.fg) : 0);
      setcchar(&cell, text.data(), attrs, pair, nullptr);
      // At the last cell this reports ERR, as the cursor cannot advance; the cell is written.
      mvwadd_wch(stdscr, y, x, &cell);
    }
  }
  shown_ = frame;
  full_redraw_ = false;
  if (wrefresh(stdscr) == ERR) {
    return fail("writing to the terminal failed");
  }
  return {};
}

}  // namespace pnt
