#include "tests/support/fixture.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace pnt::testing {
namespace {

[[noreturn]] void die(const Error& error) {
  std::fputs(format_report(error).c_str(), stderr);
  std::abort();
}

}  // namespace

const FixtureTable& default_table() { return synth::fixture_table(); }

const FixtureBlobs& default_blobs() {
  static const FixtureBlobs blobs = make_blobs(default_table());
  return blobs;
}

FixtureBlobs make_blobs(const FixtureTable& table) {
  Result<FixtureBlobs> blobs = synth::write_lexicon(table);
  if (!blobs) {
    die(blobs.error());
  }
  return std::move(*blobs);
}

Result<LexiconParts> open_blobs(const FixtureBlobs& blobs) {
  Result<Lexicon> lexicon = Lexicon::open(blobs.glosses_fst, blobs.glosses_bin);
  if (!lexicon) {
    return fail(std::move(lexicon.error()));
  }
  Result<Morphology> morphology =
      Morphology::open(blobs.inflections_fst, blobs.inflections_multi, *lexicon);
  if (!morphology) {
    return fail(std::move(morphology.error()));
  }
  return LexiconParts{std::move(*lexicon), std::move(*morphology)};
}

LexiconParts fixture_view_parts() {
  Result<LexiconParts> parts = open_blobs(default_blobs());
  if (!parts) {
    die(parts.error());
  }
  return std::move(*parts);
}

Fixture make_fixture(const FixtureTable& table) {
  auto blobs = std::make_unique<const FixtureBlobs>(make_blobs(table));
  Result<LexiconParts> parts = open_blobs(*blobs);
  if (!parts) {
    die(parts.error());
  }
  return Fixture{std::move(blobs), std::move(parts->lexicon), std::move(parts->morphology)};
}

}  // namespace pnt::testing
