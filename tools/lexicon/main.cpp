// pnt-lexicon: compiles the FreeDict fin-eng/eng-fin dictionaries and voikko's morphology into
// the data files (glosses, inflections, English index), checks a sample of the form index
// against libvoikko, and measures coverage on running text, with and without the word analysis.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "core/lexicon.h"
#include "core/morphology.h"
#include "core/text.h"
#include "format/frequency.h"
#include "format/gloss.h"
#include "format/multi.h"
#include "fstmap/map.h"
#include "lexicon/build.h"
#include "lexicon/files.h"
#include "lexicon/frequency.h"
#include "lexicon/text.h"
#include "lexicon/voikko.h"

namespace {

using namespace pnt;
using namespace pnt::lexicon;

struct Options : BuildOptions {
  std::string coverage;        // text file to measure against data in `out`
  std::string words_out;       // with --coverage: write the words to ask pnt-lookup about
  std::string lookup_results;  // with --coverage: pnt-lookup's lines for those words
  std::vector<std::string> lookup;
  std::vector<std::string> frequencies;  // text and HTML files to count words in
  std::size_t misses = 30;
};

// Letters of a token (word_tokens yields letters with inner hyphens and apostrophes).
std::size_t letter_count(std::string_view token) {
  std::size_t n = 0;
  for (const char c : token) {
    if (!is_utf8_continuation(c) && c != '-' && c != '\'') {
      ++n;
    }
  }
  return n;
}

std::vector<std::string> tab_fields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) {
      return fields;
    }
    start = tab + 1;
  }
}

// The character offsets at which an analysis line ("word analysis part=hw …") puts a boundary
// between two word parts; boundaries before clitics and after hyphens are not counted.
std::vector<std::size_t> word_boundaries(const std::vector<std::string>& fields) {
  std::vector<std::size_t> out;
  std::size_t at = 0;
  for (std::size_t i = 2; i < fields.size(); ++i) {
    const std::size_t eq = fields[i].rfind('=');
    const std::string_view part = std::string_view(fields[i]).substr(0, eq);
    at += char_count(part);
    const bool next_is_word = i + 1 < fields.size() && !fields[i + 1].ends_with('=');
    if (next_is_word && !part.ends_with('-')) {
      out.push_back(at);
    }
  }
  return out;
}

// The compound boundaries (character offsets) of every libvoikko analysis of `token`: a "="
// inside its STRUCTURE starts a word part.
std::vector<std::vector<std::size_t>> voikko_boundaries(const Voikko& voikko,
                                                        std::string_view token) {
  std::vector<std::vector<std::size_t>> out;
  for (const Attributes& a : voikko.analyze(token)) {
    const auto structure = a.find("STRUCTURE");
    if (structure == a.end()) {
      continue;
    }
    std::vector<std::size_t> cuts;
    std::size_t at = 0;
    for (const char c : structure->second) {
      if (c == '=') {
        if (at > 0) {
          cuts.push_back(at);
        }
      } else {
        ++at;
      }
    }
    out.push_back(std::move(cuts));
  }
  return out;
}

// The accepted tokens of two or more letters, with their counts; `rejected` counts the others
// that the spell checker refuses.
std::unordered_map<std::string, std::uint64_t> accepted_tokens(std::string_view text,
                                                               const Voikko& voikko,
                                                               std::uint64_t& rejected) {
  std::unordered_map<std::string, std::uint64_t> counts;
  for (std::string& token : word_tokens(text)) {
    if (letter_count(token) >= 2) {
      ++counts[std::move(token)];
    }
  }
  for (auto it = counts.begin(); it != counts.end();) {
    if (voikko.spell(it->first)) {
      ++it;
    } else {
      rejected += it->second;
      it = counts.erase(it);
    }
  }
  return counts;
}

// What the program answers a token with, by pnt-lookup's line. The first four are counted as
// covered; a reading is a one-part analysis ("KUVAUS ~> kuvaus"), whose line pnt-lookup gives
// only when the headword's entry shows. Read without dots or a typo away is reported apart.
enum class Answer : std::uint8_t { Headword, Form, Analysis, Reading, Folded, Suggest, None };
constexpr const char* ANSWER_NAMES[] = {"headword", "form",    "analysis", "reading",
                                        "folded",   "suggest", "none"};

