// Read-only access to maps in the fst format (versions 1 to 3), used in place over a byte view.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"

namespace pnt::fst {

class Automaton;
class Stream;
class SearchStream;

/// An opened map. It refers to the bytes it was opened over, which must outlive it.
/// A damaged map never makes a read leave its bytes and never makes a stream loop forever;
/// it may yield wrong keys or end a stream early.
class Map {
 public:
  /// Checks only the structure: at least 36 bytes, version 1 to 3, and a root address other
  /// than 0 unless the file is the 36-byte map of the empty key. The checksum is not verified
  /// and the map type is ignored. The error's message reads "FST error".
  [[nodiscard]] static Result<Map> open(Bytes bytes);

  /// The value stored under `key`, or nothing.
  [[nodiscard]] std::optional<std::uint64_t> get(Bytes key) const;
  [[nodiscard]] std::optional<std::uint64_t> get(std::string_view key) const {
    return get(as_bytes(key));
  }

  /// Number of keys, from the footer.
  [[nodiscard]] std::uint64_t len() const { return len_; }

  /// All keys with their values in byte order.
  [[nodiscard]] Stream stream() const;
  /// The keys that start with `prefix` (the prefix itself included) in byte order.
  [[nodiscard]] Stream prefix(Bytes prefix) const;
  [[nodiscard]] Stream prefix(std::string_view prefix) const;
  /// The keys `automaton` accepts, in byte order, decoding no more than `max_visits` nodes
  /// (the stream then ends and says so). The automaton must outlive the stream.
  [[nodiscard]] SearchStream search(Automaton& automaton,
                                    std::uint64_t max_visits = UINT64_MAX) const;

  [[nodiscard]] std::uint64_t version() const { return version_; }
  [[nodiscard]] Bytes bytes() const { return bytes_; }

  /// Recomputes the checksum of a version-3 map and compares it with the stored one.
  [[nodiscard]] Result<void> verify() const;

 private:
  friend class Stream;
  friend class SearchStream;
  /// A decoded node; its layout is the reader's own business.
  struct Node;

  Map(Bytes bytes, std::uint64_t version, std::uint64_t len, std::uint64_t root,
      std::uint64_t area_end)
      : bytes_(bytes), version_(version), len_(len), root_(root), area_end_(area_end) {}

  /// Decodes the node whose state byte is at `address` (0 is the empty final node); false when
  /// any of its bytes would lie outside the node area.
  [[nodiscard]] bool decode(std::uint64_t address, Node& node) const;
  /// Transition `i` (below `node.count`) of a decoded node; false when its target does not lie
  /// strictly below the node (or is not 0), which only a damaged map has.
  [[nodiscard]] bool transition(const Node& node, std::uint32_t i, std::uint8_t& input,
                                std::uint64_t& output, std::uint64_t& target) const;
  /// The transition for input byte `byte`; false when there is none.
  [[nodiscard]] bool find(const Node& node, std::uint8_t byte, std::uint64_t& output,
                          std::uint64_t& target) const;

  Bytes bytes_;
  std::uint64_t version_ = 0;
  std::uint64_t len_ = 0;
  std::uint64_t root_ = 0;
  std::uint64_t area_end_ = 0;  // end of the node area (start of the footer)
};

/// A lazy ordered stream of (key, value) pairs. `next()` advances; `key()` and `value()` then
/// describe the current pair. The key view stays valid until the next call of `next()`.
/// A stream allocates nothing per key beyond its one reusable key buffer and its stack, and
/// never yields more pairs than the map's `len()`, which bounds the walk over a damaged map; it
/// also ends at the first node whose subtree held no key, which a sound map never has.
class Stream {
 public:
  /// Moves to the next pair; false at the end (also when the map turns out to be damaged).
  [[nodiscard]] bool next();

  [[nodiscard]] Bytes key() const { return {key_.data(), key_len_}; }
  [[nodiscard]] std::string_view key_text() const { return as_text(key()); }
  [[nodiscard]] std::uint64_t value() const { return value_; }

 private:
  friend class Map;
  // A node with any number of transitions on the walk's path. Nodes with exactly one
  // transition get no frame: the walk follows them straight away, and the key length kept in
  // the frame below undoes their bytes on the way back.
  struct Frame {
    std::uint64_t first = 0;    // the node's lowest byte; deltas count from here
    std::uint64_t inputs = 0;   // transition 0's input byte
    std::uint64_t deltas = 0;   // end of the delta array
    std::uint64_t outputs = 0;  // end of the output array
    std::uint64_t acc = 0;      // sum of outputs on the way to this node
    std::size_t key_len = 0;    // key length at this node
    std::uint64_t left = 0;     // the stream's pairs still allowed when the node was reached
    std::uint32_t count = 0;    // number of transitions
    std::uint32_t next = 0;     // index of the next transition to follow
    std::uint8_t delta_width = 0;
    std::uint8_t output_width = 0;
  };

