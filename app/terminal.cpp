#include "app/terminal.h"

#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <term.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/terminal_input.h"
#include "app/terminal_internal.h"
#include "app/terminal_output.h"
#include "app/terminal_signals.h"
#include "base/fd.h"

// <term.h> defines capability names as macros; none of them is used below by name.
#undef lines
#undef columns

namespace pnt {
namespace {

constexpr std::string_view MOUSE_ON = "\033[?1000h\033[?1002h\033[?1003h\033[?1015h\033[?1006h";
constexpr std::string_view MOUSE_OFF = "\033[?1006l\033[?1015l\033[?1003l\033[?1002l\033[?1000l";
constexpr std::string_view CURSOR_SHOW = "\033[?25h";
constexpr std::string_view ALTERNATE_ON = "\033[?1049h";
constexpr std::string_view ALTERNATE_OFF = "\033[?1049l";

// Writes straight to the descriptor, so that these bytes cannot overtake or trail what the
// library has buffered.
Result<void> write_all(std::string_view bytes) {
  if (!pnt::write_all(STDOUT_FILENO, bytes)) {
    return std::unexpected(detail::os_error("writing to the terminal", errno));
  }
  return {};
}

// Everything the program shows is UTF-8; a non-UTF-8 locale would make the library drop
// every non-ASCII character and the box lines.
void use_utf8_locale() {
  std::setlocale(LC_ALL, "");
  if (std::string_view(nl_langinfo(CODESET)) != "UTF-8") {
    std::setlocale(LC_CTYPE, "C.UTF-8");
  }
}

// Gives the library's screens the terminal's new size.
void follow_terminal_size() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
    resize_term(size.ws_row, size.ws_col);
  }
}

// Every terminal emulator in common use understands this description, so it stands in for one
// the database lacks (a newer emulator's type, seen over ssh on an older machine).
constexpr const char* FALLBACK_TYPE = "xterm-256color";

// The capability `name` of the current description (of setupterm or newterm), or nullptr.
const char* capability(const char* name) {
  const char* value = tigetstr(const_cast<char*>(name));
  return value == reinterpret_cast<const char*>(-1) ? nullptr : value;
}

// Whether the current description's capability `name` holds `sequence`.
bool capability_holds(const char* name, std::string_view sequence) {
  const char* value = capability(name);
  return value != nullptr && std::string_view(value).find(sequence) != std::string_view::npos;
}

// The terminal type to open: TERM when the database describes it, else the fallback. Only
// reads descriptions; the terminal is not touched.
Result<std::string> terminal_type() {
  const char* env = std::getenv("TERM");
  std::string type = env != nullptr ? env : "";
  const std::string unusable = "cannot use the terminal type \"" + type + "\"";
  int status = 0;
  if (type.empty() || setupterm(type.c_str(), STDOUT_FILENO, &status) != OK) {
    if (status == 1) {
      return fail(unusable);  // described, but as a terminal the library cannot drive
    }
    if (setupterm(FALLBACK_TYPE, STDOUT_FILENO, &status) != OK) {
      return fail(unusable, Error(std::string("neither it nor ") + FALLBACK_TYPE +
                                  " is in the terminal database"));
    }
    type = FALLBACK_TYPE;
  }
  const bool addressable = capability("cup") != nullptr;
  del_curterm(cur_term);  // newterm() loads its own
  if (!addressable) {
    return fail(unusable, Error("it cannot move the cursor"));
  }
  return type;
}

// Where tputs() puts the bytes of endwin_bytes(); tputs takes no context of its own.
std::string* tputs_out = nullptr;

int add_to_tputs_out(int ch) {
  tputs_out->push_back(static_cast<char>(ch));
  return ch;
}

// What close() writes up to the end of endwin(), in its order: for the signal tear-down, which
// cannot call the library.
std::string endwin_bytes() {
  std::string bytes(MOUSE_OFF);
  tputs_out = &bytes;
  const auto add_capability = [](const char* name) {
    if (const char* value = capability(name)) {
      tputs(value, 1, add_to_tputs_out);
    }
  };
  add_capability("cnorm");
  add_capability("rmcup");
  bytes += '\r';
  add_capability("rmkx");
  tputs_out = nullptr;
  return bytes;
}

}  // namespace

