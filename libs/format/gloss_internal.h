// Constants shared by the glosses.bin parser and writer.
#pragma once

#include <cstdint>

namespace pnt::detail {

// "PNTB" read as one little-endian u32.
inline constexpr std::uint32_t GLOSS_MAGIC = 0x4254'4E50;
inline constexpr std::uint8_t GLOSS_VERSION = 1;

}  // namespace pnt::detail
