// The program's loader for the end-to-end tests: the fixture lexicon, written in memory at
// start-up, instead of the data set compiled into the real program.
#include "app/load.h"
#include "tests/support/fixture.h"

namespace pnt {

Result<LoadedLexicon> load_embedded() {
  Result<testing::LexiconParts> parts = testing::open_blobs(testing::default_blobs());
  if (!parts) {
    return std::unexpected(std::move(parts.error()));
  }
  return LoadedLexicon{std::move(parts->lexicon), std::move(parts->morphology)};
}

}  // namespace pnt
