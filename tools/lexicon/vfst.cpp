#include "lexicon/vfst.h"

#include <unordered_map>

#include "lexicon/analysis.h"

namespace pnt::lexicon {
namespace {

constexpr std::uint32_t MAGIC_1 = 0x00013A6E;
constexpr std::uint32_t MAGIC_2 = 0x000351FA;
constexpr std::uint16_t FINAL_MARK = 0xFFFF;

struct Cell {
  std::uint16_t in;
  std::uint16_t out;
  std::uint32_t info;
};

// Parses "@P.FEATURE.VALUE@" / "@C.FEATURE@"; op 0 for anything else.
FlagOp parse_flag(std::string_view sym, std::unordered_map<std::string, std::uint16_t>& features,
                  std::unordered_map<std::string, std::uint16_t>& values) {
  FlagOp flag;
  if (sym.size() < 5 || sym.front() != '@' || sym.back() != '@' || sym[2] != '.') {
    return flag;
  }
  char op = sym[1];
  if (op != 'P' && op != 'N' && op != 'C' && op != 'U' && op != 'R' && op != 'D') {
    return flag;
  }
  std::string_view body = sym.substr(3, sym.size() - 4);
  std::size_t dot = body.find('.');
  std::string feature(body.substr(0, dot));
  auto [fit, fnew] = features.emplace(feature, static_cast<std::uint16_t>(features.size()));
  flag.op = op;
  flag.feature = fit->second;
  if (dot != std::string_view::npos) {
    std::string value(body.substr(dot + 1));
    auto [vit, vnew] = values.emplace(value, static_cast<std::uint16_t>(values.size() + 1));
    flag.value = vit->second;
  }
  return flag;
}

}  // namespace

Result<Transducer> Transducer::parse(Bytes bytes) {
  ByteReader r(bytes);
  auto m1 = r.u32_le();
  auto m2 = r.u32_le();
  if (!m1 || !m2 || *m1 != MAGIC_1 || *m2 != MAGIC_2) {
    return fail("not a voikko transducer (bad magic)");
  }
  auto weighted = r.u8();
  if (!weighted || !r.take(7)) {
    return fail("truncated transducer header");
  }
  if (*weighted != 0) {
    return fail("weighted transducers are not supported");
  }
  auto count = r.u16_le();
  if (!count) {
    return fail("truncated symbol table");
  }
  Transducer t;
  std::unordered_map<std::string, std::uint16_t> features;
  std::unordered_map<std::string, std::uint16_t> values;
  for (std::uint32_t i = 0; i < *count; ++i) {
    std::string sym;
    for (;;) {
      auto c = r.u8();
      if (!c) {
        return fail("truncated symbol table");
      }
      if (*c == 0) {
        break;
      }
      sym.push_back(static_cast<char>(*c));
    }
    t.flags_.push_back(parse_flag(sym, features, values));
    t.symbols_.push_back(std::move(sym));
  }
  t.feature_count_ = features.size();
  t.feature_names_.resize(features.size());
  for (const auto& [name, id] : features) {
    t.feature_names_[id] = name;
  }
  t.value_names_.resize(values.size() + 1);
  for (const auto& [name, id] : values) {
    t.value_names_[id] = name;
  }
  std::size_t start = (r.position() + 7) / 8 * 8;
  if (start > bytes.size() || (bytes.size() - start) % 8 != 0) {
    return fail("transition table is not a whole number of cells");
  }
  std::size_t cells = (bytes.size() - start) / 8;
  if (cells == 0 || cells > 0xFFFFFF) {
    return fail("transition table size out of range");
  }
  auto cell_at = [&](std::size_t i) {
    std::size_t at = start + 8 * i;
    return Cell{static_cast<std::uint16_t>(*read_uint_le(bytes, at, 2)),
                static_cast<std::uint16_t>(*read_uint_le(bytes, at + 2, 2)),
                static_cast<std::uint32_t>(*read_uint_le(bytes, at + 4, 4))};
  };
  t.first_.assign(cells, 0);
  t.count_.assign(cells, 0);
  t.finals_.assign(cells, 0);
  std::vector<std::uint8_t> seen(cells, 0);
  std::vector<std::uint32_t> todo{0};
  seen[0] = 1;
  auto add_arc = [&](const Cell& c) -> Result<void> {
    std::uint32_t target = c.info & 0xFFFFFF;
    if (target >= cells) {
      return fail("transition target outside the table");
    }
    if ((c.in >= *count && c.in != FINAL_MARK) || c.out >= *count) {
      return fail("transition symbol outside the symbol table");
    }
    t.arcs_.push_back(Arc{c.in, c.out, target});
    if (!seen[target]) {
      seen[target] = 1;
      todo.push_back(target);
    }
    return {};
  };
  while (!todo.empty()) {
    std::uint32_t s = todo.back();
    todo.pop_back();
    ++t.states_;
    Cell head = cell_at(s);
    std::size_t more = head.info >> 24;
    std::size_t next = s + 1;
    if (more == 255) {
      if (next >= cells) {
        return fail("overflow cell outside the table");
      }
      more = cell_at(next).in | (static_cast<std::size_t>(cell_at(next).out) << 16);
      ++next;
    }
    if (next + more > cells) {
      return fail("state's transitions run past the table");
    }
    t.first_[s] = static_cast<std::uint32_t>(t.arcs_.size());
    if (head.in == FINAL_MARK) {
      t.finals_[s] = 1;
    } else if (auto ok = add_arc(head); !ok) {
      return fail(std::move(ok.error()));
    }
    for (std::size_t i = 0; i < more; ++i) {
      if (auto ok = add_arc(cell_at(next + i)); !ok) {
        return fail(std::move(ok.error()));
      }
    }
    t.count_[s] = static_cast<std::uint32_t>(t.arcs_.size() - t.first_[s]);
  }
  return t;
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> Transducer::flag_ids(
    std::string_view feature, std::string_view value) const {
  for (std::size_t f = 0; f < feature_names_.size(); ++f) {
    if (feature_names_[f] != feature) {
      continue;
    }
    for (std::size_t v = 1; v < value_names_.size(); ++v) {
      if (value_names_[v] == value) {
        return std::pair{static_cast<std::uint16_t>(f), static_cast<std::uint16_t>(v)};
      }
    }
  }
  return std::nullopt;
}

void WantedLexemes::add(std::string_view word_class, std::string_view root, std::string_view base) {
  roots.emplace(root);
  for (std::size_t n = 0; n <= root.size(); ++n) {
    root_prefixes.emplace(root.substr(0, n));
  }
  keys.insert(lexeme_key(word_class, root, base));
}

}  // namespace pnt::lexicon

namespace pnt::lexicon {
namespace {

enum class Kind : std::uint8_t {
  Epsilon,
  Flag,
  Letter,
  Compound,    // [Bc]
  Clitic,      // [F…]
  Possessive,  // [O…]
  Root,        // [Xp]
  Derivation,  // [Xj]
  OtherGroup,  // [Xr] and other [X…]
  Close,       // [X]
  Class,       // [L…]
  Participle,  // [R…]
  End,         // [Ef]
  Comparison,  // [Cc] [Cs]
  Tag,
};

Kind classify(std::string_view sym, const FlagOp& flag) {
  if (sym.empty()) {
    return Kind::Epsilon;
  }
  if (flag.op != 0) {
    return Kind::Flag;
  }
  if (sym.size() < 3 || sym.front() != '[' || sym.back() != ']') {
    return Kind::Letter;
  }
  if (sym == "[Bc]") {
    return Kind::Compound;
  }
  if (sym == "[Xp]") {
    return Kind::Root;
  }
  if (sym == "[Xj]") {
    return Kind::Derivation;
  }
  if (sym == "[X]") {
    return Kind::Close;
  }
  if (sym == "[Ef]") {
    return Kind::End;
  }
  if (sym == "[Cc]" || sym == "[Cs]") {
    return Kind::Comparison;
  }
  switch (sym[1]) {
    case 'F':
      return Kind::Clitic;
    case 'O':
      return Kind::Possessive;
    case 'X':
      return Kind::OtherGroup;
    case 'L':
      return Kind::Class;
    case 'R':
      return Kind::Participle;
    default:
      return Kind::Tag;
  }
}

enum class Group : std::uint8_t { None, Root, Derivation, Other };

// Per-path scalars, copied down the recursion; strings are shared and cut back on return.
struct PathState {
  Group group = Group::None;
  std::uint8_t roots = 0;
  std::uint8_t derivations = 0;
  bool participle = false;
  std::uint8_t participle_level = 0;  // derivations before the participle tag
  bool comparison = false;
  std::uint16_t word_class = 0;  // symbol index of the first [L…] tag
  std::uint8_t pre_root = 0;     // output symbols before [Xp], not counting [Xr]…[X] groups
};

class Walker {
 public:
  Walker(const Transducer& t, const WantedLexemes& w, const EnumerateOptions& o,
         const PathSink& sink)
      : t_(t), wanted_(w), options_(o), sink_(sink), flag_values_(t.feature_count(), 0) {
    for (std::size_t i = 0; i < t.symbols().size(); ++i) {
      kinds_.push_back(classify(t.symbols()[i], t.flags()[i]));
    }
    for (const auto& [feature, value] : o.preset_flags) {
      if (auto ids = t.flag_ids(feature, value)) {
        flag_values_[ids->first] = ids->second;
      }
    }
  }

