// The grammar over the shipped transducer (data/mor.vfst, or the one in the folder named by
// PNT_BENCH_DATA): opening it at start-up, a word's readings and a headword's table.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/core/percentiles.h"
#include "core/inflection_table.h"
#include "core/readings.h"

namespace {

namespace fs = std::filesystem;

// Inflected forms of everyday prose and manuals: cases, possessives, verbs, compounds, clitics.
// clang-format off
const std::vector<std::string> FORMS = {
    "taloissamme", "juoksisin", "paremmassa", "hiirenloukussa", "kuvauksen", "asetustiedostossa",
    "näppäimistöllä", "ikkunoiden", "käsiä", "juoksimme", "kirjoitettiin", "luettavaksi",
    "tiedostojakaan", "onko", "olisivatko", "suurimmat", "lapsillemme", "tehtyään",
    "kirjastofunktiot", "verkkosivullakin", "ihmisoikeusjärjestöjen", "nopeasti", "omenoita",
    "menemättä", "käyttäjien", "komentoriviltä", "sanoneet", "näyttävät", "Helsingissä", "ja",
};
// Headwords of every kind: nouns, adjectives, verbs, compounds, a derivation.
const std::vector<std::string> HEADWORDS = {
    "talo", "omena", "käsi", "hyvä", "sininen", "juosta", "olla", "kirjoittaa", "tehdä",
    "hiirenloukku", "kuvaus", "asetustiedosto", "ihminen", "vapaa", "nähdä", "Helsinki",
    "kaunis", "lukea", "ajatella", "vesi",
};
// The slowest first tables of before the walk kept to the headword's own derivations and
// endings: long derivation chains, derived and large verbs, participles, compared adjectives.
const std::vector<std::string> WORST_HEADWORDS = {
    "kääntämättömyys", "värähtely", "kannattelija", "mittaamattomuus", "numeroitumaton",
    "naimattomuus", "kiehautettu", "kiehauttaa", "pulahtaa", "juosta", "tehdä", "olla",
    "kirskahtaa", "yhdisteltävä", "sininen",
};
// clang-format on

struct Loaded {
  std::vector<std::uint8_t> bytes;
  std::optional<pnt::vfst::Transducer> transducer;
};

Loaded& data_set() {
  static Loaded loaded = [] {
    Loaded l;
    const char* chosen = std::getenv("PNT_BENCH_DATA");
    const fs::path dir =
        chosen != nullptr && *chosen != 0 ? fs::path(chosen) : PNT_SHIPPED_DATA_DIR;
    std::ifstream in(dir / "mor.vfst", std::ios::binary);
    l.bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (auto t = pnt::vfst::Transducer::open(l.bytes)) {
      l.transducer = std::move(*t);
    }
    return l;
  }();
  return loaded;
}

// What the start-up adds: the header and symbol table check of mor.vfst.
void BM_OpenTransducer(benchmark::State& state) {
  const Loaded& loaded = data_set();
  for (auto _ : state) {
    benchmark::DoNotOptimize(pnt::vfst::Transducer::open(loaded.bytes));
  }
}

void BM_Readings(benchmark::State& state) {
  Loaded& loaded = data_set();
  if (!loaded.transducer) {
    state.SkipWithError("no mor.vfst");
    return;
  }
  pnt::bench::time_queries(state, *loaded.transducer, FORMS,
                           [](const pnt::vfst::Transducer& t, const std::string& word) {
                             benchmark::DoNotOptimize(pnt::readings(t, word));
                           });
}

// One table per iteration, cycling through `headwords`.
void time_tables(benchmark::State& state, const std::vector<std::string>& headwords) {
  Loaded& loaded = data_set();
  if (!loaded.transducer) {
    state.SkipWithError("no mor.vfst");
    return;
  }
  pnt::bench::time_queries(state, *loaded.transducer, headwords,
                           [](const pnt::vfst::Transducer& t, const std::string& word) {
                             benchmark::DoNotOptimize(pnt::build_inflection_table(t, word));
                           });
}

void BM_InflectionTable(benchmark::State& state) { time_tables(state, HEADWORDS); }
// The first table of each of the worst headwords (a table is built once, when first drawn).
void BM_InflectionTableWorst(benchmark::State& state) { time_tables(state, WORST_HEADWORDS); }

BENCHMARK(BM_OpenTransducer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Readings)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InflectionTable)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InflectionTableWorst)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
