// A synthetic lexicon at the scale of the real one, for benchmarks.
#pragma once

#include <filesystem>

#include "base/error.h"

namespace pnt::synth {

/// Writes the data files of a synthetic data set into `dir`: 242,109 headwords with
/// Finnish-like keys and an ~11 MB record area, 24,527,395 inflected forms of which 235,203
/// carry list targets, and 150,000 English words and phrases. Deterministic; streams the maps to
/// disk as it goes.
[[nodiscard]] Result<void> write_synthetic(const std::filesystem::path& dir);

}  // namespace pnt::synth
