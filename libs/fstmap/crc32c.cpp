// CRC-32C (Castagnoli) and the masking the fst format applies to it.
#include <array>

#include "fstmap/map.h"

namespace pnt::fst {
namespace {

constexpr std::uint32_t POLYNOMIAL = 0x82F63B78;  // reflected form of 0x1EDC6F41
constexpr std::uint32_t MASK_DELTA = 0xA282EAD8;

constexpr std::array<std::uint32_t, 256> make_table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) {
      c = (c & 1U) != 0 ? (c >> 1) ^ POLYNOMIAL : c >> 1;
    }
    table[i] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> TABLE = make_table();

}  // namespace

std::uint32_t crc32c_update(std::uint32_t crc, Bytes bytes) {
  // The register is complemented at both ends, so chaining results continues the computation.
  std::uint32_t reg = ~crc;
  for (const std::uint8_t byte : bytes) {
    reg = TABLE[(reg ^ byte) & 0xFFU] ^ (reg >> 8);
  }
  return ~reg;
}

std::uint32_t mask_crc(std::uint32_t crc) {
  return static_cast<std::uint32_t>(((crc >> 15) | (crc << 17)) + MASK_DELTA);
}

std::uint32_t masked_crc32c(Bytes bytes) { return mask_crc(crc32c_update(0, bytes)); }

}  // namespace pnt::fst
