// The data set compiled into the program: six constant byte blobs.
#pragma once

#include "core/dictionary.h"

namespace pnt::embedded {

/// The blobs the program opens at start-up. Defined once per program: over the data compiled in
/// (blobs.cpp), or, in the end-to-end tests' program, over the fixture lexicon.
[[nodiscard]] DataBlobs blobs();

}  // namespace pnt::embedded
