// Any bytes with time-outs anywhere: the input decoder never crashes, never holds more than its
// bound, gives only well-formed events, and gives the same events however the bytes are split.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "app/decode.h"

namespace {

using pnt::Event;

bool valid_key(const pnt::KeyEvent& key) {
  if (key.kind != pnt::KeyKind::Press) {
    return false;
  }
  if (key.key != pnt::Key::Char) {
    // Only the keys of escape sequences (the arrows to Page Down) carry Shift.
    const bool sequence_key = key.key >= pnt::Key::Up && key.key <= pnt::Key::PageDown;
    return key.ch == 0 && (!key.shift || sequence_key);
  }
  const char32_t c = key.ch;
  if (key.shift || c >= 0x110000 || (c >= 0xD800 && c <= 0xDFFF)) {
    return false;
  }
  // Ctrl+letter comes from a control byte; no control character is ever typed as text.
  return key.ctrl ? c >= 0x60 && c <= 0x7F : c >= 0x20 && !(c >= 0x7F && c <= 0x9F);
}

bool valid_mouse(const pnt::MouseEvent& mouse) {
  using pnt::MouseButton;
  using pnt::MouseKind;
  if ((mouse.modifiers & ~28) != 0) {
    return false;
  }
  switch (mouse.kind) {
    case MouseKind::Press:
    case MouseKind::Drag:
      return mouse.button != MouseButton::None;
    case MouseKind::Move:
    case MouseKind::WheelUp:
    case MouseKind::WheelDown:
    case MouseKind::WheelLeft:
    case MouseKind::WheelRight:
      return mouse.button == MouseButton::None;
    case MouseKind::Release:
      return true;
  }
  return false;
}

void check(const pnt::InputDecoder& decoder, const std::vector<Event>& events) {
  if (decoder.held() >= pnt::InputDecoder::MAX_PENDING) {
    std::abort();
  }
  for (const Event& event : events) {
    const auto* key = std::get_if<pnt::KeyEvent>(&event);
    const auto* mouse = std::get_if<pnt::MouseEvent>(&event);
    if ((key == nullptr && mouse == nullptr) || (key != nullptr && !valid_key(*key)) ||
        (mouse != nullptr && !valid_mouse(*mouse))) {
      std::abort();
    }
  }
}

}  // namespace

// The input is a run of chunks, each led by a control byte: its low 7 bits are the chunk's
// length, its top bit asks for a time-out before the chunk.
// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pnt::InputDecoder chunked;
  pnt::InputDecoder bytewise;
  std::vector<Event> chunked_events;
  std::vector<Event> bytewise_events;
  std::size_t pos = 0;
  while (pos < size) {
    const std::uint8_t control = data[pos++];
    if ((control & 0x80) != 0) {
      chunked.time_out(chunked_events);
      bytewise.time_out(bytewise_events);
    }
    const std::span<const std::uint8_t> chunk(data + pos,
                                              std::min<std::size_t>(control & 0x7F, size - pos));
    pos += chunk.size();
    chunked.feed(chunk, chunked_events);
    check(chunked, chunked_events);
    for (std::size_t i = 0; i < chunk.size(); ++i) {
      bytewise.feed(chunk.subspan(i, 1), bytewise_events);
      check(bytewise, bytewise_events);
    }
  }
  chunked.time_out(chunked_events);
  bytewise.time_out(bytewise_events);
  check(chunked, chunked_events);
  if (chunked.pending() || bytewise.pending() || chunked_events != bytewise_events) {
    std::abort();
  }
  return 0;
}
