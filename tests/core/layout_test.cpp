#include "core/layout.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/layout_file_internal.h"
#include "core/layout_path.h"
#include "core/layout_toml.h"

namespace pnt {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "pnt-layout-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  [[nodiscard]] const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void write_text(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

constexpr Rect screen(std::uint16_t width, std::uint16_t height) {
  return {.x = 0, .y = 0, .width = width, .height = height};
}

LayoutConfig with_left(std::uint16_t pct) { return {.left_pct = pct, .matches_pct = 60}; }

TEST(SplitColumns, NarrowTerminalHalvesWhateverThePercentage) {
  for (std::uint16_t pct : {0, 10, 40, 90, 500}) {
    const Columns c = split_columns(with_left(pct), screen(39, 10));
    EXPECT_EQ(c.left, (Rect{0, 0, 19, 10})) << pct;
    EXPECT_EQ(c.right, (Rect{19, 0, 20, 10})) << pct;
  }
}

TEST(SplitColumns, ColumnBoundsWinOverThePercentage) {
  EXPECT_EQ(split_columns(with_left(90), screen(100, 5)).left.width, 76);
  EXPECT_EQ(split_columns(with_left(10), screen(100, 5)).left.width, 16);
  for (std::uint16_t pct = 0; pct <= 100; ++pct) {
    EXPECT_EQ(split_columns(with_left(pct), screen(40, 5)).left.width, 16) << pct;
  }
  // Out-of-range percentages are clamped before use.
  EXPECT_EQ(split_columns(with_left(0), screen(200, 5)).left.width, 20);
  EXPECT_EQ(split_columns(with_left(1000), screen(200, 5)).left.width, 176);
}

TEST(SplitColumns, RightColumnStartsWhereTheLeftEnds) {
  const Columns c = split_columns(with_left(50), Rect{3, 2, 100, 7});
  EXPECT_EQ(c.left, (Rect{3, 2, 50, 7}));
  EXPECT_EQ(c.right, (Rect{53, 2, 50, 7}));
}

TEST(SplitLeftColumn, ShortColumnHalvesTheListRows) {
  const LeftPanes p = split_left_column(LayoutConfig{}, Rect{0, 1, 20, 8}, true);
  EXPECT_EQ(p.query, (Rect{0, 1, 20, 3}));
  EXPECT_EQ(p.matches, (Rect{0, 4, 20, 2}));
  EXPECT_EQ(p.inflections, (Rect{0, 6, 20, 3}));
}

TEST(SplitLeftColumn, PercentageWithListBounds) {
  const LeftPanes p = split_left_column(LayoutConfig{}, Rect{0, 0, 20, 23}, true);
  EXPECT_EQ(p.matches, (Rect{0, 3, 20, 12}));
  EXPECT_EQ(p.inflections, (Rect{0, 15, 20, 8}));

  const LayoutConfig tiny{.left_pct = 40, .matches_pct = 10};
  EXPECT_EQ(split_left_column(tiny, Rect{0, 0, 20, 9}, true).matches.height, 3);
  const LayoutConfig huge{.left_pct = 40, .matches_pct = 90};
  EXPECT_EQ(split_left_column(huge, Rect{0, 0, 20, 9}, true).inflections->height, 3);
}

TEST(SplitLeftColumn, WithoutInflectionsOrRoom) {
  const LeftPanes p = split_left_column(LayoutConfig{}, Rect{0, 0, 20, 23}, false);
  EXPECT_EQ(p.matches, (Rect{0, 3, 20, 20}));
  EXPECT_FALSE(p.inflections.has_value());

  const LeftPanes low = split_left_column(LayoutConfig{}, Rect{0, 0, 20, 2}, true);
  EXPECT_EQ(low.query.height, 2);
  EXPECT_EQ(low.matches.height, 0);
  EXPECT_EQ(low.inflections->height, 0);
}

TEST(SeparatorAt, HitsBothBordersOfEachSeparator) {
  // 100x30 with the defaults: the left column is 40 wide, the matches list rows 3..18.
  const LayoutConfig layout{};
  const Rect area = screen(100, 30);
  for (std::uint16_t row : {0, 1, 29}) {
    EXPECT_EQ(separator_at(layout, area, true, 39, row), Separator::Vertical) << row;
    EXPECT_EQ(separator_at(layout, area, true, 40, row), Separator::Vertical) << row;
  }
  EXPECT_EQ(separator_at(layout, area, true, 41, 5), std::nullopt);
  EXPECT_EQ(separator_at(layout, area, true, 5, 18), Separator::Horizontal);
  EXPECT_EQ(separator_at(layout, area, true, 5, 19), Separator::Horizontal);
  EXPECT_EQ(separator_at(layout, area, true, 5, 17), std::nullopt);
  EXPECT_EQ(separator_at(layout, area, true, 5, 20), std::nullopt);
  // Where both apply the vertical one wins; the entry pane has no horizontal separator.
  EXPECT_EQ(separator_at(layout, area, true, 39, 19), Separator::Vertical);
  EXPECT_EQ(separator_at(layout, area, true, 60, 19), std::nullopt);
}

TEST(SeparatorAt, NothingOutsideTheAreaOrWithoutInflections) {
  const LayoutConfig layout{};
  EXPECT_EQ(separator_at(layout, screen(100, 30), false, 5, 19), std::nullopt);
  EXPECT_EQ(separator_at(layout, screen(100, 30), true, 40, 30), std::nullopt);
  EXPECT_EQ(separator_at(layout, Rect{10, 0, 100, 30}, true, 5, 0), std::nullopt);
  EXPECT_EQ(separator_at(layout, screen(0, 30), true, 0, 0), std::nullopt);
}

TEST(ApplyDrag, VerticalFollowsTheMouseWithinBounds) {
  const Rect area{.x = 5, .y = 0, .width = 100, .height = 30};
  LayoutConfig layout{};
  apply_drag(layout, area, true, Separator::Vertical, 5 + 9, 0);
  EXPECT_EQ(layout.left_pct, 10);
  apply_drag(layout, area, true, Separator::Vertical, 5 + 99, 0);
  EXPECT_EQ(layout.left_pct, 90);
  apply_drag(layout, area, true, Separator::Vertical, 0, 0);
  EXPECT_EQ(layout.left_pct, 10);
  // A pointer reported far beyond the area saturates instead of wrapping.
  apply_drag(layout, screen(1, 1), true, Separator::Vertical, 65535, 0);
  EXPECT_EQ(layout.left_pct, 90);

  // The left column's right border lands on the dragged column.
  apply_drag(layout, area, true, Separator::Vertical, 5 + 49, 0);
  EXPECT_EQ(layout.left_pct, 50);
  const Rect left = split_columns(layout, area).left;
  EXPECT_EQ(left.x + left.width - 1, 5 + 49);
  EXPECT_EQ(layout.matches_pct, 60);
}

TEST(ApplyDrag, HorizontalUsesTheRowsBelowTheQueryBox) {
  const Rect area = screen(100, 30);  // 27 list rows from row 3
  LayoutConfig layout{.left_pct = 5, .matches_pct = 60};
  apply_drag(layout, area, true, Separator::Horizontal, 0, 3 + 13);
  EXPECT_EQ(layout.matches_pct, 14 * 100 / 27);
  EXPECT_EQ(layout.left_pct, 10);  // both fields are clamped when a value was computed
  apply_drag(layout, area, true, Separator::Horizontal, 0, 29);
  EXPECT_EQ(layout.matches_pct, 90);
  apply_drag(layout, area, true, Separator::Horizontal, 0, 3);
  EXPECT_EQ(layout.matches_pct, 10);
}

TEST(ApplyDrag, IgnoredWhenThereIsNothingToDrag) {
  const LayoutConfig start{.left_pct = 5, .matches_pct = 95};
  const auto unchanged = [&](Rect area, bool with_inflections, Separator sep, std::uint16_t col,
                             std::uint16_t row) {
    LayoutConfig layout = start;
    apply_drag(layout, area, with_inflections, sep, col, row);
    return layout == start;
  };
  EXPECT_TRUE(unchanged(screen(0, 30), true, Separator::Vertical, 5, 5));
  EXPECT_TRUE(unchanged(screen(100, 30), false, Separator::Horizontal, 5, 10));
  EXPECT_TRUE(unchanged(screen(100, 3), true, Separator::Horizontal, 5, 10));
  EXPECT_TRUE(unchanged(Rect{0, 4, 100, 30}, true, Separator::Horizontal, 5, 6));
}

TEST(ParseLayout, ValidTextsAreClamped) {
  EXPECT_EQ(parse_layout("left_pct = 5\n"), (LayoutConfig{10, 60}));
  EXPECT_EQ(parse_layout("left_pct = 95\n"), (LayoutConfig{90, 60}));
  EXPECT_EQ(parse_layout("matches_pct = 0\nleft_pct = 65535\n"), (LayoutConfig{90, 10}));
  EXPECT_EQ(parse_layout("left_pct = 0x32 # hex is an integer too\n"), (LayoutConfig{50, 60}));
  EXPECT_EQ(parse_layout(""), (LayoutConfig{40, 60}));
  EXPECT_EQ(parse_layout("# only a comment\n"), (LayoutConfig{40, 60}));
}

TEST(ParseLayout, OtherKeysAndTablesAreIgnored) {
  EXPECT_EQ(parse_layout("left_pct = 30\ntheme = \"dark\"\nmatches_pct = 70\n"),
            (LayoutConfig{30, 70}));
  EXPECT_EQ(parse_layout("matches_pct = 70\n[other]\nleft_pct = \"x\"\n"), (LayoutConfig{40, 70}));
}

TEST(ParseLayout, AnyBadValueGivesDefaultsForBoth) {
  for (const char* text : {
           "left_pct = \"50\"\nmatches_pct = 70\n",
           "left_pct = 30\nmatches_pct = 70\nleft_pct = 30\n",
           "left_pct = -1\nmatches_pct = 70\n",
           "left_pct = 65536\nmatches_pct = 70\n",
           "left_pct = 30.0\nmatches_pct = 70\n",
           "left_pct = true\nmatches_pct = 70\n",
           "left_pct = [30]\nmatches_pct = 70\n",
           "left_pct.x = 30\nmatches_pct = 70\n",
           "left_pct = 99999999999999999999\nmatches_pct = 70\n",
           "left_pct = 30\nmatches_pct = 70\n[[",
           "left_pct = 30\nmatches_pct =\n",
           "left_pct = 30\nmatches_pct = 70\n\xff\n",
       }) {
    EXPECT_EQ(parse_layout(text), (LayoutConfig{40, 60})) << text;
  }
}

TEST(ParseLayout, NonAsciiTextIsValidOnlyInStringsAndComments) {
  EXPECT_EQ(parse_layout("# k\u00e4sin \u01b5\nleft_pct = 30 # \u00e4\nname = \"\u00e4!\"\n"),
            (LayoutConfig{30, 60}));
  EXPECT_EQ(parse_layout("\"\u00e4\" = 1\n\"\u00f6\" = 2\n'\u00e4!' = 3\nleft_pct = 30\n"),
            (LayoutConfig{30, 60}));
  EXPECT_EQ(parse_layout("\xef\xbb\xbfleft_pct = 30\n"), (LayoutConfig{30, 60}));
  for (const char* text : {
           "left_pct = 30\n\u00e4 = 1\n",
           "left_pct = 30 \u01b5\n",
           "left_pct\u00a0= 30\n",
           "left_pct = 30\n\"\u00e4\" = 1\n\"\u00e4\" = 2\n",
       }) {
    EXPECT_EQ(parse_layout(text), (LayoutConfig{40, 60})) << text;
  }
}

TEST(FormatLayout, ExactTextWithClampedValues) {
  EXPECT_EQ(format_layout(LayoutConfig{}),
            "# pohjantuulikko layout, written automatically. Safe to delete.\n"
            "left_pct = 40\nmatches_pct = 60\n");
  EXPECT_EQ(format_layout(LayoutConfig{5, 95}),
            "# pohjantuulikko layout, written automatically. Safe to delete.\n"
            "left_pct = 10\nmatches_pct = 90\n");
  EXPECT_EQ(parse_layout(format_layout(LayoutConfig{33, 77})), (LayoutConfig{33, 77}));
}

TEST(LayoutPaths, HomeAndExecutableLocations) {
  EXPECT_EQ(detail::layout_path_for_home("/home/u"),
            fs::path("/home/u/.config/pohjantuulikko/pohjantuulikko.toml"));
  EXPECT_EQ(detail::layout_path_for_home(nullptr),
            fs::path("./.config/pohjantuulikko/pohjantuulikko.toml"));
  EXPECT_EQ(detail::layout_path_for_home("/home/\xff"),
            fs::path("./.config/pohjantuulikko/pohjantuulikko.toml"));

  const auto beside = layout_path_beside_executable();
  ASSERT_TRUE(beside.has_value());
  EXPECT_EQ(beside->filename(), "pohjantuulikko.toml");
  EXPECT_EQ(beside->parent_path(), fs::read_symlink("/proc/self/exe").parent_path());
}

TEST(LoadLayout, BesideTheExecutableComesFirstEvenWhenMalformed) {
  TempDir tmp;
  const fs::path beside = tmp.path() / "bin" / "pohjantuulikko.toml";
  const fs::path home = tmp.path() / "home" / "pohjantuulikko.toml";
  fs::create_directories(beside.parent_path());
  fs::create_directories(home.parent_path());

  EXPECT_EQ(detail::load_layout_from(beside, home), (LayoutConfig{40, 60}));
  write_text(home, "left_pct = 20\n");
  EXPECT_EQ(detail::load_layout_from(beside, home), (LayoutConfig{20, 60}));
  EXPECT_EQ(detail::load_layout_from(std::nullopt, home), (LayoutConfig{20, 60}));
  write_text(beside, "left_pct = 70\n");
  EXPECT_EQ(detail::load_layout_from(beside, home), (LayoutConfig{70, 60}));
  write_text(beside, "left_pct = \n");
  EXPECT_EQ(detail::load_layout_from(beside, home), (LayoutConfig{40, 60}));
}

TEST(LoadLayout, UnreadableOrNonUtf8FilesFallThrough) {
  TempDir tmp;
  const fs::path home = tmp.path() / "home.toml";
  write_text(home, "matches_pct = 30\n");
  const fs::path not_utf8 = tmp.path() / "latin1.toml";
  write_text(not_utf8, "# k\xe4sin\nleft_pct = 70\n");
  EXPECT_EQ(detail::load_layout_from(not_utf8, home), (LayoutConfig{40, 30}));
  const fs::path dir = tmp.path() / "dir.toml";
  fs::create_directory(dir);
  EXPECT_EQ(detail::load_layout_from(dir, home), (LayoutConfig{40, 30}));
  const fs::path fifo = tmp.path() / "fifo.toml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(detail::load_layout_from(fifo, home), (LayoutConfig{40, 30}));
}

TEST(LoadLayout, ReadsHomeFromTheEnvironment) {
  TempDir tmp;
  const char* old = std::getenv("HOME");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  ::setenv("HOME", tmp.path().c_str(), 1);
  const fs::path path = layout_path_in_home();
  if (saved) {
    ::setenv("HOME", saved->c_str(), 1);
  } else {
    ::unsetenv("HOME");
  }
  EXPECT_EQ(path, tmp.path() / ".config/pohjantuulikko/pohjantuulikko.toml");
}

TEST(SaveLayout, WritesBesideTheExecutableWhenPossible) {
  TempDir tmp;
  const fs::path beside = tmp.path() / "bin" / "pohjantuulikko.toml";
  const fs::path home = tmp.path() / "home" / ".config/pohjantuulikko/pohjantuulikko.toml";
  fs::create_directories(beside.parent_path());
  write_text(beside, "old text that is longer than the new one, to catch a missing truncation\n");

  detail::save_layout_to(LayoutConfig{25, 75}, beside, home);
  EXPECT_EQ(read_text(beside), format_layout(LayoutConfig{25, 75}));
  EXPECT_FALSE(fs::exists(tmp.path() / "home"));
  EXPECT_EQ(entries(beside.parent_path()), std::vector<std::string>{"pohjantuulikko.toml"});
  EXPECT_EQ(detail::load_layout_from(beside, home), (LayoutConfig{25, 75}));
}

TEST(SaveLayout, FallsBackToHomeCreatingItsFolders) {
  TempDir tmp;
  const fs::path beside = tmp.path() / "missing" / "pohjantuulikko.toml";
  const fs::path home = tmp.path() / "home" / ".config/pohjantuulikko/pohjantuulikko.toml";

  detail::save_layout_to(LayoutConfig{5, 95}, beside, home);
  EXPECT_FALSE(fs::exists(beside.parent_path()));
  EXPECT_EQ(read_text(home), format_layout(LayoutConfig{10, 90}));
  EXPECT_EQ(entries(home.parent_path()), std::vector<std::string>{"pohjantuulikko.toml"});

  detail::save_layout_to(LayoutConfig{30, 40}, std::nullopt, home);
  EXPECT_EQ(detail::load_layout_from(beside, home), (LayoutConfig{30, 40}));
  EXPECT_EQ(entries(home.parent_path()), std::vector<std::string>{"pohjantuulikko.toml"});
}

TEST(SaveLayout, FailuresAreSilent) {
  TempDir tmp;
  const fs::path blocker = tmp.path() / "file";
  write_text(blocker, "x");
  // Both directories would have to exist below a plain file.
  detail::save_layout_to(LayoutConfig{}, blocker / "a.toml", blocker / "b" / "c.toml");
  EXPECT_EQ(entries(tmp.path()), std::vector<std::string>{"file"});
}

TEST(SaveLayout, KeepsSymlinksAndFilesInReadOnlyFolders) {
  TempDir tmp;
  const fs::path real = tmp.path() / "dotfiles" / "layout.toml";
  fs::create_directories(real.parent_path());
  write_text(real, "left_pct = 20\n");
  const fs::path link = tmp.path() / "pohjantuulikko.toml";
  fs::create_symlink(real, link);
  detail::save_layout_to(LayoutConfig{70, 60}, link, tmp.path() / "home.toml");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(read_text(real), format_layout(LayoutConfig{70, 60}));

  // An existing writable file in a folder that takes no new files is still updated, so the
  // next start does not read a stale layout from it.
  const fs::path ro_dir = tmp.path() / "ro";
  fs::create_directory(ro_dir);
  write_text(ro_dir / "pohjantuulikko.toml", "left_pct = 20\n");
  fs::permissions(ro_dir, fs::perms::owner_read | fs::perms::owner_exec);
  detail::save_layout_to(LayoutConfig{80, 60}, ro_dir / "pohjantuulikko.toml",
                         tmp.path() / "home.toml");
  fs::permissions(ro_dir, fs::perms::owner_all);
  EXPECT_EQ(read_text(ro_dir / "pohjantuulikko.toml"), format_layout(LayoutConfig{80, 60}));
  EXPECT_EQ(entries(ro_dir), std::vector<std::string>{"pohjantuulikko.toml"});
  EXPECT_FALSE(fs::exists(tmp.path() / "home.toml"));
}

// Write steps that fail as a full disk or a failing device does: at once, or halfway through.
bool fail_at_once(int /*fd*/, std::string_view /*text*/) { return false; }
bool fail_halfway(int fd, std::string_view text) {
  (void)!::write(fd, text.data(), text.size() / 2);
  return false;
}

TEST(SaveLayout, AFailingWriteKeepsTheOldFileAndLeavesNothingElse) {
  const std::string old = format_layout(LayoutConfig{20, 30});
  // Where the old file is: beside the program, under home, or (not as root, who may write
  // anywhere) in a folder that takes no new files, where it is overwritten in place.
  enum class Old { Beside, Home, ReadOnlyFolder };
  for (const WriteStep write : {&fail_at_once, &fail_halfway}) {
    for (const Old where : {Old::Beside, Old::Home, Old::ReadOnlyFolder}) {
      if (where == Old::ReadOnlyFolder && (::geteuid() == 0 || write == &fail_halfway)) {
        continue;  // in place, only a write that fails from the start keeps the old text
      }
      SCOPED_TRACE(testing::Message() << static_cast<int>(where) << (write == &fail_at_once));
      TempDir tmp;
      const fs::path beside = tmp.path() / "bin" / "pohjantuulikko.toml";
      const fs::path home = tmp.path() / "home" / "pohjantuulikko.toml";
      fs::create_directories(beside.parent_path());
      fs::create_directories(home.parent_path());
      const fs::path& file = where == Old::Home ? home : beside;
      write_text(file, old);
      if (where == Old::ReadOnlyFolder) {
        fs::permissions(beside.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
      }
      detail::save_layout_to(LayoutConfig{70, 80}, beside, home, write);
      fs::permissions(beside.parent_path(), fs::perms::owner_all);
      EXPECT_EQ(read_text(file), old);
      EXPECT_EQ(entries(beside.parent_path()).size() + entries(home.parent_path()).size(), 1U);
      EXPECT_EQ(detail::load_layout_from(beside, home), (LayoutConfig{20, 30}));
    }
  }
}

}  // namespace
}  // namespace pnt
