// The inflection multi table: lists of EntryIds for forms that belong to several headwords.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"

namespace pnt {

/// Position of a headword among the keys of the headword index, in key order.
using EntryId = std::uint32_t;

/// Set in an inflection target value when the low 31 bits name a list, not an EntryId.
inline constexpr std::uint32_t MULTI_FLAG = 0x8000'0000;

struct MultiTable {
  std::vector<std::uint32_t> offsets;  ///< offset of each list's count byte in `body`
  Bytes body;                          ///< the blob from offset 9 to its end
};

/// Validates the header and walks the body once. Errors: "truncated multi header",
/// "bad multi magic", "unsupported multi version {}", "truncated multi entry header",
/// "truncated multi entry body".
[[nodiscard]] Result<MultiTable> parse_multi(Bytes blob);

/// One list of the table, read in place.
struct MultiList {
  Bytes ids;  ///< the list's EntryIds, 4 bytes each, little-endian
  [[nodiscard]] std::size_t size() const { return ids.size() / 4; }
  /// The id at position `i`, which must be below size().
  [[nodiscard]] EntryId operator[](std::size_t i) const {
    return static_cast<EntryId>(read_uint_le(ids, 4 * i, 4).value_or(0));
  }
};

/// Locates list `index` without copying it; the errors are those of multi_ids.
[[nodiscard]] Result<MultiList> multi_list(Bytes body, std::span<const std::uint32_t> offsets,
                                           std::uint32_t index);

/// Reads list `index`. Errors: "multi index {} out of range", "truncated multi entry",
/// "truncated multi ids".
[[nodiscard]] Result<std::vector<EntryId>> multi_ids(Bytes body,
                                                     std::span<const std::uint32_t> offsets,
                                                     std::uint32_t index);

/// A whole inflections-multi.bin holding `lists` in order. Fails when a list holds more than
/// 255 ids.
[[nodiscard]] Result<std::vector<std::uint8_t>> write_multi(
    std::span<const std::vector<EntryId>> lists);

}  // namespace pnt
