// From a Finnish word form to the headwords it can belong to.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/error.h"
#include "core/lexicon.h"
#include "format/frequency.h"
#include "format/multi.h"
#include "fstmap/map.h"

namespace pnt {

/// An index whose values are targets into the headword table, with its own multi table: the
/// inflection index and the English index.
struct TargetIndex {
  fst::Map index;
  MultiTable multi;
};

/// Opens the map `fst_bytes` ("invalid {fst_name}: FST error") and parses `multi_bytes`
/// (context "parsing {multi_name}").
[[nodiscard]] Result<TargetIndex> open_target_index(Bytes fst_bytes, std::string_view fst_name,
                                                    Bytes multi_bytes, std::string_view multi_name);

/// The inflection index, its multi table and the table of all headwords by EntryId.
/// Headword strings live in one arena; results are views into it, valid while the
/// Morphology lives (moving it keeps them valid).
class Morphology {
 public:
  /// Opens inflections.fst ("invalid inflections.fst: FST error"), parses the multi table
  /// (context "parsing inflections-multi.bin") and copies every headword of the lexicon
  /// ("non-utf8 word in glosses.fst", cause: the UTF-8 error).
  [[nodiscard]] static Result<Morphology> open(Bytes inflections_fst, Bytes inflections_multi,
                                               const Lexicon& lexicon);

  /// The headwords a target value names, in stored order. Errors: "base id {} out of range",
  /// "multi base id {} out of range" and those of multi_ids.
  [[nodiscard]] Result<std::vector<std::string_view>> resolve(std::uint32_t target) const {
    return resolve(target, multi_);
  }
  /// The same for a target value of another index over these headwords, whose lists live in
  /// `multi` (the English index).
  [[nodiscard]] Result<std::vector<std::string_view>> resolve(std::uint32_t target,
                                                              const MultiTable& multi) const;

  /// The headwords of an exact form; empty when the form is unknown or cannot be resolved.
  [[nodiscard]] std::vector<std::string_view> lemmas(std::string_view form) const;

  /// Whether `form` is a key of the inflected-form index, byte for byte (nothing is resolved).
  [[nodiscard]] bool has_form(std::string_view form) const { return index_.get(form).has_value(); }

  [[nodiscard]] std::uint64_t form_count() const { return index_.len(); }
  [[nodiscard]] const fst::Map& index() const { return index_; }
  /// Forms starting with `prefix`, in byte order, with their target values.
  [[nodiscard]] fst::Stream prefix_stream(std::string_view prefix) const {
    return index_.prefix(prefix);
  }

  [[nodiscard]] std::size_t headword_count() const { return headword_ends_.size(); }
  /// The headword with EntryId `id`; `id` must be below headword_count().
  [[nodiscard]] std::string_view headword(EntryId id) const;
  /// The EntryId of a headword (the table is in byte order); nothing for a word that is none.
  [[nodiscard]] std::optional<EntryId> entry_id(std::string_view word) const;

 private:
  Morphology(fst::Map index, MultiTable multi) : index_(index), multi_(std::move(multi)) {}

  fst::Map index_;
  MultiTable multi_;
  std::vector<char> arena_;                   // all headwords back to back
  std::vector<std::uint32_t> headword_ends_;  // end offset of headword i in arena_
};

/// How common `headword` is by `frequencies`: its rank; 0 without a table or for a word that is
/// no headword.
[[nodiscard]] std::uint8_t headword_rank(const Morphology& morphology,
                                         const FrequencyTable* frequencies,
                                         std::string_view headword);

}  // namespace pnt
