// pnt-lookup: reads words from standard input, one per line, and prints one TAB-separated line
// per word saying what the program shows for exactly that query, over the data set compiled
// into it:
//   word  headword  word                   a key of the headword index
//   word  form  headword…                  else a key of the inflected-form index
//   word  analysis  part=headword|…  …     else, when the search shows the analysis, the best one
//   word  none
// With --english the words are English and the line is "word  english  headword…" (the rows the
// English search shows for that key) or "word  none".
// With --readings each word's grammatical readings, with --table each headword's inflection
// table (lookup/grammar_lines.h).
#include <cstdio>
#include <iostream>
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

void append_joined(std::string& line, const std::vector<std::string_view>& words) {
  for (const std::string_view word : words) {
    line += '\t';
    line += word;
  }
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
  const SearchResult result =
      search({lexicon, morphology, dictionary.english}, word, SearchMode::Finnish);
  if (result.step != SearchStep::Analysis) {
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

}  // namespace
}  // namespace pnt

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const std::string_view mode = args.size() == 1 ? args[0] : "";
  const bool english = mode == "--english";
  if (args.size() > 1 ||
      (!args.empty() && mode != "--english" && mode != "--readings" && mode != "--table")) {
    std::fputs("usage: pnt-lookup [--english|--readings|--table] < words\n", stderr);
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
      continue;
    }
    if (mode == "--table") {
      std::cout << pnt::table_lines(*dictionary, word) << '\n';
      continue;
    }
    std::cout << (english ? pnt::english_line(*dictionary, word)
                          : pnt::finnish_line(*dictionary, word))
              << '\n';
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}
