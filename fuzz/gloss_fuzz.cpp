// Any glosses.bin header and any record bytes must parse or fail cleanly; a header that parses
// must describe exactly the bytes it was read from.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.h"
#include "format/gloss.h"

namespace {

// Decodes a record and checks what a decoded entry promises.
void decode(pnt::Bytes record, std::span<const std::string_view> names) {
  const pnt::Result<pnt::Entry> entry = pnt::decode_entry(record, names);
  if (!entry) {
    return;
  }
  std::size_t bytes = 1;
  for (const pnt::PosGroup& group : entry->groups) {
    bytes += 2;
    for (const std::string& meaning : group.meanings) {
      if (!pnt::is_utf8(meaning)) {
        std::abort();
      }
      bytes += 2 + meaning.size();
    }
  }
  if (record.empty() || entry->groups.size() != record[0] || bytes > record.size()) {
    std::abort();
  }
}

}  // namespace

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pnt::Bytes blob(data, size);
  const pnt::Result<pnt::GlossHeader> header = pnt::parse_gloss_header(blob);
  if (header) {
    // Re-encode the header: it must equal the bytes before the frame, and the frame must be
    // the bytes right after it.
    std::vector<std::uint8_t> again = {
        'P', 'N', 'T', 'B', 1, static_cast<std::uint8_t>(header->pos_names.size())};
    for (const std::string_view name : header->pos_names) {
      again.push_back(static_cast<std::uint8_t>(name.size()));
      again.insert(again.end(), name.begin(), name.end());
    }
    for (const std::uint32_t field :
         {header->raw_size, static_cast<std::uint32_t>(header->frame.size())}) {
      for (int shift = 0; shift < 32; shift += 8) {
        again.push_back(static_cast<std::uint8_t>(field >> shift));
      }
    }
    if (again.size() + header->frame.size() > size ||
        !std::equal(again.begin(), again.end(), data) ||
        header->frame.data() != data + again.size()) {
      std::abort();
    }
  }

  // The same bytes as record areas, under the header's names or under a fixed table.
  static const std::vector<std::string_view> fixed_names = {"noun", "verb", "adj"};
  const std::span<const std::string_view> names =
      header ? std::span<const std::string_view>(header->pos_names) : fixed_names;
  for (std::size_t offset = 0; offset <= size && offset < 16; ++offset) {
    decode(blob.subspan(offset), names);
  }
  return 0;
}
