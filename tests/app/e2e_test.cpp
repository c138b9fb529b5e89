// The real program in a pseudo-terminal: start-up, typing, clicks, drags, resize and a clean
// exit, checked on the byte stream it writes.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/legal.h"

namespace pnt {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::string_view MOUSE_ON = "\033[?1000h\033[?1002h\033[?1003h\033[?1015h\033[?1006h";
constexpr std::string_view MOUSE_OFF = "\033[?1006l\033[?1015l\033[?1003l\033[?1002l\033[?1000l";
constexpr auto WAIT = 5s;

std::string read_file(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// One run of the program: its own copy of the binary (so a layout file written beside it
// stays in the temporary folder), its own HOME, and a pseudo-terminal of a given size.
class Session {
 public:
  Session(std::uint16_t width, std::uint16_t height, bool no_color = false,
          const char* term = "xterm-256color") {
    char pattern[] = "/tmp/pnt-e2e-XXXXXX";
    root_ = mkdtemp(pattern);
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "home");
    program_ = root_ / "bin" / "pohjantuulikko";
    fs::copy_file(PNT_PROGRAM, program_);
    winsize size{height, width, 0, 0};
    width_ = width;
    height_ = height;
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      clearenv();
      setenv("TERM", term, 1);
      setenv("HOME", (root_ / "home").c_str(), 1);
      setenv("PATH", "/usr/bin:/bin", 1);
      if (no_color) {
        setenv("NO_COLOR", "1", 1);
      }
      execl(program_.c_str(), program_.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ~Session() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) {
      close(master_);
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  [[nodiscard]] bool started() const { return pid_ > 0 && master_ >= 0; }
  [[nodiscard]] const std::string& output() const { return output_; }
  [[nodiscard]] std::size_t mark() const { return output_.size(); }
  [[nodiscard]] fs::path layout_beside() const { return root_ / "bin" / "pohjantuulikko.toml"; }
  [[nodiscard]] fs::path layout_in_home() const {
    return root_ / "home" / ".config" / "pohjantuulikko" / "pohjantuulikko.toml";
  }

  void send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = write(master_, bytes.data(), bytes.size());
      if (n <= 0) {
        return;
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }

  /// Mouse report in SGR form with 1-based coordinates.
  void mouse(int button, int column, int row, char final_char = 'M') {
    send("\033[<" + std::to_string(button) + ";" + std::to_string(column) + ";" +
         std::to_string(row) + final_char);
  }

  void resize(std::uint16_t width, std::uint16_t height) {
    winsize size{height, width, 0, 0};
    ioctl(master_, TIOCSWINSZ, &size);
    width_ = width;
    height_ = height;
  }

  /// The bytes of a full repaint of the current screen. Frames normally carry only the cells
  /// that changed, so a word may arrive in pieces; a size change makes the program clear and
  /// redraw everything, which is forced here by taking one row away for a moment (a smaller
  /// pane never pulls a scroll offset back).
  std::string repaint() {
    quiet();
    const std::uint16_t width = width_;
    const std::uint16_t height = height_;
    std::size_t from = mark();
    resize(width, static_cast<std::uint16_t>(height - 1));
    wait_for("┘", from);  // the last cell of a frame
    quiet();
    from = mark();
    resize(width, height);
    wait_for("┘", from);
    quiet();
    return output_.substr(from);
  }

  /// Waits for the answer to what was sent after `from` to arrive, then until output stops.
  void settle(std::size_t from) {
    const auto deadline = std::chrono::steady_clock::now() + WAIT;
    while (output_.size() == from && std::chrono::steady_clock::now() < deadline && pump(20)) {
    }
    quiet();
  }

  /// Reads until nothing has arrived for 100 ms.
  void quiet() {
    const auto deadline = std::chrono::steady_clock::now() + WAIT;
    auto last = std::chrono::steady_clock::now();
    std::size_t size = output_.size();
    while (std::chrono::steady_clock::now() - last < 100ms &&
           std::chrono::steady_clock::now() < deadline && pump(20)) {
      if (output_.size() != size) {
        size = output_.size();
        last = std::chrono::steady_clock::now();
      }
    }
  }

  /// Reads until `text` has appeared at or after `from`; false after the timeout.
  bool wait_for(std::string_view text, std::size_t from = 0) {
    const auto deadline = std::chrono::steady_clock::now() + WAIT;
    while (output_.find(text, from) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline || !pump(50)) {
        return output_.find(text, from) != std::string::npos;
      }
    }
    return true;
  }

  /// Reads whatever arrives for `duration`.
  void drain(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline && pump(20)) {
    }
  }

  /// Waits for the process to end, reading its output; the exit status, or -1 on a timeout.
  int wait_exit() {
    const auto deadline = std::chrono::steady_clock::now() + WAIT;
    while (std::chrono::steady_clock::now() < deadline) {
      pump(20);
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        while (pump(20)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
    }
    return -1;
  }

 private:
  // One poll and read; false when the terminal is closed.
  bool pump(int timeout_ms) {
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, timeout_ms) <= 0) {
      return true;
    }
    char buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      return false;
    }
    output_.append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  fs::path root_;
  fs::path program_;
  std::uint16_t width_ = 0;
  std::uint16_t height_ = 0;
  pid_t pid_ = -1;
  int master_ = -1;
  bool exited_ = false;
  std::string output_;
};

