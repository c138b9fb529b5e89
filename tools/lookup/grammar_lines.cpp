#include "lookup/grammar_lines.h"

#include "core/inflection_table.h"
#include "core/readings.h"

namespace pnt {

std::string readings_lines(const Dictionary& dictionary, std::string_view word) {
  std::string out;
  if (dictionary.transducer) {
    for (const Reading& reading : readings(*dictionary.transducer, word)) {
      if (!out.empty()) {
        out += '\n';
      }
      out.append(word).append("\treading\t").append(attribute_fields(reading, "\t"));
    }
  }
  return out.empty() ? std::string(word) + "\tnone" : out;
}

std::string table_lines(const Dictionary& dictionary, std::string_view headword) {
  std::string out;
  if (dictionary.transducer) {
    InflectionTable table = build_inflection_table(*dictionary.transducer, headword);
    for (const TableCell* cell : table.cells()) {
      if (!out.empty()) {
        out += '\n';
      }
      out.append(headword).push_back('\t');
      for (std::size_t i = 0; i < cell->attributes.size(); ++i) {
        const auto& [attr, value] = cell->attributes[i];
        out.append(i == 0 ? "" : " ").append(attr_name(attr)).append("=").append(value);
      }
      out.push_back('\t');
      for (std::size_t i = 0; i < cell->forms.size(); ++i) {
        out.append(i == 0 ? "" : "|").append(cell->forms[i]);
      }
    }
  }
  return out.empty() ? std::string(headword) + "\tnone" : out;
}

}  // namespace pnt
