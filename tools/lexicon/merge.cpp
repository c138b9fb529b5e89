#include "lexicon/merge.h"

#include <algorithm>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "base/utf8.h"

namespace pnt::lexicon {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && is_blank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

// English words that mark a grammar note rather than a Finnish word.
constexpr std::array<std::string_view, 22> GRAMMAR_WORDS = {
    "genitive",    "partitive",  "infinitive", "nominative",  "accusative", "inessive",
    "elative",     "illative",   "adessive",   "ablative",    "allative",   "essive",
    "translative", "abessive",   "comitative", "instructive", "participle", "singular",
    "plural",      "possessive", "imperative", "case"};

bool has_grammar_word(std::string_view term) {
  std::size_t i = 0;
  while (i < term.size()) {
    while (i < term.size() && !(term[i] >= 'a' && term[i] <= 'z')) {
      ++i;
    }
    std::size_t start = i;
    while (i < term.size() && term[i] >= 'a' && term[i] <= 'z') {
      ++i;
    }
    std::string_view word = term.substr(start, i - start);
    if (!word.empty() &&
        std::find(GRAMMAR_WORDS.begin(), GRAMMAR_WORDS.end(), word) != GRAMMAR_WORDS.end()) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string remove_parenthesised(std::string_view text) {
  std::string out;
  int depth = 0;
  for (char c : text) {
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth > 0) {
        --depth;
      }
    } else if (depth == 0) {
      out.push_back(c);
    }
  }
  return out;
}

std::vector<std::string> finnish_terms(std::string_view line) {
  std::vector<std::string> terms;
  for (const std::string& part : split_top_level_commas(line)) {
    if (auto term = clean_finnish_term(part)) {
      if (std::find(terms.begin(), terms.end(), *term) == terms.end()) {
        terms.push_back(std::move(*term));
      }
    }
  }
  return terms;
}

std::optional<std::uint8_t> pos_index(std::string_view name) {
  for (std::size_t i = 0; i < POS_NAMES.size(); ++i) {
    if (POS_NAMES[i] == name) {
      return static_cast<std::uint8_t>(i);
    }
  }
  return std::nullopt;
}

std::optional<std::uint8_t> pos_for_tag(std::string_view tag) {
  static const std::unordered_map<std::string_view, std::string_view> TAGS = {
      {"n", "noun"},
      {"v", "verb"},
      {"adj", "adj"},
      {"pn", "name"},
      {"adv", "adv"},
      {"pronoun", "pron"},
      {"phraseologicalUnit", "phrase"},
      {"idiom", "phrase"},
      {"numeral", "num"},
      {"interjection", "intj"},
      {"proverb", "proverb"},
      {"prefix", "prefix"},
      {"suffix", "suffix"},
      {"postposition", "postp"},
      {"preposition", "prep"},
      {"conjunction", "conj"},
      {"determiner", "det"},
      {"article", "det"},
      {"particle", "particle"},
      {"abbreviation", "abbrev"},
      {"symbol", "symbol"}};
  auto it = TAGS.find(tag);
  if (it == TAGS.end()) {
    return std::nullopt;
  }
  return pos_index(it->second);
}

std::string strip_sense_numbers(std::string_view line) {
  std::string_view s = trim(line);
  // Leading "12. ".
  std::size_t i = 0;
  while (i < s.size() && is_digit(s[i])) {
    ++i;
  }
  if (i > 0 && i < s.size() && s[i] == '.' && (i + 1 == s.size() || is_blank(s[i + 1]))) {
    s = trim(s.substr(i + 1));
  }
  // Trailing " 3." (also a lone "3." once the leading number has gone).
  if (!s.empty() && s.back() == '.') {
    std::size_t end = s.size() - 1;
    std::size_t j = end;
    while (j > 0 && is_digit(s[j - 1])) {
      --j;
    }
    if (j < end && (j == 0 || is_blank(s[j - 1]))) {
      s = trim(s.substr(0, j));
    }
  }
  return std::string(s);
}

std::string resolve_wiki_links(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, "[[") == 0) {
      std::size_t close = text.find("]]", i + 2);
      if (close != std::string_view::npos) {
        std::string_view inner = text.substr(i + 2, close - i - 2);
        std::size_t bar = inner.rfind('|');
        out.append(bar == std::string_view::npos ? inner : inner.substr(bar + 1));
        i = close + 2;
        continue;
      }
    }
    out.push_back(text[i]);
    ++i;
  }
  return out;
}

