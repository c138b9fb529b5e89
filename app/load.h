// Opening the dictionary at start-up, before the terminal is touched.
#pragma once

#include "base/bytes.h"
#include "base/error.h"
#include "core/lexicon.h"
#include "core/morphology.h"

namespace pnt {

/// The opened dictionary: what the view takes ownership of.
struct LoadedLexicon {
  Lexicon lexicon;
  Morphology morphology;
};

/// Opens the Lexicon (glosses.fst, then glosses.bin) and then the Morphology over the given
/// blobs; the first failure is returned unchanged and nothing partly opened survives.
[[nodiscard]] Result<LoadedLexicon> load_lexicon(Bytes inflections_fst, Bytes inflections_multi,
                                                 Bytes glosses_bin, Bytes glosses_fst);

/// load_lexicon over the data set compiled into the program.
[[nodiscard]] Result<LoadedLexicon> load_embedded();

}  // namespace pnt
