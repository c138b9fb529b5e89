// The word-frequency table: one rank per headword, so that words typed without dots or with a
// typo are offered common words first.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"
#include "format/multi.h"

namespace pnt {

/// The blob: the magic "PNTFREQ1", the headword count as a u32, then one rank byte per EntryId.
/// A rank is 0 for a headword never counted, else 1 + round(8 * log2(count)), at most 255.
class FrequencyTable {
 public:
  FrequencyTable() = default;

  /// Errors: "truncated frequencies header", "bad frequencies magic",
  /// "frequencies count {} does not match {} rank bytes".
  [[nodiscard]] static Result<FrequencyTable> parse(Bytes blob);

  /// The headword's rank; 0 for an id the table does not hold.
  [[nodiscard]] std::uint8_t rank(EntryId id) const { return id < ranks_.size() ? ranks_[id] : 0; }
  [[nodiscard]] std::size_t size() const { return ranks_.size(); }

 private:
  explicit FrequencyTable(Bytes ranks) : ranks_(ranks) {}
  Bytes ranks_;
};

/// The rank of a headword counted `count` times.
[[nodiscard]] std::uint8_t frequency_rank(std::uint64_t count);

/// A whole blob for the counts of each EntryId in order.
[[nodiscard]] std::vector<std::uint8_t> write_frequencies(std::span<const std::uint64_t> counts);

}  // namespace pnt
