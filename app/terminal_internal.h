// What the terminal's files share.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "base/error.h"

namespace pnt::detail {

/// An operating system failure as "what" caused by the system's text for `code`.
[[nodiscard]] inline Error os_error(std::string_view what, int code) {
  return Error(std::string(what), Error(std::strerror(code)));
}

}  // namespace pnt::detail
