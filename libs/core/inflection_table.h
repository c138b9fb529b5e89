// The inflection table of a headword, generated from voikko's morphology transducer.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/readings.h"
#include "vfst/transducer.h"

namespace pnt {

/// One cell: its own label, the attributes its forms carry and every form the transducer
/// gives for them (all variants, e.g. "omenoiden", "omenoitten", "omenien"), without
/// duplicates, in a stable order. A cell without forms is left out of its row.
struct TableCell {
  std::string label;  ///< "singular inessive", "1st person plural", "passive", …
  std::vector<std::pair<Attr, std::string>> attributes;  ///< in Attr order
  std::vector<std::string> forms;
  friend bool operator==(const TableCell&, const TableCell&) = default;
};

/// One row of a section: the cells shown side by side (a nominal case's singular and plural;
/// a verb's single cell per person).
struct TableRow {
  std::string label;  ///< "inessive", "1st person singular", …
  std::vector<TableCell> cells;
  friend bool operator==(const TableRow&, const TableRow&) = default;
};

/// A titled group of rows: "cases", "comparative", "indicative present", "infinitives", …
struct TableSection {
  std::string title;
  std::vector<std::string> columns;  ///< column headings ("singular", "plural"), may be empty
  std::vector<TableRow> rows;
  friend bool operator==(const TableSection&, const TableSection&) = default;
};

/// The table of one headword. Nominals: the cases nominative to instructive, singular and
/// plural, and for adjectives the comparative and superlative in the same cases. Verbs: the
/// indicative present and past, conditional, imperative and potential for six persons and the
/// passive, the negative forms, the infinitives with their cases and the participles.
struct InflectionTable {
  std::string headword;
  std::string word_class;  ///< CLASS of the headword's lexeme; empty when it has no forms
  std::vector<TableSection> sections;

  [[nodiscard]] bool empty() const { return sections.empty(); }
  /// Every cell in display order (section by section, row by row, left to right).
  [[nodiscard]] std::vector<const TableCell*> cells() const;
};

/// Builds the table of `headword`: the lexeme whose own base form the headword is (a
/// compound's forms are its last part's behind the same beginning). Empty sections are left
/// out; a headword the transducer does not know, or one without inflection, gets an empty table.
[[nodiscard]] InflectionTable build_inflection_table(const vfst::Transducer& transducer,
                                                     std::string_view headword);

}  // namespace pnt
