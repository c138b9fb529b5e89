#include "fstmap/map.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "fstmap/automaton.h"
#include "fstmap/format_internal.h"

namespace pnt::fst {
namespace {

constexpr std::uint64_t HEADER_SIZE = 16;
constexpr std::uint64_t MIN_SIZE = 36;
constexpr std::uint64_t INDEX_SIZE = 256;

// COMMON_INPUTS by the 6-bit index of a state byte; index 0 (an explicit input) gives 0.
constexpr std::array<std::uint8_t, 64> COMMON_INPUT_AT = [] {
  std::array<std::uint8_t, 64> table{};
  for (std::size_t i = 0; i < COMMON_INPUTS.size(); ++i) {
    table[i + 1] = COMMON_INPUTS[i];
  }
  return table;
}();

// The low `width` bytes of a word, for widths 0 to 8.
constexpr std::array<std::uint64_t, 9> WIDTH_MASKS = [] {
  std::array<std::uint64_t, 9> masks{};
  for (std::size_t width = 1; width < masks.size(); ++width) {
    masks[width] = (masks[width - 1] << 8) | 0xFF;
  }
  return masks;
}();

// The bytes a pack-sizes byte says lie below it (delta width plus output width), or a span
// no node has room for when either width is above 8.
constexpr std::array<std::uint64_t, 256> PACK_SPAN = [] {
  std::array<std::uint64_t, 256> spans{};
  for (std::size_t pack = 0; pack < spans.size(); ++pack) {
    const std::size_t delta_width = pack >> 4;
    const std::size_t output_width = pack & 15U;
    spans[pack] =
        delta_width > 8 || output_width > 8 ? std::uint64_t{1} << 62 : delta_width + output_width;
  }
  return spans;
}();

// Reads `width` (0 to 8) bytes little-endian at `at`. Only called for ranges that decode() has
// already checked against the node area, which is what keeps the hot path free of per-byte
// checks. The node area ends at least 16 footer bytes before the end of the map, so the whole
// word at `at` lies inside the bytes whatever the width.
inline std::uint64_t packed(const std::uint8_t* data, std::uint64_t at, unsigned width) {
  const std::uint8_t* p = data + static_cast<std::size_t>(at);
  if constexpr (std::endian::native == std::endian::little) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word & WIDTH_MASKS[width];
  } else {
    std::uint64_t value = 0;
    for (unsigned i = width; i-- > 0;) {
      value = (value << 8) | p[i];
    }
    return value;
  }
}

// Where the parts of a branching node lie in the map's bytes.
struct Branch {
  std::uint64_t first = 0;    // offset of the node's lowest byte; deltas count from here
  std::uint64_t inputs = 0;   // offset of transition 0's input byte
  std::uint64_t deltas = 0;   // end of the delta array
  std::uint64_t outputs = 0;  // end of the output array
  std::uint64_t index = 0;    // start of the 256-byte index, 0 if none
  std::uint32_t count = 0;    // number of transitions, 0 to 256
  std::uint8_t delta_width = 0;
  std::uint8_t output_width = 0;
  bool is_final = false;
};

// Decodes the header of the branching node with state byte `state` at `address`, which the
// caller has checked to lie in the node area (ending at or before the footer); false when any
// byte of the node would lie below it. Both the lookup and the walk decode through here; forced
// inline so that the walk's copy into its frame stays in registers. A final node's output (at
// `first`, `output_width` bytes) is left to the caller: reading it here costs the walk's loop
// over one-transition nodes a register.
[[gnu::always_inline]] inline bool decode_branch(const std::uint8_t* data, std::uint64_t address,
                                                 std::uint8_t state, std::uint64_t version,
                                                 Branch& node) {
  // Bytes of the node below the state byte that may still be used.
  const std::uint64_t room = address - HEADER_SIZE;
  node.is_final = (state & 64U) != 0;
  std::uint64_t count = state & 63U;
  std::uint64_t pack_at = address - 1;
  if (count == 0) {
    if (room < 1) {
      return false;
    }
    count = data[address - 1];
    if (count == 1) {
      count = 256;  // a count of 1 always goes in the state byte, so 1 here stands for 256
    }
    pack_at = address - 2;
  }
  if (pack_at < HEADER_SIZE) {
    return false;
  }
  const unsigned delta_width = data[pack_at] >> 4;
  const unsigned output_width = data[pack_at] & 15U;
  if (delta_width > 8 || output_width > 8) {
    return false;
  }
  const std::uint64_t index = (version >= 2 && count > 32) ? INDEX_SIZE : 0;
  const std::uint64_t need =
      index + count * (1 + delta_width + output_width) + (node.is_final ? output_width : 0);
  if (pack_at - HEADER_SIZE < need) {
    return false;
  }
  node.count = static_cast<std::uint32_t>(count);
  node.delta_width = static_cast<std::uint8_t>(delta_width);
  node.output_width = static_cast<std::uint8_t>(output_width);
  node.index = index != 0 ? pack_at - INDEX_SIZE : 0;
  node.inputs = pack_at - index - 1;
  node.deltas = pack_at - index - count;
  node.outputs = node.deltas - count * delta_width;
  node.first = pack_at - need;
  return true;
}

// Writes `byte` after the first `len` bytes of a stream's key buffer, growing it when full, and
// gives the key's new length: the one step of both streams' walks down an arc.
std::size_t put_key_byte(std::vector<std::uint8_t>& key, std::size_t len, std::uint8_t byte) {
  if (len == key.size()) {
    key.resize(key.size() * 2 + 32);
  }
  key[len] = byte;
  return len + 1;
}

}  // namespace

