#include "lexicon/build.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <random>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/utf8.h"
#include "lexicon/analysis.h"
#include "lexicon/dictd.h"
#include "lexicon/english.h"
#include "lexicon/files.h"
#include "lexicon/forms.h"
#include "lexicon/merge.h"
#include "lexicon/voikko.h"
#include "vfst/paths.h"
#include "vfst/transducer.h"

namespace pnt::lexicon {

using vfst::enumerate_paths;
using vfst::EnumerateOptions;
using vfst::EnumerateStats;
using vfst::Path;
using vfst::Transducer;
using vfst::WantedLexemes;
namespace {

using Clock = std::chrono::steady_clock;

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

// What the index needs to know about one lexeme's forms for one headword.
struct Want {
  EntryId id;
  std::string prefix;  // compound head that precedes the inflected last part
  bool capitalize;
};

// Lexeme key ("class|root|base") to the headwords its forms inflect.
using Wants = std::unordered_map<std::string, std::vector<Want>>;

// Wants are keyed "class|root|base"; this adds the lexeme such a key names.
void add_wanted(WantedLexemes& wanted, std::string_view key) {
  const std::size_t a = key.find('|');
  const std::size_t b = key.find('|', a + 1);
  wanted.add(key.substr(0, a), key.substr(a + 1, b - a - 1), key.substr(b + 1));
}

WantedLexemes wanted_of(const Wants& wants) {
  WantedLexemes wanted;
  for (const auto& [key, list] : wants) {
    add_wanted(wanted, key);
  }
  return wanted;
}

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

// --- Dictionaries ----------------------------------------------------------------------------

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

// The merged headwords and the English index over them.
struct Merged {
  std::vector<MergedEntry> entries;
  EnglishFiles english;
  MergeStats stats;
};

// The parts of speech voikko gives a word in its own base form ("nimisana_laatusana" is
// both), and whether one reading is a compound. Readings as a form of another word ("halo" of
// halkoa, "kirjoittaminen" of kirjoittaa) say nothing of the word's own class.
WordClasses word_classes(const Voikko& voikko, std::string_view word) {
  static const std::uint8_t NOUN = *pos_index("noun");
  WordClasses out;
  for (const Attributes& a : voikko.analyze(word)) {
    if (auto base = a.find("BASEFORM"); base == a.end() || base->second != word) {
      // A form of a pronoun or a particle, which fin-eng may list as an adverb ("siitä").
      if (auto cls = a.find("CLASS"); cls != a.end()) {
        static constexpr std::array<std::string_view, 4> PARTICLES = {"asemosana", "seikkasana",
                                                                      "suhdesana", "sidesana"};
        out.nonverb_form = out.nonverb_form || std::find(PARTICLES.begin(), PARTICLES.end(),
                                                         cls->second) != PARTICLES.end();
      }
      continue;
    }
    if (auto cls = a.find("CLASS"); cls != a.end()) {
      if (auto name = pos_for_class(cls->second)) {
        out.pos.push_back(*pos_index(*name));
      }
      if (cls->second == "nimisana_laatusana") {
        out.pos.push_back(NOUN);
      }
    }
    if (auto fst = a.find("FSTOUTPUT"); fst != a.end()) {
      out.compound = out.compound || parse_fst_output(fst->second).size() > 1;
    }
  }
  return out;
}

// Both dictionaries merged by headword; voikko names the part of speech of inverted terms.
// The English index is made here, before other meanings are added to the entries.
Result<Merged> merge_dictionaries(const std::string& sources, const Voikko& voikko) {
  auto t0 = Clock::now();
  auto fin_eng = load_dictionary(sources, "fin-eng");
  if (!fin_eng) {
    return fail(std::move(fin_eng.error()));
  }
  auto eng_fin = load_dictionary(sources, "eng-fin");
  if (!eng_fin) {
    return fail(std::move(eng_fin.error()));
  }
  std::uint8_t noun = *pos_index("noun");
  std::uint8_t phrase = *pos_index("phrase");
  Merger merger([&](std::string_view term) -> std::uint8_t {
    if (term.find(' ') != std::string_view::npos) {
      return phrase;
    }
    for (const Attributes& a : voikko.analyze(term)) {
      auto cls = a.find("CLASS");
      if (cls != a.end()) {
        if (auto name = pos_for_class(cls->second)) {
          return *pos_index(*name);
        }
      }
    }
    return noun;
  });
  merger.use_classes([&](std::string_view word) { return word_classes(voikko, word); });
  merger.add_fin_eng(*fin_eng);
  merger.add_eng_fin(*eng_fin);
  MergeStats stats;
  std::vector<MergedEntry> entries = merger.finish(&stats);
  progress("headwords", entries.size(), t0);
  for (const std::string& g : stats.dropped_groups) {
    std::fprintf(stderr, "  dropped fin-eng group: %s\n", g.c_str());
  }
  auto english = write_english_files(build_english_index(*eng_fin, entries));
  if (!english) {
    return fail(std::move(english.error()));
  }
  progress("english keys", english->keys, t0);
  return Merged{std::move(entries), std::move(*english), std::move(stats)};
}

// --- Analyses of the headwords ---------------------------------------------------------------

// The lexemes whose forms the index wants, and the headwords they are forms of.
struct Analysed {
  Wants wants;
  WantedLexemes wanted;
  std::uint64_t form_of_added = 0;
};

// Meanings "form of …" by part-of-speech index.
using FormOf = std::vector<std::pair<std::uint8_t, std::string>>;

// A headword cut where its inflected part begins: after `prefix` for a compound.
struct Split {
  std::string prefix;
  std::string_view tail;
};

// Nothing when the analysis's last part cannot inflect the headword as it is spelt.
std::optional<Split> split_headword(std::string_view h, const std::vector<Component>& parts) {
  const Component& last = parts.back();
  if (last.base.empty() || last.root.empty() || !rest_is_lower(last.base)) {
    return std::nullopt;
  }
  if (parts.size() == 1) {
    if (last.base != h) {
      return std::nullopt;
    }
    return Split{"", h};
  }
  if (h.size() <= last.base.size()) {
    return std::nullopt;
  }
  std::string_view tail = h.substr(h.size() - last.base.size());
  if (!same_but_first_case(tail, last.base)) {
    return std::nullopt;
  }
  return Split{std::string(h.substr(0, h.size() - last.base.size())), tail};
}

// Adds the lexemes that inflect headword `id` to `out`; returns the form-of meanings it earns
// when voikko leads it to another headword.
FormOf read_analyses(EntryId id, const std::string& h, const std::vector<Attributes>& analyses,
                     const std::unordered_map<std::string, EntryId>& ids, Analysed& out) {
  FormOf form_of;
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
    std::optional<Split> split = split_headword(h, parts);
    if (!split) {
      continue;
    }
    std::string key = lexeme_key(last.word_class, last.root, last.base);
    if (!seen_keys.insert(key + "|" + split->prefix).second) {
      continue;
    }
    out.wanted.add(last.word_class, last.root, last.base);
    out.wants[key].push_back(Want{id, std::move(split->prefix), starts_upper(split->tail)});
  }
  return form_of;
}

// Form-of meanings go into the group of their part of speech, at most 4 per headword.
// Returns how many were added.
std::uint64_t add_form_of_meanings(MergedEntry& entry, const FormOf& form_of) {
  std::uint64_t added_count = 0;
  std::set<std::string> added;
  for (const auto& [pos, text] : form_of) {
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
    ++added_count;
  }
  // A word without a fin-eng line of its own is first of all a form of another ("ota").
  if (added_count > 0 && std::none_of(entry.groups.begin(), entry.groups.end(),
                                      [](const MergedGroup& x) { return x.direct > 0; })) {
    std::stable_partition(entry.groups.begin(), entry.groups.end(), [&](const MergedGroup& x) {
      return std::any_of(x.meanings.begin(), x.meanings.end(),
                         [&](const std::string& m) { return added.contains(m); });
    });
  }
  return added_count;
}

// Asks voikko about every single-word headword (or just `only`).
Analysed analyse_headwords(std::vector<MergedEntry>& entries, const Voikko& voikko,
                           const std::set<std::string>& only) {
  std::unordered_map<std::string, EntryId> ids;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    ids.emplace(entries[i].headword, static_cast<EntryId>(i));
  }
  auto t0 = Clock::now();
  Analysed out;
  std::uint64_t analysed = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    MergedEntry& entry = entries[i];
    const std::string& h = entry.headword;
    if (h.find(' ') != std::string::npos || (!only.empty() && !only.contains(h))) {
      continue;
    }
    std::vector<Attributes> analyses = voikko.analyze(h);
    ++analysed;
    FormOf form_of = read_analyses(static_cast<EntryId>(i), h, analyses, ids, out);
    out.form_of_added += add_form_of_meanings(entry, form_of);
  }
  progress("analysed", analysed, t0);
  progress("form-of", out.form_of_added, t0);
  progress("lexemes", out.wants.size(), t0);
  return out;
}

