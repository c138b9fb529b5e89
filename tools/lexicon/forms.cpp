#include "lexicon/forms.h"

#include <algorithm>
#include <cstring>

namespace pnt::lexicon {

void FormPairs::add(std::string_view form, EntryId id) {
  std::uint64_t prefix = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    prefix = (prefix << 8) | (i < form.size() ? static_cast<std::uint8_t>(form[i]) : 0u);
  }
  records_.push_back(Record{prefix, arena_.size(), id, static_cast<std::uint32_t>(form.size())});
  arena_.append(form);
}

void FormPairs::sort_unique() {
  const char* base = arena_.data();
  auto less = [base](const Record& a, const Record& b) {
    if (a.prefix != b.prefix) {
      return a.prefix < b.prefix;
    }
    if (a.length > 8 || b.length > 8) {
      std::size_t n = std::min(a.length, b.length);
      int c = n > 8 ? std::memcmp(base + a.offset + 8, base + b.offset + 8, n - 8) : 0;
      if (c != 0) {
        return c < 0;
      }
    }
    if (a.length != b.length) {
      return a.length < b.length;
    }
    return a.id < b.id;
  };
  std::sort(records_.begin(), records_.end(), less);
  auto same = [base](const Record& a, const Record& b) {
    return a.prefix == b.prefix && a.length == b.length && a.id == b.id &&
           std::memcmp(base + a.offset, base + b.offset, a.length) == 0;
  };
  records_.erase(std::unique(records_.begin(), records_.end(), same), records_.end());
  // Rewrite the arena in sorted order so that equal forms share their bytes.
  std::string packed;
  packed.reserve(arena_.size() / 2);
  std::uint64_t last_offset = 0;
  std::uint32_t last_length = 0;
  bool any = false;
  for (Record& r : records_) {
    std::string_view text(base + r.offset, r.length);
    if (!any || text != std::string_view(packed).substr(last_offset, last_length)) {
      last_offset = packed.size();
      last_length = r.length;
      packed.append(text);
      any = true;
    }
    r.offset = last_offset;
  }
  arena_ = std::move(packed);
  records_.shrink_to_fit();
}

}  // namespace pnt::lexicon
