#include "lexicon/frequency.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/text.h"
#include "lexicon/text.h"

namespace pnt::lexicon {

void count_headwords(std::string_view text, const Morphology& morphology,
                     std::vector<std::uint64_t>& counts) {
  std::vector<EntryId> ids;
  for (const std::string& token : word_tokens(text)) {
    std::vector<std::string_view> headwords = morphology.lemmas(token);
    if (headwords.empty()) {
      headwords = morphology.lemmas(to_lower(token));
    }
    ids.clear();
    for (const std::string_view headword : headwords) {
      if (const auto id = morphology.entry_id(headword); id && *id < counts.size()) {
        ids.push_back(*id);
      }
    }
    // A list may name a headword twice; the token still counts once for it.
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (const EntryId id : ids) {
      ++counts[id];
    }
  }
}

std::string html_text(std::string_view html) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> ENTITIES{{
      {"&amp;", "&"},
      {"&lt;", "<"},
      {"&gt;", ">"},
      {"&quot;", "\""},
      {"&apos;", "'"},
      {"&nbsp;", " "},
  }};
  std::string out;
  out.reserve(html.size());
  std::size_t pos = 0;
  while (pos < html.size()) {
    if (html.substr(pos, 4) == "<!--") {
      const std::size_t end = html.find("-->", pos);
      pos = end == std::string_view::npos ? html.size() : end + 3;
      out += ' ';
      continue;
    }
    if (html[pos] == '<') {
      const std::size_t end = html.find('>', pos);
      pos = end == std::string_view::npos ? html.size() : end + 1;
      out += ' ';
      continue;
    }
    if (html[pos] == '&') {
      const auto entity = std::find_if(ENTITIES.begin(), ENTITIES.end(), [&](const auto& e) {
        return html.substr(pos, e.first.size()) == e.first;
      });
      if (entity != ENTITIES.end()) {
        out += entity->second;
        pos += entity->first.size();
        continue;
      }
    }
    out += html[pos++];
  }
  return out;
}

}  // namespace pnt::lexicon
