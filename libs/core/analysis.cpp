#include "core/analysis.h"

#include <utf8proc.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <tuple>
#include <utility>

#include "base/utf8.h"
#include "core/readings.h"
#include "core/text.h"

namespace pnt {
namespace {

// Clitics and their usual stacks. Each is one part; a word's tail is tried against every
// entry, so "onkohan" is read both as on·kohan and, if "onko" were a key, as onko·han.
constexpr std::string_view CLITICS[] = {
    "kin", "kaan",  "kään",  "ko",    "kö",    "han", "hän", "pa",  "pä",
    "s",   "kohan", "köhän", "pahan", "pähän", "kos", "kös", "pas", "päs",
};

// Compound-initial stems the indexes lack, each with its headword: the -s stems of the
// commonest -nen words, and the shortened stems of pieni and suuri.
struct Stem {
  std::string_view stem;
  std::string_view headword;
};
constexpr Stem STEMS[] = {
    {"ihmis", "ihminen"},
    {"nais", "nainen"},
    {"yhteis", "yhteinen"},
    {"yleis", "yleinen"},
    {"kansainvälis", "kansainvälinen"},
    {"kansallis", "kansallinen"},
    {"suomalais", "suomalainen"},
    {"erityis", "erityinen"},
    {"yksityis", "yksityinen"},
    {"sisäis", "sisäinen"},
    {"ulkois", "ulkoinen"},
    {"taloudellis", "taloudellinen"},
    {"sosiaalis", "sosiaalinen"},
    {"pien", "pieni"},
    {"suur", "suuri"},
};

// How an earlier word part leads to its headword.
enum class Lead : std::uint8_t { None, Headword, Genitive, Stem };

constexpr std::size_t MAX_WORD_PARTS = 3;
constexpr std::size_t MIN_PART_CHARS = 3;
constexpr std::size_t POSITIONS = MAX_ANALYSED_BYTES + 1;

bool is_clitic(std::string_view text) {
  return std::find(std::begin(CLITICS), std::end(CLITICS), text) != std::end(CLITICS);
}

// A single word: no space, no control character, valid UTF-8.
bool is_word(std::string_view query) {
  const bool plain = std::none_of(query.begin(), query.end(), [](char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return byte <= 0x20U || byte == 0x7FU;
  });
  return plain && is_utf8(query);
}

// Whether two spellings of a word have their characters at the same bytes.
bool same_layout(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (is_utf8_continuation(a[i]) != is_utf8_continuation(b[i])) {
      return false;
    }
  }
  return true;
}

// The text the parts are read from: fully lower-cased when no letter is lower-case (a word
// in capitals), else with its first character lower-cased. Parts are byte ranges of the
// query, so a reading that moves a character boundary is given up.
std::optional<std::string> text_to_read(std::string_view query) {
  std::string lowered = to_lower(query);
  if (lowered == query) {
    return lowered;
  }
  bool has_lower = false;
  for (std::size_t pos = 0; pos < query.size() && !has_lower;) {
    has_lower = utf8proc_islower(static_cast<utf8proc_int32_t>(decode_utf8(query, pos))) != 0;
  }
  std::string text = has_lower ? lower_first(query) : std::move(lowered);
  return same_layout(text, query) ? std::optional(std::move(text)) : std::nullopt;
}

// One analysis before its headwords are gathered: bounds[0..word_parts] delimit the word
// parts, and a clitic runs from bounds[word_parts] to the end.
struct Split {
  std::array<std::uint8_t, MAX_WORD_PARTS + 1> bounds{};
  std::array<Lead, MAX_WORD_PARTS> leads{};
  std::uint8_t word_parts = 0;
  std::uint8_t last_chars = 0;
  std::uint8_t other_leads = 0;  // earlier parts that are no headword as written
  std::uint16_t order = 0;       // enumeration order, the last tie-break
};

bool ranks_before(const Split& a, const Split& b) {
  if (a.word_parts != b.word_parts) {
    return a.word_parts < b.word_parts;
  }
  if (a.last_chars != b.last_chars) {
    return a.last_chars > b.last_chars;
  }
  if (a.other_leads != b.other_leads) {
    return a.other_leads < b.other_leads;
  }
  return a.order < b.order;
}

// The part tests over one reading, each remembered per byte range: the enumeration asks for
// the same ranges under every clitic, and the index lookups are the whole cost.
class Reader {
 public:
  Reader(const Lexicon& lexicon, const Morphology& morphology, std::string_view text)
      : lexicon_(lexicon), morphology_(morphology), text_(text) {
    earlier_.fill(UNKNOWN);
    last_.fill(UNKNOWN);
  }

