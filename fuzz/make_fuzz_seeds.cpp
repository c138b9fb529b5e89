// Writes the starting corpus of a fuzz target, made with the project's own writers:
// make_fuzz_seeds TARGET DIR. Targets without a seed recipe get an empty corpus.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/layout_toml.h"
#include "fstmap/builder.h"
#include "fuzz/format_seeds.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::uint64_t>>;
using Bytes8 = std::vector<std::uint8_t>;

bool write_file(const std::string& path, const Bytes8& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// Small words over a Finnish-like alphabet, sorted and distinct, with increasing values.
Pairs words(int count, std::uint32_t seed) {
  static constexpr std::string_view SYLLABLES[] = {"ka", "ta", "lo", "si", "nen", "mä",  "ää",
                                                   "ku", "va", "ri", "on", "tt",  "ssa", "lle"};
  std::vector<std::string> keys;
  std::uint32_t state = seed;
  for (int i = 0; i < count; ++i) {
    std::string word;
    state = state * 1103515245U + 12345U;
    const int parts = 1 + static_cast<int>((state >> 16) % 4);
    for (int p = 0; p < parts; ++p) {
      state = state * 1103515245U + 12345U;
      word += SYLLABLES[(state >> 16) % std::size(SYLLABLES)];
    }
    keys.push_back(std::move(word));
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  Pairs pairs;
  std::uint64_t value = 0;
  for (std::string& key : keys) {
    value += key.size() + 1;
    pairs.emplace_back(std::move(key), value);
  }
  return pairs;
}

std::vector<std::pair<std::string, Pairs>> fstmap_shapes() {
  std::vector<std::pair<std::string, Pairs>> shapes = {
      {"empty", {}},
      {"empty_key", {{"", 0}}},
      {"empty_key_value", {{"", 5}}},
      {"single", {{"a", 1}}},
      {"small", {{"ab", 0}, {"ac", 5}, {"b", 7}}},
      {"months", {{"apr", 4}, {"aug", 8}, {"jan", 1}, {"jul", 7}, {"jun", 6}, {"mar", 3}}},
      {"suffixes", {{"baking", 1}, {"making", 2}, {"taking", 3}, {"waking", 4}}},
      {"bytes", {{std::string("\x00", 1), 1}, {"\x7f\x80", 2}, {"\\\t\n", 3}, {"\xff", ~0ULL}}},
      {"words", words(300, 7)},
  };
  Pairs wide;
  Pairs every_byte;
  for (int c = 0; c < 256; ++c) {
    if (c >= '0' && c < '0' + 40) {
      wide.emplace_back(std::string("x") + static_cast<char>(c), 1ULL << (c - '0'));
    }
    every_byte.emplace_back(std::string(1, static_cast<char>(c)), ~0ULL - static_cast<unsigned>(c));
  }
  shapes.emplace_back("wide", std::move(wide));
  shapes.emplace_back("every_byte", std::move(every_byte));
  return shapes;
}

int write_fstmap_seeds(const std::string& dir) {
  for (auto& [name, pairs] : fstmap_shapes()) {
    std::sort(pairs.begin(), pairs.end());
    auto bytes = pnt::fst::build_map(pairs);
    if (!bytes) {
      std::fprintf(stderr, "make_fuzz_seeds: %s: %s\n", name.c_str(),
                   bytes.error().message().c_str());
      return 1;
    }
    if (!write_file(dir + "/" + name + ".fst", *bytes)) {
      std::fprintf(stderr, "make_fuzz_seeds: cannot write %s/%s.fst\n", dir.c_str(), name.c_str());
      return 1;
    }
    // The same map in version 2 (no checksum) as well, when it is not the 36-byte special case.
    if (bytes->size() > 36) {
      Bytes8 v2(bytes->begin(), bytes->end() - 4);
      v2[0] = 2;
      if (!write_file(dir + "/" + name + "_v2.fst", v2)) {
        return 1;
      }
    }
  }
  return 0;
}

// Layout files as the program writes them, plus hand-made variants that reach the parser's
// other paths: clamping, foreign keys and tables, wrong types, a duplicate key.
int write_layout_seeds(const std::string& dir) {
  std::vector<std::string> texts;
  for (const pnt::LayoutConfig layout : {pnt::LayoutConfig{40, 60}, pnt::LayoutConfig{10, 90},
                                         pnt::LayoutConfig{90, 10}, pnt::LayoutConfig{55, 33}}) {
    texts.push_back(pnt::format_layout(layout));
  }
  texts.emplace_back("left_pct = 5\nmatches_pct = 95 # clamped\n");
  texts.emplace_back(
      "theme = \"dark\"\n[window]\nsize = [80, 24]\nleft_pct = \"x\"\n[[panes]]\n"
      "name = \"k\xC3\xA4sin\"\nmatches_pct = 0x1F\n");
  texts.emplace_back(
      "left_pct = 1.5e2\nmatches_pct = true\nwhen = 1979-05-27T07:32:00Z\n"
      "s = \"\"\"multi\\\n   line\"\"\"\nl = 'lit'\ninl = { a = 1, b.c = 2 }\n");
  texts.emplace_back("left_pct = 30\nleft_pct = 31\n");
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Bytes8 bytes(texts[i].begin(), texts[i].end());
    if (!write_file(dir + "/layout_" + std::to_string(i) + ".toml", bytes)) {
      return 1;
    }
  }
  return 0;
}

// Terminal input as input_fuzz reads it: chunks led by a byte holding the chunk's length, with
// the top bit set for a time-out before the chunk. Each seed is a few typical inputs.
int write_input_seeds(const std::string& dir) {
  struct Chunk {
    bool time_out_first;
    std::string_view bytes;
  };
  const std::vector<std::vector<Chunk>> seeds{
      {{false, "talo\x7f\x7fo"}, {false, "\r\t\x06\x0c\x03"}, {false, "\x1b"}, {true, "x"}},
      {{false, "\x1b[A\x1b[B\x1bOA\x1bOB\x1b[1;5A\x1b[1;2B\x1b[1;16A"},
       {false, "\x1b\x1b[A\x1b[a\x1bOb\x1bOM\x1b[15~\x1bOP"}},
      {{false, "\x1b[<0;10;5M\x1b[<32;12;5M\x1b[<0;12;5m\x1b[<35;15;6M"},
       {false, "\x1b[<64;10;5M\x1b[<65;10;5M\x1b[<128;2;3M\x1b[<131;2;3m"}},
      {{false, "\x1b[M \x2a\x25\x1b[M#\x2a\x25\x1b[Ma!!\x1b[M\xa0\x22\x23"}},
      {{false, "h\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80"},
       {false, "ab\xc3"},
       {false, "\x1b"},
       {true, "\xed\xa0\x80\xf4\x90\xe0\x80"}},
      {{false, "\x1b[<0;1"}, {true, "\x1b\x1b"}, {true, "\x1b[1;"}, {true, "\x1b["}},
      {{false, "\x1b[1;3D\x1b\x1b[C\x1b[1;9D\x1b[d\x1bOc\x0f\x0e\x15\x17"},
       {false, "\x1b[H\x1bOF\x1b[1~\x1b[8~\x1b[5~\x1b[6;5~\x1b[5^\x1b[8@"},
       {true, "\x1b[<129;2;3M\x1b[M\xa1\x22\x23"}},
  };
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    Bytes8 bytes;
    for (const Chunk& chunk : seeds[i]) {
      bytes.push_back(
          static_cast<std::uint8_t>(chunk.bytes.size() | (chunk.time_out_first ? 0x80U : 0U)));
      bytes.insert(bytes.end(), chunk.bytes.begin(), chunk.bytes.end());
    }
    if (!write_file(dir + "/input_" + std::to_string(i) + ".bin", bytes)) {
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds TARGET DIR\n");
    return 1;
  }
  const std::string_view target = argv[1];
  if (target == "fstmap_fuzz") {
    return write_fstmap_seeds(argv[2]);
  }
  if (target == "layout_fuzz") {
    return write_layout_seeds(argv[2]);
  }
  if (target == "input_fuzz") {
    return write_input_seeds(argv[2]);
  }
  if (target == "gloss_fuzz" || target == "multi_fuzz") {
    const bool ok = target == "gloss_fuzz" ? pnt::fuzzing::write_gloss_seeds(argv[2])
                                           : pnt::fuzzing::write_multi_seeds(argv[2]);
    if (!ok) {
      std::fprintf(stderr, "make_fuzz_seeds: cannot write seeds into %s\n", argv[2]);
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "make_fuzz_seeds: no seeds for %s, starting from an empty corpus\n",
               argv[1]);
  return 0;
}
