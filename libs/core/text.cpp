#include "core/text.h"

#include <utf8proc.h>

#include <algorithm>
#include <iterator>
#include <span>

#include "base/utf8.h"

namespace pnt {
namespace {

constexpr char32_t CAPITAL_SIGMA = 0x03A3;
constexpr char32_t SMALL_SIGMA = 0x03C3;
constexpr char32_t SMALL_FINAL_SIGMA = 0x03C2;
constexpr char32_t CAPITAL_I_WITH_DOT = 0x0130;
constexpr char32_t COMBINING_DOT_ABOVE = 0x0307;

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

}  // namespace

bool is_white_space(char32_t c) {
  return (c >= 0x0009 && c <= 0x000D) || c == 0x0020 || c == 0x0085 || c == 0x00A0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::size_t white_space_prefix(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t next = pos;
    if (!is_white_space(decode_utf8(text, next))) {
      break;
    }
    pos = next;
  }
  return pos;
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

std::string lower_first(std::string_view text) {
  std::size_t first = 0;
  if (!text.empty()) {
    static_cast<void>(decode_utf8(text, first));
  }
  // The first character has nothing before it, so the final-sigma rule never applies to it.
  std::string out = to_lower(text.substr(0, first));
  out += text.substr(first);
  return out;
}

namespace {

// Marks inside a word that take no capital and hold no letter's place ("HTML-kopio", "tv:ssä").
bool is_word_mark(std::string_view letter) {
  return letter == "-" || letter == ":" || letter == "'" || letter == ".";
}

}  // namespace

std::vector<bool> capitals_of(std::string_view model) {
  std::vector<bool> capitals;
  for (std::size_t pos = 0; pos < model.size();) {
    const std::size_t start = pos;
    (void)decode_utf8(model, pos);
    const std::string_view letter = model.substr(start, pos - start);
    if (!is_word_mark(letter)) {
      capitals.push_back(to_lower(letter) != letter);
    }
  }
  return capitals;
}

std::string with_capitals(std::string_view form, const std::vector<bool>& capitals) {
  std::string out;
  out.reserve(form.size());
  std::size_t k = 0;
  for (std::size_t pos = 0; pos < form.size();) {
    const std::size_t start = pos;
    const char32_t ch = decode_utf8(form, pos);
    const std::string_view letter = form.substr(start, pos - start);
    if (is_word_mark(letter)) {
      out += letter;
      continue;
    }
    if (k < capitals.size() && capitals[k]) {
      append_utf8(out, static_cast<char32_t>(utf8proc_toupper(static_cast<utf8proc_int32_t>(ch))));
    } else {
      out += letter;
    }
    ++k;
  }
  return out;
}

std::string with_capitals_of(std::string_view form, std::string_view model) {
  return with_capitals(form, capitals_of(model));
}

}  // namespace pnt
