#include "fstmap/automaton.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

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
    : distance_(static_cast<std::uint8_t>(std::min(max_distance, MAX_DISTANCE))),
      limit_(distance_),
      cap_(static_cast<std::uint8_t>(distance_ + 1)),
      width_(static_cast<std::uint8_t>(2 * distance_ + 1)),
      slots_(slot_count_) {
  std::vector<char32_t> letters;
  for (std::size_t pos = 0; pos < query.size();) {
    letters.push_back(decode_utf8(query, pos));
  }
  Slot& first = slots_[0];
  first.band = caps();
  if (letters.size() > MAX_QUERY) {
    first.alive = false;
    return;
  }
  length_ = static_cast<std::uint32_t>(letters.size());
  for (std::size_t i = 0; i < letters.size(); ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    const char32_t c = letters[i];
    if (c < 128) {
      ascii_masks_[c] |= bit;
      continue;
    }
    const auto known = std::find_if(wide_masks_.begin(), wide_masks_.end(),
                                    [c](const auto& entry) { return entry.first == c; });
    if (known != wide_masks_.end()) {
      known->second |= bit;
    } else {
      wide_masks_.emplace_back(c, bit);
    }
  }
  // Before any key character the entry for query position i is i.
  for (std::uint32_t i = 0; i <= std::min<std::uint32_t>(length_, distance_); ++i) {
    const unsigned shift = 8 * (distance_ + i);
    first.band = (first.band & ~(Band{0xFF} << shift)) | (Band{i} << shift);
  }
}

std::uint64_t EditDistanceAutomaton::mask_of(char32_t c) const {
  std::uint64_t mask = 0;
  for (const auto& [letter, letter_mask] : wide_masks_) {
    if (letter == c) {
      mask = letter_mask;
    }
  }
  // The query letters that fold to `c`; folds_to lists the same pairs.
  switch (c) {
    case U'ä':
    case U'å':
      return mask | ascii_masks_[U'a'];
    case U'ö':
      return mask | ascii_masks_[U'o'];
    case U'Ä':
      return mask | ascii_masks_[U'A'];
    case U'Ö':
      return mask | ascii_masks_[U'O'];
    default:
      return mask;
  }
}

bool EditDistanceAutomaton::is_match(State state) const {
  const Slot& slot = slots_[state];
  return slot.alive && slot.pending == 0 && distance(state) <= limit_;
}

void EditDistanceAutomaton::narrow(unsigned max_distance) {
  limit_ = static_cast<std::uint8_t>(std::min<unsigned>(limit_, max_distance));
  for (Slot& slot : slots_) {
    slot.unmatched_known = false;  // kept alive under the old distance
  }
}

unsigned EditDistanceAutomaton::distance(State state) const {
  const Slot& slot = slots_[state];
  const std::int64_t k = std::int64_t{length_} + distance_ - slot.chars;
  return k < 0 || k >= width_ ? cap_ : (slot.band >> (8 * k)) & 0xFFU;
}

EditDistanceAutomaton::Slot& EditDistanceAutomaton::slot_after(State state) {
  if (state + 1 >= slot_count_) {
    slot_count_ *= 2;
    slots_.resize(slot_count_);
  }
  Slot& next = slots_[state + 1];
  next.unmatched_known = false;
  return next;
}

namespace {

constexpr std::uint64_t HIGH_BITS = 0x8080808080808080;

// The smaller of each pair of bytes, for bytes below 0x80: the high bit of (a | 0x80) - b is set
// where a is not below b, and no byte borrows from the next.
std::uint64_t bytes_min(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t take_b = ((((a | HIGH_BITS) - b) & HIGH_BITS) >> 7) * 0xFF;
  return (a & ~take_b) | (b & take_b);
}

// Bit k of the index as byte k of the value (0 or 1), for the 7 entries a band can have.
constexpr std::array<std::uint64_t, 128> SPREAD = [] {
  std::array<std::uint64_t, 128> table{};
  for (std::size_t bits = 0; bits < table.size(); ++bits) {
    for (unsigned k = 0; k < 7; ++k) {
      table[bits] |= static_cast<std::uint64_t>((bits >> k) & 1U) << (8 * k);
    }
  }
  return table;
}();

}  // namespace

