// Automata that drive a map's search stream (Map::search): the stream walks the map depth first
// and follows a transition only while the automaton can still accept a key through it.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace pnt::fst {

/// A byte automaton. States are handles the automaton gives out. The stream steps only from
/// states on its current path, so stepping from a state may reuse whatever the automaton keeps
/// for the states made after it (the edit-distance automaton keeps one band per depth).
class Automaton {
 public:
  using State = std::uint32_t;

  virtual ~Automaton() = default;
  [[nodiscard]] virtual State start() = 0;
  /// True when the bytes that led to `state` form an accepted key.
  [[nodiscard]] virtual bool is_match(State state) const = 0;
  /// False once no continuation from `state` can be accepted: the stream prunes there.
  [[nodiscard]] virtual bool can_match(State state) const = 0;
  [[nodiscard]] virtual State accept(State state, std::uint8_t byte) = 0;
};

/// True when key character `key` stands for query character `query` under folding: the same
/// character, or a query's a, o, A, O read as ä, ö, Ä, Ö, and a read as å.
[[nodiscard]] bool folds_to(char32_t query, char32_t key);

/// Keys equal to the query under folding (`Whole`), or starting with it (`Prefix`).
class FoldedAutomaton final : public Automaton {
 public:
  enum class Mode { Whole, Prefix };
  FoldedAutomaton(std::string_view query, Mode mode) : query_(query), mode_(mode) {}

  [[nodiscard]] State start() override { return 0; }
  [[nodiscard]] bool is_match(State state) const override;
  [[nodiscard]] bool can_match(State state) const override { return state != DEAD; }
  [[nodiscard]] State accept(State state, std::uint8_t byte) override;

 private:
  // A state is twice the query bytes matched, plus one while inside a dotted letter's two bytes.
  static constexpr State DEAD = 0xFFFFFFFF;
  std::string_view query_;
  Mode mode_;
};

/// Keys within `max_distance` edits of the query, counted over code points: insertion,
/// deletion, substitution and the transposition of two neighbours cost one each, a folding
/// substitution (folds_to) nothing. Each byte step computes one row of the edit table from its
/// parent's, only the band around the diagonal that can stay within the distance; keys that are
/// not UTF-8 are never accepted, a query of more than MAX_QUERY code points matches nothing and
/// a distance above MAX_DISTANCE counts as MAX_DISTANCE.
class EditDistanceAutomaton final : public Automaton {
 public:
  static constexpr std::size_t MAX_QUERY = 64;
  static constexpr unsigned MAX_DISTANCE = 3;

  EditDistanceAutomaton(std::string_view query, unsigned max_distance);

  [[nodiscard]] State start() override { return 0; }
  [[nodiscard]] bool is_match(State state) const override;
  [[nodiscard]] bool can_match(State state) const override { return slots_[state].alive; }
  [[nodiscard]] State accept(State state, std::uint8_t byte) override;

  /// The key's distance from the query at a matching state.
  [[nodiscard]] unsigned distance(State state) const;

  /// Lowers the distance for the rest of a walk (never raises it): from here on the states
  /// accept and keep alive only what a walk begun with `max_distance` would.
  void narrow(unsigned max_distance);

 private:
  // Byte k (from the low end) of a band is the edit table's entry for query position
  // chars - max_distance + k; positions outside the query, and bytes past the band, hold the cap.
  using Band = std::uint64_t;
  // What each depth of the walk keeps: its band, the one before its last code point (for
  // transpositions) and, once asked, the band every code point that matches no query position
  // gives after it.
  struct Slot {
    Band band = 0;
    Band before = 0;
    Band unmatched = 0;
    std::uint64_t last_mask = 0;  // query positions that the key's last code point matches
    char32_t partial = 0;         // bits of a code point still missing `pending` bytes
    std::uint32_t chars = 0;      // the key's whole code points so far
    std::uint8_t pending = 0;
    bool alive = true;  // some entry of the band is within the limit
    bool unmatched_known = false;
    bool unmatched_alive = false;
  };
  [[nodiscard]] std::uint64_t mask_of(char32_t c) const;
  // The band after a code point matching the query positions in `mask`; false when it is dead.
  inline bool step(const Slot& from, std::uint64_t mask, Band& out) const;
  [[nodiscard]] Band caps() const { return BYTES * cap_; }
  static constexpr Band BYTES = 0x0101010101010101;
  Slot& slot_after(State state);

  std::uint32_t length_ = 0;  // the query's code points
  std::uint64_t ascii_masks_[128] = {};
  std::vector<std::pair<char32_t, std::uint64_t>> wide_masks_;  // the query's other letters
  std::uint8_t distance_;
  std::uint8_t limit_;           // distances accepted: at most distance_
  std::uint8_t cap_;             // distance_ + 1: entries never go above it
  std::uint8_t width_;           // 2 * distance_ + 1 entries of each band are used
  std::size_t slot_count_ = 64;  // slots_.size(), kept apart: the step checks it each time
  std::vector<Slot> slots_;
};

}  // namespace pnt::fst
