// From an English word or phrase to the Finnish headwords that translate it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"
#include "core/morphology.h"
#include "format/multi.h"
#include "fstmap/map.h"

namespace pnt {

/// The English index: lower-cased English words and phrases, each leading to Finnish headwords
/// by a target value encoded like the inflection index's, with its own multi table. The
/// headword strings come from the Morphology's table, which the English ids index too.
class EnglishIndex {
 public:
  /// An index without keys: every search finds nothing.
  EnglishIndex() = default;

  /// Opens english.fst ("invalid english.fst: FST error") and walks its multi table once
  /// (context "parsing english-multi.bin").
  [[nodiscard]] static Result<EnglishIndex> open(Bytes english_fst, Bytes english_multi);

  [[nodiscard]] std::uint64_t key_count() const { return index_ ? index_->len() : 0; }
  /// The index's map; none for the empty index.
  [[nodiscard]] const fst::Map* map() const { return index_ ? &*index_ : nullptr; }
  /// The headwords of a key's value, in stored order; empty when it cannot be resolved.
  [[nodiscard]] std::vector<std::string_view> resolve(std::uint64_t value,
                                                      const Morphology& morphology) const;

  /// The headwords of an exact key, in stored order; empty when the key is unknown or cannot
  /// be resolved.
  [[nodiscard]] std::vector<std::string_view> headwords(std::string_view key,
                                                        const Morphology& morphology) const;

  /// Keys that begin with `prefix` (byte prefix, as given), in byte order, each with its
  /// headwords in stored order; keys that are not UTF-8 or do not resolve to any headword are
  /// skipped. Stops once the pairs hold `limit` headwords in all; empty for an empty prefix.
  [[nodiscard]] std::vector<std::pair<std::string, std::vector<std::string_view>>> search(
      std::string_view prefix, const Morphology& morphology, std::size_t limit) const;

 private:
  EnglishIndex(fst::Map index, MultiTable multi) : index_(index), multi_(std::move(multi)) {}

  std::optional<fst::Map> index_;  // none: the empty index
  MultiTable multi_;
};

}  // namespace pnt
