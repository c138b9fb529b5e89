#include "core/inflection_table.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/utf8.h"
#include "core/text.h"
#include "vfst/paths.h"

namespace pnt {
namespace {

// Which NEGATIVE values a cell takes: affirmative cells take "both" too (the imperative
// "juokse" is both), connegative cells take "true" and "both".
enum class Negative : std::uint8_t { Any, Affirmative, Connegative };

struct CellSpec {
  std::size_t section = 0;  // index into the table's sections
  std::size_t row = 0;      // index into that section's rows
  std::string label;
  std::vector<std::pair<Attr, std::string>> attributes;
  Negative negative = Negative::Any;
  bool participle = false;  // a participle's own forms (its BASEFORM is the participle)
  bool loose = false;       // person, number and tense may be anything
};

constexpr std::array<std::string_view, 15> CASES = {
    "nimento",     "omanto",     "osanto",      "olento",     "tulento",
    "sisaolento",  "sisaeronto", "sisatulento", "ulkoolento", "ulkoeronto",
    "ulkotulento", "vajanto",    "seuranto",    "keinonto",   "kohdanto",
};

// PERSON and NUMBER of the verb table's rows.
constexpr std::array<std::pair<std::string_view, std::string_view>, 7> PERSONS = {{
    {"1", "singular"},
    {"2", "singular"},
    {"3", "singular"},
    {"1", "plural"},
    {"2", "plural"},
    {"3", "plural"},
    {"4", ""},
}};

// MOOD and TENSE of the verb table's sections.
constexpr std::array<std::pair<std::string_view, std::string_view>, 5> MOODS = {{
    {"indicative", "present_simple"},
    {"indicative", "past_imperfective"},
    {"conditional", "present_simple"},
    {"imperative", "present_simple"},
    {"potential", "present_simple"},
}};

constexpr std::array<std::string_view, 6> PARTICIPLES = {
    "present_active", "present_passive", "past_active", "past_passive", "agent", "negation",
};

// "indicative present", "indicative past", "conditional", …
std::string mood_title(std::string_view mood, std::string_view tense) {
  if (mood == "indicative") {
    return std::string(mood) + " " + std::string(english_name(tense));
  }
  return std::string(english_name(mood));
}

class Layout {
 public:
  explicit Layout(InflectionTable& table) : table_(table) {}

  std::size_t section(std::string_view title, std::vector<std::string> columns = {}) {
    table_.sections.push_back(TableSection{std::string(title), std::move(columns), {}});
    return table_.sections.size() - 1;
  }
  std::size_t row(std::size_t section, std::string_view label) {
    auto& rows = table_.sections[section].rows;
    rows.push_back(TableRow{std::string(label), {}});
    return rows.size() - 1;
  }
  void cell(std::size_t section, std::size_t row, std::string label,
            std::vector<std::pair<Attr, std::string>> attributes, Negative negative = Negative::Any,
            bool participle = false, bool loose = false) {
    std::sort(attributes.begin(), attributes.end());
    specs_.push_back(CellSpec{section, row, std::move(label), std::move(attributes), negative,
                              participle, loose});
  }
  [[nodiscard]] const std::vector<CellSpec>& specs() const { return specs_; }

