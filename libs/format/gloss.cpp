#include "format/gloss.h"

#include <zstd.h>

#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/utf8.h"

namespace pnt {
namespace {

// "PNTB" read as one little-endian u32.
constexpr std::uint32_t GLOSS_MAGIC = 0x4254'4E50;
constexpr std::uint8_t GLOSS_VERSION = 1;

[[nodiscard]] std::unexpected<Error> truncated_header() { return fail("truncated header"); }

void put_u16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
  }
}

struct CCtxDeleter {
  void operator()(ZSTD_CCtx* ctx) const { ZSTD_freeCCtx(ctx); }
};

}  // namespace

Result<GlossHeader> parse_gloss_header(Bytes blob) {
  ByteReader reader(blob);
  GlossHeader header;

  const std::optional<std::uint32_t> magic = reader.u32_le();
  if (!magic) {
    return truncated_header();
  }
  if (*magic != GLOSS_MAGIC) {
    return fail("bad magic");
  }
  const std::optional<std::uint8_t> version = reader.u8();
  if (!version) {
    return truncated_header();
  }
  if (*version != GLOSS_VERSION) {
    return fail("unsupported version " + std::to_string(*version));
  }
  const std::optional<std::uint8_t> count = reader.u8();
  if (!count) {
    return truncated_header();
  }
  header.pos_names.reserve(*count);
  for (unsigned i = 0; i < *count; ++i) {
    const std::optional<std::uint8_t> length = reader.u8();
    if (!length) {
      return truncated_header();
    }
    const std::optional<Bytes> name = reader.take(*length);
    if (!name) {
      return truncated_header();
    }
    Result<std::string_view> text = check_utf8(*name);
    if (!text) {
      return fail("bad utf8 in pos table", std::move(text.error()));
    }
    header.pos_names.push_back(*text);
  }
  const std::optional<std::uint32_t> raw_size = reader.u32_le();
  if (!raw_size) {
    return truncated_header();
  }
  const std::optional<std::uint32_t> compressed_size = reader.u32_le();
  if (!compressed_size) {
    return truncated_header();
  }
  const std::optional<Bytes> frame = reader.take(*compressed_size);
  if (!frame) {
    return truncated_header();
  }
  header.raw_size = *raw_size;
  header.frame = *frame;
  return header;
}

Result<Entry> decode_entry(Bytes record, std::span<const std::string_view> pos_names) {
  const std::size_t len = record.size();
  if (len == 0) {
    return fail("empty buffer");
  }
  const unsigned group_count = record[0];
  std::size_t pos = 1;
  Entry entry;
  entry.groups.reserve(group_count);
  for (unsigned g = 0; g < group_count; ++g) {
    if (len - pos < 2) {
      return fail("truncated record");
    }
    const unsigned idx = record[pos];
    const unsigned meaning_count = record[pos + 1];
    pos += 2;
    if (idx >= pos_names.size()) {
      return fail("pos_idx " + std::to_string(idx) + " out of range");
    }
    PosGroup group;
    group.meanings.reserve(meaning_count);
    for (unsigned m = 0; m < meaning_count; ++m) {
      const std::optional<std::uint64_t> length = read_uint_le(record, pos, 2);
      if (!length) {
        return fail("truncated meaning length");
      }
      pos += 2;
      if (len - pos < *length) {
        return fail("truncated meaning bytes");
      }
      Result<std::string_view> text = check_utf8(record.subspan(pos, *length));
      if (!text) {
        return fail("bad utf8 in meaning", std::move(text.error()));
      }
      group.meanings.emplace_back(*text);
      pos += *length;
    }
    group.pos = std::string(pos_names[idx]);
    entry.groups.push_back(std::move(group));
  }
  return entry;
}

Result<void> encode_entry(std::span<const RecordGroup> groups, std::vector<std::uint8_t>& out) {
  if (groups.size() > std::numeric_limits<std::uint8_t>::max()) {
    return fail("too many groups: " + std::to_string(groups.size()));
  }
  for (const RecordGroup& group : groups) {
    if (group.meanings.size() > std::numeric_limits<std::uint8_t>::max()) {
      return fail("too many meanings: " + std::to_string(group.meanings.size()));
    }
    for (const std::string& meaning : group.meanings) {
      if (meaning.size() > std::numeric_limits<std::uint16_t>::max()) {
        return fail("meaning too long: " + std::to_string(meaning.size()) + " bytes");
      }
    }
  }
  // Checked before writing so that a failure leaves `out` as it was.
  out.push_back(static_cast<std::uint8_t>(groups.size()));
  for (const RecordGroup& group : groups) {
    out.push_back(group.pos_idx);
    out.push_back(static_cast<std::uint8_t>(group.meanings.size()));
    for (const std::string& meaning : group.meanings) {
      put_u16(out, static_cast<std::uint16_t>(meaning.size()));
      out.insert(out.end(), meaning.begin(), meaning.end());
    }
  }
  return {};
}

Result<std::vector<std::uint8_t>> write_glosses_bin(std::span<const std::string> pos_names,
                                                    Bytes record_area, int zstd_level) {
  if (pos_names.size() > std::numeric_limits<std::uint8_t>::max()) {
    return fail("too many pos names: " + std::to_string(pos_names.size()));
  }
  if (record_area.size() > std::numeric_limits<std::uint32_t>::max()) {
    return fail("record area too large: " + std::to_string(record_area.size()) + " bytes");
  }
  std::vector<std::uint8_t> out;
  put_u32(out, GLOSS_MAGIC);
  out.push_back(GLOSS_VERSION);
  out.push_back(static_cast<std::uint8_t>(pos_names.size()));
  for (const std::string& name : pos_names) {
    if (name.size() > std::numeric_limits<std::uint8_t>::max()) {
      return fail("pos name too long: " + name);
    }
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
  }
  put_u32(out, static_cast<std::uint32_t>(record_area.size()));

  std::unique_ptr<ZSTD_CCtx, CCtxDeleter> ctx(ZSTD_createCCtx());
  if (!ctx) {
    return fail("zstd: cannot create a compression context");
  }
  const auto set = [&](ZSTD_cParameter param, int value) -> Result<void> {
    const std::size_t rc = ZSTD_CCtx_setParameter(ctx.get(), param, value);
    if (ZSTD_isError(rc) != 0U) {
      return fail(std::string("zstd: ") + ZSTD_getErrorName(rc));
    }
    return {};
  };
  for (const auto& [param, value] : {std::pair{ZSTD_c_compressionLevel, zstd_level},
                                     std::pair{ZSTD_c_contentSizeFlag, 1},
                                     std::pair{ZSTD_c_checksumFlag, 0}}) {
    if (Result<void> r = set(param, value); !r) {
      return fail(std::move(r.error()));
    }
  }
  std::vector<std::uint8_t> frame(ZSTD_compressBound(record_area.size()));
  const std::size_t written = ZSTD_compress2(ctx.get(), frame.data(), frame.size(),
                                             record_area.data(), record_area.size());
  if (ZSTD_isError(written) != 0U) {
    return fail(std::string("zstd: ") + ZSTD_getErrorName(written));
  }
  if (written > std::numeric_limits<std::uint32_t>::max()) {
    return fail("compressed record area too large");
  }
  put_u32(out, static_cast<std::uint32_t>(written));
  out.insert(out.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(written));
  return out;
}

}  // namespace pnt
