#include "base/utf8.h"

#include <bit>
#include <cstring>

namespace pnt {
Utf8ByteRange utf8_second_byte_range(std::uint8_t lead) {
  switch (lead) {
    case 0xE0:
      return {0xA0, 0xBF};
    case 0xED:
      return {0x80, 0x9F};
    case 0xF0:
      return {0x90, 0xBF};
    case 0xF4:
      return {0x80, 0x8F};
    default:
      return {0x80, 0xBF};
  }
}

std::size_t utf8_sequence_length(std::uint8_t lead) {
  if (lead < 0x80) {
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    return 4;
  }
  return 0;  // a continuation byte or a lead byte that never starts a valid sequence
}

std::optional<Utf8Fault> find_utf8_fault(Bytes bytes) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  const std::uint8_t* data = bytes.data();
  while (i < n) {
    // ASCII runs are skipped eight bytes at a time, up to the first byte with its top bit set.
    while (n - i >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, data + i, sizeof word);
      const std::uint64_t high = word & 0x8080'8080'8080'8080U;
      if (high == 0) {
        i += 8;
        continue;
      }
      if constexpr (std::endian::native == std::endian::little) {
        i += static_cast<std::size_t>(std::countr_zero(high)) / 8;
      } else {
        i += static_cast<std::size_t>(std::countl_zero(high)) / 8;
      }
      break;
    }
    if (i == n) {
      break;
    }
    const std::uint8_t lead = data[i];
    const std::size_t len = utf8_sequence_length(lead);
    if (len == 1) {
      ++i;
      continue;
    }
    if (len == 0) {
      return Utf8Fault{i, 1};
    }
    // Check the following bytes one by one: the fault length is the number of bytes that
    // still formed the prefix of a valid sequence.
    for (std::size_t k = 1; k < len; ++k) {
      if (i + k >= n) {
        return Utf8Fault{i, std::nullopt};
      }
      const std::uint8_t b = bytes[i + k];
      bool ok = is_utf8_continuation(b);
      if (k == 1) {
        const Utf8ByteRange r = utf8_second_byte_range(lead);
        ok = b >= r.lo && b <= r.hi;
      }
      if (!ok) {
        return Utf8Fault{i, k};
      }
    }
    i += len;
  }
  return std::nullopt;
}

Error utf8_error(const Utf8Fault& fault) {
  if (fault.error_len) {
    return Error("invalid utf-8 sequence of " + std::to_string(*fault.error_len) +
                 " bytes from index " + std::to_string(fault.valid_up_to));
  }
  return Error("incomplete utf-8 byte sequence from index " + std::to_string(fault.valid_up_to));
}

Result<std::string_view> check_utf8(Bytes bytes) {
  if (auto fault = find_utf8_fault(bytes)) {
    return fail(utf8_error(*fault));
  }
  return as_text(bytes);
}

char32_t decode_utf8(std::string_view text, std::size_t& pos) {
  const auto b0 = static_cast<std::uint8_t>(text[pos]);
  const std::size_t len = utf8_sequence_length(b0);
  if (len == 1) {
    ++pos;
    return b0;
  }
  if (len == 0 || pos + len > text.size()) {
    ++pos;
    return U'\uFFFD';
  }
  char32_t c = b0 & (0xFF >> (len + 1));
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<std::uint8_t>(text[pos + k]);
    if (!is_utf8_continuation(b)) {
      ++pos;
      return U'\uFFFD';
    }
    c = (c << 6) | (b & 0x3F);
  }
  pos += len;
  return c;
}

void append_utf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    c = 0xFFFD;
  }
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::size_t char_count(std::string_view text) {
  std::size_t count = 0;
  for (const char ch : text) {
    count += is_utf8_continuation(ch) ? 0 : 1;
  }
  return count;
}

std::size_t prefix_bytes(std::string_view text, std::size_t chars) {
  std::size_t pos = 0;
  while (chars > 0 && pos < text.size()) {
    ++pos;
    while (pos < text.size() && is_utf8_continuation(text[pos])) {
      ++pos;
    }
    --chars;
  }
  return pos;
}

std::size_t last_char_bytes(std::string_view text) {
  std::size_t len = 0;
  while (len < text.size() && len < 4) {
    ++len;
    if (!is_utf8_continuation(text[text.size() - len])) {
      break;
    }
  }
  return len;
}

}  // namespace pnt
