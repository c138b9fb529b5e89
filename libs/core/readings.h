// The grammatical readings of a Finnish word form, from voikko's morphology transducer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vfst/transducer.h"

namespace pnt {

/// The attributes of a reading, in libvoikko's names and in the order they are printed.
enum class Attr : std::uint8_t {
  Baseform,      ///< BASEFORM: "talo", "juosta", "hyvä"
  Class,         ///< CLASS: "nimisana", "teonsana", "laatusana", …
  Sijamuoto,     ///< SIJAMUOTO: "nimento" … "kerrontosti"
  Number,        ///< NUMBER: "singular", "plural"
  Possessive,    ///< POSSESSIVE: "1s", "2s", "1p", "2p", "3"
  Person,        ///< PERSON: "1" to "3", "4" for the passive (which has no NUMBER)
  Mood,          ///< MOOD: "indicative", …, and the infinitives "A-infinitive", …
  Tense,         ///< TENSE: "present_simple", "past_imperfective"
  Negative,      ///< NEGATIVE: "false", "true", "both"
  Participle,    ///< PARTICIPLE: "present_active", …, "agent", "negation"
  Comparison,    ///< COMPARISON: "positive", "comparative", "superlative"
  Focus,         ///< FOCUS: "kin", "kaan"
  Kysymysliite,  ///< KYSYMYSLIITE: "true"
};
inline constexpr std::size_t ATTR_COUNT = 13;

/// libvoikko's name of an attribute, e.g. "SIJAMUOTO".
[[nodiscard]] std::string_view attr_name(Attr attr);

/// One reading of a word form. Attributes that do not apply are empty.
struct Reading {
  std::array<std::string, ATTR_COUNT> values;
  /// For a participle: the base form of its verb ("juosta" for "juokseva"); else empty.
  std::string participle_of;
  /// Byte offsets in the (lower-cased) form where a compound's later parts start, ascending;
  /// empty for a word of one part. "hiirenloukku" has {6}.
  std::vector<std::uint32_t> boundaries;
  /// The base form of the word up to the end of each part, one more than `boundaries`, as the
  /// transducer writes it: {"hiiri", "hiirenloukku"}; empty for a part with no root of its own
  /// (the prefix "epä" of "epäselvyys").
  std::vector<std::string> part_bases;
  /// Byte offset where a clitic the transducer tags (-kin, -kaan, -ko) begins; 0 for none.
  std::uint32_t clitic = 0;

  [[nodiscard]] const std::string& get(Attr attr) const {
    return values[static_cast<std::size_t>(attr)];
  }
  void set(Attr attr, std::string value) {
    values[static_cast<std::size_t>(attr)] = std::move(value);
  }
  friend bool operator==(const Reading&, const Reading&) = default;
};

/// The reading that one transducer output describes, e.g. of
/// "[Ln][Xp]talo[X]talo[Sine][Nm]issa[O1m]mme"; nothing when the output names no root.
[[nodiscard]] std::optional<Reading> reading_of_output(std::string_view output);

/// The distinct readings of `word` (case-insensitive, as libvoikko reads it), in the
/// transducer's order; empty when the transducer does not accept the word.
[[nodiscard]] std::vector<Reading> readings(const vfst::Transducer& transducer,
                                            std::string_view word);

/// The English name of a libvoikko value ("sisaolento" → "inessive", "nimisana" → "noun",
/// "1p" → "our"); the value itself when there is none.
[[nodiscard]] std::string_view english_name(std::string_view value);

/// "1st person singular", "3rd person plural", "passive" (PERSON=4); empty without a person.
[[nodiscard]] std::string person_name(std::string_view person, std::string_view number);

/// The set attributes as "ATTR=VALUE" fields joined by `separator`, in Attr order.
[[nodiscard]] std::string attribute_fields(const Reading& reading, std::string_view separator);

/// A short English line: "plural inessive + our (talo, noun)",
/// "conditional, 1st person singular (juosta, verb)",
/// "comparative, singular inessive (hyvä, adjective)".
[[nodiscard]] std::string describe_reading(const Reading& reading);

/// `word` + ": " + describe_reading(), as shown above an entry: "taloissamme: plural inessive +
/// our (talo, noun)".
[[nodiscard]] std::string reading_line(std::string_view word, const Reading& reading);

}  // namespace pnt
