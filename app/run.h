// The program run from start to exit status, apart from how the dictionary is loaded.
#pragma once

#include "app/load.h"
#include "base/error.h"

namespace pnt {

/// Opens the dictionary with `load` (before the terminal is touched), then runs the
/// interactive session; success after a quit, else the first error of loading, of the
/// terminal or of restoring it.
[[nodiscard]] Result<void> run(Result<LoadedLexicon> (*load)());

}  // namespace pnt
