#include "core/readings.h"

#include <algorithm>
#include <vector>

#include "base/utf8.h"
#include "core/text.h"

namespace pnt {
namespace {

constexpr std::array<std::string_view, ATTR_COUNT> ATTR_NAMES = {
    "BASEFORM", "CLASS",    "SIJAMUOTO",  "NUMBER",     "POSSESSIVE", "PERSON",      "MOOD",
    "TENSE",    "NEGATIVE", "PARTICIPLE", "COMPARISON", "FOCUS",      "KYSYMYSLIITE"};

struct TagValue {
  std::string_view tag;
  Attr attr;
  std::string_view value;
};

// What each inflection tag of the transducer's output says, in libvoikko's values.
constexpr TagValue TAG_VALUES[] = {
    {"[Sn]", Attr::Sijamuoto, "nimento"},
    {"[Sg]", Attr::Sijamuoto, "omanto"},
    {"[Sp]", Attr::Sijamuoto, "osanto"},
    {"[Ses]", Attr::Sijamuoto, "olento"},
    {"[Str]", Attr::Sijamuoto, "tulento"},
    {"[Sak]", Attr::Sijamuoto, "kohdanto"},
    {"[Sine]", Attr::Sijamuoto, "sisaolento"},
    {"[Sela]", Attr::Sijamuoto, "sisaeronto"},
    {"[Sill]", Attr::Sijamuoto, "sisatulento"},
    {"[Sade]", Attr::Sijamuoto, "ulkoolento"},
    {"[Sabl]", Attr::Sijamuoto, "ulkoeronto"},
    {"[Sall]", Attr::Sijamuoto, "ulkotulento"},
    {"[Sab]", Attr::Sijamuoto, "vajanto"},
    {"[Sko]", Attr::Sijamuoto, "seuranto"},
    {"[Sin]", Attr::Sijamuoto, "keinonto"},
    {"[Ssti]", Attr::Sijamuoto, "kerrontosti"},
    {"[Ny]", Attr::Number, "singular"},
    {"[Nm]", Attr::Number, "plural"},
    {"[O1y]", Attr::Possessive, "1s"},
    {"[O2y]", Attr::Possessive, "2s"},
    {"[O1m]", Attr::Possessive, "1p"},
    {"[O2m]", Attr::Possessive, "2p"},
    {"[O3]", Attr::Possessive, "3"},
    {"[P1]", Attr::Person, "1"},
    {"[P2]", Attr::Person, "2"},
    {"[P3]", Attr::Person, "3"},
    {"[P4]", Attr::Person, "4"},
    {"[Tt]", Attr::Mood, "indicative"},
    {"[Te]", Attr::Mood, "conditional"},
    {"[Tk]", Attr::Mood, "imperative"},
    {"[Tm]", Attr::Mood, "potential"},
    {"[Tn1]", Attr::Mood, "A-infinitive"},
    {"[Tn2]", Attr::Mood, "E-infinitive"},
    {"[Tn3]", Attr::Mood, "MA-infinitive"},
    {"[Tn4]", Attr::Mood, "MINEN-infinitive"},
    {"[Tn5]", Attr::Mood, "MAINEN-infinitive"},
    {"[Ap]", Attr::Tense, "present_simple"},
    {"[Ai]", Attr::Tense, "past_imperfective"},
    {"[Ef]", Attr::Negative, "false"},
    {"[Et]", Attr::Negative, "true"},
    {"[Eb]", Attr::Negative, "both"},
    {"[Rv]", Attr::Participle, "present_active"},
    {"[Ra]", Attr::Participle, "present_passive"},
    {"[Ru]", Attr::Participle, "past_active"},
    {"[Rt]", Attr::Participle, "past_passive"},
    {"[Rm]", Attr::Participle, "agent"},
    {"[Re]", Attr::Participle, "negation"},
    {"[Cc]", Attr::Comparison, "comparative"},
    {"[Cs]", Attr::Comparison, "superlative"},
    {"[Fkin]", Attr::Focus, "kin"},
    {"[Fkaan]", Attr::Focus, "kaan"},
    {"[Fko]", Attr::Kysymysliite, "true"},
};

constexpr std::pair<std::string_view, std::string_view> CLASSES[] = {
    {"[Ln]", "nimisana"},   {"[Ll]", "laatusana"},  {"[Lnl]", "nimisana_laatusana"},
    {"[Lt]", "teonsana"},   {"[Ls]", "seikkasana"}, {"[Lr]", "asemosana"},
    {"[Lk]", "kieltosana"}, {"[Lc]", "sidesana"},   {"[Lh]", "huudahdussana"},
    {"[Lee]", "etunimi"},   {"[Les]", "sukunimi"},  {"[Lep]", "paikannimi"},
    {"[Lem]", "nimi"},      {"[La]", "lyhenne"},    {"[Lu]", "lukusana"},
    {"[Lur]", "lukusana"},  {"[Lp]", "etuliite"},   {"[Ld]", "suhdesana"},
};

std::optional<std::string_view> class_of(std::string_view tag) {
  for (const auto& [t, name] : CLASSES) {
    if (t == tag) {
      return name;
    }
  }
  return std::nullopt;
}

const TagValue* tag_value(std::string_view tag) {
  for (const TagValue& tv : TAG_VALUES) {
    if (tv.tag == tag) {
      return &tv;
    }
  }
  return nullptr;
}

// The capitals of a structure group: one of 'i' / 'j' (upper) or 'p' / 'q' (lower) per letter
// ("[Xr]jjjj[X]" for "HTML").
std::vector<bool> structure_capitals(std::string_view letters) {
  std::vector<bool> capitals;
  for (const char ch : letters) {
    capitals.push_back(ch == 'i' || ch == 'j');
  }
  return capitals;
}

}  // namespace

std::string_view attr_name(Attr attr) { return ATTR_NAMES[static_cast<std::size_t>(attr)]; }

std::optional<Reading> reading_of_output(std::string_view output) {
  enum class Group { None, Root, Derivation, Structure, Other };
  Reading r;
  std::string surface;         // letters of the form so far, outside [X…]…[X] groups
  std::string group_text;      // the letters of the open group
  std::string base;            // base form of the word as far as it is known
  std::string part_base;       // the base when the current part began
  std::size_t part_start = 0;  // where the current part's letters begin in `surface`
  std::vector<bool> capitals;  // of the first part's root or structure group
  std::string verb_base;       // the base when a participle tag was seen
  bool participle_undone = false;
  bool after_stem = false;  // a later part follows a word (not a prefix such as "epä")
  bool has_root = false;
  bool compound = false;
  bool derived_first = false;
  bool clitic = false;
  bool class_in_part = false;
  bool root_in_part = false;  // the current part has a root or derivation of its own
  Group group = Group::None;
  std::string_view word_class;
  for (std::size_t i = 0; i < output.size();) {
    if (output[i] != '[') {
      std::size_t n =
          std::max<std::size_t>(1, utf8_sequence_length(static_cast<std::uint8_t>(output[i])));
      std::string_view letter = output.substr(i, n);
      i += n;
      if (group == Group::None) {
        surface += letter;
      } else if (letter != "=") {
        group_text += letter;
      }
      continue;
    }
    std::size_t close = output.find(']', i);
    if (close == std::string_view::npos) {
      return std::nullopt;
    }
    std::string_view tag = output.substr(i, close - i + 1);
    i = close + 1;
    if (tag == "[X]") {
      if (group == Group::Root) {
        // An empty root ("[Bc]toista[Xp][X]") continues the word before it.
        base = group_text.empty() ? part_base + surface.substr(part_start) : surface + group_text;
        has_root = true;
        root_in_part = true;
        if (!compound && capitals.empty()) {
          capitals = capitals_of(group_text);
        }
      } else if (group == Group::Derivation) {
        base = surface + group_text;
        derived_first = derived_first || !compound;
        root_in_part = true;
      } else if (group == Group::Structure && !compound) {
        capitals = structure_capitals(group_text);
      }
      group = Group::None;
    } else if (tag == "[Xp]" || tag == "[Xj]" || tag == "[Xr]") {
      group = tag == "[Xp]" ? Group::Root : tag == "[Xj]" ? Group::Derivation : Group::Structure;
      group_text.clear();
    } else if (tag.starts_with("[X")) {
      group = Group::Other;
      group_text.clear();
    } else if (tag == "[Bc]") {
      if (!surface.empty()) {
        r.boundaries.push_back(static_cast<std::uint32_t>(surface.size()));
        r.part_bases.push_back(root_in_part ? base : std::string());
      }
      root_in_part = false;
      compound = true;
      class_in_part = false;
      part_base = base;
      part_start = surface.size();
    } else if (auto cls = class_of(tag)) {
      if (compound && !class_in_part) {
        // A later part with a class of its own says everything about the inflection.
        for (std::size_t a = static_cast<std::size_t>(Attr::Sijamuoto); a < ATTR_COUNT; ++a) {
          r.values[a].clear();
        }
      }
      class_in_part = true;
      if (!r.get(Attr::Participle).empty() && *cls != "laatusana") {
        participle_undone = true;  // "eroavuus" is a noun made from the participle "eroava"
      }
      if (compound && !word_class.empty() && word_class != "etuliite") {
        after_stem = true;
      }
      word_class = *cls;
    } else if (const TagValue* tv = tag_value(tag)) {
      if (tv->attr == Attr::Negative && clitic && r.get(Attr::Negative).empty()) {
        continue;  // the end mark of a clitic on a form that has no connegative reading
      }
      r.set(tv->attr, std::string(tv->value));
      if (tv->attr == Attr::Participle) {
        verb_base = base;
        participle_undone = false;
      }
      if (tv->attr == Attr::Focus || tv->attr == Attr::Kysymysliite) {
        r.clitic = r.clitic != 0 ? r.clitic : static_cast<std::uint32_t>(surface.size());
        clitic = true;
      }
    }
  }
  if (!has_root) {
    return std::nullopt;
  }
  r.part_bases.push_back(root_in_part ? base : std::string());
  r.set(Attr::Baseform, derived_first ? base : with_capitals(base, capitals));
  const bool compared = !r.get(Attr::Comparison).empty() || r.get(Attr::Sijamuoto) == "kerrontosti";
  if (word_class == "nimisana_laatusana" && (compared || after_stem)) {
    word_class = "laatusana";
  }
  r.set(Attr::Class, std::string(word_class));
  if (word_class != "teonsana") {
    r.set(Attr::Negative, "");
  }
  if (word_class != "laatusana" && word_class != "nimisana_laatusana") {
    r.set(Attr::Comparison, "");
  } else if (r.get(Attr::Comparison).empty()) {
    r.set(Attr::Comparison, "positive");
  }
  // A participle made into another word ("eroavuus" from "eroava") is no participle.
  if (!r.get(Attr::Participle).empty() && !participle_undone) {
    r.participle_of = verb_base;
  } else {
    r.set(Attr::Participle, "");
  }
  return r;
}

std::vector<Reading> readings(const vfst::Transducer& transducer, std::string_view word) {
  std::vector<Reading> out;
  for (const std::string& output : vfst::lookup(transducer, to_lower(word))) {
    auto r = reading_of_output(output);
    if (!r) {
      continue;
    }
    bool seen = std::any_of(out.begin(), out.end(),
                            [&](const Reading& o) { return o.values == r->values; });
    if (!seen) {
      out.push_back(std::move(*r));
    }
  }
  return out;
}

std::string attribute_fields(const Reading& reading, std::string_view separator) {
  std::string out;
  for (std::size_t a = 0; a < ATTR_COUNT; ++a) {
    if (reading.values[a].empty()) {
      continue;
    }
    if (!out.empty()) {
      out += separator;
    }
    out += ATTR_NAMES[a];
    out += '=';
    out += reading.values[a];
  }
  return out;
}

}  // namespace pnt
