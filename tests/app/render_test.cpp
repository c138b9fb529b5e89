// Golden frames: the fixture lexicon drawn into fixed-size buffers, compared row by row.
#include "app/render.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/widgets.h"
#include "core/legal.h"
#include "tests/app/frame_util.h"

namespace pnt {
namespace {

using testing::attrs_of;
using testing::colours_of;
using testing::fixture_view;
using testing::render;
using testing::rows_of;
using testing::type;

// clang-format off
static const std::vector<std::string> EMPTY_ROWS{
    "┌ pnt 132 ─────────────┐┌ entry (click here to fullscreen) ┐",
    "│>                     ││(type to search, Tab to switch)   │",
    "└──────────────────────┘│                                  │",
    "┌ matches ─────────────┐│                                  │",
    "│                      ││                                  │",
    "│                      ││                                  │",
    "└──────────────────────┘│                                  │",
    "┌ inflections ─────────┐│                                  │",
    "│                      ││                                  │",
    "└──────────────────────┘└──────────────────────────────────┘",
};
static const std::vector<std::string> EMPTY_COLOURS{
    "............................................................",
    ".........................ggggggggggggggggggggggggggggggg....",
    "............................................................",
    "cccccccccccccccccccccccc....................................",
    "c......................c....................................",
    "c......................c....................................",
    "cccccccccccccccccccccccc....................................",
    "gggggggggggggggggggggggg....................................",
    "g......................g....................................",
    "gggggggggggggggggggggggg....................................",
};
static const std::vector<std::string> EMPTY_ATTRS{
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
};
static const std::vector<std::string> TALO_ROWS{
    "┌ pohjantuulikko 132 · 248 ────┐┌ entry (ctrl+f or click here to fullscreen) ──┐",
    "│> talo                        ││talo                                          │",
    "└──────────────────────────────┘│                                              │",
    "┌ matches ─────────────────────┐│(noun)                                        │",
    "│> talo                        ││- building                                    │",
    "│  talo elää tavallaan, vieras ││- farm, homestead                             │",
    "│  taloa                       ││- house (building meant to serve as a human   │",
    "│  talohistoriikki             ││  abode)                                      │",
    "│  taloissa                    ││  ~> house (noun)                             │",
    "└──────────────────────────────┘│      - house music                           │",
    "┌ inflections ─────────────────┐│  ~> to (abbrev)                              │",
    "│> taloa  ~> talo              ││      - Thursday                              │",
    "│  taloissa  ~> talo           ││  ~> as (abbrev)                              │",
    "│  taloja  ~> talo             ││      - apartment                             │",
    "│  talon  ~> talo              ││                                              │",
    "└──────────────────────────────┘└──────────────────────────────────────────────┘",
};
static const std::vector<std::string> TALO_COLOURS{
    "................................................................................",
    ".................................cccc...........................................",
    "................................................................................",
    "cccccccccccccccccccccccccccccccc.yyyyyy.........................................",
    "c..............................c................................................",
    "c..............................c................................................",
    "c..............................c................................................",
    "c..............................c................................................",
    "c..............................c.ggggggggggggggggg..............................",
    "cccccccccccccccccccccccccccccccc.ggggggggggggggggggg............................",
    "gggggggggggggggggggggggggggggggg.gggggggggggggggg...............................",
    "g.......gggggcccc..............g.gggggggggggggggg...............................",
    "g..........gggggcccc...........g.gggggggggggggggg...............................",
    "g........gggggcccc.............g.ggggggggggggggggg..............................",
    "g.......gggggcccc..............g................................................",
    "gggggggggggggggggggggggggggggggg................................................",
};
static const std::vector<std::string> TALO_ATTRS{
    "................................................................................",
    ".................................bbbb...........................................",
    "................................................................................",
    "................................................................................",
    ".rrrrrrrrrrrrrrrrrrrrrrrrrrrrrr.................................................",
    "................................................................................",
    "...................................uuuuu.................uu.......uu............",
    "................................................................................",
    "................................................................................",
    "................................................................................",
    "................................................................................",
    "................................................................................",
    "................................................................................",
    "................................................................................",
    "................................................................................",
    "................................................................................",
};
static const std::vector<std::string> NESTED_ROWS{
    "┌ pnt 132 ─────────────┐┌ entry (click here to fullscreen) ┐",
    "│> juoksin             ││juoksin                           │",
    "└──────────────────────┘│                                  │",
    "┌ matches ─────────────┐│(verb)                            │",
    "│> juoksin             ││- first-person singular past      │",
    "│                      ││  indicative of juosta            │",
    "│                      ││  ~> juosta (verb)                │",
    "│                      ││      - to run                    │",
    "└──────────────────────┘│      ~> to (abbrev)              │",
    "┌ inflections ─────────┐│          - Thursday              │",
    "│> juoksin  ~> juosta  ││   ~> juosta -> juko (noun)       │",
    "│                      ││      - yoke (wooden bar)         │",
    "│                      ││                                  │",
    "└──────────────────────┘└──────────────────────────────────┘",
};
static const std::vector<std::string> NESTED_COLOURS{
    "............................................................",
    ".........................ccccccc............................",
    "............................................................",
    "cccccccccccccccccccccccc.yyyyyy.............................",
    "c......................c....................................",
    "c......................c....................................",
    "c......................c.gggggggggggggggggg.................",
    "c......................c.gggggggggggggg.....................",
    "cccccccccccccccccccccccc.gggggggggggggggggggg...............",
    "gggggggggggggggggggggggg.gggggggggggggggggggg...............",
    "g.........gggggcccccc..g.ggggggggggggggggggggggggggg........",
    "g......................g.ggggggggggggggggggggggggg..........",
    "g......................g....................................",
    "gggggggggggggggggggggggg....................................",
};
static const std::vector<std::string> NESTED_ATTRS{
    "............................................................",
    ".........................bbbbbbb............................",
    "............................................................",
    "............................................................",
    ".rrrrrrrrrrrrrrrrrrrrrr.....................................",
    ".........................................uuuuuu.............",
    "............................................................",
    "............................................................",
    ".........................dddddddddddddddddddd...............",
    ".........................dddddddddddddddddddd...............",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
};
static const std::vector<std::string> KEPT_ROWS{
    "┌ pnt 132 ─────────────┐┌ entry (click here to fullscreen) ┐",
    "│>                     ││talo                              │",
    "└──────────────────────┘│                                  │",
    "┌ matches ─────────────┐│(noun)                            │",
    "│                      ││- building                        │",
    "│                      ││- farm, homestead                 │",
    "└──────────────────────┘│- house (building meant to serve  │",
    "┌ inflections ─────────┐│  as a human abode)               │",
    "│                      ││  ~> house (noun)                 │",
    "└──────────────────────┘└──────────────────────────────────┘",
};
static const std::vector<std::string> KEPT_COLOURS{
    "............................................................",
    ".........................gggg...............................",
    "............................................................",
    "cccccccccccccccccccccccc.gggggg.............................",
    "c......................c.gggggggggg.........................",
    "c......................c.ggggggggggggggggg..................",
    "cccccccccccccccccccccccc.gggggggggggggggggggggggggggggggg...",
    "gggggggggggggggggggggggg.ggggggggggggggggggg................",
    "g......................g.ggggggggggggggggg..................",
    "gggggggggggggggggggggggg....................................",
};
static const std::vector<std::string> KEPT_ATTRS{
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
};
static const std::vector<std::string> FULL_ROWS{
    "┌ pohjantuulikko 132 · 248 · ctrl+l: legal ────────────────┐",
    "│> talo                                                    │",
    "└──────────────────────────────────────────────────────────┘",
    "┌ entry (ctrl+f, click here, enter, or type to return) ────┐",
    "│talo                                                      │",
    "│                                                          │",
    "│(noun)                                                    │",
    "│- building                                                │",
    "│- farm, homestead                                         │",
    "│- house (building meant to serve as a human abode)        │",
    "│  ~> house (noun)                                         │",
    "└──────────────────────────────────────────────────────────┘",
};
static const std::vector<std::string> FULL_COLOURS{
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    ".cccc.......................................................",
    "............................................................",
    ".yyyyyy.....................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    ".ggggggggggggggggg..........................................",
    "............................................................",
};
static const std::vector<std::string> FULL_ATTRS{
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    ".bbbb.......................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "............................................................",
    "...uuuuu.................uu.......uu........................",
    "............................................................",
    "............................................................",
};
static const std::vector<std::string> NO_MATCHES_ROWS{
    "┌ pnt 132 ─────┐┌ entry ───────────────┐",
    "│> xyz         ││(no matches)          │",
    "└──────────────┘│                      │",
    "┌ matches ─────┐│                      │",
    "└──────────────┘│                      │",
    "┌ inflections ─┐│                      │",
    "│              ││                      │",
    "└──────────────┘└──────────────────────┘",
};
static const std::vector<std::string> NO_MATCHES_COLOURS{
    "rrrrrrrrrrrrrrrr........................",
    "rrrrrr.........r.gggggggggggg...........",
    "rrrrrrrrrrrrrrrr........................",
    "cccccccccccccccc........................",
    "cccccccccccccccc........................",
    "gggggggggggggggg........................",
    "g..............g........................",
    "gggggggggggggggg........................",
};
static const std::vector<std::string> NO_MATCHES_ATTRS{
    "........................................",
    "........................................",
    "........................................",
    "........................................",
    "........................................",
    "........................................",
    "........................................",
    "........................................",
};
// clang-format on

TEST(RenderFrame, EmptyQueryShowsPlaceholderAndShortTitles) {
  View view = fixture_view();
  ScreenMap map;
  const CellBuffer frame = render(view, map, 60, 10);
  EXPECT_EQ(rows_of(frame), EMPTY_ROWS);
  EXPECT_EQ(colours_of(frame), EMPTY_COLOURS);
  EXPECT_EQ(map.frame_area, (Rect{0, 0, 60, 10}));
  EXPECT_EQ(map.matches_area, (Rect{0, 3, 24, 4}));
  EXPECT_EQ(map.entry_area, (Rect{24, 0, 36, 10}));
  EXPECT_EQ(map.infl_area, (Rect{0, 7, 24, 3}));
}

TEST(RenderFrame, EntryWithLinksExpansionsAndFocusedSelection) {
  View view = fixture_view();
  type(view, "talo");
  ScreenMap map;
  const CellBuffer frame = render(view, map, 80, 16);
  EXPECT_EQ(rows_of(frame), TALO_ROWS);
  EXPECT_EQ(colours_of(frame), TALO_COLOURS);
  EXPECT_EQ(attrs_of(frame), TALO_ATTRS);
}

TEST(RenderFrame, NestedExpansionsTwoLevelsDeep) {
  View view = fixture_view();
  type(view, "juoksin");
  ScreenMap map;
  const CellBuffer frame = render(view, map, 60, 14);
  EXPECT_EQ(rows_of(frame), NESTED_ROWS);
  EXPECT_EQ(colours_of(frame), NESTED_COLOURS);
  EXPECT_EQ(attrs_of(frame), NESTED_ATTRS);
}

TEST(RenderFrame, KeptEntryIsGreyWithoutLinks) {
  View view = fixture_view();
  type(view, "talo");
  view.update(Enter{});
  ScreenMap map;
  const CellBuffer frame = render(view, map, 60, 10);
  EXPECT_EQ(rows_of(frame), KEPT_ROWS);
  EXPECT_EQ(colours_of(frame), KEPT_COLOURS);
  EXPECT_EQ(attrs_of(frame), KEPT_ATTRS);
  for (const auto& spans : map.entry_rows.rows.click_spans) {
    EXPECT_TRUE(spans.empty());
  }
}

TEST(RenderFrame, FullscreenDrawsQueryBoxAndEntryOnly) {
  View view = fixture_view();
  type(view, "talo");
  view.update(ToggleFullscreen{});
  ScreenMap map;
  const CellBuffer frame = render(view, map, 60, 12);
  EXPECT_EQ(rows_of(frame), FULL_ROWS);
  EXPECT_EQ(map.matches_area, Rect{});
  EXPECT_FALSE(map.infl_area.has_value());
  EXPECT_EQ(map.entry_area, (Rect{0, 3, 60, 9}));
}

TEST(RenderFrame, NoResultsTurnsTheQueryBoxRed) {
  View view = fixture_view();
  type(view, "xyz");
  ScreenMap map;
  const CellBuffer frame = render(view, map, 40, 8);
  EXPECT_EQ(rows_of(frame), NO_MATCHES_ROWS);
  EXPECT_EQ(colours_of(frame), NO_MATCHES_COLOURS);
}

TEST(RenderFrame, OverlayCoversTheWholeFrameAndClampsItsScroll) {
  View view = fixture_view();
  type(view, "talo");
  view.update(ToggleDocuments{});
  view.update(ScrollEntry{30000});
  ScreenMap map;
  const CellBuffer frame = render(view, map, 60, 8);
  const std::vector<std::string> wrapped = wrap_document(DOCUMENTS[0].body, 58);
  ASSERT_GE(wrapped.size(), 6u);
  EXPECT_EQ(view.doc_scroll, wrapped.size() - 6);
  const std::string title = " " + std::string(DOCUMENTS[0].title) + "  ·  Tab  ·  Esc ";
  EXPECT_EQ(frame.row_text(0).substr(0, 3 + title.size()), "┌" + title);
  std::string bottom = "└";
  for (int i = 0; i < 58; ++i) {
    bottom += "─";
  }
  EXPECT_EQ(frame.row_text(7), bottom + "┘");
  // Only the overlay is drawn: no pane is there to be clicked.
  EXPECT_EQ(map.matches_area, Rect{});
  EXPECT_EQ(map.entry_area, Rect{});
  EXPECT_FALSE(map.infl_area.has_value());
  EXPECT_EQ(frame.row_text(6).find(wrapped.back()), 3u);
}

TEST(RenderFrame, EntryScrollIsPulledBackToTheContent) {
  View view = fixture_view();
  type(view, "talo");
  view.update(ScrollEntry{500});
  ScreenMap map;
  (void)render(view, map, 80, 16);
  const std::size_t rows = map.entry_rows.rows.lines.size();
  EXPECT_EQ(view.entry_scroll, rows > 14 ? rows - 14 : 0);
  (void)render(view, map, 80, 60);
  EXPECT_EQ(view.entry_scroll, 0);
}

TEST(RenderFrame, SelectedRowBelowTheWindowSitsOnTheLastRow) {
  View view = fixture_view();
  type(view, "kissa");
  view.update(SelectMatch{15});
  ScreenMap map;
  // 23 rows: 20 below the query box, 12 of them for matches, 10 inner rows.
  const CellBuffer frame = render(view, map, 60, 23);
  EXPECT_TRUE(frame.row_text(4).starts_with("│  kissa006  ")) << frame.row_text(4);
  EXPECT_TRUE(frame.row_text(13).starts_with("│> kissa015  ")) << frame.row_text(13);
  EXPECT_EQ(attrs_of(frame)[13].substr(0, 24), ".rrrrrrrrrrrrrrrrrrrrrr.");
  view.update(SelectMatch{14});
  const CellBuffer up = render(view, map, 60, 23);
  EXPECT_TRUE(up.row_text(4).starts_with("│  kissa005  ")) << up.row_text(4);
  EXPECT_TRUE(up.row_text(13).starts_with("│> kissa014  ")) << up.row_text(13);
}

TEST(RenderFrame, ControlCharactersNeverReachACell) {
  View view = fixture_view();
  type(view, "a\x1b[2Jb\x7f\u0085");
  ScreenMap map;
  const CellBuffer frame = render(view, map, 60, 10);
  EXPECT_TRUE(frame.row_text(1).starts_with("│> a\uFFFD[2Jb\uFFFD\uFFFD ")) << frame.row_text(1);
}

TEST(RenderFrame, TinyTerminalsDrawWithoutFaults) {
  View view = fixture_view();
  type(view, "talo");
  view.update(ScrollEntry{3});
  ScreenMap map;
  for (int mode = 0; mode < 3; ++mode) {
    if (mode == 1) {
      view.update(ToggleFullscreen{});
    }
    if (mode == 2) {
      view.update(ToggleDocuments{});
    }
    for (std::uint16_t width = 0; width < 8; ++width) {
      for (std::uint16_t height = 0; height < 8; ++height) {
        const CellBuffer frame = render(view, map, width, height);
        EXPECT_EQ(map.frame_area, (Rect{0, 0, width, height}));
      }
    }
  }
  // Under 2x2 the entry pane has no inside: its rows are laid out at width 0, one word a row.
  view.update(CloseDocuments{});
  (void)render(view, map, 1, 1);
  EXPECT_EQ(map.entry_rows.width, 0);
}

TEST(RenderFrame, TableModeTitleNamesTheHeadwordAndKeepsTheHint) {
  struct Case {
    bool fullscreen;
    std::uint16_t width;
    const char* title;
  };
  const Case cases[] = {
      {false, 80, " forms of talo (ctrl+t · click: fullscreen) "},
      {false, 60, " forms of talo "},
      {true, 42, " forms of talo (ctrl+t · click: return) "},
      {true, 41, " forms of talo "},
      {true, 16, " forms "},
  };
  View view = fixture_view();
  view.update(ToggleTable{});
  ScreenMap map;
  // Nothing shown: the placeholder under the entry's own title.
  EXPECT_NE(rows_of(render(view, map, 60, 10))[0].find("┌ entry (click here to fullscreen) ┐"),
            std::string::npos);
  type(view, "talo");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    view.fullscreen = c.fullscreen;
    const std::vector<std::string> rows = rows_of(render(view, map, c.width, 10));
    EXPECT_NE(rows[map.entry_area.y].find(std::string("┌") + c.title), std::string::npos);
    EXPECT_NE(rows[map.entry_area.y + 1].find("(no forms"), std::string::npos);
  }
}

TEST(PickTitle, FirstCandidateThatFitsElseTheLast) {
  const std::array<std::string, 2> matches{" matches (type to search, Tab to switch) ",
                                           " matches "};
  EXPECT_EQ(pick_title(matches, 42), " matches ");
  EXPECT_EQ(pick_title(matches, 43), matches[0]);
  EXPECT_EQ(pick_title(matches, 3), " matches ");
  // The middle dot counts as one character.
  const std::array<std::string, 2> dots{" a · b ", " c "};
  EXPECT_EQ(pick_title(dots, 9), " a · b ");
  EXPECT_EQ(pick_title(dots, 8), " c ");
}

TEST(DrawList, SelectionPastTheEndSelectsTheLastRow) {
  CellBuffer frame(12, 5);
  std::vector<Line> items;
  for (int i = 0; i < 5; ++i) {
    items.emplace_back("row" + std::to_string(i), Style{});
  }
  draw_list(frame, Rect{0, 0, 12, 5}, items, 9, "> ", std::nullopt);
  EXPECT_EQ(rows_of(frame),
            (std::vector<std::string>{"  row0      ", "  row1      ", "  row2      ",
                                      "  row3      ", "> row4      "}));
  CellBuffer empty(12, 2);
  draw_list(empty, Rect{0, 0, 12, 2}, {}, 0, "> ", ATTR_REVERSED);
  EXPECT_EQ(rows_of(empty), (std::vector<std::string>{"            ", "            "}));
}

TEST(DrawBlock, TitleIsCutBeforeTheCorner) {
  CellBuffer frame(8, 3);
  const Rect inner = draw_block(frame, Rect{0, 0, 8, 3}, " a long title ", Style{});
  EXPECT_EQ(inner, (Rect{1, 1, 6, 1}));
  EXPECT_EQ(rows_of(frame), (std::vector<std::string>{"┌ a lon┐", "│      │", "└──────┘"}));
}

}  // namespace
}  // namespace pnt
