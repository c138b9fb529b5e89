// The whole dictionary opened over its data files, in start-up order.
#pragma once

#include <optional>

#include "base/bytes.h"
#include "base/error.h"
#include "core/english.h"
#include "core/lexicon.h"
#include "core/morphology.h"
#include "format/frequency.h"
#include "vfst/transducer.h"

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
  /// voikko-fi's morphology transducer; empty for a data set without grammar (the readings
  /// and tables are then empty too).
  Bytes mor_vfst;
  Bytes frequencies_bin;
};

/// The opened dictionary: what the View takes ownership of.
struct Dictionary {
  Lexicon lexicon;
  Morphology morphology;
  EnglishIndex english;
  std::optional<vfst::Transducer> transducer;  ///< nothing when mor.vfst is empty
  FrequencyTable frequencies;
};

/// Opens the Lexicon (glosses.fst, then glosses.bin), then the Morphology over it, then the
/// English index, then the transducer (header and symbols only, context "parsing mor.vfst"),
/// then the word frequencies; the first failure is returned unchanged and nothing partly opened
/// survives.
[[nodiscard]] Result<Dictionary> open_dictionary(const DataBlobs& blobs);

}  // namespace pnt