bool counted(Answer answer) { return answer < Answer::Folded; }

Answer answer_of(const std::vector<std::string>& fields) {
  if (fields.size() < 2) {
    return Answer::None;
  }
  const std::string& kind = fields[1];
  if (kind == "analysis") {
    // One word part and no clitic: the transducer's (or the lower-cased) reading of the word.
    const bool one_part = fields.size() == 3 && !fields[2].ends_with('=');
    return one_part ? Answer::Reading : Answer::Analysis;
  }
  for (std::size_t a = 0; a < std::size(ANSWER_NAMES); ++a) {
    if (kind == ANSWER_NAMES[a]) {
      return static_cast<Answer>(a);
    }
  }
  return Answer::None;
}

double percent(std::uint64_t part, std::uint64_t whole) {
  return whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

int run_coverage(const Options& opt) {
  auto voikko = Voikko::open(opt.voikko_path);
  if (!voikko) {
    std::cerr << format_report(voikko.error());
    return 1;
  }
  auto text = read_file(opt.coverage);
  auto fst_bytes = read_file(opt.out + "/inflections.fst");
  if (!text || !fst_bytes) {
    std::cerr << "coverage: cannot read the text or " << opt.out << "/inflections.fst\n";
    return 1;
  }
  auto map = fst::Map::open(as_bytes(*fst_bytes));
  if (!map) {
    std::cerr << format_report(map.error());
    return 1;
  }
  std::uint64_t rejected = 0;
  const auto counts = accepted_tokens(*text, *voikko, rejected);
  if (!opt.words_out.empty()) {
    // The words pnt-lookup is asked about: each token as typed and lower-cased.
    std::ofstream words(opt.words_out);
    for (const auto& [token, n] : counts) {
      words << token << '\n';
      if (const std::string lower = to_lower(token); lower != token) {
        words << lower << '\n';
      }
    }
    return words ? 0 : 1;
  }
  std::unordered_map<std::string, std::vector<std::string>> looked_up;
  if (!opt.lookup_results.empty()) {
    auto results = read_file(opt.lookup_results);
    if (!results) {
      std::cerr << format_report(results.error());
      return 1;
    }
    std::istringstream lines(std::string(results->begin(), results->end()));
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> fields = tab_fields(line);
      std::string word = fields.front();
      looked_up.emplace(std::move(word), std::move(fields));
    }
  }
  // The line a token is shown by: as typed or lower-cased, whichever answers better (in the
  // order of Answer); none when neither finds anything.
  auto shown = [&](const std::string& token) -> const std::vector<std::string>* {
    const std::vector<std::string>* best = nullptr;
    Answer best_answer = Answer::None;
    for (const std::string& word : {token, to_lower(token)}) {
      const auto it = looked_up.find(word);
      if (it == looked_up.end()) {
        continue;
      }
      const Answer answer = answer_of(it->second);
      if (answer < best_answer) {
        best = &it->second;
        best_answer = answer;
      }
    }
    return best;
  };
  std::array<std::uint64_t, std::size(ANSWER_NAMES)> by_answer{};

  std::uint64_t total = 0;
  std::uint64_t hits = 0;
  std::uint64_t analysed_hits = 0;
  std::uint64_t compounds = 0;
  std::uint64_t agreeing = 0;
  std::vector<std::pair<std::uint64_t, std::string>> misses;
  std::vector<std::pair<std::uint64_t, const std::vector<std::string>*>> analysed;
  for (const auto& [token, n] : counts) {
    total += n;
    const std::vector<std::string>* line = looked_up.empty() ? nullptr : shown(token);
    const Answer answer = line == nullptr ? Answer::None : answer_of(*line);
    if (map->get(as_bytes(token)) || map->get(as_bytes(to_lower(token)))) {
      hits += n;
      analysed_hits += n;
      by_answer[static_cast<std::size_t>(counted(answer) ? answer : Answer::Form)] += n;
      continue;
    }
    by_answer[static_cast<std::size_t>(answer)] += n;
    if (!counted(answer)) {
      misses.emplace_back(n, token);
      continue;
    }
    analysed_hits += n;
    if (answer != Answer::Analysis) {
      continue;
    }
    analysed.emplace_back(n, line);
    const std::vector<std::size_t> ours = word_boundaries(*line);
    if (ours.empty()) {
      continue;
    }
    compounds += n;
    // Every boundary must be one of libvoikko's in at least one of its readings.
    const bool agrees =
        std::ranges::any_of(voikko_boundaries(*voikko, token), [&](const auto& cuts) {
          return std::ranges::all_of(ours, [&](std::size_t b) {
            return std::find(cuts.begin(), cuts.end(), b) != cuts.end();
          });
        });
    agreeing += agrees ? n : 0;
  }
  const auto by_count = [](const auto& a, const auto& b) { return a.first > b.first; };
  std::sort(misses.begin(), misses.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  std::stable_sort(analysed.begin(), analysed.end(), by_count);

  std::printf(
      "coverage: %llu of %llu accepted tokens of two or more letters lead to a headword without "
      "analysis (%.2f %%); %llu tokens rejected by the spell checker; %zu distinct tokens\n",
      static_cast<unsigned long long>(hits), static_cast<unsigned long long>(total),
      percent(hits, total), static_cast<unsigned long long>(rejected), counts.size());
  if (!looked_up.empty()) {
    std::printf("coverage with analysis: %llu of %llu (%.2f %%)\n",
                static_cast<unsigned long long>(analysed_hits),
                static_cast<unsigned long long>(total), percent(analysed_hits, total));
    std::printf("answers (tokens):");
    for (std::size_t a = 0; a < by_answer.size(); ++a) {
      std::printf(" %s %llu (%.2f %%)%s", ANSWER_NAMES[a],
                  static_cast<unsigned long long>(by_answer[a]), percent(by_answer[a], total),
                  a + 1 == by_answer.size()                      ? "\n"
                  : static_cast<Answer>(a + 1) == Answer::Folded ? "; not counted:"
                                                                 : ",");
    }
    std::printf(
        "boundaries: %llu of %llu tokens analysed into two or more word parts (%.2f %%) have "
        "every boundary where libvoikko puts one\n",
        static_cast<unsigned long long>(agreeing), static_cast<unsigned long long>(compounds),
        percent(agreeing, compounds));
  }
  std::printf("most frequent misses:");
  for (std::size_t i = 0; i < misses.size() && i < opt.misses; ++i) {
    std::printf(" %s(%llu)", misses[i].second.c_str(),
                static_cast<unsigned long long>(misses[i].first));
  }
  std::printf("\n");
  if (!analysed.empty()) {
    std::printf("most frequent analyses:\n");
    for (std::size_t i = 0; i < analysed.size() && i < opt.misses; ++i) {
      const std::vector<std::string>& fields = *analysed[i].second;
      std::printf("  %s (%llu):", fields[0].c_str(),
                  static_cast<unsigned long long>(analysed[i].first));
      for (std::size_t f = 2; f < fields.size(); ++f) {
        std::printf(" %s", fields[f].c_str());
      }
      std::printf("\n");
    }
  }
  return 0;
}

// The counts that scripts/build-data puts into data/MANIFEST.
std::string stats_text(const BuildSummary& s, bool possessives) {
  std::ostringstream out;
  out << "headwords " << s.headwords << "\n"
      << "meanings " << s.meanings << "\n"
      << "form_of_meanings " << s.form_of_meanings << "\n"
      << "headwords_with_inflections " << s.headwords_with_inflections << "\n"
      << "forms " << s.inflections.forms << "\n"
      << "form_headword_pairs " << s.form_headword_pairs << "\n"
      << "list_targets " << s.inflections.list_targets << "\n"
      << "lists " << s.inflections.lists << "\n"
      << "truncated_lists " << s.inflections.truncated_lists << "\n"
      << "english_keys " << s.english_keys << "\n"
      << "english_list_targets " << s.english_list_targets << "\n"
      << "english_lists " << s.english_lists << "\n"
      << "possessives " << (possessives ? "yes" : "no") << "\n"
      << "inverted_kept " << s.merge.kept << "\n"
      << "inverted_kept_labelled " << s.merge.labelled << "\n"
      << "inverted_dropped_covered " << s.merge.covered << "\n"
      << "inverted_dropped_other_class " << s.merge.other_class << "\n"
      << "inverted_dropped_wrong_pos " << s.merge.wrong_pos << "\n"
      << "inverted_dropped_compound " << s.merge.compound << "\n"
      << "inverted_dropped_obscure " << s.merge.obscure << "\n"
      << "inverted_dropped_weak " << s.merge.weak << "\n"
      << "inverted_dropped_cap " << s.merge.cap << "\n"
      << "inverted_unchecked_words " << s.merge.unchecked_words << "\n"
      << "fin_eng_groups_dropped " << s.merge.dropped_groups.size() << "\n";
  if (s.checked > 0) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.2f",
                  100.0 * static_cast<double>(s.confirmed) / static_cast<double>(s.checked));
    out << "check_sample " << s.checked << "\n"
        << "check_confirmed " << s.confirmed << "\n"
        << "check_percent " << rate << "\n";
  }
  return out.str();
}

