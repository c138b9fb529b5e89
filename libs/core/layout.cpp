#include "core/layout.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/fd.h"
#include "base/utf8.h"
#include "core/layout_internal.h"

// Errors come back as values so a bad file cannot throw through here; the formatters are unused.
#define TOML_EXCEPTIONS 0
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

namespace pnt {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t MIN_PCT = 10;
constexpr std::uint16_t MAX_PCT = 90;
constexpr std::uint16_t MIN_LEFT_COLUMNS = 16;
constexpr std::uint16_t MIN_ENTRY_COLUMNS = 24;
constexpr std::uint16_t NARROW_WIDTH = 40;
constexpr std::uint16_t QUERY_ROWS = 3;
constexpr std::uint16_t MIN_LIST_ROWS = 3;
constexpr std::string_view HOME_SUBDIR = ".config/pohjantuulikko";

std::uint16_t clamp_pct32(std::uint32_t pct) {
  return static_cast<std::uint16_t>(std::clamp<std::uint32_t>(pct, MIN_PCT, MAX_PCT));
}

std::uint16_t add16(std::uint16_t a, std::uint16_t b) { return static_cast<std::uint16_t>(a + b); }

// One layout key: nothing when absent, the value when a valid integer, an error otherwise.
struct KeyValue {
  bool valid = true;
  std::optional<std::uint16_t> value;
};

KeyValue read_key(const toml::table& table, std::string_view key) {
  const toml::node* node = table.get(key);
  if (node == nullptr) {
    return {};
  }
  const auto* integer = node->as_integer();
  if (integer == nullptr) {
    return {.valid = false, .value = std::nullopt};
  }
  const std::int64_t v = integer->get();
  if (v < 0 || v > 0xFFFF) {
    return {.valid = false, .value = std::nullopt};
  }
  return {.valid = true, .value = static_cast<std::uint16_t>(v)};
}

// The packaged TOML reader (3.3) reaches an "unreachable" branch, which is undefined behaviour,
// when it tests some non-ASCII characters for white space. It therefore only ever sees ASCII:
// every non-ASCII character, and "!" itself, becomes "!" and six hex digits. Valid TOML holds
// such characters only in strings and comments, where the stand-in is as valid and keeps
// distinct keys distinct; elsewhere "!" is as invalid as the character was.
std::string ascii_for_parser(std::string_view text) {
  constexpr std::string_view BOM = "\xEF\xBB\xBF";
  constexpr std::string_view HEX = "0123456789abcdef";
  std::string out;
  if (text.starts_with(BOM)) {
    out += BOM;  // the reader skips it before decoding
    text.remove_prefix(BOM.size());
  }
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = decode_utf8(text, pos);
    if (c < 0x80 && c != U'!') {
      out += static_cast<char>(c);
      continue;
    }
    out += '!';
    for (int shift = 20; shift >= 0; shift -= 4) {
      out += HEX[(c >> shift) & 0xF];
    }
  }
  return out;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] bool close_checked() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Writes through a symbolic link instead of replacing the link with a plain file.
fs::path resolve_target(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(path, ec))) {
    return path;
  }
  fs::path resolved = fs::weakly_canonical(path, ec);
  return ec ? path : resolved;
}

void sync_directory(const fs::path& dir) {
  const Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) {
    ::fsync(fd.get());
  }
}

// For a file the user may write in a directory they may not: no atomic replacement is possible,
// and leaving the file stale would make every later start ignore the saved layout. It is cut to
// length only after the new text is written, so a write that fails leaves the old one.
bool overwrite_in_place(const fs::path& path, std::string_view text, detail::WriteStep write_step) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
  if (fd.get() < 0) {
    return false;
  }
  if (!write_step(fd.get(), text) || ::ftruncate(fd.get(), static_cast<off_t>(text.size())) != 0 ||
      ::fsync(fd.get()) != 0) {
    return false;
  }
  return fd.close_checked();
}

}  // namespace

std::uint16_t clamp_pct(std::uint16_t pct) { return clamp_pct32(pct); }

