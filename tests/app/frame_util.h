// Helpers for golden-frame tests: text pictures of frames (the View over the fixture lexicon
// comes from tests/support/fixture.h).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "app/cell_buffer.h"
#include "app/render.h"
#include "app/screen_map.h"
#include "base/utf8.h"
#include "core/view.h"
#include "tests/support/fixture.h"

namespace pnt::testing {

/// A message as text ("SelectMatch 3"), for comparing; "none" for no message.
inline std::string describe(const std::optional<Message>& message) {
  if (!message) {
    return "none";
  }
  static constexpr std::array<std::string_view, 19> NAMES{
      "InsertChar",  "Backspace",       "MoveSelection",    "ScrollEntry",   "Enter",
      "ToggleFocus", "SetFocus",        "ToggleFullscreen", "SelectMatch",   "SelectInflection",
      "SetQuery",    "ToggleDocuments", "CloseDocuments",   "ToggleEnglish", "ToggleTable",
      "HistoryBack", "HistoryForward",  "ClearQuery",       "DeleteWord"};
  static_assert(NAMES.size() == std::variant_size_v<Message>);
  std::string out(NAMES[message->index()]);
  std::visit(
      [&out](const auto& m) {
        using T = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<T, InsertChar>) {
          out += ' ';
          append_utf8(out, m.c);
        } else if constexpr (std::is_same_v<T, MoveSelection> || std::is_same_v<T, ScrollEntry>) {
          out += ' ' + std::to_string(m.delta);
        } else if constexpr (std::is_same_v<T, SetFocus>) {
          out += m.inflections ? " true" : " false";
        } else if constexpr (std::is_same_v<T, SelectMatch> ||
                             std::is_same_v<T, SelectInflection>) {
          out += ' ' + std::to_string(m.index);
        } else if constexpr (std::is_same_v<T, SetQuery>) {
          out += ' ' + m.query;
        }
      },
      *message);
  return out;
}

/// The frame's rows as text, trailing blanks included.
inline std::vector<std::string> rows_of(const CellBuffer& frame) {
  std::vector<std::string> rows;
  for (std::uint16_t y = 0; y < frame.height(); ++y) {
    rows.push_back(frame.row_text(y));
  }
  return rows;
}

/// One letter per cell for the colour: '.' default, 'c' Cyan, 'g' DarkGray, 'y' Yellow, 'r' Red.
inline std::vector<std::string> colours_of(const CellBuffer& frame) {
  std::vector<std::string> rows;
  for (std::uint16_t y = 0; y < frame.height(); ++y) {
    std::string row;
    for (std::uint16_t x = 0; x < frame.width(); ++x) {
      row.push_back(".cgyr"[static_cast<int>(frame.at(x, y).style.fg)]);
    }
    rows.push_back(row);
  }
  return rows;
}

/// One letter per cell for the attributes: '.' none, 'b' bold, 'd' dim, 'u' underlined,
/// 'r' reversed, '+' several.
inline std::vector<std::string> attrs_of(const CellBuffer& frame) {
  std::vector<std::string> rows;
  for (std::uint16_t y = 0; y < frame.height(); ++y) {
    std::string row;
    for (std::uint16_t x = 0; x < frame.width(); ++x) {
      switch (frame.at(x, y).style.attrs) {
        case 0:
          row.push_back('.');
          break;
        case ATTR_BOLD:
          row.push_back('b');
          break;
        case ATTR_DIM:
          row.push_back('d');
          break;
        case ATTR_UNDERLINED:
          row.push_back('u');
          break;
        case ATTR_REVERSED:
          row.push_back('r');
          break;
        default:
          row.push_back('+');
          break;
      }
    }
    rows.push_back(row);
  }
  return rows;
}

/// Draws the view into a fresh buffer of the given size.
inline CellBuffer render(View& view, ScreenMap& map, std::uint16_t width, std::uint16_t height) {
  CellBuffer frame(width, height);
  draw(view, frame, map);
  return frame;
}

}  // namespace pnt::testing