  // Adds every reading whose word parts end at `end` (a clitic, if any, follows).
  void read_body(std::size_t end, std::vector<Split>& out) {
    if (last_ok(0, end)) {
      add(out, {0, end}, {});
    }
    std::array<std::uint8_t, POSITIONS> firsts{};
    std::array<std::uint8_t, POSITIONS> lasts{};
    std::size_t first_count = 0;
    std::size_t last_count = 0;
    for (std::size_t i = 1; i < end; ++i) {
      if (is_utf8_continuation(text_[i])) {
        continue;
      }
      if (earlier(0, i) != Lead::None) {
        firsts[first_count++] = static_cast<std::uint8_t>(i);
      }
      if (last_ok(i, end)) {
        lasts[last_count++] = static_cast<std::uint8_t>(i);
      }
    }
    for (std::size_t f = 0; f < first_count; ++f) {
      const std::size_t i = firsts[f];
      if (std::find(lasts.begin(), lasts.begin() + last_count, i) != lasts.begin() + last_count) {
        add(out, {0, i, end}, {earlier(0, i)});
      }
    }
    for (std::size_t f = 0; f < first_count; ++f) {
      for (std::size_t l = 0; l < last_count; ++l) {
        const std::size_t i = firsts[f];
        const std::size_t j = lasts[l];
        if (j > i && earlier(i, j) != Lead::None) {
          add(out, {0, i, j, end}, {earlier(0, i), earlier(i, j)});
        }
      }
    }
  }

  // The headwords of word part `k` of a candidate; empty when the last part's form does not
  // resolve after all.
  [[nodiscard]] std::vector<std::string> headwords(const Split& c, std::size_t k) const {
    const std::string_view text = part(c.bounds[k], c.bounds[k + 1]);
    if (k + 1 < c.word_parts) {
      const std::string_view core = without_hyphen(text);
      switch (c.leads[k]) {
        case Lead::Headword:
          return {std::string(core)};
        case Lead::Genitive:
          return {std::string(core.substr(0, core.size() - 1))};
        case Lead::Stem:
          return {std::string(stem_headword(core))};
        case Lead::None:
          return {};
      }
      return {};
    }
    std::vector<std::string> words;
    for (const std::string_view lemma : morphology_.lemmas(text)) {
      if (std::find(words.begin(), words.end(), lemma) == words.end()) {
        words.emplace_back(lemma);
      }
    }
    if (std::find(words.begin(), words.end(), text) == words.end() && lexicon_.has_headword(text)) {
      words.emplace_back(text);
    }
    return words;
  }

  // The headwords of the part [start, end) that the transducer read as a compound's part with
  // base form `base` (empty when it gave none). An earlier part leads to the base alone when that
  // is a headword, else to the first of: its text as a headword, the text's lemmas, its stem's
  // headword. The last part leads to the base, then to everything its text leads to, as when the
  // indexes split the word. `from_base` tells whether the base was a headword.
  [[nodiscard]] std::vector<std::string> part_headwords(std::size_t start, std::size_t end,
                                                        bool last, std::string_view base,
                                                        bool& from_base) const {
    std::vector<std::string> words;
    const auto add = [&](std::string_view word, bool known) {
      if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end() &&
          (known || lexicon_.has_headword(word))) {
        words.emplace_back(word);
      }
    };
    add(base, false);
    from_base = !words.empty();
    const std::string_view text = last ? part(start, end) : without_hyphen(part(start, end));
    if (text.empty() || (from_base && !last)) {
      return words;
    }
    if (!last) {
      add(text, false);
    }
    if (last || words.empty()) {
      for (const std::string_view lemma : morphology_.lemmas(text)) {
        add(lemma, true);
      }
    }
    if (last) {
      add(text, false);
    } else if (words.empty()) {
      add(stem_headword(text), false);
    }
    return words;
  }

  // Whether the form [start, end) leads to `base`, or, when that is empty, is a key at all: a
  // clitic the transducer does not tag may follow it.
  [[nodiscard]] bool leads_to(std::size_t start, std::size_t end, std::string_view base) const {
    const std::string_view text = part(start, end);
    if (base.empty()) {
      return !text.empty() && (morphology_.has_form(text) || lexicon_.has_headword(text));
    }
    const std::vector<std::string_view> lemmas = morphology_.lemmas(text);
    return std::find(lemmas.begin(), lemmas.end(), base) != lemmas.end();
  }

