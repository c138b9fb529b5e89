#include "core/inflection_table.h"

namespace pnt {

std::vector<const TableCell*> InflectionTable::cells() const {
  std::vector<const TableCell*> out;
  for (const TableSection& section : sections) {
    for (const TableRow& row : section.rows) {
      for (const TableCell& cell : row.cells) {
        out.push_back(&cell);
      }
    }
  }
  return out;
}

InflectionTable build_inflection_table(const vfst::Transducer& transducer,
                                       std::string_view headword) {
  (void)transducer;
  InflectionTable table;
  table.headword = headword;
  return table;
}

}  // namespace pnt
