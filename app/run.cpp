#include "app/run.h"

#include <utility>

#include "app/session.h"

namespace pnt {

Result<void> run(const DataBlobs& blobs) {
  Result<Dictionary> dictionary = open_dictionary(blobs);
  if (!dictionary) {
    return std::unexpected(std::move(dictionary.error()));
  }
  return run_session(std::move(*dictionary));
}

}  // namespace pnt
