// The mouse reports the input decoder reads: SGR ("ESC [ < b;x;y M") and the legacy X10 form.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "app/events.h"

namespace pnt::detail {

/// The body "b;x;y" of an SGR report and its final 'M' (press, motion) or 'm' (release);
/// nothing when malformed.
[[nodiscard]] std::optional<Event> sgr_mouse(std::span<const std::uint8_t> body,
                                             std::uint8_t final_byte);

/// The three bytes after "ESC [ M"; nothing when one is below its offset.
[[nodiscard]] std::optional<Event> legacy_mouse(std::uint8_t b, std::uint8_t x, std::uint8_t y);

}  // namespace pnt::detail
