#include "app/entry_layout.h"

#include <algorithm>
#include <optional>

#include "app/table_layout.h"
#include "base/utf8.h"
#include "core/text.h"
#include "core/wrap.h"

namespace pnt {
namespace {

constexpr std::size_t MAX_COL = 65535;

struct Palette {
  Style headword;
  Style pos;
  Style meaning;
  Style nested;         // depth 1
  Style nested_deeper;  // depth 2
};

constexpr Palette NORMAL{{Color::Cyan, ATTR_BOLD},
                         {Color::Yellow, 0},
                         {Color::Default, 0},
                         {Color::DarkGray, 0},
                         {Color::DarkGray, ATTR_DIM}};
constexpr Palette KEPT{{Color::DarkGray, 0},
                       {Color::DarkGray, 0},
                       {Color::DarkGray, 0},
                       {Color::DarkGray, 0},
                       {Color::DarkGray, 0}};

std::uint16_t to_col(std::size_t col) { return static_cast<std::uint16_t>(std::min(col, MAX_COL)); }

const Link* link_for(std::span<const Link> links, const Token& token) {
  for (const Link& link : links) {
    if (link.start <= token.start && token.end <= link.end) {
      return &link;
    }
  }
  return nullptr;
}

// Builds the rows of one item while tracking the link span that is still growing.
class ItemWriter {
 public:
  ItemWriter(Style style, EntryRows& out) : style_(style), out_(out) {}

  void add_plain(std::string_view text) {
    close_link();
    // Runs of plain text share one span: fewer allocations, the same cells.
    if (!line_.spans.empty() && line_.spans.back().style == style_) {
      line_.spans.back().text += text;
      return;
    }
    line_.spans.push_back({std::string(text), style_});
  }

  void add_linked(std::string_view text, const std::string& target, std::size_t col) {
    if (pending_ && pending_->target == target) {
      pending_->text += text;
      return;
    }
    close_link();
    pending_ = Pending{std::string(text), target, col};
  }

  [[nodiscard]] bool extends_link(const Link* link) const {
    return pending_ && link != nullptr && link->target == pending_->target;
  }
  void append_space_to_link() {
    if (pending_) {
      pending_->text += ' ';
    }
  }

  void finish_row() {
    close_link();
    out_.lines.push_back(std::move(line_));
    out_.click_spans.push_back(std::move(clicks_));
    line_ = Line{};
    clicks_.clear();
  }

 private:
  struct Pending {
    std::string text;
    std::string target;
    std::size_t start_col = 0;
  };

  void close_link() {
    if (!pending_) {
      return;
    }
    const std::size_t end = pending_->start_col + char_count(pending_->text);
    clicks_.push_back({to_col(pending_->start_col), to_col(end), std::move(pending_->target)});
    line_.spans.push_back({std::move(pending_->text), style_.with(ATTR_UNDERLINED)});
    pending_.reset();
  }

