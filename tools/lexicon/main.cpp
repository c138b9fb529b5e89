// pnt-lexicon: compiles the FreeDict fin-eng/eng-fin dictionaries and voikko's morphology into
// the four data files, checks a sample of the form index against libvoikko, and measures
// coverage on running text.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <zstd.h>

#include "base/utf8.h"
#include "format/gloss.h"
#include "format/multi.h"
#include "fstmap/map.h"
#include "lexicon/analysis.h"
#include "lexicon/dictd.h"
#include "lexicon/forms.h"
#include "lexicon/merge.h"
#include "lexicon/output.h"
#include "lexicon/text.h"
#include "lexicon/vfst.h"
#include "lexicon/voikko.h"

namespace {

using namespace pnt;
using namespace pnt::lexicon;
using Clock = std::chrono::steady_clock;

// Wants are keyed "class|root|base"; this adds the lexeme such a key names.
void add_wanted(WantedLexemes& wanted, std::string_view key) {
  const std::size_t a = key.find('|');
  const std::size_t b = key.find('|', a + 1);
  wanted.add(key.substr(0, a), key.substr(a + 1, b - a - 1), key.substr(b + 1));
}

struct Options {
  std::string sources;
  std::string mor = "/usr/lib/voikko/5/mor-standard/mor.vfst";
  std::string voikko_path;
  std::string out;
  std::string stats;
  std::string coverage;  // text file to measure against data in `out`
  std::size_t check = 20000;
  std::set<std::string> only;  // debugging: analyse just these headwords
  std::vector<std::string> lookup;
  std::size_t misses = 40;
  bool trace = false;
  bool possessives = true;
  std::size_t root_input = 6;
  std::size_t root_output = 3;
};

Clock::time_point g_start = Clock::now();

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

void progress(const std::string& phase, std::uint64_t count, Clock::time_point since) {
  double s = seconds_since(since);
  std::fprintf(stderr, "[%7.1fs] %-12s %12llu  (%.0f/s)\n", seconds_since(g_start), phase.c_str(),
               static_cast<unsigned long long>(count),
               s > 0 ? static_cast<double>(count) / s : 0.0);
}

Result<std::string> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return fail("cannot read " + path);
  }
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Result<void> write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    return fail("cannot write " + path);
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    return fail("cannot write " + path);
  }
  return {};
}

Result<std::vector<std::uint8_t>> decompress_records(const GlossHeader& header) {
  std::vector<std::uint8_t> area(header.raw_size);
  std::size_t n =
      ZSTD_decompress(area.data(), area.size(), header.frame.data(), header.frame.size());
  if (ZSTD_isError(n) || n != area.size()) {
    return fail("cannot decompress glosses.bin");
  }
  return area;
}

Result<std::vector<RawEntry>> load_dictionary(const std::string& dir, const std::string& name) {
  auto index = read_file(dir + "/" + name + ".index");
  if (!index) {
    return fail(std::move(index.error()));
  }
  auto dict = read_file(dir + "/" + name + ".dict");
  if (!dict) {
    return fail(std::move(dict.error()));
  }
  auto entries = parse_dictionary(*index, *dict);
  if (!entries) {
    return fail(std::move(entries.error()).context("parsing " + name));
  }
  return entries;
}

// What the index needs to know about one lexeme's forms for one headword.
struct Want {
  EntryId id;
  std::string prefix;  // compound head that precedes the inflected last part
  bool capitalize;
};

bool same_but_first_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a.empty()) {
    return false;
  }
  if (a == b) {
    return true;
  }
  std::size_t first = prefix_bytes(a, 1);
  return a.substr(first) == b.substr(first) &&
         capitalize_first(a.substr(0, first)) == capitalize_first(b.substr(0, first));
}

bool rest_is_lower(std::string_view text) {
  std::size_t first = prefix_bytes(text, 1);
  std::string_view rest = text.substr(std::min(first, text.size()));
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (starts_upper(rest.substr(i))) {
      return false;
    }
  }
  return true;
}

