// Any inflections-multi.bin must parse or fail cleanly; once it parses, every list reads, no
// index past the count does, and writing the lists again gives back the bytes they came from.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "format/multi.h"

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pnt::Bytes blob(data, size);
  const pnt::Result<pnt::MultiTable> table = pnt::parse_multi(blob);
  if (!table) {
    return 0;
  }
  const auto count = static_cast<std::uint32_t>(table->offsets.size());
  std::vector<std::vector<pnt::EntryId>> lists;
  lists.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    pnt::Result<std::vector<pnt::EntryId>> ids = pnt::multi_ids(table->body, table->offsets, i);
    if (!ids) {
      std::abort();
    }
    lists.push_back(std::move(*ids));
  }
  if (pnt::multi_ids(table->body, table->offsets, count)) {
    std::abort();
  }
  const pnt::Result<std::vector<std::uint8_t>> again = pnt::write_multi(lists);
  if (!again || again->size() > size || !std::equal(again->begin(), again->end(), data)) {
    std::abort();
  }
  return 0;
}