 private:
  static constexpr std::uint8_t UNKNOWN = 0xFF;

  [[nodiscard]] std::string_view part(std::size_t start, std::size_t end) const {
    return text_.substr(start, end - start);
  }

  static std::string_view without_hyphen(std::string_view text) {
    return text.ends_with('-') ? text.substr(0, text.size() - 1) : text;
  }

  // A part of one or two letters must stand between hyphens or word ends.
  [[nodiscard]] bool long_enough(std::string_view core, std::size_t start, bool whole_end) const {
    const bool whole = whole_end && (start == 0 || text_[start - 1] == '-');
    return whole || char_count(core) >= MIN_PART_CHARS;
  }

  [[nodiscard]] std::string_view stem_headword(std::string_view core) const {
    for (const Stem& stem : STEMS) {
      if (stem.stem == core) {
        return stem.headword;
      }
    }
    return {};
  }

  // Whether [start, end) can be a word part before another one.
  Lead earlier(std::size_t start, std::size_t end) {
    std::uint8_t& known = earlier_[start * POSITIONS + end];
    if (known == UNKNOWN) {
      known = static_cast<std::uint8_t>(find_lead(start, end));
    }
    return static_cast<Lead>(known);
  }

  [[nodiscard]] Lead find_lead(std::size_t start, std::size_t end) const {
    const std::string_view text = part(start, end);
    const std::string_view core = without_hyphen(text);
    if (core.empty() || core.find('-') != std::string_view::npos ||
        !long_enough(core, start, core.size() < text.size())) {
      return Lead::None;
    }
    if (lexicon_.has_headword(core)) {
      return Lead::Headword;
    }
    if (core.size() > 1 && core.back() == 'n') {
      const std::string_view base = core.substr(0, core.size() - 1);
      if (lexicon_.has_headword(base)) {
        const std::vector<std::string_view> lemmas = morphology_.lemmas(core);
        if (std::find(lemmas.begin(), lemmas.end(), base) != lemmas.end()) {
          return Lead::Genitive;
        }
      }
    }
    const std::string_view headword = stem_headword(core);
    if (!headword.empty() && lexicon_.has_headword(headword)) {
      return Lead::Stem;
    }
    return Lead::None;
  }

  // Whether [start, end) can be the last word part: a key of either index, and no clitic
  // after another word part (a clitic is never a compound's last member).
  bool last_ok(std::size_t start, std::size_t end) {
    std::uint8_t& known = last_[start * POSITIONS + end];
    if (known == UNKNOWN) {
      const std::string_view text = part(start, end);
      known = !text.empty() && text.find('-') == std::string_view::npos &&
              long_enough(text, start, true) && (start == 0 || !is_clitic(text)) &&
              (morphology_.has_form(text) || lexicon_.has_headword(text));
    }
    return known != 0;
  }

  void add(std::vector<Split>& out, std::initializer_list<std::size_t> bounds,
           std::initializer_list<Lead> leads) {
    Split c;
    std::size_t k = 0;
    for (const std::size_t bound : bounds) {
      c.bounds[k++] = static_cast<std::uint8_t>(bound);
    }
    c.word_parts = static_cast<std::uint8_t>(k - 1);
    k = 0;
    for (const Lead lead : leads) {
      c.leads[k++] = lead;
      c.other_leads += lead == Lead::Headword ? 0 : 1;
    }
    c.last_chars = static_cast<std::uint8_t>(
        char_count(part(c.bounds[c.word_parts - 1], c.bounds[c.word_parts])));
    c.order = static_cast<std::uint16_t>(out.size());
    out.push_back(c);
  }

  const Lexicon& lexicon_;
  const Morphology& morphology_;
  std::string_view text_;
  std::array<std::uint8_t, POSITIONS * POSITIONS> earlier_{};
  std::array<std::uint8_t, POSITIONS * POSITIONS> last_{};
};

}  // namespace