  EnumerateStats run() {
    walk(0, PathState{});
    return stats_;
  }

 private:
  // Applies a flag diacritic; false when it blocks the path. `undo` receives the old value.
  bool apply_flag(const FlagOp& f, std::uint16_t& undo) {
    std::uint16_t& v = flag_values_[f.feature];
    undo = v;
    switch (f.op) {
      case 'P':
        v = f.value;
        return true;
      case 'N':
        v = static_cast<std::uint16_t>(0x8000 | f.value);  // "not value"
        return true;
      case 'C':
        v = 0;
        return true;
      case 'U':
        if (v == 0) {
          v = f.value;
          return true;
        }
        if (v & 0x8000) {
          if ((v & 0x7FFF) == f.value) {
            return false;
          }
          v = f.value;
          return true;
        }
        return v == f.value;
      case 'R':
        return f.value == 0 ? v != 0 : v == f.value;
      case 'D':
        return f.value == 0 ? v == 0 : v != f.value;
      default:
        return true;
    }
  }

  // Handles one output symbol; false when the path is pruned.
  bool take_output(std::uint16_t sym, PathState& s) {
    Kind kind = kinds_[sym];
    switch (kind) {
      case Kind::Epsilon:
      case Kind::Flag:
        return true;
      case Kind::Compound:
      case Kind::Clitic:
        return false;
      case Kind::Possessive:
        if (!options_.possessives) {
          return false;
        }
        break;
      case Kind::Root:
        if (s.roots > 0) {
          return false;
        }
        ++s.roots;
        s.group = Group::Root;
        break;
      case Kind::Derivation:
        if (s.derivations >= options_.max_derivations || s.roots == 0) {
          return false;
        }
        ++s.derivations;
        s.group = Group::Derivation;
        derivation_.clear();
        break;
      case Kind::OtherGroup:
        s.group = Group::Other;
        break;
      case Kind::Close:
        if (s.group == Group::Root) {
          if (!wanted_.roots.contains(root_)) {
            return false;
          }
        } else if (s.group == Group::Derivation) {
          const std::string& cls = t_.symbols()[s.word_class];
          derived_base_ = outside_ + derivation_;
          if (s.derivations == 1) {
            first_base_ = derived_base_;
          }
          s.participle = s.participle && s.participle_level + 1 == s.derivations;
          const std::string& parent = s.participle_level == 0 ? root_ : first_base_;
          if (s.derivations >= options_.max_derivations &&
              !wanted_.keys.contains(lexeme_key(cls, root_, derived_base_)) &&
              !(s.participle && wanted_.keys.contains(lexeme_key(cls, root_, parent)))) {
            return false;
          }
        }
        s.group = Group::None;
        break;
      case Kind::Class:
        if (s.word_class == 0) {
          s.word_class = sym;
        } else if (s.participle && s.derivations == s.participle_level &&
                   t_.symbols()[sym] != "[Ll]") {
          s.participle = false;  // "-neisuus" nouns are made from participles, but are not one
        }
        break;
      case Kind::Participle:
        if (s.derivations < options_.max_derivations) {
          s.participle = true;
          s.participle_level = s.derivations;
        }
        break;
      case Kind::Letter: {
        const std::string& text = t_.symbols()[sym];
        if (s.group == Group::Root) {
          if (text != "=") {
            root_ += text;
            if (!wanted_.root_prefixes.contains(root_)) {
              return false;
            }
          }
        } else if (s.group == Group::Derivation) {
          derivation_ += text;
        } else if (s.group == Group::None) {
          outside_ += text;
        }
        break;
      }
      case Kind::Comparison:
        s.comparison = true;
        break;
      case Kind::End:
      case Kind::Tag:
        break;
    }
    if (s.roots == 0 && s.group == Group::None && kind != Kind::Close && s.pre_root < 255) {
      ++s.pre_root;
    }
    output_ += t_.symbols()[sym];
    out_syms_.push_back(sym);
    return true;
  }

