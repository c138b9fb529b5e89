#include "fstmap/automaton.h"

#include <algorithm>

#include "base/utf8.h"

namespace pnt::fst {
namespace {

// Every dotted letter the folding reads into a plain one is C3 and one more byte in UTF-8.
constexpr std::uint8_t DOTTED_LEAD = 0xC3;

// Whether `second` after DOTTED_LEAD is a letter the query byte `plain` folds to.
bool folds_second_byte(std::uint8_t plain, std::uint8_t second) {
  switch (plain) {
    case 'a':
      return second == 0xA4 || second == 0xA5;  // ä å
    case 'o':
      return second == 0xB6;  // ö
    case 'A':
      return second == 0x84;  // Ä
    case 'O':
      return second == 0x96;  // Ö
    default:
      return false;
  }
}

bool folds_at_all(std::uint8_t plain) {
  return plain == 'a' || plain == 'o' || plain == 'A' || plain == 'O';
}

}  // namespace

bool folds_to(char32_t query, char32_t key) {
  if (query == key) {
    return true;
  }
  switch (query) {
    case U'a':
      return key == U'ä' || key == U'å';
    case U'o':
      return key == U'ö';
    case U'A':
      return key == U'Ä';
    case U'O':
      return key == U'Ö';
    default:
      return false;
  }
}

bool FoldedAutomaton::is_match(State state) const {
  return state == query_.size() * 2 ||
         (mode_ == Mode::Prefix && state != DEAD && state % 2 == 0 && state / 2 >= query_.size());
}

Automaton::State FoldedAutomaton::accept(State state, std::uint8_t byte) {
  if (state == DEAD) {
    return DEAD;
  }
  const std::size_t pos = state / 2;
  if (pos >= query_.size()) {
    return mode_ == Mode::Prefix ? state : DEAD;  // past the query, a prefix takes anything
  }
  const auto plain = static_cast<std::uint8_t>(query_[pos]);
  if (state % 2 == 1) {
    return folds_second_byte(plain, byte) ? state + 1 : DEAD;
  }
  if (byte == plain) {
    return state + 2;
  }
  return byte == DOTTED_LEAD && folds_at_all(plain) ? state + 1 : DEAD;
}

EditDistanceAutomaton::EditDistanceAutomaton(std::string_view query, unsigned max_distance)
    : cap_(static_cast<std::uint8_t>(std::min(max_distance, 254U) + 1)) {
  for (std::size_t pos = 0; pos < query.size();) {
    query_.push_back(decode_utf8(query, pos));
  }
  const bool too_long = query_.size() > MAX_QUERY;
  if (too_long) {
    query_.clear();
  }
  for (char32_t c = 0; c < 128; ++c) {
    ascii_masks_[c] = mask_of(c);
  }
  width_ = query_.size() + 1;
  slots_.resize(32);
  rows_.resize(slots_.size() * width_);
  for (std::size_t i = 0; i < width_; ++i) {
    rows_[i] = static_cast<std::uint8_t>(std::min<std::size_t>(i, cap_));
  }
  slots_[0].dead = too_long;
}

std::uint64_t EditDistanceAutomaton::mask_of(char32_t c) const {
  std::uint64_t mask = 0;
  for (std::size_t i = 0; i < query_.size(); ++i) {
    mask |= static_cast<std::uint64_t>(folds_to(query_[i], c)) << i;
  }
  return mask;
}

bool EditDistanceAutomaton::is_match(State state) const {
  const Slot& slot = slots_[state];
  return !slot.dead && slot.pending == 0 && row(state)[width_ - 1] < cap_;
}

bool EditDistanceAutomaton::can_match(State state) const {
  const Slot& slot = slots_[state];
  return !slot.dead && slot.least < cap_;
}

unsigned EditDistanceAutomaton::distance(State state) const { return row(state)[width_ - 1]; }

Automaton::State EditDistanceAutomaton::accept(State state, std::uint8_t byte) {
  const State to = state + 1;
  if (to >= slots_.size()) {
    slots_.resize(slots_.size() * 2);
    rows_.resize(slots_.size() * width_);
  }
  const Slot& from = slots_[state];
  Slot& next = slots_[to];
  next.written = ++writes_;
  next.dead = from.dead;
  if (from.dead) {
    return to;
  }
  // Gathers the code point byte by byte; only a whole one moves the edit table on.
  char32_t c = 0;
  if (from.pending == 0) {
    if (byte < 0x80) {
      const std::uint64_t mask = ascii_masks_[byte];
      if (mask == 0 && unmatched_from_ == state && unmatched_written_ == from.written) {
        next.dead = unmatched_dead_;
        if (next.dead) {
          return to;
        }
      }
      step_row(state, to, mask);
      if (mask == 0) {
        unmatched_from_ = state;
        unmatched_written_ = slots_[state].written;
        unmatched_dead_ = slots_[to].least >= cap_;
      }
      return to;
    }
    const std::size_t length = utf8_sequence_length(byte);
    if (length < 2) {
      next.dead = true;
      return to;
    }
    next.last_mask = from.last_mask;
    next.before_last = from.before_last;
    next.chars = from.chars;
    next.least = from.least;
    next.pending = static_cast<std::uint8_t>(length - 1);
    next.partial = byte & (0x7FU >> length);
    std::copy_n(row(state), width_, rows_.data() + to * width_);
    return to;
  }
  if ((byte & 0xC0U) != 0x80) {
    next.dead = true;
    return to;
  }
  c = (from.partial << 6) | (byte & 0x3FU);
  if (from.pending > 1) {
    next.last_mask = from.last_mask;
    next.before_last = from.before_last;
    next.chars = from.chars;
    next.least = from.least;
    next.partial = c;
    next.pending = static_cast<std::uint8_t>(from.pending - 1);
    std::copy_n(row(state), width_, rows_.data() + to * width_);
    return to;
  }
  // The step from a partial slot reads the row it carries, which is its boundary's.
  step_row(state, to, mask_of(c));
  return to;
}

// One row of the restricted edit distance for a new key character matching the query
// positions in `mask`; `from` holds the row before it.
void EditDistanceAutomaton::step_row(State from, State to, std::uint64_t mask) {
  const Slot& previous = slots_[from];
  Slot& next = slots_[to];
  const std::uint8_t* above = row(from);
  const std::uint8_t* two_above = row(previous.before_last);
  // Transposition: the new character matches position i - 2 and the last one position i - 1.
  const std::uint64_t swapped = previous.chars == 0 ? 0 : (mask << 1) & previous.last_mask;
  std::uint8_t* out = rows_.data() + static_cast<std::size_t>(to) * width_;
  const auto cap = cap_;
  // An entry |i - j| away from the diagonal is at least that far, so only the band of width
  // 2 * max_distance + 1 around it can stay below the cap; the rest of the row is the cap.
  const std::size_t j = previous.chars + 1;
  const std::size_t reach = cap - 1U;
  const std::size_t low = j > reach ? j - reach : 0;
  const std::size_t high = std::min(width_ - 1, j + reach);
  std::fill(out, out + width_, cap);
  std::uint8_t least = cap;
  for (std::size_t i = low; i <= high; ++i) {
    if (i == 0) {
      out[0] = static_cast<std::uint8_t>(std::min<unsigned>(above[0] + 1U, cap));
      least = out[0];
      continue;
    }
    unsigned best = std::min<unsigned>(above[i], out[i - 1]) + 1U;
    best = std::min<unsigned>(best,
                              above[i - 1] + static_cast<unsigned>(((mask >> (i - 1)) & 1U) ^ 1U));
    if (i >= 2 && ((swapped >> (i - 1)) & 1U) != 0) {
      best = std::min<unsigned>(best, two_above[i - 2] + 1U);
    }
    out[i] = static_cast<std::uint8_t>(std::min<unsigned>(best, cap));
    least = std::min(least, out[i]);
  }
  next.least = least;
  next.last_mask = mask;
  next.before_last = from;
  next.chars = static_cast<std::uint32_t>(j);
  next.pending = 0;
  next.partial = 0;
}

}  // namespace pnt::fst
