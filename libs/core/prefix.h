// The one walk over an index's keys that begin with a prefix.
#pragma once

#include <string_view>

#include "base/utf8.h"
#include "fstmap/map.h"

namespace pnt {

/// Hands each key of `stream` that is valid UTF-8, with its value, to `take` in byte order,
/// until `take` returns false or the stream ends; other keys are skipped unseen.
template <class Take>
void for_each_utf8_key(fst::Stream stream, Take&& take) {
  while (stream.next()) {
    const std::string_view key = stream.key_text();
    if (is_utf8(key) && !take(key, stream.value())) {
      return;
    }
  }
}

}  // namespace pnt
