// The event loop against a scripted terminal: when it draws, what it dispatches, how it ends.
#include "app/session.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "tests/app/frame_util.h"

namespace pnt {
namespace {

using testing::fixture_view;

// Plays back a list of poll results; each entry is an event, a timeout (nothing) or an error.
class ScriptedTerminal final : public Terminal {
 public:
  struct Step {
    std::optional<Event> event;
    bool error = false;
    std::optional<Rect> new_area;  // the terminal's size from this poll on
  };

  std::deque<Step> steps;
  std::vector<std::vector<std::string>> frames;  // every presented frame, as text rows
  std::vector<int> timeouts;
  Rect area{0, 0, 60, 12};
  bool fail_present = false;

  Rect size() override { return area; }
  Result<void> present(const CellBuffer& frame) override {
    if (fail_present) {
      return fail("writing to the terminal", Error("Broken pipe"));
    }
    frames.push_back(testing::rows_of(frame));
    return {};
  }
  Result<std::optional<Event>> poll_event(int timeout_ms) override {
    timeouts.push_back(timeout_ms);
    if (steps.empty()) {
      return fail("script ran out");
    }
    Step step = std::move(steps.front());
    steps.pop_front();
    if (step.new_area) {
      area = *step.new_area;
    }
    if (step.error) {
      return fail("reading from the terminal", Error("Input/output error"));
    }
    return step.event;
  }
};

ScriptedTerminal::Step step(std::optional<Event> event) {
  ScriptedTerminal::Step out;
  out.event = std::move(event);
  return out;
}
ScriptedTerminal::Step key(Key k, char32_t ch = 0, bool ctrl = false) {
  return step(Event{KeyEvent{.key = k, .ch = ch, .ctrl = ctrl}});
}
ScriptedTerminal::Step timeout() { return step(std::nullopt); }
ScriptedTerminal::Step io_error() {
  ScriptedTerminal::Step out;
  out.error = true;
  return out;
}

TEST(RunLoop, DrawsFirstThenOnlyAfterChanges) {
  View view = fixture_view();
  ScreenMap map;
  ScriptedTerminal terminal;
  terminal.steps = {timeout(),
                    timeout(),
                    key(Key::Char, U't'),
                    step(Event{MouseEvent{MouseKind::Move, MouseButton::None, 3, 3, 0}}),
                    key(Key::Other),
                    step(Event{FocusEvent{true}}),
                    key(Key::Char, U'a'),
                    key(Key::Esc)};
  ASSERT_TRUE(run_loop(terminal, view, map).has_value());
  // The first frame, then one per applied character; timeouts and ignored events draw nothing.
  ASSERT_EQ(terminal.frames.size(), 3u);
  EXPECT_TRUE(terminal.frames[1][1].starts_with("│> t ")) << terminal.frames[1][1];
  EXPECT_TRUE(terminal.frames[2][1].starts_with("│> ta ")) << terminal.frames[2][1];
  EXPECT_EQ(terminal.timeouts, std::vector<int>(8, 250));
  EXPECT_TRUE(terminal.steps.empty());
}

TEST(RunLoop, ResizeRedrawsAtTheNewSize) {
  View view = fixture_view();
  ScreenMap map;
  ScriptedTerminal terminal;
  ScriptedTerminal::Step resize = step(Event{ResizeEvent{}});
  resize.new_area = Rect{0, 0, 40, 8};
  terminal.steps = {resize, key(Key::Char, U'c', true)};
  ASSERT_TRUE(run_loop(terminal, view, map).has_value());
  ASSERT_EQ(terminal.frames.size(), 2u);
  EXPECT_EQ(terminal.frames[0].size(), 12u);
  EXPECT_EQ(terminal.frames[1].size(), 8u);
  EXPECT_EQ(map.frame_area, (Rect{0, 0, 40, 8}));
}

TEST(RunLoop, OverlayEatsTheFirstEscAndTheSecondQuits) {
  View view = fixture_view();
  ScreenMap map;
  ScriptedTerminal terminal;
  terminal.steps = {key(Key::Char, U'l', true), key(Key::Esc), key(Key::Esc)};
  ASSERT_TRUE(run_loop(terminal, view, map).has_value());
  EXPECT_EQ(terminal.frames.size(), 3u);
  EXPECT_EQ(view.doc, DOC_CLOSED);
}

TEST(RunLoop, TerminalErrorsEndTheLoop) {
  View view = fixture_view();
  ScreenMap map;
  ScriptedTerminal reading;
  reading.steps = {timeout(), io_error()};
  const Result<void> read_result = run_loop(reading, view, map);
  ASSERT_FALSE(read_result.has_value());
  EXPECT_EQ(format_report(read_result.error()),
            "Error: reading from the terminal\n\nCaused by:\n    Input/output error\n");

  ScriptedTerminal writing;
  writing.fail_present = true;
  const Result<void> write_result = run_loop(writing, view, map);
  ASSERT_FALSE(write_result.has_value());
  EXPECT_EQ(write_result.error().message(), "writing to the terminal");
  EXPECT_TRUE(writing.timeouts.empty());
}

}  // namespace
}  // namespace pnt
