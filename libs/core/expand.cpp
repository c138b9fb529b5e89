#include "core/expand.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/utf8.h"

#include <utf8proc.h>

namespace pnt {
namespace {

constexpr char32_t CAPITAL_SIGMA = 0x03A3;
constexpr char32_t SMALL_SIGMA = 0x03C3;
constexpr char32_t SMALL_FINAL_SIGMA = 0x03C2;
constexpr char32_t CAPITAL_I_WITH_DOT = 0x0130;
constexpr char32_t COMBINING_DOT_ABOVE = 0x0307;

// A phrase shorter than this many characters is never looked up.
constexpr std::size_t MIN_PHRASE_CHARS = 2;
// Only this many candidates of a phrase are expanded.
constexpr std::size_t MAX_CANDIDATES = 2;

struct CodeRange {
  char32_t first;
  char32_t last;
};

// Characters that are Lowercase or Uppercase without being in the general categories Ll or
// Lu (Other_Lowercase and Other_Uppercase).
constexpr CodeRange OTHER_CASED[] = {
    {0x00AA, 0x00AA},   {0x00BA, 0x00BA},   {0x02B0, 0x02B8},   {0x02C0, 0x02C1},
    {0x02E0, 0x02E4},   {0x0345, 0x0345},   {0x037A, 0x037A},   {0x10FC, 0x10FC},
    {0x1D2C, 0x1D6A},   {0x1D78, 0x1D78},   {0x1D9B, 0x1DBF},   {0x2071, 0x2071},
    {0x207F, 0x207F},   {0x2090, 0x209C},   {0x2160, 0x217F},   {0x24B6, 0x24E9},
    {0x2C7C, 0x2C7D},   {0xA69C, 0xA69D},   {0xA770, 0xA770},   {0xA7F2, 0xA7F4},
    {0xA7F8, 0xA7F9},   {0xAB5C, 0xAB5F},   {0xAB69, 0xAB69},   {0x10780, 0x10780},
    {0x10783, 0x10785}, {0x10787, 0x107B0}, {0x107B2, 0x107BA}, {0x1E030, 0x1E06D},
    {0x1F130, 0x1F149}, {0x1F150, 0x1F169}, {0x1F170, 0x1F189},
};

// Word_Break classes MidLetter, MidNumLet and Single_Quote, which are case-ignorable
// whatever their general category.
constexpr char32_t WORD_MID_PUNCTUATION[] = {
    0x0027, 0x002E, 0x003A, 0x00B7, 0x0387, 0x055F, 0x05F4, 0x2018, 0x2019,
    0x2024, 0x2027, 0xFE13, 0xFE52, 0xFE55, 0xFF07, 0xFF0E, 0xFF1A,
};

bool in_ranges(char32_t c, std::span<const CodeRange> ranges) {
  return std::any_of(ranges.begin(), ranges.end(),
                     [c](const CodeRange& r) { return c >= r.first && c <= r.last; });
}

bool is_cased(char32_t c) {
  const auto category = utf8proc_category(static_cast<utf8proc_int32_t>(c));
  if (category == UTF8PROC_CATEGORY_LU || category == UTF8PROC_CATEGORY_LL ||
      category == UTF8PROC_CATEGORY_LT) {
    return true;
  }
  return in_ranges(c, OTHER_CASED);
}

bool is_case_ignorable(char32_t c) {
  switch (utf8proc_category(static_cast<utf8proc_int32_t>(c))) {
    case UTF8PROC_CATEGORY_MN:
    case UTF8PROC_CATEGORY_ME:
    case UTF8PROC_CATEGORY_CF:
    case UTF8PROC_CATEGORY_LM:
    case UTF8PROC_CATEGORY_SK:
      return true;
    default:
      break;
  }
  const auto* end = std::end(WORD_MID_PUNCTUATION);
  return std::find(std::begin(WORD_MID_PUNCTUATION), end, c) != end;
}

// Whether the capital sigma at `i` ends a word: a cased letter precedes it (case-ignorable
// characters between are skipped) and none follows it the same way.
bool is_final_sigma(const std::vector<char32_t>& chars, std::size_t i) {
  std::size_t j = i;
  while (j > 0 && is_case_ignorable(chars[j - 1])) {
    --j;
  }
  if (j == 0 || !is_cased(chars[j - 1])) {
    return false;
  }
  j = i + 1;
  while (j < chars.size() && is_case_ignorable(chars[j])) {
    ++j;
  }
  return j == chars.size() || !is_cased(chars[j]);
}

bool is_trim_char(char ch) { return TRIM_CHARS.find(ch) != std::string_view::npos; }

// Bytes that stripping leading / trailing TRIM_CHARS removes; they are all ASCII, so a byte
// walk never cuts a character.
std::size_t leading_trim(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && is_trim_char(text[n])) {
    ++n;
  }
  return n;
}

std::size_t trailing_trim(std::string_view text) {
  std::size_t n = 0;
  while (n < text.size() && is_trim_char(text[text.size() - 1 - n])) {
    ++n;
  }
  return n;
}

bool has_groups(const Candidate& candidate) { return !candidate.entry.groups.empty(); }

// Collects the candidates of `word` in order, stopping early once `enough` says the caller
// has all it will look at, so that entries nobody reads are not decoded.
template <class Enough>
std::vector<Candidate> collect_until(const ExpandContext& context, std::string_view word,
                                     Enough enough) {
  std::vector<Candidate> out;
  if (auto own = context.lexicon.entry(word)) {
    out.push_back(Candidate{std::nullopt, std::move(*own)});
    if (enough(out)) {
      return out;
    }
  }
  for (const std::string_view lemma : context.morphology.lemmas(word)) {
    if (lemma == word) {
      continue;
    }
    if (auto found = context.lexicon.entry(lemma)) {
      out.push_back(Candidate{std::string(lemma), std::move(*found)});
      if (enough(out)) {
        return out;
      }
    }
  }
  return out;
}

// expand_text reads the first two candidates and asks whether any candidate has groups.
bool enough_to_expand(const std::vector<Candidate>& candidates) {
  return candidates.size() >= MAX_CANDIDATES &&
         std::any_of(candidates.begin(), candidates.end(), has_groups);
}

// find_links reads only the first candidate with groups.
bool enough_to_link(const std::vector<Candidate>& candidates) {
  return has_groups(candidates.back());
}

// The tokens lower-cased once, so that the up to fifteen phrases tried at each position do not
// lower-case them again. Stripping the outer TRIM_CHARS after lower-casing gives the same
// phrase as stripping first: they are ASCII, no other character lower-cases into one of
// them, and for the final-sigma rule they read like the end of the text.
class LoweredTokens {
 public:
  explicit LoweredTokens(const std::vector<Token>& tokens) {
    lowered_.reserve(tokens.size());
    for (const Token& token : tokens) {
      lowered_.push_back(to_lower(token.text));
    }
  }

