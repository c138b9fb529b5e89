// The one word wrap: places the words of a text on lines of a given width beside a hanging
// indent, for the documents and for the entry pane's items alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string_view>

#include "base/utf8.h"
#include "core/text.h"

namespace pnt {

/// What happens to a word wider than the room beside the indent.
enum class LongWord {
  Cut,       ///< cut into pieces that fill the room, each on a line of its own
  Overflow,  ///< kept whole on its own line, running past the width
};

/// Where a word (or a piece of a cut word) goes relative to what came before it.
enum class Gap {
  None,   ///< first on the first line
  Space,  ///< on the same line, after one space
  Break,  ///< first on a new line, after the indent
};

struct WrapRule {
  std::size_t indent = 0;  ///< columns of the hanging indent; the first line starts there too
  std::size_t width = 0;   ///< columns of a line; with Cut it must exceed `indent`
  LongWord long_word = LongWord::Cut;
  /// Column sums saturate here, so a width at the cap never breaks before an oversized word.
  std::size_t max_col = std::numeric_limits<std::size_t>::max();
};

/// Calls `place(token, piece, col, gap)` for each word of `text` (split at runs of Unicode
/// White_Space) in order, with the column the piece starts at; with LongWord::Cut a word can
/// come as several pieces, all but the first after a Gap::Break.
template <class Place>
void wrap_words(std::string_view text, const WrapRule& rule, Place&& place) {
  std::size_t col = rule.indent;
  for (const Token& token : split_spans(text)) {
    std::string_view word = token.text;
    std::size_t ww = char_count(word);
    Gap gap = Gap::None;
    if (col > rule.indent) {
      if (std::min(col + 1 + ww, rule.max_col) <= rule.width) {
        place(token, word, col + 1, Gap::Space);
        col += 1 + ww;
        continue;
      }
      gap = Gap::Break;
      col = rule.indent;
    }
    if (rule.long_word == LongWord::Cut) {
      while (col + ww > rule.width) {
        const std::size_t piece = prefix_bytes(word, rule.width - rule.indent);
        place(token, word.substr(0, piece), col, gap);
        gap = Gap::Break;
        word.remove_prefix(piece);
        ww = char_count(word);
      }
    }
    place(token, word, col, gap);
    col += ww;
  }
}

}  // namespace pnt