  void emit(const PathState& s) {
    if (s.roots == 0 || s.group != Group::None) {
      return;
    }
    // An untagged clitic (-han, -pa, -pas) leaves letters right before the final [Ef].
    std::size_t n = out_syms_.size();
    if (n >= 2 && kinds_[out_syms_[n - 1]] == Kind::End &&
        kinds_[out_syms_[n - 2]] == Kind::Letter) {
      return;
    }
    ++stats_.paths;
    Path path;
    path.surface = surface_;
    path.output = output_;
    path.word_class = s.word_class == 0 ? std::string_view{} : t_.symbols()[s.word_class];
    path.root = root_;
    path.derived = s.derivations > 0;
    path.participle = s.participle && s.derivations == s.participle_level + 1;
    if (path.participle) {
      participle_of_ = s.participle_level == 0 ? root_ : first_base_;
      path.participle_of = participle_of_;
    }
    path.comparison = s.comparison;
    if (path.derived) {
      base_ = derived_base_;
      path.base = base_;
    } else {
      path.base = root_;
    }
    sink_(path);
  }

  void walk(std::uint32_t state, PathState s) {
    if (stats_.paths >= options_.max_paths) {
      stats_.capped = true;
      return;
    }
    ++stats_.visits;
    if (t_.is_final(state)) {
      emit(s);
    }
    for (const Arc& arc : t_.arcs(state)) {
      // Cut-back points for everything this arc may change.
      std::size_t surface_len = surface_.size();
      std::size_t output_len = output_.size();
      std::size_t syms_len = out_syms_.size();
      std::size_t root_len = root_.size();
      std::size_t outside_len = outside_.size();
      std::size_t derivation_len = derivation_.size();
      std::string saved_derivation;
      PathState next = s;
      std::uint16_t undo = 0;
      const FlagOp* flag = nullptr;
      bool ok = true;
      Kind in_kind = kinds_[arc.in];
      if (in_kind == Kind::Flag) {
        flag = &t_.flags()[arc.in];
        ok = apply_flag(*flag, undo);
      } else if (in_kind == Kind::Letter) {
        surface_ += t_.symbols()[arc.in];
        ++letters_;
      }
      if (ok && kinds_[arc.out] == Kind::Derivation) {
        saved_derivation = derivation_;
      }
      if (ok) {
        ok = take_output(arc.out, next);
      }
      if (ok) {
        bool too_long = letters_ > options_.max_input || out_syms_.size() > options_.max_output ||
                        depth_ >= options_.max_arcs;
        bool no_root = next.roots == 0 && (letters_ > options_.root_within_input ||
                                           next.pre_root > options_.root_within_output);
        if (!too_long && !no_root) {
          ++depth_;
          walk(arc.target, next);
          --depth_;
        }
      }
      if (flag != nullptr) {
        flag_values_[flag->feature] = undo;
      } else if (in_kind == Kind::Letter) {
        surface_.resize(surface_len);
        --letters_;
      }
      output_.resize(output_len);
      out_syms_.resize(syms_len);
      root_.resize(root_len);
      outside_.resize(outside_len);
      if (kinds_[arc.out] == Kind::Derivation) {
        derivation_ = std::move(saved_derivation);
      } else {
        derivation_.resize(std::min(derivation_len, derivation_.size()));
      }
    }
  }

  const Transducer& t_;
  const WantedLexemes& wanted_;
  const EnumerateOptions& options_;
  const PathSink& sink_;
  std::vector<Kind> kinds_;
  std::vector<std::uint16_t> flag_values_;
  std::string surface_;
  std::string output_;
  std::vector<std::uint16_t> out_syms_;
  std::string root_;
  std::string outside_;
  std::string derivation_;
  std::string derived_base_;  // set when a derivation closes
  std::string first_base_;    // the base after the first derivation
  std::string participle_of_;
  std::string base_;
  std::size_t letters_ = 0;
  std::size_t depth_ = 0;
  EnumerateStats stats_;
};

}  // namespace

EnumerateStats enumerate_paths(const Transducer& t, const WantedLexemes& wanted,
                               const EnumerateOptions& options, const PathSink& sink) {
  Walker walker(t, wanted, options, sink);
  return walker.run();
}

}  // namespace pnt::lexicon
