// Damaged maps: every read stays inside the bytes and every walk ends, whatever the damage.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fstmap/builder.h"
#include "fstmap/map.h"

namespace pnt::fst {
namespace {

using Pairs = std::vector<std::pair<std::string, std::uint64_t>>;

// A map with every node kind: a final root, one-transition(-next) chains, explicit input
// bytes, a node with a transition index, outputs of several widths.
Pairs sample_pairs() {
  Pairs pairs = {{"", 9}, {"aking", 1}, {"baking", 2}, {"making", 300}, {"taking", 70000}};
  for (int c = 0; c < 36; ++c) {
    pairs.emplace_back(std::string("m") + static_cast<char>('0' + c) + "x", 1ULL << c);
  }
  pairs.emplace_back("\x80\x81", 5);
  pairs.emplace_back("\xff\xfe\xfd", ~0ULL);
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

// The bytes in an allocation of exactly their size, so that AddressSanitizer sees any read
// past the end.
class ExactBytes {
 public:
  explicit ExactBytes(const std::vector<std::uint8_t>& bytes, std::size_t size)
      : data_(new std::uint8_t[size == 0 ? 1 : size]), size_(size) {
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), data_.get());
  }
  std::uint8_t* data() { return data_.get(); }
  [[nodiscard]] Bytes view() const { return {data_.get(), size_}; }

 private:
  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t size_;
};

// Runs every read operation; returns the number of pairs the streams yielded.
constexpr const char* PREFIXES[] = {"m", "ma", "m1", "\xff", "t", "aking"};

std::uint64_t exercise(const Map& map, const Pairs& keys) {
  std::uint64_t yielded = 0;
  Stream all = map.stream();
  while (all.next()) {
    ++yielded;
  }
  EXPECT_LE(yielded, map.len());
  for (const auto& [key, value] : keys) {
    (void)map.get(key);
  }
  for (const char* prefix : PREFIXES) {
    Stream s = map.prefix(prefix);
    std::uint64_t n = 0;
    while (s.next()) {
      ++n;
    }
    EXPECT_LE(n, map.len());
    yielded += n;
  }
  return yielded;
}

class DamagedMap : public ::testing::Test {
 protected:
  void SetUp() override {
    pairs_ = sample_pairs();
    auto bytes = build_map(pairs_);
    ASSERT_TRUE(bytes.has_value());
    good_ = std::move(*bytes);
  }
  Pairs pairs_;
  std::vector<std::uint8_t> good_;
};

TEST_F(DamagedMap, UndamagedSampleReadsBack) {
  auto map = Map::open(good_);
  ASSERT_TRUE(map.has_value());
  std::uint64_t expected = pairs_.size();
  for (const std::string prefix : PREFIXES) {
    for (const auto& pair : pairs_) {
      expected += pair.first.starts_with(prefix) ? 1 : 0;
    }
  }
  EXPECT_EQ(exercise(*map, pairs_), expected);
}

TEST_F(DamagedMap, ByteFlipsNeverReadOutside) {
  for (std::size_t at = 0; at < good_.size(); ++at) {
    for (const std::uint8_t mask : {0x01, 0x02, 0x10, 0x40, 0x80, 0xC0, 0xFF}) {
      ExactBytes bytes(good_, good_.size());
      bytes.data()[at] ^= mask;
      auto map = Map::open(bytes.view());
      if (map) {
        exercise(*map, pairs_);
      }
    }
  }
}

TEST_F(DamagedMap, TruncationsNeverReadOutside) {
  for (std::size_t size = 0; size < good_.size(); ++size) {
    ExactBytes bytes(good_, size);
    auto map = Map::open(bytes.view());
    if (map) {
      exercise(*map, pairs_);
    }
  }
}

// Starting the walk at every offset decodes arbitrary bytes as nodes.
TEST_F(DamagedMap, AnyRootAddressIsSafe) {
  for (std::uint64_t root = 1; root < good_.size() + 8; ++root) {
    ExactBytes bytes(good_, good_.size());
    for (int i = 0; i < 8; ++i) {
      bytes.data()[good_.size() - 12 + static_cast<std::size_t>(i)] =
          static_cast<std::uint8_t>(root >> (8 * i));
    }
    auto map = Map::open(bytes.view());
    ASSERT_TRUE(map.has_value());
    exercise(*map, pairs_);
  }
}

// Nodes whose transitions all lead to the same node below: the number of paths doubles with
// each node, so only the key count from the footer keeps a stream short.
// 40 levels of nodes whose transitions 'a' and 'b' both lead to the level below: 2^40 paths in
// a few hundred bytes. The bottom is the empty final node, or with `dead` a node that is neither
// final nor has transitions, so that no path holds a key. Levels are final unless `dead`.
std::vector<std::uint8_t> exponential_map(bool dead, std::uint64_t len) {
  std::vector<std::uint8_t> bytes(16, 0);
  bytes[0] = 3;
  std::uint64_t below = 0;  // the empty final node
  if (dead) {
    bytes.insert(bytes.end(), {0x00, 0x00, 0x00});  // pack sizes, count byte 0, state
    below = bytes.size() - 1;
  }
  for (int level = 0; level < 40; ++level) {
    const std::uint64_t start = bytes.size();
    const std::uint64_t delta = below == 0 ? 0 : start - below;
    // any-transitions, two transitions 'a' and 'b', both to `below`, T = 1, O = 0
    for (const std::uint8_t b :
         {static_cast<std::uint8_t>(delta), static_cast<std::uint8_t>(delta), std::uint8_t{'b'},
          std::uint8_t{'a'}, std::uint8_t{0x10}, static_cast<std::uint8_t>(dead ? 0x02 : 0x42)}) {
      bytes.push_back(b);
    }
    below = bytes.size() - 1;
  }
  for (int i = 0; i < 8; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(len >> (8 * i)));
  }
  for (int i = 0; i < 8; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(below >> (8 * i)));
  }
  bytes.insert(bytes.end(), 4, 0);
  return bytes;
}

// Both walks end at once: after the claimed key count, and at the first node that leads to no key.
TEST(DamagedMapShape, ExponentialPathsEndTheWalk) {
  for (const bool dead : {false, true}) {
    const std::vector<std::uint8_t> bytes = exponential_map(dead, 1000);
    auto map = Map::open(bytes);
    ASSERT_TRUE(map.has_value());
    Stream s = map->stream();
    std::uint64_t n = 0;
    while (s.next()) {
      ++n;
    }
    EXPECT_EQ(n, dead ? 0 : 1000) << dead;
  }
}

}  // namespace
}  // namespace pnt::fst