Columns split_columns(const LayoutConfig& layout, Rect area) {
  const std::uint16_t w = area.width;
  std::uint16_t left_width = 0;
  if (w < NARROW_WIDTH) {
    left_width = static_cast<std::uint16_t>(w / 2);
  } else {
    const std::uint32_t by_pct = std::uint32_t{w} * clamp_pct(layout.left_pct) / 100;
    left_width = static_cast<std::uint16_t>(std::clamp<std::uint32_t>(
        by_pct, MIN_LEFT_COLUMNS, static_cast<std::uint32_t>(w - MIN_ENTRY_COLUMNS)));
  }
  return {
      .left = {.x = area.x, .y = area.y, .width = left_width, .height = area.height},
      .right = {.x = add16(area.x, left_width),
                .y = area.y,
                .width = static_cast<std::uint16_t>(w - left_width),
                .height = area.height},
  };
}

LeftPanes split_left_column(const LayoutConfig& layout, Rect left, bool with_inflections) {
  const std::uint16_t h = left.height;
  const std::uint16_t q = std::min(h, QUERY_ROWS);
  const auto rest = static_cast<std::uint16_t>(h - q);
  const std::uint16_t lists_y = add16(left.y, q);
  LeftPanes panes{.query = {.x = left.x, .y = left.y, .width = left.width, .height = q},
                  .matches = {.x = left.x, .y = lists_y, .width = left.width, .height = rest},
                  .inflections = std::nullopt};
  if (!with_inflections) {
    return panes;
  }
  std::uint16_t matches_height = 0;
  if (rest < 2 * MIN_LIST_ROWS) {
    matches_height = static_cast<std::uint16_t>(rest / 2);
  } else {
    const std::uint32_t by_pct = std::uint32_t{rest} * clamp_pct(layout.matches_pct) / 100;
    matches_height = static_cast<std::uint16_t>(std::clamp<std::uint32_t>(
        by_pct, MIN_LIST_ROWS, static_cast<std::uint32_t>(rest - MIN_LIST_ROWS)));
  }
  panes.matches.height = matches_height;
  panes.inflections = Rect{.x = left.x,
                           .y = add16(lists_y, matches_height),
                           .width = left.width,
                           .height = static_cast<std::uint16_t>(rest - matches_height)};
  return panes;
}

std::optional<Separator> separator_at(const LayoutConfig& layout, Rect area, bool with_inflections,
                                      std::uint16_t column, std::uint16_t row) {
  if (!area.contains(column, row)) {
    return std::nullopt;
  }
  const Rect left = split_columns(layout, area).left;
  // The vertical test comes first and spans the whole height, so it wins where both apply.
  const std::uint16_t b = add16(left.x, left.width);
  if (b != 0 && (column == b || column == b - 1)) {
    return Separator::Vertical;
  }
  if (!with_inflections || column >= b) {
    return std::nullopt;
  }
  const LeftPanes panes = split_left_column(layout, left, true);
  if (!panes.inflections) {
    return std::nullopt;
  }
  const std::uint16_t t = add16(panes.matches.y, panes.matches.height);
  if (t != 0 && (row == t || row == t - 1)) {
    return Separator::Horizontal;
  }
  return std::nullopt;
}

void apply_drag(LayoutConfig& layout, Rect area, bool with_inflections, Separator separator,
                std::uint16_t column, std::uint16_t row) {
  // Percentages are computed and clamped in 32 bits, so a pointer reported beyond the area
  // saturates at the bound instead of wrapping around in 16 bits.
  std::uint32_t left_pct = layout.left_pct;
  std::uint32_t matches_pct = layout.matches_pct;
  switch (separator) {
    case Separator::Vertical: {
      if (area.width == 0) {
        return;
      }
      const std::uint32_t offset = column < area.x ? 0U : std::uint32_t{column} - area.x;
      const std::uint32_t d = std::min<std::uint32_t>(offset + 1, 0xFFFF);
      left_pct = d * 100 / area.width;
      break;
    }
    case Separator::Horizontal: {
      if (!with_inflections) {
        return;
      }
      const Rect left = split_columns(layout, area).left;
      const std::uint16_t h = left.height;
      if (h < QUERY_ROWS + 1) {
        return;
      }
      const std::uint16_t top = add16(left.y, QUERY_ROWS);
      if (row < top) {
        return;
      }
      const std::uint32_t d = std::min<std::uint32_t>(std::uint32_t{row} - top + 1, 0xFFFF);
      matches_pct = d * 100 / (h - QUERY_ROWS);
      break;
    }
  }
  layout.left_pct = clamp_pct32(left_pct);
  layout.matches_pct = clamp_pct32(matches_pct);
}

