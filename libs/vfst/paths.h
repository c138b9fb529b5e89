// Generating the paths of wanted lexemes from voikko's morphology transducer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "vfst/transducer.h"

namespace pnt::vfst {

/// The key under which forms of one lexeme are collected: class, root and base.
[[nodiscard]] std::string lexeme_key(std::string_view word_class, std::string_view root,
                                     std::string_view base);

/// Which lexemes the enumeration follows; keys are lexeme_key() strings.
struct WantedLexemes {
  std::unordered_set<std::string> roots;          ///< "[Xp]" contents wanted
  std::unordered_set<std::string> root_prefixes;  ///< every prefix of every wanted root
  std::unordered_set<std::string> keys;           ///< class|root|base of wanted lexemes
  std::unordered_set<std::string> classes;        ///< "[L…]" tags wanted; empty: every class
  /// When not empty: the keys that a derivation below max_derivations may make, e.g. the
  /// steps "kääntämä", "kääntämätön" on the way to "kääntämättömyys".
  std::unordered_set<std::string> steps;

  void add(std::string_view word_class, std::string_view root, std::string_view base);
};

struct EnumerateOptions {
  bool possessives = true;
  std::size_t max_input = 48;          ///< surface letters of one path
  std::size_t max_output = 128;        ///< output symbols of one path
  std::size_t max_arcs = 256;          ///< arcs of one path (epsilon cycles end here)
  std::size_t max_derivations = 1;     ///< "[Xj]" groups of one path (more loop: -uus-llinen-…)
  std::size_t min_derivations = 0;     ///< fewer end the path at its first case or number tag
  std::size_t root_within_input = 6;   ///< "[Xp]" must start within this many letters
  std::size_t root_within_output = 8;  ///< … and within this many output symbols (not
                                       ///< counting "[Xr]…[X]" structure groups)
  std::uint64_t max_paths = 400'000'000;  ///< stops a runaway enumeration
  std::uint64_t max_visits = UINT64_MAX;  ///< states entered at most (a damaged file's bound)
  /// What a verb's table shows: participles and the MINEN-infinitive only in the nominative,
  /// participles without comparison, no MAINEN-infinitive.
  bool verb_table_forms = false;
  /// Flag values set before the walk starts, e.g. {"YS_ALKANUT", "ON"} to walk word parts
  /// that the transducer only allows after the start of a compound.
  std::vector<std::pair<std::string, std::string>> preset_flags;
};

/// One accepted path: its surface (input side), its output and what the walk learnt of its
/// lexeme on the way (the same as parse_fst_output() gives for the output).
struct Path {
  std::string_view surface;
  std::string_view output;
  std::string_view word_class;
  std::string_view root;
  std::string_view base;
  bool derived = false;
  bool participle = false;         ///< the last derivation makes a participle …
  std::string_view participle_of;  ///< … of this verb (the root or a derived verb)
  bool comparison = false;         ///< a comparative or superlative ("[Cc]", "[Cs]")
};

/// Called for every accepted path.
using PathSink = std::function<void(const Path& path)>;

struct EnumerateStats {
  std::uint64_t paths = 0;
  std::uint64_t visits = 0;
  bool capped = false;
};

/// Walks every path of the transducer that analyses a wanted lexeme with at most one
/// derivation, no compound boundary and no clitic (tagged or untagged), honouring the flag
/// diacritics; possessive suffixes only when asked for.
[[nodiscard]] EnumerateStats enumerate_paths(const Transducer& t, const WantedLexemes& wanted,
                                             const EnumerateOptions& options, const PathSink& sink);

}  // namespace pnt::vfst