// --- Enumeration of the transducer -----------------------------------------------------------

// Turns the walks' paths into (form, headword) pairs for the lexemes in `wants`.
struct FormCollector {
  FormCollector(std::size_t entry_count, bool trace, Clock::time_point since)
      : has_forms(entry_count, 0), trace(trace), since(since) {}
  FormCollector(const FormCollector&) = delete;
  FormCollector& operator=(const FormCollector&) = delete;

  void take(const Path& path) {
    if (trace) {
      std::fprintf(stderr, "path %.*s %.*s\n", static_cast<int>(path.surface.size()),
                   path.surface.data(), static_cast<int>(path.output.size()), path.output.data());
    }
    add_for(lexeme_key(path.word_class, path.root, path.base), path.surface, path.comparison);
    if (path.participle) {
      add_for(lexeme_key(path.word_class, path.root, path.participle_of), path.surface,
              path.comparison);
    }
    if (pairs.size() >= next_report) {
      progress("pairs", pairs.size(), since);
      next_report += 5'000'000;
    }
  }

  void add_for(const std::string& key, std::string_view surface, bool comparison) {
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
  }

  Wants wants;  // what the current walk looks for
  FormPairs pairs;
  FormPairs* target = &pairs;  // where the current walk's pairs go
  std::vector<std::uint8_t> has_forms;
  bool trace;
  Clock::time_point since;
  std::uint64_t next_report = 5'000'000;
  std::string form;
};

