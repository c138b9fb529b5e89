// The whole dictionary opened over its data files, in start-up order.
#pragma once

#include "base/bytes.h"
#include "base/error.h"
#include "core/lexicon.h"
#include "core/morphology.h"

namespace pnt {

/// The four data files, each by its name, so that two byte views cannot trade places unnoticed.
/// Whoever opens a Dictionary over them keeps them alive as long as it lives.
struct DataBlobs {
  Bytes inflections_fst;
  Bytes inflections_multi;
  Bytes glosses_bin;
  Bytes glosses_fst;
};

/// The opened dictionary: what the View takes ownership of.
struct Dictionary {
  Lexicon lexicon;
  Morphology morphology;
};

/// Opens the Lexicon (glosses.fst, then glosses.bin) and then the Morphology over it; the first
/// failure is returned unchanged and nothing partly opened survives.
[[nodiscard]] Result<Dictionary> open_dictionary(const DataBlobs& blobs);

}  // namespace pnt
