// A thin handle on libvoikko: analyses and spell checks of single words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "lexicon/analysis.h"

struct VoikkoHandle;

namespace pnt::lexicon {

class Voikko {
 public:
  /// Opens the Finnish dictionary; `path` names a dictionary folder or is empty for the default.
  [[nodiscard]] static Result<Voikko> open(const std::string& path);
  Voikko(Voikko&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  Voikko& operator=(Voikko&&) = delete;
  Voikko(const Voikko&) = delete;
  ~Voikko();

  /// Every analysis of the word with all its attributes; empty when voikko does not know it.
  [[nodiscard]] std::vector<Attributes> analyze(std::string_view word) const;

  /// True when the spell checker accepts the word.
  [[nodiscard]] bool spell(std::string_view word) const;

 private:
  explicit Voikko(VoikkoHandle* handle) : handle_(handle) {}
  VoikkoHandle* handle_;
};

}  // namespace pnt::lexicon
