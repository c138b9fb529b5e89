// Opening rules, lookups and streams over maps built by our own builder.
#include "fstmap/map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "fstmap/builder.h"

namespace {

// Counts allocations while armed, so tests can check that lookups and streams stay off the heap.
bool g_counting = false;
std::size_t g_allocations = 0;

}  // namespace

// g++ sees the malloc behind the replaced operator new and then flags every matching delete
// (GCC bug 103993); the pair below is consistent.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  if (g_counting) {
    ++g_allocations;
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace pnt::fst {
namespace {

using Pairs = std::vector<std::pair<std::string, std::uint64_t>>;
using Bytes8 = std::vector<std::uint8_t>;

Bytes8 build(const Pairs& pairs) {
  auto bytes = build_map(pairs);
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or(Bytes8{});
}

Pairs collect(Stream stream) {
  Pairs out;
  while (stream.next()) {
    out.emplace_back(std::string(stream.key_text()), stream.value());
  }
  return out;
}

void put_u64(Bytes8& bytes, std::size_t at, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// The same map in an older version: version field changed, checksum dropped.
Bytes8 as_version(Bytes8 bytes, std::uint64_t version) {
  put_u64(bytes, 0, version);
  bytes.resize(bytes.size() - 4);
  return bytes;
}

// 40 one-letter-ish keys under "x" give a node with a transition index (more than 32).
Pairs wide_pairs() {
  Pairs pairs = {{"a", 1}, {"ab", 2}};
  for (int c = 0; c < 40; ++c) {
    pairs.emplace_back(std::string("x") + static_cast<char>('0' + c), 100 + c);
  }
  pairs.emplace_back("zz", 7);
  return pairs;
}

TEST(MapOpen, RejectsStructuralFaults) {
  const Bytes8 good = build({{"a", 1}, {"b", 2}});
  ASSERT_TRUE(Map::open(good).has_value());

  const Bytes8 short_file(good.begin(), good.begin() + 35);
  auto r = Map::open(short_file);
  ASSERT_FALSE(r.has_value());
  EXPECT_EQ(r.error().message(), "FST error");

  for (const std::uint64_t version : {0ULL, 4ULL, 0x0100000000000003ULL}) {
    Bytes8 bad = good;
    put_u64(bad, 0, version);
    EXPECT_FALSE(Map::open(bad).has_value()) << version;
  }

  // Root 0 is only the 36-byte map of the empty key.
  Bytes8 root_zero = good;
  put_u64(root_zero, root_zero.size() - 12, 0);
  EXPECT_FALSE(Map::open(root_zero).has_value());
  Bytes8 padded = build({{"", 0}});
  ASSERT_EQ(padded.size(), 36U);
  padded.insert(padded.begin() + 16, 0x00);
  EXPECT_FALSE(Map::open(padded).has_value());
  // Versions 1 and 2 have no 36-byte form, so root 0 is always rejected there.
  Bytes8 old_zero = build({{"", 0}});
  put_u64(old_zero, 0, 2);
  old_zero.push_back(0);  // keep 36 bytes after the footer moved to the end
  put_u64(old_zero, old_zero.size() - 8, 0);
  EXPECT_FALSE(Map::open(old_zero).has_value());
}

TEST(MapOpen, AcceptsWhatTheFormatAllows) {
  // The map type is ignored and the checksum is not verified.
  Bytes8 bytes = build({{"a", 1}, {"b", 2}});
  put_u64(bytes, 8, 1);
  bytes.back() ^= 0xFF;
  auto map = Map::open(bytes);
  ASSERT_TRUE(map.has_value());
  EXPECT_EQ(map->get("b"), 2U);
  EXPECT_FALSE(map->verify().has_value());

  // A wrong non-zero root opens; lookups just find nothing.
  Bytes8 wrong_root = build({{"a", 1}});
  put_u64(wrong_root, wrong_root.size() - 12, 1U << 20);
  auto lost = Map::open(wrong_root);
  ASSERT_TRUE(lost.has_value());
  EXPECT_FALSE(lost->get("a").has_value());
  EXPECT_TRUE(collect(lost->stream()).empty());
}

TEST(MapOpen, EmptyKeyAloneIsThe36ByteMap) {
  const Bytes8 bytes = build({{"", 0}});
  ASSERT_EQ(bytes.size(), 36U);
  auto map = Map::open(bytes);
  ASSERT_TRUE(map.has_value());
  EXPECT_EQ(map->len(), 1U);
  EXPECT_EQ(map->get(""), 0U);
  EXPECT_FALSE(map->get("a").has_value());
  EXPECT_EQ(collect(map->stream()), (Pairs{{"", 0}}));
  EXPECT_EQ(collect(map->prefix("")), (Pairs{{"", 0}}));
  EXPECT_TRUE(collect(map->prefix("a")).empty());

  // The map without keys is a different, longer file.
  const Bytes8 none = build(Pairs{});
  ASSERT_EQ(none.size(), 39U);
  auto empty = Map::open(none);
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->len(), 0U);
  EXPECT_FALSE(empty->get("").has_value());
  EXPECT_TRUE(collect(empty->stream()).empty());
}

TEST(MapOpen, OlderVersionsReadTheSame) {
  const Pairs small = {{"", 3}, {"jan", 1}, {"jul", 7}, {"jun", 6}, {"x", 1ULL << 40}};
  const Bytes8 v3 = build(small);
  for (const std::uint64_t version : {1ULL, 2ULL}) {
    const Bytes8 old = as_version(v3, version);
    auto map = Map::open(old);
    ASSERT_TRUE(map.has_value()) << version;
    EXPECT_EQ(map->version(), version);
    EXPECT_EQ(map->len(), small.size());
    EXPECT_EQ(collect(map->stream()), small);
    EXPECT_EQ(map->get("jun"), 6U);
    EXPECT_FALSE(map->verify().has_value());
  }
  // Version 2 keeps the transition index of wide nodes.
  const Pairs wide = wide_pairs();
  const Bytes8 v2_bytes = as_version(build(wide), 2);
  auto v2 = Map::open(v2_bytes);
  ASSERT_TRUE(v2.has_value());
  EXPECT_EQ(collect(v2->stream()), wide);
  EXPECT_EQ(v2->get("x7"), 107U);
}

TEST(MapGet, FindsExactlyTheKeys) {
  const Pairs wide = wide_pairs();
  const Bytes8 bytes = build(wide);
  auto map = Map::open(bytes);
  ASSERT_TRUE(map.has_value());
  for (const auto& [key, value] : wide) {
    EXPECT_EQ(map->get(key), value) << key;
  }
  for (const char* absent : {"", "b", "x", "x0a", "xz", "z", "zzz", "ab\xff"}) {
    EXPECT_FALSE(map->get(absent).has_value()) << absent;
  }
  const std::uint64_t max = ~std::uint64_t{0};
  const Bytes8 big = build({{"a", max}, {"b", max - 1}, {"bb", 0}});
  auto big_map = Map::open(big);
  ASSERT_TRUE(big_map.has_value());
  EXPECT_EQ(big_map->get("a"), max);
  EXPECT_EQ(big_map->get("b"), max - 1);
  EXPECT_EQ(big_map->get("bb"), 0U);
}

TEST(MapStream, PrefixStreamsIncludeThePrefixAndStopAtItsEnd) {
  const Pairs pairs = {{"ta", 1},    {"tal", 2},   {"talo", 3}, {"talon", 4},
                       {"talot", 5}, {"talvi", 6}, {"tam", 7},  {"u", 8}};
  const Bytes8 bytes = build(pairs);
  auto map = Map::open(bytes);
  ASSERT_TRUE(map.has_value());
  EXPECT_EQ(collect(map->prefix("talo")), (Pairs{{"talo", 3}, {"talon", 4}, {"talot", 5}}));
  EXPECT_EQ(collect(map->prefix("talv")), (Pairs{{"talvi", 6}}));
  EXPECT_EQ(collect(map->prefix("tala")), Pairs{});
  EXPECT_EQ(collect(map->prefix("talonx")), Pairs{});
  EXPECT_EQ(collect(map->prefix("")), pairs);
  EXPECT_EQ(collect(map->stream()), pairs);
}

// Keys far longer than the stream's first key buffer, branching every few bytes along one long
// path, so that the key and the frames grow while streaming; table and explicit input bytes,
// shared suffixes and outputs of several widths on the way.
TEST(MapStream, LongKeysAndDeepBranchingStreamInOrder) {
  std::string spine;
  for (int i = 0; i < 300; ++i) {
    spine += i % 7 == 3 ? '\xc3' : i % 7 == 4 ? '\xa4' : i % 11 == 5 ? ' ' : "talokj"[i % 6];
  }
  Pairs pairs = {{spine, 1}};
  for (std::size_t depth = 0; depth < spine.size(); depth += 5) {
    const std::uint64_t value = depth % 2 == 0 ? depth : (std::uint64_t{1} << 40) + depth;
    pairs.emplace_back(spine.substr(0, depth) + "~suffix", value);
    pairs.emplace_back(spine.substr(0, depth) + "~" + std::string(depth % 90, 'q'), value + 1);
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              pairs.end());
  const Bytes8 bytes = build(pairs);
  auto map = Map::open(bytes);
  ASSERT_TRUE(map.has_value());
  EXPECT_EQ(collect(map->stream()), pairs);

  const std::string prefix = spine.substr(0, 151);  // ends inside a two-byte character
  Pairs expected;
  for (const auto& pair : pairs) {
    if (pair.first.starts_with(prefix)) {
      expected.push_back(pair);
    }
  }
  ASSERT_GT(expected.size(), 20U);
  EXPECT_EQ(collect(map->prefix(prefix)), expected);
}

TEST(MapStream, StopsWhereTheCallerStopsWithoutAllocatingPerKey) {
  Pairs pairs;
  for (int i = 0; i < 5000; ++i) {
    pairs.emplace_back("k" + std::to_string(100000 + i * 7), static_cast<std::uint64_t>(i));
  }
  const Bytes8 bytes = build(pairs);
  auto map = Map::open(bytes);
  ASSERT_TRUE(map.has_value());

  g_allocations = 0;
  g_counting = true;
  const auto found = map->get("k100700");
  g_counting = false;
  EXPECT_EQ(found, 100U);
  EXPECT_EQ(g_allocations, 0U);

  Stream stream = map->stream();
  ASSERT_TRUE(stream.next());
  g_allocations = 0;
  g_counting = true;
  std::size_t seen = 1;
  while (stream.next()) {
    ++seen;
  }
  g_counting = false;
  EXPECT_EQ(seen, pairs.size());
  EXPECT_EQ(g_allocations, 0U);

  Stream first = map->prefix("k1001");
  std::vector<std::string> keys;
  for (int i = 0; i < 3 && first.next(); ++i) {
    keys.emplace_back(first.key_text());
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"k100105", "k100112", "k100119"}));
}

}  // namespace
}  // namespace pnt::fst
