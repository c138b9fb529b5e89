// Input mapping: the key table, clicks resolved through the last frame, drags and the wheel.
#include "app/input.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/widgets.h"
#include "tests/app/frame_util.h"

namespace pnt {
namespace {

using testing::describe;
using testing::fixture_view;
using testing::render;
using testing::type;

KeyEvent press(Key key, char32_t ch = 0, bool ctrl = false) {
  return {.key = key, .ch = ch, .ctrl = ctrl};
}

TEST(MapKey, Table) {
  struct Case {
    KeyEvent key;
    bool overlay_open;
    bool quit;
    std::optional<Message> message;
  };
  const std::vector<Case> cases{
      {press(Key::Char, U'a'), false, false, InsertChar{U'a'}},
      {press(Key::Char, U'ä'), true, false, InsertChar{U'ä'}},
      {press(Key::Char, U'c', true), false, true, std::nullopt},
      {press(Key::Char, U'c', true), true, false, CloseDocuments{}},
      {press(Key::Esc), false, true, std::nullopt},
      {press(Key::Esc), true, false, CloseDocuments{}},
      {press(Key::Char, U'f', true), false, false, ToggleFullscreen{}},
      {press(Key::Char, U'l', true), true, false, ToggleDocuments{}},
      {press(Key::Char, U'e', true), true, false, ToggleEnglish{}},
      {press(Key::Char, U'F', true), false, false, std::nullopt},
      {press(Key::Char, U'L', true), false, false, std::nullopt},
      {press(Key::Char, U'x', true), false, false, std::nullopt},
      {press(Key::Backspace), false, false, Backspace{}},
      {press(Key::Enter), false, false, Enter{}},
      {press(Key::Tab), true, false, ToggleFocus{}},
      {press(Key::Up), false, false, MoveSelection{-1}},
      {press(Key::Down), false, false, MoveSelection{1}},
      {press(Key::Up, 0, true), false, false, ScrollEntry{-1}},
      {press(Key::Down, 0, true), false, false, ScrollEntry{1}},
      // Shift, Alt and Meta leave Up and Down plain; Ctrl with any of them scrolls.
      {KeyEvent{.key = Key::Up, .shift = true}, false, false, MoveSelection{-1}},
      {KeyEvent{.key = Key::Down, .alt = true}, false, false, MoveSelection{1}},
      {KeyEvent{.key = Key::Up, .ctrl = true, .alt = true, .shift = true}, false, false,
       ScrollEntry{-1}},
      {press(Key::Other), false, false, std::nullopt},
      {press(Key::Char, U'o', true), false, false, HistoryBack{}},
      {press(Key::Char, U'n', true), false, false, HistoryForward{}},
      {press(Key::Char, U'u', true), false, false, ClearQuery{}},
      {press(Key::Char, U'w', true), true, false, DeleteWord{}},
      {KeyEvent{.key = Key::Left, .alt = true}, false, false, HistoryBack{}},
      {KeyEvent{.key = Key::Right, .ctrl = true, .alt = true}, false, false, HistoryForward{}},
      {press(Key::Left), false, false, std::nullopt},
      {press(Key::Right, 0, true), false, false, std::nullopt},
      {press(Key::Home), true, false, ScrollEntry{-65535}},
      {press(Key::End, 0, true), false, false, ScrollEntry{65535}},
      {KeyEvent{.key = Key::Char, .ch = U'a', .kind = KeyKind::Release}, false, false,
       std::nullopt},
      {KeyEvent{.key = Key::Esc, .kind = KeyKind::Repeat}, false, false, std::nullopt},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const KeyAction action = map_key(cases[i].key, cases[i].overlay_open);
    EXPECT_EQ(action.quit, cases[i].quit) << "case " << i;
    EXPECT_EQ(describe(action.message), describe(cases[i].message)) << "case " << i;
  }
}

TEST(InnerCell, InsideTheBorderOnly) {
  const Rect area{10, 5, 4, 3};
  EXPECT_EQ(inner_cell(area, 11, 6), (std::pair<std::uint16_t, std::uint16_t>{0, 0}));
  EXPECT_EQ(inner_cell(area, 12, 6), (std::pair<std::uint16_t, std::uint16_t>{1, 0}));
  EXPECT_FALSE(inner_cell(area, 10, 6));
  EXPECT_FALSE(inner_cell(area, 13, 6));
  EXPECT_FALSE(inner_cell(area, 11, 5));
  EXPECT_FALSE(inner_cell(area, 11, 7));
  EXPECT_FALSE(inner_cell(Rect{0, 0, 1, 5}, 0, 1));
  EXPECT_EQ(list_row_at(Rect{0, 0, 10, 6}, 3, 2, 2), 1u);
  EXPECT_FALSE(list_row_at(Rect{0, 0, 10, 6}, 3, 3, 2));
}

// A frame of the fixture lexicon with "talo" typed, 80x16: the matches pane is (0,3,32,7),
// the inflections pane (0,10,32,6) and the entry pane (32,0,48,16).
struct Screen {
  View view = fixture_view();
  ScreenMap map;

