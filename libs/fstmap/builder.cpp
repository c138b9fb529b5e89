#include "fstmap/builder.h"

#include <stdio.h>  // fileno

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "base/fd.h"
#include "fstmap/format_internal.h"
#include "fstmap/map.h"

namespace pnt::fst {
namespace {

// The node cache: its shape decides which nodes get shared, so it is part of what makes the
// output byte-identical to the reference library's.
constexpr std::size_t REGISTRY_BUCKETS = 10000;
constexpr std::uint64_t FNV_OFFSET = 0xcbf29ce484222325ULL;
constexpr std::uint64_t FNV_PRIME = 0x100000001b3ULL;

// Never a real node address, so it never matches a transition target.
constexpr std::uint64_t NO_NODE = 1;
constexpr std::size_t FLUSH_AT = std::size_t{1} << 16;

constexpr std::array<std::uint8_t, 256> make_common_index() {
  std::array<std::uint8_t, 256> index{};
  for (std::size_t i = 0; i < COMMON_INPUTS.size(); ++i) {
    index[COMMON_INPUTS[i]] = static_cast<std::uint8_t>(i + 1);
  }
  return index;
}

// Byte value -> 1-based position in COMMON_INPUTS, or 0.
constexpr std::array<std::uint8_t, 256> COMMON_INDEX = make_common_index();

unsigned packed_size(std::uint64_t n) {
  unsigned size = 1;
  while (size < 8 && (n >> (8 * size)) != 0) {
    ++size;
  }
  return size;
}

}  // namespace

Result<void> VectorSink::write(Bytes bytes) {
  out_.insert(out_.end(), bytes.begin(), bytes.end());
  return {};
}

Result<void> FileSink::write(Bytes bytes) {
  if (bytes.empty()) {
    return {};
  }
  // The builder hands over large blocks, so they go past the stream's buffer, flushed first to
  // keep whatever the caller put there ahead of them.
  if (std::fflush(file_) != 0 || !write_all(::fileno(file_), as_text(bytes))) {
    return fail(std::string("write failed: ") + std::strerror(errno));
  }
  return {};
}

class MapBuilder::Impl {
 public:
  explicit Impl(ByteSink& sink) : sink_(sink), registry_(2 * REGISTRY_BUCKETS) {
    buffer_.reserve(FLUSH_AT + 8192);
    append_uint_le(buffer_, VERSION, 8);
    append_uint_le(buffer_, 0, 8);  // map type
    push_entry(false);
  }

  Result<void> insert(Bytes key, std::uint64_t value);
  Result<void> finish();
  [[nodiscard]] std::uint64_t len() const { return count_; }

 private:
  struct Transition {
    std::uint64_t output = 0;
    std::uint64_t target = 0;
    std::uint8_t input = 0;

    bool operator==(const Transition&) const = default;
  };
  struct Node {
    bool is_final = false;
    std::uint64_t final_output = 0;
    std::vector<Transition> transitions;
  };
  // A node on the path of the previous key; its pending transition leads to the next entry.
  struct Entry {
    Node node;
    bool has_pending = false;
    std::uint8_t pending_input = 0;
    std::uint64_t pending_output = 0;
  };
  struct Cell {
    Node node;
    std::uint64_t address = 0;
    bool used = false;
  };

  void push_entry(bool is_final);
  void freeze(std::size_t depth);
  std::uint64_t compile(const Node& node);
  void write_node(const Node& node);
  Result<void> flush();
  Result<void> fail_with(std::string message) {
    failed_ = true;
    return fail(std::move(message));
  }

  static bool same(const Node& a, const Node& b) {
    return a.is_final == b.is_final && a.final_output == b.final_output &&
           a.transitions == b.transitions;
  }
  static std::uint64_t hash(const Node& node) {
    std::uint64_t h = FNV_OFFSET;
    h = (h ^ (node.is_final ? 1U : 0U)) * FNV_PRIME;
    h = (h ^ node.final_output) * FNV_PRIME;
    for (const Transition& t : node.transitions) {
      h = (h ^ t.input) * FNV_PRIME;
      h = (h ^ t.output) * FNV_PRIME;
      h = (h ^ t.target) * FNV_PRIME;
    }
    return h;
  }