struct CursesTerminal::State {
  SCREEN* screen = nullptr;
  bool open = false;
  // The description of the terminal does not switch screens (the linux console's, for one),
  // so the program writes the switch itself.
  bool own_alternate_screen = false;
  ScreenOutput output;
  // The raw bytes go through the program's decoder; the library never reads them.
  std::unique_ptr<InputSource> input;
  SignalTearDown signals;
};

Result<std::unique_ptr<CursesTerminal>> CursesTerminal::open() {
  if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
    return fail("standard input and output must be a terminal");
  }
  use_utf8_locale();
  Result<std::string> type = terminal_type();
  if (!type) {
    return std::unexpected(std::move(type.error()));
  }
  std::unique_ptr<CursesTerminal> terminal(new CursesTerminal());
  terminal->state_ = std::make_unique<State>();
  State& state = *terminal->state_;
  // Before newterm(), which puts its own handlers for two of the signals in place.
  state.signals.save();
  state.screen = newterm(type->c_str(), stdout, stdin);
  if (state.screen == nullptr) {
    return fail("cannot use the terminal type \"" + *type + "\"");
  }
  set_term(state.screen);
  state.open = true;
  state.own_alternate_screen = !capability_holds("smcup", ALTERNATE_ON);
  std::string after(state.own_alternate_screen ? ALTERNATE_OFF : "");
  after += CURSOR_SHOW;
  state.signals.install(endwin_bytes(), after);
  if (state.own_alternate_screen) {
    if (auto written = write_all(ALTERNATE_ON); !written) {
      return std::unexpected(std::move(written.error()));
    }
  }
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);  // for the keypad mode it writes; the keys are decoded by the program
  typeahead(-1);         // the library must not look at the input, not even to cut a refresh short
  state.input = std::make_unique<InputSource>();
  leaveok(stdscr, TRUE);
  curs_set(0);
  state.output.start_colors();

  // Flush what the library has queued (alternate screen, keypad mode, hidden cursor) before
  // the mouse modes, which are written directly.
  refresh();
  std::fflush(stdout);
  if (auto written = write_all(MOUSE_ON); !written) {
    return std::unexpected(std::move(written.error()));
  }
  return terminal;
}

CursesTerminal::~CursesTerminal() {
  if (state_ && state_->open) {
    if (auto closed = close(); !closed) {
      std::fprintf(stderr, "Failed to show the cursor: %s\n",
                   closed.error().texts().back().c_str());
    }
  }
}

Rect CursesTerminal::size() {
  const int width = std::max(getmaxx(stdscr), 0);
  const int height = std::max(getmaxy(stdscr), 0);
  return {0, 0, static_cast<std::uint16_t>(std::min(width, 65535)),
          static_cast<std::uint16_t>(std::min(height, 65535))};
}

Result<void> CursesTerminal::present(const CellBuffer& frame) {
  return state_->output.present(frame);
}

Result<std::optional<Event>> CursesTerminal::poll_event(int timeout_ms) {
  State& state = *state_;
  Result<std::optional<Event>> event = state.input->poll_event(timeout_ms);
  if (event && *event && std::holds_alternative<ResizeEvent>(**event)) {
    follow_terminal_size();
    state.output.redraw_all();
  }
  return event;
}

Result<void> CursesTerminal::close() {
  State& state = *state_;
  if (!state.open) {
    return {};
  }
  state.open = false;
  const SignalTearDown::Held held(state.signals);
  std::fflush(stdout);
  // Mouse reporting goes off while the alternate screen is still shown.
  if (auto written = write_all(MOUSE_OFF); !written) {
    endwin();
    return written;
  }
  if (endwin() == ERR) {
    return fail("restoring the terminal failed");
  }
  std::fflush(stdout);
  if (state.own_alternate_screen) {
    if (auto written = write_all(ALTERNATE_OFF); !written) {
      delscreen(state.screen);
      state.screen = nullptr;
      return written;
    }
  }
  auto shown = write_all(CURSOR_SHOW);
  delscreen(state.screen);
  state.screen = nullptr;
  return shown;
}

}  // namespace pnt
