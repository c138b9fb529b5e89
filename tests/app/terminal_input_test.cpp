// The Esc clock: held bytes wait their time-out, counted from the last bytes, on a stepped clock.
#include "app/terminal_input.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string_view>
#include <vector>

namespace pnt {
namespace {

using Clock = ClockedDecoder::Clock;
using std::chrono::milliseconds;

// Bytes arriving at a time; no bytes: only the clock moves on.
struct Step {
  int at_ms;
  std::string_view bytes;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
  std::vector<Event> expected;
};

TEST(ClockedDecoder, HeldBytesWaitTheirTimeOutFromTheLastBytes) {
  const KeyEvent esc{.key = Key::Esc};
  const KeyEvent alt_x{.key = Key::Char, .ch = U'x', .alt = true};
  const KeyEvent cut_sequence{.key = Key::Other};
  const std::vector<Case> cases = {
      {"lone Esc at 24 ms", {{0, "\x1b"}, {24, ""}}, {}},
      {"lone Esc at 26 ms", {{0, "\x1b"}, {26, ""}}, {esc}},
      {"key within the time-out", {{0, "\x1b"}, {24, "x"}, {100, ""}}, {alt_x}},
      {"sequence clock restarts", {{0, "\x1b"}, {20, "["}, {69, ""}}, {}},
      {"sequence times out", {{0, "\x1b"}, {20, "["}, {71, ""}}, {cut_sequence}},
      {"nothing held", {{0, "a"}, {1000, ""}}, {KeyEvent{.key = Key::Char, .ch = U'a'}}},
  };
  const Clock::time_point start{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClockedDecoder decoder;
    std::vector<Event> events;
    for (const Step& step : c.steps) {
      const Clock::time_point now = start + milliseconds(step.at_ms);
      if (step.bytes.empty()) {
        (void)decoder.expire(now);
      } else {
        decoder.feed(
            std::span(reinterpret_cast<const std::uint8_t*>(step.bytes.data()), step.bytes.size()),
            now);
      }
      while (std::optional<Event> event = decoder.next()) {
        events.push_back(*event);
      }
    }
    EXPECT_EQ(events, c.expected);
  }
}

TEST(ClockedDecoder, DeadlineOnlyWhileBytesAreHeld) {
  ClockedDecoder decoder;
  const Clock::time_point start{};
  EXPECT_EQ(decoder.deadline(), std::nullopt);
  const std::uint8_t esc = 0x1b;
  decoder.feed(std::span(&esc, 1), start);
  EXPECT_EQ(decoder.deadline(), start + milliseconds(InputDecoder::ESC_TIMEOUT_MS));
  EXPECT_TRUE(decoder.expire(start + milliseconds(InputDecoder::ESC_TIMEOUT_MS)));
  EXPECT_EQ(decoder.deadline(), std::nullopt);
}

}  // namespace
}  // namespace pnt