namespace {

// An analysis with what ranks it.
struct Ranked {
  Analysis analysis;
  std::uint8_t word_parts = 0;
  std::uint8_t last_chars = 0;
  std::uint8_t other_leads = 0;
  std::uint16_t order = 0;
  unsigned score = 0;  // the sum of each word part's best frequency rank
};

auto shape(const Ranked& r) { return std::make_tuple(r.word_parts, -r.last_chars, r.other_leads); }
auto shape(const Split& s) { return std::make_tuple(s.word_parts, -s.last_chars, s.other_leads); }

bool ranked_before(const Ranked& a, const Ranked& b) {
  if (shape(a) != shape(b)) {
    return shape(a) < shape(b);
  }
  if (a.score != b.score) {
    return a.score > b.score;
  }
  return a.order < b.order;
}

void score(Ranked& r, const Morphology& morphology, const FrequencyTable* frequencies) {
  r.score = 0;
  if (frequencies == nullptr) {
    return;
  }
  for (const AnalysisPart& part : r.analysis.parts) {
    std::uint8_t best = 0;
    for (const std::string& headword : part.headwords) {
      best = std::max(best, headword_rank(morphology, frequencies, headword));
    }
    r.score += best;
  }
}

// Lower-cases a text that is read: nothing when that moves a character boundary, since the
// transducer's boundaries must fall on the query's bytes.
std::optional<std::string> lowered_in_place(std::string_view text) {
  std::string lower = to_lower(text);
  return same_layout(lower, text) ? std::optional(std::move(lower)) : std::nullopt;
}

// The analysis one transducer reading gives, its parts at the reading's compound boundaries;
// nothing when its last part leads to no headword.
std::optional<Ranked> analysis_of_reading(const Reader& reader, const Reading& reading,
                                          std::string_view lower) {
  const auto size = static_cast<std::uint32_t>(lower.size());
  std::uint32_t body_end = size;
  if (reading.clitic > 0 && reading.clitic < size) {
    body_end = reading.clitic;
  }
  std::vector<std::uint32_t> ends;
  for (const std::uint32_t boundary : reading.boundaries) {
    if (boundary > (ends.empty() ? 0 : ends.back()) && boundary < body_end &&
        !is_utf8_continuation(lower[boundary])) {
      ends.push_back(boundary);
    } else {
      return std::nullopt;  // boundaries the word's bytes do not bear out
    }
  }
  if (reading.part_bases.size() != reading.boundaries.size() + 1) {
    return std::nullopt;
  }
  // The base form of the part [start, …) that ends where part `i` ends, as the transducer
  // gives it; empty when the base does not begin with the word's letters before the part.
  const auto own_base = [&](std::size_t i, std::uint32_t start) {
    const std::string_view base = reading.part_bases[std::min(i, reading.part_bases.size() - 1)];
    const std::string_view prefix = lower.substr(0, start);
    return base.starts_with(prefix) ? base.substr(prefix.size()) : std::string_view();
  };
  if (reading.clitic == 0) {
    // A clitic the transducer does not tag ("talossa·han"), where the part before it leads to
    // the reading's base form.
    const std::uint32_t last_start = ends.empty() ? 0 : ends.back();
    for (const std::string_view clitic : CLITICS) {
      const std::size_t at = size - std::min<std::size_t>(size, clitic.size());
      if (at > last_start && at < body_end && lower.ends_with(clitic) &&
          reader.leads_to(last_start, at, own_base(ends.size(), last_start))) {
        body_end = static_cast<std::uint32_t>(at);
      }
    }
  }
  const std::size_t boundary_count = ends.size();
  ends.push_back(body_end);
  Ranked r;
  std::uint32_t start = 0;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    const bool last = i + 1 == ends.size();
    bool from_base = false;
    std::vector<std::string> words = reader.part_headwords(
        start, ends[i], last, own_base(last ? boundary_count : i, start), from_base);
    if (words.empty()) {
      if (last) {
        return std::nullopt;
      }
      continue;  // joins the part after it
    }
    r.other_leads += !last && !from_base ? 1 : 0;
    r.analysis.parts.push_back(AnalysisPart{start, ends[i], PartKind::Word, std::move(words)});
    start = ends[i];
  }
  const AnalysisPart& last_part = r.analysis.parts.back();
  r.word_parts = static_cast<std::uint8_t>(r.analysis.parts.size());
  r.last_chars = static_cast<std::uint8_t>(
      char_count(lower.substr(last_part.start, last_part.end - last_part.start)));
  if (body_end < size) {
    r.analysis.parts.push_back(AnalysisPart{body_end, size, PartKind::Clitic, {}});
  }
  return r;
}

