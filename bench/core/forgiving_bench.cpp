// The forgiving search over the shipped data set, on the seeded misspellings that
// scripts/misspellings writes (bench/core/misspellings.tsv): every prefix of each typed key by
// key through all steps, the did-you-mean step alone on the whole words, and the folded twins
// that every Finnish keystroke looks for.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "bench/core/bench_data.h"
#include "bench/core/percentiles.h"
#include "core/dictionary.h"
#include "core/search.h"

namespace {

namespace fs = std::filesystem;

struct Shipped {
  std::unique_ptr<pnt::bench::OpenedData> data;
  std::vector<std::string> words;       // the misspellings as typed
  std::vector<std::string> keystrokes;  // every prefix of every word
  std::string problem;

  [[nodiscard]] pnt::SearchContext context() const {
    const pnt::Dictionary& d = *data->dictionary;
    return {d.lexicon, d.morphology, d.english, &d.frequencies,
            d.transducer ? &*d.transducer : nullptr};
  }
};

const Shipped& shipped() {
  static const Shipped s = [] {
    Shipped s;
    s.data = pnt::bench::open_data_set(PNT_SHIPPED_DATA_DIR);
    if (!s.data->dictionary) {
      s.problem = "cannot open the shipped data: " + s.data->problem;
      return s;
    }
    std::ifstream list(fs::path(PNT_BENCH_SOURCE_DIR) / "misspellings.tsv");
    for (std::string line; std::getline(list, line);) {
      s.words.push_back(line.substr(0, line.find('\t')));
      for (std::size_t bytes = 0; bytes < s.words.back().size();) {
        bytes += pnt::utf8_sequence_length(static_cast<std::uint8_t>(s.words.back()[bytes]));
        s.keystrokes.push_back(s.words.back().substr(0, bytes));
      }
    }
    if (s.words.empty()) {
      s.problem = "no misspellings.tsv";
    }
    return s;
  }();
  return s;
}

double thread_micros() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

template <class Step>
void run(benchmark::State& state, const std::vector<std::string>& queries, Step step) {
  const Shipped& s = shipped();
  if (!s.problem.empty()) {
    state.SkipWithError(s.problem.c_str());
    return;
  }
  const pnt::SearchContext context = s.context();
  // The thread's own CPU time beside the wall time: on a shared machine the wall time mostly
  // measures the other processes.
  std::vector<double> cpu_micros;
  cpu_micros.reserve(1 << 16);
  pnt::bench::time_queries(state, context, queries,
                           [&](const pnt::SearchContext& c, const std::string& q) {
                             const double before = thread_micros();
                             step(c, q);
                             cpu_micros.push_back(thread_micros() - before);
                           });
  state.counters["cpu_p50_us"] = pnt::bench::percentile(cpu_micros, 0.50);
  state.counters["cpu_p99_us"] = pnt::bench::percentile(cpu_micros, 0.99);
}

void BM_KeystrokeAllSteps(benchmark::State& state) {
  run(state, shipped().keystrokes, [](const pnt::SearchContext& c, const std::string& q) {
    benchmark::DoNotOptimize(pnt::search(c, q, pnt::SearchMode::Finnish));
  });
}

void BM_DidYouMeanAlone(benchmark::State& state) {
  run(state, shipped().words, [](const pnt::SearchContext& c, const std::string& q) {
    benchmark::DoNotOptimize(pnt::search(c, q, pnt::SearchMode::Finnish, pnt::SearchStep::Suggest));
  });
}

void BM_FoldedTwinsPerKeystroke(benchmark::State& state) {
  run(state, shipped().keystrokes, [](const pnt::SearchContext& c, const std::string& q) {
    pnt::SearchResult result;
    pnt::insert_folded_twins(c, q, result);
    benchmark::DoNotOptimize(result);
  });
}

}  // namespace

BENCHMARK(BM_KeystrokeAllSteps)->UseManualTime();
BENCHMARK(BM_DidYouMeanAlone)->UseManualTime();
BENCHMARK(BM_FoldedTwinsPerKeystroke)->UseManualTime();
BENCHMARK_MAIN();
