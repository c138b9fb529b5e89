#include "lexicon/text.h"

#include "base/utf8.h"

namespace pnt::lexicon {
namespace {

bool is_letter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

}  // namespace

std::vector<std::string> word_tokens(std::string_view text) {
  std::vector<std::string> out;
  std::string current;
  bool joiner_pending = false;  // a hyphen or apostrophe after letters
  std::size_t pos = 0;
  auto flush = [&] {
    if (!current.empty()) {
      out.push_back(std::move(current));
      current.clear();
    }
    joiner_pending = false;
  };
  char joiner = 0;
  while (pos < text.size()) {
    char32_t c = decode_utf8(text, pos);
    if (is_letter(c)) {
      if (joiner_pending) {
        current.push_back(joiner);
        joiner_pending = false;
      }
      append_utf8(current, c);
    } else if ((c == '-' || c == '\'') && !current.empty() && !joiner_pending) {
      joiner_pending = true;
      joiner = static_cast<char>(c);
    } else {
      flush();
    }
  }
  flush();
  return out;
}

}  // namespace pnt::lexicon
