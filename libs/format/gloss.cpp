#include "format/gloss.h"

#include <zstd.h>

#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/utf8.h"
#include "format/gloss_internal.h"

namespace pnt {
namespace {

using detail::GLOSS_MAGIC;
using detail::GLOSS_VERSION;

[[nodiscard]] std::unexpected<Error> truncated_header() { return fail("truncated header"); }

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

Result<void> decompress_record_area(const GlossHeader& header, std::span<std::uint8_t> out) {
  const std::string context = "decompressing glosses.bin";
  if (out.size() != header.raw_size) {
    return fail(Error("buffer of " + std::to_string(out.size()) + " bytes for " +
                      std::to_string(header.raw_size))
                    .context(context));
  }
  std::size_t got = 0;
  {
    const std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)> ctx(ZSTD_createDCtx(),
                                                                   &ZSTD_freeDCtx);
    if (!ctx) {
      return fail(Error("zstd: cannot create a decompression context").context(context));
    }
    got = ZSTD_decompressDCtx(ctx.get(), out.data(), out.size(), header.frame.data(),
                              header.frame.size());
  }
  if (ZSTD_isError(got) != 0U) {
    return fail(Error(std::string("zstd: ") + ZSTD_getErrorName(got)).context(context));
  }
  if (got != header.raw_size) {
    return fail("plain size mismatch: expected " + std::to_string(header.raw_size) + ", got " +
                std::to_string(got));
  }
  return {};
}

Result<Entry> decode_entry(Bytes record, std::span<const std::string_view> pos_names) {
  ByteReader reader(record);
  const std::optional<std::uint8_t> group_count = reader.u8();
  if (!group_count) {
    return fail("empty buffer");
  }
  Entry entry;
  entry.groups.reserve(*group_count);
  for (unsigned g = 0; g < *group_count; ++g) {
    const std::optional<Bytes> head = reader.take(2);
    if (!head) {
      return fail("truncated record");
    }
    const unsigned idx = (*head)[0];
    const unsigned meaning_count = (*head)[1];
    if (idx >= pos_names.size()) {
      return fail("pos_idx " + std::to_string(idx) + " out of range");
    }
    PosGroup group;
    group.meanings.reserve(meaning_count);
    for (unsigned m = 0; m < meaning_count; ++m) {
      const std::optional<std::uint16_t> length = reader.u16_le();
      if (!length) {
        return fail("truncated meaning length");
      }
      const std::optional<Bytes> bytes = reader.take(*length);
      if (!bytes) {
        return fail("truncated meaning bytes");
      }
      Result<std::string_view> text = check_utf8(*bytes);
      if (!text) {
        return fail("bad utf8 in meaning", std::move(text.error()));
      }
      group.meanings.emplace_back(*text);
    }
    group.pos = std::string(pos_names[idx]);
    entry.groups.push_back(std::move(group));
  }
  return entry;
}

}  // namespace pnt
