// Bounds-checked reading of little-endian integers from untrusted byte views, and their writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pnt {

using Bytes = std::span<const std::uint8_t>;

[[nodiscard]] inline Bytes as_bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}
[[nodiscard]] inline std::string_view as_text(Bytes bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

/// Reads a little-endian unsigned integer of `width` bytes (0 to 8) at `offset`, byte by byte,
/// so that no alignment is assumed; returns nothing when the bytes lie outside the view.
[[nodiscard]] inline std::optional<std::uint64_t> read_uint_le(Bytes bytes, std::size_t offset,
                                                               std::size_t width) {
  if (width > 8 || offset > bytes.size() || bytes.size() - offset < width) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) {
    value = (value << 8) | bytes[offset + i];
  }
  return value;
}

/// Appends the low `width` bytes (0 to 8) of `value` to `out`, least significant first.
inline void append_uint_le(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

/// A cursor over a byte view: every read checks the bounds first and returns nothing when the
/// bytes it needs are not there (the cursor then stays where it was).
class ByteReader {
 public:
  explicit ByteReader(Bytes bytes) : bytes_(bytes) {}

  [[nodiscard]] std::size_t position() const { return pos_; }
  [[nodiscard]] std::size_t remaining() const { return bytes_.size() - pos_; }

  [[nodiscard]] std::optional<std::uint8_t> u8() {
    if (remaining() < 1) {
      return std::nullopt;
    }
    return bytes_[pos_++];
  }
  [[nodiscard]] std::optional<std::uint16_t> u16_le() { return fixed<std::uint16_t>(2); }
  [[nodiscard]] std::optional<std::uint32_t> u32_le() { return fixed<std::uint32_t>(4); }
  [[nodiscard]] std::optional<std::uint64_t> u64_le() { return fixed<std::uint64_t>(8); }

  /// The next `count` bytes as a view, or nothing when fewer remain.
  [[nodiscard]] std::optional<Bytes> take(std::size_t count) {
    if (remaining() < count) {
      return std::nullopt;
    }
    Bytes out = bytes_.subspan(pos_, count);
    pos_ += count;
    return out;
  }

 private:
  template <class T>
  std::optional<T> fixed(std::size_t width) {
    auto value = read_uint_le(bytes_, pos_, width);
    if (!value) {
      return std::nullopt;
    }
    pos_ += width;
    return static_cast<T>(*value);
  }

  Bytes bytes_;
  std::size_t pos_ = 0;
};

}  // namespace pnt
