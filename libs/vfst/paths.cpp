#include "vfst/paths.h"

namespace pnt::vfst {

std::string lexeme_key(std::string_view word_class, std::string_view root, std::string_view base) {
  std::string key;
  key.reserve(word_class.size() + root.size() + base.size() + 2);
  key.append(word_class).push_back('|');
  key.append(root).push_back('|');
  key.append(base);
  return key;
}

void WantedLexemes::add(std::string_view word_class, std::string_view root, std::string_view base) {
  roots.emplace(root);
  for (std::size_t n = 0; n <= root.size(); ++n) {
    root_prefixes.emplace(root.substr(0, n));
  }
  keys.insert(lexeme_key(word_class, root, base));
}

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
  bool minen = false;            // past a MINEN-infinitive tag
};

// What the walk's options need to know of a tag.
enum class TagRole : std::uint8_t { Other, Case, Nominative, Number, Minen, Mainen };

TagRole tag_role(std::string_view sym) {
  if (sym == "[Sn]") {
    return TagRole::Nominative;
  }
  if (sym == "[Tn4]") {
    return TagRole::Minen;
  }
  if (sym == "[Tn5]") {
    return TagRole::Mainen;
  }
  return sym.starts_with("[S")   ? TagRole::Case
         : sym.starts_with("[N") ? TagRole::Number
                                 : TagRole::Other;
}

class Walker {
 public:
  Walker(const Transducer& t, const WantedLexemes& w, const EnumerateOptions& o,
         const PathSink& sink)
      : t_(t), wanted_(w), options_(o), sink_(sink), flags_(t.feature_count()) {
    for (std::size_t i = 0; i < t.symbols().size(); ++i) {
      kinds_.push_back(classify(t.symbols()[i], t.flags()[i]));
      std::string_view sym = t.symbols()[i];
      roles_.push_back(kinds_.back() == Kind::Tag ? tag_role(sym) : TagRole::Other);
      class_wanted_.push_back(kinds_.back() == Kind::Class &&
                              (w.classes.empty() || w.classes.contains(std::string(sym))));
    }
    if (w.roots.size() == 1) {
      single_root_ = *w.roots.begin();
    }
    for (const auto& [feature, value] : o.preset_flags) {
      if (auto ids = t.flag_ids(feature, value)) {
        flags_.preset(ids->first, ids->second);
      }
    }
  }

  EnumerateStats run() {
    walk(0, PathState{});
    return stats_;
  }

 private:
  // Whether some wanted root goes on with `text` after the root letters so far. With one
  // root (an inflection table) that is a comparison, not a hash of every prefix.
  bool root_continues(std::string_view text) {
    if (single_root_) {
      return single_root_->size() >= root_.size() + text.size() &&
             single_root_->compare(root_.size(), text.size(), text) == 0;
    }
    std::size_t len = root_.size();
    root_ += text;
    bool known = wanted_.root_prefixes.contains(root_);
    root_.resize(len);
    return known;
  }