  explicit Screen(std::string_view query = "talo") {
    type(view, query);
    redraw();
  }
  void redraw() { (void)render(view, map, 80, 16); }
  Outcome click(std::uint16_t column, std::uint16_t row) {
    return dispatch(MouseEvent{MouseKind::Press, MouseButton::Left, column, row, 0}, view, map);
  }
};

TEST(HitTest, RowsLinksTitleAndFocus) {
  Screen screen;
  const View& view = screen.view;
  const ScreenMap& map = screen.map;
  EXPECT_EQ(describe(hit_test(map, view, 5, 5)), describe(SelectMatch{1}));
  EXPECT_EQ(describe(hit_test(map, view, 5, 11)), describe(SelectInflection{0}));
  // "- house (building meant to serve as a human" is entry line 5: "house" from column 2.
  EXPECT_EQ(describe(hit_test(map, view, 33 + 2, 1 + 5)), describe(SetQuery{"house"}));
  EXPECT_EQ(describe(hit_test(map, view, 33 + 6, 1 + 5)), describe(SetQuery{"house"}));
  EXPECT_EQ(describe(hit_test(map, view, 33 + 7, 1 + 5)), "none");  // the blank after the link
  EXPECT_EQ(describe(hit_test(map, view, 79, 0)), describe(ToggleFullscreen{}));
  EXPECT_EQ(describe(hit_test(map, view, 32, 0)), describe(ToggleFullscreen{}));
  EXPECT_EQ(describe(hit_test(map, view, 32, 5)), "none");   // the entry's side border
  EXPECT_EQ(describe(hit_test(map, view, 40, 15)), "none");  // the entry's bottom border
  EXPECT_EQ(describe(hit_test(map, view, 0, 4)), describe(SetFocus{false}));  // matches border
  EXPECT_EQ(describe(hit_test(map, view, 5, 9)),
            describe(SetFocus{false}));  // matches bottom border
  EXPECT_EQ(describe(hit_test(map, view, 5, 15)),
            describe(SetFocus{true}));                     // inflections bottom border
  EXPECT_EQ(describe(hit_test(map, view, 5, 1)), "none");  // query box
}

TEST(HitTest, ScrolledEntryShiftsTheLine) {
  Screen screen;
  screen.view.entry_scroll = 1;
  EXPECT_EQ(describe(hit_test(screen.map, screen.view, 35, 5)), describe(SetQuery{"house"}));
}

TEST(HitTest, AScrolledListSelectsTheItemDrawnUnderThePointer) {
  Screen screen("kissa");
  screen.view.update(SelectMatch{15});
  screen.redraw();
  // 7 rows for matches, 5 inner rows: items 11 to 15 are shown, 11 on the first inner row.
  EXPECT_EQ(describe(hit_test(screen.map, screen.view, 5, 4)), describe(SelectMatch{11}));
  EXPECT_EQ(describe(hit_test(screen.map, screen.view, 5, 8)), describe(SelectMatch{15}));
}

TEST(HitTest, EmptyRowBelowTheListFocusesIt) {
  Screen screen("hyvä");
  // One match, so the second inner row is empty.
  EXPECT_EQ(describe(hit_test(screen.map, screen.view, 5, 5)), describe(SetFocus{false}));
}

TEST(Dispatch, ClicksApplyTheirMessageAndAlwaysRedraw) {
  Screen screen;
  EXPECT_EQ(screen.click(5, 5), Outcome::Redraw);
  EXPECT_EQ(screen.view.match_sel, 1u);
  EXPECT_EQ(screen.click(5, 1), Outcome::Redraw);  // query box: nothing, still redrawn
  EXPECT_EQ(screen.click(33 + 2, 1 + 5), Outcome::Redraw);
  EXPECT_EQ(screen.view.query, "house");
}

TEST(Dispatch, LinkClickInFullscreenSearchesAndStaysFullscreen) {
  Screen screen;
  screen.view.update(ToggleFullscreen{});
  screen.redraw();
  // Fullscreen entry pane: (0,3,80,13); the "house" link on entry line 5.
  EXPECT_EQ(screen.click(1 + 2, 4 + 5), Outcome::Redraw);
  EXPECT_EQ(screen.view.query, "house");
  EXPECT_TRUE(screen.view.fullscreen);
  screen.redraw();
  EXPECT_EQ(screen.click(10, 3), Outcome::Redraw);
  EXPECT_FALSE(screen.view.fullscreen);
}

TEST(Dispatch, WheelScrollsAndOtherMouseEventsAreIgnored) {
  Screen screen;
  View& view = screen.view;
  EXPECT_EQ(
      dispatch(MouseEvent{MouseKind::WheelDown, MouseButton::None, 0, 0, 0}, view, screen.map),
      Outcome::Redraw);
  EXPECT_EQ(view.entry_scroll, 1);
  EXPECT_EQ(
      dispatch(MouseEvent{MouseKind::WheelUp, MouseButton::None, 70, 10, 0}, view, screen.map),
      Outcome::Redraw);
  EXPECT_EQ(view.entry_scroll, 0);
  const std::uint64_t revision = view.revision;
  for (const MouseEvent& ignored : {MouseEvent{MouseKind::Move, MouseButton::None, 5, 5, 0},
                                    MouseEvent{MouseKind::Press, MouseButton::Right, 5, 5, 0},
                                    MouseEvent{MouseKind::Drag, MouseButton::Middle, 5, 5, 0},
                                    MouseEvent{MouseKind::WheelLeft, MouseButton::None, 5, 5, 0},
                                    MouseEvent{MouseKind::Release, MouseButton::Left, 5, 5, 0},
                                    MouseEvent{MouseKind::Press, MouseButton::Other, 5, 5, 0},
                                    MouseEvent{MouseKind::Drag, MouseButton::Other, 5, 5, 0}}) {
    EXPECT_EQ(dispatch(ignored, view, screen.map), Outcome::Nothing);
  }
  EXPECT_EQ(dispatch(FocusEvent{true}, view, screen.map), Outcome::Nothing);
  EXPECT_EQ(dispatch(PasteEvent{"x"}, view, screen.map), Outcome::Nothing);
  EXPECT_EQ(dispatch(ResizeEvent{}, view, screen.map), Outcome::Redraw);
  EXPECT_EQ(view.revision, revision);
}

// Page keys scroll by the inner height of the pane last drawn less one: the entry's 14 rows,
// or the open document's; the side buttons go back and forward.
TEST(Dispatch, PageKeysFollowThePaneAndSideButtonsWalkTheHistory) {
  Screen screen;
  View& view = screen.view;
  const auto key = [&](Key k) { return dispatch(KeyEvent{.key = k}, view, screen.map); };
  EXPECT_EQ(key(Key::PageDown), Outcome::Redraw);
  EXPECT_EQ(key(Key::PageDown), Outcome::Redraw);
  EXPECT_EQ(view.entry_scroll, 26);
  EXPECT_EQ(key(Key::PageUp), Outcome::Redraw);
  EXPECT_EQ(view.entry_scroll, 13);
  view.update(ToggleDocuments{});
  screen.redraw();
  EXPECT_EQ(key(Key::PageDown), Outcome::Redraw);
  EXPECT_EQ(view.doc_scroll, 13);
  view.update(CloseDocuments{});

  view.update(SetQuery{"hyvä"});
  const auto side = [&](MouseButton button) {
    return dispatch(MouseEvent{MouseKind::Press, button, 5, 5, 0}, view, screen.map);
  };
  EXPECT_EQ(side(MouseButton::Back), Outcome::Redraw);
  EXPECT_EQ(view.query, "talo");
  EXPECT_EQ(view.entry_scroll, 13);
  EXPECT_EQ(side(MouseButton::Forward), Outcome::Redraw);
  EXPECT_EQ(view.query, "hyvä");
  EXPECT_EQ(dispatch(MouseEvent{MouseKind::Release, MouseButton::Back, 5, 5, 0}, view, screen.map),
            Outcome::Nothing);
}

TEST(Drag, SeparatorPressStartsADragThatFollowsThePointer) {
  Screen screen;
  View& view = screen.view;
  ScreenMap& map = screen.map;
  EXPECT_EQ(screen.click(31, 12), Outcome::Nothing);  // left column's right border
  EXPECT_EQ(map.drag, DRAG_VERTICAL);
  EXPECT_EQ(dispatch(MouseEvent{MouseKind::Drag, MouseButton::Left, 39, 12, 0}, view, map),
            Outcome::Redraw);
  EXPECT_EQ(view.layout.left_pct, 50);  // (39 + 1) * 100 / 80
  // Other buttons neither start, move nor end a drag.
  for (const MouseButton button : {MouseButton::Other, MouseButton::Right}) {
    for (const MouseKind kind : {MouseKind::Press, MouseKind::Drag, MouseKind::Release}) {
      EXPECT_EQ(dispatch(MouseEvent{kind, button, 45, 3, 0}, view, map), Outcome::Nothing);
    }
  }
  EXPECT_EQ(map.drag, DRAG_VERTICAL);
  EXPECT_EQ(view.layout.left_pct, 50);
  map.drag = DRAG_NONE;
  EXPECT_TRUE(begin_drag(map, view, 5, 9));  // the matches list's bottom border
  EXPECT_EQ(map.drag, DRAG_HORIZONTAL);
  EXPECT_FALSE(begin_drag(map, view, 5, 5));
  EXPECT_EQ(map.drag, DRAG_NONE);
  EXPECT_FALSE(continue_drag(map, view, 5, 12));
}

TEST(Drag, FullscreenNeverDrags) {
  Screen screen;
  screen.view.update(ToggleFullscreen{});
  screen.map.drag = DRAG_VERTICAL;
  EXPECT_FALSE(continue_drag(screen.map, screen.view, 40, 5));
  EXPECT_EQ(screen.map.drag, DRAG_NONE);
  EXPECT_FALSE(begin_drag(screen.map, screen.view, 31, 5));
}

TEST(Dispatch, OverlayClicksDoNothingButRedraw) {
  Screen screen;
  screen.view.update(ToggleDocuments{});
  screen.redraw();
  const std::uint64_t revision = screen.view.revision;
  EXPECT_EQ(screen.click(5, 5), Outcome::Redraw);
  EXPECT_EQ(screen.view.revision, revision);
  EXPECT_EQ(dispatch(KeyEvent{.key = Key::Esc}, screen.view, screen.map), Outcome::Redraw);
  EXPECT_EQ(screen.view.doc, DOC_CLOSED);
  EXPECT_EQ(dispatch(KeyEvent{.key = Key::Esc}, screen.view, screen.map), Outcome::Quit);
}

}  // namespace
}  // namespace pnt
