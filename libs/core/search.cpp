#include "core/search.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "core/prefix.h"
#include "core/text.h"

namespace pnt {
namespace {

// A step fills the lists it finds for the query; the first step that leaves a row wins.
using StepFunction = void (*)(const SearchContext&, std::string_view, SearchResult&);

// Headwords and inflected forms that begin with the query. Inflection rows are built form by
// form and the building stops at the row limit; a form is never its own row.
void prefix_step(const SearchContext& context, std::string_view query, SearchResult& result) {
  result.matches = search_matches(context.lexicon, query, MAX_RESULTS);
  result.inflections.reserve(MAX_RESULTS);
  for (auto& [form, headwords] : search_inflections(context.morphology, query, MAX_RESULTS)) {
    for (const std::string_view headword : headwords) {
      if (result.inflections.size() >= MAX_RESULTS) {
        return;
      }
      if (headword != form) {
        result.inflections.push_back(InflectionRow{form, std::string(headword)});
      }
    }
  }
}

// A word no index holds may still be made of words they hold: one row per headword of each
// word part, best analysis first, each (part, headword) once; the form shows the boundaries.
void analysis_step(const SearchContext& context, std::string_view query, SearchResult& result) {
  result.analyses = analyse_word(context.lexicon, context.morphology, query);
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
    Step{SearchMode::English, SearchStep::English, Focus::Matches, english_step},
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
    case SearchStep::None:
      break;
  }
  return "none";
}

SearchResult search(const SearchContext& context, std::string_view query, SearchMode mode) {
  if (query.empty()) {
    return {};
  }
  for (const Step& step : STEPS) {
    if (step.mode != mode) {
      continue;
    }
    SearchResult result;
    step.run(context, query, result);
    if (!result.matches.empty() || !result.inflections.empty()) {
      result.step = step.step;
      result.focus = step.focus;
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
