// Any frequencies blob must parse or fail cleanly; once it parses, every rank reads and an id
// past the table reads as 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "format/frequency.h"

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pnt::Result<pnt::FrequencyTable> table = pnt::FrequencyTable::parse(pnt::Bytes(data, size));
  if (!table) {
    return 0;
  }
  unsigned sum = 0;
  for (std::size_t id = 0; id < table->size(); ++id) {
    sum += table->rank(static_cast<pnt::EntryId>(id));
  }
  if (table->rank(static_cast<pnt::EntryId>(table->size())) != 0 || sum > 255 * size) {
    std::abort();
  }
  return 0;
}
