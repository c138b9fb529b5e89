// Opens arbitrary bytes as an fst map and runs every read operation over it. A damaged map may
// yield anything, but must never read outside its bytes, crash or walk without end.
#include <cstddef>
#include <cstdint>

#include "fstmap/map.h"

namespace {

// Enough to cover every map the seeds hold; a damaged map may claim far more keys.
constexpr int MAX_PAIRS = 20000;

void drain(pnt::fst::Stream stream) {
  for (int i = 0; i < MAX_PAIRS && stream.next(); ++i) {
    (void)stream.key();
  }
}

}  // namespace

// NOLINTNEXTLINE(readability-identifier-naming): the entry point's name is libFuzzer's
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pnt::Bytes bytes(data, size);
  auto map = pnt::fst::Map::open(bytes);
  if (!map) {
    return 0;
  }
  (void)map->len();
  (void)map->verify();
  drain(map->stream());

  // Keys and prefixes taken from the input itself, so that the fuzzer can steer them.
  const std::size_t take = size < 6 ? size : 6;
  for (std::size_t n = 0; n <= take; ++n) {
    const pnt::Bytes key = bytes.subspan(16, n <= size - 16 ? n : 0);
    (void)map->get(key);
    drain(map->prefix(key));
  }
  for (const char* word : {"", "a", "ta", "talo", "\xff", "m1"}) {
    (void)map->get(word);
    drain(map->prefix(word));
  }

  // Streamed keys must be found again by get (the same path, unless the map is damaged).
  pnt::fst::Stream stream = map->stream();
  for (int i = 0; i < 64 && stream.next(); ++i) {
    (void)map->get(stream.key());
  }
  return 0;
}