std::string collapse_spaces(std::string_view text) {
  std::string out;
  bool pending = false;
  for (char c : text) {
    if (is_blank(c)) {
      pending = !out.empty();
      continue;
    }
    if (pending) {
      out.push_back(' ');
      pending = false;
    }
    out.push_back(c);
  }
  return out;
}

std::string clean_translation(std::string_view line, std::string_view headword) {
  std::string s = strip_sense_numbers(line);
  std::size_t hash = s.find('#');
  if (hash != std::string::npos) {
    // "X#Englanti": X is the English word; "#Englanti" alone: the same word as the headword.
    s = trim(s.substr(0, hash)).empty() ? std::string(headword) : s.substr(0, hash);
  }
  return collapse_spaces(resolve_wiki_links(s));
}

std::vector<std::string> split_top_level_commas(std::string_view text) {
  std::vector<std::string> parts;
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : ',';
    if (c == '(' || c == '[') {
      ++depth;
    } else if ((c == ')' || c == ']') && depth > 0) {
      --depth;
    } else if (c == ',' && (depth == 0 || i == text.size())) {
      std::string_view part = trim(text.substr(start, i - start));
      if (!part.empty()) {
        parts.emplace_back(part);
      }
      start = i + 1;
    }
  }
  return parts;
}

std::optional<std::string> clean_finnish_term(std::string_view term) {
  std::string s = resolve_wiki_links(term);
  if (std::size_t hash = s.find('#'); hash != std::string::npos) {
    s.resize(hash);
  }
  if (s.find("...") != std::string::npos || s.find("\xE2\x80\xA6") != std::string::npos ||
      s.find('+') != std::string::npos || s.find("etc") != std::string::npos ||
      s.find("{{") != std::string::npos || s.find("}}") != std::string::npos ||
      s.find("[[") != std::string::npos || s.find("]]") != std::string::npos ||
      has_grammar_word(s)) {
    // Braces or brackets left after the links are resolved are what remains of a template
    // or link cut apart in the source ("ettei }} voi huijata"): the term is mangled.
    return std::nullopt;
  }
  s = collapse_spaces(remove_parenthesised(s));
  // Stray list punctuation left at the ends by removed parts.
  while (!s.empty() && (s.back() == ';' || s.back() == ':' || s.back() == ',')) {
    s.pop_back();
  }
  s = collapse_spaces(s);
  if (s.empty() || !is_utf8(s)) {
    return std::nullopt;
  }
  return s;
}

std::string short_hint(std::string_view definition) {
  constexpr std::size_t MAX_CHARS = 40;
  std::string s = collapse_spaces(remove_parenthesised(resolve_wiki_links(definition)));
  while (!s.empty() && (s.back() == '.' || s.back() == ';' || s.back() == ':')) {
    s.pop_back();
  }
  if (char_count(s) <= MAX_CHARS) {
    return s;
  }
  std::size_t cut = prefix_bytes(s, MAX_CHARS);
  std::size_t space = s.rfind(' ', cut);
  if (space != std::string::npos && space > cut / 2) {
    cut = space;
  }
  s.resize(cut);
  while (!s.empty() && (s.back() == ',' || s.back() == ' ' || s.back() == ';')) {
    s.pop_back();
  }
  return s + "\xE2\x80\xA6";
}

Merger::GroupState& Merger::group(const std::string& headword, std::uint8_t pos) {
  std::vector<GroupState>& groups = words_[headword];
  for (GroupState& g : groups) {
    if (g.pos == pos) {
      return g;
    }
  }
  groups.push_back(GroupState{pos, {}, {}});
  return groups.back();
}

