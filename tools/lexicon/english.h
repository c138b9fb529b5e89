// The English index: lower-cased English words and short phrases leading to the Finnish
// headwords that translate them, best first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "format/multi.h"
#include "lexicon/dictd.h"
#include "lexicon/merge.h"

namespace pnt::lexicon {

/// A meaning of a Finnish entry with more words than this (once cleaned) gives no key.
inline constexpr std::size_t MAX_KEY_WORDS = 4;

/// The key an English text is found under: parenthesised hints removed, a leading "to "
/// removed when `verb`, blanks collapsed, lower-cased. Empty when nothing is left or the text
/// is not UTF-8.
[[nodiscard]] std::string english_key(std::string_view text, bool verb);

/// One key with its headword ids in ranking order, each id once.
struct EnglishKey {
  std::string key;
  std::vector<EntryId> ids;
  bool operator==(const EnglishKey&) const = default;
};

/// Ranks, per key: the Finnish translations of the eng-fin entries with that headword (those
/// that fin-eng confirms by having the key as the entry's own meaning first, then those that
/// translate more of the senses, then by first sense and entry order), then entries whose own
/// fin-eng meaning is the key, then entries that reach it only through inverted meanings (both
/// by the meaning's place in its entry, then id). `entries` are the merged headwords in byte
/// order, so an entry's position is its id; eng-fin terms map to headwords as the Merger filed
/// them. Keys come out in byte order. Call it on the merger's output, before other meanings are
/// added to the entries.
[[nodiscard]] std::vector<EnglishKey> build_english_index(std::span<const RawEntry> eng_fin,
                                                          std::span<const MergedEntry> entries);

/// english.fst and english-multi.bin with the counts for the manifest.
struct EnglishFiles {
  std::vector<std::uint8_t> fst;
  std::vector<std::uint8_t> multi;
  std::uint64_t keys = 0;             ///< keys of english.fst
  std::uint64_t list_targets = 0;     ///< keys whose value names a list
  std::uint64_t lists = 0;            ///< lists stored (equal lists are stored once)
  std::uint64_t truncated_lists = 0;  ///< lists cut to 255 ids
};

/// Encodes the index like the inflected-form index, lists in ranking order. Fails when the
/// keys are not strictly increasing.
[[nodiscard]] Result<EnglishFiles> write_english_files(std::span<const EnglishKey> index);

}  // namespace pnt::lexicon
