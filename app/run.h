// The program run from start to exit status, apart from where its data comes from.
#pragma once

#include "base/error.h"
#include "core/dictionary.h"

namespace pnt {

/// Opens the dictionary over `blobs` (before the terminal is touched), then runs the
/// interactive session; success after a quit, else the first error of opening, of the
/// terminal or of restoring it.
[[nodiscard]] Result<void> run(const DataBlobs& blobs);

}  // namespace pnt
