#include "lexicon/voikko.h"

#include <libvoikko/voikko.h>

namespace pnt::lexicon {

Result<Voikko> Voikko::open(const std::string& path) {
  const char* error = nullptr;
  VoikkoHandle* handle = voikkoInit(&error, "fi", path.empty() ? nullptr : path.c_str());
  if (handle == nullptr) {
    return fail(std::string("voikko: ") + (error != nullptr ? error : "initialisation failed"));
  }
  return Voikko(handle);
}

Voikko::~Voikko() {
  if (handle_ != nullptr) {
    voikkoTerminate(handle_);
  }
}

std::vector<Attributes> Voikko::analyze(std::string_view word) const {
  std::vector<Attributes> out;
  if (word.empty() || word.size() > 4 * LIBVOIKKO_MAX_WORD_CHARS) {
    return out;
  }
  std::string text(word);
  voikko_mor_analysis** list = voikkoAnalyzeWordCstr(handle_, text.c_str());
  if (list == nullptr) {
    return out;
  }
  for (voikko_mor_analysis** a = list; *a != nullptr; ++a) {
    Attributes attrs;
    const char** keys = voikko_mor_analysis_keys(*a);
    for (const char** k = keys; k != nullptr && *k != nullptr; ++k) {
      char* value = voikko_mor_analysis_value_cstr(*a, *k);
      if (value != nullptr) {
        attrs.emplace(*k, value);
        voikko_free_mor_analysis_value_cstr(value);
      }
    }
    out.push_back(std::move(attrs));
  }
  voikko_free_mor_analysis(list);
  return out;
}

bool Voikko::spell(std::string_view word) const {
  if (word.empty() || word.size() > 4 * LIBVOIKKO_MAX_WORD_CHARS) {
    return false;
  }
  std::string text(word);
  return voikkoSpellCstr(handle_, text.c_str()) == VOIKKO_SPELL_OK;
}

}  // namespace pnt::lexicon