  [[nodiscard]] std::size_t size() const { return lowered_.size(); }

  /// The same text as make_phrase over the original tokens [e, e + k).
  [[nodiscard]] std::string phrase(std::size_t e, std::size_t k) const {
    std::string out;
    for (std::size_t i = e; i < e + k; ++i) {
      std::string_view piece = lowered_[i];
      if (i == e) {
        piece.remove_prefix(leading_trim(piece));
      }
      if (i + 1 == e + k) {
        piece.remove_suffix(trailing_trim(piece));
      }
      if (i > e) {
        out.push_back(' ');
      }
      out += piece;
    }
    return out;
  }

 private:
  std::vector<std::string> lowered_;
};

std::vector<std::vector<Expansion>> expand_groups(const Entry& entry, int depth,
                                                  VisitedSet& visited,
                                                  const ExpandContext& context) {
  std::vector<std::vector<Expansion>> groups;
  groups.reserve(entry.groups.size());
  for (const PosGroup& group : entry.groups) {
    std::vector<Expansion> found;
    for (const std::string& meaning : group.meanings) {
      std::vector<Expansion> part = expand_text(meaning, depth, visited, context);
      std::move(part.begin(), part.end(), std::back_inserter(found));
    }
    groups.push_back(std::move(found));
  }
  return groups;
}

std::size_t meaning_count(const Entry& entry) {
  std::size_t n = 0;
  for (const PosGroup& group : entry.groups) {
    n += group.meanings.size();
  }
  return n;
}

}  // namespace

bool is_white_space(char32_t c) {
  return (c >= 0x0009 && c <= 0x000D) || c == 0x0020 || c == 0x0085 || c == 0x00A0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::vector<Token> split_spans(std::string_view text) {
  constexpr std::size_t NONE = std::string_view::npos;
  std::vector<Token> tokens;
  std::size_t start = NONE;  // start of the token being read
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t at = pos;
    const char32_t c = decode_utf8(text, pos);
    if (is_white_space(c)) {
      if (start != NONE) {
        tokens.push_back(Token{start, at, text.substr(start, at - start)});
        start = NONE;
      }
    } else if (start == NONE) {
      start = at;
    }
  }
  if (start != NONE) {
    tokens.push_back(Token{start, text.size(), text.substr(start)});
  }
  return tokens;
}

std::string to_lower(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
  if (ascii) {
    for (const char ch : text) {
      out.push_back(ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch);
    }
    return out;
  }
  std::vector<char32_t> chars;
  chars.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    chars.push_back(decode_utf8(text, pos));
  }
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const char32_t c = chars[i];
    if (c == CAPITAL_I_WITH_DOT) {
      // The one unconditional lower-case mapping to two characters.
      append_utf8(out, U'i');
      append_utf8(out, COMBINING_DOT_ABOVE);
    } else if (c == CAPITAL_SIGMA) {
      append_utf8(out, is_final_sigma(chars, i) ? SMALL_FINAL_SIGMA : SMALL_SIGMA);
    } else {
      append_utf8(out, static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(c))));
    }
  }
  return out;
}

