#include "format/multi.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace pnt {
namespace {

// "PNTM" read as one little-endian u32.
constexpr std::uint32_t MULTI_MAGIC = 0x4D54'4E50;
constexpr std::uint8_t MULTI_VERSION = 1;
constexpr std::size_t MULTI_HEADER_SIZE = 9;

}  // namespace

Result<MultiTable> parse_multi(Bytes blob) {
  ByteReader reader(blob);
  const std::optional<std::uint32_t> magic = reader.u32_le();
  const std::optional<std::uint8_t> version = reader.u8();
  const std::optional<std::uint32_t> count = reader.u32_le();
  // All three reads succeed only when the cursor moved the whole header, so a short header is
  // reported as such whatever its first bytes hold.
  if (!magic || !version || !count) {
    return fail("truncated multi header");
  }
  if (*magic != MULTI_MAGIC) {
    return fail("bad multi magic");
  }
  if (*version != MULTI_VERSION) {
    return fail("unsupported multi version " + std::to_string(*version));
  }

  MultiTable table;
  table.body = blob.subspan(reader.position());
  ByteReader lists(table.body);
  // Every list takes at least one byte, so a larger count cannot be honest; the walk below
  // fails for it, and reserving more would only waste memory.
  table.offsets.reserve(std::min<std::size_t>(*count, table.body.size()));
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::size_t off = lists.position();
    const std::optional<std::uint8_t> k = lists.u8();
    if (!k) {
      return fail("truncated multi entry header");
    }
    table.offsets.push_back(static_cast<std::uint32_t>(off));
    if (!lists.take(4 * std::size_t{*k})) {
      return fail("truncated multi entry body");
    }
  }
  return table;
}

Result<MultiList> multi_list(Bytes body, std::span<const std::uint32_t> offsets,
                             std::uint32_t index) {
  if (index >= offsets.size()) {
    return fail("multi index " + std::to_string(index) + " out of range");
  }
  const std::size_t off = offsets[index];
  if (off >= body.size()) {
    return fail("truncated multi entry");
  }
  const std::size_t k = body[off];
  if (body.size() - off - 1 < 4 * k) {
    return fail("truncated multi ids");
  }
  return MultiList{body.subspan(off + 1, 4 * k)};
}

Result<std::vector<EntryId>> multi_ids(Bytes body, std::span<const std::uint32_t> offsets,
                                       std::uint32_t index) {
  Result<MultiList> list = multi_list(body, offsets, index);
  if (!list) {
    return fail(std::move(list.error()));
  }
  std::vector<EntryId> ids;
  ids.reserve(list->size());
  for (std::size_t j = 0; j < list->size(); ++j) {
    ids.push_back((*list)[j]);
  }
  return ids;
}

Result<std::vector<std::uint8_t>> write_multi(std::span<const std::vector<EntryId>> lists) {
  if (lists.size() > std::numeric_limits<std::uint32_t>::max()) {
    return fail("too many lists: " + std::to_string(lists.size()));
  }
  std::size_t size = MULTI_HEADER_SIZE;
  for (const std::vector<EntryId>& list : lists) {
    if (list.size() > std::numeric_limits<std::uint8_t>::max()) {
      return fail("list of " + std::to_string(list.size()) + " ids is too long");
    }
    size += 1 + 4 * list.size();
  }
  std::vector<std::uint8_t> out;
  out.reserve(size);
  append_uint_le(out, MULTI_MAGIC, 4);
  out.push_back(MULTI_VERSION);
  append_uint_le(out, lists.size(), 4);
  for (const std::vector<EntryId>& list : lists) {
    out.push_back(static_cast<std::uint8_t>(list.size()));
    for (const EntryId id : list) {
      append_uint_le(out, id, 4);
    }
  }
  return out;
}

}  // namespace pnt
