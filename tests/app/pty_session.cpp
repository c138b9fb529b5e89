#include "tests/app/pty_session.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace pnt::testing {

std::string read_file(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Screen::Screen(std::uint16_t width, std::uint16_t height)
    : width_(width), height_(height), cells_(height, std::vector<std::string>(width, " ")) {}

void Screen::feed(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == 0x1b) {
      i = escape(bytes, i + 1);
    } else if (c == '\r') {
      col_ = 0;
      ++i;
    } else if (c == '\n') {
      row_ = std::min(row_ + 1, height_ - 1);
      ++i;
    } else if (c == '\b') {
      col_ = std::max(col_ - 1, 0);
      ++i;
    } else if (c < 0x20) {
      ++i;
    } else {
      std::size_t len = 1;
      if (c >= 0xf0) {
        len = 4;
      } else if (c >= 0xe0) {
        len = 3;
      } else if (c >= 0xc0) {
        len = 2;
      }
      put(std::string(bytes.substr(i, len)));
      i += len;
    }
  }
}

std::string Screen::row(int row) const {
  std::string text;
  if (row < 0 || row >= height_) {
    return text;
  }
  for (const std::string& cell : cells_[static_cast<std::size_t>(row)]) {
    text += cell;
  }
  return text;
}

std::string Screen::text() const {
  std::string all;
  for (int r = 0; r < height_; ++r) {
    all += row(r) + "\n";
  }
  return all;
}

bool Screen::shows(std::string_view needle) const {
  for (int r = 0; r < height_; ++r) {
    if (row(r).find(needle) != std::string::npos) {
      return true;
    }
  }
  return false;
}

std::optional<std::pair<int, int>> Screen::find(std::string_view needle) const {
  for (int r = 0; r < height_; ++r) {
    const auto& cells = cells_[static_cast<std::size_t>(r)];
    for (int c = 0; c < width_; ++c) {
      std::string from;
      for (int k = c; k < width_ && from.size() < needle.size(); ++k) {
        from += cells[static_cast<std::size_t>(k)];
      }
      if (from.starts_with(needle)) {
        return std::pair{c + 1, r + 1};
      }
    }
  }
  return std::nullopt;
}

void Screen::put(std::string cell) {
  if (col_ >= width_) {
    col_ = 0;
    row_ = std::min(row_ + 1, height_ - 1);
  }
  cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_)] = std::move(cell);
  ++col_;
  last_ = cells_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(col_ - 1)];
}

void Screen::erase(int row, int from, int to) {
  for (int c = std::max(from, 0); c < std::min(to, static_cast<int>(width_)); ++c) {
    cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)] = " ";
  }
}

std::size_t Screen::escape(std::string_view b, std::size_t i) {
  if (i >= b.size()) {
    return i;
  }
  if (b[i] == '(' || b[i] == ')') {
    return std::min(i + 2, b.size());
  }
  if (b[i] != '[') {
    return i + 1;  // ESC = , ESC 7, ESC 8, ESC M and the like: nothing on screen
  }
  ++i;
  bool priv = false;
  if (i < b.size() && (b[i] == '?' || b[i] == '>' || b[i] == '<' || b[i] == '=')) {
    priv = true;
    ++i;
  }
  std::vector<int> params;
  int value = -1;
  while (i < b.size() && ((b[i] >= '0' && b[i] <= '9') || b[i] == ';')) {
    if (b[i] == ';') {
      params.push_back(value);
      value = -1;
    } else {
      value = (value < 0 ? 0 : value * 10) + (b[i] - '0');
    }
    ++i;
  }
  params.push_back(value);
  while (i < b.size() && b[i] >= 0x20 && b[i] <= 0x2f) {
    ++i;  // intermediate bytes
  }
  if (i >= b.size()) {
    return i;
  }
  const char final_char = b[i];
  if (!priv) {
    csi(final_char, params);
  }
  return i + 1;
}