  ByteSink& sink_;
  std::vector<std::uint8_t> buffer_;  // written bytes not yet handed to the sink
  std::uint64_t flushed_ = 0;         // bytes already handed to the sink
  std::uint32_t crc_ = 0;             // CRC-32C of the flushed bytes
  std::vector<Entry> stack_;          // reused storage; only the first depth_ entries are live
  std::size_t depth_ = 0;
  std::vector<Cell> registry_;  // two cells per bucket, the most recently used first
  std::uint64_t last_written_ = NO_NODE;
  std::uint64_t count_ = 0;
  std::vector<std::uint8_t> previous_;
  bool has_previous_ = false;
  bool failed_ = false;
  bool finished_ = false;
};

void MapBuilder::Impl::push_entry(bool is_final) {
  if (depth_ == stack_.size()) {
    stack_.emplace_back();
  }
  Entry& e = stack_[depth_++];
  e.node.is_final = is_final;
  e.node.final_output = 0;
  e.node.transitions.clear();
  e.has_pending = false;
  e.pending_input = 0;
  e.pending_output = 0;
}

Result<void> MapBuilder::Impl::insert(Bytes key, std::uint64_t value) {
  if (failed_ || finished_) {
    return fail("map builder used after an error or after finish");
  }
  if (has_previous_) {
    const std::size_t common = std::min(key.size(), previous_.size());
    int order = common == 0 ? 0 : std::memcmp(key.data(), previous_.data(), common);
    if (order == 0) {
      order = key.size() < previous_.size() ? -1 : (key.size() > previous_.size() ? 1 : 0);
    }
    if (order == 0) {
      return fail_with("duplicate key");
    }
    if (order < 0) {
      return fail_with("out of order key");
    }
  }
  previous_.assign(key.begin(), key.end());
  has_previous_ = true;

  if (key.empty()) {
    // Only ever the first key: it makes the root final.
    count_ = 1;
    stack_[0].node.is_final = true;
    stack_[0].node.final_output = value;
    return {};
  }

  // Walk the path shared with the previous key, pushing surplus output down so that each
  // transition keeps the smallest output common to the keys below it.
  std::uint64_t rem = value;
  std::size_t i = 0;
  while (i < key.size() && i < depth_ && stack_[i].has_pending &&
         stack_[i].pending_input == key[i]) {
    Entry& e = stack_[i];
    const std::uint64_t kept = std::min(e.pending_output, rem);
    const std::uint64_t extra = e.pending_output - kept;
    e.pending_output = kept;
    rem -= kept;
    ++i;
    if (extra != 0) {
      Entry& child = stack_[i];
      if (child.node.is_final) {
        child.node.final_output += extra;
      }
      for (Transition& t : child.node.transitions) {
        t.output += extra;
      }
      if (child.has_pending) {
        child.pending_output += extra;
      }
    }
  }
  const std::size_t shared = i;
  ++count_;
  freeze(shared);

  Entry& fork = stack_[shared];
  fork.has_pending = true;
  fork.pending_input = key[shared];
  fork.pending_output = rem;
  for (std::size_t j = shared + 1; j < key.size(); ++j) {
    push_entry(false);
    Entry& e = stack_[depth_ - 1];
    e.has_pending = true;
    e.pending_input = key[j];
  }
  push_entry(true);

  if (buffer_.size() >= FLUSH_AT) {
    return flush();
  }
  return {};
}

void MapBuilder::Impl::freeze(std::size_t depth) {
  bool have = false;
  std::uint64_t address = 0;
  while (depth_ > depth + 1) {
    Entry& e = stack_[--depth_];
    if (have && e.has_pending) {
      e.node.transitions.push_back({e.pending_output, address, e.pending_input});
      e.has_pending = false;
    }
    address = compile(e.node);
    have = true;
  }
  Entry& e = stack_[depth];
  if (have && e.has_pending) {
    e.node.transitions.push_back({e.pending_output, address, e.pending_input});
    e.has_pending = false;
  }
}

std::uint64_t MapBuilder::Impl::compile(const Node& node) {
  if (node.is_final && node.transitions.empty() && node.final_output == 0) {
    return 0;  // the empty final node is implicit
  }
  const std::size_t bucket = static_cast<std::size_t>(hash(node) % REGISTRY_BUCKETS);
  Cell& recent = registry_[2 * bucket];
  Cell& older = registry_[2 * bucket + 1];
  if (recent.used && same(recent.node, node)) {
    return recent.address;
  }
  if (older.used && same(older.node, node)) {
    std::swap(recent, older);
    return recent.address;
  }
  // Miss: the older cell is dropped (its storage reused) and the recent one moves down.
  std::swap(recent, older);
  recent.node.is_final = node.is_final;
  recent.node.final_output = node.final_output;
  recent.node.transitions.assign(node.transitions.begin(), node.transitions.end());
  recent.used = true;
  write_node(node);
  recent.address = last_written_;
  return last_written_;
}

void MapBuilder::Impl::write_node(const Node& node) {
  const std::uint64_t start = flushed_ + buffer_.size();
  const std::size_t count = node.transitions.size();
  const auto delta_of = [start](std::uint64_t target) { return target == 0 ? 0 : start - target; };

  if (count == 1 && !node.is_final) {
    const Transition& t = node.transitions[0];
    const std::uint8_t common = COMMON_INDEX[t.input];
    if (t.output == 0 && t.target == last_written_) {
      if (common == 0) {
        buffer_.push_back(t.input);
      }
      buffer_.push_back(static_cast<std::uint8_t>(0xC0U | common));
    } else {
      const std::uint64_t delta = delta_of(t.target);
      const unsigned delta_width = packed_size(delta);
      const unsigned output_width = t.output == 0 ? 0 : packed_size(t.output);
      append_uint_le(buffer_, t.output, output_width);
      append_uint_le(buffer_, delta, delta_width);
      buffer_.push_back(static_cast<std::uint8_t>(delta_width << 4 | output_width));
      if (common == 0) {
        buffer_.push_back(t.input);
      }
      buffer_.push_back(static_cast<std::uint8_t>(0x80U | common));
    }
    last_written_ = flushed_ + buffer_.size() - 1;
    return;
  }

  unsigned delta_width = 0;
  unsigned output_width = 0;
  bool has_outputs = node.final_output != 0;
  for (const Transition& t : node.transitions) {
    delta_width = std::max(delta_width, packed_size(delta_of(t.target)));
    has_outputs = has_outputs || t.output != 0;
  }
  if (has_outputs) {
    output_width = packed_size(node.final_output);
    for (const Transition& t : node.transitions) {
      output_width = std::max(output_width, packed_size(t.output));
    }
    if (node.is_final) {
      append_uint_le(buffer_, node.final_output, output_width);
    }
    for (std::size_t i = count; i-- > 0;) {
      append_uint_le(buffer_, node.transitions[i].output, output_width);
    }
  }
  for (std::size_t i = count; i-- > 0;) {
    append_uint_le(buffer_, delta_of(node.transitions[i].target), delta_width);
  }
  for (std::size_t i = count; i-- > 0;) {
    buffer_.push_back(node.transitions[i].input);
  }
  if (count > 32) {
    const std::size_t index = buffer_.size();
    buffer_.resize(index + 256, 255);
    for (std::size_t i = 0; i < count; ++i) {
      buffer_[index + node.transitions[i].input] = static_cast<std::uint8_t>(i);
    }
  }
  buffer_.push_back(static_cast<std::uint8_t>(delta_width << 4 | output_width));
  const std::uint8_t final_bit = node.is_final ? 0x40 : 0x00;
  if (count >= 1 && count <= 63) {
    buffer_.push_back(static_cast<std::uint8_t>(final_bit | count));
  } else {
    // 256 cannot be stored in a byte; 1 never occurs here otherwise, so it stands for 256.
    buffer_.push_back(static_cast<std::uint8_t>(count == 256 ? 1 : count));
    buffer_.push_back(final_bit);
  }
  last_written_ = flushed_ + buffer_.size() - 1;
}

Result<void> MapBuilder::Impl::flush() {
  crc_ = crc32c_update(crc_, buffer_);
  flushed_ += buffer_.size();
  auto written = sink_.write(buffer_);
  buffer_.clear();
  if (!written) {
    failed_ = true;
    return fail(std::move(written.error()));
  }
  return {};
}

Result<void> MapBuilder::Impl::finish() {
  if (failed_ || finished_) {
    return fail("map builder used after an error or after finish");
  }
  finished_ = true;
  freeze(0);
  depth_ = 0;
  const std::uint64_t root = compile(stack_[0].node);
  append_uint_le(buffer_, count_, 8);
  append_uint_le(buffer_, root, 8);
  if (auto r = flush(); !r) {
    return r;
  }
  std::vector<std::uint8_t> checksum;
  append_uint_le(checksum, mask_crc(crc_), 4);
  if (auto r = sink_.write(checksum); !r) {
    failed_ = true;
    return r;
  }
  return {};
}

MapBuilder::MapBuilder(ByteSink& sink) : impl_(std::make_unique<Impl>(sink)) {}

MapBuilder::~MapBuilder() = default;

Result<void> MapBuilder::insert(Bytes key, std::uint64_t value) {
  return impl_->insert(key, value);
}

Result<void> MapBuilder::finish() { return impl_->finish(); }

std::uint64_t MapBuilder::len() const { return impl_->len(); }

}  // namespace pnt::fst
