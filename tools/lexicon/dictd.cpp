#include "lexicon/dictd.h"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace pnt::lexicon {
namespace {

int digit_value(char c) {
  if (c >= 'A' && c <= 'Z') {
    return c - 'A';
  }
  if (c >= 'a' && c <= 'z') {
    return c - 'a' + 26;
  }
  if (c >= '0' && c <= '9') {
    return c - '0' + 52;
  }
  if (c == '+') {
    return 62;
  }
  if (c == '/') {
    return 63;
  }
  return -1;
}

std::string_view trim_line_end(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
    line.remove_suffix(1);
  }
  return line;
}

// The sense numbers a line carries: a leading "N. " (or a lone " N.") and a trailing " N.";
// zero where there is none.
struct SenseNumbers {
  int leading = 0;
  int trailing = 0;
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A number of at most four digits, so it cannot overflow; zero otherwise.
int small_number(std::string_view digits) {
  if (digits.empty() || digits.size() > 4) {
    return 0;
  }
  int value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
  }
  return value;
}

SenseNumbers sense_numbers(std::string_view line) {
  while (!line.empty() && line.front() == ' ') {
    line.remove_prefix(1);
  }
  SenseNumbers out;
  std::size_t i = 0;
  while (i < line.size() && is_digit(line[i])) {
    ++i;
  }
  if (i > 0 && i < line.size() && line[i] == '.' && (i + 1 == line.size() || line[i + 1] == ' ')) {
    out.leading = small_number(line.substr(0, i));
    line.remove_prefix(i + 1);
    if (line.empty()) {
      return out;
    }
  }
  if (line.size() >= 3 && line.back() == '.') {
    std::size_t j = line.size() - 1;
    while (j > 0 && is_digit(line[j - 1])) {
      --j;
    }
    if (j < line.size() - 1 && j > 0 && line[j - 1] == ' ') {
      out.trailing = small_number(line.substr(j, line.size() - 1 - j));
    }
  }
  return out;
}

}  // namespace

std::optional<std::uint64_t> decode_dictd_number(std::string_view digits) {
  if (digits.empty() || digits.size() > 10) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (char c : digits) {
    int d = digit_value(c);
    if (d < 0) {
      return std::nullopt;
    }
    value = value * 64 + static_cast<std::uint64_t>(d);
  }
  return value;
}

Result<std::vector<IndexLine>> parse_index(std::string_view text) {
  std::vector<IndexLine> out;
  std::size_t line_no = 0;
  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    ++line_no;
    line = trim_line_end(line);
    if (line.empty()) {
      continue;
    }
    std::size_t t1 = line.find('\t');
    std::size_t t2 = t1 == std::string_view::npos ? t1 : line.find('\t', t1 + 1);
    if (t2 == std::string_view::npos) {
      return fail("index line " + std::to_string(line_no) + ": expected three fields");
    }
    std::string_view key = line.substr(0, t1);
    if (key.starts_with("00database") || key.starts_with("00-database")) {
      continue;
    }
    auto offset = decode_dictd_number(line.substr(t1 + 1, t2 - t1 - 1));
    auto length = decode_dictd_number(line.substr(t2 + 1));
    if (!offset || !length) {
      return fail("index line " + std::to_string(line_no) + ": bad offset or length");
    }
    out.push_back(IndexLine{std::string(key), *offset, *length});
  }
  return out;
}

Result<RawEntry> parse_entry(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    lines.push_back(trim_line_end(text.substr(0, nl)));
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
  }
  while (!lines.empty() && lines.back().empty()) {
    lines.pop_back();
  }
  if (lines.empty()) {
    return fail("empty entry");
  }
  RawEntry entry;
  std::string_view head = lines[0];
  // "headword /ipa/ <pos>": the pronunciation groups start at the first " /".
  std::size_t lt = head.rfind('<');
  if (lt != std::string_view::npos && head.back() == '>') {
    entry.pos_tag = std::string(head.substr(lt + 1, head.size() - lt - 2));
    head = head.substr(0, lt);
  }
  std::size_t slash = head.find(" /");
  if (slash != std::string_view::npos) {
    head = head.substr(0, slash);
  }
  while (!head.empty() && head.back() == ' ') {
    head.remove_suffix(1);
  }
  if (head.empty()) {
    return fail("entry without headword");
  }
  entry.headword = std::string(head);
  // Lines alternate translation, definition, but any translation may lack its definition:
  // "1. kuu\n2. lunaarinen\nof the Moon". A line where a definition is due that carries the
  // next sense number is therefore a translation; blind pairing would make the English
  // definition after it a "translation". Only the next number counts, because definitions
  // can start with a number of their own ("25. joulukuuta, ...").
  int last_number = 0;
  bool definition_due = false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    SenseNumbers numbers = sense_numbers(line);
    if (definition_due && !(numbers.leading != 0 && numbers.leading == last_number + 1)) {
      entry.senses.back().definition = std::string(line);
      definition_due = false;
      continue;
    }
    entry.senses.push_back(Sense{std::string(line), std::string()});
    definition_due = true;
    last_number = std::max({last_number, numbers.leading, numbers.trailing});
  }
  return entry;
}

Result<std::vector<RawEntry>> parse_dictionary(std::string_view index_text, std::string_view dict) {
  auto index = parse_index(index_text);
  if (!index) {
    return fail(std::move(index.error()));
  }
  std::vector<RawEntry> out;
  std::unordered_set<std::uint64_t> seen;
  for (const IndexLine& line : *index) {
    if (line.offset > dict.size() || dict.size() - line.offset < line.length) {
      return fail("index key \"" + line.key + "\" points outside the dictionary");
    }
    if (!seen.insert(line.offset).second) {
      continue;
    }
    auto entry = parse_entry(dict.substr(line.offset, line.length));
    if (!entry) {
      return fail(std::move(entry.error()).context("index key \"" + line.key + "\""));
    }
    out.push_back(std::move(*entry));
  }
  return out;
}

}  // namespace pnt::lexicon
