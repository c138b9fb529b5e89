// The table mode's text: side by side where it fits, one cell a line where it does not, and the
// cache that builds a headword's table once.
#include "app/table_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/frame_util.h"

namespace pnt {
namespace {

using Texts = std::vector<std::string>;

Texts texts(const EntryRows& rows) {
  Texts out;
  for (const Line& line : rows.lines) {
    out.push_back(line.text());
  }
  return out;
}

TableCell cell(std::string label, std::vector<std::string> forms) {
  return TableCell{std::move(label), {}, std::move(forms)};
}

// A plural-only row and a cell of two variants, then a section of one column.
const InflectionTable TABLE{
    "talo",
    "nimisana",
    {TableSection{
         "cases",
         {"singular", "plural"},
         {TableRow{"nominative",
                   {cell("singular nominative", {"talo"}), cell("plural nominative", {"talot"})}},
          TableRow{"genitive",
                   {cell("singular genitive", {"talon"}),
                    cell("plural genitive", {"talojen", "taloiden"})}},
          TableRow{"instructive", {cell("plural instructive", {"taloin"})}}}},
     TableSection{"indicative present", {}, {TableRow{"passive", {cell("passive", {"ollaan"})}}}}},
};

TEST(LayoutTableRows, SideBySideWhereItFitsElseEachCellWithItsLabel) {
  struct Case {
    std::uint16_t width;
    Texts rows;
  };
  // clang-format off
  const Case cases[] = {
      {40, {"cases",
            "               singular  plural  ",
            "  nominative   talo      talot   ",
            "  genitive     talon     talojen ",
            "                         taloiden",
            "  instructive            taloin  ",
            "",
            "indicative present",
            "  passive  ollaan"}},
      {30, {"cases",
            "  singular nominative  talo",
            "  plural nominative    talot",
            "  singular genitive    talon",
            "  plural genitive",
            "    talojen, taloiden",
            "  plural instructive   taloin",
            "",
            "indicative present",
            "  passive  ollaan"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    const EntryRows rows = layout_table_rows(TABLE, c.width);
    EXPECT_EQ(texts(rows), c.rows);
    EXPECT_EQ(rows.click_spans.size(), rows.lines.size());
    EXPECT_EQ(rows.lines[0].spans[0].style, (Style{Color::Yellow, 0}));
  }
  EXPECT_EQ(texts(layout_table_rows(InflectionTable{"ja", {}, {}}, 40)), Texts{"(no forms of ja)"});
}

TEST(EntryRowsFor, TableModeBuildsEachHeadwordsTableOnceAndKeepsThePlaceholder) {
  View view = testing::fixture_view();
  view.update(ToggleTable{});
  EntryRowCache cache;
  EXPECT_EQ(texts(entry_rows_for(view, 30, cache)), Texts{"(type to search, Tab to switch)"});
  testing::type(view, "talo");
  EXPECT_EQ(texts(entry_rows_for(view, 30, cache)), Texts{"(no forms of talo)"});
  const InflectionTable* built = &*cache.table;
  view.update(ScrollEntry{1});
  (void)entry_rows_for(view, 30, cache);
  EXPECT_EQ(&*cache.table, built);
  EXPECT_EQ(cache.table->headword, "talo");
  view.update(Enter{});  // the kept entry's table
  EXPECT_EQ(texts(entry_rows_for(view, 30, cache)), Texts{"(no forms of talo)"});
  view.update(ToggleTable{});
  EXPECT_EQ(entry_rows_for(view, 30, cache).lines[0].text(), "talo");
}

TEST(LayoutEntryRows, ReadingLinesWrapAboveTheEntryAndMoveItsClickSpans) {
  View view = testing::fixture_view();
  testing::type(view, "talo");
  const EntryRows plain = layout_entry_rows(view, 30);
  view.reading_lines = {"talon: singular genitive (talo, noun)", "…"};
  const EntryRows rows = layout_entry_rows(view, 30);
  const Texts shown = texts(rows);
  EXPECT_EQ(Texts(shown.begin(), shown.begin() + 4),
            (Texts{"talon: singular genitive", "(talo, noun)", "…", "talo"}));
  EXPECT_EQ(rows.lines[0].spans.back().style, (Style{Color::DarkGray, 0}));
  ASSERT_EQ(rows.click_spans.size(), plain.click_spans.size() + 3);
  EXPECT_TRUE(
      std::equal(plain.click_spans.begin(), plain.click_spans.end(), rows.click_spans.begin() + 3));
}

}  // namespace
}  // namespace pnt
