#include "vfst/transducer.h"

#include <algorithm>
#include <span>

#include "base/utf8.h"

namespace pnt::vfst {
namespace {

constexpr std::uint32_t MAGIC_1 = 0x00013A6E;
constexpr std::uint32_t MAGIC_2 = 0x000351FA;
constexpr std::uint16_t FINAL_MARK = 0xFFFF;
constexpr std::size_t HEADER_BYTES = 16;
constexpr std::size_t CELL_BYTES = 8;
constexpr std::size_t MAX_CELLS = 0xFFFFFF;  // targets are 24-bit

struct Cell {
  std::uint16_t in = 0;
  std::uint16_t out = 0;
  std::uint32_t info = 0;
};

// The walks read millions of cells: one bounds check per cell, then fixed-width reads.
std::optional<Cell> cell_at(Bytes cells, std::size_t i) {
  if (i >= cells.size() / CELL_BYTES) {
    return std::nullopt;
  }
  const std::uint8_t* p = cells.data() + i * CELL_BYTES;
  auto u16 = [p](std::size_t k) {
    return static_cast<std::uint16_t>(p[k] | static_cast<unsigned>(p[k + 1]) << 8);
  };
  return Cell{u16(0), u16(2), static_cast<std::uint32_t>(u16(4)) | std::uint32_t{u16(6)} << 16};
}

// Interns a name; ids count from `base`.
std::uint16_t intern(std::vector<std::string_view>& names, std::string_view name,
                     std::uint16_t base) {
  auto it = std::find(names.begin() + base, names.end(), name);
  if (it == names.end()) {
    names.push_back(name);
    return static_cast<std::uint16_t>(names.size() - 1);
  }
  return static_cast<std::uint16_t>(it - names.begin());
}

// Parses "@P.FEATURE.VALUE@" / "@C.FEATURE@"; op 0 for anything else.
FlagOp parse_flag(std::string_view sym, std::vector<std::string_view>& features,
                  std::vector<std::string_view>& values) {
  FlagOp flag;
  if (sym.size() < 5 || sym.front() != '@' || sym.back() != '@' || sym[2] != '.') {
    return flag;
  }
  char op = sym[1];
  if (std::string_view("PNCURD").find(op) == std::string_view::npos) {
    return flag;
  }
  std::string_view body = sym.substr(3, sym.size() - 4);
  std::size_t dot = body.find('.');
  flag.op = op;
  flag.feature = intern(features, body.substr(0, dot), 0);
  if (dot != std::string_view::npos) {
    flag.value = intern(values, body.substr(dot + 1), 1);
  }
  return flag;
}

}  // namespace

std::optional<Arc> ArcList::at(std::size_t i) const {
  std::size_t index = head_ ? (i == 0 ? *head_ : first_ + i - 1) : first_ + i;
  auto c = cell_at(cells_, index);
  if (!c) {
    return std::nullopt;
  }
  std::uint32_t target = c->info & MAX_CELLS;
  if (c->in >= symbols_ || c->out >= symbols_ || target >= cells_.size() / CELL_BYTES) {
    return std::nullopt;
  }
  return Arc{c->in, c->out, target};
}

Result<Transducer> Transducer::open(Bytes bytes) {
  ByteReader r(bytes);
  auto m1 = r.u32_le();
  auto m2 = r.u32_le();
  if (!m1 || !m2 || *m1 != MAGIC_1 || *m2 != MAGIC_2) {
    return fail("not a voikko transducer (bad magic)");
  }
  auto weighted = r.u8();
  if (!weighted || !r.take(HEADER_BYTES - 9)) {
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
  t.value_names_.emplace_back();
  t.symbols_.reserve(*count);
  for (std::uint32_t i = 0; i < *count; ++i) {
    Bytes rest = bytes.subspan(r.position());
    auto end = std::find(rest.begin(), rest.end(), std::uint8_t{0});
    if (end == rest.end()) {
      return fail("truncated symbol table");
    }
    auto sym = as_text(*r.take(static_cast<std::size_t>(end - rest.begin())));
    (void)r.u8();
    t.flags_.push_back(parse_flag(sym, t.feature_names_, t.value_names_));
    t.symbols_.push_back(sym);
    if (t.flags_.back().op == 0 && !sym.empty() &&
        utf8_sequence_length(static_cast<std::uint8_t>(sym[0])) == sym.size()) {
      t.letters_.emplace_back(sym, static_cast<std::uint16_t>(i));
    }
  }
  std::sort(t.letters_.begin(), t.letters_.end());
  std::size_t start = (r.position() + CELL_BYTES - 1) / CELL_BYTES * CELL_BYTES;
  if (start > bytes.size() || (bytes.size() - start) % CELL_BYTES != 0) {
    return fail("transition table is not a whole number of cells");
  }
  std::size_t cells = (bytes.size() - start) / CELL_BYTES;
  if (cells == 0 || cells > MAX_CELLS) {
    return fail("transition table size out of range");
  }
  t.cells_ = bytes.subspan(start);
  return t;
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> Transducer::flag_ids(
    std::string_view feature, std::string_view value) const {
  auto f = std::find(feature_names_.begin(), feature_names_.end(), feature);
  auto v = std::find(value_names_.begin() + 1, value_names_.end(), value);
  if (f == feature_names_.end() || v == value_names_.end()) {
    return std::nullopt;
  }
  return std::pair{static_cast<std::uint16_t>(f - feature_names_.begin()),
                   static_cast<std::uint16_t>(v - value_names_.begin())};
}

std::optional<std::uint16_t> Transducer::letter_symbol(std::string_view letter) const {
  auto it = std::lower_bound(letters_.begin(), letters_.end(), letter,
                             [](const auto& entry, std::string_view l) { return entry.first < l; });
  if (it == letters_.end() || it->first != letter) {
    return std::nullopt;
  }
  return it->second;
}

bool Transducer::is_final(std::uint32_t state) const {
  auto head = cell_at(cells_, state);
  return head && head->in == FINAL_MARK;
}

ArcList Transducer::arcs(std::uint32_t state) const {
  auto head = cell_at(cells_, state);
  if (!head) {
    return {};
  }
  std::size_t more = head->info >> 24;
  std::size_t next = std::size_t{state} + 1;
  if (more == 255) {
    auto overflow = cell_at(cells_, next);
    if (!overflow) {
      return {};
    }
    more = overflow->in | (static_cast<std::size_t>(overflow->out) << 16);
    ++next;
  }
  if (next + more > cell_count()) {
    return {};
  }
  auto symbols = static_cast<std::uint16_t>(symbols_.size());
  std::optional<std::size_t> own;
  if (head->in != FINAL_MARK) {
    own = state;
  }
  return {cells_, own, next, more, symbols};
}

bool FlagState::apply(const FlagOp& f, std::uint16_t& undo) {
  std::uint16_t& v = values_[f.feature];
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
      if ((v & 0x8000) != 0) {
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

namespace {

class Lookup {
 public:
  Lookup(const Transducer& t, std::span<const std::uint16_t> input, const LookupOptions& o)
      : t_(t), input_(input), options_(o), flags_(t.feature_count()) {}

  std::vector<std::string> run() {
    walk(0, 0, 0);
    return std::move(results_);
  }

 private:
  void walk(std::uint32_t state, std::size_t pos, std::size_t depth) {
    // An epsilon cycle reaches the same output again; each output counts once.
    if (pos == input_.size() && t_.is_final(state) && results_.size() < options_.max_results &&
        std::find(results_.begin(), results_.end(), output_) == results_.end()) {
      results_.push_back(output_);
    }
    ArcList arcs = t_.arcs(state);
    for (std::size_t i = 0; i < arcs.size(); ++i) {
      if (results_.size() >= options_.max_results || ++steps_ > options_.max_steps ||
          depth >= options_.max_arcs) {
        return;
      }
      auto arc = arcs.at(i);
      if (!arc) {
        continue;
      }
      const FlagOp& flag = t_.flags()[arc->in];
      std::size_t next = pos;
      std::uint16_t undo = 0;
      if (flag.op != 0) {
        if (!flags_.apply(flag, undo)) {
          flags_.restore(flag, undo);
          continue;
        }
      } else if (arc->in != 0) {
        if (pos == input_.size() || input_[pos] != arc->in) {
          continue;
        }
        ++next;
      }
      std::size_t len = output_.size();
      std::string_view out = t_.symbols()[arc->out];
      if (t_.flags()[arc->out].op == 0) {
        output_ += out;
      }
      walk(arc->target, next, depth + 1);
      output_.resize(len);
      if (flag.op != 0) {
        flags_.restore(flag, undo);
      }
    }
  }

  const Transducer& t_;
  std::span<const std::uint16_t> input_;
  const LookupOptions& options_;
  FlagState flags_;
  std::string output_;
  std::vector<std::string> results_;
  std::size_t steps_ = 0;
};

}  // namespace

std::vector<std::string> lookup(const Transducer& t, std::string_view word,
                                const LookupOptions& options) {
  std::vector<std::uint16_t> input;
  for (std::size_t pos = 0; pos < word.size();) {
    std::size_t n = utf8_sequence_length(static_cast<std::uint8_t>(word[pos]));
    if (n == 0 || pos + n > word.size()) {
      return {};
    }
    auto sym = t.letter_symbol(word.substr(pos, n));
    if (!sym) {
      return {};
    }
    input.push_back(*sym);
    pos += n;
  }
  return Lookup(t, input, options).run();
}

}  // namespace pnt::vfst
