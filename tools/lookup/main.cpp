// pnt-lookup: reads words from standard input, one per line, and prints one TAB-separated line
// per word saying what the program shows for exactly that query, over the data set compiled
// into it:
//   word  headword  word                   a key of the headword index
//   word  form  headword…                  else a key of the inflected-form index
//   word  analysis  part=headword|…  …     else, when the search shows the analysis, the best one
//                                          (and the entry of its first row is there)
//   word  folded  row…                     else, the first 3 rows when the query was read without
//   word  suggest  row…                    dots or a typo away, as with --rows
//   word  none
// With --english the words are English and the line is "word  english  headword…" (the rows the
// English search shows for that key) or "word  none". With --rows the line is
// "word  step  row…": the search step's name and the first 10 rows the lists show, the focused
// list first, a matches row as its headword and any other as form=headword. With --entry the
// words are headwords and each gets one "headword  pos  meaning" line per meaning of its entry,
// in record order, or "headword  none". With --readings each word's grammatical readings, with
// --table each headword's inflection table (lookup/grammar_lines.h).
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "core/analysis.h"
#include "core/dictionary.h"
#include "core/search.h"
#include "embedded/blobs.h"
#include "lookup/grammar_lines.h"

namespace pnt {
namespace {

// What the program's search reads, over the whole dictionary.
SearchContext search_context(const Dictionary& dictionary) {
  return {dictionary.lexicon, dictionary.morphology, dictionary.english, &dictionary.frequencies,
          dictionary.transducer ? &*dictionary.transducer : nullptr};
}

void append_joined(std::string& line, const std::vector<std::string_view>& words) {
  for (const std::string_view word : words) {
    line += '\t';
    line += word;
  }
}

// The rows the program shows for the Finnish query, as it shows them.
std::string rows_line(const std::string& word, const SearchResult& result, std::size_t max_rows) {
  std::vector<std::string> rows;
  const auto add_matches = [&] {
    for (const MatchRow& row : result.matches) {
      rows.push_back(row.headword);
    }
  };
  const auto add_inflections = [&] {
    for (const InflectionRow& row : result.inflections) {
      rows.push_back(row.form + "=" + row.headword);
    }
  };
  if (result.focus == Focus::Inflections) {
    add_inflections();
    add_matches();
  } else {
    add_matches();
    add_inflections();
  }
  std::string line = word + "\t" + std::string(step_name(result.step));
  for (std::size_t i = 0; i < std::min(rows.size(), max_rows); ++i) {
    line += '\t';
    line += rows[i];
  }
  return line;
}

// The Finnish query's line: an exact key of either index, else what the search shows when it
// is the analysis's rows.
std::string finnish_line(const Dictionary& dictionary, const std::string& word) {
  const Lexicon& lexicon = dictionary.lexicon;
  const Morphology& morphology = dictionary.morphology;
  std::string line = word;
  if (lexicon.has_headword(word)) {
    return line + "\theadword\t" + word;
  }
  if (morphology.has_form(word)) {
    line += "\tform";
    append_joined(line, morphology.lemmas(word));
    return line;
  }
  const SearchResult result = search(search_context(dictionary), word, SearchMode::Finnish);
  if (result.step == SearchStep::Folded || result.step == SearchStep::Suggest) {
    return rows_line(word, result, 3);
  }
  // An analysis answers only when the entry it shows first is there.
  if (result.step != SearchStep::Analysis || result.inflections.empty() ||
      !lexicon.entry(result.inflections.front().headword)) {
    return line + "\tnone";
  }
  line += "\tanalysis";
  for (const AnalysisPart& part : result.analyses.front().parts) {
    line += '\t';
    line += std::string_view(word).substr(part.start, part.end - part.start);
    line += '=';
    for (std::size_t i = 0; i < part.headwords.size(); ++i) {
      line += i == 0 ? "" : "|";
      line += part.headwords[i];
    }
  }
  return line;
}

// The English query's line: the headwords of the first of the search's spellings that is a
// key; cut where the rows are.
std::string english_line(const Dictionary& dictionary, const std::string& word) {
  std::vector<std::string_view> headwords;
  for (const std::string& spelling : english_spellings(word)) {
    headwords = dictionary.english.headwords(spelling, dictionary.morphology);
    if (!headwords.empty()) {
      break;
    }
  }
  if (headwords.empty()) {
    return word + "\tnone";
  }
  if (headwords.size() > MAX_RESULTS) {
    headwords.resize(MAX_RESULTS);
  }
  std::string line = word + "\tenglish";
  append_joined(line, headwords);
  return line;
}

// The headword's entry as the program decodes it, one line per meaning.
std::string entry_lines(const Dictionary& dictionary, const std::string& word) {
  const std::optional<Entry> entry = dictionary.lexicon.entry(word);
  if (!entry) {
    return word + "\tnone";
  }
  std::string lines;
  for (const PosGroup& group : entry->groups) {
    for (const std::string& meaning : group.meanings) {
      lines += (lines.empty() ? "" : "\n") + word + '\t' + group.pos + '\t' + meaning;
    }
  }
  return lines.empty() ? word + "\tnone" : lines;
}

}  // namespace
}  // namespace pnt

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const std::string_view mode = args.size() == 1 ? args[0] : "";
  if (args.size() > 1 || (!args.empty() && mode != "--english" && mode != "--entry" &&
                          mode != "--readings" && mode != "--table" && mode != "--rows")) {
    std::fputs("usage: pnt-lookup [--english | --entry | --readings | --table | --rows] < words\n",
               stderr);
    return 2;
  }
  const pnt::Result<pnt::Dictionary> dictionary = pnt::open_dictionary(pnt::embedded::blobs());
  if (!dictionary) {
    std::fputs(pnt::format_report(dictionary.error()).c_str(), stderr);
    return 1;
  }
  std::ios::sync_with_stdio(false);
  std::string word;
  while (std::getline(std::cin, word)) {
    if (!word.empty() && word.back() == '\r') {
      word.pop_back();
    }
    if (mode == "--readings") {
      std::cout << pnt::readings_lines(*dictionary, word) << '\n';
    } else if (mode == "--table") {
      std::cout << pnt::table_lines(*dictionary, word) << '\n';
    } else if (mode == "--entry") {
      std::cout << pnt::entry_lines(*dictionary, word) << '\n';
    } else if (mode == "--rows") {
      const pnt::SearchResult result =
          pnt::search(pnt::search_context(*dictionary), word, pnt::SearchMode::Finnish);
      std::cout << pnt::rows_line(word, result, 10) << '\n';
    } else if (mode == "--english") {
      std::cout << pnt::english_line(*dictionary, word) << '\n';
    } else {
      std::cout << pnt::finnish_line(*dictionary, word) << '\n';
    }
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}
