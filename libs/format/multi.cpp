#include "format/multi.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>

namespace pnt {
namespace {

// "PNTM" read as one little-endian u32.
constexpr std::uint32_t MULTI_MAGIC = 0x4D54'4E50;
constexpr std::uint8_t MULTI_VERSION = 1;
constexpr std::size_t MULTI_HEADER_SIZE = 9;

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
  }
}

}  // namespace

Result<MultiTable> parse_multi(Bytes blob) {
  if (blob.size() < MULTI_HEADER_SIZE) {
    return fail("truncated multi header");
  }
  if (read_uint_le(blob, 0, 4) != MULTI_MAGIC) {
    return fail("bad multi magic");
  }
  if (blob[4] != MULTI_VERSION) {
    return fail("unsupported multi version " + std::to_string(blob[4]));
  }
  const std::uint64_t count = read_uint_le(blob, 5, 4).value_or(0);

  MultiTable table;
  table.body = blob.subspan(MULTI_HEADER_SIZE);
  const std::size_t body_len = table.body.size();
  // Every list takes at least one byte, so a larger count cannot be honest; the walk below
  // fails for it, and reserving more would only waste memory.
  table.offsets.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, body_len)));
  std::size_t off = 0;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (off >= body_len) {
      return fail("truncated multi entry header");
    }
    table.offsets.push_back(static_cast<std::uint32_t>(off));
    off += 1 + 4 * static_cast<std::size_t>(table.body[off]);
    if (off > body_len) {
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
  put_u32(out, MULTI_MAGIC);
  out.push_back(MULTI_VERSION);
  put_u32(out, static_cast<std::uint32_t>(lists.size()));
  for (const std::vector<EntryId>& list : lists) {
    out.push_back(static_cast<std::uint8_t>(list.size()));
    for (const EntryId id : list) {
      put_u32(out, id);
    }
  }
  return out;
}

}  // namespace pnt