void Screen::csi(char final_char, const std::vector<int>& p) {
  const auto arg = [&](std::size_t k, int fallback) {
    return k < p.size() && p[k] > 0 ? p[k] : fallback;
  };
  const auto clamp_cursor = [&] {
    row_ = std::clamp(row_, 0, height_ - 1);
    col_ = std::clamp(col_, 0, static_cast<int>(width_));
  };
  switch (final_char) {
    case 'H':
    case 'f':
      row_ = arg(0, 1) - 1;
      col_ = arg(1, 1) - 1;
      break;
    case 'G':
    case '`':
      col_ = arg(0, 1) - 1;
      break;
    case 'd':
      row_ = arg(0, 1) - 1;
      break;
    case 'A':
      row_ -= arg(0, 1);
      break;
    case 'B':
      row_ += arg(0, 1);
      break;
    case 'C':
      col_ += arg(0, 1);
      break;
    case 'D':
      col_ -= arg(0, 1);
      break;
    case 'X':
      erase(row_, col_, col_ + arg(0, 1));
      break;
    case 'K': {
      const int mode = std::max(p.empty() ? 0 : p[0], 0);
      if (mode == 0) {
        erase(row_, col_, width_);
      } else if (mode == 1) {
        erase(row_, 0, col_ + 1);
      } else {
        erase(row_, 0, width_);
      }
      break;
    }
    case 'J': {
      const int mode = std::max(p.empty() ? 0 : p[0], 0);
      if (mode == 0) {
        erase(row_, col_, width_);
        for (int r = row_ + 1; r < height_; ++r) {
          erase(r, 0, width_);
        }
      } else {
        for (int r = 0; r < height_; ++r) {
          erase(r, 0, width_);
        }
      }
      break;
    }
    case '@': {  // insert blanks, shifting the rest of the row right
      auto& cells = cells_[static_cast<std::size_t>(row_)];
      const int n = std::min(arg(0, 1), static_cast<int>(width_) - col_);
      if (n > 0) {
        cells.insert(cells.begin() + col_, static_cast<std::size_t>(n), " ");
        cells.resize(width_);
      }
      break;
    }
    case 'P': {  // delete characters, shifting the rest of the row left
      auto& cells = cells_[static_cast<std::size_t>(row_)];
      const int n = std::min(arg(0, 1), static_cast<int>(width_) - col_);
      if (n > 0) {
        cells.erase(cells.begin() + col_, cells.begin() + col_ + n);
        cells.resize(width_, " ");
      }
      break;
    }
    case 'b':  // repeat the last character
      for (int k = arg(0, 1); k > 0; --k) {
        put(last_);
      }
      break;
    case 'S':  // scroll up
      for (int k = arg(0, 1); k > 0; --k) {
        cells_.erase(cells_.begin());
        cells_.emplace_back(width_, " ");
      }
      break;
    default:
      break;  // attributes, modes, scroll regions: nothing to place
  }
  clamp_cursor();
}

Session::Session(const char* program, std::uint16_t width, std::uint16_t height, bool no_color,
                 const char* term) {
  char pattern[] = "/tmp/pnt-e2e-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    return;
  }
  root_ = pattern;
  fs::create_directories(root_ / "bin");
  fs::create_directories(root_ / "home");
  program_ = root_ / "bin" / "pohjantuulikko";
  std::error_code copy_error;
  fs::copy_file(program, program_, copy_error);
  if (copy_error) {
    return;
  }
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

Session::~Session() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) {
    close(master_);
  }
  if (!root_.empty()) {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
}

void Session::send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(master_, bytes.data(), bytes.size());
    if (n <= 0) {
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void Session::mouse(int button, int column, int row, char final_char) {
  send("\033[<" + std::to_string(button) + ";" + std::to_string(column) + ";" +
       std::to_string(row) + final_char);
}

void Session::click(int column, int row) {
  mouse(0, column, row);
  mouse(0, column, row, 'm');
}

void Session::resize(std::uint16_t width, std::uint16_t height) {
  winsize size{height, width, 0, 0};
  ioctl(master_, TIOCSWINSZ, &size);
  width_ = width;
  height_ = height;
}

Screen Session::screen() {
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
  Screen screen(width, height);
  screen.feed(std::string_view(output_).substr(from));
  return screen;
}

Screen Session::screen_when(const std::function<bool(const Screen&)>& ready) {
  const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
  Screen last = screen();
  while (!ready(last) && std::chrono::steady_clock::now() < deadline && alive()) {
    drain(100ms);
    last = screen();
  }
  return last;
}

Screen Session::screen_showing(std::string_view text) {
  return screen_when([&](const Screen& s) { return s.shows(text); });
}

void Session::settle(std::size_t from) {
  const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
  while (output_.size() == from && std::chrono::steady_clock::now() < deadline && pump(20)) {
  }
  quiet();
}

void Session::quiet() {
  const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
  auto last = std::chrono::steady_clock::now();
  std::size_t size = output_.size();
  while (std::chrono::steady_clock::now() - last < 150ms &&
         std::chrono::steady_clock::now() < deadline && pump(20)) {
    if (output_.size() != size) {
      size = output_.size();
      last = std::chrono::steady_clock::now();
    }
  }
}

bool Session::wait_for(std::string_view text, std::size_t from) {
  const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
  while (output_.find(text, from) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline || !pump(50)) {
      return output_.find(text, from) != std::string::npos;
    }
  }
  return true;
}

void Session::drain(std::chrono::milliseconds duration) {
  const auto deadline = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < deadline && pump(20)) {
  }
}

int Session::wait_exit() {
  if (exited_) {
    return status_;
  }
  const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
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

bool Session::alive() {
  if (exited_) {
    return false;
  }
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    exited_ = true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
  }
  return true;
}

bool Session::pump(int timeout_ms) {
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

}  // namespace pnt::testing