std::string Merger::inverted_headword(const std::string& term, std::uint8_t pos) const {
  // eng-fin writes suffixes bare ("er" -> "is", "in", "ja"): as headwords they would read as
  // words and catch every English "is" or "in" linked from a meaning. A suffix fin-eng
  // already lists bare keeps its spelling, so both sources end up in one entry.
  static const std::uint8_t SUFFIX = *pos_index("suffix");
  if (pos != SUFFIX || term.starts_with('-')) {
    return term;
  }
  if (auto it = words_.find(term); it != words_.end()) {
    for (const GroupState& g : it->second) {
      if (g.pos == SUFFIX && !g.direct.empty()) {
        return term;
      }
    }
  }
  return "-" + term;
}

void Merger::add_fin_eng(const std::vector<RawEntry>& entries) {
  for (const RawEntry& entry : entries) {
    if (!is_utf8(entry.headword)) {
      continue;
    }
    std::optional<std::uint8_t> pos = pos_for_tag(entry.pos_tag);
    std::uint8_t p = pos ? *pos : guess_(entry.headword);
    GroupState* g = nullptr;
    for (const Sense& sense : entry.senses) {
      std::string text = clean_translation(sense.translation, entry.headword);
      if (text.empty() || !is_utf8(text)) {
        continue;  // a lone sense number repeats the translation already taken
      }
      if (g == nullptr) {
        g = &group(entry.headword, p);
      }
      if (std::find(g->direct.begin(), g->direct.end(), text) == g->direct.end()) {
        g->direct.push_back(std::move(text));
      }
    }
  }
}

void Merger::add_eng_fin(const std::vector<RawEntry>& entries) {
  static const std::uint8_t PHRASE = *pos_index("phrase");
  static const std::uint8_t PROVERB = *pos_index("proverb");
  std::vector<std::vector<std::string>> sense_terms;
  std::vector<std::string> order;
  for (const RawEntry& entry : entries) {
    std::string english = collapse_spaces(entry.headword);
    if (english.empty() || !is_utf8(english)) {
      continue;
    }
    std::optional<std::uint8_t> pos = pos_for_tag(entry.pos_tag);
    // An English word of several words is a compound or a phrasal word; a plain Finnish word
    // given for it is often only a part of the Finnish compound or phrase ("theme park": maa,
    // as in -maa; "clock in": olla, as in olla töissä). Phrases and proverbs are whole.
    const bool compound_english =
        english.find(' ') != std::string::npos && pos && *pos != PHRASE && *pos != PROVERB;
    sense_terms.clear();
    order.clear();
    for (const Sense& sense : entry.senses) {
      std::string line = strip_sense_numbers(sense.translation);
      // An empty line after the numbers were stripped repeats the previous terms.
      if (!line.empty() || sense_terms.empty()) {
        sense_terms.push_back(line.empty() ? std::vector<std::string>{} : finnish_terms(line));
      } else {
        sense_terms.push_back(sense_terms.back());
      }
      for (const std::string& term : sense_terms.back()) {
        if (std::find(order.begin(), order.end(), term) == order.end()) {
          order.push_back(term);
        }
      }
    }
    const auto senses = static_cast<std::uint32_t>(sense_terms.size());
    auto strength = [&](const std::string& term) {
      std::uint32_t with = 0;
      for (const std::vector<std::string>& terms : sense_terms) {
        with += std::find(terms.begin(), terms.end(), term) != terms.end() ? 1 : 0;
      }
      auto place =
          static_cast<std::uint32_t>(std::find(order.begin(), order.end(), term) - order.begin());
      return 1000 * with / (senses * (1 + place));
    };
    auto hyphenated = [&](const std::string& term) {
      return std::find(order.begin(), order.end(), term + "-") != order.end() ||
             std::find(order.begin(), order.end(), "-" + term) != order.end();
    };
    for (std::size_t s = 0; s < entry.senses.size(); ++s) {
      const Sense& sense = entry.senses[s];
      std::string definition = is_utf8(sense.definition) ? sense.definition : std::string();
      std::string label = sense_label(definition);
      for (const std::string& term : sense_terms[s]) {
        std::uint8_t p = pos ? *pos : guess_(term);
        group(inverted_headword(term, p), p)
            .inverted.push_back(Inverted{english, definition, label, strength(term),
                                         static_cast<std::uint32_t>(order.size()),
                                         static_cast<std::uint32_t>(s), pos.has_value(),
                                         compound_english, hyphenated(term)});
      }
    }
  }
}