EnumerateStats walk(const Transducer& t, const WantedLexemes& wanted, const EnumerateOptions& eo,
                    FormCollector& c) {
  return enumerate_paths(t, wanted, eo, [&c](const Path& path) { c.take(path); });
}

// Some word parts exist only at the end of a compound ("-kielinen" in "suomenkielinen"):
// walk again for the compound headwords still without forms, as if a compound had begun.
EnumerateStats walk_compound_tails(const Transducer& t, const EnumerateOptions& eo,
                                   FormCollector& c) {
  Wants tail_wants;
  for (const auto& [key, list] : c.wants) {
    for (const Want& w : list) {
      if (!w.prefix.empty() && !c.has_forms[w.id]) {
        tail_wants[key].push_back(w);
      }
    }
  }
  WantedLexemes tail_wanted = wanted_of(tail_wants);
  c.wants = std::move(tail_wants);
  EnumerateOptions tail = eo;
  tail.preset_flags = {{"YS_ALKANUT", "ON"}, {"INEN_SALLITTU", "ON"}};
  tail.possessives = false;  // voikko accepts few possessive forms of these
  auto t1 = Clock::now();
  EnumerateStats ts = walk(t, tail_wanted, tail, c);
  progress("tail paths", ts.paths, t1);
  return ts;
}

