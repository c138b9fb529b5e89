// The data set compiled into the program: four constant byte blobs.
#pragma once

#include "base/bytes.h"

namespace pnt::embedded {

/// The inflected-form index (an fst map).
[[nodiscard]] Bytes inflections_fst();
/// The lists of EntryIds for forms with several headwords.
[[nodiscard]] Bytes inflections_multi();
/// The gloss store: POS table and the compressed entry records.
[[nodiscard]] Bytes glosses_bin();
/// The headword index (an fst map).
[[nodiscard]] Bytes glosses_fst();

}  // namespace pnt::embedded
