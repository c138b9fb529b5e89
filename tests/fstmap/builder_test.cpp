// Builder errors, sinks, and round trips of generated key sets through the reader.
#include "fstmap/builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "fstmap/map.h"

namespace pnt::fst {
namespace {

using Bytes8 = std::vector<std::uint8_t>;

class FailingSink final : public ByteSink {
 public:
  Result<void> write(Bytes) override { return fail("disk full"); }
};

TEST(MapBuilder, RejectsKeysOutOfOrder) {
  Bytes8 out;
  VectorSink sink(out);
  MapBuilder builder(sink);
  ASSERT_TRUE(builder.insert("b", 1).has_value());
  auto dup = builder.insert("b", 2);
  ASSERT_FALSE(dup.has_value());
  EXPECT_EQ(dup.error().message(), "duplicate key");
  // After an error the builder stays unusable.
  EXPECT_FALSE(builder.insert("c", 3).has_value());
  EXPECT_FALSE(builder.finish().has_value());

  for (const auto& [first, second] : std::vector<std::pair<std::string, std::string>>{
           {"b", "a"}, {"ba", "b"}, {"a", ""}, {std::string("\xff", 1), std::string("\x7f", 1)}}) {
    Bytes8 bytes;
    VectorSink s(bytes);
    MapBuilder b(s);
    ASSERT_TRUE(b.insert(first, 1).has_value());
    auto r = b.insert(second, 1);
    ASSERT_FALSE(r.has_value()) << first << " then " << second;
    EXPECT_EQ(r.error().message(), "out of order key");
  }

  Bytes8 bytes;
  VectorSink s(bytes);
  MapBuilder empty_twice(s);
  ASSERT_TRUE(empty_twice.insert("", 1).has_value());
  EXPECT_EQ(empty_twice.insert("", 1).error().message(), "duplicate key");
}

TEST(MapBuilder, ReportsSinkFailures) {
  FailingSink sink;
  MapBuilder builder(sink);
  ASSERT_TRUE(builder.insert("a", 1).has_value());
  auto r = builder.finish();
  ASSERT_FALSE(r.has_value());
  EXPECT_EQ(r.error().message(), "disk full");
}

TEST(MapBuilder, FileSinkWritesTheSameBytes) {
  std::vector<std::pair<std::string, std::uint64_t>> pairs;
  for (int i = 0; i < 20000; ++i) {  // enough to flush several times on the way
    pairs.emplace_back("w" + std::to_string(1000000 + i * 13), static_cast<std::uint64_t>(i));
  }
  auto in_memory = build_map(pairs);
  ASSERT_TRUE(in_memory.has_value());

  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  FileSink sink(file);
  MapBuilder builder(sink);
  for (const auto& [key, value] : pairs) {
    ASSERT_TRUE(builder.insert(key, value).has_value());
  }
  ASSERT_TRUE(builder.finish().has_value());
  EXPECT_EQ(builder.len(), pairs.size());
  std::rewind(file);
  Bytes8 on_disk(in_memory->size() + 1);
  EXPECT_EQ(std::fread(on_disk.data(), 1, on_disk.size(), file), in_memory->size());
  on_disk.resize(in_memory->size());
  std::fclose(file);
  EXPECT_EQ(on_disk, *in_memory);
}

// Random binary key sets, with random values of every width, read back exactly.
TEST(MapBuilder, RandomKeySetsRoundTrip) {
  std::mt19937_64 rng(12345);
  for (int round = 0; round < 30; ++round) {
    std::map<Bytes8, std::uint64_t> expected;
    const int count = static_cast<int>(rng() % 400);
    const unsigned alphabet = round % 3 == 0 ? 256 : (round % 3 == 1 ? 4 : 40);
    for (int i = 0; i < count; ++i) {
      Bytes8 key(rng() % 9);
      for (auto& b : key) {
        b = static_cast<std::uint8_t>(rng() % alphabet + (alphabet == 256 ? 0 : 'a'));
      }
      const unsigned width = static_cast<unsigned>(rng() % 9);
      expected[key] = width == 0 ? 0 : rng() >> (64 - 8 * width);
    }
    auto bytes = build_map(expected);
    ASSERT_TRUE(bytes.has_value());
    auto map = Map::open(*bytes);
    ASSERT_TRUE(map.has_value());
    ASSERT_TRUE(map->verify().has_value());
    EXPECT_EQ(map->len(), expected.size());
    std::vector<std::pair<Bytes8, std::uint64_t>> streamed;
    Stream s = map->stream();
    while (s.next()) {
      streamed.emplace_back(Bytes8(s.key().begin(), s.key().end()), s.value());
    }
    EXPECT_EQ(streamed,
              (std::vector<std::pair<Bytes8, std::uint64_t>>(expected.begin(), expected.end())))
        << "round " << round;
    for (const auto& [key, value] : expected) {
      EXPECT_EQ(map->get(Bytes(key)), value);
    }
  }
}

}  // namespace
}  // namespace pnt::fst