// Double derivations ("käytännöllisyys") and participles of derived verbs ("määritelty"):
// a walk with two derivations over `all_wants`, only for the headwords still without forms.
EnumerateStats walk_double_derivations(const Transducer& t, const EnumerateOptions& eo,
                                       const Wants& all_wants, const Voikko& voikko,
                                       std::span<const MergedEntry> entries, FormCollector& c) {
  Wants again_wants;
  for (const auto& [key, list] : all_wants) {
    std::size_t a = key.find('|');
    std::size_t b = key.find('|', a + 1);
    bool derived_verb =
        key.starts_with("[Lt]|") && key.substr(a + 1, b - a - 1) != key.substr(b + 1);
    for (const Want& w : list) {
      if (!c.has_forms[w.id] || derived_verb) {
        again_wants[key].push_back(w);
      }
    }
  }
  WantedLexemes again_wanted = wanted_of(again_wants);
  c.wants = std::move(again_wants);
  EnumerateOptions twice = eo;
  twice.max_derivations = 2;
  auto t1 = Clock::now();
  // These paths are checked one by one: the second derivation makes the mapping from a
  // path to a headword less certain than in the walks before.
  FormPairs unchecked;
  c.target = &unchecked;
  std::vector<std::uint8_t> had_forms = c.has_forms;
  EnumerateStats ds = walk(t, again_wanted, twice, c);
  c.target = &c.pairs;
  c.has_forms = std::move(had_forms);
  progress("2-deriv paths", ds.paths, t1);
  unchecked.sort_unique();
  std::uint64_t kept = 0;
  for (std::size_t i = 0; i < unchecked.size(); ++i) {
    if (confirms(voikko, unchecked.form(i), entries[unchecked.id(i)].headword)) {
      c.pairs.add(unchecked.form(i), unchecked.id(i));
      c.has_forms[unchecked.id(i)] = 1;
      ++kept;
    }
  }
  progress("2-deriv kept", kept, t1);
  progress("2-deriv tried", unchecked.size(), t1);
  return ds;
}

// The pairs of the walks (unsorted, headwords' own forms not yet in) and which headwords
// got forms.
struct Forms {
  FormPairs pairs;
  std::vector<std::uint8_t> has_forms;
};

// Reads the transducer and walks it for the wanted lexemes, then for compound tails, then
// with two derivations.
Result<Forms> enumerate_forms(const BuildOptions& opt, const Voikko& voikko,
                              std::span<const MergedEntry> entries, Analysed analysed) {
  auto t0 = Clock::now();
  auto mor = read_file(opt.mor);
  if (!mor) {
    return fail(std::move(mor.error()));
  }
  auto transducer = Transducer::open(as_bytes(*mor));
  if (!transducer) {
    return fail(std::move(transducer.error()).context("reading " + opt.mor));
  }
  FormCollector c(entries.size(), opt.trace, t0);
  c.wants = std::move(analysed.wants);
  EnumerateOptions eo;
  eo.possessives = opt.possessives;
  eo.root_within_input = opt.root_input;
  eo.root_within_output = opt.root_output;
  EnumerateStats es = walk(*transducer, analysed.wanted, eo, c);
  progress("paths", es.paths, t0);
  Wants all_wants = c.wants;
  EnumerateStats ts = walk_compound_tails(*transducer, eo, c);
  EnumerateStats ds = walk_double_derivations(*transducer, eo, all_wants, voikko, entries, c);
  es.capped = es.capped || ts.capped || ds.capped;
  progress("visits", es.visits, t0);
  if (es.capped) {
    std::fprintf(stderr, "warning: enumeration stopped at the path cap\n");
  }
  return Forms{std::move(c.pairs), std::move(c.has_forms)};
}

// Adds every headword as a form of itself and sorts the pairs; returns how many headwords
// have forms from the walks.
std::uint64_t complete_pairs(Forms& forms, std::span<const MergedEntry> entries) {
  std::uint64_t with_forms = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    with_forms += forms.has_forms[i];
    forms.pairs.add(entries[i].headword, static_cast<EntryId>(i));
  }
  auto t0 = Clock::now();
  forms.pairs.sort_unique();
  progress("sorted pairs", forms.pairs.size(), t0);
  return with_forms;
}

// --- Check a sample against libvoikko --------------------------------------------------------

