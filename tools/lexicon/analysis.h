// Reading voikko's analyses: the transducer's output string and the attribute values.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vfst/paths.h"

namespace pnt::lexicon {

/// One word part of an analysis: between compound boundaries ("[Bc]").
struct Component {
  std::string word_class;     ///< the first "[L…]" tag of the part, e.g. "[Ln]"; empty if none
  std::string root;           ///< the "[Xp]…[X]" lexeme with "=" marks removed
  std::string base;           ///< what the part's base form is: the root, or the derived word
  bool derived = false;       ///< the part went through a "[Xj]…[X]" derivation
  bool participle = false;    ///< the last derivation makes a participle ("[R…]" before it) …
  std::string participle_of;  ///< … of this verb: the root, or the base after a first derivation
  bool possessive = false;    ///< an "[O…]" possessive suffix tag occurs
};

/// Splits an output string such as "[Ln][Xp]talo[X]talo[Sine][Nm]issa" into its parts.
/// The base of a derived part is the surface letters before "[Xj]" plus the derivation's text,
/// which is how voikko forms BASEFORM.
[[nodiscard]] std::vector<Component> parse_fst_output(std::string_view output);

using vfst::lexeme_key;

/// Attribute values of one voikko analysis (BASEFORM, CLASS, SIJAMUOTO, NUMBER, …).
using Attributes = std::map<std::string, std::string, std::less<>>;

/// English wording of the form an analysis describes, relative to `base`:
/// "inessive plural of talo", "first-person singular present indicative of olla",
/// "comparative degree of hyvä". Nothing when the analysis is the base's own citation form
/// or names nothing this wording covers.
[[nodiscard]] std::optional<std::string> form_of_text(const Attributes& analysis,
                                                      std::string_view base);

/// The POS name (of POS_NAMES) for voikko's CLASS value; nothing for an unknown class.
[[nodiscard]] std::optional<std::string_view> pos_for_class(std::string_view voikko_class);

/// Upper-cases the first character (ASCII and Latin-1 letters; others stay as they are).
[[nodiscard]] std::string capitalize_first(std::string_view text);

/// True when the first character is an upper-case ASCII or Latin-1 letter.
[[nodiscard]] bool starts_upper(std::string_view text);

}  // namespace pnt::lexicon
