// The gloss store blob: header with the part-of-speech table, and the entry records.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"

namespace pnt {

/// Byte offset of an entry record in the decompressed record area.
using EntryOffset = std::uint32_t;

/// The parsed header of glosses.bin; borrows from the blob.
struct GlossHeader {
  std::vector<std::string_view> pos_names;
  Bytes frame;  ///< exactly the compressed-size bytes of the zstd frame
  std::uint32_t raw_size = 0;
};

struct PosGroup {
  std::string pos;
  std::vector<std::string> meanings;
  friend bool operator==(const PosGroup&, const PosGroup&) = default;
};

/// A decoded entry: its part-of-speech groups in record order. Owns all its strings.
struct Entry {
  std::vector<PosGroup> groups;
  friend bool operator==(const Entry&, const Entry&) = default;
};

/// Reads the header of glosses.bin; does not decompress. Errors: "truncated header",
/// "bad magic", "unsupported version {}", "bad utf8 in pos table" (cause: the UTF-8 error).
[[nodiscard]] Result<GlossHeader> parse_gloss_header(Bytes blob);

/// Decompresses the header's frame into `out`, which must hold exactly `header.raw_size` bytes
/// (the caller allocates, so that it decides how an absurd size fails). Errors carry the context
/// "decompressing glosses.bin" (cause: "zstd: {}" or "buffer of {} bytes for {}"), or read
/// "plain size mismatch: expected {}, got {}".
[[nodiscard]] Result<void> decompress_record_area(const GlossHeader& header,
                                                  std::span<std::uint8_t> out);

/// Decodes the record at the start of `record` (which may run on past it). Errors:
/// "empty buffer", "truncated record", "pos_idx {} out of range", "truncated meaning length",
/// "truncated meaning bytes", "bad utf8 in meaning" (cause: the UTF-8 error).
[[nodiscard]] Result<Entry> decode_entry(Bytes record, std::span<const std::string_view> pos_names);

// --- Writers, for the lexicon compiler and tests -------------------------------------------

/// One group of a record as it is stored: an index into the POS table and the meanings.
struct RecordGroup {
  std::uint8_t pos_idx = 0;
  std::vector<std::string> meanings;
};

/// Appends the encoded record to `out`. Fails when a count or a length does not fit its field.
[[nodiscard]] Result<void> encode_entry(std::span<const RecordGroup> groups,
                                        std::vector<std::uint8_t>& out);

/// A whole glosses.bin: header, POS table and the record area compressed as one zstd frame
/// (content size declared, no checksum).
[[nodiscard]] Result<std::vector<std::uint8_t>> write_glosses_bin(
    std::span<const std::string> pos_names, Bytes record_area, int zstd_level = 19);

}  // namespace pnt