#ifdef PNT_PROGRAM
#define PNT_REQUIRE_PROGRAM()
#else
#define PNT_PROGRAM ""
#define PNT_REQUIRE_PROGRAM() GTEST_SKIP() << "the program is not part of this build"
#endif

TEST(EndToEnd, FirstFrameTypingAndACleanQuit) {
  PNT_REQUIRE_PROGRAM();
  Session session(80, 24);
  ASSERT_TRUE(session.started());
  ASSERT_TRUE(session.wait_for("(type to search, Tab to switch)"));
  const std::string& out = session.output();
  const std::size_t alternate = out.find("\033[?1049h");
  ASSERT_NE(alternate, std::string::npos);
  EXPECT_GT(out.find(MOUSE_ON), alternate);
  EXPECT_NE(out.find("\033[?25l"), std::string::npos);

  std::size_t mark = session.mark();
  session.send("talo");
  EXPECT_TRUE(session.wait_for("house music", mark));
  EXPECT_TRUE(session.wait_for("taloissa", mark));  // the lists
  EXPECT_TRUE(session.wait_for("~> ", mark));

  mark = session.mark();
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
  const std::string tail = session.output().substr(mark);
  const std::size_t mouse_off = tail.find(MOUSE_OFF);
  const std::size_t leave = tail.find("\033[?1049l");
  ASSERT_NE(mouse_off, std::string::npos) << tail;
  ASSERT_NE(leave, std::string::npos) << tail;
  EXPECT_LT(mouse_off, leave);
  EXPECT_NE(tail.find("\033[?25h", mouse_off), std::string::npos);
  EXPECT_EQ(tail.rfind("\033[?25l"), std::string::npos);
  // Quitting never writes the layout.
  EXPECT_FALSE(fs::exists(session.layout_beside()));
  EXPECT_FALSE(fs::exists(session.layout_in_home()));
}

TEST(EndToEnd, WorksUnderEveryCommonTerminalType) {
  PNT_REQUIRE_PROGRAM();
  for (const char* term : {"tmux-256color", "screen", "linux"}) {
    SCOPED_TRACE(term);
    Session session(80, 24, false, term);
    ASSERT_TRUE(session.wait_for("(type to search, Tab to switch)"));
    EXPECT_NE(session.output().find(MOUSE_ON), std::string::npos);
    std::size_t mark = session.mark();
    session.send("talo");
    EXPECT_TRUE(session.wait_for("house music", mark));
    mark = session.mark();
    session.send("\033[1;5B");  // Ctrl+Down scrolls the entry; nothing is typed
    session.send("\033[<0;60;1M");
    EXPECT_TRUE(session.wait_for("type to return", mark));
    mark = session.mark();
    session.send("\033");
    EXPECT_EQ(session.wait_exit(), 0);
    const std::string tail = session.output().substr(mark);
    EXPECT_NE(tail.find(MOUSE_OFF), std::string::npos);
    EXPECT_EQ(session.output().find("talo5B"), std::string::npos);
  }
}

