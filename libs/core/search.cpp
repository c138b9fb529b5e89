#include "core/search.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "base/utf8.h"
#include "core/prefix.h"
#include "core/text.h"
#include "fstmap/automaton.h"

namespace pnt {
namespace {

// A step fills the lists it finds for the query; the first step that leaves a row wins.
using StepFunction = void (*)(const SearchContext&, std::string_view, SearchResult&);

// Nodes a forgiving walk may decode in one index: what keeps a keystroke within its time.
constexpr std::uint64_t FOLDED_VISITS = 20'000;
constexpr std::uint64_t SUGGEST_VISITS = 3'000;
// The forms' walk at distance 2 gives up sooner: over that index it almost never fits in the
// budget above, and what it walked is not lost, the walk at distance 1 goes on from there.
constexpr std::uint64_t FORMS_AT_2_VISITS = 1'000;

// Only these letters fold: a query without them has no twin under folding.
bool has_folding_letter(std::string_view query) {
  return query.find_first_of("aoAO") != std::string_view::npos;
}

// Keys of `map` that equal the query read without dots, the query itself left out.
std::vector<std::pair<std::string, std::uint64_t>> folded_twins(const fst::Map& map,
                                                                std::string_view query) {
  std::vector<std::pair<std::string, std::uint64_t>> twins;
  if (!has_folding_letter(query)) {
    return twins;
  }
  fst::FoldedAutomaton automaton(query, fst::FoldedAutomaton::Mode::Whole);
  fst::SearchStream stream = map.search(automaton, FOLDED_VISITS);
  while (stream.next()) {
    if (stream.key_text() != query && is_utf8(stream.key())) {
      twins.emplace_back(std::string(stream.key_text()), stream.value());
    }
  }
  return twins;
}

// Appends the rows of one form: each of its headwords but the form itself, up to the limit.
void add_form_rows(const std::string& form, const std::vector<std::string_view>& headwords,
                   std::vector<InflectionRow>& rows) {
  for (const std::string_view headword : headwords) {
    if (rows.size() >= MAX_RESULTS) {
      return;
    }
    if (headword != form) {
      rows.push_back(InflectionRow{form, std::string(headword)});
    }
  }
}

}  // namespace

void insert_folded_twins(const SearchContext& context, std::string_view query,
                         SearchResult& result) {
  std::vector<MatchRow> matches;
  for (auto& [key, value] : folded_twins(context.lexicon.index(), query)) {
    matches.push_back(MatchRow{std::move(key)});
  }
  std::vector<InflectionRow> inflections;
  for (auto& [form, value] : folded_twins(context.morphology.index(), query)) {
    if (auto headwords = context.morphology.resolve(static_cast<std::uint32_t>(value))) {
      add_form_rows(form, *headwords, inflections);
    }
  }
  if (matches.empty() && inflections.empty()) {
    return;
  }
  if (result.matches.empty() && result.inflections.empty()) {
    result.step = SearchStep::Folded;  // nothing but the twins: the query was read without dots
  }
  const auto own_match = std::find_if(result.matches.begin(), result.matches.end(),
                                      [&](const MatchRow& row) { return row.headword != query; });
  result.matches.insert(own_match, matches.begin(), matches.end());
  result.matches.resize(std::min(result.matches.size(), MAX_RESULTS));
  const auto own_forms = std::find_if(result.inflections.begin(), result.inflections.end(),
                                      [&](const InflectionRow& row) { return row.form != query; });
  result.inflections.insert(own_forms, inflections.begin(), inflections.end());
  result.inflections.resize(std::min(result.inflections.size(), MAX_RESULTS));
}

namespace {

// Headwords and inflected forms that begin with the query. Inflection rows are built form by
// form and the building stops at the row limit; a form is never its own row.
void prefix_step(const SearchContext& context, std::string_view query, SearchResult& result) {
  result.matches = search_matches(context.lexicon, query, MAX_RESULTS);
  result.inflections.reserve(MAX_RESULTS);
  for (auto& [form, headwords] : search_inflections(context.morphology, query, MAX_RESULTS)) {
    add_form_rows(form, headwords, result.inflections);
    if (result.inflections.size() >= MAX_RESULTS) {
      break;
    }
  }
  insert_folded_twins(context, query, result);
}

// The prefix search again with the query read without dots: "paiva" finds "päivä…".
void folded_step(const SearchContext& context, std::string_view query, SearchResult& result) {
  if (!has_folding_letter(query)) {
    return;
  }
  fst::FoldedAutomaton automaton(query, fst::FoldedAutomaton::Mode::Prefix);
  fst::SearchStream headwords = context.lexicon.index().search(automaton, FOLDED_VISITS);
  while (result.matches.size() < MAX_RESULTS && headwords.next()) {
    if (is_utf8(headwords.key())) {
      result.matches.push_back(MatchRow{std::string(headwords.key_text())});
    }
  }
  fst::SearchStream forms = context.morphology.index().search(automaton, FOLDED_VISITS);
  for (std::size_t examined = 0; examined < MAX_RESULTS && forms.next();) {
    if (!is_utf8(forms.key())) {
      continue;
    }
    auto words = context.morphology.resolve(static_cast<std::uint32_t>(forms.value()));
    if (words && !words->empty()) {
      ++examined;
      add_form_rows(std::string(forms.key_text()), *words, result.inflections);
    }
  }
  result.focus = result.matches.empty() ? Focus::Inflections : Focus::Matches;
}

// A word a typo away: how far, by the query's length in code points; 0 for none.
unsigned suggest_distance(std::string_view query) {
  const std::size_t chars = char_count(query);
  return chars < 3 ? 0 : chars <= 5 ? 1 : 2;
}

std::uint8_t rank_of(const SearchContext& context, std::string_view headword) {
  return headword_rank(context.morphology, context.frequencies, headword);
}

// A suggested row with what orders it: nearer first, then more common, then byte order.
struct Suggestion {
  unsigned distance = 0;
  std::uint8_t rank = 0;
  std::string key;
  std::string headword;
  [[nodiscard]] bool operator<(const Suggestion& other) const {
    return std::tie(distance, other.rank, key, headword) <
           std::tie(other.distance, rank, other.key, other.headword);
  }
};

// The UTF-8 keys of `map` within the distance, each with its value and distance. A walk at
// distance 2 that runs out of its budget goes on at distance 1 and keeps only what is within 1:
// what it walked so far holds every key a walk at distance 1 would have found there.
template <class Take>
void near_keys(const fst::Map& map, std::string_view query, unsigned distance, Take take,
               std::uint64_t budget = SUGGEST_VISITS) {
  fst::EditDistanceAutomaton automaton(query, distance);
  fst::SearchStream stream = map.search(automaton, budget);
  std::vector<std::tuple<std::string, std::uint64_t, unsigned>> found;
  for (;;) {
    while (stream.next()) {
      if (is_utf8(stream.key())) {
        found.emplace_back(std::string(stream.key_text()), stream.value(),
                           automaton.distance(stream.state()));
      }
    }
    if (distance <= 1 || !stream.exhausted()) {
      break;
    }
    automaton.narrow(--distance);
    stream.resume(SUGGEST_VISITS);
  }
  for (auto& [key, value, key_distance] : found) {
    if (key_distance <= distance) {
      take(std::move(key), value, key_distance);
    }
  }
}

// The best `MAX_RESULTS` of the suggestions, in order.
void keep_best(std::vector<Suggestion>& suggestions) {
  const auto end =
      suggestions.begin() + static_cast<std::ptrdiff_t>(std::min(suggestions.size(), MAX_RESULTS));
  std::partial_sort(suggestions.begin(), end, suggestions.end());
  suggestions.erase(end, suggestions.end());
}

// Headwords and forms a typo away from a query that found nothing else.
void suggest_step(const SearchContext& context, std::string_view query, SearchResult& result) {
  const unsigned distance = suggest_distance(query);
  if (distance == 0) {
    return;
  }
  std::vector<Suggestion> headwords;
  near_keys(context.lexicon.index(), query, distance,
            [&](std::string key, std::uint64_t, unsigned d) {
              const std::uint8_t rank = rank_of(context, key);
              headwords.push_back(Suggestion{d, rank, std::move(key), {}});
            });
  std::vector<Suggestion> forms;
  near_keys(
      context.morphology.index(), query, distance,
      [&](std::string key, std::uint64_t value, unsigned d) {
        auto words = context.morphology.resolve(static_cast<std::uint32_t>(value));
        if (!words) {
          return;
        }
        for (const std::string_view headword : *words) {
          if (headword != key) {
            forms.push_back(Suggestion{d, rank_of(context, headword), key, std::string(headword)});
          }
        }
      },
      FORMS_AT_2_VISITS);
  keep_best(headwords);
  keep_best(forms);
  for (Suggestion& s : headwords) {
    result.matches.push_back(MatchRow{std::move(s.key)});
  }
  for (Suggestion& s : forms) {
    result.inflections.push_back(InflectionRow{std::move(s.key), std::move(s.headword)});
  }
  const bool forms_first =
      !forms.empty() && (headwords.empty() || std::tie(forms[0].distance, headwords[0].rank) <
                                                  std::tie(headwords[0].distance, forms[0].rank));
  result.focus = forms_first ? Focus::Inflections : Focus::Matches;
}

// English keys a typo away, each row an English key with one of its Finnish headwords.
void english_suggest_step(const SearchContext& context, std::string_view query,
                          SearchResult& result) {
  const fst::Map* map = context.english.map();
  const std::string lower = to_lower(query);
  const unsigned distance = suggest_distance(lower);
  if (map == nullptr || distance == 0) {
    return;
  }
  std::vector<Suggestion> rows;
  near_keys(*map, lower, distance, [&](std::string key, std::uint64_t value, unsigned d) {
    for (const std::string_view headword : context.english.resolve(value, context.morphology)) {
      rows.push_back(Suggestion{d, rank_of(context, headword), key, std::string(headword)});
    }
  });
  keep_best(rows);
  for (Suggestion& s : rows) {
    result.matches.push_back(MatchRow{std::move(s.headword), std::move(s.key)});
  }
}

// A word no index holds may still be made of words they hold: one row per headword of each
// word part, best analysis first, each (part, headword) once; the form shows the boundaries.
void analysis_step(const SearchContext& context, std::string_view query, SearchResult& result) {
  result.analyses = analyse_word(context.lexicon, context.morphology, query, context.transducer,
                                 context.frequencies);
  std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string_view>> shown;
  for (const Analysis& analysis : result.analyses) {
    const std::string form = marked_form(query, analysis);
    for (const AnalysisPart& part : analysis.parts) {
      for (const std::string& headword : part.headwords) {
        if (result.inflections.size() >= MAX_RESULTS) {
          return;
        }
        const auto key = std::make_tuple(part.start, part.end, std::string_view(headword));
        if (headword == form || std::find(shown.begin(), shown.end(), key) != shown.end()) {
          continue;
        }
        shown.push_back(key);
        result.inflections.push_back(InflectionRow{form, headword});
      }
    }
  }
}

// A row for each Finnish headword of each English key that begins with the first spelling of
// the query that finds any key.
void english_step(const SearchContext& context, std::string_view query, SearchResult& result) {
  for (const std::string& spelling : english_spellings(query)) {
    const auto keys = context.english.search(spelling, context.morphology, MAX_RESULTS);
    for (const auto& [key, headwords] : keys) {
      for (const std::string_view headword : headwords) {
        if (result.matches.size() < MAX_RESULTS) {
          result.matches.push_back(MatchRow{std::string(headword), key});
        }
      }
    }
    if (!keys.empty()) {
      return;
    }
  }
}

struct Step {
  SearchMode mode;
  SearchStep step;
  Focus focus;  // the list that shows the step's rows first
  StepFunction run;
};

// The order of precedence: a step runs only when every earlier step of its mode found nothing.
constexpr std::array STEPS{
    Step{SearchMode::Finnish, SearchStep::Prefix, Focus::Matches, prefix_step},
    Step{SearchMode::Finnish, SearchStep::Analysis, Focus::Inflections, analysis_step},
    Step{SearchMode::Finnish, SearchStep::Folded, Focus::Matches, folded_step},
    Step{SearchMode::Finnish, SearchStep::Suggest, Focus::Matches, suggest_step},
    Step{SearchMode::English, SearchStep::English, Focus::Matches, english_step},
    Step{SearchMode::English, SearchStep::Suggest, Focus::Matches, english_suggest_step},
};

}  // namespace

std::string_view step_name(SearchStep step) {
  switch (step) {
    case SearchStep::Prefix:
      return "prefix";
    case SearchStep::English:
      return "english";
    case SearchStep::Analysis:
      return "analysis";
    case SearchStep::Folded:
      return "folded";
    case SearchStep::Suggest:
      return "suggest";
    case SearchStep::None:
      break;
  }
  return "none";
}

SearchResult search(const SearchContext& context, std::string_view query, SearchMode mode,
                    std::optional<SearchStep> only) {
  if (query.empty()) {
    return {};
  }
  for (const Step& step : STEPS) {
    if (step.mode != mode || (only && step.step != *only)) {
      continue;
    }
    SearchResult result;
    result.focus = step.focus;  // a step may choose the focus itself
    step.run(context, query, result);
    if (!result.matches.empty() || !result.inflections.empty()) {
      if (result.step == SearchStep::None) {
        result.step = step.step;  // or, like the twins alone, name another step
      }
      return result;
    }
  }
  return {};
}

std::vector<std::string> english_spellings(std::string_view query) {
  std::vector<std::string> spellings{std::string(query)};
  if (std::string lower = to_lower(query); lower != query) {
    spellings.push_back(std::move(lower));
  }
  return spellings;
}

std::vector<MatchRow> search_matches(const Lexicon& lexicon, std::string_view query,
                                     std::size_t limit) {
  std::vector<MatchRow> rows;
  if (query.empty() || limit == 0) {
    return rows;
  }
  rows.reserve(limit);
  for_each_utf8_key(lexicon.prefix_stream(query), [&](std::string_view key, std::uint64_t) {
    rows.push_back(MatchRow{std::string(key)});
    return rows.size() < limit;
  });
  return rows;
}

std::vector<std::pair<std::string, std::vector<std::string_view>>> search_inflections(
    const Morphology& morphology, std::string_view query, std::size_t limit) {
  std::vector<std::pair<std::string, std::vector<std::string_view>>> forms;
  if (query.empty() || limit == 0) {
    return forms;
  }
  forms.reserve(limit);
  for_each_utf8_key(morphology.prefix_stream(query),
                    [&](std::string_view key, std::uint64_t value) {
                      // A form whose target does not resolve is left out of the list, not reported.
                      auto headwords = morphology.resolve(static_cast<std::uint32_t>(value));
                      if (headwords && !headwords->empty()) {
                        forms.emplace_back(std::string(key), std::move(*headwords));
                      }
                      return forms.size() < limit;
                    });
  return forms;
}

}  // namespace pnt
