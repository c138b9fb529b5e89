// Decoding of raw terminal input: characters, control keys, Esc against Alt, escape sequences,
// both mouse report formats, invalid UTF-8 and time-outs.
#include "app/decode.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace pnt {
namespace {

using Events = std::vector<Event>;
using MK = MouseKind;
using MB = MouseButton;

std::string describe(const Event& event) {
  std::ostringstream out;
  if (const auto* key = std::get_if<KeyEvent>(&event)) {
    out << "key " << static_cast<int>(key->key) << " U+" << std::hex
        << static_cast<std::uint32_t>(key->ch) << std::dec << (key->ctrl ? " ctrl" : "")
        << (key->alt ? " alt" : "") << (key->shift ? " shift" : "");
  } else if (const auto* mouse = std::get_if<MouseEvent>(&event)) {
    out << "mouse " << static_cast<int>(mouse->kind) << " button "
        << static_cast<int>(mouse->button) << " at " << mouse->column << "," << mouse->row
        << " mods " << static_cast<int>(mouse->modifiers);
  } else {
    out << "other event " << event.index();
  }
  return out.str();
}

std::string describe(const Events& events) {
  std::string out;
  for (const Event& event : events) {
    out += describe(event) + "; ";
  }
  return out;
}

// Feeds each chunk in turn, with a time-out after every chunk but the last; the events so far.
Events feed(InputDecoder& decoder, const std::vector<std::string_view>& chunks) {
  Events out;
  std::size_t left = chunks.size();
  for (const std::string_view chunk : chunks) {
    decoder.feed(std::span(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()), out);
    if (--left > 0) {
      decoder.time_out(out);
    }
  }
  return out;
}

// All events of the bytes, the held ones finished by a time-out.
Events decode(std::string_view bytes) {
  InputDecoder decoder;
  Events out = feed(decoder, {bytes});
  decoder.time_out(out);
  return out;
}

Event press(Key k, char32_t c = 0, bool ctrl = false, bool alt = false, bool shift = false) {
  return KeyEvent{.key = k, .ch = c, .ctrl = ctrl, .alt = alt, .shift = shift};
}

Event mouse(MK kind, MB button, std::uint16_t column, std::uint16_t row, std::uint8_t mods = 0) {
  return MouseEvent{kind, button, column, row, mods};
}

TEST(InputDecoder, KeysAndCharacters) {
  struct Case {
    std::string_view bytes;
    Event expected;
  };
  const std::vector<Case> cases{
      {"a", press(Key::Char, U'a')},
      {"ä", press(Key::Char, U'ä')},
      {"F", press(Key::Char, U'F')},
      {"\x06", press(Key::Char, U'f', true)},
      {"\x0c", press(Key::Char, U'l', true)},
      {"\x03", press(Key::Char, U'c', true)},
      {"\r", press(Key::Enter)},
      {"\n", press(Key::Enter)},
      {"\x1bOM", press(Key::Enter)},  // the keypad's Enter
      {"\t", press(Key::Tab)},
      {"\x7f", press(Key::Backspace)},
      {"\x08", press(Key::Backspace)},
      {"\x1b[A", press(Key::Up)},
      {"\x1b[B", press(Key::Down)},
      {"\x1b[1;5A", press(Key::Up, 0, true)},
      {"\x1b[1;5B", press(Key::Down, 0, true)},
      {"\x1b[15~", press(Key::Other)},
      {"\xc2\x85", press(Key::Other)},  // a C1 control character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(describe(decode(c.bytes)), describe(Events{c.expected})) << c.bytes;
  }
}

// Alt+Left and Alt+Right as xterm (Alt, or Meta with altIsNotMeta), tmux and screen pass them
// on, and rxvt and tmux without xterm-keys (one more Esc); Home, End and the page keys as xterm
// (normal and application cursor mode), the Linux console, tmux, screen and rxvt send them.
TEST(InputDecoder, NavigationKeysInTheFormsTerminalsSend) {
  struct Case {
    std::string_view bytes;
    Event expected;
  };
  const auto with = [](Key k, bool ctrl, bool alt, bool shift) {
    return press(k, 0, ctrl, alt, shift);
  };
  const std::vector<Case> cases{
      {"\x1b[D", press(Key::Left)},
      {"\x1bOC", press(Key::Right)},
      {"\x1b[1;3D", with(Key::Left, false, true, false)},
      {"\x1b[1;3C", with(Key::Right, false, true, false)},
      {"\x1b[1;9D", with(Key::Left, false, true, false)},
      {"\x1b[1;7C", with(Key::Right, true, true, false)},
      {"\x1b\x1b[D", with(Key::Left, false, true, false)},
      {"\x1b\x1bOC", with(Key::Right, false, true, false)},
      {"\x1b\x1bOc", with(Key::Right, true, true, false)},
      {"\x1b[H", press(Key::Home)},
      {"\x1b[F", press(Key::End)},
      {"\x1bOH", press(Key::Home)},
      {"\x1bOF", press(Key::End)},
      {"\x1b[1~", press(Key::Home)},
      {"\x1b[4~", press(Key::End)},
      {"\x1b[7~", press(Key::Home)},
      {"\x1b[8~", press(Key::End)},
      {"\x1b[1;5H", with(Key::Home, true, false, false)},
      {"\x1b[5~", press(Key::PageUp)},
      {"\x1b[6~", press(Key::PageDown)},
      {"\x1b[5;5~", with(Key::PageUp, true, false, false)},
      {"\x1b[6;2~", with(Key::PageDown, false, false, true)},
      {"\x1b[5^", with(Key::PageUp, true, false, false)},
      {"\x1b[8@", with(Key::End, true, false, true)},
      {"\x1b\x1b[5~", with(Key::PageUp, false, true, false)},
      {"\x0f", press(Key::Char, U'o', true)},
      {"\x0e", press(Key::Char, U'n', true)},
      {"\x15", press(Key::Char, U'u', true)},
      {"\x17", press(Key::Char, U'w', true)},
      // Near misses stay unknown.
      {"\x1b[2~", press(Key::Other)},
      {"\x1b[5;1~", press(Key::Other)},
      {"\x1b[5;5^", press(Key::Other)},
      {"\x1b[;5~", press(Key::Other)},
      {"\x1b[2;3D", press(Key::Other)},
      {"\x1b[1d", press(Key::Other)},
      {"\x1b[d", press(Key::Other)},  // rxvt's Shift+Left, and Ctrl+Right, have no use here
      {"\x1bOc", press(Key::Other)},
      {"\x1b[1;6D", press(Key::Other)},
      {"\x1bO5~", press(Key::Other)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(describe(decode(c.bytes)), describe(Events{c.expected})) << c.bytes;
  }
}

TEST(InputDecoder, LoneEscIsEscAfterTheTimeout) {
  InputDecoder decoder;
  Events out = feed(decoder, {"\x1b"});
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(decoder.pending());
  EXPECT_EQ(decoder.timeout_ms(), InputDecoder::ESC_TIMEOUT_MS);
  decoder.time_out(out);
  EXPECT_EQ(out, Events{press(Key::Esc)});
  EXPECT_FALSE(decoder.pending());
}

TEST(InputDecoder, EscFollowedAtOnceByAKeyIsAlt) {
  EXPECT_EQ(decode("\x1bx"), Events{press(Key::Char, U'x', false, true)});
  EXPECT_EQ(decode("\x1b\x06"), Events{press(Key::Char, U'f', true, true)});
}

TEST(InputDecoder, TwoEscsAreTwoPresses) {
  InputDecoder decoder;
  Events out = feed(decoder, {"\x1b\x1b"});
  EXPECT_TRUE(out.empty());
  decoder.time_out(out);
  EXPECT_EQ(out, (Events{press(Key::Esc), press(Key::Esc)}));
}

TEST(InputDecoder, UnknownEscapeSequencesAreSwallowedWhole) {
  EXPECT_EQ(decode("\x1b[1;5Cz"), (Events{press(Key::Other), press(Key::Char, U'z')}));
  EXPECT_EQ(decode("\x1bOPz"), (Events{press(Key::Other), press(Key::Char, U'z')}));
}

TEST(InputDecoder, SgrMouseReports) {
  struct Case {
    std::string body;
    std::optional<Event> expected;
  };
  const std::vector<Case> cases{
      {"0;10;5M", mouse(MK::Press, MB::Left, 9, 4)},
      {"0;10;5m", mouse(MK::Release, MB::Left, 9, 4)},
      {"2;1;1M", mouse(MK::Press, MB::Right, 0, 0)},
      {"1;1;1M", mouse(MK::Press, MB::Middle, 0, 0)},
      {"32;12;5M", mouse(MK::Drag, MB::Left, 11, 4)},
      {"35;15;6M", mouse(MK::Move, MB::None, 14, 5)},
      {"64;10;5M", mouse(MK::WheelUp, MB::None, 9, 4)},
      {"65;10;5M", mouse(MK::WheelDown, MB::None, 9, 4)},
      {"66;10;5M", mouse(MK::WheelLeft, MB::None, 9, 4)},
      {"67;10;5M", mouse(MK::WheelRight, MB::None, 9, 4)},
      {"16;3;4M", mouse(MK::Press, MB::Left, 2, 3, 16)},
      {"0;70000;2M", mouse(MK::Press, MB::Left, 65535, 1)},
      {"0;10M", std::nullopt},
      {"0;;5M", std::nullopt},
      {"0;1;2;3M", std::nullopt},
      {"a;1;2M", std::nullopt},
  };
  for (const Case& c : cases) {
    const Events expected = c.expected ? Events{*c.expected} : Events{};
    EXPECT_EQ(describe(decode("\x1b[<" + c.body)), describe(expected)) << c.body;
  }
}

TEST(InputDecoder, LegacyMouseReports) {
  const auto legacy = [](char b, char x, char y) {
    return decode(std::string("\x1b[M") + b + x + y);
  };
  EXPECT_EQ(legacy(32, 33 + 9, 33 + 4), Events{mouse(MK::Press, MB::Left, 9, 4)});
  EXPECT_EQ(legacy(35, 34, 34), Events{mouse(MK::Release, MB::None, 1, 1)});
  EXPECT_EQ(legacy(96 + 1, 40, 40), Events{mouse(MK::WheelDown, MB::None, 7, 7)});
  EXPECT_EQ(legacy(31, 40, 40), Events{});
  EXPECT_EQ(decode("\x1b[M "), Events{});
}

TEST(InputDecoder, TruncatedMouseReportGivesNoEvent) {
  InputDecoder decoder;
  Events out = feed(decoder, {"\x1b[<0;"});
  EXPECT_EQ(decoder.timeout_ms(), InputDecoder::SEQUENCE_TIMEOUT_MS);
  decoder.time_out(out);
  EXPECT_EQ(out, Events{});
}

// Chunks are fed with a time-out between them; `held` are the events still waiting for a
// final time-out after the last chunk.
TEST(InputDecoder, FormsModifiersButtonsInvalidUtf8AndTimeouts) {
  struct Case {
    std::vector<std::string_view> chunks;
    Events fed;
    Events held;
  };
  const Event up = press(Key::Up);
  const Event down = press(Key::Down);
  const Event esc = press(Key::Esc);
  const Event bad = press(Key::Char, U'\uFFFD');
  const auto ch = [](char32_t c) { return press(Key::Char, c); };
  const std::vector<Case> cases{
      // Up and Down in every form, with and without modifiers.
      {{"\x1bOA\x1bOB"}, {up, down}, {}},
      {{"\x1b[1;2A"}, {press(Key::Up, 0, false, false, true)}, {}},
      {{"\x1b[1;3B"}, {press(Key::Down, 0, false, true)}, {}},
      {{"\x1b[1;9A"}, {press(Key::Up, 0, false, true)}, {}},  // Meta
      {{"\x1b[1;8A"}, {press(Key::Up, 0, true, true, true)}, {}},
      {{"\x1b[1;16B"}, {press(Key::Down, 0, true, true, true)}, {}},
      {{"\x1b[1;17A\x1b[1;1A\x1b[2;5A\x1b[1;05"},
       {press(Key::Other), press(Key::Other), press(Key::Other)},
       {press(Key::Other)}},
      {{"\x1b\x1b[A"}, {press(Key::Up, 0, false, true)}, {}},
      {{"\x1b\x1bOB"}, {press(Key::Down, 0, false, true)}, {}},
      {{"\x1b\x1b[1;5A"}, {press(Key::Up, 0, true, true)}, {}},
      {{"\x1b[a\x1b[b"},
       {press(Key::Up, 0, false, false, true), press(Key::Down, 0, false, false, true)},
       {}},
      {{"\x1bOa\x1bOb"}, {press(Key::Up, 0, true), press(Key::Down, 0, true)}, {}},
      // A sequence cut by the time-out is swallowed; Esc Esc before a report is a press.
      {{"\x1b[1;", "x"}, {press(Key::Other), ch(U'x')}, {}},
      {{"\x1b\x1b", "x"}, {esc, esc, ch(U'x')}, {}},
      {{"\x1b", "\x1b[A"}, {esc, up}, {}},
      {{"\x1b\x1b\x1b[B"}, {esc, press(Key::Down, 0, false, true)}, {}},
      {{"\x1b\x1b[<0;1;1M"}, {esc, mouse(MK::Press, MB::Left, 0, 0)}, {}},
      {{"\x1b[", "A"}, {press(Key::Other), ch(U'A')}, {}},
      // A control byte ends a sequence early and counts on its own.
      {{"\x1b[1\r"}, {press(Key::Other), press(Key::Enter)}, {}},
      {{"\x1b[<0;1\x1b[A"}, {up}, {}},
      // An over-long sequence is dropped up to its final byte.
      {{std::string_view("\x1b[11111111111111111111111111111111111111111111111Az")},
       {press(Key::Other), ch(U'z')},
       {}},
      // Extra buttons, their drags and releases, in both formats: 8 and 9 are back and forward.
      {{"\x1b[<128;2;3M\x1b[<160;2;3M\x1b[<131;2;3m"},
       {mouse(MK::Press, MB::Back, 1, 2), mouse(MK::Drag, MB::Back, 1, 2),
        mouse(MK::Release, MB::Other, 1, 2)},
       {}},
      {{"\x1b[<129;2;3M\x1b[<129;2;3m\x1b[<130;2;3M"},
       {mouse(MK::Press, MB::Forward, 1, 2), mouse(MK::Release, MB::Forward, 1, 2),
        mouse(MK::Press, MB::Other, 1, 2)},
       {}},
      {{"\x1b[M\xa0\x22\x23\x1b[M\xc1\x22\x23\x1b[M\xa2\x22\x23"},
       {mouse(MK::Press, MB::Back, 1, 2), mouse(MK::Drag, MB::Forward, 1, 2),
        mouse(MK::Press, MB::Other, 1, 2)},
       {}},
      {{"\x1b[M\xff\xff\xff"}, {mouse(MK::Press, MB::Other, 222, 222, 28)}, {}},
      // Invalid UTF-8: one U+FFFD per sequence, never taking the byte after it.
      {{"ab\xc3\x1b"}, {ch(U'a'), ch(U'b'), bad}, {esc}},
      {{"\xc3", "\xa4"}, {bad, bad}, {}},
      {{"\xc3\xa4\xe2\x82\xac\xf0\x9f\x98\x80"}, {ch(U'ä'), ch(U'€'), ch(U'\U0001F600')}, {}},
      {{"\xe2\x82"}, {}, {bad}},
      {{"\x80\xbf\xc0\xaf\xf5"}, {bad, bad, bad, bad, bad}, {}},
      {{"\xed\xa0\x80"}, {bad, bad, bad}, {}},           // a surrogate
      {{"\xf4\x90\x80\x80"}, {bad, bad, bad, bad}, {}},  // past U+10FFFF
      {{"\xe0\x80x"}, {bad, bad, ch(U'x')}, {}},         // overlong
      {{"\xf0\x9f\x98x"}, {bad, ch(U'x')}, {}},
      {{"\x1b\xc3\xa4"}, {press(Key::Char, U'ä', false, true)}, {}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    InputDecoder decoder;
    const Events fed = feed(decoder, cases[i].chunks);
    EXPECT_EQ(describe(fed), describe(cases[i].fed)) << "case " << i;
    Events held;
    decoder.time_out(held);
    EXPECT_EQ(describe(held), describe(cases[i].held)) << "case " << i;
    EXPECT_FALSE(decoder.pending()) << "case " << i;
  }
}

TEST(InputDecoder, HoldsNoMoreThanItsBound) {
  InputDecoder decoder;
  const std::string report = "\x1b[<" + std::string(10'000, '1');
  EXPECT_EQ(feed(decoder, {report}), Events{});
  EXPECT_LT(decoder.held(), InputDecoder::MAX_PENDING);
  const Events out = feed(decoder, {";1;1Mq"});
  EXPECT_EQ(out, Events{press(Key::Char, U'q')});
}

}  // namespace
}  // namespace pnt
