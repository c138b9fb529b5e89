#include "lexicon/dictd.h"

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
  for (std::size_t i = 1; i < lines.size(); i += 2) {
    Sense sense;
    sense.translation = std::string(lines[i]);
    if (i + 1 < lines.size()) {
      sense.definition = std::string(lines[i + 1]);
    }
    entry.senses.push_back(std::move(sense));
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
