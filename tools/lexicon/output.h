// Writing the data files: the gloss store and the indexes that lead to headwords.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "lexicon/forms.h"
#include "lexicon/merge.h"

namespace pnt::fst {
class ByteSink;
}

namespace pnt::lexicon {

/// glosses.bin and glosses.fst: record i belongs to headword i (entries in byte order).
struct GlossFiles {
  std::vector<std::uint8_t> bin;
  std::vector<std::uint8_t> fst;
  std::uint64_t meanings = 0;
};

/// Encodes the records back to back and indexes them by headword. Fails when the entries are
/// not strictly increasing or a record does not fit its fields.
[[nodiscard]] Result<GlossFiles> build_gloss_files(std::span<const MergedEntry> entries,
                                                   int zstd_level = 19);

struct InflectionStats {
  std::uint64_t forms = 0;            ///< keys of inflections.fst
  std::uint64_t list_targets = 0;     ///< keys whose value names a list
  std::uint64_t lists = 0;            ///< lists stored (equal lists are stored once)
  std::uint64_t truncated_lists = 0;  ///< lists cut to 255 ids
};

/// Receives one key of an index and its headword ids in the order they are to be stored.
using KeyVisitor = std::function<void(std::string_view key, std::span<const EntryId> ids)>;

/// Calls the visitor once per key, keys in strictly increasing byte order.
using KeySource = std::function<void(const KeyVisitor&)>;

/// File names and the word for a key, for the error contexts of write_target_index.
struct IndexNames {
  std::string_view fst;
  std::string_view multi;
  std::string_view key;
};

/// The encoding shared by the indexes that lead from a key to headwords: a key with one id
/// maps to that id, a longer list to MULTI_FLAG | its index in the multi table (cut to 255 ids,
/// equal lists stored once, ids in the given order). Streams the map to `sink` and returns the
/// table in `multi`; `forms` counts the keys.
[[nodiscard]] Result<InflectionStats> write_target_index(const KeySource& keys, fst::ByteSink& sink,
                                                         const IndexNames& names,
                                                         std::vector<std::uint8_t>& multi);

/// Streams inflections.fst to `fst` and returns inflections-multi.bin in `multi`.
/// `pairs` must be sorted and unique (FormPairs::sort_unique).
[[nodiscard]] Result<InflectionStats> write_inflection_files(const FormPairs& pairs, std::FILE* fst,
                                                             std::vector<std::uint8_t>& multi);

}  // namespace pnt::lexicon
