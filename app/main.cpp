// The program's entry: open the embedded dictionary, or report why it cannot be opened.
#include <cstdio>

#include "app/load.h"
#include "base/error.h"

int main() {
  pnt::Result<pnt::LoadedLexicon> loaded = pnt::load_embedded();
  if (!loaded) {
    // Nothing has touched the terminal yet: the report goes to a plain standard error.
    std::fputs(pnt::format_report(loaded.error()).c_str(), stderr);
    return 1;
  }
  std::printf("%llu headwords, %llu inflected forms\n",
              static_cast<unsigned long long>(loaded->lexicon.headword_count()),
              static_cast<unsigned long long>(loaded->morphology.form_count()));
  return 0;
}
