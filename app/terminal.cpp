#include "app/terminal.h"

#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "app/decode.h"
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

using Clock = std::chrono::steady_clock;

// How many input bytes one read takes at most.
constexpr std::size_t READ_SIZE = 4096;

Error os_error(std::string_view what, int code) {
  return Error(std::string(what), Error(std::strerror(code)));
}

// Writes straight to the descriptor, so that these bytes cannot overtake or trail what the
// library has buffered.
Result<void> write_all(std::string_view bytes) {
  if (!pnt::write_all(STDOUT_FILENO, bytes)) {
    return std::unexpected(os_error("writing to the terminal", errno));
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

bool no_color() {
  const char* value = std::getenv("NO_COLOR");
  return value != nullptr && value[0] != '\0';
}

// The write end of the pipe that wakes the input wait on SIGWINCH; -1 when not watching.
int resize_pipe_write = -1;

void note_resize(int /*signal*/) {
  const int saved = errno;
  const char byte = 0;
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  (void)!::write(resize_pipe_write, &byte, 1);
  errno = saved;
}

// Turns window-size changes into a readable pipe, so that the input wait sees them as input
// (the terminal library would only notice them when it reads the input itself).
class ResizeWatch {
 public:
  ResizeWatch() {
    std::array<int, 2> fds{-1, -1};
    if (::pipe2(fds.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
      return;
    }
    read_fd_ = fds[0];
    resize_pipe_write = fds[1];
    struct sigaction action {};
    action.sa_handler = note_resize;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    installed_ = ::sigaction(SIGWINCH, &action, &previous_) == 0;
  }
  ResizeWatch(const ResizeWatch&) = delete;
  ResizeWatch& operator=(const ResizeWatch&) = delete;
  ~ResizeWatch() {
    if (installed_) {
      ::sigaction(SIGWINCH, &previous_, nullptr);
    }
    if (read_fd_ >= 0) {
      ::close(resize_pipe_write);
      ::close(read_fd_);
      resize_pipe_write = -1;
    }
  }

  [[nodiscard]] int fd() const { return read_fd_; }

  // Empties the pipe; true when a size change was signalled.
  bool take() const {
    std::array<char, 64> buffer{};
    bool any = false;
    while (::read(read_fd_, buffer.data(), buffer.size()) > 0) {
      any = true;
    }
    return any;
  }

 private:
  int read_fd_ = -1;
  bool installed_ = false;
  struct sigaction previous_ {};
};

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

// Whether the current description (of setupterm or newterm) has the capability `name`.
bool has_capability(const char* name) {
  const char* value = tigetstr(const_cast<char*>(name));
  return value != nullptr && value != reinterpret_cast<const char*>(-1);
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
  const bool addressable = has_capability("cup");
  del_curterm(cur_term);  // newterm() loads its own
  if (!addressable) {
    return fail(unusable, Error("it cannot move the cursor"));
  }
  return type;
}

// The tear-down of close() for a termination signal, prepared by open() so that the handler
// only writes bytes and restores the saved modes, as async-signal-safe code must.
constexpr std::array<int, 4> TERMINATING = {SIGTERM, SIGHUP, SIGQUIT, SIGINT};
struct Bytes {
  std::array<char, 512> data{};
  std::size_t size = 0;
  void add(std::string_view bytes) {
    const std::size_t n = std::min(bytes.size(), data.size() - size);
    std::memcpy(data.data() + size, bytes.data(), n);
    size += n;
  }
};
struct SignalTearDown {
  Bytes before;     // mouse modes off, then what endwin() writes
  Bytes after;      // the program's own alternate screen off, the cursor shown
  termios shell{};  // the modes before the start
};
SignalTearDown tear_down;  // changed only while no handler is installed

int add_to_tear_down(int ch) {
  const char byte = static_cast<char>(ch);
  tear_down.before.add(std::string_view(&byte, 1));
  return ch;
}

void write_unchecked(const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes, size);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

void on_terminating_signal(int signal) {
  write_unchecked(tear_down.before.data.data(), tear_down.before.size);
  ::tcsetattr(STDOUT_FILENO, TCSANOW, &tear_down.shell);
  write_unchecked(tear_down.after.data.data(), tear_down.after.size);
  // Ends the process as the signal would have, so that the shell sees it.
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  ::sigaction(signal, &default_action, nullptr);
  sigset_t set;
  ::sigemptyset(&set);
  ::sigaddset(&set, signal);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(signal);
}

sigset_t terminating_set() {
  sigset_t set;
  ::sigemptyset(&set);
  for (const int signal : TERMINATING) {
    ::sigaddset(&set, signal);
  }
  return set;
}

}  // namespace

struct CursesTerminal::State {
  SCREEN* screen = nullptr;
  bool open = false;
  bool colors = false;
  attr_t dark_gray_extra = A_NORMAL;  // when colour 8 is not available
  bool full_redraw = true;
  // The description of the terminal does not switch screens (the linux console's, for one),
  // so the program writes the switch itself.
  bool own_alternate_screen = false;
  CellBuffer shown;  // the last frame put into the screen, to skip unchanged cells
  // Input: the raw bytes go through the decoder; the library never reads them.
  InputDecoder decoder;
  Clock::time_point last_input;  // when the decoder was last fed, for its time-out
  std::vector<Event> decoded;
  std::deque<Event> events;  // decoded and not yet handed out
  std::unique_ptr<ResizeWatch> resize_watch;
  // The termination signals' actions before open(), put back by close().
  std::array<struct sigaction, TERMINATING.size()> previous_actions{};
  bool handlers = false;

  // Prepares the signal tear-down from the terminal description and installs its handler.
  void catch_terminating_signals() {
    tear_down.before = Bytes{};
    tear_down.before.add(MOUSE_OFF);
    const auto add_capability = [](const char* name) {
      if (has_capability(name)) {
        tputs(tigetstr(const_cast<char*>(name)), 1, add_to_tear_down);
      }
    };
    // What endwin() writes, in its order.
    add_capability("cnorm");
    add_capability("rmcup");
    tear_down.before.add("\r");
    add_capability("rmkx");
    tear_down.after = Bytes{};
    tear_down.after.add(own_alternate_screen ? ALTERNATE_OFF : "");
    tear_down.after.add(CURSOR_SHOW);
    struct sigaction action {};
    action.sa_handler = on_terminating_signal;
    action.sa_mask = terminating_set();  // one tear-down at a time
    for (std::size_t i = 0; i < TERMINATING.size(); ++i) {
      // A signal ignored from the start (nohup, a background job) stays ignored.
      if (previous_actions[i].sa_handler != SIG_IGN) {
        ::sigaction(TERMINATING[i], &action, nullptr);
      }
    }
    handlers = true;
  }

  // Blocks the termination signals for its lifetime; then puts back their former actions, so
  // that one that came meanwhile ends the process after a complete tear-down.
  class SignalsHeld {
   public:
    explicit SignalsHeld(State& state) : state_(state) {
      const sigset_t set = terminating_set();
      ::sigprocmask(SIG_BLOCK, &set, &mask_);
    }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;
    ~SignalsHeld() {
      if (state_.handlers) {
        for (std::size_t i = 0; i < TERMINATING.size(); ++i) {
          ::sigaction(TERMINATING[i], &state_.previous_actions[i], nullptr);
        }
        state_.handlers = false;
      }
      ::sigprocmask(SIG_SETMASK, &mask_, nullptr);
    }

   private:
    State& state_;
    sigset_t mask_{};
  };

  [[nodiscard]] short pair_for(Color color) const {
    return static_cast<short>(colors ? static_cast<int>(color) : 0);
  }
  [[nodiscard]] attr_t attrs_for(Style style) const {
    attr_t attrs = A_NORMAL;
    if ((style.attrs & ATTR_BOLD) != 0) {
      attrs |= A_BOLD;
    }
    if ((style.attrs & ATTR_DIM) != 0) {
      attrs |= A_DIM;
    }
    if ((style.attrs & ATTR_UNDERLINED) != 0) {
      attrs |= A_UNDERLINE;
    }
    if ((style.attrs & ATTR_REVERSED) != 0) {
      attrs |= A_REVERSE;
    }
    if (style.fg == Color::DarkGray && colors) {
      attrs |= dark_gray_extra;
    }
    return attrs;
  }
};

// Whether the terminal description's capability `name` holds `sequence`.
bool capability_holds(const char* name, std::string_view sequence) {
  const char* value = tigetstr(const_cast<char*>(name));
  if (value == nullptr || value == reinterpret_cast<const char*>(-1)) {
    return false;
  }
  return std::string_view(value).find(sequence) != std::string_view::npos;
}

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
  // Before newterm(), which puts its own handlers for two of them in place.
  ::tcgetattr(STDOUT_FILENO, &tear_down.shell);
  for (std::size_t i = 0; i < TERMINATING.size(); ++i) {
    ::sigaction(TERMINATING[i], nullptr, &state.previous_actions[i]);
  }
  state.screen = newterm(type->c_str(), stdout, stdin);
  if (state.screen == nullptr) {
    return fail("cannot use the terminal type \"" + *type + "\"");
  }
  set_term(state.screen);
  state.open = true;
  state.own_alternate_screen = !capability_holds("smcup", ALTERNATE_ON);
  state.catch_terminating_signals();
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
  state.resize_watch = std::make_unique<ResizeWatch>();
  leaveok(stdscr, TRUE);
  curs_set(0);

  if (!no_color() && has_colors() && start_color() == OK && use_default_colors() == OK) {
    state.colors = true;
    short dark_gray = 8;
    if (COLORS < 16) {
      dark_gray = COLOR_BLACK;
      state.dark_gray_extra = A_BOLD;
    }
    init_pair(static_cast<short>(Color::Cyan), COLOR_CYAN, -1);
    init_pair(static_cast<short>(Color::DarkGray), dark_gray, -1);
    init_pair(static_cast<short>(Color::Yellow), COLOR_YELLOW, -1);
    init_pair(static_cast<short>(Color::Red), COLOR_RED, -1);
  }

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
  State& state = *state_;
  const int width = std::min<int>(frame.width(), getmaxx(stdscr));
  const int height = std::min<int>(frame.height(), getmaxy(stdscr));
  if (state.full_redraw || frame.width() != state.shown.width() ||
      frame.height() != state.shown.height()) {
    // A new size: the library has resized its screens; clear and write every cell.
    clearok(stdscr, TRUE);
    state.full_redraw = true;
  }
  cchar_t cell;
  std::array<wchar_t, 2> text{};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto cx = static_cast<std::uint16_t>(x);
      const auto cy = static_cast<std::uint16_t>(y);
      const Cell& source = frame.at(cx, cy);
      if (!state.full_redraw && source == state.shown.at(cx, cy)) {
        continue;
      }
      char32_t ch = printable(source.ch);
      // One character per cell: what the terminal would draw wider or narrower is replaced.
      if (ch >= 0x300 && ::wcwidth(static_cast<wchar_t>(ch)) != 1) {
        ch = U'\uFFFD';
      }
      text[0] = static_cast<wchar_t>(ch);
      setcchar(&cell, text.data(), state.attrs_for(source.style), state.pair_for(source.style.fg),
               nullptr);
      // At the last cell this reports ERR, as the cursor cannot advance; the cell is written.
      mvwadd_wch(stdscr, y, x, &cell);
    }
  }
  state.shown = frame;
  state.full_redraw = false;
  if (wrefresh(stdscr) == ERR) {
    return fail("writing to the terminal failed");
  }
  return {};
}

