#include "core/layout_toml.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/utf8.h"

// Errors come back as values so a bad file cannot throw through here; the formatters are unused.
#define TOML_EXCEPTIONS 0
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

namespace pnt {
namespace {

// One layout key: nothing when absent, the value when a valid integer, an error otherwise.
struct KeyValue {
  bool valid = true;
  std::optional<std::uint16_t> value;
};

KeyValue read_key(const toml::table& table, std::string_view key) {
  const toml::node* node = table.get(key);
  if (node == nullptr) {
    return {};
  }
  const auto* integer = node->as_integer();
  if (integer == nullptr) {
    return {.valid = false, .value = std::nullopt};
  }
  const std::int64_t v = integer->get();
  if (v < 0 || v > 0xFFFF) {
    return {.valid = false, .value = std::nullopt};
  }
  return {.valid = true, .value = static_cast<std::uint16_t>(v)};
}

// The packaged TOML reader (3.3) reaches an "unreachable" branch, which is undefined behaviour,
// when it tests some non-ASCII characters for white space. It therefore only ever sees ASCII:
// every non-ASCII character, and "!" itself, becomes "!" and six hex digits. Valid TOML holds
// such characters only in strings and comments, where the stand-in is as valid and keeps
// distinct keys distinct; elsewhere "!" is as invalid as the character was.
std::string ascii_for_parser(std::string_view text) {
  constexpr std::string_view BOM = "\xEF\xBB\xBF";
  constexpr std::string_view HEX = "0123456789abcdef";
  std::string out;
  if (text.starts_with(BOM)) {
    out += BOM;  // the reader skips it before decoding
    text.remove_prefix(BOM.size());
  }
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = decode_utf8(text, pos);
    if (c < 0x80 && c != U'!') {
      out += static_cast<char>(c);
      continue;
    }
    out += '!';
    for (int shift = 20; shift >= 0; shift -= 4) {
      out += HEX[(c >> shift) & 0xF];
    }
  }
  return out;
}

}  // namespace

LayoutConfig parse_layout(std::string_view text) {
  const LayoutConfig defaults{};
  if (!is_utf8(text)) {
    return defaults;
  }
  try {
    toml::parse_result parsed = toml::parse(ascii_for_parser(text));
    if (!parsed) {
      return defaults;
    }
    const toml::table& table = parsed.table();
    const KeyValue left = read_key(table, "left_pct");
    const KeyValue matches = read_key(table, "matches_pct");
    if (!left.valid || !matches.valid) {
      return defaults;
    }
    return {.left_pct = clamp_pct(left.value.value_or(DEFAULT_LEFT_PCT)),
            .matches_pct = clamp_pct(matches.value.value_or(DEFAULT_MATCHES_PCT))};
  } catch (...) {
    // Only allocation failure can get here; the layout file is never worth more than defaults.
    return defaults;
  }
}

std::string format_layout(const LayoutConfig& layout) {
  return "# pohjantuulikko layout, written automatically. Safe to delete.\n"
         "left_pct = " +
         std::to_string(clamp_pct(layout.left_pct)) +
         "\nmatches_pct = " + std::to_string(clamp_pct(layout.matches_pct)) + "\n";
}

}  // namespace pnt