// Asks libvoikko about `sample` random pairs, a headword's own form aside; fills the check
// counts of `summary`.
void check_sample(const FormPairs& pairs, std::span<const MergedEntry> entries,
                  const Voikko& voikko, std::size_t sample, BuildSummary& summary) {
  if (sample == 0) {
    return;
  }
  auto t0 = Clock::now();
  std::mt19937_64 rng(20240601);
  std::uniform_int_distribution<std::size_t> pick(0, pairs.size() - 1);
  std::size_t attempts = 0;
  while (summary.checked < sample && attempts < sample * 20) {
    ++attempts;
    std::size_t i = pick(rng);
    const std::string& h = entries[pairs.id(i)].headword;
    if (pairs.form(i) == h) {
      continue;  // a headword's own form is in the index by definition
    }
    ++summary.checked;
    if (confirms(voikko, pairs.form(i), h)) {
      ++summary.confirmed;
    } else if (summary.unconfirmed.size() < 20) {
      summary.unconfirmed.push_back(std::string(pairs.form(i)) + " -> " + h);
    }
  }
  progress("checked", summary.checked, t0);
}

// --- Output ----------------------------------------------------------------------------------

// Writes the six data files into `out`; fills the output counts of `summary`.
Result<void> write_data_files(const std::string& out, std::span<const MergedEntry> entries,
                              const EnglishFiles& english, const FormPairs& pairs,
                              BuildSummary& summary) {
  auto t0 = Clock::now();
  auto gloss = build_gloss_files(entries);
  if (!gloss) {
    return fail(std::move(gloss.error()));
  }
  if (auto ok = write_file(out + "/glosses.bin", gloss->bin); !ok) {
    return fail(std::move(ok.error()));
  }
  if (auto ok = write_file(out + "/glosses.fst", gloss->fst); !ok) {
    return fail(std::move(ok.error()));
  }
  std::string fst_path = out + "/inflections.fst";
  std::FILE* fst_file = std::fopen(fst_path.c_str(), "wb");
  if (fst_file == nullptr) {
    return fail("cannot write " + fst_path);
  }
  std::vector<std::uint8_t> multi;
  auto infl = write_inflection_files(pairs, fst_file, multi);
  bool closed = std::fclose(fst_file) == 0;
  if (!infl) {
    return fail(std::move(infl.error()));
  }
  if (!closed) {
    return fail("cannot write " + fst_path);
  }
  if (auto ok = write_file(out + "/inflections-multi.bin", multi); !ok) {
    return fail(std::move(ok.error()));
  }
  if (auto ok = write_file(out + "/english.fst", english.fst); !ok) {
    return fail(std::move(ok.error()));
  }
  if (auto ok = write_file(out + "/english-multi.bin", english.multi); !ok) {
    return fail(std::move(ok.error()));
  }
  progress("written", infl->forms, t0);
  summary.meanings = gloss->meanings;
  summary.inflections = *infl;
  return {};
}

}  // namespace

Result<BuildSummary> build_data(const BuildOptions& opt) {
  auto voikko = Voikko::open(opt.voikko_path);
  if (!voikko) {
    return fail(std::move(voikko.error()));
  }
  auto merged = merge_dictionaries(opt.sources, *voikko);
  if (!merged) {
    return fail(std::move(merged.error()));
  }
  std::vector<MergedEntry>& entries = merged->entries;
  Analysed analysed = analyse_headwords(entries, *voikko, opt.only);
  BuildSummary summary;
  summary.form_of_meanings = analysed.form_of_added;
  auto forms = enumerate_forms(opt, *voikko, entries, std::move(analysed));
  if (!forms) {
    return fail(std::move(forms.error()));
  }
  summary.headwords_with_inflections = complete_pairs(*forms, entries);
  summary.headwords = entries.size();
  summary.form_headword_pairs = forms->pairs.size();
  check_sample(forms->pairs, entries, *voikko, opt.check, summary);
  summary.english_keys = merged->english.keys;
  summary.english_list_targets = merged->english.list_targets;
  summary.english_lists = merged->english.lists;
  summary.merge = std::move(merged->stats);
  if (auto ok = write_data_files(opt.out, entries, merged->english, forms->pairs, summary); !ok) {
    return fail(std::move(ok.error()));
  }
  return summary;
}

}  // namespace pnt::lexicon