// True when libvoikko leads `form` back to `headword`.
bool confirms(const Voikko& voikko, std::string_view form, std::string_view headword) {
  for (const Attributes& a : voikko.analyze(form)) {
    auto base = a.find("BASEFORM");
    if (base != a.end() && base->second == headword) {
      return true;
    }
    auto out = a.find("FSTOUTPUT");
    if (a.contains("PARTICIPLE") && out != a.end() && base != a.end()) {
      // A participle counts as a form of its verb.
      std::vector<Component> parts = parse_fst_output(out->second);
      const Component& last = parts.back();
      if (last.participle && base->second.size() >= last.base.size()) {
        std::string head = base->second.substr(0, base->second.size() - last.base.size());
        if (head + last.participle_of == headword) {
          return true;
        }
      }
    }
  }
  return false;
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

int run_build(const Options& opt) {
  auto voikko = Voikko::open(opt.voikko_path);
  if (!voikko) {
    std::cerr << format_report(voikko.error());
    return 1;
  }
  // --- Dictionaries ------------------------------------------------------------------------
  auto t0 = Clock::now();
  auto fin_eng = load_dictionary(opt.sources, "fin-eng");
  auto eng_fin = fin_eng ? load_dictionary(opt.sources, "eng-fin") : fin_eng;
  if (!fin_eng || !eng_fin) {
    std::cerr << format_report(!fin_eng ? fin_eng.error() : eng_fin.error());
    return 1;
  }
  std::uint8_t noun = *pos_index("noun");
  std::uint8_t phrase = *pos_index("phrase");
  Merger merger([&](std::string_view term) -> std::uint8_t {
    if (term.find(' ') != std::string_view::npos) {
      return phrase;
    }
    for (const Attributes& a : voikko->analyze(term)) {
      auto cls = a.find("CLASS");
      if (cls != a.end()) {
        if (auto name = pos_for_class(cls->second)) {
          return *pos_index(*name);
        }
      }
    }
    return noun;
  });
  merger.add_fin_eng(*fin_eng);
  merger.add_eng_fin(*eng_fin);
  std::vector<MergedEntry> entries = merger.finish();
  progress("headwords", entries.size(), t0);

  std::unordered_map<std::string, EntryId> ids;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    ids.emplace(entries[i].headword, static_cast<EntryId>(i));
  }

  // --- Analyses of the headwords -----------------------------------------------------------
  t0 = Clock::now();
  std::unordered_map<std::string, std::vector<Want>> wants;
  WantedLexemes wanted;
  std::uint64_t form_of_added = 0;
  std::uint64_t analysed = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    MergedEntry& entry = entries[i];
    const std::string& h = entry.headword;
    if (h.find(' ') != std::string::npos || (!opt.only.empty() && !opt.only.contains(h))) {
      continue;
    }
    std::vector<Attributes> analyses = voikko->analyze(h);
    ++analysed;
    std::vector<std::pair<std::uint8_t, std::string>> form_of;
    std::set<std::string> seen_keys;
    for (const Attributes& a : analyses) {
      auto base_it = a.find("BASEFORM");
      auto out_it = a.find("FSTOUTPUT");
      if (base_it == a.end() || out_it == a.end()) {
        continue;
      }
      const std::string& base = base_it->second;
      std::vector<Component> parts = parse_fst_output(out_it->second);
      const Component& last = parts.back();
      std::optional<std::string_view> pos;
      if (auto cls = a.find("CLASS"); cls != a.end()) {
        pos = pos_for_class(cls->second);
      }
      if (base != h) {
        // The headword is itself a form of another headword.
        if (ids.contains(base) && pos) {
          if (auto text = form_of_text(a, base)) {
            form_of.emplace_back(*pos_index(*pos), std::move(*text));
          }
        }
        continue;
      }
      if (last.participle && parts.size() == 1 && last.participle_of != h &&
          ids.contains(last.participle_of) && pos) {
        if (auto text = form_of_text(a, last.participle_of)) {
          form_of.emplace_back(*pos_index(*pos), std::move(*text));
        }
      }
      if (last.base.empty() || last.root.empty() || !rest_is_lower(last.base)) {
        continue;
      }
      std::string prefix;
      std::string_view tail;
      if (parts.size() == 1) {
        if (last.base != h) {
          continue;
        }
        tail = h;
      } else {
        if (h.size() <= last.base.size()) {
          continue;
        }
        tail = std::string_view(h).substr(h.size() - last.base.size());
        if (!same_but_first_case(tail, last.base)) {
          continue;
        }
        prefix = h.substr(0, h.size() - last.base.size());
      }
      std::string key = lexeme_key(last.word_class, last.root, last.base);
      if (!seen_keys.insert(key + "|" + prefix).second) {
        continue;
      }
      wanted.add(last.word_class, last.root, last.base);
      wants[key].push_back(Want{static_cast<EntryId>(i), prefix, starts_upper(tail)});
    }
    // Form-of meanings go into the group of their part of speech, at most 4 per headword.
    std::set<std::string> added;
    for (auto& [pos, text] : form_of) {
      if (added.size() >= 4 || !added.insert(text).second) {
        continue;
      }
      auto g = std::find_if(entry.groups.begin(), entry.groups.end(),
                            [&](const MergedGroup& x) { return x.pos == pos; });
      if (g == entry.groups.end()) {
        entry.groups.push_back(MergedGroup{pos, {}});
        g = entry.groups.end() - 1;
      }
      if (std::find(g->meanings.begin(), g->meanings.end(), text) != g->meanings.end()) {
        continue;
      }
      if (g->meanings.size() >= MAX_MEANINGS) {
        g->meanings.pop_back();
      }
      g->meanings.push_back(text);
      ++form_of_added;
    }
  }
  progress("analysed", analysed, t0);
  progress("form-of", form_of_added, t0);
  progress("lexemes", wants.size(), t0);

  // --- Enumeration of the transducer -------------------------------------------------------
  t0 = Clock::now();
  auto mor = read_file(opt.mor);
  if (!mor) {
    std::cerr << format_report(mor.error());
    return 1;
  }
  auto transducer = Transducer::parse(as_bytes(*mor));
  if (!transducer) {
    std::cerr << format_report(std::move(transducer.error()).context("reading " + opt.mor));
    return 1;
  }
  FormPairs pairs;
  FormPairs* target = &pairs;  // where the walk's pairs go
  std::vector<std::uint8_t> has_forms(entries.size(), 0);
  EnumerateOptions eo;
  eo.possessives = opt.possessives;
  eo.root_within_input = opt.root_input;
  eo.root_within_output = opt.root_output;
  std::uint64_t next_report = 5'000'000;
  std::string form;
  auto add_for = [&](const std::string& key, std::string_view surface, bool comparison) {
    auto it = wants.find(key);
    if (it == wants.end()) {
      return;
    }
    for (const Want& w : it->second) {
      if (comparison && !w.prefix.empty()) {
        continue;  // voikko rejects most comparatives of compound adjectives
      }
      form = w.prefix;
      form += w.capitalize ? capitalize_first(surface) : std::string(surface);
      target->add(form, w.id);
      has_forms[w.id] = 1;
    }
  };
  PathSink sink = [&](const Path& path) {
    if (opt.trace) {
      std::fprintf(stderr, "path %.*s %.*s\n", static_cast<int>(path.surface.size()),
                   path.surface.data(), static_cast<int>(path.output.size()), path.output.data());
    }
    add_for(lexeme_key(path.word_class, path.root, path.base), path.surface, path.comparison);
    if (path.participle) {
      add_for(lexeme_key(path.word_class, path.root, path.participle_of), path.surface,
              path.comparison);
    }
    if (pairs.size() >= next_report) {
      progress("pairs", pairs.size(), t0);
      next_report += 5'000'000;
    }
  };
  EnumerateStats es = enumerate_paths(*transducer, wanted, eo, sink);
  progress("paths", es.paths, t0);
  std::unordered_map<std::string, std::vector<Want>> all_wants;
  // Some word parts exist only at the end of a compound ("-kielinen" in "suomenkielinen"):
  // walk again for the compound headwords still without forms, as if a compound had begun.
  {
    WantedLexemes tail_wanted;
    std::unordered_map<std::string, std::vector<Want>> tail_wants;
    for (const auto& [key, list] : wants) {
      for (const Want& w : list) {
        if (!w.prefix.empty() && !has_forms[w.id]) {
          tail_wants[key].push_back(w);
        }
      }
    }
    for (const auto& [key, list] : tail_wants) {
      add_wanted(tail_wanted, key);
    }
    all_wants = wants;
    wants = std::move(tail_wants);
    EnumerateOptions tail = eo;
    tail.preset_flags = {{"YS_ALKANUT", "ON"}, {"INEN_SALLITTU", "ON"}};
    tail.possessives = false;  // voikko accepts few possessive forms of these
    auto t1 = Clock::now();
    EnumerateStats ts = enumerate_paths(*transducer, tail_wanted, tail, sink);
    progress("tail paths", ts.paths, t1);
    es.capped = es.capped || ts.capped;
  }
  // Double derivations ("käytännöllisyys") and participles of derived verbs ("määritelty"):
  // a walk with two derivations, only for the headwords still without forms.
  {
    WantedLexemes again_wanted;
    std::unordered_map<std::string, std::vector<Want>> again_wants;
    for (const auto& [key, list] : all_wants) {
      std::size_t a = key.find('|');
      std::size_t b = key.find('|', a + 1);
      bool derived_verb =
          key.starts_with("[Lt]|") && key.substr(a + 1, b - a - 1) != key.substr(b + 1);
      for (const Want& w : list) {
        if (!has_forms[w.id] || derived_verb) {
          again_wants[key].push_back(w);
        }
      }
    }
    for (const auto& [key, list] : again_wants) {
      add_wanted(again_wanted, key);
    }
    wants = std::move(again_wants);
    EnumerateOptions twice = eo;
    twice.max_derivations = 2;
    auto t1 = Clock::now();
    // These paths are checked one by one: the second derivation makes the mapping from a
    // path to a headword less certain than in the walks above.
    FormPairs unchecked;
    target = &unchecked;
    std::vector<std::uint8_t> had_forms = has_forms;
    EnumerateStats ds = enumerate_paths(*transducer, again_wanted, twice, sink);
    target = &pairs;
    has_forms = std::move(had_forms);
    progress("2-deriv paths", ds.paths, t1);
    unchecked.sort_unique();
    std::uint64_t kept = 0;
    for (std::size_t i = 0; i < unchecked.size(); ++i) {
      if (confirms(*voikko, unchecked.form(i), entries[unchecked.id(i)].headword)) {
        pairs.add(unchecked.form(i), unchecked.id(i));
        has_forms[unchecked.id(i)] = 1;
        ++kept;
      }
    }
    progress("2-deriv kept", kept, t1);
    progress("2-deriv tried", unchecked.size(), t1);
    es.capped = es.capped || ds.capped;
  }
  progress("visits", es.visits, t0);
  if (es.capped) {
    std::fprintf(stderr, "warning: enumeration stopped at the path cap\n");
  }
  std::uint64_t with_forms = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    with_forms += has_forms[i];
    pairs.add(entries[i].headword, static_cast<EntryId>(i));
  }
  t0 = Clock::now();
  pairs.sort_unique();
  progress("sorted pairs", pairs.size(), t0);

  // --- Check a sample against libvoikko ----------------------------------------------------
  std::uint64_t checked = 0;
  std::uint64_t confirmed = 0;
  std::vector<std::string> failures;
  if (opt.check > 0) {
    t0 = Clock::now();
    std::mt19937_64 rng(20240601);
    std::uniform_int_distribution<std::size_t> pick(0, pairs.size() - 1);
    std::size_t attempts = 0;
    while (checked < opt.check && attempts < opt.check * 20) {
      ++attempts;
      std::size_t i = pick(rng);
      const std::string& h = entries[pairs.id(i)].headword;
      if (pairs.form(i) == h) {
        continue;  // a headword's own form is in the index by definition
      }
      ++checked;
      if (confirms(*voikko, pairs.form(i), h)) {
        ++confirmed;
      } else if (failures.size() < 20) {
        failures.push_back(std::string(pairs.form(i)) + " -> " + h);
      }
    }
    progress("checked", checked, t0);
  }

  // --- Output ------------------------------------------------------------------------------
  t0 = Clock::now();
  auto gloss = build_gloss_files(entries);
  if (!gloss) {
    std::cerr << format_report(gloss.error());
    return 1;
  }
  if (auto ok = write_file(opt.out + "/glosses.bin", gloss->bin); !ok) {
    std::cerr << format_report(ok.error());
    return 1;
  }
  if (auto ok = write_file(opt.out + "/glosses.fst", gloss->fst); !ok) {
    std::cerr << format_report(ok.error());
    return 1;
  }
  std::string fst_path = opt.out + "/inflections.fst";
  std::FILE* fst_file = std::fopen(fst_path.c_str(), "wb");
  if (fst_file == nullptr) {
    std::cerr << "Error: cannot write " << fst_path << "\n";
    return 1;
  }
  std::vector<std::uint8_t> multi;
  auto infl = write_inflection_files(pairs, fst_file, multi);
  bool closed = std::fclose(fst_file) == 0;
  if (!infl || !closed) {
    std::cerr << (infl ? "Error: cannot write " + fst_path + "\n" : format_report(infl.error()));
    return 1;
  }
  if (auto ok = write_file(opt.out + "/inflections-multi.bin", multi); !ok) {
    std::cerr << format_report(ok.error());
    return 1;
  }
  progress("written", infl->forms, t0);

  std::ostringstream s;
  s << "headwords " << entries.size() << "\n"
    << "meanings " << gloss->meanings << "\n"
    << "form_of_meanings " << form_of_added << "\n"
    << "headwords_with_inflections " << with_forms << "\n"
    << "forms " << infl->forms << "\n"
    << "form_headword_pairs " << pairs.size() << "\n"
    << "list_targets " << infl->list_targets << "\n"
    << "lists " << infl->lists << "\n"
    << "truncated_lists " << infl->truncated_lists << "\n"
    << "possessives " << (opt.possessives ? "yes" : "no") << "\n";
  if (checked > 0) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.2f",
                  100.0 * static_cast<double>(confirmed) / static_cast<double>(checked));
    s << "check_sample " << checked << "\n"
      << "check_confirmed " << confirmed << "\n"
      << "check_percent " << rate << "\n";
  }
  std::cerr << s.str();
  for (const std::string& f : failures) {
    std::cerr << "  unconfirmed: " << f << "\n";
  }
  if (!opt.stats.empty()) {
    std::ofstream(opt.stats) << s.str();
  }
  if (checked > 0 && confirmed * 1000 < checked * 995) {
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
  auto area = decompress_records(*header);
  if (!area) {
    std::cerr << format_report(area.error());
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
      if (!offset || *offset > area->size()) {
        continue;
      }
      auto entry = decode_entry(Bytes(*area).subspan(*offset), header->pos_names);
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