// A decoded node: a branching node's layout, or one of the two one-transition kinds with its
// transition decoded in full.
struct Map::Node : Branch {
  std::uint64_t final_output = 0;
  std::uint64_t one_output = 0;  // one-transition kinds: the transition itself
  std::uint64_t one_target = 0;
  std::uint8_t one_input = 0;
  bool is_one = false;  // one of the two one-transition kinds
};

Result<Map> Map::open(Bytes bytes) {
  const std::uint64_t size = bytes.size();
  if (size < MIN_SIZE) {
    return fail("FST error");
  }
  // Every field read below lies inside the 36 bytes just checked.
  const std::uint64_t version = read_uint_le(bytes, 0, 8).value_or(0);
  if (version == 0 || version > VERSION) {
    return fail("FST error");
  }
  const std::uint64_t footer_end = version >= 3 ? size - 4 : size;
  const std::uint64_t root = read_uint_le(bytes, footer_end - 8, 8).value_or(0);
  const std::uint64_t len = read_uint_le(bytes, footer_end - 16, 8).value_or(0);
  // Only the map of the empty key alone has its root at 0, and then nothing but the header and
  // the footer is there.
  const std::uint64_t empty_root_size = version >= 3 ? MIN_SIZE : MIN_SIZE - 4;
  if (root == 0 && size != empty_root_size) {
    return fail("FST error");
  }
  return Map(bytes, version, len, root, footer_end - 16);
}

