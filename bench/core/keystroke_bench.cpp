// The cost of one keystroke in the query box: InsertChar runs both searches, the entry
// refresh, and the expansion and links of a newly shown entry. Real Finnish words (and, in
// English mode, everyday English words) are typed letter by letter over the full-size synthetic
// data set, which pnt-synth writes into the build folder on first run (or over the data set in the
// folder named by PNT_BENCH_DATA).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "bench/core/bench_data.h"
#include "bench/core/percentiles.h"
#include "core/dictionary.h"
#include "core/expand.h"
#include "core/view.h"

namespace {

using Loaded = pnt::bench::LoadedView;
using Clock = std::chrono::steady_clock;

// Everyday words and a few long compounds and inflected forms, as a user types them.
constexpr std::string_view WORDS[] = {
    "talo",      "kissa",         "juosta",     "hyvä",        "olla",        "suomi",
    "ystävä",    "kirja",         "koulu",      "päivä",       "vesi",        "käsi",
    "maailma",   "ihminen",       "kaupunki",   "metsä",       "järvi",       "työ",
    "äiti",      "isä",           "lapsi",      "yö",          "sana",        "kieli",
    "sydän",     "talossa",       "kirjoittaa", "puhua",       "ymmärtää",    "tietokone",
    "ravintola", "rautatieasema", "lentokone",  "sairaala",    "kesämökki",   "joulupukki",
    "saunassa",  "hyvää",         "kiitos",     "anteeksi",    "kauniisti",   "nopeasti",
    "juoksin",   "olemme",        "parempi",    "taloissamme", "kirjastossa", "huomenna",
    "syksyllä",  "pöytä",         "tuoli",      "ikkuna",      "ovi",         "katu",
};

// The characters of every word, in typing order, with a flag where a new word starts.
struct Keystroke {
  char32_t c;
  bool first;
};

std::vector<Keystroke> keystrokes(std::span<const std::string_view> words) {
  std::vector<Keystroke> out;
  for (const std::string_view word : words) {
    for (std::size_t pos = 0; pos < word.size();) {
      const bool first = pos == 0;
      out.push_back(Keystroke{pnt::decode_utf8(word, pos), first});
    }
  }
  return out;
}

// Everyday English words, typed in English mode.
constexpr std::string_view ENGLISH_WORDS[] = {
    "house",  "cat",      "forest",   "run",     "good",   "water",  "hand",   "world",
    "person", "city",     "lake",     "work",    "mother", "father", "child",  "night",
    "word",   "language", "heart",    "write",   "speak",  "book",   "school", "day",
    "friend", "computer", "hospital", "quickly", "thank",  "table",  "chair",  "window",
    "door",   "street",   "be",       "the",     "a",      "to",     "bake",   "beautiful",
};

// One iteration is one InsertChar; the query is emptied (untimed) before each new word. In
// English mode (the benchmark's argument 1) the English index is searched instead.
void BM_InsertChar(benchmark::State& state) {
  Loaded& loaded = pnt::bench::loaded_view();
  if (!loaded.view) {
    state.SkipWithError(loaded.problem.c_str());
    return;
  }
  pnt::View& view = *loaded.view;
  const bool english = state.range(0) == 1;
  if (view.english_mode != english) {
    view.update(pnt::ToggleEnglish{});
  }
  const std::vector<Keystroke> keys = english ? keystrokes(ENGLISH_WORDS) : keystrokes(WORDS);
  std::vector<double> micros;
  micros.reserve(1 << 16);
  std::size_t i = 0;
  std::size_t shown_changes = 0;
  for (auto _ : state) {
    if (keys[i].first) {
      // Not through SetQuery, which would leave English mode.
      view.query.clear();
      view.run_search();
    }
    const std::optional<std::string> before = view.entry_word;
    const auto start = Clock::now();
    view.update(pnt::InsertChar{keys[i].c});
    const auto stop = Clock::now();
    const double seconds = std::chrono::duration<double>(stop - start).count();
    state.SetIterationTime(seconds);
    micros.push_back(seconds * 1e6);
    shown_changes += view.entry_word != before ? 1 : 0;
    i = i + 1 == keys.size() ? 0 : i + 1;
  }
  pnt::bench::report_percentiles(state, micros);
  state.counters["entry_changes"] =
      benchmark::Counter(static_cast<double>(shown_changes), benchmark::Counter::kAvgIterations);
}

// The pieces of a keystroke, over every prefix of the words, to see where the time goes.
std::vector<std::string> prefixes() {
  std::vector<std::string> out;
  for (const std::string_view word : WORDS) {
    for (std::size_t pos = 0; pos < word.size();) {
      (void)pnt::decode_utf8(word, pos);
      out.emplace_back(word.substr(0, pos));
    }
  }
  return out;
}

template <class Step>
void bench_step(benchmark::State& state, Step step) {
  Loaded& loaded = pnt::bench::loaded_view();
  if (!loaded.view) {
    state.SkipWithError(loaded.problem.c_str());
    return;
  }
  const std::vector<std::string> queries = prefixes();
  pnt::bench::time_queries(state, *loaded.view, queries, step);
}

void BM_SearchMatches(benchmark::State& state) {
  bench_step(state, [](const pnt::View& view, const std::string& query) {
    benchmark::DoNotOptimize(pnt::search_matches(view.lexicon, query, pnt::MAX_RESULTS));
  });
}

void BM_SearchInflections(benchmark::State& state) {
  bench_step(state, [](const pnt::View& view, const std::string& query) {
    benchmark::DoNotOptimize(pnt::search_inflections(view.morphology, query, pnt::MAX_RESULTS));
  });
}

// Expansion and links of the entry of the first headword that begins with each prefix: the
// work of a keystroke that changes the shown entry.
void BM_ExpandAndLink(benchmark::State& state) {
  Loaded& loaded = pnt::bench::loaded_view();
  if (!loaded.view) {
    state.SkipWithError(loaded.problem.c_str());
    return;
  }
  const pnt::View& view = *loaded.view;
  std::vector<std::pair<std::string, pnt::Entry>> shown;
  for (const std::string& query : prefixes()) {
    const std::vector<pnt::MatchRow> rows = pnt::search_matches(view.lexicon, query, 1);
    if (rows.empty()) {
      continue;
    }
    if (std::optional<pnt::Entry> entry = view.lexicon.entry(rows[0].headword)) {
      shown.emplace_back(rows[0].headword, std::move(*entry));
    }
  }
  if (shown.empty()) {
    state.SkipWithError("no entry begins with any of the words");
    return;
  }
  std::vector<double> micros;
  micros.reserve(1 << 16);
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& [key, entry] = shown[i];
    const auto start = Clock::now();
    benchmark::DoNotOptimize(pnt::expand_entry(key, entry, view.context()));
    benchmark::DoNotOptimize(pnt::link_entry(key, entry, view.context()));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    micros.push_back(seconds * 1e6);
    i = i + 1 == shown.size() ? 0 : i + 1;
  }
  pnt::bench::report_percentiles(state, micros);
}