LayoutConfig parse_layout(std::string_view text) {
  const LayoutConfig defaults{};
  if (!is_utf8(text)) {
    return defaults;
  }
  try {
    toml::parse_result parsed = toml::parse(ascii_for_parser(text));
    if (!parsed) {
      return defaults;
    }
    const toml::table& table = parsed.table();
    const KeyValue left = read_key(table, "left_pct");
    const KeyValue matches = read_key(table, "matches_pct");
    if (!left.valid || !matches.valid) {
      return defaults;
    }
    return {.left_pct = clamp_pct(left.value.value_or(DEFAULT_LEFT_PCT)),
            .matches_pct = clamp_pct(matches.value.value_or(DEFAULT_MATCHES_PCT))};
  } catch (...) {
    // Only allocation failure can get here; the layout file is never worth more than defaults.
    return defaults;
  }
}

std::string format_layout(const LayoutConfig& layout) {
  return "# pohjantuulikko layout, written automatically. Safe to delete.\n"
         "left_pct = " +
         std::to_string(clamp_pct(layout.left_pct)) +
         "\nmatches_pct = " + std::to_string(clamp_pct(layout.matches_pct)) + "\n";
}

std::optional<fs::path> layout_path_beside_executable() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) {
    return std::nullopt;
  }
  return exe.parent_path() / LAYOUT_FILE_NAME;
}

fs::path layout_path_in_home() { return detail::layout_path_for_home(std::getenv("HOME")); }

LayoutConfig load_layout() {
  return detail::load_layout_from(layout_path_beside_executable(), layout_path_in_home());
}

void save_layout(const LayoutConfig& layout) {
  // A termination signal waits until the file is complete: its handler ends the process.
  sigset_t terminating;
  sigset_t previous;
  ::sigemptyset(&terminating);
  for (const int signal : {SIGTERM, SIGHUP, SIGQUIT, SIGINT}) {
    ::sigaddset(&terminating, signal);
  }
  ::pthread_sigmask(SIG_BLOCK, &terminating, &previous);
  detail::save_layout_to(layout, layout_path_beside_executable(), layout_path_in_home());
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

namespace detail {

fs::path layout_path_for_home(const char* home) {
  fs::path base = ".";
  if (home != nullptr && is_utf8(std::string_view(home))) {
    base = home;
  }
  return base / HOME_SUBDIR / LAYOUT_FILE_NAME;
}

std::optional<std::string> read_layout_text(const fs::path& path) {
  // Non-blocking open, so a FIFO in the file's place cannot hang the start-up.
  const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return std::nullopt;
    }
    if (n == 0) {
      break;
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  if (!is_utf8(std::string_view(text))) {
    return std::nullopt;
  }
  return text;
}

bool write_file_atomically(const fs::path& path, std::string_view text, WriteStep write_step) {
  if (write_step == nullptr) {
    write_step = write_all;
  }
  const fs::path target = resolve_target(path);
  fs::path dir = target.parent_path();
  if (dir.empty()) {
    dir = ".";
  }
  std::string stem(".");
  stem.append(target.filename().string()).append(".").append(std::to_string(::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path temp = dir / (stem + "." + std::to_string(attempt) + ".tmp");
    // 0666 before the umask, as a plainly created file would get.
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
      if (errno == EEXIST) {
        continue;
      }
      std::error_code ec;
      return fs::is_regular_file(target, ec) && overwrite_in_place(target, text, write_step);
    }
    const bool written = write_step(fd.get(), text) && ::fsync(fd.get()) == 0 &&
                         fd.close_checked() && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!written) {
      ::unlink(temp.c_str());
      return false;
    }
    sync_directory(dir);
    return true;
  }
  return false;
}

LayoutConfig load_layout_from(const std::optional<fs::path>& beside, const fs::path& home) {
  if (beside) {
    if (const auto text = read_layout_text(*beside)) {
      return parse_layout(*text);
    }
  }
  if (const auto text = read_layout_text(home)) {
    return parse_layout(*text);
  }
  return LayoutConfig{};
}

void save_layout_to(const LayoutConfig& layout, const std::optional<fs::path>& beside,
                    const fs::path& home, WriteStep write_step) {
  try {
    const std::string text = format_layout(layout);
    if (beside && write_file_atomically(*beside, text, write_step)) {
      return;
    }
    std::error_code ec;
    fs::create_directories(home.parent_path(), ec);
    // A failure here is dropped: the layout stays as dragged for the rest of the run.
    (void)write_file_atomically(home, text, write_step);
  } catch (...) {
    // Path building can only fail to allocate; saving is best effort.
  }
}

}  // namespace detail
}  // namespace pnt