namespace {

// Labels that say how a sense is used, shown with it; those that make it obscure beside
// the word's everyday meanings; those that only describe grammar. Others name a field.
constexpr std::array<std::string_view, 18> SHOWN_LABELS = {
    "slang",      "vulgar",     "colloquial",  "informal",     "figuratively", "figurative",
    "pejorative", "derogatory", "euphemistic", "humorous",     "offensive",    "dated",
    "poetic",     "literary",   "childish",    "vulgar slang", "familiar",     "ironic"};
constexpr std::array<std::string_view, 9> OBSCURE_LABELS = {
    "obsolete", "archaic",     "historical",     "rare",    "dialectal",
    "dialect",  "nonstandard", "obsolete slang", "uncommon"};
constexpr std::array<std::string_view, 21> GRAMMAR_LABELS = {
    "transitive", "intransitive", "countable", "uncountable", "idiomatic",  "of a person",
    "US",         "UK",           "British",   "American",    "Australian", "reflexive",
    "ergative",   "auxiliary",    "plural",    "singular",    "usually",    "often",
    "chiefly",    "especially",   "impersonal"};

template <std::size_t N>
bool among(const std::array<std::string_view, N>& list, std::string_view word) {
  return std::find(list.begin(), list.end(), word) != list.end();
}

// The label's first item: "computing, programming" is filed as "computing".
std::string_view first_item(std::string_view label) {
  return label.substr(0, std::min(label.find(','), label.size()));
}

bool contains(const std::vector<std::uint8_t>& list, std::uint8_t x) {
  return std::find(list.begin(), list.end(), x) != list.end();
}

// A determiner is filed by voikko as a pronoun; an adjective serves as a noun too ("hyvä").
bool has_class(const WordClasses& classes, std::uint8_t pos) {
  static const std::uint8_t DET = *pos_index("det");
  static const std::uint8_t NOUN = *pos_index("noun");
  return contains(classes.pos, pos) || (pos == DET && contains(classes.pos, *pos_index("pron"))) ||
         (pos == NOUN && contains(classes.pos, *pos_index("adj")));
}

}  // namespace

void MergeStats::add(const MergeStats& o) {
  kept += o.kept;
  covered += o.covered;
  wrong_pos += o.wrong_pos;
  compound += o.compound;
  obscure += o.obscure;
  weak += o.weak;
  cap += o.cap;
  other_class += o.other_class;
  labelled += o.labelled;
  unchecked_words += o.unchecked_words;
  dropped_groups.insert(dropped_groups.end(), o.dropped_groups.begin(), o.dropped_groups.end());
}

std::string sense_label(std::string_view definition) {
  std::string_view d = trim(definition);
  std::size_t end = 0;
  std::string_view label;
  if (d.starts_with('(')) {
    end = d.find(')');
    label = end == std::string_view::npos ? std::string_view{} : d.substr(1, end - 1);
  } else {
    end = d.find(':');
    label = end == std::string_view::npos ? std::string_view{} : d.substr(0, end);
  }
  constexpr std::size_t MAX_LABEL = 30;
  if (label.empty() || label.size() > MAX_LABEL || end + 1 >= d.size()) {
    return {};
  }
  for (char c : label) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && c != ' ' && c != ',' && c != '-') {
      return {};
    }
  }
  if (std::count(label.begin(), label.end(), ' ') > 2 ||
      among(GRAMMAR_LABELS, trim(first_item(label)))) {
    return {};
  }
  return std::string(trim(label));
}

