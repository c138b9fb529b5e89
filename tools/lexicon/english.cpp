#include "lexicon/english.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_set>

#include "base/utf8.h"
#include "core/text.h"
#include "fstmap/builder.h"
#include "lexicon/output.h"

namespace pnt::lexicon {
namespace {

enum class Source : std::uint8_t { ENG_FIN, OWN_MEANING, INVERTED };

struct Candidate {
  Source source;
  std::uint32_t senses;  // eng-fin: how many of its entry's senses the term translates
  std::uint32_t place;   // first sense, or the meaning's index within its entry
  std::uint32_t tie;     // eng-fin: running term number (entry order, then term); else the id
  EntryId id;
};

std::size_t word_count(std::string_view key) {
  return static_cast<std::size_t>(std::count(key.begin(), key.end(), ' ')) + 1;
}

class Ranking {
 public:
  explicit Ranking(std::span<const MergedEntry> entries) : entries_(entries) {}

  std::optional<EntryId> id_of(std::string_view headword) const {
    auto it = std::lower_bound(
        entries_.begin(), entries_.end(), headword,
        [](const MergedEntry& e, std::string_view h) { return std::string_view(e.headword) < h; });
    if (it == entries_.end() || it->headword != headword) {
      return std::nullopt;
    }
    return static_cast<EntryId>(it - entries_.begin());
  }

  // The headword the Merger filed an eng-fin term under: a bare suffix gets a "-" unless
  // fin-eng lists it bare. Untagged terms are never suffixes (the guess does not name them).
  std::string headword_of(const std::string& term, bool suffix) const {
    static const std::uint8_t SUFFIX = *pos_index("suffix");
    if (!suffix || term.starts_with('-')) {
      return term;
    }
    if (auto id = id_of(term)) {
      for (const MergedGroup& g : entries_[*id].groups) {
        if (g.pos == SUFFIX && g.direct > 0) {
          return term;
        }
      }
    }
    return "-" + term;
  }

  void add(std::string key, Candidate c) { keys_[std::move(key)].push_back(c); }

  std::vector<EnglishKey> finish() {
    std::vector<EnglishKey> out;
    out.reserve(keys_.size());
    std::unordered_set<EntryId> seen;
    std::unordered_set<EntryId> confirmed;
    for (auto& [key, candidates] : keys_) {
      // eng-fin numbers its senses alphabetically by their English definitions, so its
      // order says little about which translation is the usual one. Those that fin-eng
      // confirms (the entry has the key as its own meaning) come first, then those that
      // translate more of the senses.
      confirmed.clear();
      for (const Candidate& c : candidates) {
        if (c.source == Source::OWN_MEANING) {
          confirmed.insert(c.id);
        }
      }
      auto rank = [&](const Candidate& c) {
        bool unconfirmed = c.source == Source::ENG_FIN && !confirmed.contains(c.id);
        return std::tuple(c.source, unconfirmed, ~c.senses, c.place, c.tie);
      };
      std::sort(candidates.begin(), candidates.end(),
                [&](const Candidate& a, const Candidate& b) { return rank(a) < rank(b); });
      EnglishKey k{key, {}};
      seen.clear();
      for (const Candidate& c : candidates) {
        if (seen.insert(c.id).second) {
          k.ids.push_back(c.id);
        }
      }
      out.push_back(std::move(k));
    }
    return out;
  }

 private:
  std::span<const MergedEntry> entries_;
  std::map<std::string, std::vector<Candidate>> keys_;
};

void add_eng_fin(Ranking& ranking, std::span<const RawEntry> eng_fin) {
  static const std::uint8_t VERB = *pos_index("verb");
  static const std::uint8_t SUFFIX = *pos_index("suffix");
  struct Found {
    EntryId id;
    std::uint32_t first_sense;
    std::uint32_t last_sense;
    std::uint32_t senses;
  };
  std::uint32_t running = 0;
  std::vector<std::string> terms;
  std::vector<Found> found;
  for (const RawEntry& entry : eng_fin) {
    std::optional<std::uint8_t> pos = pos_for_tag(entry.pos_tag);
    std::string key = english_key(entry.headword, pos == VERB);
    if (key.empty()) {
      continue;
    }
    terms.clear();
    found.clear();
    for (std::size_t s = 0; s < entry.senses.size(); ++s) {
      std::string line = strip_sense_numbers(entry.senses[s].translation);
      // An empty line repeats the previous terms for one more sense.
      if (!line.empty()) {
        terms = finnish_terms(line);
      }
      for (const std::string& term : terms) {
        auto id = ranking.id_of(ranking.headword_of(term, pos == SUFFIX));
        if (!id) {
          continue;
        }
        auto f =
            std::find_if(found.begin(), found.end(), [&](const Found& x) { return x.id == *id; });
        auto sense = static_cast<std::uint32_t>(s);
        if (f == found.end()) {
          found.push_back(Found{*id, sense, sense, 1});
        } else if (f->last_sense != sense) {
          f->last_sense = sense;
          ++f->senses;
        }
      }
    }
    for (const Found& f : found) {
      ranking.add(key, Candidate{Source::ENG_FIN, f.senses, f.first_sense, running++, f.id});
    }
  }
}

void add_meanings(Ranking& ranking, std::span<const MergedEntry> entries) {
  static const std::uint8_t VERB = *pos_index("verb");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto id = static_cast<EntryId>(i);
    std::uint32_t place = 0;
    for (const MergedGroup& g : entries[i].groups) {
      for (std::size_t m = 0; m < g.meanings.size(); ++m, ++place) {
        Source source = m < g.direct ? Source::OWN_MEANING : Source::INVERTED;
        // "house, home" names two words, each found at this meaning's place.
        for (const std::string& part : split_top_level_commas(g.meanings[m])) {
          std::string key = english_key(part, g.pos == VERB);
          if (!key.empty() && word_count(key) <= MAX_KEY_WORDS) {
            ranking.add(std::move(key), Candidate{source, 0, place, id, id});
          }
        }
      }
    }
  }
}

}  // namespace

std::string english_key(std::string_view text, bool verb) {
  if (!is_utf8(text)) {
    return {};
  }
  std::string s = collapse_spaces(remove_parenthesised(text));
  if (verb && s.starts_with("to ")) {
    s = collapse_spaces(std::string_view(s).substr(3));
  }
  return to_lower(s);
}

std::vector<EnglishKey> build_english_index(std::span<const RawEntry> eng_fin,
                                            std::span<const MergedEntry> entries) {
  Ranking ranking(entries);
  add_eng_fin(ranking, eng_fin);
  add_meanings(ranking, entries);
  return ranking.finish();
}

Result<EnglishFiles> write_english_files(std::span<const EnglishKey> index) {
  EnglishFiles files;
  fst::VectorSink sink(files.fst);
  auto stats = write_target_index(
      [&](const KeyVisitor& visit) {
        for (const EnglishKey& k : index) {
          visit(k.key, k.ids);
        }
      },
      sink, {"english.fst", "english-multi.bin", "key"}, files.multi);
  if (!stats) {
    return fail(std::move(stats.error()));
  }
  files.keys = stats->forms;
  files.list_targets = stats->list_targets;
  files.lists = stats->lists;
  files.truncated_lists = stats->truncated_lists;
  return files;
}

}  // namespace pnt::lexicon
