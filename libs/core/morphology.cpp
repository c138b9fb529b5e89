#include "core/morphology.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "base/utf8.h"

namespace pnt {

Result<TargetIndex> open_target_index(Bytes fst_bytes, std::string_view fst_name, Bytes multi_bytes,
                                      std::string_view multi_name) {
  Result<fst::Map> index = fst::Map::open(fst_bytes);
  if (!index) {
    return fail("invalid " + std::string(fst_name) + ": " + index.error().message());
  }
  Result<MultiTable> multi = parse_multi(multi_bytes);
  if (!multi) {
    return fail(std::move(multi.error()).context("parsing " + std::string(multi_name)));
  }
  multi->offsets.shrink_to_fit();
  return TargetIndex{*index, std::move(*multi)};
}

Result<Morphology> Morphology::open(Bytes inflections_fst, Bytes inflections_multi,
                                    const Lexicon& lexicon) {
  Result<TargetIndex> opened = open_target_index(inflections_fst, "inflections.fst",
                                                 inflections_multi, "inflections-multi.bin");
  if (!opened) {
    return fail(std::move(opened.error()));
  }
  Morphology morphology(opened->index, std::move(opened->multi));
  // The footer's key count comes from the data, and a damaged one must not reserve gigabytes:
  // the reservation is capped by the map's size (a rough bound, as shared suffixes let a map
  // hold more keys than bytes), and the tables still grow if they have to.
  const std::uint64_t expected =
      std::min<std::uint64_t>(lexicon.headword_count(), lexicon.index().bytes().size());
  morphology.headword_ends_.reserve(static_cast<std::size_t>(expected));
  // About a dozen bytes per headword in a real lexicon; the arena grows if needed.
  morphology.arena_.reserve(static_cast<std::size_t>(expected) * 12);

  // Keys are copied as they come and checked as UTF-8 all at once afterwards: the arena is
  // valid and no key starts with a continuation byte exactly when every key is valid (every
  // key then starts and, where the next one starts, ends on a character boundary). Only when
  // that fails are the keys checked one by one, to name the first bad one.
  std::vector<char>& arena = morphology.arena_;
  std::vector<std::uint32_t>& ends = morphology.headword_ends_;
  const auto first_fault = [&]() -> std::optional<Error> {
    std::uint32_t start = 0;
    for (const std::uint32_t end : ends) {
      const Bytes word = as_bytes(std::string_view(arena.data() + start, end - start));
      if (std::optional<Utf8Fault> fault = find_utf8_fault(word)) {
        return Error("non-utf8 word in glosses.fst", utf8_error(*fault));
      }
      start = end;
    }
    return std::nullopt;
  };
  bool split_character = false;
  fst::Stream stream = lexicon.stream();
  while (stream.next()) {
    const Bytes key = stream.key();
    if (key.size() > std::numeric_limits<std::uint32_t>::max() - arena.size()) {
      // A bad word among those before still comes first, as it would have been found first.
      if (std::optional<Error> error = first_fault()) {
        return fail(std::move(*error));
      }
      if (std::optional<Utf8Fault> fault = find_utf8_fault(key)) {
        return fail("non-utf8 word in glosses.fst", utf8_error(*fault));
      }
      return fail("headword table too large");
    }
    if (!key.empty()) {
      split_character |= is_utf8_continuation(key[0]);
      const char* text = reinterpret_cast<const char*>(key.data());
      arena.insert(arena.end(), text, text + key.size());
    }
    ends.push_back(static_cast<std::uint32_t>(arena.size()));
  }
  if (split_character || !is_utf8(as_bytes(std::string_view(arena.data(), arena.size())))) {
    if (std::optional<Error> error = first_fault()) {
      return fail(std::move(*error));
    }
  }
  return morphology;
}

std::string_view Morphology::headword(EntryId id) const {
  const std::uint32_t start = id == 0 ? 0 : headword_ends_[id - 1];
  return {arena_.data() + start, headword_ends_[id] - start};
}

std::optional<EntryId> Morphology::entry_id(std::string_view word) const {
  std::size_t low = 0;
  std::size_t high = headword_count();
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (headword(static_cast<EntryId>(mid)) < word) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  if (low == headword_count() || headword(static_cast<EntryId>(low)) != word) {
    return std::nullopt;
  }
  return static_cast<EntryId>(low);
}

Result<std::vector<std::string_view>> Morphology::resolve(std::uint32_t target,
                                                          const MultiTable& multi) const {
  if ((target & MULTI_FLAG) == 0) {
    if (target >= headword_count()) {
      return fail("base id " + std::to_string(target) + " out of range");
    }
    return std::vector<std::string_view>{headword(target)};
  }
  // Read in place: the result list is the only allocation of a lookup.
  Result<MultiList> ids = multi_list(multi.body, multi.offsets, target & ~MULTI_FLAG);
  if (!ids) {
    return fail(std::move(ids.error()));
  }
  std::vector<std::string_view> words;
  words.reserve(ids->size());
  for (std::size_t i = 0; i < ids->size(); ++i) {
    const EntryId id = (*ids)[i];
    if (id >= headword_count()) {
      return fail("multi base id " + std::to_string(id) + " out of range");
    }
    words.push_back(headword(id));
  }
  return words;
}

std::vector<std::string_view> Morphology::lemmas(std::string_view form) const {
  const std::optional<std::uint64_t> value = index_.get(form);
  if (!value) {
    return {};
  }
  Result<std::vector<std::string_view>> words =
      resolve(static_cast<std::uint32_t>(*value & 0xFFFF'FFFFU));
  // An unresolvable form counts as unknown: lookups never report errors.
  if (!words) {
    return {};
  }
  return std::move(*words);
}

std::uint8_t headword_rank(const Morphology& morphology, const FrequencyTable* frequencies,
                           std::string_view headword) {
  if (frequencies == nullptr) {
    return 0;
  }
  const std::optional<EntryId> id = morphology.entry_id(headword);
  return id ? frequencies->rank(*id) : 0;
}

}  // namespace pnt
