#include "core/expand.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "core/text.h"

namespace pnt {
namespace {

// A phrase shorter than this many characters is never looked up.
constexpr std::size_t MIN_PHRASE_CHARS = 2;
// Only this many candidates of a phrase are expanded.
constexpr std::size_t MAX_CANDIDATES = 2;

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

// One result of `of_meaning` for each meaning of the entry, in order.
template <class OfMeaning>
auto per_meaning(const Entry& entry, OfMeaning&& of_meaning) {
  std::vector<std::invoke_result_t<OfMeaning&, const std::string&>> out;
  out.reserve(meaning_count(entry));
  for (const PosGroup& group : entry.groups) {
    for (const std::string& meaning : group.meanings) {
      out.push_back(of_meaning(meaning));
    }
  }
  return out;
}

// The scan of a meaning's words from the left: at each word its phrases, from the longest to
// the shortest, are offered to `take` (start word, word count); the first one taken is stepped
// over whole. Ends at the last word or once `done()` holds.
template <class Done, class Take>
void scan_phrases(std::size_t words, Done&& done, Take&& take) {
  std::size_t e = 0;
  while (e < words && !done()) {
    std::size_t advance = 1;
    for (std::size_t k = std::min(MAX_PHRASE_WORDS, words - e); k >= 1; --k) {
      if (take(e, k)) {
        advance = k;
        break;
      }
    }
    e += advance;
  }
}

}  // namespace

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
  const auto full = [&] { return result.size() >= MAX_EXPANSIONS; };
  scan_phrases(tokens.size(), full, [&](std::size_t e, std::size_t k) {
    std::string phrase = tokens.phrase(e, k);
    if (char_count(phrase) < MIN_PHRASE_CHARS) {
      return false;
    }
    if (visited.contains(phrase)) {
      return true;  // an expanded phrase hides every shorter phrase at the same position
    }
    std::vector<Candidate> candidates = collect_until(context, phrase, enough_to_expand);
    if (std::none_of(candidates.begin(), candidates.end(), has_groups)) {
      return false;
    }
    const std::size_t considered = std::min(MAX_CANDIDATES, candidates.size());
    for (std::size_t i = 0; i < considered; ++i) {
      Candidate& candidate = candidates[i];
      if (!has_groups(candidate) || full()) {
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
    return true;
  });
  return result;
}

std::vector<std::vector<Expansion>> expand_entry(std::string_view key, const Entry& entry,
                                                 const ExpandContext& context) {
  VisitedSet visited{std::string(key)};
  return per_meaning(
      entry, [&](const std::string& meaning) { return expand_text(meaning, 1, visited, context); });
}

std::vector<Link> find_links(std::string_view text, const VisitedSet& visited,
                             const ExpandContext& context) {
  const std::vector<Token> tokens = split_spans(text);
  const LoweredTokens lowered(tokens);
  std::vector<Link> result;
  const auto never = [] { return false; };
  scan_phrases(tokens.size(), never, [&](std::size_t e, std::size_t k) {
    std::string phrase = lowered.phrase(e, k);
    if (char_count(phrase) < MIN_PHRASE_CHARS || visited.contains(phrase)) {
      return false;
    }
    std::vector<Candidate> candidates = collect_until(context, phrase, enough_to_link);
    const auto found = std::find_if(candidates.begin(), candidates.end(), has_groups);
    if (found == candidates.end()) {
      return false;
    }
    const Token& first = tokens[e];
    const Token& last = tokens[e + k - 1];
    const std::size_t start = first.start + leading_trim(first.text);
    const std::size_t end = last.end - trailing_trim(last.text);
    if (end <= start) {
      return false;
    }
    std::string target = found->base ? std::move(*found->base) : std::move(phrase);
    result.push_back(Link{std::move(target), static_cast<std::uint32_t>(start),
                          static_cast<std::uint32_t>(end)});
    return true;
  });
  return result;
}

std::vector<std::vector<Link>> link_entry(std::string_view key, const Entry& entry,
                                          const ExpandContext& context) {
  const VisitedSet visited{std::string(key)};
  return per_meaning(
      entry, [&](const std::string& meaning) { return find_links(meaning, visited, context); });
}

}  // namespace pnt
