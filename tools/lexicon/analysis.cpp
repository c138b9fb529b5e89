#include "lexicon/analysis.h"

#include <array>
#include <utility>

#include "core/readings.h"

namespace pnt::lexicon {
namespace {

std::string_view lookup(const Attributes& a, std::string_view key) {
  auto it = a.find(key);
  return it == a.end() ? std::string_view{} : std::string_view(it->second);
}

// The case's English name as the readings give it; the -sti adverb keeps the name the form
// lines have always given it.
std::string_view case_name(std::string_view sijamuoto) {
  return sijamuoto == "kerrontosti" ? std::string_view("adverbial") : english_name(sijamuoto);
}

std::string_view person_name(std::string_view person) {
  if (person == "1") {
    return "first-person";
  }
  if (person == "2") {
    return "second-person";
  }
  if (person == "3") {
    return "third-person";
  }
  return {};
}

std::string possessive_phrase(std::string_view possessive) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> OWNERS = {{
      {"1s", "first-person singular"},
      {"2s", "second-person singular"},
      {"1p", "first-person plural"},
      {"2p", "second-person plural"},
      {"3", "third-person"},
  }};
  for (const auto& [code, en] : OWNERS) {
    if (code == possessive) {
      return " with " + std::string(en) + " possessive suffix";
    }
  }
  return {};
}

std::string_view participle_name(std::string_view participle) { return english_name(participle); }

std::string number_name(std::string_view number) {
  if (number == "singular" || number == "plural") {
    return std::string(number);
  }
  return {};
}

// "inessive plural" / "inessive" when the number is not given.
std::string case_and_number(std::string_view case_en, std::string_view number) {
  std::string text(case_en);
  std::string n = number_name(number);
  if (!n.empty()) {
    text += " " + n;
  }
  return text;
}

std::optional<std::string> verb_text(const Attributes& a, std::string_view base) {
  std::string_view mood = lookup(a, "MOOD");
  std::string_view tense = lookup(a, "TENSE");
  std::string_view person = lookup(a, "PERSON");
  std::string_view number = lookup(a, "NUMBER");
  std::string_view negative = lookup(a, "NEGATIVE");
  std::string poss = possessive_phrase(lookup(a, "POSSESSIVE"));
  std::string case_en(case_name(lookup(a, "SIJAMUOTO")));
  std::string of = " of " + std::string(base);

  static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> INFINITIVES = {{
      {"A-infinitive", "first infinitive"},
      {"E-infinitive", "second infinitive"},
      {"MA-infinitive", "third infinitive"},
      {"MINEN-infinitive", "fourth infinitive"},
      {"MAINEN-infinitive", "fifth infinitive"},
  }};
  for (const auto& [code, en] : INFINITIVES) {
    if (code == mood) {
      std::string text(en);
      if (!case_en.empty()) {
        text = case_en + " of the " + text;
      } else if (code == "A-infinitive" && poss.empty()) {
        return std::nullopt;  // the citation form itself
      }
      return text + of + poss;
    }
  }
  if (mood != "indicative" && mood != "conditional" && mood != "imperative" &&
      mood != "potential") {
    return std::nullopt;
  }
  std::string tense_en;
  if (tense == "present_simple") {
    tense_en = "present ";
  } else if (tense == "past_imperfective") {
    tense_en = "past ";
  }
  std::string mood_part = tense_en + std::string(mood);
  if (negative == "true") {
    return (person == "4" ? "passive " : "") + mood_part + " connegative" + of;
  }
  if (person == "4") {
    return "passive " + mood_part + of;
  }
  std::string_view person_en = person_name(person);
  std::string number_en = number_name(number);
  if (person_en.empty() || number_en.empty()) {
    return mood_part + of;
  }
  return std::string(person_en) + " " + number_en + " " + mood_part + of;
}

}  // namespace