int run_build(const BuildOptions& opt) {
  auto summary = build_data(opt);
  if (!summary) {
    std::cerr << format_report(summary.error());
    return 1;
  }
  std::string stats = stats_text(*summary, opt.possessives);
  std::cerr << stats;
  for (const std::string& f : summary->unconfirmed) {
    std::cerr << "  unconfirmed: " << f << "\n";
  }
  if (!opt.stats.empty()) {
    std::ofstream(opt.stats) << stats;
  }
  if (summary->checked > 0 && summary->confirmed * 1000 < summary->checked * 995) {
    std::cerr << "Error: fewer than 99.5 % of the sampled pairs are confirmed by libvoikko\n";
    return 2;
  }
  return 0;
}

// The four files of a data folder that lookups over it need.
struct DataFiles {
  std::string infl, multi, gfst, gbin;
};

std::optional<DataFiles> read_data_files(const std::string& out, const char* who) {
  auto infl = read_file(out + "/inflections.fst");
  auto multi = read_file(out + "/inflections-multi.bin");
  auto gfst = read_file(out + "/glosses.fst");
  auto gbin = read_file(out + "/glosses.bin");
  if (!infl || !multi || !gfst || !gbin) {
    std::cerr << who << ": cannot read the data files in " << out << "\n";
    return std::nullopt;
  }
  return DataFiles{std::move(*infl), std::move(*multi), std::move(*gfst), std::move(*gbin)};
}