  // The commonest ways an arc ends a path, told from its output symbol before anything of the
  // path is saved: a root letter no wanted root goes on with, an unwanted class, a compound
  // boundary or a clitic. take_output() decides the rest.
  bool dead_end(std::uint16_t sym, const PathState& s) {
    switch (kinds_[sym]) {
      case Kind::Letter:
        return s.group == Group::Root && t_.symbols()[sym] != "=" &&
               !root_continues(t_.symbols()[sym]);
      case Kind::Class:
        return s.word_class == 0 && !class_wanted_[sym];
      case Kind::Compound:
      case Kind::Clitic:
        return true;
      default:
        return false;
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
          std::string_view cls = t_.symbols()[s.word_class];
          derived_base_ = derived_base();
          if (s.derivations == 1) {
            first_base_ = derived_base_;
          }
          s.participle = s.participle && s.participle_level + 1 == s.derivations;
          std::string_view parent = s.participle_level == 0 ? root_ : first_base_;
          if (s.derivations < options_.max_derivations && !wanted_.steps.empty() &&
              !wanted_.steps.contains(lexeme_key(cls, root_, derived_base_))) {
            return false;
          }
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
          if (!class_wanted_[sym]) {
            return false;
          }
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
        std::string_view text = t_.symbols()[sym];
        if (s.group == Group::Root) {
          if (text != "=") {
            if (!root_continues(text)) {
              return false;
            }
            root_ += text;
          }
        }
        break;
      }
      case Kind::Comparison:
        if (options_.verb_table_forms && s.participle) {
          return false;
        }
        s.comparison = true;
        break;
      case Kind::Tag: {
        TagRole role = roles_[sym];
        if (s.derivations < options_.min_derivations &&
            (role == TagRole::Case || role == TagRole::Nominative || role == TagRole::Number)) {
          return false;
        }
        if (options_.verb_table_forms) {
          if (role == TagRole::Mainen) {
            return false;
          }
          s.minen = s.minen || role == TagRole::Minen;
          bool participle = s.participle && s.derivations == s.participle_level + 1;
          if (role == TagRole::Case && (participle || s.minen)) {
            return false;
          }
        }
        break;
      }
      case Kind::End:
        break;
    }
    if (s.roots == 0 && s.group == Group::None && kind != Kind::Close && s.pre_root < 255) {
      ++s.pre_root;
    }
    out_syms_.push_back(sym);
    return true;
  }

  // The base a closing derivation makes: the path's letters outside any group and the
  // derivation's own ("kääntämä" + "tön").
  [[nodiscard]] std::string derived_base() const {
    std::string outside;
    std::string derivation;
    Group group = Group::None;
    for (std::uint16_t sym : out_syms_) {
      switch (kinds_[sym]) {
        case Kind::Root:
          group = Group::Root;
          break;
        case Kind::Derivation:
          group = Group::Derivation;
          derivation.clear();
          break;
        case Kind::OtherGroup:
          group = Group::Other;
          break;
        case Kind::Close:
          group = Group::None;
          break;
        case Kind::Letter:
          if (group == Group::None) {
            outside += t_.symbols()[sym];
          } else if (group == Group::Derivation) {
            derivation += t_.symbols()[sym];
          }
          break;
        default:
          break;
      }
    }
    return outside + derivation;
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
    // The strings are made only for the few paths that arrive, not on every arc.
    surface_.clear();
    for (std::uint16_t sym : in_syms_) {
      surface_ += t_.symbols()[sym];
    }
    output_.clear();
    for (std::uint16_t sym : out_syms_) {
      output_ += t_.symbols()[sym];
    }
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
    if (stats_.paths >= options_.max_paths || stats_.visits >= options_.max_visits) {
      stats_.capped = true;
      return;
    }
    ++stats_.visits;
    if (t_.is_final(state)) {
      emit(s);
    }
    ArcList arcs = t_.arcs(state);
    for (std::size_t i = 0; i < arcs.size(); ++i) {
      auto decoded = arcs.at(i);
      if (!decoded) {
        continue;
      }
      const Arc& arc = *decoded;
      if (dead_end(arc.out, s)) {
        continue;
      }
      // Cut-back points for everything this arc may change.
      std::size_t syms_len = out_syms_.size();
      std::size_t root_len = root_.size();
      PathState next = s;
      std::uint16_t undo = 0;
      const FlagOp* flag = nullptr;
      bool ok = true;
      Kind in_kind = kinds_[arc.in];
      if (in_kind == Kind::Flag) {
        flag = &t_.flags()[arc.in];
        ok = flags_.apply(*flag, undo);
      } else if (in_kind == Kind::Letter) {
        in_syms_.push_back(arc.in);
      }
      if (ok) {
        ok = take_output(arc.out, next);
      }
      if (ok) {
        std::size_t letters = in_syms_.size();
        bool too_long = letters > options_.max_input || out_syms_.size() > options_.max_output ||
                        depth_ >= options_.max_arcs;
        bool no_root = next.roots == 0 && (letters > options_.root_within_input ||
                                           next.pre_root > options_.root_within_output);
        if (!too_long && !no_root) {
          ++depth_;
          walk(arc.target, next);
          --depth_;
        }
      }
      if (flag != nullptr) {
        flags_.restore(*flag, undo);
      } else if (in_kind == Kind::Letter) {
        in_syms_.pop_back();
      }
      out_syms_.resize(syms_len);
      root_.resize(root_len);
    }
  }

  const Transducer& t_;
  const WantedLexemes& wanted_;
  const EnumerateOptions& options_;
  const PathSink& sink_;
  std::vector<Kind> kinds_;
  std::vector<TagRole> roles_;
  std::vector<bool> class_wanted_;  // a "[L…]" tag the walk may take first
  std::optional<std::string_view> single_root_;
  FlagState flags_;
  std::vector<std::uint16_t> in_syms_;  // the path's input letters
  std::string surface_;
  std::string output_;
  std::vector<std::uint16_t> out_syms_;
  std::string root_;
  std::string derived_base_;  // set when a derivation closes
  std::string first_base_;    // the base after the first derivation
  std::string participle_of_;
  std::string base_;
  std::size_t depth_ = 0;
  EnumerateStats stats_;
};

}  // namespace

EnumerateStats enumerate_paths(const Transducer& t, const WantedLexemes& wanted,
                               const EnumerateOptions& options, const PathSink& sink) {
  Walker walker(t, wanted, options, sink);
  return walker.run();
}

}  // namespace pnt::vfst
