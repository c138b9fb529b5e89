// Automata that drive a map's search stream (Map::search): the stream walks the map depth first
// and follows a transition only while the automaton can still accept a key through it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace pnt::fst {

/// A byte automaton. States are handles the automaton gives out. The stream steps only from
/// states on its current path, so stepping from a state may reuse whatever the automaton keeps
/// for the states made after it (the edit-distance automaton keeps one row per depth).
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
/// parent's; keys that are not UTF-8 are never accepted, and a query of more than
/// MAX_QUERY code points matches nothing.
class EditDistanceAutomaton final : public Automaton {
 public:
  static constexpr std::size_t MAX_QUERY = 64;

  EditDistanceAutomaton(std::string_view query, unsigned max_distance);

  [[nodiscard]] State start() override { return 0; }
  [[nodiscard]] bool is_match(State state) const override;
  [[nodiscard]] bool can_match(State state) const override;
  [[nodiscard]] State accept(State state, std::uint8_t byte) override;

  /// The key's distance from the query at a matching state.
  [[nodiscard]] unsigned distance(State state) const;

 private:
  // What each depth of the walk keeps besides its row of the edit table.
  struct Slot {
    std::uint64_t last_mask = 0;  // query positions that the key's last code point matches
    std::uint64_t written = 0;    // when the slot was last written, for the cache below
    char32_t partial = 0;         // bits of a code point still missing `pending` bytes
    State before_last = 0;        // the slot whose row precedes the last code point
    std::uint32_t chars = 0;      // the key's whole code points so far
    std::uint8_t pending = 0;
    std::uint8_t least = 0;  // the row's smallest entry
    bool dead = false;
  };
  [[nodiscard]] const std::uint8_t* row(State state) const {
    return rows_.data() + static_cast<std::size_t>(state) * width_;
  }
  [[nodiscard]] std::uint64_t mask_of(char32_t c) const;
  void step_row(State from, State to, std::uint64_t mask);

  std::vector<char32_t> query_;
  std::uint64_t ascii_masks_[128] = {};
  std::uint8_t cap_;  // max_distance + 1: entries never go above it
  std::size_t width_;
  std::vector<std::uint8_t> rows_;
  std::vector<Slot> slots_;
  std::uint64_t writes_ = 0;
  // Every code point that matches no query position gives the same row from one slot: whether
  // it dies there is kept for the slot's other transitions.
  State unmatched_from_ = 0;
  std::uint64_t unmatched_written_ = UINT64_MAX;
  bool unmatched_dead_ = false;
};

}  // namespace pnt::fst