TEST(EndToEnd, NonAsciiInputWithoutALocaleInTheEnvironment) {
  PNT_REQUIRE_PROGRAM();
  Session session(80, 24);  // no LANG or LC_* at all
  ASSERT_TRUE(session.wait_for("(type to search, Tab to switch)"));
  const std::size_t mark = session.mark();
  session.send("hyvä");
  EXPECT_TRUE(session.wait_for("good, benefit", mark));
  const std::string screen = session.repaint();
  EXPECT_NE(screen.find("> hyvä "), std::string::npos);
  EXPECT_NE(screen.find("┌ pohjantuulikko "), std::string::npos);
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST(EndToEnd, KeysOfTheListsEntryAndOverlay) {
  PNT_REQUIRE_PROGRAM();
  Session session(120, 24);
  ASSERT_TRUE(session.wait_for("(type to search, Tab to switch)"));
  session.send("parempi");
  ASSERT_TRUE(session.wait_for("comparative degree of"));

  std::size_t mark = session.mark();
  session.send("\t");  // the inflections list: "parempi ~> hyvä" shows hyvä's own entry
  EXPECT_TRUE(session.wait_for("(noun)", mark));

  mark = session.mark();
  session.send("\r");  // Enter in the inflections list searches for the headword
  EXPECT_TRUE(session.wait_for("hyvän", mark));

  mark = session.mark();
  session.send("\r");  // Enter in the matches list keeps the entry and clears the query
  EXPECT_TRUE(session.wait_for("(type to search, Tab to switch)", mark));
  EXPECT_NE(session.repaint().find("matches (type to search, Tab to switch)"), std::string::npos);

  mark = session.mark();
  session.send("\x06");  // Ctrl+F
  EXPECT_TRUE(session.wait_for("click here, enter, or type to return", mark));

  mark = session.mark();
  session.send("\x0c");  // Ctrl+L
  EXPECT_TRUE(session.wait_for("Tab: next document", mark));
  EXPECT_TRUE(session.wait_for(DOCUMENTS[0].title, mark));
  mark = session.mark();
  session.send("\t");
  session.settle(mark);
  EXPECT_NE(session.repaint().find(DOCUMENTS[1].title), std::string::npos);

  mark = session.mark();
  session.send("\033");  // closes the overlay, back to the fullscreen entry
  EXPECT_TRUE(session.wait_for("type to return", mark));
  session.send("\x03");  // Ctrl+C quits
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST(EndToEnd, ClicksOnARowALinkAndTheEntryTitleAndTheWheel) {
  PNT_REQUIRE_PROGRAM();
  Session session(80, 14);
  ASSERT_TRUE(session.wait_for("(type to search, Tab to switch)"));
  session.send("kissa0");
  ASSERT_TRUE(session.wait_for("number 001"));

  // Left column 32 wide; the matches list from row 4 (1-based), its first inner row at 5.
  std::size_t mark = session.mark();
  session.mouse(0, 5, 6);
  session.mouse(0, 5, 6, 'm');
  session.settle(mark);
  EXPECT_NE(session.repaint().find("- compound number 002"), std::string::npos);

  mark = session.mark();
  session.send("\x08\x08\x08\x08\x08\x08");
  session.send("talo");
  ASSERT_TRUE(session.wait_for("house music", mark));
  // "- house (building meant to serve as a human" is entry line 5: "house" at column 36.
  session.quiet();
  mark = session.mark();
  session.mouse(0, 36, 7);
  session.mouse(0, 36, 7, 'm');
  session.settle(mark);
  EXPECT_NE(session.repaint().find("> house "), std::string::npos);

  mark = session.mark();
  session.mouse(0, 60, 1);  // the entry pane's title row
  session.mouse(0, 60, 1, 'm');
  EXPECT_TRUE(session.wait_for("click here, enter, or type to return", mark));
  mark = session.mark();
  session.mouse(0, 60, 4);  // its title row in fullscreen, below the query box
  session.mouse(0, 60, 4, 'm');
  EXPECT_TRUE(session.wait_for("ctrl+f or click here to fullscreen", mark));

  // "talo" has more lines than the 12-row pane shows; the wheel scrolls it by one.
  mark = session.mark();
  session.send("\x08\x08\x08\x08\x08talo");
  ASSERT_TRUE(session.wait_for("house music", mark));
  const std::string before = session.repaint();
  EXPECT_EQ(before.find("- apartment"), std::string::npos);  // the 13th line is below the pane
  mark = session.mark();
  session.mouse(65, 60, 8);
  session.settle(mark);
  const std::string after = session.repaint();
  EXPECT_NE(after.find("- apartment"), std::string::npos);
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST(EndToEnd, SeparatorDragWritesTheLayoutOnRelease) {
  PNT_REQUIRE_PROGRAM();
  Session session(80, 24);
  ASSERT_TRUE(session.wait_for("(type to search, Tab to switch)"));
  // The left column is 32 wide: its right border is column 32 (1-based).
  session.mouse(0, 32, 10);
  session.mouse(32, 41, 10);  // drag to column 41: (40 + 1) * 100 / 80 = 51 %
  session.drain(200ms);
  EXPECT_FALSE(fs::exists(session.layout_beside()));
  session.mouse(0, 41, 10, 'm');
  const auto deadline = std::chrono::steady_clock::now() + WAIT;
  while (!fs::exists(session.layout_beside()) && std::chrono::steady_clock::now() < deadline) {
    session.drain(50ms);
  }
  session.drain(100ms);
  EXPECT_EQ(read_file(session.layout_beside()),
            "# pohjantuulikko layout, written automatically. Safe to delete.\n"
            "left_pct = 51\nmatches_pct = 60\n");
  EXPECT_FALSE(fs::exists(session.layout_in_home()));
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

// Every parameter of every SGR sequence ("ESC [ ... m") in the text.
std::vector<int> sgr_parameters(std::string_view text) {
  std::vector<int> params;
  std::size_t pos = 0;
  while ((pos = text.find("\033[", pos)) != std::string_view::npos) {
    pos += 2;
    std::size_t end = pos;
    while (end < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[end])) != 0 || text[end] == ';')) {
      ++end;
    }
    if (end < text.size() && text[end] == 'm') {
      std::stringstream fields(std::string(text.substr(pos, end - pos)));
      std::string field;
      while (std::getline(fields, field, ';')) {
        params.push_back(field.empty() ? 0 : std::stoi(field));
      }
    }
    pos = end;
  }
  return params;
}

bool is_colour(int param) {
  return (param >= 30 && param <= 39) || (param >= 40 && param <= 49) ||
         (param >= 90 && param <= 97) || (param >= 100 && param <= 107);
}

TEST(EndToEnd, NoColorWritesAttributesButNoColours) {
  PNT_REQUIRE_PROGRAM();
  Session session(80, 24, true);
  ASSERT_TRUE(session.wait_for("(type to search, Tab to switch)"));
  session.send("talo");
  ASSERT_TRUE(session.wait_for("house music"));
  session.send("\x0c");
  ASSERT_TRUE(session.wait_for("Tab: next document"));
  session.send("\033\033");  // two presses at once: close the overlay, then quit
  EXPECT_EQ(session.wait_exit(), 0);
  const std::vector<int> params = sgr_parameters(session.output());
  for (const int param : params) {
    EXPECT_FALSE(is_colour(param)) << param;
  }
  EXPECT_NE(std::find(params.begin(), params.end(), 4), params.end());  // underlined links
  EXPECT_NE(std::find(params.begin(), params.end(), 7), params.end());  // the selected row

  Session coloured(80, 24);
  ASSERT_TRUE(coloured.wait_for("(type to search, Tab to switch)"));
  const std::vector<int> colour_params = sgr_parameters(coloured.output());
  EXPECT_TRUE(std::any_of(colour_params.begin(), colour_params.end(), is_colour));
}

TEST(EndToEnd, ResizeRedrawsTheWholeScreenAtTheNewSize) {
  PNT_REQUIRE_PROGRAM();
  Session session(80, 24);
  ASSERT_TRUE(session.wait_for("(type to search, Tab to switch)"));
  session.drain(100ms);
  const std::size_t mark = session.mark();
  session.resize(120, 30);
  // 120 columns give the query box room for its longest title.
  EXPECT_TRUE(session.wait_for("ctrl+l: legal", mark));
  EXPECT_TRUE(session.wait_for("\033[2J", mark) || session.wait_for("\033[H\033[J", mark));
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST(EndToEnd, RefusesToRunWithoutATerminal) {
  PNT_REQUIRE_PROGRAM();
  int err_pipe[2];
  ASSERT_EQ(pipe(err_pipe), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    dup2(null_fd, 1);
    dup2(err_pipe[1], 2);
    close(err_pipe[0]);
    execl(PNT_PROGRAM, PNT_PROGRAM, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(err_pipe[1]);
  std::string err;
  char buffer[256];
  ssize_t n = 0;
  while ((n = read(err_pipe[0], buffer, sizeof buffer)) > 0) {
    err.append(buffer, static_cast<std::size_t>(n));
  }
  close(err_pipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(err, "Error: standard input and output must be a terminal\n");
}

}  // namespace
}  // namespace pnt
