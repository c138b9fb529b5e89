#include "format/frequency.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace pnt {
namespace {

constexpr std::string_view MAGIC = "PNTFREQ1";
constexpr std::size_t HEADER_SIZE = MAGIC.size() + 4;

}  // namespace

Result<FrequencyTable> FrequencyTable::parse(Bytes blob) {
  if (blob.size() < HEADER_SIZE) {
    return fail("truncated frequencies header");
  }
  if (as_text(blob.first(MAGIC.size())) != MAGIC) {
    return fail("bad frequencies magic");
  }
  const std::uint64_t count = read_uint_le(blob, MAGIC.size(), 4).value_or(0);
  const Bytes ranks = blob.subspan(HEADER_SIZE);
  if (count != ranks.size()) {
    return fail("frequencies count " + std::to_string(count) + " does not match " +
                std::to_string(ranks.size()) + " rank bytes");
  }
  return FrequencyTable(ranks);
}

std::uint8_t frequency_rank(std::uint64_t count) {
  if (count == 0) {
    return 0;
  }
  const double rank = 1 + std::round(8 * std::log2(static_cast<double>(count)));
  return static_cast<std::uint8_t>(std::min(rank, 255.0));
}

std::vector<std::uint8_t> write_frequencies(std::span<const std::uint64_t> counts) {
  std::vector<std::uint8_t> out(MAGIC.begin(), MAGIC.end());
  append_uint_le(out, counts.size(), 4);
  for (const std::uint64_t count : counts) {
    out.push_back(frequency_rank(count));
  }
  return out;
}

}  // namespace pnt