// decode, transition and find are used only in this file; inline keeps the lookup loop tight.
inline bool Map::decode(std::uint64_t address, Node& node) const {
  if (address == 0) {
    node.is_final = true;
    node.is_one = false;
    node.count = 0;
    node.final_output = 0;
    return true;
  }
  if (address < HEADER_SIZE || address >= area_end_) {
    return false;
  }
  const std::uint8_t* data = bytes_.data();
  // Bytes of the node below the state byte that may still be used.
  const std::uint64_t room = address - HEADER_SIZE;
  const std::uint8_t state = data[address];
  const unsigned kind = state >> 6;
  if (kind >= 2) {
    node.is_one = true;
    node.is_final = false;
    node.final_output = 0;
    node.count = 1;
    const unsigned common = state & 63U;
    std::uint64_t below = 0;  // bytes used below the state byte so far
    if (common != 0) {
      node.one_input = COMMON_INPUTS[common - 1];
    } else {
      if (room < 1) {
        return false;
      }
      node.one_input = data[address - 1];
      below = 1;
    }
    if (kind == 3) {
      // One-transition-next: the target is whatever node ends right below this one.
      node.first = address - below;
      node.one_target = node.first - 1;
      node.one_output = 0;
      return true;
    }
    if (room < below + 1) {
      return false;
    }
    const std::uint64_t pack_at = address - below - 1;
    const unsigned delta_width = data[pack_at] >> 4;
    const unsigned output_width = data[pack_at] & 15U;
    if (delta_width > 8 || output_width > 8 || room < below + 1 + delta_width + output_width) {
      return false;
    }
    node.first = pack_at - delta_width - output_width;
    const std::uint64_t delta = packed(data, pack_at - delta_width, delta_width);
    node.one_output = packed(data, node.first, output_width);
    if (delta > node.first) {
      return false;
    }
    node.one_target = delta == 0 ? 0 : node.first - delta;
    return true;
  }

  node.is_one = false;
  node.final_output = 0;
  if (!decode_branch(data, address, state, version_, node)) {
    return false;
  }
  if (node.is_final && node.output_width != 0) {
    node.final_output = packed(data, node.first, node.output_width);
  }
  return true;
}

inline bool Map::transition(const Node& node, std::uint32_t i, std::uint8_t& input,
                            std::uint64_t& output, std::uint64_t& target) const {
  if (node.is_one) {
    input = node.one_input;
    output = node.one_output;
    target = node.one_target;
    return true;
  }
  const std::uint8_t* data = bytes_.data();
  input = data[static_cast<std::size_t>(node.inputs - i)];
  const unsigned dw = node.delta_width;
  const unsigned ow = node.output_width;
  const std::uint64_t delta = packed(data, node.deltas - (std::uint64_t{i} + 1) * dw, dw);
  output = ow == 0 ? 0 : packed(data, node.outputs - (std::uint64_t{i} + 1) * ow, ow);
  if (delta > node.first) {
    return false;
  }
  target = delta == 0 ? 0 : node.first - delta;
  return true;
}

inline bool Map::find(const Node& node, std::uint8_t byte, std::uint64_t& output,
                      std::uint64_t& target) const {
  if (node.is_one) {
    if (node.one_input != byte) {
      return false;
    }
    output = node.one_output;
    target = node.one_target;
    return true;
  }
  const std::uint8_t* data = bytes_.data();
  std::uint32_t i = 0;
  if (node.index != 0) {
    i = data[static_cast<std::size_t>(node.index + byte)];
    if (i >= node.count) {
      return false;
    }
  } else {
    // Inputs are sorted and stored with transition 0 nearest the state byte. Find the first
    // input not below `byte`: halve the range while it is long, then scan.
    const std::uint8_t* inputs = data + static_cast<std::size_t>(node.inputs);
    const std::uint32_t count = node.count;
    std::uint32_t high = count;
    while (high - i > 8) {
      const std::uint32_t mid = i + (high - i) / 2;
      if (*(inputs - mid) < byte) {
        i = mid + 1;
      } else {
        high = mid;
      }
    }
    while (i < high && *(inputs - i) < byte) {
      ++i;
    }
    if (i == count || *(inputs - i) != byte) {
      return false;
    }
  }
  std::uint8_t input = 0;
  return transition(node, i, input, output, target);
}

std::optional<std::uint64_t> Map::get(Bytes key) const {
  Node node;
  if (!decode(root_, node)) {
    return std::nullopt;
  }
  std::uint64_t acc = 0;
  for (const std::uint8_t byte : key) {
    std::uint64_t output = 0;
    std::uint64_t target = 0;
    if (!find(node, byte, output, target) || !decode(target, node)) {
      return std::nullopt;
    }
    acc += output;
  }
  if (!node.is_final) {
    return std::nullopt;
  }
  return acc + node.final_output;
}

