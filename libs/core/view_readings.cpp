// The grey reading lines the View shows above an entry shown for an inflected form.
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "core/readings.h"
#include "core/view.h"

namespace pnt {
namespace {

// Whether a reading of the shown form is one of the shown headword: its base form, or for a
// participle its verb; an analysed word's reading belongs to its last part's headword.
bool reading_belongs(const Reading& reading, std::string_view headword, bool whole_word) {
  const std::string& base = reading.get(Attr::Baseform);
  if (whole_word) {
    return std::string_view(base).ends_with(headword);
  }
  return base == headword || reading.participle_of == headword;
}

}  // namespace

void View::refresh_readings(std::string_view form, std::string_view headword, bool whole_word) {
  reading_lines.clear();
  if (!transducer || form == headword) {
    return;
  }
  for (const Reading& reading : readings(*transducer, form)) {
    if (!reading_belongs(reading, headword, whole_word)) {
      continue;
    }
    std::string line = reading_line(form, reading);
    if (std::find(reading_lines.begin(), reading_lines.end(), line) != reading_lines.end()) {
      continue;
    }
    if (reading_lines.size() == MAX_READING_LINES) {
      reading_lines.emplace_back("…");
      return;
    }
    reading_lines.push_back(std::move(line));
  }
}

}  // namespace pnt
