// The terminal's output: frames drawn through the terminal library's screen, in colour where
// the terminal has it, writing only the cells that changed.
#pragma once

#include "app/cell_buffer.h"
#include "base/error.h"

namespace pnt {

/// Draws on the terminal library's current screen, which must be set up (newterm, set_term).
class ScreenOutput {
 public:
  /// Sets up the colour pairs on the terminal's own background, unless NO_COLOR is set or the
  /// terminal has no colours; frames are then drawn in attributes only.
  void start_colors();
  /// Shows the frame: only the cells that differ from the last one shown, or every cell on a
  /// cleared screen after a size change or redraw_all().
  [[nodiscard]] Result<void> present(const CellBuffer& frame);
  /// Makes the next present() clear the screen and write every cell: the library's screens
  /// were resized and may have lost cells.
  void redraw_all() { full_redraw_ = true; }

 private:
  bool colors_ = false;
  bool dark_gray_bold_ = false;  // colour 8 is not available: black, made bright with bold
  bool full_redraw_ = true;
  CellBuffer shown_;  // the last frame put into the screen, to skip unchanged cells
};

}  // namespace pnt