std::string make_phrase(std::span<const std::string_view> tokens) {
  std::string phrase;
  const std::size_t n = tokens.size();
  for (std::size_t i = 0; i < n; ++i) {
    std::string_view piece = tokens[i];
    if (i == 0) {
      piece.remove_prefix(leading_trim(piece));
    }
    if (i + 1 == n) {
      piece.remove_suffix(trailing_trim(piece));
    }
    if (i > 0) {
      phrase.push_back(' ');
    }
    phrase += to_lower(piece);
  }
  return phrase;
}

std::vector<Candidate> collect_entries(const ExpandContext& context, std::string_view word) {
  return collect_until(context, word, [](const std::vector<Candidate>&) { return false; });
}

std::vector<Expansion> expand_text(std::string_view text, int depth, VisitedSet& visited,
                                   const ExpandContext& context) {
  const LoweredTokens tokens(split_spans(text));
  std::vector<Expansion> result;
  std::size_t e = 0;
  while (e < tokens.size() && result.size() < MAX_EXPANSIONS) {
    std::size_t advance = 1;
    for (std::size_t k = std::min(MAX_PHRASE_WORDS, tokens.size() - e); k >= 1; --k) {
      std::string phrase = tokens.phrase(e, k);
      if (char_count(phrase) < MIN_PHRASE_CHARS) {
        continue;
      }
      if (visited.contains(phrase)) {
        // An expanded phrase hides every shorter phrase at the same position.
        advance = k;
        break;
      }
      std::vector<Candidate> candidates = collect_until(context, phrase, enough_to_expand);
      if (std::none_of(candidates.begin(), candidates.end(), has_groups)) {
        continue;
      }
      const std::size_t considered = std::min(MAX_CANDIDATES, candidates.size());
      for (std::size_t i = 0; i < considered; ++i) {
        Candidate& candidate = candidates[i];
        if (!has_groups(candidate) || result.size() >= MAX_EXPANSIONS) {
          continue;
        }
        const std::string& label = candidate.base ? *candidate.base : phrase;
        if (visited.contains(label)) {
          continue;
        }
        visited.insert(phrase);
        visited.insert(label);
        // Children before the expansion itself and before the next candidate: the walk is
        // depth-first, so what a child expands is not expanded again by a later sibling.
        std::vector<std::vector<Expansion>> children;
        if (depth < MAX_DEPTH) {
          children = expand_groups(candidate.entry, depth + 1, visited, context);
        }
        result.push_back(Expansion{phrase, std::move(candidate.base), std::move(candidate.entry),
                                   std::move(children)});
      }
      advance = k;
      break;
    }
    e += advance;
  }
  return result;
}

std::vector<std::vector<Expansion>> expand_entry(std::string_view key, const Entry& entry,
                                                 const ExpandContext& context) {
  VisitedSet visited{std::string(key)};
  std::vector<std::vector<Expansion>> out;
  out.reserve(meaning_count(entry));
  for (const PosGroup& group : entry.groups) {
    for (const std::string& meaning : group.meanings) {
      out.push_back(expand_text(meaning, 1, visited, context));
    }
  }
  return out;
}

std::vector<Link> find_links(std::string_view text, const VisitedSet& visited,
                             const ExpandContext& context) {
  const std::vector<Token> tokens = split_spans(text);
  const LoweredTokens lowered(tokens);
  std::vector<Link> result;
  std::size_t e = 0;
  while (e < tokens.size()) {
    std::size_t advance = 1;
    for (std::size_t k = std::min(MAX_PHRASE_WORDS, tokens.size() - e); k >= 1; --k) {
      std::string phrase = lowered.phrase(e, k);
      if (char_count(phrase) < MIN_PHRASE_CHARS || visited.contains(phrase)) {
        continue;
      }
      std::vector<Candidate> candidates = collect_until(context, phrase, enough_to_link);
      const auto found = std::find_if(candidates.begin(), candidates.end(), has_groups);
      if (found == candidates.end()) {
        continue;
      }
      const Token& first = tokens[e];
      const Token& last = tokens[e + k - 1];
      const std::size_t start = first.start + leading_trim(first.text);
      const std::size_t end = last.end - trailing_trim(last.text);
      if (end <= start) {
        continue;
      }
      std::string target = found->base ? std::move(*found->base) : std::move(phrase);
      result.push_back(Link{std::move(target), static_cast<std::uint32_t>(start),
                            static_cast<std::uint32_t>(end)});
      advance = k;
      break;
    }
    e += advance;
  }
  return result;
}

std::vector<std::vector<Link>> link_entry(std::string_view key, const Entry& entry,
                                          const ExpandContext& context) {
  const VisitedSet visited{std::string(key)};
  std::vector<std::vector<Link>> out;
  out.reserve(meaning_count(entry));
  for (const PosGroup& group : entry.groups) {
    for (const std::string& meaning : group.meanings) {
      out.push_back(find_links(meaning, visited, context));
    }
  }
  return out;
}

}  // namespace pnt
