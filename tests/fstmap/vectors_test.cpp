// Conformance with the reference library's test vectors: reading, building and checksums.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fstmap/builder.h"
#include "fstmap/escape.h"
#include "fstmap/map.h"

namespace pnt::fst {
namespace {

namespace fs = std::filesystem;

using Key = std::vector<std::uint8_t>;
using Pairs = std::vector<std::pair<Key, std::uint64_t>>;

fs::path vectors_dir() { return fs::path(PNT_SHARED_DIR) / "fst-vectors"; }

std::vector<std::uint8_t> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string read_text(const fs::path& path) {
  auto bytes = read_file(path);
  return {bytes.begin(), bytes.end()};
}

Pairs parse_tsv(const std::string& text) {
  Pairs pairs;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find('\n', pos);
    const std::string_view line(text.data() + pos, end - pos);
    const std::size_t tab = line.find('\t');
    Key key;
    EXPECT_TRUE(unescape_key(line.substr(0, tab), key).has_value()) << line;
    const auto value = parse_value(line.substr(tab + 1));
    EXPECT_TRUE(value.has_value()) << line;
    pairs.emplace_back(std::move(key), value.value_or(0));
    pos = end + 1;
  }
  return pairs;
}

struct Vector {
  std::string name;
  std::vector<std::uint8_t> fst;
  std::string tsv;
  Pairs pairs;
};

std::vector<Vector> load_vectors() {
  std::vector<Vector> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(vectors_dir(), ec)) {
    if (entry.path().extension() != ".fst") {
      continue;
    }
    Vector v;
    v.name = entry.path().stem().string();
    v.fst = read_file(entry.path());
    fs::path tsv = entry.path();
    tsv.replace_extension(".tsv");
    v.tsv = read_text(tsv);
    v.pairs = parse_tsv(v.tsv);
    out.push_back(std::move(v));
  }
  std::sort(out.begin(), out.end(),
            [](const Vector& a, const Vector& b) { return a.name < b.name; });
  return out;
}

class FstVectors : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { vectors_ = new std::vector<Vector>(load_vectors()); }
  static void TearDownTestSuite() {
    delete vectors_;
    vectors_ = nullptr;
  }
  void SetUp() override {
    if (vectors_->empty()) {
      GTEST_SKIP() << "no fst vectors under " << vectors_dir();
    }
  }
  static std::vector<Vector>* vectors_;
};

std::vector<Vector>* FstVectors::vectors_ = nullptr;

std::string dump(const Map& map) {
  std::string out;
  Stream s = map.stream();
  while (s.next()) {
    append_escaped(out, s.key());
    out += '\t';
    out += std::to_string(s.value());
    out += '\n';
  }
  return out;
}

TEST_F(FstVectors, BuilderIsByteIdentical) {
  for (const Vector& v : *vectors_) {
    auto built = build_map(v.pairs);
    ASSERT_TRUE(built.has_value()) << v.name;
    EXPECT_EQ(*built, v.fst) << v.name;
  }
}

TEST_F(FstVectors, FullStreamPrintsTheTsv) {
  for (const Vector& v : *vectors_) {
    auto map = Map::open(v.fst);
    ASSERT_TRUE(map.has_value()) << v.name;
    EXPECT_EQ(map->len(), v.pairs.size()) << v.name;
    EXPECT_EQ(dump(*map), v.tsv) << v.name;
  }
}

TEST_F(FstVectors, GetFindsEveryKeyAndNoExtension) {
  for (const Vector& v : *vectors_) {
    auto map = Map::open(v.fst);
    ASSERT_TRUE(map.has_value()) << v.name;
    for (const auto& [key, value] : v.pairs) {
      EXPECT_EQ(map->get(key), value) << v.name << " " << escape_key(key);
      for (const std::uint8_t extra : {0x00, 0x61, 0xff}) {
        Key longer = key;
        longer.push_back(extra);
        const bool listed = std::binary_search(
            v.pairs.begin(), v.pairs.end(), std::make_pair(longer, std::uint64_t{0}),
            [](const auto& a, const auto& b) { return a.first < b.first; });
        if (!listed) {
          EXPECT_FALSE(map->get(longer).has_value()) << v.name << " " << escape_key(longer);
        }
      }
    }
  }
}

TEST_F(FstVectors, PrefixStreamsMatchFilteredLines) {
  for (const Vector& v : *vectors_) {
    auto map = Map::open(v.fst);
    ASSERT_TRUE(map.has_value()) << v.name;
    // Every prefix of a sample of keys, plus a prefix that matches nothing.
    std::vector<Key> prefixes = {Key{}, Key{0x7f, 0x7f}};
    for (std::size_t k = 0; k < v.pairs.size();
         k += std::max<std::size_t>(1, v.pairs.size() / 40)) {
      const Key& key = v.pairs[k].first;
      for (std::size_t n = 1; n <= key.size(); ++n) {
        prefixes.emplace_back(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(n));
      }
    }
    for (const Key& prefix : prefixes) {
      // Keys with a given prefix form one run of the sorted list.
      Pairs expected;
      auto it = std::lower_bound(v.pairs.begin(), v.pairs.end(), prefix,
                                 [](const auto& pair, const Key& k) { return pair.first < k; });
      for (; it != v.pairs.end() && it->first.size() >= prefix.size() &&
             std::equal(prefix.begin(), prefix.end(), it->first.begin());
           ++it) {
        expected.push_back(*it);
      }
      Pairs got;
      Stream s = map->prefix(Bytes(prefix));
      while (s.next()) {
        got.emplace_back(Key(s.key().begin(), s.key().end()), s.value());
      }
      EXPECT_EQ(got, expected) << v.name << " prefix " << escape_key(prefix);
    }
  }
}

TEST_F(FstVectors, ChecksumsRecompute) {
  for (const Vector& v : *vectors_) {
    auto map = Map::open(v.fst);
    ASSERT_TRUE(map.has_value()) << v.name;
    EXPECT_TRUE(map->verify().has_value()) << v.name;
  }
}

}  // namespace
}  // namespace pnt::fst