Stream Map::stream() const { return Stream(*this, Bytes{}); }

Stream Map::prefix(Bytes prefix) const { return Stream(*this, prefix); }

Stream Map::prefix(std::string_view prefix) const { return Stream(*this, as_bytes(prefix)); }

SearchStream Map::search(Automaton& automaton, std::uint64_t max_visits) const {
  return SearchStream(*this, automaton, max_visits);
}

Result<void> Map::verify() const {
  if (version_ < 3) {
    return fail("version " + std::to_string(version_) + " map has no checksum");
  }
  const std::size_t body = bytes_.size() - 4;
  const std::uint64_t stored = read_uint_le(bytes_, body, 4).value_or(0);
  const std::uint32_t computed = masked_crc32c(bytes_.first(body));
  if (stored != computed) {
    return fail("checksum mismatch: stored " + std::to_string(stored) + ", computed " +
                std::to_string(computed));
  }
  return {};
}

Stream::Stream(const Map& map, Bytes prefix) : map_(map), left_(map.len()) {
  // Room for typical keys and paths up front, so that a stream rarely allocates once going.
  key_.resize(std::max<std::size_t>(prefix.size(), 64));
  std::copy(prefix.begin(), prefix.end(), key_.begin());
  key_len_ = prefix.size();
  stack_.resize(16);
  std::uint64_t address = map_.root_;
  Map::Node node;
  if (!map_.decode(address, node)) {
    done_ = true;
    return;
  }
  std::uint64_t acc = 0;
  for (const std::uint8_t byte : prefix) {
    std::uint64_t output = 0;
    if (!map_.find(node, byte, output, address) || !map_.decode(address, node)) {
      done_ = true;
      return;
    }
    acc += output;
  }
  // The start node's own pair comes first; the frames then hold only what lies below it.
  if (descend(address, acc)) {
    pending_ = value_;
  }
}

