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
  width_ = query_.size() + 1;
  grow(0);
  std::uint8_t* first = rows_.data();
  for (std::size_t i = 0; i < width_; ++i) {
    first[i] = static_cast<std::uint8_t>(std::min<std::size_t>(i, cap_));
  }
  slots_[0] = Slot{};
}

void EditDistanceAutomaton::grow(State slot) {
  if (slot < slots_.size()) {
    return;
  }
  const std::size_t size = std::max<std::size_t>(slot + 1, slots_.size() * 2 + 16);
  slots_.resize(size);
  rows_.resize(size * width_);
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
  grow(to);
  const Slot from = slots_[state];
  Slot& next = slots_[to];
  next = from;
  if (from.dead) {
    return to;
  }
  // Gathers the code point byte by byte; only a whole one moves the edit table on.
  char32_t c = 0;
  if (from.pending == 0) {
    const std::size_t length = utf8_sequence_length(byte);
    if (length == 0 || (byte & 0xC0U) == 0x80) {
      next.dead = true;
      return to;
    }
    if (length > 1) {
      next.pending = static_cast<std::uint8_t>(length - 1);
      next.partial = byte & (0x7FU >> length);
      std::copy_n(row(state), width_, rows_.data() + to * width_);
      return to;
    }
    c = byte;
  } else {
    if ((byte & 0xC0U) != 0x80) {
      next.dead = true;
      return to;
    }
    next.partial = (from.partial << 6) | (byte & 0x3FU);
    next.pending = static_cast<std::uint8_t>(from.pending - 1);
    if (next.pending != 0) {
      std::copy_n(row(state), width_, rows_.data() + to * width_);
      return to;
    }
    c = next.partial;
    next.partial = 0;
  }
  step_row(state, to, c);
  return to;
}

// One row of the restricted edit distance: `from` holds the row before the new key character
// `c` (the row of the slot that ended the previous character, copied along its bytes).
void EditDistanceAutomaton::step_row(State from, State to, char32_t c) {
  const Slot& previous = slots_[from];
  Slot& next = slots_[to];
  const std::uint8_t* above = row(from);
  const std::uint8_t* two_above = row(previous.before_last);
  const bool has_last = previous.last != 0;
  std::uint8_t* out = rows_.data() + static_cast<std::size_t>(to) * width_;
  const auto cap = cap_;
  out[0] = static_cast<std::uint8_t>(std::min<unsigned>(above[0] + 1U, cap));
  std::uint8_t least = out[0];
  for (std::size_t i = 1; i < width_; ++i) {
    const char32_t q = query_[i - 1];
    unsigned best = std::min<unsigned>(above[i], out[i - 1]) + 1U;
    best = std::min<unsigned>(best, above[i - 1] + (folds_to(q, c) ? 0U : 1U));
    if (has_last && i >= 2 && folds_to(q, previous.last) && folds_to(query_[i - 2], c)) {
      best = std::min<unsigned>(best, two_above[i - 2] + 1U);
    }
    out[i] = static_cast<std::uint8_t>(std::min<unsigned>(best, cap));
    least = std::min(least, out[i]);
  }
  next.least = least;
  next.last = c;
  next.before_last = from;
}

}  // namespace pnt::fst
