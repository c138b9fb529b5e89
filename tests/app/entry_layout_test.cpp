// Entry text layout: wrapping with a hanging indent, link spans, sources and the cache.
#include "app/entry_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/frame_util.h"

namespace pnt {
namespace {

using testing::fixture_view;
using testing::type;

std::vector<std::string> texts(const EntryRows& rows) {
  std::vector<std::string> out;
  for (const Line& line : rows.lines) {
    out.push_back(line.text());
  }
  return out;
}

constexpr Style PLAIN{};
constexpr Style UNDERLINED{Color::Default, ATTR_UNDERLINED};

TEST(WrapItem, WrapsAtTheWidthWithAHangingIndent) {
  const EntryRows rows = wrap_item("- ", "one two three four", {}, PLAIN, 10);
  EXPECT_EQ(texts(rows), (std::vector<std::string>{"- one two", "  three", "  four"}));
  ASSERT_EQ(rows.click_spans.size(), 3u);
  EXPECT_EQ(rows.lines[1].spans, (std::vector<Span>{{"  three", PLAIN}}));
}

TEST(WrapItem, ALongTokenStaysWholeOnItsOwnRow) {
  const EntryRows rows = wrap_item("- ", "a supercalifragilistic b", {}, PLAIN, 10);
  EXPECT_EQ(texts(rows), (std::vector<std::string>{"- a", "  supercalifragilistic", "  b"}));
}

TEST(WrapItem, AdjacentWordsOfOneTargetFormOneUnderlinedSpan) {
  const std::string text = "see olla olemassa now";
  const std::vector<Link> links{{"olla olemassa", 4, 8}, {"olla olemassa", 9, 17}};
  const EntryRows rows = wrap_item("- ", text, links, PLAIN, 40);
  ASSERT_EQ(rows.lines.size(), 1u);
  EXPECT_EQ(rows.lines[0].spans,
            (std::vector<Span>{{"- see ", PLAIN}, {"olla olemassa", UNDERLINED}, {" now", PLAIN}}));
  EXPECT_EQ(rows.click_spans[0], (std::vector<ClickSpan>{{6, 19, "olla olemassa"}}));
}

TEST(WrapItem, DifferentTargetsAndWrappedLinksGetTheirOwnSpans) {
  const std::string text = "talo house";
  const std::vector<Link> links{{"talo", 0, 4}, {"house", 5, 10}};
  const EntryRows same_row = wrap_item("- ", text, links, PLAIN, 40);
  EXPECT_EQ(same_row.click_spans[0], (std::vector<ClickSpan>{{2, 6, "talo"}, {7, 12, "house"}}));
  const EntryRows wrapped =
      wrap_item("- ", "talo talo", std::vector<Link>{{"talo", 0, 9}}, PLAIN, 8);
  EXPECT_EQ(texts(wrapped), (std::vector<std::string>{"- talo", "  talo"}));
  EXPECT_EQ(wrapped.click_spans[0], (std::vector<ClickSpan>{{2, 6, "talo"}}));
  EXPECT_EQ(wrapped.click_spans[1], (std::vector<ClickSpan>{{2, 6, "talo"}}));
}

TEST(WrapItem, WidthsCountCharactersNotBytes) {
  const EntryRows rows = wrap_item("- ", "äää ööö", std::vector<Link>{{"ööö", 7, 13}}, PLAIN, 9);
  EXPECT_EQ(texts(rows), (std::vector<std::string>{"- äää ööö"}));
  EXPECT_EQ(rows.click_spans[0], (std::vector<ClickSpan>{{6, 9, "ööö"}}));
}

TEST(LayoutEntryRows, PlaceholderFollowsTheQuery) {
  View view = fixture_view();
  EXPECT_EQ(texts(layout_entry_rows(view, 30)),
            (std::vector<std::string>{"(type to search, Tab to switch)"}));
  type(view, "zz");
  EXPECT_EQ(texts(layout_entry_rows(view, 30)), (std::vector<std::string>{"(no matches)"}));
  view.update(SetQuery{"talo"});
  view.clear_entry();
  EXPECT_EQ(texts(layout_entry_rows(view, 30)), (std::vector<std::string>{"(no entry)"}));
  EXPECT_EQ(layout_entry_rows(view, 30).lines[0].spans[0].style.fg, Color::DarkGray);
}

TEST(LayoutEntryRows, GroupsAreSeparatedAndEmptyPosHasNoHeading) {
  View view = fixture_view();
  view.entry_word = "sana";
  view.entry = Entry{{PosGroup{"adj", {"good"}}, PosGroup{"", {"bad"}}}};
  const EntryRows rows = layout_entry_rows(view, 30);
  EXPECT_EQ(texts(rows), (std::vector<std::string>{"sana", "", "(adj)", "- good", "", "- bad"}));
  EXPECT_EQ(rows.lines[0].spans[0].style, (Style{Color::Cyan, ATTR_BOLD}));
  EXPECT_EQ(rows.lines[2].spans[0].style, (Style{Color::Yellow, 0}));
}

TEST(LayoutEntryRows, ExpansionHeadingsMarkABaseWithAnExtraBlank) {
  View view = fixture_view();
  view.entry_word = "sana";
  Expansion child{"juko", std::nullopt, Entry{{PosGroup{"noun", {"yoke"}}}}, {}};
  Expansion with_base{"juoksin", "juosta", Entry{{PosGroup{"verb", {"to run"}}}}, {{child}}};
  view.entry = Entry{{PosGroup{"", {"x"}}}};
  view.expansions = {{with_base}};
  const EntryRows rows = layout_entry_rows(view, 40);
  EXPECT_EQ(texts(rows), (std::vector<std::string>{
                             "sana", "", "- x", "   ~> juoksin -> juosta (verb)", "      - to run",
                             "      ~> juko (noun)", "          - yoke"}));
  EXPECT_EQ(rows.lines[3].spans[0].style, (Style{Color::DarkGray, 0}));
  EXPECT_EQ(rows.lines[6].spans[0].style, (Style{Color::DarkGray, ATTR_DIM}));
}

TEST(EntryRowsFor, RebuildsOnlyForANewRevisionOrWidth) {
  View view = fixture_view();
  type(view, "talo");
  EntryRowCache cache;
  const EntryRows* first = &entry_rows_for(view, 30, cache);
  const std::size_t rows_at_30 = first->lines.size();
  view.entry_word = "changed behind the cache's back";
  EXPECT_EQ(entry_rows_for(view, 30, cache).lines[0].text(), "talo");
  EXPECT_GT(entry_rows_for(view, 12, cache).lines.size(), rows_at_30);
  EXPECT_EQ(cache.width, 12);
  view.update(ScrollEntry{1});  // any message bumps the revision
  EXPECT_EQ(entry_rows_for(view, 12, cache).lines[0].text(), "changed behind the cache's back");
}

}  // namespace
}  // namespace pnt
