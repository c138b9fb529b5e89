// Writers of glosses.bin, for the lexicon compiler and tests. Kept apart from the parsers so
// that the program itself never links the zstd compressor.
#include <zstd.h>

#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "format/gloss.h"
#include "format/gloss_internal.h"

namespace pnt {
namespace {

using detail::GLOSS_MAGIC;
using detail::GLOSS_VERSION;

struct CCtxDeleter {
  void operator()(ZSTD_CCtx* ctx) const { ZSTD_freeCCtx(ctx); }
};

}  // namespace

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
      append_uint_le(out, meaning.size(), 2);
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
  append_uint_le(out, GLOSS_MAGIC, 4);
  out.push_back(GLOSS_VERSION);
  out.push_back(static_cast<std::uint8_t>(pos_names.size()));
  for (const std::string& name : pos_names) {
    if (name.size() > std::numeric_limits<std::uint8_t>::max()) {
      return fail("pos name too long: " + name);
    }
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
  }
  append_uint_le(out, record_area.size(), 4);

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
  for (const auto& [param, value] :
       {std::pair{ZSTD_c_compressionLevel, zstd_level}, std::pair{ZSTD_c_contentSizeFlag, 1},
        std::pair{ZSTD_c_checksumFlag, 0}}) {
    if (Result<void> r = set(param, value); !r) {
      return fail(std::move(r.error()));
    }
  }
  std::vector<std::uint8_t> frame(ZSTD_compressBound(record_area.size()));
  const std::size_t written =
      ZSTD_compress2(ctx.get(), frame.data(), frame.size(), record_area.data(), record_area.size());
  if (ZSTD_isError(written) != 0U) {
    return fail(std::string("zstd: ") + ZSTD_getErrorName(written));
  }
  if (written > std::numeric_limits<std::uint32_t>::max()) {
    return fail("compressed record area too large");
  }
  append_uint_le(out, written, 4);
  out.insert(out.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(written));
  return out;
}

}  // namespace pnt
