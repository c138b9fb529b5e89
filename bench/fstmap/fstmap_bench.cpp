// Lookup, prefix-stream and full-walk speed over the 50,000-word vector and over a generated
// map of five million Finnish-like word forms (written into the build folder on first run).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "fstmap/builder.h"
#include "fstmap/map.h"

namespace {

namespace fs = std::filesystem;
using pnt::fst::Map;

constexpr std::size_t GENERATED_KEYS = 5'000'000;
constexpr int PREFIX_PAIRS = 100;

std::vector<std::uint8_t> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Word forms shaped like Finnish inflection: stems of two to four syllables (with ä and ö as
// two UTF-8 bytes each), each with a few dozen case endings, possessive suffixes and clitics.
// All forms of a stem carry the stem's number, as an inflection index maps forms to headwords.
class FormGenerator {
 public:
  std::string stem() {
    static constexpr std::string_view ONSETS[] = {"",  "k", "t", "p", "s",  "h",  "l", "m",
                                                  "n", "r", "v", "j", "kk", "tt", "st"};
    static constexpr std::string_view VOWELS[] = {
        "a", "e", "i", "o", "u", "y", "\xc3\xa4", "\xc3\xb6", "aa", "ie", "uo", "ai", "\xc3\xa4i"};
    static constexpr std::string_view CODAS[] = {"", "", "", "n", "s", "l", "t", "r"};
    std::string word;
    const int syllables = 2 + static_cast<int>(rng_() % 3);
    for (int i = 0; i < syllables; ++i) {
      word += pick(ONSETS);
      word += pick(VOWELS);
      word += pick(CODAS);
    }
    return word;
  }

  template <class Emit>
  void forms(const std::string& stem, Emit emit) {
    static constexpr std::string_view ENDINGS[] = {
        "",     "n",    "a",     "\xc3\xa4", "ssa",  "ss\xc3\xa4", "sta", "lla",
        "lle",  "lta",  "ksi",   "na",       "t",    "en",         "ien", "ille",
        "issa", "ista", "ineen", "itta",     "ihin", "in",         "jen", "ja"};
    static constexpr std::string_view SUFFIXES[] = {"",    "ni",  "si", "mme", "nne",
                                                    "nsa", "kin", "ko", "han"};
    for (const std::string_view ending : ENDINGS) {
      for (const std::string_view suffix : SUFFIXES) {
        if (rng_() % 100 < 40) {
          std::string form = stem;
          form += ending;
          form += suffix;
          emit(std::move(form));
        }
      }
    }
  }

 private:
  template <std::size_t N>
  std::string_view pick(const std::string_view (&items)[N]) {
    return items[rng_() % N];
  }
  std::mt19937 rng_{20240607};
};

// Builds the generated map once and keeps it under the build folder.
fs::path generated_map() {
  const fs::path path = fs::path(PNT_BUILD_DIR) / "bench-data" / "finnish_forms_5m.fst";
  if (fs::exists(path)) {
    return path;
  }
  fs::create_directories(path.parent_path());
  std::fprintf(stderr, "generating %s (first run only)\n", path.c_str());
  FormGenerator generator;
  std::vector<std::string> stems;
  std::vector<std::pair<std::string, std::uint32_t>> forms;
  std::uint32_t stem_id = 0;
  while (forms.size() < GENERATED_KEYS) {
    stems.clear();
    for (int i = 0; i < 10'000; ++i) {
      stems.push_back(generator.stem());
    }
    for (const std::string& stem : stems) {
      generator.forms(stem,
                      [&](std::string form) { forms.emplace_back(std::move(form), stem_id); });
      ++stem_id;
    }
    std::stable_sort(forms.begin(), forms.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    forms.erase(std::unique(forms.begin(), forms.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                forms.end());
  }
  // Drop the surplus evenly so that the whole alphabet stays covered.
  const std::size_t surplus = forms.size() - GENERATED_KEYS;
  if (surplus > 0) {
    const std::size_t stride = forms.size() / surplus;
    std::size_t dropped = 0;
    std::size_t out = 0;
    for (std::size_t i = 0; i < forms.size(); ++i) {
      if (dropped < surplus && i % stride == stride - 1) {
        ++dropped;
        continue;
      }
      if (out != i) {
        forms[out] = std::move(forms[i]);
      }
      ++out;
    }
    forms.resize(out);
  }
  const fs::path partial = path.string() + ".partial";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "cannot create %s\n", partial.c_str());
    return {};
  }
  pnt::fst::FileSink sink(file);
  pnt::fst::MapBuilder builder(sink);
  pnt::Result<void> built;
  for (const auto& [form, value] : forms) {
    built = builder.insert(form, value);
    if (!built) {
      break;
    }
  }
  if (built) {
    built = builder.finish();
  }
  if (std::fclose(file) != 0 || !built) {
    std::fprintf(stderr, "cannot build %s: %s\n", partial.c_str(),
                 built ? "write failed" : built.error().message().c_str());
    fs::remove(partial);
    return {};
  }
  fs::rename(partial, path);
  return path;
}

// A loaded map with a shuffled sample of its keys and of short prefixes a user might type.
struct Fixture {
  std::vector<std::uint8_t> bytes;
  std::vector<std::string> keys;
  std::vector<std::string> prefixes;
  std::string problem;

  [[nodiscard]] Map map() const { return *Map::open(bytes); }
};

Fixture load(const fs::path& path) {
  Fixture f;
  if (path.empty() || !fs::exists(path)) {
    f.problem = "map not available: " + path.string();
    return f;
  }
  f.bytes = read_file(path);
  auto map = Map::open(f.bytes);
  if (!map) {
    f.problem = "cannot open " + path.string();
    return f;
  }
  const std::uint64_t step = std::max<std::uint64_t>(1, map->len() / 100'000);
  pnt::fst::Stream stream = map->stream();
  for (std::uint64_t i = 0; stream.next(); ++i) {
    if (i % step == 0) {
      f.keys.emplace_back(stream.key_text());
    }
  }
  std::mt19937 rng(1);
  std::shuffle(f.keys.begin(), f.keys.end(), rng);
  for (const std::string& key : f.keys) {
    f.prefixes.push_back(key.substr(0, 1 + rng() % 4));
  }
  return f;
}

const Fixture& words_50000() {
  static const Fixture f = load(fs::path(PNT_SHARED_DIR) / "fst-vectors" / "words_50000.fst");
  return f;
}

const Fixture& forms_5m() {
  static const Fixture f = load(generated_map());
  return f;
}

void bench_get(benchmark::State& state, const Fixture& f) {
  if (!f.problem.empty()) {
    state.SkipWithError(f.problem.c_str());
    return;
  }
  const Map map = f.map();
  std::size_t i = 0;
  for (auto _ : state) {
    auto value = map.get(f.keys[i]);
    benchmark::DoNotOptimize(value);
    i = i + 1 == f.keys.size() ? 0 : i + 1;
  }
}

void bench_prefix_100(benchmark::State& state, const Fixture& f) {
  if (!f.problem.empty()) {
    state.SkipWithError(f.problem.c_str());
    return;
  }
  const Map map = f.map();
  std::size_t i = 0;
  std::int64_t pairs = 0;
  for (auto _ : state) {
    pnt::fst::Stream stream = map.prefix(f.prefixes[i]);
    for (int n = 0; n < PREFIX_PAIRS && stream.next(); ++n) {
      benchmark::DoNotOptimize(stream.value());
      ++pairs;
    }
    i = i + 1 == f.prefixes.size() ? 0 : i + 1;
  }
  state.counters["pairs/op"] =
      benchmark::Counter(static_cast<double>(pairs), benchmark::Counter::kAvgIterations);
}

// One stream over every key, as the start-up walk that builds the headword table makes.
void bench_walk(benchmark::State& state, const Fixture& f) {
  if (!f.problem.empty()) {
    state.SkipWithError(f.problem.c_str());
    return;
  }
  const Map map = f.map();
  std::int64_t pairs = 0;
  for (auto _ : state) {
    std::size_t bytes = 0;
    pnt::fst::Stream stream = map.stream();
    while (stream.next()) {
      bytes += stream.key().size() + stream.value();
      ++pairs;
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["pairs/s"] =
      benchmark::Counter(static_cast<double>(pairs), benchmark::Counter::kIsRate);
}

void BM_Words50000Get(benchmark::State& state) { bench_get(state, words_50000()); }
void BM_Words50000Prefix100(benchmark::State& state) { bench_prefix_100(state, words_50000()); }
void BM_Words50000Walk(benchmark::State& state) { bench_walk(state, words_50000()); }
void BM_Forms5mGet(benchmark::State& state) { bench_get(state, forms_5m()); }
void BM_Forms5mPrefix100(benchmark::State& state) { bench_prefix_100(state, forms_5m()); }
void BM_Forms5mWalk(benchmark::State& state) { bench_walk(state, forms_5m()); }

BENCHMARK(BM_Words50000Get);
BENCHMARK(BM_Words50000Prefix100);
BENCHMARK(BM_Words50000Walk)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Forms5mGet);
BENCHMARK(BM_Forms5mPrefix100);
BENCHMARK(BM_Forms5mWalk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