inline bool EditDistanceAutomaton::step(const Slot& from, std::uint64_t mask, Band& out) const {
  // Bit k of a window is query position chars - distance + k: what entry k compares with.
  const std::int64_t base = std::int64_t{from.chars} - distance_;
  const auto window = [base](std::uint64_t bits) {
    return base >= 64 ? 0 : base >= 0 ? bits >> base : bits << -base;
  };
  const std::uint64_t same = window(mask);
  // Transposition: the new character matches the position before, the last one this one.
  const std::uint64_t swapped = window((mask << 1) & from.last_mask);
  const std::int64_t last = std::int64_t{length_} - base - 1;
  const Band caps = this->caps();
  const Band ones = BYTES;
  // Deletion from entry k + 1 of the band before (past the band: the cap), substitution from
  // entry k, transposition from entry k of the band before the last code point.
  const Band deleted = ((from.band >> 8) | (caps << 56)) + ones;
  const Band substituted = from.band + (SPREAD[same & 0x7FU] ^ ones);
  const Band take = SPREAD[swapped & 0x7FU] * 0xFF;
  const Band transposed = ((from.before + ones) & take) | (caps & ~take);
  Band band = bytes_min(bytes_min(deleted, substituted), transposed);
  // Insertion: entry k reaches entry k + s at cost s, for s = 1 to 3 in two doublings. Only
  // s below the cap can give an entry under it, and the cap is at most 4.
  static_assert(MAX_DISTANCE <= 3);
  band = bytes_min(band, ((band << 8) | (caps & 0xFF)) + ones);
  band = bytes_min(band, ((band << 16) | (caps & 0xFFFF)) + 2 * ones);
  // No entry is above the cap by more than one: those come down by one.
  band -= ((band + (0x7F - cap_) * ones) & HIGH_BITS) >> 7;
  const std::int64_t used = std::min<std::int64_t>(last, width_ - 1) + 1;
  const Band keep = used <= 0 ? 0 : (Band{1} << (8 * used)) - 1;
  out = (band & keep) | (caps & ~keep);
  // Alive while some byte is within the limit: subtracting one more borrows from its high bit.
  return (((out | HIGH_BITS) - BYTES * (limit_ + 1U)) & HIGH_BITS) != HIGH_BITS;
}

Automaton::State EditDistanceAutomaton::accept(State state, std::uint8_t byte) {
  const State to = state + 1;
  Slot& next = slot_after(state);
  Slot& from = slots_[state];
  if (!from.alive) {
    next.alive = false;
    return to;
  }
  // Gathers the code point byte by byte; only a whole one moves the edit table on.
  std::uint64_t mask = 0;
  if (from.pending == 0) {
    if (byte >= 0x80) {
      const std::size_t length = utf8_sequence_length(byte);
      if (length < 2) {
        next.alive = false;
        return to;
      }
      next = from;
      next.unmatched_known = false;
      next.pending = static_cast<std::uint8_t>(length - 1);
      next.partial = byte & (0x7FU >> length);
      return to;
    }
    mask = ascii_masks_[byte];
  } else {
    if ((byte & 0xC0U) != 0x80) {
      next.alive = false;
      return to;
    }
    const char32_t c = (from.partial << 6) | (byte & 0x3FU);
    if (from.pending > 1) {
      next = from;
      next.unmatched_known = false;
      next.partial = c;
      next.pending = static_cast<std::uint8_t>(from.pending - 1);
      return to;
    }
    mask = mask_of(c);
  }
  // Every code point that matches no query position gives the same band from one slot.
  if (mask == 0 && from.unmatched_known) {
    next.alive = from.unmatched_alive;
    next.band = from.unmatched;
  } else {
    next.alive = step(from, mask, next.band);
    if (mask == 0) {
      from.unmatched_known = true;
      from.unmatched_alive = next.alive;
      from.unmatched = next.band;
    }
  }
  next.before = from.band;
  next.last_mask = mask;
  next.chars = from.chars + 1;
  next.pending = 0;
  next.partial = 0;
  return to;
}

// The band of the restricted edit distance after a key character: `same` and `swapped` hold,
// for each entry, whether the character matches its query position and whether it and the one
// before it match the last two positions the other way round; entries past `last` lie beyond
// the query. Entries further than the distance from the diagonal can only be above it, so the
// cap stands for them at the band's edges. Unrolled over the band's width; false when dead.
}  // namespace pnt::fst
