// voikko's unweighted transducer format (.vfst) and the enumeration of its paths.
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

#include "base/bytes.h"
#include "base/error.h"

namespace pnt::lexicon {

/// One arc: input and output symbol indexes and the target state (a cell index).
struct Arc {
  std::uint16_t in = 0;
  std::uint16_t out = 0;
  std::uint32_t target = 0;
};

/// A flag diacritic on the input side, "@P.F.V@" and friends.
struct FlagOp {
  char op = 0;                ///< 'P', 'N', 'C', 'U', 'R', 'D'; 0 for no flag
  std::uint16_t feature = 0;  ///< interned feature name
  std::uint16_t value = 0;    ///< interned value; 0 when the flag names none
};

/// A parsed .vfst file: 16-byte header, symbol table, 8-byte transition cells. A state is the
/// index of its first cell; its arcs are the head cell (unless it is the final mark) and the
/// cells after it.
class Transducer {
 public:
  /// Checks the header, the symbol table and that every arc's target is a cell of the file.
  [[nodiscard]] static Result<Transducer> parse(Bytes bytes);

  [[nodiscard]] const std::vector<std::string>& symbols() const { return symbols_; }
  [[nodiscard]] const std::vector<FlagOp>& flags() const { return flags_; }
  [[nodiscard]] std::size_t feature_count() const { return feature_count_; }
  /// The interned ids of a flag feature and value; nothing when the file never names them.
  [[nodiscard]] std::optional<std::pair<std::uint16_t, std::uint16_t>> flag_ids(
      std::string_view feature, std::string_view value) const;
  /// Only states reachable from state 0 are decoded; others have no arcs and are not final.
  [[nodiscard]] bool is_final(std::uint32_t state) const { return finals_[state] != 0; }
  [[nodiscard]] std::span<const Arc> arcs(std::uint32_t state) const {
    return {arcs_.data() + first_[state], count_[state]};
  }
  [[nodiscard]] std::size_t cell_count() const { return finals_.size(); }
  [[nodiscard]] std::size_t state_count() const { return states_; }

 private:
  std::vector<std::string> symbols_;
  std::vector<FlagOp> flags_;
  std::size_t feature_count_ = 0;
  std::vector<std::string> feature_names_;  // by id
  std::vector<std::string> value_names_;    // by id (0: none)
  std::vector<Arc> arcs_;
  std::vector<std::uint32_t> first_;  // per cell: index of its first arc in arcs_
  std::vector<std::uint32_t> count_;  // per cell: number of arcs
  std::vector<std::uint8_t> finals_;  // per cell
  std::size_t states_ = 0;
};

/// Which lexemes the enumeration follows; keys are lexeme_key() strings.
struct WantedLexemes {
  std::unordered_set<std::string> roots;          ///< "[Xp]" contents wanted
  std::unordered_set<std::string> root_prefixes;  ///< every prefix of every wanted root
  std::unordered_set<std::string> keys;           ///< class|root|base of wanted lexemes

  void add(std::string_view word_class, std::string_view root, std::string_view base);
};

struct EnumerateOptions {
  bool possessives = true;
  std::size_t max_input = 48;          ///< surface letters of one path
  std::size_t max_output = 128;        ///< output symbols of one path
  std::size_t max_arcs = 256;          ///< arcs of one path (epsilon cycles end here)
  std::size_t max_derivations = 1;     ///< "[Xj]" groups of one path (more loop: -uus-llinen-…)
  std::size_t root_within_input = 6;   ///< "[Xp]" must start within this many letters
  std::size_t root_within_output = 8;  ///< … and within this many output symbols (not
                                       ///< counting "[Xr]…[X]" structure groups)
  std::uint64_t max_paths = 400'000'000;  ///< stops a runaway enumeration
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

}  // namespace pnt::lexicon
