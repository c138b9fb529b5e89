// Opens arbitrary bytes as a voikko transducer, looks words up in it and walks a lexeme's
// paths. A damaged file may yield anything, but must never read outside its bytes, crash or
// walk without end.
#include <cstddef>
#include <cstdint>

#include "vfst/paths.h"
#include "vfst/transducer.h"

// NOLINTNEXTLINE(readability-identifier-naming): the entry point's name is libFuzzer's
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pnt::Bytes bytes(data, size);
  auto t = pnt::vfst::Transducer::open(bytes);
  if (!t) {
    return 0;
  }
  const pnt::vfst::LookupOptions lookup{.max_results = 16, .max_arcs = 64, .max_steps = 20'000};
  for (const char* word : {"", "a", "ta", "talo", "kuu", "\xc3\xa4"}) {
    (void)pnt::vfst::lookup(*t, word, lookup);
  }
  pnt::vfst::WantedLexemes wanted;
  wanted.add("[Ln]", "talo", "talo");
  pnt::vfst::EnumerateOptions options;
  options.max_paths = 1000;
  options.max_arcs = 64;
  options.max_visits = 200'000;
  std::size_t paths = 0;
  (void)pnt::vfst::enumerate_paths(*t, wanted, options, [&](const pnt::vfst::Path&) { ++paths; });
  return 0;
}
