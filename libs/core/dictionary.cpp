#include "core/dictionary.h"

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
  return Dictionary{std::move(*lexicon), std::move(*morphology), std::move(*english)};
}

}  // namespace pnt
