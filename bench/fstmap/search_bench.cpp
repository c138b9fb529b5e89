// Automaton-driven search streams over the shipped indexes: latency and the nodes each query
// decodes, for the folded and the edit-distance automata, on words typed without dots or with
// a typo.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/core/percentiles.h"
#include "fstmap/automaton.h"
#include "fstmap/map.h"

namespace {

namespace fs = std::filesystem;
using pnt::fst::Map;

const std::vector<std::string> FINNISH = {
    "paiva",    "kayttaa",   "metsassa",  "talosa",      "luottammuksen", "tama",         "kasi",
    "hyva",     "poyta",     "ymparisto", "jarjestelma", "kirjasto",      "tietokonetta", "ikkuan",
    "ohjelmaa", "kaytetaan", "tiedosot",  "asetukset",   "valikko",       "ominasuus"};
const std::vector<std::string> ENGLISH = {"forrest",  "recieve", "hous",   "langauge", "wrod",
                                          "beutiful", "tomorow", "adress", "wich",     "untill"};

const std::vector<std::uint8_t>& index_bytes(const char* name) {
  static std::vector<std::vector<std::uint8_t>> loaded(3);
  static const char* NAMES[] = {"inflections.fst", "glosses.fst", "english.fst"};
  for (int i = 0; i < 3; ++i) {
    if (std::string_view(NAMES[i]) == name && loaded[i].empty()) {
      std::ifstream in(fs::path(PNT_SHIPPED_DATA_DIR) / name, std::ios::binary);
      loaded[i].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (std::string_view(NAMES[i]) == name) {
      return loaded[i];
    }
  }
  return loaded[0];
}

template <class MakeAutomaton>
void run(benchmark::State& state, const char* name, const std::vector<std::string>& queries,
         MakeAutomaton make) {
  auto map = Map::open(index_bytes(name));
  if (!map) {
    state.SkipWithError("shipped index not available");
    return;
  }
  std::uint64_t visits = 0;
  std::uint64_t keys = 0;
  std::uint64_t runs = 0;
  pnt::bench::time_queries(state, *map, queries, [&](const Map& m, const std::string& query) {
    auto automaton = make(query);
    pnt::fst::SearchStream stream = m.search(automaton);
    while (stream.next()) {
      ++keys;
    }
    visits += stream.visits();
    ++runs;
  });
  state.counters["visits"] = static_cast<double>(visits) / static_cast<double>(runs);
  state.counters["keys"] = static_cast<double>(keys) / static_cast<double>(runs);
}

pnt::fst::FoldedAutomaton whole(const std::string& q) {
  return {q, pnt::fst::FoldedAutomaton::Mode::Whole};
}
pnt::fst::FoldedAutomaton prefix(const std::string& q) {
  return {q, pnt::fst::FoldedAutomaton::Mode::Prefix};
}
auto within(unsigned distance) {
  return [distance](const std::string& q) { return pnt::fst::EditDistanceAutomaton(q, distance); };
}

void BM_FoldedWholeInflections(benchmark::State& s) { run(s, "inflections.fst", FINNISH, whole); }
void BM_FoldedWholeGlosses(benchmark::State& s) { run(s, "glosses.fst", FINNISH, whole); }
void BM_FoldedPrefixInflections(benchmark::State& s) { run(s, "inflections.fst", FINNISH, prefix); }
void BM_FoldedPrefixGlosses(benchmark::State& s) { run(s, "glosses.fst", FINNISH, prefix); }
void BM_Distance1Inflections(benchmark::State& s) { run(s, "inflections.fst", FINNISH, within(1)); }
void BM_Distance2Inflections(benchmark::State& s) { run(s, "inflections.fst", FINNISH, within(2)); }
void BM_Distance1Glosses(benchmark::State& s) { run(s, "glosses.fst", FINNISH, within(1)); }
void BM_Distance2Glosses(benchmark::State& s) { run(s, "glosses.fst", FINNISH, within(2)); }
void BM_Distance1English(benchmark::State& s) { run(s, "english.fst", ENGLISH, within(1)); }
void BM_Distance2English(benchmark::State& s) { run(s, "english.fst", ENGLISH, within(2)); }

}  // namespace

BENCHMARK(BM_FoldedWholeInflections)->UseManualTime();
BENCHMARK(BM_FoldedWholeGlosses)->UseManualTime();
BENCHMARK(BM_FoldedPrefixInflections)->UseManualTime();
BENCHMARK(BM_FoldedPrefixGlosses)->UseManualTime();
BENCHMARK(BM_Distance1Inflections)->UseManualTime();
BENCHMARK(BM_Distance2Inflections)->UseManualTime();
BENCHMARK(BM_Distance1Glosses)->UseManualTime();
BENCHMARK(BM_Distance2Glosses)->UseManualTime();
BENCHMARK(BM_Distance1English)->UseManualTime();
BENCHMARK(BM_Distance2English)->UseManualTime();
BENCHMARK_MAIN();
