// pnt-lexicon: compiles the FreeDict fin-eng/eng-fin dictionaries and voikko's morphology into
// the four data files, checks a sample of the form index against libvoikko, and measures
// coverage on running text.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "format/gloss.h"
#include "format/multi.h"
#include "fstmap/map.h"
#include "lexicon/build.h"
#include "lexicon/files.h"
#include "lexicon/text.h"
#include "lexicon/voikko.h"

namespace {

using namespace pnt;
using namespace pnt::lexicon;

struct Options : BuildOptions {
  std::string coverage;  // text file to measure against data in `out`
  std::vector<std::string> lookup;
  std::size_t misses = 40;
};

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
  std::unordered_map<std::string, std::uint64_t> counts;
  for (const std::string& token : word_tokens(*text)) {
    ++counts[token];
  }
  std::uint64_t total = 0;
  std::uint64_t hits = 0;
  std::uint64_t rejected = 0;
  std::vector<std::pair<std::uint64_t, std::string>> misses;
  for (const auto& [token, n] : counts) {
    if (!voikko->spell(token)) {
      rejected += n;
      continue;
    }
    total += n;
    if (map->get(as_bytes(token)) || map->get(as_bytes(lower_case(token)))) {
      hits += n;
    } else {
      misses.emplace_back(n, token);
    }
  }
  std::sort(misses.begin(), misses.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  std::printf(
      "coverage: %llu of %llu accepted tokens lead to a headword (%.2f %%); "
      "%llu tokens rejected by the spell checker; %zu distinct tokens\n",
      static_cast<unsigned long long>(hits), static_cast<unsigned long long>(total),
      total ? 100.0 * static_cast<double>(hits) / static_cast<double>(total) : 0.0,
      static_cast<unsigned long long>(rejected), counts.size());
  std::printf("most frequent misses:");
  for (std::size_t i = 0; i < misses.size() && i < opt.misses; ++i) {
    std::printf(" %s(%llu)", misses[i].second.c_str(),
                static_cast<unsigned long long>(misses[i].first));
  }
  std::printf("\n");
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
      << "possessives " << (possessives ? "yes" : "no") << "\n";
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

// Shows, for each word, the headwords the data in `out` leads it to and their entries.
int run_lookup(const Options& opt) {
  auto infl = read_file(opt.out + "/inflections.fst");
  auto multi = read_file(opt.out + "/inflections-multi.bin");
  auto gfst = read_file(opt.out + "/glosses.fst");
  auto gbin = read_file(opt.out + "/glosses.bin");
  if (!infl || !multi || !gfst || !gbin) {
    std::cerr << "lookup: cannot read the data files in " << opt.out << "\n";
    return 1;
  }
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

void usage() {
  std::cerr << "usage: pnt-lexicon --sources DIR --out DIR [--mor FILE] [--voikko-path DIR]\n"
               "                   [--stats FILE] [--check N] [--no-possessives]\n"
               "       pnt-lexicon --coverage TEXT --out DIR [--voikko-path DIR]\n"
               "       pnt-lexicon --out DIR --lookup WORD...\n";
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
    } else if (arg == "--no-possessives") {
      opt.possessives = false;
    } else {
      usage();
      return 2;
    }
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