  Style style_;
  EntryRows& out_;
  Line line_;
  std::vector<ClickSpan> clicks_;
  std::optional<Pending> pending_;
};

// Lays out one item at the end of `out` (what wrap_item returns on its own).
void append_item(EntryRows& out, std::string_view prefix, std::string_view text,
                 std::span<const Link> links, Style style, std::size_t width) {
  ItemWriter writer(style, out);
  const std::size_t pw = char_count(prefix);
  const std::string indent(pw, ' ');
  writer.add_plain(prefix);
  const WrapRule rule{
      .indent = pw, .width = width, .long_word = LongWord::Overflow, .max_col = MAX_COL};
  wrap_words(text, rule, [&](const Token& token, std::string_view word, std::size_t col, Gap gap) {
    const Link* link = link_for(links, token);
    if (gap == Gap::Break) {
      writer.finish_row();
      writer.add_plain(indent);
    } else if (gap == Gap::Space) {
      if (writer.extends_link(link)) {
        writer.append_space_to_link();
      } else {
        writer.add_plain(" ");
      }
    }
    if (link == nullptr) {
      writer.add_plain(word);
    } else {
      writer.add_linked(word, link->target, col);
    }
  });
  writer.finish_row();
}

void add_expansion(EntryRows& rows, const Expansion& expansion, int depth, const Palette& palette,
                   std::uint16_t width) {
  const Style style = depth == 1 ? palette.nested : palette.nested_deeper;
  const std::string indent(depth == 1 ? 2 : 6, ' ');
  const std::string prefix = indent + (expansion.base ? " ~> " : "~> ");
  std::string heading = expansion.phrase;
  if (expansion.base) {
    heading += " -> " + *expansion.base;
  }
  if (!expansion.entry.groups.empty() && !expansion.entry.groups.front().pos.empty()) {
    heading += " (" + expansion.entry.groups.front().pos + ")";
  }
  append_item(rows, prefix, heading, {}, style, width);

  const std::string meaning_prefix = std::string(depth == 1 ? 6 : 10, ' ') + "- ";
  for (std::size_t j = 0; j < expansion.entry.groups.size(); ++j) {
    for (const std::string& meaning : expansion.entry.groups[j].meanings) {
      append_item(rows, meaning_prefix, meaning, {}, style, width);
    }
    if (depth == 1 && j < expansion.children.size()) {
      for (const Expansion& child : expansion.children[j]) {
        add_expansion(rows, child, 2, palette, width);
      }
    }
  }
}

EntryRows entry_content(std::string_view word, const Entry& entry,
                        const std::vector<std::vector<Expansion>>& expansions,
                        const std::vector<std::vector<Link>>* links, const Palette& palette,
                        std::uint16_t width, std::span<const std::string> reading_lines = {}) {
  EntryRows rows;
  // The readings of the form the entry is shown for come first, wrapped like meanings.
  for (const std::string& line : reading_lines) {
    append_item(rows, "", line, {}, palette.nested, width);
  }
  rows.push(Line(std::string(word), palette.headword));
  rows.push(Line{});
  std::size_t k = 0;  // meaning index across all groups
  for (std::size_t g = 0; g < entry.groups.size(); ++g) {
    const PosGroup& group = entry.groups[g];
    if (g > 0) {
      rows.push(Line{});
    }
    if (!group.pos.empty()) {
      rows.push(Line("(" + group.pos + ")", palette.pos));
    }
    for (const std::string& meaning : group.meanings) {
      std::span<const Link> meaning_links;
      if (links != nullptr && k < links->size()) {
        meaning_links = (*links)[k];
      }
      append_item(rows, "- ", meaning, meaning_links, palette.meaning, width);
      if (k < expansions.size()) {
        for (const Expansion& expansion : expansions[k]) {
          add_expansion(rows, expansion, 1, palette, width);
        }
      }
      ++k;
    }
  }
  return rows;
}

}  // namespace

EntryRows wrap_item(std::string_view prefix, std::string_view text, std::span<const Link> links,
                    Style style, std::size_t width) {
  EntryRows out;
  append_item(out, prefix, text, links, style, width);
  return out;
}

EntryRows layout_entry_rows(const View& view, std::uint16_t width) {
  if (view.entry) {
    return entry_content(view.entry_word.value_or(std::string{}), *view.entry, view.expansions,
                         &view.links, NORMAL, width, view.reading_lines);
  }
  if (view.kept_word && view.kept_entry) {
    return entry_content(*view.kept_word, *view.kept_entry, view.kept_expansions, nullptr, KEPT,
                         width);
  }
  std::string_view placeholder = "(type to search, Tab to switch)";
  if (!view.query.empty()) {
    placeholder = view.matches.empty() ? "(no matches)" : "(no entry)";
  }
  EntryRows rows;
  rows.push(Line(std::string(placeholder), Style{Color::DarkGray, 0}));
  return rows;
}

std::optional<std::string_view> table_word(const View& view) {
  if (view.entry && view.entry_word) {
    return *view.entry_word;
  }
  if (view.kept_word && view.kept_entry) {
    return *view.kept_word;
  }
  return std::nullopt;
}

const EntryRows& entry_rows_for(const View& view, std::uint16_t width, EntryRowCache& cache) {
  if (!cache.valid || cache.revision != view.revision || cache.width != width) {
    const std::optional<std::string_view> word = view.table_mode ? table_word(view) : std::nullopt;
    if (word && (!cache.table || cache.table->headword != *word)) {
      cache.table = view.transducer ? build_inflection_table(*view.transducer, *word)
                                    : InflectionTable{std::string(*word), {}, {}};
    }
    cache.rows = word ? layout_table_rows(*cache.table, width) : layout_entry_rows(view, width);
    cache.revision = view.revision;
    cache.width = width;
    cache.valid = true;
  }
  return cache.rows;
}

}  // namespace pnt
