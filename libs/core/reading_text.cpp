// The short English line of a reading: "plural inessive + our (talo, noun)".
#include <string>
#include <string_view>
#include <utility>

#include "core/readings.h"

namespace pnt {
namespace {

constexpr std::pair<std::string_view, std::string_view> ENGLISH[] = {
    {"nimento", "nominative"},
    {"omanto", "genitive"},
    {"osanto", "partitive"},
    {"olento", "essive"},
    {"tulento", "translative"},
    {"kohdanto", "accusative"},
    {"sisaolento", "inessive"},
    {"sisaeronto", "elative"},
    {"sisatulento", "illative"},
    {"ulkoolento", "adessive"},
    {"ulkoeronto", "ablative"},
    {"ulkotulento", "allative"},
    {"vajanto", "abessive"},
    {"seuranto", "comitative"},
    {"keinonto", "instructive"},
    {"kerrontosti", "adverb in -sti"},
    {"nimisana", "noun"},
    {"laatusana", "adjective"},
    {"nimisana_laatusana", "noun, adjective"},
    {"teonsana", "verb"},
    {"seikkasana", "adverb"},
    {"asemosana", "pronoun"},
    {"suhdesana", "adposition"},
    {"huudahdussana", "interjection"},
    {"sidesana", "conjunction"},
    {"etunimi", "first name"},
    {"sukunimi", "surname"},
    {"paikannimi", "place name"},
    {"nimi", "name"},
    {"kieltosana", "negative verb"},
    {"lyhenne", "abbreviation"},
    {"lukusana", "numeral"},
    {"etuliite", "prefix"},
    {"1s", "my"},
    {"2s", "your"},
    {"1p", "our"},
    {"2p", "your (plural)"},
    {"3", "his, her, their"},
    {"present_active", "present active participle"},
    {"present_passive", "present passive participle"},
    {"past_active", "past active participle"},
    {"past_passive", "past passive participle"},
    {"agent", "agent participle"},
    {"negation", "negative participle"},
    {"comparative", "comparative"},
    {"superlative", "superlative"},
    {"present_simple", "present"},
    {"past_imperfective", "past"},
    {"conditional", "conditional"},
    {"imperative", "imperative"},
    {"potential", "potential"},
};

}  // namespace

std::string_view english_name(std::string_view value) {
  for (const auto& [fi, en] : ENGLISH) {
    if (fi == value) {
      return en;
    }
  }
  return value;
}

std::string person_name(std::string_view person, std::string_view number) {
  if (person.empty()) {
    return {};
  }
  if (person == "4") {
    return "passive";
  }
  std::string out = person == "1" ? "1st" : person == "2" ? "2nd" : "3rd";
  out += " person";
  if (!number.empty()) {
    out += ' ';
    out += number;
  }
  return out;
}

namespace {

std::string_view english(std::string_view value) { return english_name(value); }

void add_item(std::string& out, std::string_view item) {
  if (item.empty()) {
    return;
  }
  if (!out.empty()) {
    out += ", ";
  }
  out += item;
}

// "plural inessive"; the number alone stays unsaid when there is no case.
std::string case_text(const Reading& r) {
  const std::string& c = r.get(Attr::Sijamuoto);
  if (c.empty()) {
    return {};
  }
  if (c == "kerrontosti") {
    return std::string(english(c));
  }
  std::string out;
  if (!r.get(Attr::Number).empty() && r.get(Attr::Mood).empty()) {
    out = r.get(Attr::Number) + " ";
  }
  out += english(c);
  return out;
}

}  // namespace

std::string describe_reading(const Reading& r) {
  std::string out;
  const std::string& mood = r.get(Attr::Mood);
  if (mood == "indicative") {
    add_item(out, english(r.get(Attr::Tense) == "past_imperfective" ? "past_imperfective"
                                                                    : "present_simple"));
  } else if (!mood.empty()) {
    add_item(out, english(mood));
  }
  add_item(out, english(r.get(Attr::Participle)));
  add_item(out, english(r.get(Attr::Comparison) == "positive" ? "" : r.get(Attr::Comparison)));
  if (r.get(Attr::Person).empty() || !r.get(Attr::Sijamuoto).empty()) {
    add_item(out, case_text(r));
  }
  add_item(out, person_name(r.get(Attr::Person), r.get(Attr::Number)));
  if (r.get(Attr::Negative) == "true") {
    add_item(out, "connegative");
  }
  if (out.empty()) {
    out = "base form";
  }
  if (!r.get(Attr::Possessive).empty()) {
    out += " + ";
    out += english(r.get(Attr::Possessive));
  }
  if (!r.get(Attr::Focus).empty()) {
    out += " + -" + r.get(Attr::Focus);
  }
  if (r.get(Attr::Kysymysliite) == "true") {
    out += " + -ko";
  }
  out += " (";
  out += r.get(Attr::Baseform);
  if (!r.participle_of.empty()) {
    out += ", participle of " + r.participle_of;
  } else if (!r.get(Attr::Class).empty()) {
    out += ", ";
    out += english(r.get(Attr::Class));
  }
  out += ')';
  return out;
}

std::string reading_line(std::string_view word, const Reading& reading) {
  std::string out(word);
  out += ": ";
  out += describe_reading(reading);
  return out;
}

}  // namespace pnt
