// A run of the program in a pseudo-terminal for the end-to-end tests, and a small screen model
// that replays what it wrote, so that tests can ask what is on screen and where.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pnt::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// How long any wait lasts at most: generous, for parallel and sanitizer runs.
inline constexpr auto PTY_WAIT = 30s;

/// The whole file as text; empty when it cannot be read.
[[nodiscard]] std::string read_file(const fs::path& path);

/// The text of a screen, row by row, one code point a cell, rebuilt from the bytes a program
/// wrote. It knows the cursor moves and erases that terminfo-based output uses; attributes and
/// modes are skipped.
class Screen {
 public:
  Screen(std::uint16_t width, std::uint16_t height);

  /// Replays `bytes` onto the screen.
  void feed(std::string_view bytes);

  /// Row `row` (0-based) as text.
  [[nodiscard]] std::string row(int row) const;

  /// The whole screen, one line per row.
  [[nodiscard]] std::string text() const;

  [[nodiscard]] bool shows(std::string_view needle) const;

  /// The 1-based column and row where `needle` first starts on screen.
  [[nodiscard]] std::optional<std::pair<int, int>> find(std::string_view needle) const;

 private:
  void put(std::string cell);
  void erase(int row, int from, int to);
  // Handles the sequence after an ESC at `i`; returns the index after it.
  std::size_t escape(std::string_view b, std::size_t i);
  void csi(char final_char, const std::vector<int>& p);

  std::uint16_t width_;
  int height_;
  std::vector<std::vector<std::string>> cells_;
  int row_ = 0;
  int col_ = 0;
  std::string last_ = " ";
};

/// One run of a program: its own copy of the binary (so a layout file written beside it stays in
/// the temporary folder), its own HOME, and a pseudo-terminal of a given size.
class Session {
 public:
  Session(const char* program, std::uint16_t width, std::uint16_t height, bool no_color = false,
          const char* term = "xterm-256color");
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  [[nodiscard]] bool started() const { return pid_ > 0 && master_ >= 0; }
  [[nodiscard]] const std::string& output() const { return output_; }
  [[nodiscard]] std::size_t mark() const { return output_.size(); }
  [[nodiscard]] fs::path layout_beside() const { return root_ / "bin" / "pohjantuulikko.toml"; }
  [[nodiscard]] fs::path layout_in_home() const {
    return root_ / "home" / ".config" / "pohjantuulikko" / "pohjantuulikko.toml";
  }
  [[nodiscard]] std::uint16_t width() const { return width_; }
  [[nodiscard]] std::uint16_t height() const { return height_; }

  void send(std::string_view bytes);

  /// Mouse report in SGR form with 1-based coordinates.
  void mouse(int button, int column, int row, char final_char = 'M');

  /// A left click: press and release at one point.
  void click(int column, int row);

  void resize(std::uint16_t width, std::uint16_t height);

  /// The screen as a full repaint shows it. Frames normally carry only the cells that changed;
  /// a size change makes the program clear and redraw everything, which is forced here by
  /// taking one row away for a moment (a smaller pane never pulls a scroll offset back).
  Screen screen();

  /// Repaints until the screen satisfies `ready`, and returns that screen (or the last one after
  /// the timeout). Events may be read in any order with the size changes, so one repaint can show
  /// a state from before the last keys.
  Screen screen_when(const std::function<bool(const Screen&)>& ready);

  /// The screen once it shows `text` (or the last one after the timeout).
  Screen screen_showing(std::string_view text);

  /// Waits for the answer to what was sent after `from` to arrive, then until output stops.
  void settle(std::size_t from);

  /// Reads until nothing has arrived for 150 ms.
  void quiet();

  /// Reads until `text` has appeared at or after `from`; false after the timeout.
  bool wait_for(std::string_view text, std::size_t from = 0);

  /// Reads whatever arrives for `duration`.
  void drain(std::chrono::milliseconds duration);

  /// Waits for the process to end, reading its output; the exit status, or -1 on a timeout.
  int wait_exit();

 private:
  bool alive();
  // One poll and read; false when the terminal is closed.
  bool pump(int timeout_ms);

  fs::path root_;
  fs::path program_;
  std::uint16_t width_ = 0;
  std::uint16_t height_ = 0;
  pid_t pid_ = -1;
  int master_ = -1;
  bool exited_ = false;
  int status_ = -1;
  std::string output_;
};

}  // namespace pnt::testing
