// Renders a Result's error chain the way the program prints it, for comparing in tests.
#pragma once

#include <string>

#include "base/error.h"

namespace pnt::testing {

/// The fatal report of the error, or "ok" when the result holds a value.
template <class T>
[[nodiscard]] std::string report(const Result<T>& result) {
  return result ? std::string("ok") : format_report(result.error());
}

}  // namespace pnt::testing
