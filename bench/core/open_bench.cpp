// Start-up cost: open_dictionary (Lexicon, Morphology and English index) over the full-size
// synthetic data set, beside
// a bare one-shot decompression of the same zstd frame (the floor for opening) and the walk over
// every headword key (the part that grows with the lexicon), and the resident memory once both
// are open. The data files are mapped read-only, as the program's
// embedded blobs are, so only the pages the loaders touch become resident. The data set is
// written by pnt-synth into the build folder on first run, or taken from PNT_BENCH_DATA.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "bench/core/bench_data.h"
#include "core/dictionary.h"
#include "format/gloss.h"
#include "fstmap/map.h"

namespace {

using pnt::bench::data_dir;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A read-only mapping of a whole file, unmapped on destruction.
class Mapped {
 public:
  explicit Mapped(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
      return;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      void* data =
          ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (data != MAP_FAILED) {
        data_ = static_cast<const std::uint8_t*>(data);
        size_ = static_cast<std::size_t>(st.st_size);
      }
    }
    ::close(fd);
  }
  ~Mapped() {
    if (data_ != nullptr) {
      ::munmap(const_cast<std::uint8_t*>(data_), size_);
    }
  }
  Mapped(const Mapped&) = delete;
  Mapped& operator=(const Mapped&) = delete;

  [[nodiscard]] pnt::Bytes bytes() const { return {data_, size_}; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

struct DataSet {
  std::unique_ptr<Mapped> inflections_fst, inflections_multi, glosses_bin, glosses_fst, english_fst,
      english_multi;
  std::string problem;

  [[nodiscard]] pnt::DataBlobs blobs() const {
    return {.inflections_fst = inflections_fst->bytes(),
            .inflections_multi = inflections_multi->bytes(),
            .glosses_bin = glosses_bin->bytes(),
            .glosses_fst = glosses_fst->bytes(),
            .english_fst = english_fst->bytes(),
            .english_multi = english_multi->bytes(),
            .mor_vfst = {}};  // the synthetic data set has no transducer
  }
};

DataSet& data_set() {
  static DataSet set = [] {
    DataSet s;
    const std::optional<fs::path> dir = data_dir(s.problem);
    if (dir) {
      s.inflections_fst = std::make_unique<Mapped>(*dir / "inflections.fst");
      s.inflections_multi = std::make_unique<Mapped>(*dir / "inflections-multi.bin");
      s.glosses_bin = std::make_unique<Mapped>(*dir / "glosses.bin");
      s.glosses_fst = std::make_unique<Mapped>(*dir / "glosses.fst");
      s.english_fst = std::make_unique<Mapped>(*dir / "english.fst");
      s.english_multi = std::make_unique<Mapped>(*dir / "english-multi.bin");
    }
    return s;
  }();
  return set;
}

// The floor: one fresh buffer of the declared size and one one-shot decompression.
std::size_t bare_decompress(pnt::Bytes glosses_bin) {
  const pnt::Result<pnt::GlossHeader> header = pnt::parse_gloss_header(glosses_bin);
  if (!header) {
    return 0;
  }
  const std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[header->raw_size]);
  const std::size_t got =
      ZSTD_decompress(out.get(), header->raw_size, header->frame.data(), header->frame.size());
  benchmark::DoNotOptimize(out.get());
  return ZSTD_isError(got) != 0U ? 0 : got;
}

bool open_both(const DataSet& d) {
  pnt::Result<pnt::Dictionary> dictionary = pnt::open_dictionary(d.blobs());
  benchmark::DoNotOptimize(dictionary);
  return dictionary.has_value();
}

// The part of Morphology::open that grows with the lexicon: one walk over every headword key.
std::size_t stream_headwords(const DataSet& d) {
  const pnt::Result<pnt::fst::Map> map = pnt::fst::Map::open(d.glosses_fst->bytes());
  if (!map) {
    return 0;
  }
  std::size_t bytes = 0;
  pnt::fst::Stream stream = map->stream();
  while (stream.next()) {
    bytes += stream.key().size();
  }
  benchmark::DoNotOptimize(bytes);
  return bytes;
}

void BM_BareDecompress(benchmark::State& state) {
  const DataSet& d = data_set();
  if (!d.problem.empty()) {
    state.SkipWithError(d.problem.c_str());
    return;
  }
  for (auto _ : state) {
    if (bare_decompress(d.glosses_bin->bytes()) == 0) {
      state.SkipWithError("glosses.bin does not decompress");
      return;
    }
  }
}
BENCHMARK(BM_BareDecompress)->Unit(benchmark::kMillisecond);

void BM_LexiconOpen(benchmark::State& state) {
  const DataSet& d = data_set();
  if (!d.problem.empty()) {
    state.SkipWithError(d.problem.c_str());
    return;
  }
  for (auto _ : state) {
    pnt::Result<pnt::Lexicon> lexicon =
        pnt::Lexicon::open(d.glosses_fst->bytes(), d.glosses_bin->bytes());
    if (!lexicon) {
      state.SkipWithError(pnt::format_report(lexicon.error()).c_str());
      return;
    }
    benchmark::DoNotOptimize(lexicon);
  }
}
BENCHMARK(BM_LexiconOpen)->Unit(benchmark::kMillisecond);

void BM_HeadwordStream(benchmark::State& state) {
  const DataSet& d = data_set();
  if (!d.problem.empty()) {
    state.SkipWithError(d.problem.c_str());
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(stream_headwords(d));
  }
}
BENCHMARK(BM_HeadwordStream)->Unit(benchmark::kMillisecond);

void BM_LexiconAndMorphologyOpen(benchmark::State& state) {
  const DataSet& d = data_set();
  if (!d.problem.empty()) {
    state.SkipWithError(d.problem.c_str());
    return;
  }
  for (auto _ : state) {
    if (!open_both(d)) {
      state.SkipWithError("the data set does not open");
      return;
    }
  }
}
BENCHMARK(BM_LexiconAndMorphologyOpen)->Unit(benchmark::kMillisecond);

// The English index's share of the start-up: the map opened in place and one walk over
// english-multi.bin.
void BM_EnglishOpen(benchmark::State& state) {
  const DataSet& d = data_set();
  if (!d.problem.empty()) {
    state.SkipWithError(d.problem.c_str());
    return;
  }
  for (auto _ : state) {
    pnt::Result<pnt::EnglishIndex> english =
        pnt::EnglishIndex::open(d.english_fst->bytes(), d.english_multi->bytes());
    if (!english) {
      state.SkipWithError(pnt::format_report(english.error()).c_str());
      return;
    }
    benchmark::DoNotOptimize(english);
  }
}
BENCHMARK(BM_EnglishOpen)->Unit(benchmark::kMillisecond);

double vm_rss_mib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) {
      return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
  }
  return -1;
}

