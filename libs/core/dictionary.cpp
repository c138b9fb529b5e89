#include "core/dictionary.h"

#include <string>
#include <utility>

namespace pnt {

Result<Dictionary> open_dictionary(const DataBlobs& blobs) {
  Result<Lexicon> lexicon = Lexicon::open(blobs.glosses_fst, blobs.glosses_bin);
  if (!lexicon) {
    return fail(std::move(lexicon.error()));
  }
  Result<Morphology> morphology =
      Morphology::open(blobs.inflections_fst, blobs.inflections_multi, *lexicon);
  if (!morphology) {
    return fail(std::move(morphology.error()));
  }
  Result<EnglishIndex> english = EnglishIndex::open(blobs.english_fst, blobs.english_multi);
  if (!english) {
    return fail(std::move(english.error()));
  }
  std::optional<vfst::Transducer> transducer;
  if (!blobs.mor_vfst.empty()) {
    Result<vfst::Transducer> opened = vfst::Transducer::open(blobs.mor_vfst);
    if (!opened) {
      return fail(std::move(opened.error()).context("parsing mor.vfst"));
    }
    transducer = std::move(*opened);
  }
  Result<FrequencyTable> frequencies = FrequencyTable::parse(blobs.frequencies_bin);
  if (!frequencies) {
    return fail(std::move(frequencies.error()).context("parsing frequencies.bin"));
  }
  if (frequencies->size() != morphology->headword_count()) {
    return fail("frequencies.bin holds " + std::to_string(frequencies->size()) +
                " headwords, glosses.fst " + std::to_string(morphology->headword_count()));
  }
  return Dictionary{std::move(*lexicon), std::move(*morphology), std::move(*english),
                    std::move(transducer), *frequencies};
}

}  // namespace pnt
