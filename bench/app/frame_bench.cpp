// The cost of one frame after a keystroke at 200x60, with a long entry nested two levels deep:
// with the entry rows laid out again (a new revision) and taken from the cache.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/cell_buffer.h"
#include "app/render.h"
#include "app/screen_map.h"
#include "base/utf8.h"
#include "bench/core/bench_data.h"
#include "bench/core/percentiles.h"
#include "core/dictionary.h"
#include "tests/support/fixture.h"

namespace pnt {
namespace {

constexpr std::uint16_t WIDTH = 200;
constexpr std::uint16_t HEIGHT = 60;

std::string words(int count, int seed) {
  static const char* const WORDS[] = {"house", "building", "meant", "to",   "serve",     "as",
                                      "a",     "human",    "abode", "farm", "homestead", "talo"};
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      text += ' ';
    }
    text += WORDS[(i * 7 + seed) % 12];
  }
  return text;
}

// An entry of 3 groups x 8 meanings of 30 words, each meaning with 3 expansions of 4 meanings
// that hold 2 nested expansions each, and links on every fourth word.
void give_long_entry(View& view) {
  Entry entry;
  view.expansions.clear();
  view.links.clear();
  int seed = 0;
  for (const char* pos : {"noun", "verb", "adj"}) {
    PosGroup group{pos, {}};
    for (int m = 0; m < 8; ++m) {
      const std::string meaning = words(30, ++seed);
      group.meanings.push_back(meaning);
      std::vector<Link> links;
      std::uint32_t start = 0;
      int index = 0;
      for (std::size_t i = 0; i <= meaning.size(); ++i) {
        if (i == meaning.size() || meaning[i] == ' ') {
          if (index++ % 4 == 0) {
            links.push_back({"talo", start, static_cast<std::uint32_t>(i)});
          }
          start = static_cast<std::uint32_t>(i + 1);
        }
      }
      view.links.push_back(std::move(links));
      std::vector<Expansion> expansions;
      for (int e = 0; e < 3; ++e) {
        Expansion nested{
            "abode", std::nullopt, Entry{{PosGroup{"noun", {words(12, seed + e)}}}}, {}};
        Expansion expansion{"house", std::string("talo"), Entry{}, {}};
        PosGroup inner{"noun", {}};
        for (int k = 0; k < 4; ++k) {
          inner.meanings.push_back(words(16, seed + k));
        }
        expansion.entry.groups.push_back(std::move(inner));
        expansion.children.push_back({nested, nested});
        expansions.push_back(std::move(expansion));
      }
      view.expansions.push_back(std::move(expansions));
    }
    entry.groups.push_back(std::move(group));
  }
  view.entry_word = "talo";
  view.entry = std::move(entry);
}

struct Bench {
  View view;
  ScreenMap map;
  CellBuffer frame{WIDTH, HEIGHT};

  Bench() : view(testing::fixture_view()) {
    for (const char c : std::string("talo")) {
      view.update(InsertChar{static_cast<char32_t>(c)});
    }
    give_long_entry(view);
  }
  void frame_once() {
    frame.clear();
    draw(view, frame, map);
    benchmark::DoNotOptimize(frame.at(WIDTH - 1, HEIGHT - 1));
  }
};

void BM_FrameLayoutNotCached(benchmark::State& state) {
  Bench bench;
  for (auto _ : state) {
    ++bench.view.revision;  // what every message does: the entry rows are laid out again
    bench.frame_once();
  }
  state.counters["entry_rows"] = static_cast<double>(bench.map.entry_rows.rows.lines.size());
}
BENCHMARK(BM_FrameLayoutNotCached)->Unit(benchmark::kMicrosecond);

void BM_FrameLayoutCached(benchmark::State& state) {
  Bench bench;
  bench.frame_once();
  for (auto _ : state) {
    bench.frame_once();
  }
}
BENCHMARK(BM_FrameLayoutCached)->Unit(benchmark::kMicrosecond);

// A real keystroke on the fixture lexicon: the message (search, entry, expansion) and the frame.
void BM_KeystrokeAndFrame(benchmark::State& state) {
  View view = testing::fixture_view();
  ScreenMap map;
  CellBuffer frame(WIDTH, HEIGHT);
  for (const char c : std::string("tal")) {
    view.update(InsertChar{static_cast<char32_t>(c)});
  }
  bool typed = false;
  for (auto _ : state) {
    if (typed) {
      view.update(Backspace{});
    } else {
      view.update(InsertChar{U'o'});
    }
    typed = !typed;
    frame.clear();
    draw(view, frame, map);
    benchmark::DoNotOptimize(frame.at(0, 0));
  }
}
BENCHMARK(BM_KeystrokeAndFrame)->Unit(benchmark::kMicrosecond);

// The shipped data set with its transducer, read from the source tree once.
bench::LoadedView& shipped() {
  static bench::LoadedView loaded = [] {
    bench::LoadedView s = bench::open_view(PNT_SHIPPED_DATA_DIR);
    if (s.view && !s.view->transducer) {
      s.view.reset();
      s.problem = "no transducer in the shipped data set";
    }
    return s;
  }();
  return loaded;
}

// Everyday words and inflected forms, typed letter by letter in table mode: one iteration is one
// InsertChar and the frame after it, which builds the table of each newly shown headword. The
// query is emptied, untimed, before each word.
void BM_TableModeKeystroke(benchmark::State& state) {
  bench::LoadedView& data = shipped();
  if (!data.view) {
    state.SkipWithError(data.problem.c_str());
    return;
  }
  constexpr std::string_view WORDS[] = {
      "talo",    "kissa",       "juosta",    "hyvä",     "olla",       "ystävä",  "kirja",
      "päivä",   "vesi",        "käsi",      "ihminen",  "kaupunki",   "metsä",   "järvi",
      "lapsi",   "kieli",       "sydän",     "talossa",  "kirjoittaa", "puhua",   "ymmärtää",
      "omena",   "sairaala",    "kesämökki", "saunassa", "kauniisti",  "juoksin", "olemme",
      "parempi", "taloissamme", "huomenna",  "pöytä",    "ikkuna",     "katu",    "juokseva",
  };
  View& view = *data.view;
  if (!view.table_mode) {
    view.update(ToggleTable{});
  }
  ScreenMap map;
  CellBuffer frame(100, 30);
  // Thread CPU time beside the wall time: on a shared machine the wall time of one keystroke
  // also counts the time the thread waited for a core.
  std::vector<double> micros;
  std::vector<double> cpu_micros;
  std::size_t word = 0;
  std::size_t pos = 0;
  for (auto _ : state) {
    if (pos == 0) {
      state.PauseTiming();
      view.update(SetQuery{""});
      state.ResumeTiming();
    }
    const std::string_view w = WORDS[word];
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = bench::thread_cpu_micros();
    view.update(InsertChar{decode_utf8(w, pos)});
    frame.clear();
    draw(view, frame, map);
    benchmark::DoNotOptimize(frame.at(0, 0));
    cpu_micros.push_back(bench::thread_cpu_micros() - cpu_start);
    micros.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
    if (pos >= w.size()) {
      pos = 0;
      word = (word + 1) % std::size(WORDS);
    }
  }
  bench::report_percentiles(state, micros);
  state.counters["cpu_p50_us"] = bench::percentile(cpu_micros, 0.50);
  state.counters["cpu_p99_us"] = bench::percentile(cpu_micros, 0.99);
}
BENCHMARK(BM_TableModeKeystroke)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pnt

BENCHMARK_MAIN();
