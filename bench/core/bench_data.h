// Where the core benchmarks find their data set: the folder named by PNT_BENCH_DATA, else the
// full-size synthetic set that pnt-synth writes into the build folder on first use.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>

namespace pnt::bench {

inline constexpr const char* DATA_FILES[] = {
    "glosses.fst", "glosses.bin",       "inflections.fst", "inflections-multi.bin",
    "english.fst", "english-multi.bin", "frequencies.bin"};

inline bool has_data_set(const std::filesystem::path& dir) {
  return std::all_of(std::begin(DATA_FILES), std::end(DATA_FILES),
                     [&](const char* name) { return std::filesystem::exists(dir / name); });
}

/// The folder of the data set, generated with pnt-synth when it is not there yet; nothing,
/// with the reason in `problem`, when there is none.
inline std::optional<std::filesystem::path> data_dir(std::string& problem) {
  namespace fs = std::filesystem;
  if (const char* chosen = std::getenv("PNT_BENCH_DATA"); chosen != nullptr && *chosen != 0) {
    if (!has_data_set(chosen)) {
      problem = std::string("no data set in PNT_BENCH_DATA=") + chosen;
      return std::nullopt;
    }
    return fs::path(chosen);
  }
  const fs::path dir = fs::path(PNT_BUILD_DIR) / "bench-data" / "synthetic";
  if (has_data_set(dir)) {
    return dir;
  }
  const fs::path tool = fs::path(PNT_BUILD_DIR) / "tools" / "synth" / "pnt-synth";
  if (!fs::exists(tool)) {
    problem = "build pnt-synth first: " + tool.string() + " is missing";
    return std::nullopt;
  }
  std::fprintf(stderr, "generating the synthetic data set in %s (first run only)\n", dir.c_str());
  // Built by appending: g++ 12 warns falsely (-Wrestrict) about `"..." + std::string` at -O3.
  std::string command;
  command.append("'").append(tool.string()).append("' '").append(dir.string()).append("'");
  if (std::system(command.c_str()) != 0 || !has_data_set(dir)) {
    problem = "pnt-synth failed to write " + dir.string();
    return std::nullopt;
  }
  return dir;
}

}  // namespace pnt::bench