// The analyses of the transducer's readings of `lower`, those with the same parts merged;
// `read` tells whether the transducer read the word at all.
std::vector<Ranked> transducer_analyses(const Reader& reader, const vfst::Transducer& transducer,
                                        std::string_view lower, bool& read) {
  std::vector<Ranked> out;
  for (const std::string& output : vfst::lookup(transducer, lower)) {
    const std::optional<Reading> reading = reading_of_output(output);
    if (!reading) {
      continue;
    }
    read = true;
    std::optional<Ranked> r = analysis_of_reading(reader, *reading, lower);
    if (!r) {
      continue;
    }
    const auto same_parts = [&](const Ranked& o) {
      return std::ranges::equal(o.analysis.parts, r->analysis.parts,
                                [](const AnalysisPart& a, const AnalysisPart& b) {
                                  return a.start == b.start && a.end == b.end && a.kind == b.kind;
                                });
    };
    const auto known = std::find_if(out.begin(), out.end(), same_parts);
    if (known == out.end()) {
      r->order = static_cast<std::uint16_t>(out.size());
      out.push_back(std::move(*r));
      continue;
    }
    for (std::size_t k = 0; k < r->analysis.parts.size(); ++k) {
      std::vector<std::string>& words = known->analysis.parts[k].headwords;
      for (std::string& word : r->analysis.parts[k].headwords) {
        if (std::find(words.begin(), words.end(), word) == words.end()) {
          words.push_back(std::move(word));
        }
      }
    }
  }
  return out;
}

// The index splitting: every reading of the text as parts the indexes know, resolved in rank
// order as far as the best MAX_ANALYSES and whatever ties with the last of them.
std::vector<Ranked> index_analyses(Reader& reader, std::string_view text) {
  std::vector<Split> candidates;
  candidates.reserve(32);
  reader.read_body(text.size(), candidates);
  for (const std::string_view clitic : CLITICS) {
    if (text.size() > clitic.size() && text.ends_with(clitic)) {
      reader.read_body(text.size() - clitic.size(), candidates);
    }
  }
  std::sort(candidates.begin(), candidates.end(), ranks_before);

  std::vector<Ranked> out;
  for (const Split& c : candidates) {
    if (out.size() >= MAX_ANALYSES && shape(c) != shape(out.back())) {
      break;
    }
    Ranked r{{}, c.word_parts, c.last_chars, c.other_leads, c.order, 0};
    r.analysis.parts.reserve(c.word_parts + 1U);
    bool resolved = true;
    for (std::size_t k = 0; k < c.word_parts && resolved; ++k) {
      std::vector<std::string> words = reader.headwords(c, k);
      resolved = !words.empty();
      r.analysis.parts.push_back(
          AnalysisPart{c.bounds[k], c.bounds[k + 1], PartKind::Word, std::move(words)});
    }
    if (!resolved) {
      continue;
    }
    const std::uint32_t body_end = c.bounds[c.word_parts];
    if (body_end < text.size()) {
      r.analysis.parts.push_back(
          AnalysisPart{body_end, static_cast<std::uint32_t>(text.size()), PartKind::Clitic, {}});
    }
    out.push_back(std::move(r));
  }
  return out;
}

}  // namespace

std::vector<Analysis> analyse_word(const Lexicon& lexicon, const Morphology& morphology,
                                   std::string_view query, const vfst::Transducer* transducer,
                                   const FrequencyTable* frequencies) {
  std::vector<Analysis> analyses;
  if (query.empty() || query.size() > MAX_ANALYSED_BYTES || !is_word(query)) {
    return analyses;
  }
  const std::optional<std::string> text = text_to_read(query);
  if (!text) {
    return analyses;
  }
  std::vector<Ranked> ranked;
  bool read = false;
  if (transducer != nullptr) {
    if (const std::optional<std::string> lower = lowered_in_place(*text)) {
      const Reader reader(lexicon, morphology, *lower);
      ranked = transducer_analyses(reader, *transducer, *lower, read);
    }
  }
  if (!read) {
    Reader reader(lexicon, morphology, *text);
    ranked = index_analyses(reader, *text);
  }
  for (Ranked& r : ranked) {
    score(r, morphology, frequencies);
  }
  std::sort(ranked.begin(), ranked.end(), ranked_before);
  for (Ranked& r : ranked) {
    if (analyses.size() >= MAX_ANALYSES) {
      break;
    }
    analyses.push_back(std::move(r.analysis));
  }
  return analyses;
}

std::string marked_form(std::string_view query, const Analysis& analysis) {
  std::string out;
  out.reserve(query.size() + 2 * analysis.parts.size());
  for (const AnalysisPart& part : analysis.parts) {
    if (!out.empty()) {
      out.append("\u00B7");
    }
    if (part.start <= part.end && part.end <= query.size()) {
      out.append(query.substr(part.start, part.end - part.start));
    }
  }
  return out;
}

}  // namespace pnt