// A heavy entry: 40 meanings that each name three other headwords, so that every meaning
// gives the full three expansions with their children. The synthetic glosses rarely name
// headwords, so this bounds what a dense entry of the real lexicon costs to show.
void BM_ExpandDenseEntry(benchmark::State& state) {
  Loaded& loaded = pnt::bench::loaded_view();
  if (!loaded.view) {
    state.SkipWithError(loaded.problem.c_str());
    return;
  }
  const pnt::View& view = *loaded.view;
  std::vector<std::string> named;
  pnt::fst::Stream stream = view.lexicon.stream();
  for (std::size_t i = 0; stream.next() && named.size() < 120; ++i) {
    const std::string_view key = stream.key_text();
    if (i % 997 == 0 && key.find(' ') == std::string_view::npos && key[0] >= 'a') {
      named.emplace_back(key);
    }
  }
  if (named.size() < 120) {
    state.SkipWithError("too few headwords to name");
    return;
  }
  pnt::Entry entry;
  for (std::size_t g = 0; g < 2; ++g) {
    pnt::PosGroup group{"noun", {}};
    for (std::size_t m = 0; m < 20; ++m) {
      const std::size_t at = (g * 20 + m) * 3;
      group.meanings.push_back("genitive plural of " + named[at] + " or " + named[at + 1] +
                               " (compare " + named[at + 2] + ")");
    }
    entry.groups.push_back(std::move(group));
  }
  std::vector<double> micros;
  std::size_t expansions = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const auto expanded = pnt::expand_entry("x", entry, view.context());
    benchmark::DoNotOptimize(pnt::link_entry("x", entry, view.context()));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    micros.push_back(seconds * 1e6);
    expansions = 0;
    for (const auto& list : expanded) {
      expansions += list.size();
    }
  }
  pnt::bench::report_percentiles(state, micros);
  state.counters["expansions"] = static_cast<double>(expansions);
}

BENCHMARK(BM_InsertChar)
    ->ArgName("english")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SearchMatches)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SearchInflections)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExpandAndLink)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExpandDenseEntry)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
