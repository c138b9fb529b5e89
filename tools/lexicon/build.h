// The data build: the dictionaries and voikko's morphology in, the six data files out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "base/error.h"
#include "lexicon/merge.h"
#include "lexicon/output.h"

namespace pnt::lexicon {

struct BuildOptions {
  std::string sources;  ///< folder with fin-eng.index/.dict and eng-fin.index/.dict
  std::string mor = "/usr/lib/voikko/5/mor-standard/mor.vfst";
  std::string voikko_path;     ///< voikko dictionary folder; empty for the default
  std::string out;             ///< folder the data files are written to
  std::string stats;           ///< file for the counts; empty for none
  std::size_t check = 20000;   ///< pairs sampled for libvoikko to confirm
  std::set<std::string> only;  ///< debugging: analyse just these headwords
  bool trace = false;          ///< print every path the walks accept
  bool possessives = true;
  std::size_t root_input = 6;
  std::size_t root_output = 3;
};

/// What a build counted, for the report and data/MANIFEST.
struct BuildSummary {
  std::size_t headwords = 0;
  std::uint64_t meanings = 0;
  std::uint64_t form_of_meanings = 0;
  std::uint64_t headwords_with_inflections = 0;
  std::size_t form_headword_pairs = 0;
  InflectionStats inflections;
  std::uint64_t english_keys = 0;          ///< keys of english.fst
  std::uint64_t english_list_targets = 0;  ///< … whose value names a list
  std::uint64_t english_lists = 0;         ///< lists in english-multi.bin
  std::uint64_t checked = 0;               ///< sampled pairs, a headword's own form aside
  std::uint64_t confirmed = 0;             ///< … that libvoikko leads back to their headword
  std::vector<std::string> unconfirmed;    ///< the first 20 others, "form -> headword"
  MergeStats merge;                        ///< inverted meanings kept and dropped
};

/// Builds the six data files into `out`, printing progress on stderr. Fails when voikko, a
/// source file or the transducer cannot be read or parsed, or a data file cannot be written.
[[nodiscard]] Result<BuildSummary> build_data(const BuildOptions& opt);

}  // namespace pnt::lexicon
