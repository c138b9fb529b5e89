// Where the core benchmarks find their data set: the folder named by PNT_BENCH_DATA, else the
// full-size synthetic set that pnt-synth writes into the build folder on first use.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/dictionary.h"
#include "core/view.h"

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

inline std::vector<std::uint8_t> read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// A data set's files and the dictionary opened over them; the bytes outlive the dictionary.
struct OpenedData {
  std::vector<std::uint8_t> inflections_fst, inflections_multi, glosses_bin, glosses_fst,
      english_fst, english_multi, mor_vfst, frequencies_bin;
  std::unique_ptr<Dictionary> dictionary;
  std::string problem;  ///< why there is no dictionary
};

/// Reads the files of the data set in `dir` (a missing mor.vfst reads as empty: no transducer)
/// and opens the dictionary over them. Held behind a pointer: the dictionary views the bytes.
inline std::unique_ptr<OpenedData> open_data_set(const std::filesystem::path& dir) {
  auto out = std::make_unique<OpenedData>();
  if (!has_data_set(dir)) {
    out->problem = "no data set in " + dir.string();
    return out;
  }
  out->inflections_fst = read_file(dir / "inflections.fst");
  out->inflections_multi = read_file(dir / "inflections-multi.bin");
  out->glosses_bin = read_file(dir / "glosses.bin");
  out->glosses_fst = read_file(dir / "glosses.fst");
  out->english_fst = read_file(dir / "english.fst");
  out->english_multi = read_file(dir / "english-multi.bin");
  out->mor_vfst = read_file(dir / "mor.vfst");
  out->frequencies_bin = read_file(dir / "frequencies.bin");
  Result<Dictionary> dictionary = open_dictionary({.inflections_fst = out->inflections_fst,
                                                   .inflections_multi = out->inflections_multi,
                                                   .glosses_bin = out->glosses_bin,
                                                   .glosses_fst = out->glosses_fst,
                                                   .english_fst = out->english_fst,
                                                   .english_multi = out->english_multi,
                                                   .mor_vfst = out->mor_vfst,
                                                   .frequencies_bin = out->frequencies_bin});
  if (!dictionary) {
    out->problem = "cannot open the data set: " + dictionary.error().message();
    return out;
  }
  out->dictionary = std::make_unique<Dictionary>(std::move(*dictionary));
  return out;
}

/// A view over an opened data set.
struct LoadedView {
  std::unique_ptr<OpenedData> data;
  std::unique_ptr<View> view;
  std::string problem;  ///< why there is no view
};

/// A view over the data set in `dir`.
inline LoadedView open_view(const std::filesystem::path& dir) {
  LoadedView out;
  out.data = open_data_set(dir);
  if (!out.data->dictionary) {
    out.problem = out.data->problem;
    return out;
  }
  out.view = std::make_unique<View>(std::move(*out.data->dictionary), LayoutConfig{});
  return out;
}

/// A view over the data set of data_dir(), opened once per program.
inline LoadedView& loaded_view() {
  static LoadedView loaded = [] {
    std::string problem;
    const std::optional<std::filesystem::path> dir = data_dir(problem);
    if (!dir) {
      LoadedView none;
      none.problem = problem;
      return none;
    }
    return open_view(*dir);
  }();
  return loaded;
}

}  // namespace pnt::bench