  Stream(const Map& map, Bytes prefix);
  /// Walks down from `address` (reached with the key as it stands and output sum `acc`)
  /// through one-transition nodes to a node that is final or branches; true when a pair is
  /// ready, false when the walk has to go on from the frames (done_ is set on damage).
  bool descend(std::uint64_t address, std::uint64_t acc);

  Map map_;
  std::vector<Frame> stack_;  // the walk's path; only the first depth_ frames are live
  std::size_t depth_ = 0;
  std::vector<std::uint8_t> key_;  // the current key is its first key_len_ bytes
  std::size_t key_len_ = 0;
  std::uint64_t value_ = 0;
  std::uint64_t left_ = 0;                // pairs still allowed: a damaged map cannot exceed len()
  std::optional<std::uint64_t> pending_;  // a value to emit before walking (the start node's)
  bool done_ = false;
};

/// A stream over the keys an automaton accepts: a depth-first walk that leaves every branch
/// whose automaton state can no longer match. Bounded like Stream over a damaged map (no more
/// pairs than len(), targets strictly below their node), and by its visit budget.
class SearchStream {
 public:
  /// Moves to the next accepted pair; false at the end, on damage or when the budget is spent.
  [[nodiscard]] bool next();

  [[nodiscard]] Bytes key() const { return {key_.data(), key_len_}; }
  [[nodiscard]] std::string_view key_text() const { return as_text(key()); }
  [[nodiscard]] std::uint64_t value() const { return value_; }
  /// The automaton's state at the current key; valid until the next call of `next()`.
  [[nodiscard]] std::uint32_t state() const { return state_; }
  /// Nodes decoded so far.
  [[nodiscard]] std::uint64_t visits() const { return visits_; }
  /// True when the walk stopped because the visit budget was spent.
  [[nodiscard]] bool exhausted() const { return exhausted_; }
  /// Once the budget is spent: lets the walk go on from where it stopped, decoding up to
  /// `max_visits` more nodes (the automaton may have changed in between, as long as the states
  /// on the walk's path stay valid); false when the walk had not stopped for its budget.
  bool resume(std::uint64_t max_visits);

 private:
  friend class Map;
  // A node on the walk's path with its transitions as decode() laid them out.
  struct Frame {
    std::uint64_t first = 0;
    std::uint64_t inputs = 0;
    std::uint64_t deltas = 0;
    std::uint64_t outputs = 0;
    std::uint64_t acc = 0;  // sum of outputs on the way to this node
    std::uint64_t one_output = 0;
    std::uint64_t one_target = 0;
    std::size_t key_len = 0;
    std::uint32_t state = 0;  // the automaton's state at this node
    std::uint32_t count = 0;
    std::uint32_t next = 0;
    std::uint8_t delta_width = 0;
    std::uint8_t output_width = 0;
    std::uint8_t one_input = 0;
    bool is_one = false;
  };

  SearchStream(const Map& map, Automaton& automaton, std::uint64_t max_visits);
  /// Decodes the node at `address`, reached with the key as it stands, and pushes its frame;
  /// true when it is final and the automaton accepts there (value_ is then set).
  bool enter(std::uint64_t address, std::uint64_t acc, std::uint32_t state);

  Map map_;
  Automaton* automaton_;
  std::vector<Frame> stack_;
  std::vector<std::uint8_t> key_;
  std::size_t key_len_ = 0;
  std::uint64_t value_ = 0;
  std::uint32_t state_ = 0;
  std::uint64_t left_ = 0;
  std::uint64_t visits_ = 0;
  std::uint64_t max_visits_ = 0;
  // The node whose visit the budget refused, entered first when the walk resumes.
  std::uint64_t refused_address_ = 0;
  std::uint64_t refused_acc_ = 0;
  std::size_t refused_key_len_ = 0;
  std::uint32_t refused_state_ = 0;
  bool pending_ = false;  // the root's own pair waits for the first next()
  bool done_ = false;
  bool exhausted_ = false;
  bool resumed_ = false;  // the refused node waits for the next next()
};

/// Masked CRC-32C as the fst format stores it.
[[nodiscard]] std::uint32_t masked_crc32c(Bytes bytes);
/// Plain CRC-32C (Castagnoli), incremental: pass the previous result as `crc` (0 to start).
[[nodiscard]] std::uint32_t crc32c_update(std::uint32_t crc, Bytes bytes);
/// The masking transform applied to a finished CRC-32C.
[[nodiscard]] std::uint32_t mask_crc(std::uint32_t crc);

}  // namespace pnt::fst