bool pos_fits(std::uint8_t pos, const WordClasses& classes, bool inverted) {
  static const std::uint8_t NOUN = *pos_index("noun");
  static const std::uint8_t VERB = *pos_index("verb");
  static const std::uint8_t ADJ = *pos_index("adj");
  static const std::uint8_t ADV = *pos_index("adv");
  if (classes.pos.empty() || (pos != NOUN && pos != VERB && pos != ADJ && pos != ADV)) {
    return true;
  }
  const bool verb = contains(classes.pos, VERB);
  if (!inverted || pos == VERB) {
    // voikko files many adjectives, adverbs and pronouns as nouns; only a verb is certain.
    return pos == VERB
               ? verb
               : classes.nonverb_form || std::any_of(classes.pos.begin(), classes.pos.end(),
                                                     [&](std::uint8_t c) { return c != VERB; });
  }
  static const std::array<std::vector<std::uint8_t>, 3> FITS = {
      std::vector<std::uint8_t>{NOUN, ADJ, *pos_index("name"), *pos_index("num"),
                                *pos_index("abbrev")},
      std::vector<std::uint8_t>{ADJ, *pos_index("num"), *pos_index("pron")},
      std::vector<std::uint8_t>{ADV, *pos_index("postp"), *pos_index("conj"), *pos_index("intj"),
                                *pos_index("pron")}};
  const std::vector<std::uint8_t>& fits = FITS[pos == NOUN ? 0 : pos == ADJ ? 1 : 2];
  return std::any_of(classes.pos.begin(), classes.pos.end(),
                     [&](std::uint8_t c) { return contains(fits, c); });
}

// An inverted meaning (English word E naming Finnish word F) is dropped when E's part of
// speech is one voikko does not give F; when F has fin-eng lines and E's class is one neither
// fin-eng nor voikko (knowing F) gives F; when F stands for E only inside a compound or phrase (F a
// plain word with fin-eng lines and E several words, a noun or adjective or one of several
// translations, or E's translations also have F with a hyphen); or when its sense is
// obsolete, archaic, rare or of a field while fin-eng has lines. Shown labels go into
// parentheses. The rest are ranked by strength, the share of E's senses that F translates
// over (1 + F's place among E's translations), never by alphabet. Beside fin-eng's lines
// only those of strength > 1/3 are kept, one sense of each E, at most 2; for a very general
// F (named by 10 English words or more) only an E whose one translation it is. Then the cap
// of 12 per group.
constexpr std::uint32_t MIN_STRENGTH = 334;
constexpr std::size_t MAX_INVERTED_BESIDE_FIN_ENG = 2;
constexpr std::size_t GENERAL_WORD = 10;

