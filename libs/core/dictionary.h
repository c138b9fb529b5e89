// The whole dictionary opened over its data files, in start-up order.
#pragma once

#include "base/bytes.h"
#include "base/error.h"
#include "core/english.h"
#include "core/lexicon.h"
#include "core/morphology.h"
#include "format/frequency.h"

namespace pnt {

/// The data files, each by its name, so that two byte views cannot trade places unnoticed.
/// Whoever opens a Dictionary over them keeps them alive as long as it lives.
struct DataBlobs {
  Bytes inflections_fst;
  Bytes inflections_multi;
  Bytes glosses_bin;
  Bytes glosses_fst;
  Bytes english_fst;
  Bytes english_multi;
  Bytes frequencies_bin;
};

/// The opened dictionary: what the View takes ownership of.
struct Dictionary {
  Lexicon lexicon;
  Morphology morphology;
  EnglishIndex english;
  FrequencyTable frequencies;
};

/// Opens the Lexicon (glosses.fst, then glosses.bin), then the Morphology over it, then the
/// English index, then the word frequencies; the first failure is returned unchanged and nothing
/// partly opened survives.
[[nodiscard]] Result<Dictionary> open_dictionary(const DataBlobs& blobs);

}  // namespace pnt
