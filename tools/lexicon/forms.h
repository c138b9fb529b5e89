// The (form, headword) pairs of the inflection index, kept compactly for tens of millions.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "format/multi.h"

namespace pnt::lexicon {

/// All form strings live in one arena; each pair is a fixed-size record pointing into it.
class FormPairs {
 public:
  void add(std::string_view form, EntryId id);

  [[nodiscard]] std::size_t size() const { return records_.size(); }
  [[nodiscard]] std::size_t arena_bytes() const { return arena_.size(); }
  [[nodiscard]] std::string_view form(std::size_t i) const {
    const Record& r = records_[i];
    return std::string_view(arena_).substr(r.offset, r.length);
  }
  [[nodiscard]] EntryId id(std::size_t i) const { return records_[i].id; }

  /// Sorts by form bytes, then id, and drops repeated pairs; the arena is compacted so that
  /// the result does not depend on the order of insertion.
  void sort_unique();

  /// Calls `f(form, ids)` for every distinct form in byte order, ids ascending (after
  /// sort_unique()).
  template <class F>
  void for_each_form(F&& f) const {
    std::vector<EntryId> ids;
    std::size_t i = 0;
    while (i < records_.size()) {
      std::string_view text = form(i);
      ids.clear();
      std::size_t j = i;
      while (j < records_.size() && form(j) == text) {
        ids.push_back(records_[j].id);
        ++j;
      }
      f(text, std::span<const EntryId>(ids));
      i = j;
    }
  }

 private:
  struct Record {
    std::uint64_t prefix;  // first 8 bytes, big-endian, zero-padded: most comparisons end here
    std::uint64_t offset;
    EntryId id;
    std::uint32_t length;
  };
  std::string arena_;
  std::vector<Record> records_;
};

}  // namespace pnt::lexicon