// The decoding of decode(), specialised for the walk: one-transition nodes are followed at once
// and a branching node's header, decoded as decode() does it, goes straight into its frame.
// Every check of decode() is made (some merged into one), so a damaged map ends the walk after the
// same pairs as a node-by-node walk would. The key and the map's fields are held in locals: stores
// of key bytes could alias any member.
bool Stream::descend(std::uint64_t address, std::uint64_t acc) {
  const std::uint8_t* const data = map_.bytes_.data();
  const std::uint64_t area_end = map_.area_end_;
  std::uint8_t* key = key_.data();
  std::size_t key_len = key_len_;
  std::size_t key_room = key_.size();
  const auto damaged = [&] {
    key_len_ = key_len;
    done_ = true;
    return false;
  };

  std::uint8_t state = 0;
  for (;;) {
    // One unsigned comparison for both ends of the node area; 0 wraps around to the top.
    if (address - HEADER_SIZE >= area_end - HEADER_SIZE) {
      if (address != 0) {
        return damaged();
      }
      key_len_ = key_len;
      value_ = acc;  // the empty final node
      return true;
    }
    state = data[address];
    if (state > 0xC0) {
      // One-transition-next with a common input, one byte: the target lies right below, so
      // the next address does not wait for any load.
      if (key_len == key_room) {
        key_.resize(key_room * 2 + 32);
        key = key_.data();
        key_room = key_.size();
      }
      key[key_len++] = COMMON_INPUT_AT[state & 63U];
      address -= 1;
      continue;
    }
    if (state < 0x80) {
      break;  // any-transitions
    }
    // One transition, decoded with selects rather than branches: which of the two kinds it is
    // and whether its input is explicit follow no pattern a branch predictor could learn.
    // Reads below the state byte stay at or above offset 14, inside the header, until the
    // check below has made sure the node lies in the node area.
    const unsigned common = state & 63U;
    const std::uint64_t below = common == 0 ? 1 : 0;  // the input byte is stored explicitly
    // COMMON_INPUT_AT[0] is 0, so the explicit byte can be or-ed in under a mask.
    const auto input = static_cast<std::uint8_t>(
        COMMON_INPUT_AT[common] | (data[address - 1] & (0U - static_cast<unsigned>(below))));
    const std::uint64_t pack_at = address - below - 1;
    // One-transition-next (output 0, target right below) reads as a pack byte of 0.
    const unsigned is_next = (state >> 6) & 1U;
    const auto pack = static_cast<std::uint8_t>(data[pack_at] & (is_next - 1U));
    const std::uint64_t span = PACK_SPAN[pack];
    // A next node needs no room for a pack byte, but then its target lies below the node area
    // and the walk stops there one step later, with nothing emitted in between.
    if (address - HEADER_SIZE < below + 1 + span) {
      return damaged();
    }
    const std::uint64_t first = pack_at - span;
    const unsigned delta_width = pack >> 4;
    const std::uint64_t delta = packed(data, pack_at - delta_width, delta_width);
    if (delta > first) {
      return damaged();
    }
    if (key_len == key_room) {
      key_.resize(key_room * 2 + 32);
      key = key_.data();
      key_room = key_.size();
    }
    key[key_len++] = input;
    acc += packed(data, first, pack & 15U);
    const std::uint64_t jump = (first - delta) & (0 - static_cast<std::uint64_t>(delta != 0));
    address = jump | (pack_at & (0 - static_cast<std::uint64_t>(is_next)));
  }
  key_len_ = key_len;

  Branch node;
  if (!decode_branch(data, address, state, map_.version_, node)) {
    return damaged();
  }
  if (node.count != 0) {
    if (depth_ == stack_.size()) {
      stack_.resize(stack_.size() * 2 + 16);
    }
    Frame& frame = stack_[depth_++];
    frame.first = node.first;
    frame.inputs = node.inputs;
    frame.deltas = node.deltas;
    frame.outputs = node.outputs;
    frame.acc = acc;
    frame.key_len = key_len;
    frame.left = left_;
    frame.count = node.count;
    frame.next = 0;
    frame.delta_width = node.delta_width;
    frame.output_width = node.output_width;
  }
  if (node.is_final) {
    value_ = acc + (node.output_width != 0 ? packed(data, node.first, node.output_width) : 0);
    return true;
  }
  return false;
}

bool Stream::next() {
  if (done_) {
    return false;
  }
  if (left_ == 0) {
    done_ = true;
    return false;
  }
  if (pending_) {
    value_ = *pending_;
    pending_.reset();
    --left_;
    return true;
  }
  const std::uint8_t* data = map_.bytes_.data();
  while (depth_ > 0) {
    Frame& top = stack_[depth_ - 1];
    if (top.next == top.count) {
      // Every node of a sound map leads to a key. A damaged one can share dead nodes so that a
      // few hundred bytes hold exponentially many paths without a key: stop at the first.
      if (top.left == left_) {
        break;
      }
      --depth_;
      continue;
    }
    // Transition `i` of a node decode() has checked, read in place (see Map::transition).
    const std::uint64_t i = top.next++;
    const unsigned dw = top.delta_width;
    const unsigned ow = top.output_width;
    const std::uint8_t input = data[static_cast<std::size_t>(top.inputs - i)];
    const std::uint64_t delta = packed(data, top.deltas - (i + 1) * dw, dw);
    const std::uint64_t output = ow == 0 ? 0 : packed(data, top.outputs - (i + 1) * ow, ow);
    if (delta > top.first) {
      break;
    }
    const std::uint64_t target = delta == 0 ? 0 : top.first - delta;
    const std::uint64_t acc = top.acc + output;
    key_len_ = put_key_byte(key_, top.key_len, input);
    if (descend(target, acc)) {  // may move the frames
      --left_;
      return true;
    }
    if (done_) {
      return false;
    }
  }
  done_ = true;
  return false;
}