double elapsed_ms(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Figures measured once before the benchmark table: resident memory in a fresh process right
// after opening, then the best open time beside the best bare decompression and their ratio,
// from alternating rounds.
void report_figures() {
  const DataSet& d = data_set();
  if (!d.problem.empty()) {
    std::fprintf(stderr, "open_bench: %s\n", d.problem.c_str());
    return;
  }
  const double rss_before = vm_rss_mib();
  {
    const pnt::Result<pnt::Dictionary> dictionary = pnt::open_dictionary(d.blobs());
    if (!dictionary) {
      std::fputs(pnt::format_report(dictionary.error()).c_str(), stderr);
      return;
    }
    // Opening checked the header and that the record area has the size it declares.
    const pnt::Result<pnt::GlossHeader> header = pnt::parse_gloss_header(d.glosses_bin->bytes());
    std::printf("data set: %llu headwords, %llu forms, %llu English keys, record area %zu bytes\n",
                static_cast<unsigned long long>(dictionary->lexicon.headword_count()),
                static_cast<unsigned long long>(dictionary->morphology.form_count()),
                static_cast<unsigned long long>(dictionary->english.key_count()),
                header ? std::size_t{header->raw_size} : std::size_t{0});
    std::printf("resident after opening: %.1f MiB (%.1f MiB before; target <= 40 MiB)\n",
                vm_rss_mib(), rss_before);
  }
  // Alternating rounds, best of each: both sides see the same load on a busy machine.
  double bare = 1e300;
  double open = 1e300;
  double walk = 1e300;
  for (int round = 0; round < 30; ++round) {
    Clock::time_point start = Clock::now();
    bare_decompress(d.glosses_bin->bytes());
    bare = std::min(bare, elapsed_ms(start));
    start = Clock::now();
    open_both(d);
    open = std::min(open, elapsed_ms(start));
    start = Clock::now();
    stream_headwords(d);
    walk = std::min(walk, elapsed_ms(start));
  }
  std::printf("open %.2f ms, bare decompression %.2f ms: ratio %.2f\n", open, bare, open / bare);
  std::printf("of which the walk over every headword key: %.2f ms (%.2f x bare)\n", walk,
              walk / bare);
}

}  // namespace

int main(int argc, char** argv) {
  report_figures();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
