// The cost of taking apart a word that no search finds: every prefix of 50 real Finnish
// compounds (none of them a key) for which both searches come back empty, analysed over the
// shipped data set in data/ (or the data set in the folder named by PNT_BENCH_DATA), with the
// morphology transducer's compound boundaries and the word frequencies.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "bench/core/bench_data.h"
#include "bench/core/percentiles.h"
#include "core/analysis.h"
#include "core/dictionary.h"
#include "core/lexicon.h"
#include "core/morphology.h"
#include "core/view.h"

namespace {

namespace fs = std::filesystem;

// Compounds of words the lexicon has, none of them a key, as met in manuals and everyday
// prose: inflected last parts, genitive first parts, a stem, a hyphen and clitics among them.
// clang-format off
constexpr std::string_view COMPOUNDS[] = {
    "kuvaikkunassa", "kahvitahra", "dialogi-ikkunan", "asetustiedostossa",
    "salasanakenttä", "komentorivivalitsin", "verkkoliitäntään", "näppäinyhdistelmä",
    "kirjastofunktiot", "järjestelmäkutsun", "muistialueelle", "tulostinajuri",
    "lähdekoodissakin", "ikkunanhallinta", "prosessitunnus", "kuvatiedostoja",
    "äänitiedostot", "videotiedostoon", "verkkosivullakin", "metsäpolkua",
    "järvimaisema", "kaupunkipyörällä", "lentokenttäbussi", "ravintolalasku",
    "kahvilatyöntekijä", "ruokakaupassakin", "näyttöruudulla", "hiirenosoitin",
    "fonttikoko", "väriteemaa", "asetusvalikossa", "tiedostoselaimen",
    "kirjanmerkkipalkki", "käyttöliittymäkieli", "ohjelmistopaketin", "verkkoyhteysvirhe",
    "näyttöasetukset", "äänenvoimakkuussäädin", "kuvankäsittelyohjelma", "lokitiedostossa",
    "varmuuskopiokansio", "työhakemistoon", "päivitysilmoitus", "keittiönpöytä",
    "ruokapöytäkin", "kesäsadetakki", "mustikkapiirakkaa", "naiskuoro",
    "ihmisoikeusjärjestö", "yhteiskuntatieteilijä",
};
// clang-format on

using Loaded = pnt::bench::LoadedView;

fs::path data_folder() {
  if (const char* chosen = std::getenv("PNT_BENCH_DATA"); chosen != nullptr && *chosen != 0) {
    return chosen;
  }
  return PNT_SHIPPED_DATA_DIR;
}

Loaded& data_set() {
  static Loaded loaded = pnt::bench::open_view(data_folder());
  return loaded;
}

// The prefixes of the compounds (whole characters) for which neither search has a row.
std::vector<std::string> unmatched_prefixes(const pnt::View& view) {
  std::vector<std::string> out;
  for (const std::string_view word : COMPOUNDS) {
    for (std::size_t pos = 0; pos < word.size();) {
      (void)pnt::decode_utf8(word, pos);
      const std::string_view prefix = word.substr(0, pos);
      if (pnt::search_matches(view.lexicon, prefix, 1).empty() &&
          pnt::search_inflections(view.morphology, prefix, 1).empty()) {
        out.emplace_back(prefix);
      }
    }
  }
  return out;
}

std::vector<pnt::Analysis> analyse(const pnt::View& view, std::string_view query) {
  const pnt::SearchContext context = view.search_context();
  return pnt::analyse_word(view.lexicon, view.morphology, query, context.transducer,
                           context.frequencies);
}

template <class Step>
void bench_prefixes(benchmark::State& state, Step step) {
  Loaded& loaded = data_set();
  if (!loaded.view) {
    state.SkipWithError(loaded.problem.c_str());
    return;
  }
  const std::vector<std::string> queries = unmatched_prefixes(*loaded.view);
  if (queries.empty()) {
    state.SkipWithError("every prefix has a row");
    return;
  }
  pnt::bench::time_queries(state, *loaded.view, queries, step);
  state.counters["queries"] = static_cast<double>(queries.size());
}

// The analysis alone, as the view runs it once both searches are empty.
void BM_AnalyseWord(benchmark::State& state) {
  bench_prefixes(state, [](const pnt::View& view, const std::string& query) {
    benchmark::DoNotOptimize(analyse(view, query));
  });
  Loaded& loaded = data_set();
  if (!loaded.view) {
    return;
  }
  // How many of the whole compounds the analysis takes apart into word parts.
  std::size_t analysed = 0;
  for (const std::string_view word : COMPOUNDS) {
    const std::vector<pnt::Analysis> found = analyse(*loaded.view, word);
    analysed += found.empty() ? 0 : 1;
  }
  state.counters["compounds_analysed"] = static_cast<double>(analysed);
}

// The whole update of such a query: both searches, the analysis, its rows and the entry of
// the first part (expansion and links included).
void BM_SetUnmatchedQuery(benchmark::State& state) {
  bench_prefixes(
      state, [](pnt::View& view, const std::string& query) { view.update(pnt::SetQuery{query}); });
}

BENCHMARK(BM_AnalyseWord)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetUnmatchedQuery)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