// Shows, for each word, the headwords the data in `out` leads it to and their entries.
int run_lookup(const Options& opt) {
  const auto files = read_data_files(opt.out, "lookup");
  if (!files) {
    return 1;
  }
  const std::string* infl = &files->infl;
  const std::string* multi = &files->multi;
  const std::string* gfst = &files->gfst;
  const std::string* gbin = &files->gbin;
  auto imap = fst::Map::open(as_bytes(*infl));
  auto gmap = fst::Map::open(as_bytes(*gfst));
  auto table = parse_multi(as_bytes(*multi));
  auto header = parse_gloss_header(as_bytes(*gbin));
  if (!imap || !gmap || !table || !header) {
    std::cerr << "lookup: damaged data files\n";
    return 1;
  }
  std::vector<std::uint8_t> area(header->raw_size);
  if (auto ok = decompress_record_area(*header, area); !ok) {
    std::cerr << format_report(ok.error());
    return 1;
  }
  std::vector<std::string> headwords;
  auto stream = gmap->stream();
  while (stream.next()) {
    headwords.emplace_back(stream.key_text());
  }
  std::printf("%zu headwords, %llu forms\n", headwords.size(),
              static_cast<unsigned long long>(imap->len()));
  for (const std::string& word : opt.lookup) {
    std::vector<EntryId> ids;
    if (auto target = imap->get(word)) {
      auto t = static_cast<std::uint32_t>(*target);
      if (t & MULTI_FLAG) {
        if (auto list = multi_ids(table->body, table->offsets, t & ~MULTI_FLAG)) {
          ids = *list;
        }
      } else {
        ids.push_back(t);
      }
    }
    std::printf("%s ->", word.c_str());
    for (EntryId id : ids) {
      std::printf(" %s", id < headwords.size() ? headwords[id].c_str() : "(out of range)");
    }
    std::printf("\n");
    for (EntryId id : ids) {
      if (id >= headwords.size()) {
        continue;
      }
      auto offset = gmap->get(headwords[id]);
      if (!offset || *offset > area.size()) {
        continue;
      }
      auto entry = decode_entry(Bytes(area).subspan(*offset), header->pos_names);
      if (!entry) {
        continue;
      }
      for (const PosGroup& g : entry->groups) {
        std::printf("    %s [%s]:", headwords[id].c_str(), g.pos.c_str());
        for (const std::string& m : g.meanings) {
          std::printf(" %s |", m.c_str());
        }
        std::printf("\n");
      }
    }
  }
  return 0;
}

