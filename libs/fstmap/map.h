// Read-only access to maps in the fst format (versions 1 to 3), used in place over a byte view.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"

namespace pnt::fst {

class Stream;

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

  [[nodiscard]] std::uint64_t version() const { return version_; }
  [[nodiscard]] Bytes bytes() const { return bytes_; }

  /// Recomputes the checksum of a version-3 map and compares it with the stored one.
  [[nodiscard]] Result<void> verify() const;

 private:
  friend class Stream;
  Map(Bytes bytes, std::uint64_t version, std::uint64_t len, std::uint64_t root)
      : bytes_(bytes), version_(version), len_(len), root_(root) {}

  Bytes bytes_;
  std::uint64_t version_ = 0;
  std::uint64_t len_ = 0;
  std::uint64_t root_ = 0;
};

/// A lazy ordered stream of (key, value) pairs. `next()` advances; `key()` and `value()` then
/// describe the current pair. The key view stays valid until the next call of `next()`.
/// A stream allocates nothing per key beyond its one reusable key buffer and its stack.
class Stream {
 public:
  /// Moves to the next pair; false at the end (also when the map turns out to be damaged).
  [[nodiscard]] bool next();

  [[nodiscard]] Bytes key() const { return {key_.data(), key_.size()}; }
  [[nodiscard]] std::string_view key_text() const { return as_text(key()); }
  [[nodiscard]] std::uint64_t value() const { return value_; }

 private:
  friend class Map;
  struct Frame {
    std::uint64_t node = 0;     // address of the node's state byte
    std::uint32_t next = 0;     // index of the next transition to follow
    std::uint64_t acc = 0;      // sum of outputs on the way to this node
  };

  Stream(const Map& map, Bytes prefix);

  Bytes bytes_;
  std::uint64_t version_ = 0;
  std::vector<Frame> stack_;
  std::vector<std::uint8_t> key_;
  std::size_t prefix_len_ = 0;
  std::uint64_t value_ = 0;
  std::optional<std::uint64_t> pending_;  // a value to emit before walking (the start node's)
  bool done_ = false;
};

/// Masked CRC-32C as the fst format stores it.
[[nodiscard]] std::uint32_t masked_crc32c(Bytes bytes);
/// Plain CRC-32C (Castagnoli), incremental: pass the previous result as `crc` (0 to start).
[[nodiscard]] std::uint32_t crc32c_update(std::uint32_t crc, Bytes bytes);
/// The masking transform applied to a finished CRC-32C.
[[nodiscard]] std::uint32_t mask_crc(std::uint32_t crc);

}  // namespace pnt::fst
