#include "lexicon/merge.h"

#include <algorithm>
#include <set>
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
  for (const RawEntry& entry : entries) {
    std::string english = collapse_spaces(entry.headword);
    if (english.empty() || !is_utf8(english)) {
      continue;
    }
    std::optional<std::uint8_t> pos = pos_for_tag(entry.pos_tag);
    std::vector<std::string> terms;
    for (const Sense& sense : entry.senses) {
      std::string line = strip_sense_numbers(sense.translation);
      if (!line.empty()) {
        terms = finnish_terms(line);
      }
      // An empty line after the numbers were stripped repeats the previous terms.
      std::string definition = is_utf8(sense.definition) ? sense.definition : std::string();
      for (const std::string& term : terms) {
        std::uint8_t p = pos ? *pos : guess_(term);
        group(inverted_headword(term, p), p).inverted.push_back(Inverted{english, definition});
      }
    }
  }
}

std::vector<MergedEntry> Merger::finish() const {
  std::vector<MergedEntry> out;
  out.reserve(words_.size());
  for (const auto& [headword, groups] : words_) {
    MergedEntry entry;
    entry.headword = headword;
    for (const GroupState& g : groups) {
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
      // English words that reach this group through more than one sense get a hint.
      std::unordered_map<std::string, std::set<std::string>> definitions;
      for (const Inverted& inv : g.inverted) {
        if (!covered.contains(inv.english)) {
          definitions[inv.english].insert(inv.definition);
        }
      }
      std::unordered_set<std::string> taken(merged.meanings.begin(), merged.meanings.end());
      for (const Inverted& inv : g.inverted) {
        if (merged.meanings.size() >= MAX_MEANINGS) {
          break;
        }
        if (covered.contains(inv.english)) {
          continue;
        }
        std::string text = inv.english;
        if (definitions[inv.english].size() > 1) {
          std::string hint = short_hint(inv.definition);
          if (!hint.empty()) {
            text += " (" + hint + ")";
          }
        }
        if (taken.insert(text).second) {
          merged.meanings.push_back(std::move(text));
        }
      }
      if (merged.meanings.size() > MAX_MEANINGS) {
        merged.meanings.resize(MAX_MEANINGS);
      }
      merged.direct = std::min(g.direct.size(), merged.meanings.size());
      if (!merged.meanings.empty()) {
        entry.groups.push_back(std::move(merged));
      }
    }
    if (!entry.groups.empty()) {
      out.push_back(std::move(entry));
    }
  }
  return out;
}

}  // namespace pnt::lexicon
