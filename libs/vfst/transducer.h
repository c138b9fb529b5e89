// voikko's unweighted transducer format (.vfst), read in place from a byte view.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"

namespace pnt::vfst {

/// One arc: input and output symbol indexes and the target state (a cell index).
struct Arc {
  std::uint16_t in = 0;
  std::uint16_t out = 0;
  std::uint32_t target = 0;
};

/// A flag diacritic on the input side, "@P.F.V@" and friends.
struct FlagOp {
  char op = 0;                ///< 'P', 'N', 'C', 'U', 'R', 'D'; 0 for no flag
  std::uint16_t feature = 0;  ///< interned feature name
  std::uint16_t value = 0;    ///< interned value; 0 when the flag names none
};

/// The arcs of one state, decoded from the bytes on demand.
class ArcList {
 public:
  ArcList() = default;
  /// `head` is the state's own cell when that is an arc (not the final mark); the other arcs
  /// are the `count` cells from `first`.
  ArcList(Bytes cells, std::optional<std::size_t> head, std::size_t first, std::size_t count,
          std::uint16_t symbols)
      : cells_(cells), head_(head), first_(first), count_(count), symbols_(symbols) {}

  [[nodiscard]] std::size_t size() const { return count_ + (head_ ? 1 : 0); }
  /// Arc `i` (below size()); nothing when its symbols or target lie outside the file.
  [[nodiscard]] std::optional<Arc> at(std::size_t i) const;

 private:
  Bytes cells_;
  std::optional<std::size_t> head_;
  std::size_t first_ = 0;
  std::size_t count_ = 0;
  std::uint16_t symbols_ = 0;
};

/// A .vfst file: 16-byte header, symbol table, 8-byte transition cells. A state is the index of
/// its first cell; its arcs are the head cell (unless that is the final mark) and the cells
/// after it. Opening reads the header and the symbol table only; the cells stay in the view,
/// which must outlive the Transducer.
class Transducer {
 public:
  /// Checks the magic, the weight flag, the symbol table and that the cells are whole.
  /// Errors: "not a voikko transducer (bad magic)", "truncated transducer header",
  /// "weighted transducers are not supported", "truncated symbol table",
  /// "transition table is not a whole number of cells", "transition table size out of range".
  [[nodiscard]] static Result<Transducer> open(Bytes bytes);

  [[nodiscard]] const std::vector<std::string_view>& symbols() const { return symbols_; }
  [[nodiscard]] const std::vector<FlagOp>& flags() const { return flags_; }
  [[nodiscard]] std::size_t feature_count() const { return feature_names_.size(); }
  /// The interned ids of a flag feature and value; nothing when the file never names them.
  [[nodiscard]] std::optional<std::pair<std::uint16_t, std::uint16_t>> flag_ids(
      std::string_view feature, std::string_view value) const;
  /// The input symbol that is exactly `letter` (one character); nothing when there is none.
  [[nodiscard]] std::optional<std::uint16_t> letter_symbol(std::string_view letter) const;

  /// A state whose cells run past the file is not final and has no arcs.
  [[nodiscard]] bool is_final(std::uint32_t state) const;
  [[nodiscard]] ArcList arcs(std::uint32_t state) const;
  [[nodiscard]] std::size_t cell_count() const { return cells_.size() / 8; }

 private:
  Bytes cells_;
  std::vector<std::string_view> symbols_;
  std::vector<FlagOp> flags_;
  std::vector<std::string_view> feature_names_;                      // by id
  std::vector<std::string_view> value_names_;                        // by id (0: none)
  std::vector<std::pair<std::string_view, std::uint16_t>> letters_;  // sorted by letter
};

/// The values of every flag feature along one path; apply() is voikko's flag semantics.
class FlagState {
 public:
  explicit FlagState(std::size_t features) : values_(features, 0) {}
  /// Sets a feature's value before a walk, as a P flag would.
  void preset(std::uint16_t feature, std::uint16_t value) { values_[feature] = value; }
  /// Applies a flag; false when it blocks the path. `undo` receives the value to restore.
  [[nodiscard]] bool apply(const FlagOp& flag, std::uint16_t& undo);
  void restore(const FlagOp& flag, std::uint16_t undo) { values_[flag.feature] = undo; }

 private:
  std::vector<std::uint16_t> values_;
};

struct LookupOptions {
  std::size_t max_results = 64;     ///< outputs collected at most
  std::size_t max_arcs = 256;       ///< arcs of one path (epsilon cycles end here)
  std::size_t max_steps = 200'000;  ///< arcs tried in all; a damaged file stops here
};

/// Every distinct output of the paths that read exactly `word` (its characters must be input
/// symbols), flag diacritics honoured, in the order the file lists the arcs; at most max_results.
/// Empty when the word has a character the transducer does not know.
[[nodiscard]] std::vector<std::string> lookup(const Transducer& t, std::string_view word,
                                              const LookupOptions& options = {});

}  // namespace pnt::vfst