MergedEntry Merger::merge_word(const std::string& headword, const std::vector<GroupState>& groups,
                               const WordClasses& classes, MergeStats& st, bool checked) const {
  static const std::uint8_t NOUN = *pos_index("noun");
  static const std::uint8_t ADJ = *pos_index("adj");
  std::vector<const Inverted*> ranked;
  MergedEntry entry;
  entry.headword = headword;
  std::vector<bool> confirmed;
  const bool beside = std::any_of(groups.begin(), groups.end(), [&](const GroupState& g) {
    return !g.direct.empty() && pos_fits(g.pos, classes, false);
  });
  for (const GroupState& g : groups) {
    if (!g.direct.empty() && !pos_fits(g.pos, classes, false)) {
      std::string dropped = headword + " " + std::string(POS_NAMES[g.pos]) + ":";
      for (const std::string& m : g.direct) {
        dropped += " " + m + (&m == &g.direct.back() ? "" : " |");
      }
      st.dropped_groups.push_back(std::move(dropped));
      continue;
    }
    MergedGroup merged;
    merged.pos = g.pos;
    std::unordered_set<std::string> covered;
    for (const std::string& m : g.direct) {
      merged.meanings.push_back(m);
      covered.insert(m);
      for (std::string& part : split_top_level_commas(m)) {
        covered.insert(std::move(part));
      }
    }
    // A class fin-eng does not give the word is taken from eng-fin only when voikko gives it
    // (or does not know the word).
    const bool other_class =
        checked && beside && g.direct.empty() && !classes.pos.empty() && !has_class(classes, g.pos);
    const bool plain_word = !classes.pos.empty() && !classes.compound;
    ranked.clear();
    for (const Inverted& inv : g.inverted) {
      const bool obscure = checked && !inv.label.empty() &&
                           !among(SHOWN_LABELS, first_item(inv.label)) &&
                           (beside || among(OBSCURE_LABELS, first_item(inv.label)));
      if (covered.contains(inv.english)) {
        ++st.covered;
      } else if (other_class) {
        ++st.other_class;
      } else if (inv.checked_pos && !pos_fits(g.pos, classes, true)) {
        ++st.wrong_pos;
      } else if (inv.hyphenated || (inv.compound_english && plain_word && beside &&
                                    (g.pos == NOUN || g.pos == ADJ || inv.terms > 1))) {
        ++st.compound;
      } else if (obscure) {
        ++st.obscure;
      } else {
        ranked.push_back(&inv);
      }
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const Inverted* a, const Inverted* b) {
      return std::tuple(b->strength, a->terms, a->sense) <
             std::tuple(a->strength, b->terms, b->sense);
    });
    // English words that reach this group through more than one sense get a hint (beside
    // fin-eng's lines only one sense is shown).
    std::unordered_map<std::string, std::set<std::string>> definitions;
    for (const Inverted* inv : ranked) {
      definitions[inv->english].insert(inv->definition);
    }
    std::unordered_set<std::string> taken(merged.meanings.begin(), merged.meanings.end());
    std::size_t inverted = 0;
    std::unordered_set<std::string_view> names;
    for (const Inverted& inv : g.inverted) {
      names.insert(inv.english);
    }
    const bool general = names.size() >= GENERAL_WORD;
    names.clear();
    for (const Inverted* inv : ranked) {
      if (beside && !names.insert(inv->english).second) {
        ++st.covered;  // one sense of an English word is enough beside fin-eng's lines
        continue;
      }
      const bool sole = inv->strength == 1000 && inv->terms == 1;
      if (beside && (inv->strength < MIN_STRENGTH || inverted >= MAX_INVERTED_BESIDE_FIN_ENG ||
                     (general && !sole))) {
        ++st.weak;
        continue;
      }
      std::string text = inv->english;
      if (!inv->label.empty()) {
        text += " (" + inv->label + ")";
      } else if (!beside && definitions[inv->english].size() > 1) {
        std::string hint = short_hint(inv->definition);
        if (!hint.empty()) {
          text += " (" + hint + ")";
        }
      }
      if (!taken.insert(text).second) {
        continue;
      }
      if (merged.meanings.size() >= MAX_MEANINGS) {
        ++st.cap;
        continue;
      }
      st.labelled += inv->label.empty() ? 0 : 1;
      ++st.kept;
      ++inverted;
      merged.meanings.push_back(std::move(text));
    }
    if (merged.meanings.size() > MAX_MEANINGS) {
      merged.meanings.resize(MAX_MEANINGS);
    }
    merged.direct = std::min(g.direct.size(), merged.meanings.size());
    if (!merged.meanings.empty()) {
      confirmed.push_back(contains(classes.pos, g.pos));
      entry.groups.push_back(std::move(merged));
    }
  }
  // The word's main class first: most fin-eng lines, then a class voikko gives the word.
  std::vector<std::size_t> order(entry.groups.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::tuple(entry.groups[b].direct, confirmed[b]) <
           std::tuple(entry.groups[a].direct, confirmed[a]);
  });
  std::vector<MergedGroup> sorted;
  sorted.reserve(order.size());
  for (std::size_t i : order) {
    sorted.push_back(std::move(entry.groups[i]));
  }
  entry.groups = std::move(sorted);
  return entry;
}

std::vector<MergedEntry> Merger::finish(MergeStats* stats) const {
  MergeStats local;
  MergeStats& st = stats != nullptr ? *stats : local;
  std::vector<MergedEntry> out;
  out.reserve(words_.size());
  for (const auto& [headword, groups] : words_) {
    WordClasses classes;
    if (classes_ && headword.find(' ') == std::string::npos) {
      classes = classes_(headword);
    }
    MergeStats word;
    MergedEntry entry = merge_word(headword, groups, classes, word, true);
    if (entry.groups.empty()) {
      // Every meaning failed the checks: the word keeps them rather than go missing.
      word = MergeStats{};
      entry = merge_word(headword, groups, WordClasses{}, word, false);
      ++word.unchecked_words;
    }
    st.add(word);
    if (!entry.groups.empty()) {
      out.push_back(std::move(entry));
    }
  }
  return out;
}

}  // namespace pnt::lexicon
