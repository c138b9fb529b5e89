#include "app/load.h"

#include <utility>

#include "app/embedded_data.h"

namespace pnt {

Result<LoadedLexicon> load_lexicon(Bytes inflections_fst, Bytes inflections_multi,
                                   Bytes glosses_bin, Bytes glosses_fst) {
  Result<Lexicon> lexicon = Lexicon::open(glosses_fst, glosses_bin);
  if (!lexicon) {
    return fail(std::move(lexicon.error()));
  }
  Result<Morphology> morphology = Morphology::open(inflections_fst, inflections_multi, *lexicon);
  if (!morphology) {
    return fail(std::move(morphology.error()));
  }
  return LoadedLexicon{std::move(*lexicon), std::move(*morphology)};
}

Result<LoadedLexicon> load_embedded() {
  return load_lexicon(embedded::inflections_fst(), embedded::inflections_multi(),
                      embedded::glosses_bin(), embedded::glosses_fst());
}

}  // namespace pnt
