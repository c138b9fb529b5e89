#include "core/english.h"

#include "core/prefix.h"

namespace pnt {

Result<EnglishIndex> EnglishIndex::open(Bytes english_fst, Bytes english_multi) {
  Result<TargetIndex> opened =
      open_target_index(english_fst, "english.fst", english_multi, "english-multi.bin");
  if (!opened) {
    return fail(std::move(opened.error()));
  }
  return EnglishIndex(opened->index, std::move(opened->multi));
}

std::vector<std::string_view> EnglishIndex::headwords(std::string_view key,
                                                      const Morphology& morphology) const {
  const std::optional<std::uint64_t> value = index_ ? index_->get(key) : std::nullopt;
  if (!value) {
    return {};
  }
  Result<std::vector<std::string_view>> words =
      morphology.resolve(static_cast<std::uint32_t>(*value & 0xFFFF'FFFFU), multi_);
  // A key that does not resolve counts as unknown: lookups never report errors.
  return words ? std::move(*words) : std::vector<std::string_view>{};
}

std::vector<std::pair<std::string, std::vector<std::string_view>>> EnglishIndex::search(
    std::string_view prefix, const Morphology& morphology, std::size_t limit) const {
  std::vector<std::pair<std::string, std::vector<std::string_view>>> keys;
  if (!index_ || prefix.empty() || limit == 0) {
    return keys;
  }
  std::size_t found = 0;
  for_each_utf8_key(index_->prefix(prefix), [&](std::string_view key, std::uint64_t value) {
    auto words = morphology.resolve(static_cast<std::uint32_t>(value), multi_);
    if (words && !words->empty()) {
      found += words->size();
      keys.emplace_back(std::string(key), std::move(*words));
    }
    return found < limit;
  });
  return keys;
}

}  // namespace pnt