SearchStream::SearchStream(const Map& map, Automaton& automaton, std::uint64_t max_visits)
    : map_(map), automaton_(&automaton), left_(map.len()), max_visits_(max_visits) {
  key_.resize(64);
  stack_.reserve(32);
  const std::uint32_t start = automaton.start();
  if (!automaton.can_match(start)) {
    done_ = true;
    return;
  }
  pending_ = enter(map_.root_, 0, start);
}

bool SearchStream::resume(std::uint64_t max_visits) {
  if (!exhausted_) {
    return false;
  }
  exhausted_ = false;
  done_ = false;
  resumed_ = true;
  max_visits_ = visits_ + std::min(max_visits, UINT64_MAX - visits_);
  return true;
}

bool SearchStream::enter(std::uint64_t address, std::uint64_t acc, std::uint32_t state) {
  if (visits_ == max_visits_) {
    exhausted_ = true;
    done_ = true;
    refused_address_ = address;
    refused_acc_ = acc;
    refused_key_len_ = key_len_;
    refused_state_ = state;
    return false;
  }
  ++visits_;
  Map::Node node;
  if (!map_.decode(address, node)) {
    done_ = true;
    return false;
  }
  Frame& frame = stack_.emplace_back();
  frame.first = node.first;
  frame.inputs = node.inputs;
  frame.deltas = node.deltas;
  frame.outputs = node.outputs;
  frame.acc = acc;
  frame.one_output = node.one_output;
  frame.one_target = node.one_target;
  frame.key_len = key_len_;
  frame.state = state;
  frame.count = node.count;
  frame.delta_width = node.delta_width;
  frame.output_width = node.output_width;
  frame.one_input = node.one_input;
  frame.is_one = node.is_one;
  if (node.is_final && automaton_->is_match(state)) {
    value_ = acc + node.final_output;
    state_ = state;
    return true;
  }
  return false;
}

bool SearchStream::next() {
  if (done_ || left_ == 0) {
    done_ = true;
    return false;
  }
  if (pending_) {
    pending_ = false;
    --left_;
    return true;
  }
  if (std::exchange(resumed_, false)) {
    key_len_ = refused_key_len_;
    if (enter(refused_address_, refused_acc_, refused_state_)) {
      --left_;
      return true;
    }
    if (done_) {
      return false;
    }
  }
  const std::uint8_t* data = map_.bytes_.data();
  while (!stack_.empty()) {
    Frame& top = stack_.back();
    if (top.next == top.count) {
      stack_.pop_back();
      continue;
    }
    const std::uint64_t i = top.next++;
    // Transition `i` of a node decode() has checked, read in place (see Map::transition): its
    // input first, since most transitions end at the automaton.
    const std::uint8_t input =
        top.is_one ? top.one_input : data[static_cast<std::size_t>(top.inputs - i)];
    const std::uint32_t state = automaton_->accept(top.state, input);
    if (!automaton_->can_match(state)) {
      continue;
    }
    std::uint64_t output = top.one_output;
    std::uint64_t target = top.one_target;
    if (!top.is_one) {
      const unsigned dw = top.delta_width;
      const unsigned ow = top.output_width;
      const std::uint64_t delta = packed(data, top.deltas - (i + 1) * dw, dw);
      output = ow == 0 ? 0 : packed(data, top.outputs - (i + 1) * ow, ow);
      if (delta > top.first) {
        break;
      }
      target = delta == 0 ? 0 : top.first - delta;
    }
    key_len_ = put_key_byte(key_, top.key_len, input);
    if (enter(target, top.acc + output, state)) {  // may move the frames
      --left_;
      return true;
    }
    if (done_) {
      return false;
    }
  }
  done_ = true;
  return false;
}

}  // namespace pnt::fst
