#include "core/layout_path.h"

#include <cstdlib>
#include <optional>
#include <string_view>
#include <system_error>

#include "base/utf8.h"

namespace pnt {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view HOME_SUBDIR = ".config/pohjantuulikko";

}  // namespace

std::optional<fs::path> layout_path_beside_executable() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) {
    return std::nullopt;
  }
  return exe.parent_path() / LAYOUT_FILE_NAME;
}

fs::path layout_path_in_home() { return detail::layout_path_for_home(std::getenv("HOME")); }

namespace detail {

fs::path layout_path_for_home(const char* home) {
  fs::path base = ".";
  if (home != nullptr && is_utf8(std::string_view(home))) {
    base = home;
  }
  return base / HOME_SUBDIR / LAYOUT_FILE_NAME;
}

}  // namespace detail
}  // namespace pnt