// Counts the headwords of the data in `out` in the given files and writes frequencies.bin there.
int run_frequencies(const Options& opt) {
  const auto files = read_data_files(opt.out, "frequencies");
  if (!files) {
    return 1;
  }
  Result<Lexicon> lexicon = Lexicon::open(as_bytes(files->gfst), as_bytes(files->gbin));
  if (!lexicon) {
    std::cerr << format_report(lexicon.error());
    return 1;
  }
  Result<Morphology> morphology =
      Morphology::open(as_bytes(files->infl), as_bytes(files->multi), *lexicon);
  if (!morphology) {
    std::cerr << format_report(morphology.error());
    return 1;
  }
  std::vector<std::uint64_t> counts(morphology->headword_count());
  for (const std::string& path : opt.frequencies) {
    auto text = read_file(path);
    if (!text) {
      std::cerr << format_report(text.error());
      return 1;
    }
    count_headwords(path.ends_with(".html") ? html_text(*text) : *text, *morphology, counts);
  }
  const auto counted = std::count_if(counts.begin(), counts.end(), [](auto n) { return n != 0; });
  if (auto ok = write_file(opt.out + "/frequencies.bin", write_frequencies(counts)); !ok) {
    std::cerr << format_report(ok.error());
    return 1;
  }
  std::printf("frequencies: %zu files, %lld of %zu headwords counted\n", opt.frequencies.size(),
              static_cast<long long>(counted), counts.size());
  return 0;
}

void usage() {
  std::cerr << "usage: pnt-lexicon --sources DIR --out DIR [--mor FILE] [--voikko-path DIR]\n"
               "                   [--stats FILE] [--check N] [--no-possessives]\n"
               "       pnt-lexicon --coverage TEXT --out DIR [--voikko-path DIR]\n"
               "                   [--words-out FILE | --lookup-results FILE]\n"
               "       pnt-lexicon --out DIR --lookup WORD...\n"
               "       pnt-lexicon --out DIR --frequencies FILE...\n";
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--sources") {
      opt.sources = value();
    } else if (arg == "--out") {
      opt.out = value();
    } else if (arg == "--mor") {
      opt.mor = value();
    } else if (arg == "--voikko-path") {
      opt.voikko_path = value();
    } else if (arg == "--stats") {
      opt.stats = value();
    } else if (arg == "--check") {
      opt.check = std::stoul(value());
    } else if (arg == "--coverage") {
      opt.coverage = value();
    } else if (arg == "--words-out") {
      opt.words_out = value();
    } else if (arg == "--lookup-results") {
      opt.lookup_results = value();
    } else if (arg == "--only") {
      std::string list = value();
      std::size_t start = 0;
      while (start <= list.size()) {
        std::size_t comma = std::min(list.find(',', start), list.size());
        opt.only.insert(list.substr(start, comma - start));
        start = comma + 1;
      }
    } else if (arg == "--root-input") {
      opt.root_input = std::stoul(value());
    } else if (arg == "--root-output") {
      opt.root_output = std::stoul(value());
    } else if (arg == "--trace") {
      opt.trace = true;
    } else if (arg == "--misses") {
      opt.misses = std::stoul(value());
    } else if (arg == "--lookup") {
      while (i + 1 < argc) {
        opt.lookup.emplace_back(argv[++i]);
      }
    } else if (arg == "--frequencies") {
      while (i + 1 < argc) {
        opt.frequencies.emplace_back(argv[++i]);
      }
    } else if (arg == "--no-possessives") {
      opt.possessives = false;
    } else {
      usage();
      return 2;
    }
  }
  if (!opt.frequencies.empty() && !opt.out.empty()) {
    return run_frequencies(opt);
  }
  if (!opt.lookup.empty() && !opt.out.empty()) {
    return run_lookup(opt);
  }
  if (opt.out.empty() || (opt.sources.empty() && opt.coverage.empty())) {
    usage();
    return 2;
  }
  return opt.coverage.empty() ? run_build(opt) : run_coverage(opt);
}