std::vector<Component> parse_fst_output(std::string_view output) {
  std::vector<Component> parts(1);
  std::string surface;  // letters of the current part outside [X…]…[X] groups
  std::string first_base;
  std::size_t derivations = 0;
  std::size_t participle_level = 0;  // derivations before the participle tag
  std::size_t i = 0;
  enum class Group { None, Root, Derivation, Other } group = Group::None;
  std::string derivation;
  while (i < output.size()) {
    if (output[i] == '[') {
      std::size_t close = output.find(']', i);
      if (close == std::string_view::npos) {
        break;
      }
      std::string_view tag = output.substr(i, close - i + 1);
      i = close + 1;
      Component& part = parts.back();
      if (tag == "[X]") {
        if (group == Group::Derivation) {
          ++derivations;
          part.base = surface + derivation;
          part.derived = true;
          if (derivations == 1) {
            first_base = part.base;
          }
          part.participle = part.participle && participle_level + 1 == derivations;
          if (part.participle) {
            part.participle_of = participle_level == 0 ? part.root : first_base;
          }
        }
        group = Group::None;
      } else if (tag == "[Xp]") {
        group = Group::Root;
      } else if (tag == "[Xj]") {
        group = Group::Derivation;
        derivation.clear();
      } else if (tag.starts_with("[X")) {
        group = Group::Other;
      } else if (tag == "[Bc]") {
        parts.emplace_back();
        surface.clear();
        first_base.clear();
        derivations = 0;
      } else if (tag.starts_with("[L")) {
        if (part.word_class.empty()) {
          part.word_class = std::string(tag);
        } else if (part.participle && derivations == participle_level && tag != "[Ll]") {
          part.participle = false;  // a noun made from a participle is not a participle
        }
      } else if (tag.starts_with("[R")) {
        part.participle = true;
        participle_level = derivations;
      } else if (tag.starts_with("[O")) {
        part.possessive = true;
      }
      continue;
    }
    char c = output[i++];
    Component& part = parts.back();
    switch (group) {
      case Group::Root:
        if (c != '=') {
          part.root.push_back(c);
          if (!part.derived) {
            part.base = part.root;
          }
        }
        break;
      case Group::Derivation:
        derivation.push_back(c);
        break;
      case Group::Other:
        break;
      case Group::None:
        surface.push_back(c);
        break;
    }
  }
  for (Component& part : parts) {
    if (part.participle && part.participle_of.empty()) {
      part.participle = false;  // a participle tag with no derivation after it
    }
  }
  return parts;
}

std::optional<std::string> form_of_text(const Attributes& a, std::string_view base) {
  std::string_view cls = lookup(a, "CLASS");
  std::string poss = possessive_phrase(lookup(a, "POSSESSIVE"));
  if (cls == "teonsana" || cls == "kieltosana" ||
      (lookup(a, "MOOD").size() > 0 && lookup(a, "PARTICIPLE").empty())) {
    return verb_text(a, base);
  }
  std::string_view sija = lookup(a, "SIJAMUOTO");
  std::string_view number = lookup(a, "NUMBER");
  std::string_view comparison = lookup(a, "COMPARISON");
  std::string_view case_en = case_name(sija);
  std::string of = " of " + std::string(base);
  std::string_view participle = participle_name(lookup(a, "PARTICIPLE"));
  if (sija == "kerrontosti") {
    return "adverbial form" + of;
  }
  bool citation = sija == "nimento" && number == "singular";
  std::string degree;
  if (comparison == "comparative") {
    degree = "comparative degree";
  } else if (comparison == "superlative") {
    degree = "superlative degree";
  }
  std::string inner;  // what the form is a case of, when not the base itself
  if (!participle.empty()) {
    inner =
        degree.empty() ? std::string(participle) : degree + " of the " + std::string(participle);
  } else {
    inner = degree;
  }
  if (case_en.empty()) {
    if (inner.empty()) {
      return std::nullopt;
    }
    return inner + of + poss;
  }
  if (citation && poss.empty()) {
    if (inner.empty()) {
      return std::nullopt;
    }
    return inner + of;
  }
  std::string text = case_and_number(case_en, number);
  if (!inner.empty()) {
    text += " of the " + inner;
  }
  return text + of + poss;
}

std::optional<std::string_view> pos_for_class(std::string_view voikko_class) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 17> CLASSES = {{
      {"nimisana", "noun"},
      {"laatusana", "adj"},
      {"nimisana_laatusana", "adj"},
      {"teonsana", "verb"},
      {"seikkasana", "adv"},
      {"asemosana", "pron"},
      {"lukusana", "num"},
      {"etunimi", "name"},
      {"sukunimi", "name"},
      {"paikannimi", "name"},
      {"nimi", "name"},
      {"suhdesana", "postp"},
      {"sidesana", "conj"},
      {"huudahdussana", "intj"},
      {"kieltosana", "verb"},
      {"lyhenne", "abbrev"},
      {"etuliite", "prefix"},
  }};
  for (const auto& [fi, en] : CLASSES) {
    if (fi == voikko_class) {
      return en;
    }
  }
  return std::nullopt;
}

bool starts_upper(std::string_view text) {
  if (text.empty()) {
    return false;
  }
  auto c = static_cast<unsigned char>(text[0]);
  if (c >= 'A' && c <= 'Z') {
    return true;
  }
  if (c == 0xC3 && text.size() >= 2) {
    auto d = static_cast<unsigned char>(text[1]);
    return d >= 0x80 && d <= 0x9E && d != 0x97;  // U+00C0..U+00DE without ×
  }
  return false;
}

std::string capitalize_first(std::string_view text) {
  std::string out(text);
  if (out.empty()) {
    return out;
  }
  auto c = static_cast<unsigned char>(out[0]);
  if (c >= 'a' && c <= 'z') {
    out[0] = static_cast<char>(c - 32);
  } else if (c == 0xC3 && out.size() >= 2) {
    auto d = static_cast<unsigned char>(out[1]);
    if (d >= 0xA0 && d <= 0xBE && d != 0xB7) {  // U+00E0..U+00FE without ÷
      out[1] = static_cast<char>(d - 0x20);
    }
  }
  return out;
}

}  // namespace pnt::lexicon
