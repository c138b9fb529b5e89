// Where the layout file is looked for.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace pnt {

inline constexpr std::string_view LAYOUT_FILE_NAME = "pohjantuulikko.toml";

/// The file in the running program's folder; nothing when the program's path is unknown.
[[nodiscard]] std::optional<std::filesystem::path> layout_path_beside_executable();
/// The file under $HOME/.config/pohjantuulikko, or under ./.config/pohjantuulikko when HOME is
/// unset or not UTF-8.
[[nodiscard]] std::filesystem::path layout_path_in_home();

namespace detail {

/// `layout_path_in_home` for a given value of HOME (nullptr when unset).
[[nodiscard]] std::filesystem::path layout_path_for_home(const char* home);

}  // namespace detail
}  // namespace pnt