 private:
  InflectionTable& table_;
  std::vector<CellSpec> specs_;
};

void nominal_layout(Layout& layout, bool compared) {
  const std::array<std::pair<std::string_view, std::string_view>, 3> degrees = {{
      {"positive", "cases"},
      {"comparative", "comparative"},
      {"superlative", "superlative"},
  }};
  for (const auto& [degree, title] : degrees) {
    if (!compared && degree != "positive") {
      break;
    }
    std::size_t s = layout.section(title, {"singular", "plural"});
    for (std::string_view name : CASES) {
      std::string_view english = english_name(name);
      std::size_t r = layout.row(s, english);
      for (std::string_view number : {"singular", "plural"}) {
        std::vector<std::pair<Attr, std::string>> attrs = {{Attr::Sijamuoto, std::string(name)},
                                                           {Attr::Number, std::string(number)}};
        std::string label = std::string(number) + " " + std::string(english);
        if (compared) {
          attrs.emplace_back(Attr::Comparison, std::string(degree));
          if (degree != "positive") {
            label = std::string(degree) + " " + label;
          }
        }
        layout.cell(s, r, label, std::move(attrs));
      }
    }
  }
}

void verb_layout(Layout& layout) {
  for (const auto& [mood, tense] : MOODS) {
    const std::string title = mood_title(mood, tense);
    std::size_t s = layout.section(title);
    for (const auto& [person, number] : PERSONS) {
      const std::string label = person_name(person, number);
      std::size_t r = layout.row(s, label);
      std::vector<std::pair<Attr, std::string>> attrs = {{Attr::Mood, std::string(mood)},
                                                         {Attr::Tense, std::string(tense)},
                                                         {Attr::Person, std::string(person)}};
      if (!number.empty()) {
        attrs.emplace_back(Attr::Number, std::string(number));
      }
      layout.cell(s, r, title + ", " + label, std::move(attrs), Negative::Affirmative);
    }
  }
  std::size_t neg = layout.section("negative forms");
  for (std::string_view mood : {"indicative", "conditional", "imperative", "potential"}) {
    std::string label = std::string(mood) + " connegative";
    layout.cell(neg, layout.row(neg, label), label, {{Attr::Mood, std::string(mood)}},
                Negative::Connegative, false, true);
  }
  for (std::string_view kind : {"past_active", "past_passive"}) {
    for (std::string_view number : {"singular", "plural"}) {
      if (kind == "past_passive" && number == "plural") {
        continue;
      }
      std::string label =
          std::string(kind == "past_active" ? "past connegative " : "passive past connegative ") +
          std::string(number);
      layout.cell(neg, layout.row(neg, label), label,
                  {{Attr::Participle, std::string(kind)},
                   {Attr::Sijamuoto, "nimento"},
                   {Attr::Number, std::string(number)}},
                  Negative::Any, true);
    }
  }
  std::size_t inf = layout.section("infinitives");
  layout.cell(inf, layout.row(inf, "A-infinitive"), "A-infinitive", {{Attr::Mood, "A-infinitive"}});
  layout.cell(inf, layout.row(inf, "E-infinitive"), "E-infinitive", {{Attr::Mood, "E-infinitive"}});
  for (std::string_view c :
       {"sisaolento", "sisaeronto", "sisatulento", "ulkoolento", "vajanto", "keinonto"}) {
    std::string label = "MA-infinitive " + std::string(english_name(c));
    layout.cell(inf, layout.row(inf, label), label,
                {{Attr::Mood, "MA-infinitive"}, {Attr::Sijamuoto, std::string(c)}}, Negative::Any,
                false, true);
  }
  layout.cell(
      inf, layout.row(inf, "MINEN-infinitive"), "MINEN-infinitive",
      {{Attr::Mood, "MINEN-infinitive"}, {Attr::Sijamuoto, "nimento"}, {Attr::Number, "singular"}});
  std::size_t part = layout.section("participles");
  for (std::string_view value : PARTICIPLES) {
    std::string_view english = english_name(value);
    layout.cell(part, layout.row(part, english), std::string(english),
                {{Attr::Participle, std::string(value)},
                 {Attr::Sijamuoto, "nimento"},
                 {Attr::Number, "singular"}},
                Negative::Any, true);
  }
}

bool negative_fits(Negative n, const std::string& value) {
  switch (n) {
    case Negative::Any:
      return true;
    case Negative::Affirmative:
      return value != "true";
    case Negative::Connegative:
      return value == "true" || value == "both";
  }
  std::unreachable();
}

// The attributes a cell's key may leave out only when the reading lacks them too.
constexpr std::array<Attr, 10> KEYED = {
    Attr::Comparison, Attr::Sijamuoto, Attr::Number,     Attr::Possessive, Attr::Person,
    Attr::Mood,       Attr::Tense,     Attr::Participle, Attr::Focus,      Attr::Kysymysliite};

bool fits(const CellSpec& cell_spec, const Reading& r) {
  for (Attr a : KEYED) {
    if (cell_spec.loose && (a == Attr::Person || a == Attr::Number || a == Attr::Tense)) {
      continue;
    }
    if (a == Attr::Comparison && r.get(a) == "positive") {
      continue;  // a noun compound's last part may be an adjective ("ohimo·kihara")
    }
    auto it = std::find_if(cell_spec.attributes.begin(), cell_spec.attributes.end(),
                           [&](const auto& kv) { return kv.first == a; });
    const std::string& have = r.get(a);
    if (it == cell_spec.attributes.end() ? !have.empty() : have != it->second) {
      return false;
    }
  }
  for (const auto& [a, value] : cell_spec.attributes) {
    if (r.get(a) != value) {
      return false;
    }
  }
  return negative_fits(cell_spec.negative, r.get(Attr::Negative));
}

// What the walk needs to know of the headword's lexeme, from one of its own outputs.
struct Lexeme {
  std::string word_class_tag;  // the last part's first "[L…]" tag
  std::string root;            // the last part's root, "=" removed
  std::string base;            // the last part's base form
  std::string prefix;          // the letters before the last part
  std::size_t derivations = 0;
  std::vector<std::string> steps;  // the base after each derivation, as the walk sees it
  std::string word_class;          // CLASS of the reading
  bool compound = false;
  bool participle = false;  // the headword reads as a participle ("epäilty")
};

// The base after each derivation of one word part's output: the letters outside any group so
// far and the derivation's own ("kääntämä", "kääntämätön", "kääntämättömyys").
std::vector<std::string> derived_bases(std::string_view part) {
  enum class Group : std::uint8_t { None, Derivation, Other };
  std::vector<std::string> bases;
  std::string outside;
  std::string derivation;
  Group group = Group::None;
  std::size_t at = 0;
  while (at < part.size()) {
    const std::size_t open = std::min(part.find('[', at), part.size());
    const std::string_view letters = part.substr(at, open - at);
    if (group == Group::None) {
      outside += letters;
    } else if (group == Group::Derivation) {
      derivation += letters;
    }
    const std::size_t close = part.find(']', open);
    if (close == std::string_view::npos) {
      break;
    }
    const std::string_view tag = part.substr(open, close - open + 1);
    at = close + 1;
    if (tag == "[X]" && group == Group::Derivation) {
      bases.push_back(outside + derivation);
    }
    if (tag == "[X]") {
      group = Group::None;
    } else if (tag == "[Xj]") {
      group = Group::Derivation;
      derivation.clear();
    } else if (tag.starts_with("[X")) {
      group = Group::Other;  // the root and structure groups
    }
  }
  return bases;
}

std::optional<Lexeme> lexeme_of(std::string_view output, const Reading& reading,
                                std::string_view lower_headword) {
  Lexeme lx;
  std::size_t last = output.rfind("[Bc]");
  std::string_view part = output;
  if (last != std::string_view::npos) {
    part = output.substr(last + 4);
    lx.compound = true;
    std::uint32_t boundary = reading.boundaries.empty() ? 0 : reading.boundaries.back();
    if (boundary > lower_headword.size()) {
      return std::nullopt;
    }
    lx.prefix = lower_headword.substr(0, boundary);
  }
  std::size_t cls = part.find("[L");
  std::size_t root = part.find("[Xp]");
  if (cls == std::string_view::npos || root == std::string_view::npos) {
    return std::nullopt;
  }
  lx.word_class_tag = part.substr(cls, part.find(']', cls) - cls + 1);
  std::size_t end = part.find("[X]", root);
  if (end == std::string_view::npos) {
    return std::nullopt;
  }
  for (char c : part.substr(root + 4, end - root - 4)) {
    if (c != '=') {
      lx.root.push_back(c);
    }
  }
  lx.steps = derived_bases(part);
  lx.derivations = lx.steps.size();
  lx.base = lower_headword.substr(lx.prefix.size());
  lx.word_class = reading.get(Attr::Class);
  lx.participle = !reading.get(Attr::Participle).empty();
  return lx;
}

bool is_citation_form(const Reading& r) {
  const std::string& mood = r.get(Attr::Mood);
  if (r.get(Attr::Class) == "teonsana") {
    return mood == "A-infinitive" && r.get(Attr::Possessive).empty();
  }
  const std::string& c = r.get(Attr::Sijamuoto);
  return mood.empty() && r.get(Attr::Possessive).empty() && r.get(Attr::Focus).empty() &&
         r.get(Attr::Kysymysliite).empty() &&
         (c.empty() || (c == "nimento" && r.get(Attr::Number) == "singular"));
}

}  // namespace

std::vector<const TableCell*> InflectionTable::cells() const {
  std::vector<const TableCell*> out;
  for (const TableSection& section : sections) {
    for (const TableRow& row : section.rows) {
      for (const TableCell& cell : row.cells) {
        out.push_back(&cell);
      }
    }
  }
  return out;
}

InflectionTable build_inflection_table(const vfst::Transducer& transducer,
                                       std::string_view headword) {
  InflectionTable table;
  table.headword = headword;
  const std::string lower = to_lower(headword);
  std::optional<Lexeme> lexeme;
  for (const std::string& output : vfst::lookup(transducer, lower)) {
    auto r = reading_of_output(output);
    if (!r || r->get(Attr::Baseform) != headword || !is_citation_form(*r)) {
      continue;
    }
    lexeme = lexeme_of(output, *r, lower);
    if (lexeme) {
      break;
    }
  }
  // A compound numeral inflects in every part ("seitsemännenkymmenennen"), not only the last.
  if (!lexeme || (lexeme->compound && lexeme->word_class == "lukusana")) {
    return table;
  }
  const bool verb = lexeme->word_class == "teonsana";
  // Every form of a participle reads as that participle, which no nominal cell takes: its
  // table is empty, and walking its cases, comparisons and variants would only find that.
  if (lexeme->participle && !verb) {
    return table;
  }
  const bool compared =
      lexeme->word_class == "laatusana" || lexeme->word_class == "nimisana_laatusana";
  Layout layout(table);
  if (verb) {
    verb_layout(layout);
  } else {
    // voikko accepts few comparatives of compound adjectives.
    nominal_layout(layout, compared && !lexeme->compound);
  }

  vfst::WantedLexemes wanted;
  wanted.add(lexeme->word_class_tag, lexeme->root, lexeme->base);
  wanted.classes.insert(lexeme->word_class_tag);
  for (const std::string& step : lexeme->steps) {
    wanted.steps.insert(vfst::lexeme_key(lexeme->word_class_tag, lexeme->root, step));
  }
  vfst::EnumerateOptions options;
  options.possessives = false;
  options.max_derivations = lexeme->derivations + (verb ? 1 : 0);
  options.min_derivations = lexeme->derivations;
  options.max_paths = 20'000;
  options.max_visits = 200'000;  // some 20 times what the largest tables take
  options.root_within_output = 3;
  options.verb_table_forms = verb;
  if (lexeme->compound) {
    options.preset_flags = {{"YS_ALKANUT", "ON"}, {"INEN_SALLITTU", "ON"}};
  }
  std::vector<std::vector<std::string>> forms(layout.specs().size());
  auto take = [&](const vfst::Path& path) {
    auto r = reading_of_output(path.output);
    if (!r) {
      return;
    }
    bool own = to_lower(r->get(Attr::Baseform)) == lexeme->base;
    bool participle = !r->get(Attr::Participle).empty() && r->participle_of == lexeme->base;
    if (!own && !participle) {
      return;
    }
    for (std::size_t i = 0; i < layout.specs().size(); ++i) {
      const CellSpec& cell_spec = layout.specs()[i];
      if (cell_spec.participle != (participle && !own) || !fits(cell_spec, *r)) {
        continue;
      }
      std::string form = with_capitals_of(lexeme->prefix + std::string(path.surface), headword);
      if (std::find(forms[i].begin(), forms[i].end(), form) == forms[i].end()) {
        forms[i].push_back(std::move(form));
      }
    }
  };
  (void)vfst::enumerate_paths(transducer, wanted, options, take);

  for (std::size_t i = 0; i < layout.specs().size(); ++i) {
    if (forms[i].empty()) {
      continue;
    }
    const CellSpec& cell_spec = layout.specs()[i];
    table.sections[cell_spec.section].rows[cell_spec.row].cells.push_back(
        TableCell{cell_spec.label, cell_spec.attributes, std::move(forms[i])});
  }
  for (TableSection& section : table.sections) {
    std::erase_if(section.rows, [](const TableRow& row) { return row.cells.empty(); });
  }
  std::erase_if(table.sections, [](const TableSection& s) { return s.rows.empty(); });
  if (!table.sections.empty()) {
    table.word_class = lexeme->word_class;
  }
  return table;
}

}  // namespace pnt
