// Reading dictd dictionaries: the index of (key, offset, length) lines and the entry texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace pnt::lexicon {

/// One line of a dictd index. The key is the index's normalised form, not the headword.
struct IndexLine {
  std::string key;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

/// One translation of an entry with the definition line that follows it (may be empty).
struct Sense {
  std::string translation;
  std::string definition;
};

/// An entry as it stands in the dictionary: headword from its first line, the POS tag
/// between angle brackets (empty when the line has none) and its senses in order.
struct RawEntry {
  std::string headword;
  std::string pos_tag;
  std::vector<Sense> senses;
};

/// Decodes a dictd base64 number (A-Z a-z 0-9 + /, most significant digit first).
[[nodiscard]] std::optional<std::uint64_t> decode_dictd_number(std::string_view digits);

/// Parses the whole index text; skips the "00database" keys. Fails on a malformed line.
[[nodiscard]] Result<std::vector<IndexLine>> parse_index(std::string_view text);

/// Parses one entry text (headword line, then translation/definition line pairs).
/// Fails on an empty text or an empty headword.
[[nodiscard]] Result<RawEntry> parse_entry(std::string_view text);

/// Parses every entry the index points at, once per distinct offset, in index order.
/// Fails when an index range lies outside `dict`.
[[nodiscard]] Result<std::vector<RawEntry>> parse_dictionary(std::string_view index_text,
                                                             std::string_view dict);

}  // namespace pnt::lexicon