Result<std::optional<Event>> CursesTerminal::poll_event(int timeout_ms) {
  State& state = *state_;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  std::array<std::uint8_t, READ_SIZE> bytes{};
  bool polled = false;  // at least once, also with no time to wait
  while (state.events.empty()) {
    const Clock::time_point now = Clock::now();
    Clock::time_point until = deadline;
    if (state.decoder.pending()) {
      const Clock::time_point expiry =
          state.last_input + std::chrono::milliseconds(state.decoder.timeout_ms());
      if (now >= expiry) {
        state.decoder.time_out(state.decoded);
        state.events.insert(state.events.end(), state.decoded.begin(), state.decoded.end());
        state.decoded.clear();
        continue;
      }
      until = std::min(until, expiry);
    }
    if (polled && now >= deadline) {
      return std::optional<Event>{};
    }
    const int wait = static_cast<int>(std::max<std::int64_t>(
        std::chrono::ceil<std::chrono::milliseconds>(until - now).count(), 0));
    std::array<pollfd, 2> fds{pollfd{STDIN_FILENO, POLLIN, 0},
                              pollfd{state.resize_watch->fd(), POLLIN, 0}};
    const int ready = ::poll(fds.data(), fds.size(), wait);
    if (ready < 0 && errno != EINTR) {
      return std::unexpected(os_error("reading from the terminal", errno));
    }
    if (ready > 0 && (fds[1].revents & POLLIN) != 0 && state.resize_watch->take()) {
      follow_terminal_size();
      state.full_redraw = true;  // the library's screens were resized and may have lost cells
      return std::optional<Event>{ResizeEvent{}};
    }
    if (ready > 0 && (fds[0].revents & POLLIN) != 0) {
      const ssize_t n = ::read(STDIN_FILENO, bytes.data(), bytes.size());
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
        return std::unexpected(os_error("reading from the terminal", n == 0 ? EIO : errno));
      }
      if (n > 0) {
        state.last_input = Clock::now();
        state.decoder.feed(std::span(bytes.data(), static_cast<std::size_t>(n)), state.decoded);
        state.events.insert(state.events.end(), state.decoded.begin(), state.decoded.end());
        state.decoded.clear();
      }
    } else if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      return std::unexpected(os_error("reading from the terminal", EIO));
    }
    polled = true;
  }
  Event event = std::move(state.events.front());
  state.events.pop_front();
  return std::optional<Event>{std::move(event)};
}

Result<void> CursesTerminal::close() {
  State& state = *state_;
  if (!state.open) {
    return {};
  }
  state.open = false;
  const State::SignalsHeld held(state);
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
