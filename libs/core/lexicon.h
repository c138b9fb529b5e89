// The loaded dictionary: headword index plus gloss store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"
#include "format/gloss.h"
#include "fstmap/map.h"

namespace pnt {

/// The decompressed record area and the POS names; read-only after loading.
class GlossStore {
 public:
  /// Parses the header, decompresses the frame in one shot into a buffer of the header's raw
  /// size and checks the size. Errors carry the contexts "parsing glosses.bin header" and
  /// "decompressing glosses.bin", or read "plain size mismatch: expected {}, got {}".
  [[nodiscard]] static Result<GlossStore> load(Bytes blob);

  /// Decodes the record at `offset`; nothing when the offset lies past the record area or the
  /// record does not decode.
  [[nodiscard]] std::optional<Entry> entry_at(EntryOffset offset) const;

  [[nodiscard]] const std::vector<std::string>& pos_names() const { return pos_names_; }
  [[nodiscard]] Bytes payload() const { return {payload_.get(), payload_size_}; }

  GlossStore(GlossStore&&) noexcept = default;
  GlossStore& operator=(GlossStore&&) noexcept = default;
  ~GlossStore() = default;

 private:
  GlossStore() = default;

  std::vector<std::string> pos_names_;
  std::vector<std::string_view> pos_views_;  // views of pos_names_, for decode_entry
  // Not a vector: the record area is written once by the decompressor, so zero-filling it
  // first would only cost time.
  std::unique_ptr<std::uint8_t[]> payload_;
  std::size_t payload_size_ = 0;
};

/// Headword index (used in place) and gloss store.
class Lexicon {
 public:
  /// Opens glosses.fst ("invalid fst: FST error" on a damaged map), then loads glosses.bin.
  [[nodiscard]] static Result<Lexicon> open(Bytes glosses_fst, Bytes glosses_bin);

  /// Exact, byte-wise lookup of a headword's entry; nothing when absent or undecodable.
  [[nodiscard]] std::optional<Entry> entry(std::string_view headword) const;

  /// Whether `word` is a headword, byte for byte (no record is decoded).
  [[nodiscard]] bool has_headword(std::string_view word) const {
    return index_.get(word).has_value();
  }

  [[nodiscard]] std::uint64_t headword_count() const { return index_.len(); }
  /// Headwords starting with `prefix`, in byte order, with their EntryOffsets as values.
  [[nodiscard]] fst::Stream prefix_stream(std::string_view prefix) const {
    return index_.prefix(prefix);
  }
  /// All headwords in key order.
  [[nodiscard]] fst::Stream stream() const { return index_.stream(); }

  [[nodiscard]] const fst::Map& index() const { return index_; }

 private:
  Lexicon(fst::Map index, GlossStore store) : index_(index), store_(std::move(store)) {}

  fst::Map index_;
  GlossStore store_;
};

}  // namespace pnt
