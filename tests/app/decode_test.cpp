// Decoding of terminal input: characters, control keys, Esc against Alt, escape sequences and
// SGR mouse reports.
#include "app/decode.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "base/utf8.h"

namespace pnt {
namespace {

using Kind = InputUnit::Kind;

// Units as the terminal library delivers them: the key sequences it knows arrive as one
// named unit, everything else as characters. `pending` records what was left unread.
struct Script {
  std::deque<InputUnit> units;
  std::vector<int> timeouts;

  NextUnit next() {
    return [this](int timeout) -> std::optional<InputUnit> {
      timeouts.push_back(timeout);
      if (units.empty()) {
        return std::nullopt;
      }
      InputUnit unit = units.front();
      units.pop_front();
      return unit;
    };
  }
};

InputUnit ch(char32_t c) { return {Kind::Char, c}; }
InputUnit key(Kind kind) { return {kind, 0}; }

std::deque<InputUnit> chars(std::string_view text) {
  std::deque<InputUnit> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    out.push_back(ch(decode_utf8(text, pos)));
  }
  return out;
}

std::optional<Event> decode(std::deque<InputUnit> units, Script* keep = nullptr) {
  Script local;
  Script& script = keep != nullptr ? *keep : local;
  script.units = std::move(units);
  const InputUnit first = script.units.front();
  script.units.pop_front();
  return decode_input(first, script.next());
}

Event press(Key k, char32_t c = 0, bool ctrl = false, bool alt = false) {
  return KeyEvent{.key = k, .ch = c, .ctrl = ctrl, .alt = alt};
}

TEST(DecodeInput, KeysAndCharacters) {
  struct Case {
    std::deque<InputUnit> units;
    Event expected;
  };
  const std::vector<Case> cases{
      {chars("a"), press(Key::Char, U'a')},
      {chars("ä"), press(Key::Char, U'ä')},
      {chars("F"), press(Key::Char, U'F')},
      {{ch(6)}, press(Key::Char, U'f', true)},
      {{ch(12)}, press(Key::Char, U'l', true)},
      {{ch(3)}, press(Key::Char, U'c', true)},
      {{ch(13)}, press(Key::Enter)},
      {{ch(10)}, press(Key::Enter)},
      {{key(Kind::Enter)}, press(Key::Enter)},
      {{ch(9)}, press(Key::Tab)},
      {{ch(127)}, press(Key::Backspace)},
      {{ch(8)}, press(Key::Backspace)},
      {{key(Kind::Backspace)}, press(Key::Backspace)},
      {{key(Kind::Up)}, press(Key::Up)},
      {{key(Kind::Down)}, press(Key::Down)},
      {{key(Kind::CtrlUp)}, press(Key::Up, 0, true)},
      {{key(Kind::CtrlDown)}, press(Key::Down, 0, true)},
      {{key(Kind::OtherKey)}, press(Key::Other)},
      {{ch(0x85)}, press(Key::Other)},
      {{key(Kind::Resize)}, ResizeEvent{}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decode(c.units), c.expected) << "first unit " << static_cast<int>(c.units[0].ch);
  }
}

TEST(DecodeInput, LoneEscIsEscAfterAZeroTimeoutPeek) {
  Script script;
  EXPECT_EQ(decode({ch(27)}, &script), press(Key::Esc));
  EXPECT_EQ(script.timeouts, std::vector<int>{0});
}

TEST(DecodeInput, EscFollowedAtOnceByAKeyIsAlt) {
  EXPECT_EQ(decode({ch(27), ch(U'x')}), press(Key::Char, U'x', false, true));
  EXPECT_EQ(decode({ch(27), ch(6)}), press(Key::Char, U'f', true, true));
}

TEST(DecodeInput, TwoEscsAreTwoPresses) {
  Script script;
  script.units = {ch(27), ch(27)};
  std::optional<InputUnit> unread;
  const InputUnit first = script.units.front();
  script.units.pop_front();
  EXPECT_EQ(decode_input(first, script.next(), &unread), press(Key::Esc));
  EXPECT_EQ(unread, ch(27));
}

TEST(DecodeInput, UnknownEscapeSequencesAreSwallowedWhole) {
  Script script;
  EXPECT_EQ(decode(chars("\x1b[1;5Cz"), &script), press(Key::Other));
  ASSERT_EQ(script.units.size(), 1u);  // "z" is the next key, not part of the sequence
  EXPECT_EQ(script.units.front(), ch(U'z'));
  EXPECT_EQ(decode(chars("\x1bOPz"), &script), press(Key::Other));
  EXPECT_EQ(script.units.size(), 1u);
}

TEST(DecodeInput, SgrMouseReports) {
  struct Case {
    std::string body;
    std::optional<MouseEvent> expected;
  };
  using MK = MouseKind;
  using MB = MouseButton;
  const std::vector<Case> cases{
      {"0;10;5M", MouseEvent{MK::Press, MB::Left, 9, 4, 0}},
      {"0;10;5m", MouseEvent{MK::Release, MB::Left, 9, 4, 0}},
      {"2;1;1M", MouseEvent{MK::Press, MB::Right, 0, 0, 0}},
      {"1;1;1M", MouseEvent{MK::Press, MB::Middle, 0, 0, 0}},
      {"32;12;5M", MouseEvent{MK::Drag, MB::Left, 11, 4, 0}},
      {"35;15;6M", MouseEvent{MK::Move, MB::None, 14, 5, 0}},
      {"64;10;5M", MouseEvent{MK::WheelUp, MB::None, 9, 4, 0}},
      {"65;10;5M", MouseEvent{MK::WheelDown, MB::None, 9, 4, 0}},
      {"66;10;5M", MouseEvent{MK::WheelLeft, MB::None, 9, 4, 0}},
      {"67;10;5M", MouseEvent{MK::WheelRight, MB::None, 9, 4, 0}},
      {"16;3;4M", MouseEvent{MK::Press, MB::Left, 2, 3, 16}},
      {"0;70000;2M", MouseEvent{MK::Press, MB::Left, 65535, 1, 0}},
      {"0;10M", std::nullopt},
      {"0;;5M", std::nullopt},
      {"0;1;2;3M", std::nullopt},
      {"a;1;2M", std::nullopt},
  };
  for (const Case& c : cases) {
    std::deque<InputUnit> units = chars(c.body);
    units.push_front(key(Kind::MousePrefix));
    const std::optional<Event> event = decode(units);
    if (!c.expected) {
      EXPECT_FALSE(event.has_value()) << c.body;
      continue;
    }
    ASSERT_TRUE(event.has_value()) << c.body;
    EXPECT_EQ(*event, Event{*c.expected}) << c.body;
  }
}

TEST(DecodeInput, LegacyMouseReports) {
  const auto legacy = [](char32_t b, char32_t x, char32_t y) {
    return decode({key(Kind::LegacyMousePrefix), ch(b), ch(x), ch(y)});
  };
  EXPECT_EQ(legacy(32, 33 + 9, 33 + 4),
            Event{(MouseEvent{MouseKind::Press, MouseButton::Left, 9, 4, 0})});
  EXPECT_EQ(legacy(35, 34, 34),
            Event{(MouseEvent{MouseKind::Release, MouseButton::None, 1, 1, 0})});
  EXPECT_EQ(legacy(96 + 1, 40, 40),
            Event{(MouseEvent{MouseKind::WheelDown, MouseButton::None, 7, 7, 0})});
  EXPECT_FALSE(legacy(31, 40, 40).has_value());
  EXPECT_FALSE(decode({key(Kind::LegacyMousePrefix), ch(32)}).has_value());
}

TEST(DecodeInput, TruncatedMouseReportGivesNoEvent) {
  Script script;
  EXPECT_FALSE(decode({key(Kind::MousePrefix), ch(U'0'), ch(U';')}, &script).has_value());
  EXPECT_EQ(script.timeouts.back(), REPORT_TIMEOUT_MS);
}

}  // namespace
}  // namespace pnt
