// pnt-lookup: reads words from standard input, one per line, and prints one TAB-separated line
// per word saying what the program shows for exactly that query, over the data set compiled
// into it:
//   word  headword  word                   a key of the headword index
//   word  form  headword…                  else a key of the inflected-form index
//   word  analysis  part=headword|…  …     else, when the search finds no row, the best analysis
//   word  none
// With --english the words are English and the line is "word  english  headword…" (the rows the
// English search shows for that key) or "word  none". With --entry the words are headwords and
// each gets one "headword  pos  meaning" line per meaning of its entry, in record order, or
// "headword  none".
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/embedded_data.h"
#include "base/error.h"
#include "core/analysis.h"
#include "core/dictionary.h"
#include "core/text.h"
#include "core/view.h"

namespace pnt {
namespace {

void append_joined(std::string& line, const std::vector<std::string_view>& words) {
  for (const std::string_view word : words) {
    line += '\t';
    line += word;
  }
}

// The Finnish query's line; the checks follow the program's own order of precedence.
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
  // The analysis is shown only where the search yields no row at all.
  if (search_matches(lexicon, word, 1).empty() && search_inflections(morphology, word, 1).empty()) {
    const std::vector<Analysis> analyses = analyse_word(lexicon, morphology, word);
    if (!analyses.empty()) {
      line += "\tanalysis";
      for (const AnalysisPart& part : analyses.front().parts) {
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
  }
  return line + "\tnone";
}

// The English query's line: the headwords of the key as typed, else of its lower-cased form
// when it has capitals, as the English search falls back; cut where the rows are.
std::string english_line(const Dictionary& dictionary, const std::string& word) {
  std::vector<std::string_view> headwords =
      dictionary.english.headwords(word, dictionary.morphology);
  if (headwords.empty()) {
    const std::string lower = to_lower(word);
    if (lower != word) {
      headwords = dictionary.english.headwords(lower, dictionary.morphology);
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
  const bool english = args.size() == 1 && args[0] == "--english";
  const bool entries = args.size() == 1 && args[0] == "--entry";
  if (!args.empty() && !english && !entries) {
    std::fputs("usage: pnt-lookup [--english | --entry] < words\n", stderr);
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
    std::cout << (entries   ? pnt::entry_lines(*dictionary, word)
                  : english ? pnt::english_line(*dictionary, word)
                            : pnt::finnish_line(*dictionary, word))
              << '\n';
  }
  std::cout.flush();
  return std::cout ? 0 : 1;
}
