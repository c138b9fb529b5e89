#include "app/run.h"

#include <utility>

#include "app/session.h"

namespace pnt {

Result<void> run(Result<LoadedLexicon> (*load)()) {
  Result<LoadedLexicon> loaded = load();
  if (!loaded) {
    return std::unexpected(std::move(loaded.error()));
  }
  return run_session(std::move(loaded->lexicon), std::move(loaded->morphology));
}

}  // namespace pnt
