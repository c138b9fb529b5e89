#include "fstmap/escape.h"

#include <limits>
#include <optional>

namespace pnt::fst {
namespace {

constexpr char HEX[] = "0123456789abcdef";

int hex_digit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

}  // namespace

void append_escaped(std::string& out, Bytes key) {
  for (const std::uint8_t byte : key) {
    if (byte >= 0x20 && byte <= 0x7E && byte != '\\') {
      out.push_back(static_cast<char>(byte));
      continue;
    }
    out.push_back('\\');
    out.push_back('x');
    out.push_back(HEX[byte >> 4]);
    out.push_back(HEX[byte & 15]);
  }
}

std::string escape_key(Bytes key) {
  std::string out;
  append_escaped(out, key);
  return out;
}

Result<void> unescape_key(std::string_view text, std::vector<std::uint8_t>& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(static_cast<std::uint8_t>(text[i]));
      continue;
    }
    if (text.size() - i < 4 || text[i + 1] != 'x' || hex_digit(text[i + 2]) < 0 ||
        hex_digit(text[i + 3]) < 0) {
      return fail("bad escape at byte " + std::to_string(i) + " of key");
    }
    out.push_back(static_cast<std::uint8_t>(hex_digit(text[i + 2]) * 16 + hex_digit(text[i + 3])));
    i += 3;
  }
  return {};
}

std::optional<std::uint64_t> parse_value(std::string_view text) {
  if (text.empty()) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  constexpr std::uint64_t MAX = std::numeric_limits<std::uint64_t>::max();
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (MAX - digit) / 10) {
      return std::nullopt;
    }
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace pnt::fst
