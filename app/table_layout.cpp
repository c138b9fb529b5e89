#include "app/table_layout.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/utf8.h"

namespace pnt {
namespace {

constexpr Style TITLE{Color::Yellow, 0};
constexpr Style LABEL{Color::DarkGray, 0};
constexpr Style FORM{};
constexpr std::size_t INDENT = 2;
constexpr std::size_t GAP = 2;

std::string padded(std::string_view text, std::size_t width) {
  std::string out(text);
  out.append(width - std::min(width, char_count(text)), ' ');
  return out;
}

std::string joined(const std::vector<std::string>& forms) {
  std::string out;
  for (const std::string& form : forms) {
    if (!out.empty()) {
      out += ", ";
    }
    out += form;
  }
  return out;
}

// The column a cell stands in: the first heading its label begins with ("plural inessive"
// under "plural"), so that a row missing a cell keeps the others in place; else its position.
std::size_t column_of(const TableSection& section, const TableCell& cell, std::size_t position) {
  for (std::size_t c = 0; c < section.columns.size(); ++c) {
    if (cell.label.starts_with(section.columns[c])) {
      return c;
    }
  }
  return position;
}

std::size_t column_count(const TableSection& section) {
  std::size_t n = section.columns.size();
  for (const TableRow& row : section.rows) {
    n = std::max(n, row.cells.size());
  }
  return n;
}

// The widths of the label column and of each cell column, each form on a line of its own.
struct Widths {
  std::size_t label = 0;
  std::vector<std::size_t> columns;
  [[nodiscard]] std::size_t total() const {
    std::size_t sum = INDENT + label;
    for (const std::size_t w : columns) {
      sum += GAP + w;
    }
    return sum;
  }
};

Widths widths_of(const TableSection& section) {
  Widths w;
  w.columns.assign(column_count(section), 0);
  for (std::size_t c = 0; c < section.columns.size(); ++c) {
    w.columns[c] = char_count(section.columns[c]);
  }
  for (const TableRow& row : section.rows) {
    w.label = std::max(w.label, char_count(row.label));
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
      std::size_t& column =
          w.columns[std::min(column_of(section, row.cells[i], i), w.columns.size() - 1)];
      for (const std::string& form : row.cells[i].forms) {
        column = std::max(column, char_count(form));
      }
    }
  }
  return w;
}

void add_side_by_side(EntryRows& rows, const TableSection& section, const Widths& w) {
  if (!section.columns.empty()) {
    Line heading(std::string(INDENT + w.label, ' '), LABEL);
    for (std::size_t c = 0; c < section.columns.size(); ++c) {
      heading.spans.push_back(
          {std::string(GAP, ' ') + padded(section.columns[c], w.columns[c]), LABEL});
    }
    rows.push(std::move(heading));
  }
  for (const TableRow& row : section.rows) {
    std::vector<const TableCell*> by_column(w.columns.size(), nullptr);
    std::size_t height = 1;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
      by_column[std::min(column_of(section, row.cells[i], i), by_column.size() - 1)] =
          &row.cells[i];
      height = std::max(height, row.cells[i].forms.size());
    }
    for (std::size_t line = 0; line < height; ++line) {
      Line out(std::string(INDENT, ' ') + padded(line == 0 ? row.label : "", w.label), LABEL);
      for (std::size_t c = 0; c < by_column.size(); ++c) {
        const TableCell* cell = by_column[c];
        const bool has = cell != nullptr && line < cell->forms.size();
        out.spans.push_back(
            {std::string(GAP, ' ') + padded(has ? cell->forms[line] : "", w.columns[c]), FORM});
      }
      rows.push(std::move(out));
    }
  }
}

// A cell's label when it stands on a line of its own: in a section of one column its row's
// ("1st person singular" under "conditional"), else its own ("plural inessive").
const std::string& stacked_label(const TableSection& section, const TableRow& row,
                                 const TableCell& cell) {
  const bool by_row = column_count(section) == 1 && !row.label.empty();
  return by_row || cell.label.empty() ? row.label : cell.label;
}

void append(EntryRows& rows, EntryRows more) {
  for (Line& line : more.lines) {
    rows.push(std::move(line));
  }
}

// One cell a line, "  singular inessive  talossa", label and forms wrapped on lines of their
// own where the line is too narrow for both.
void add_stacked(EntryRows& rows, const TableSection& section, std::uint16_t width) {
  std::size_t label_width = 0;
  for (const TableRow& row : section.rows) {
    for (const TableCell& cell : row.cells) {
      label_width = std::max(label_width, char_count(stacked_label(section, row, cell)));
    }
  }
  const std::string indent(INDENT, ' ');
  for (const TableRow& row : section.rows) {
    for (const TableCell& cell : row.cells) {
      const std::string& label = stacked_label(section, row, cell);
      const std::string forms = joined(cell.forms);
      if (INDENT + label_width + GAP + char_count(forms) <= width) {
        Line line(indent + padded(label, label_width + GAP), LABEL);
        line.spans.push_back({forms, FORM});
        rows.push(std::move(line));
        continue;
      }
      append(rows, wrap_item(indent, label, {}, LABEL, width));
      append(rows, wrap_item(indent + indent, forms, {}, FORM, width));
    }
  }
}

}  // namespace

EntryRows layout_table_rows(const InflectionTable& table, std::uint16_t width) {
  EntryRows rows;
  if (table.empty()) {
    rows.push(Line("(no forms of " + table.headword + ")", LABEL));
    return rows;
  }
  for (const TableSection& section : table.sections) {
    if (&section != &table.sections.front()) {
      rows.push(Line{});
    }
    rows.push(Line(section.title, TITLE));
    const Widths w = widths_of(section);
    if (w.columns.size() > 1 && w.total() <= width) {
      add_side_by_side(rows, section, w);
    } else {
      add_stacked(rows, section, width);
    }
  }
  return rows;
}

}  // namespace pnt
