// The cost of going back: one search of the place left and one frame, over the full-size data
// set of the core benchmarks (pnt-synth's, or the one in the folder named by PNT_BENCH_DATA).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "app/cell_buffer.h"
#include "app/render.h"
#include "app/screen_map.h"
#include "bench/core/bench_data.h"
#include "bench/core/percentiles.h"

namespace pnt {
namespace {

using Clock = std::chrono::steady_clock;

// Where a reader comes from and goes to, as a link click would search them.
constexpr std::string_view WORDS[] = {
    "talo", "koti", "kissa", "hyvä",  "olla",        "kaupunki", "metsä", "järvi",
    "työ",  "sana", "kieli", "sydän", "taloissamme", "ikkuna",   "katu",  "ravintola"};
constexpr std::size_t WORD_COUNT = std::size(WORDS);

// One iteration: (untimed) a search for one word and a link to the next, each drawn; (timed)
// going back to the first word and drawing it.
void BM_BackAndFrame(benchmark::State& state) {
  bench::LoadedView& loaded = bench::loaded_view();
  if (!loaded.view) {
    state.SkipWithError(loaded.problem.c_str());
    return;
  }
  View& view = *loaded.view;
  ScreenMap map;
  CellBuffer frame(200, 60);
  const auto draw_frame = [&] {
    frame.clear();
    draw(view, frame, map);
    benchmark::DoNotOptimize(frame.at(0, 0));
  };
  std::vector<double> micros;
  std::vector<double> cpu_micros;
  micros.reserve(1 << 16);
  cpu_micros.reserve(1 << 16);
  std::size_t i = 0;
  std::size_t restored = 0;  // iterations that came back to the first word
  for (auto _ : state) {
    view.update(SetQuery{std::string(WORDS[i])});
    draw_frame();
    view.update(SetQuery{std::string(WORDS[(i + 1) % WORD_COUNT])});
    draw_frame();
    const double cpu_start = bench::thread_cpu_micros();
    const auto start = Clock::now();
    view.update(HistoryBack{});
    draw_frame();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    cpu_micros.push_back(bench::thread_cpu_micros() - cpu_start);
    state.SetIterationTime(seconds);
    micros.push_back(seconds * 1e6);
    restored += view.query == WORDS[i] ? 1 : 0;
    i = (i + 1) % WORD_COUNT;
  }
  bench::report_percentiles(state, micros);
  state.counters["cpu_p50_us"] = bench::percentile(cpu_micros, 0.50);
  state.counters["cpu_p99_us"] = bench::percentile(cpu_micros, 0.99);
  state.counters["restored"] =
      benchmark::Counter(static_cast<double>(restored), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_BackAndFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pnt

BENCHMARK_MAIN();
