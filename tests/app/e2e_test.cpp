// The program in a pseudo-terminal: start-up, typing, keys, clicks, drags, resize and a clean
// exit, checked on the screen it draws and the byte stream it writes. Every scenario runs over
// the fixture lexicon and, where the build has it, over the shipped data set.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/legal.h"
#include "tests/app/pty_session.h"

namespace pnt {
namespace {

using testing::PTY_WAIT;
using testing::read_file;
using testing::Screen;
using testing::Session;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::string_view MOUSE_ON = "\033[?1000h\033[?1002h\033[?1003h\033[?1015h\033[?1006h";
constexpr std::string_view MOUSE_OFF = "\033[?1006l\033[?1015l\033[?1003l\033[?1002l\033[?1000l";
constexpr std::string_view PROMPT = "(type to search, Tab to switch)";

// The words a scenario types and what it expects to see, for one lexicon. Expectations are
// glosses and rows, never the counts the query box title shows.
struct DataSet {
  const char* name;
  const char* program;
  // Typing `word` shows `gloss` in the entry and `inflection_row` in the inflections list.
  const char* word;
  const char* gloss;
  const char* inflection_row;
  // Typing an inflected form lists it with its headword, whose entry then shows `inflected_gloss`.
  const char* inflected;
  const char* inflected_row;
  const char* inflected_gloss;
  // A non-ASCII headword and one of its glosses.
  const char* non_ascii;
  const char* non_ascii_gloss;
  // A comparative whose entry shows `comparative_gloss` and whose only inflection row leads to
  // `comparative_head`.
  const char* comparative;
  const char* comparative_gloss;
  const char* comparative_head;
  // In the entry of `word`, the line `link_line` holds the link `link`, which searches for itself
  // and shows `link_gloss`.
  const char* link_line;
  const char* link;
  const char* link_gloss;
  // A headword whose entry is longer than a 14-row screen shows.
  const char* long_word;
  // Text of `word`'s screen that arrives in one piece under every terminal type.
  const char* stream_text;
};

const DataSet FIXTURE{
    .name = "fixture",
#ifdef PNT_PROGRAM
    .program = PNT_PROGRAM,
#else
    .program = nullptr,
#endif
    .word = "talo",
    .gloss = "house music",
    .inflection_row = "taloissa",
    .inflected = "taloissa",
    .inflected_row = "taloissa  ~> talo",
    .inflected_gloss = "house music",
    .non_ascii = "hyvä",
    .non_ascii_gloss = "good, benefit",
    .comparative = "parempi",
    .comparative_gloss = "comparative degree of",
    .comparative_head = "hyvä",
    .link_line = "- house (building",
    .link = "house",
    .link_gloss = "house",
    .long_word = "talo",
    .stream_text = "house music",
};

const DataSet SHIPPED{
    .name = "shipped",
#ifdef PNT_SHIPPED_PROGRAM
    .program = PNT_SHIPPED_PROGRAM,
#else
    .program = nullptr,
#endif
    .word = "talo",
    .gloss = "- house, home",
    .inflection_row = "taloa  ~> talo",
    .inflected = "taloissa",
    .inflected_row = "taloissa  ~> talo",
    .inflected_gloss = "- house, home",
    .non_ascii = "hyvä",
    .non_ascii_gloss = "- good",
    .comparative = "parempi",
    .comparative_gloss = "- comparative degree of hyvä",
    .comparative_head = "hyvä",
    .link_line = "- house, home",
    .link = "home",
    .link_gloss = "- mould, mildew",
    .long_word = "laskea",
    .stream_text = "(noun)",
};

// Names the data set in test names and failure messages.
void PrintTo(const DataSet* data, std::ostream* out) { *out << data->name; }

class EndToEnd : public ::testing::TestWithParam<const DataSet*> {
 protected:
  void SetUp() override {
    if (GetParam()->program == nullptr) {
      GTEST_SKIP() << "the " << GetParam()->name << " program is not part of this build";
    }
  }

  [[nodiscard]] const DataSet& data() const { return *GetParam(); }
  [[nodiscard]] const char* program() const { return GetParam()->program; }
};

// The text of row `row` (1-based) between the columns `first` and `last` (1-based, inclusive),
// with trailing blanks removed.
std::string cells(const Screen& screen, int row, int first, int last) {
  const std::string line = screen.row(row - 1);
  std::string text;
  int column = 1;
  for (std::size_t i = 0; i < line.size();) {
    const auto lead = static_cast<unsigned char>(line[i]);
    const std::size_t len = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
    if (column >= first && column <= last) {
      text += line.substr(i, len);
    }
    i += len;
    ++column;
  }
  while (!text.empty() && text.back() == ' ') {
    text.pop_back();
  }
  return text;
}

// Waits for the first frame.
::testing::AssertionResult first_frame(Session& session) {
  if (!session.started()) {
    return ::testing::AssertionFailure() << "the program did not start";
  }
  if (!session.wait_for(PROMPT)) {
    return ::testing::AssertionFailure() << "no first frame:\n" << session.output();
  }
  return ::testing::AssertionSuccess();
}

TEST_P(EndToEnd, FirstFrameTypingAndACleanQuit) {
  Session session(program(), 80, 24);
  ASSERT_TRUE(first_frame(session));
  const std::string& out = session.output();
  const std::size_t alternate = out.find("\033[?1049h");
  ASSERT_NE(alternate, std::string::npos);
  EXPECT_GT(out.find(MOUSE_ON), alternate);
  EXPECT_NE(out.find("\033[?25l"), std::string::npos);
  // Drawn before any input arrived.
  EXPECT_TRUE(session.screen().shows(PROMPT));

  session.send(data().word);
  Screen screen = session.screen_when(
      [&](const Screen& s) { return s.shows(data().gloss) && s.shows(data().inflection_row); });
  EXPECT_TRUE(screen.shows(std::string("│> ") + data().word + " ")) << screen.text();  // the query
  EXPECT_TRUE(screen.shows(std::string("│> ") + data().word)) << screen.text();  // the matches
  EXPECT_TRUE(screen.shows(data().gloss)) << screen.text();
  EXPECT_TRUE(screen.shows(data().inflection_row)) << screen.text();

  for (std::size_t i = 0; i < std::string_view(data().word).size(); ++i) {
    session.send("\x7f");
  }
  session.send(data().inflected);
  screen = session.screen_when([&](const Screen& s) {
    return s.shows(data().inflected_row) && s.shows(data().inflected_gloss);
  });
  EXPECT_TRUE(screen.shows(data().inflected_row)) << screen.text();
  EXPECT_TRUE(screen.shows(data().inflected_gloss)) << screen.text();

  const std::size_t mark = session.mark();
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

TEST_P(EndToEnd, WorksUnderEveryCommonTerminalType) {
  for (const char* term : {"xterm-256color", "tmux-256color", "screen", "linux"}) {
    SCOPED_TRACE(term);
    Session session(program(), 80, 24, false, term);
    ASSERT_TRUE(first_frame(session));
    EXPECT_NE(session.output().find(MOUSE_ON), std::string::npos);
    std::size_t mark = session.mark();
    session.send(data().word);
    EXPECT_TRUE(session.wait_for(data().stream_text, mark));
    const Screen screen = session.screen_showing(data().gloss);
    EXPECT_TRUE(screen.shows(data().gloss)) << screen.text();
    mark = session.mark();
    session.send("\033[1;5B");  // Ctrl+Down scrolls the entry; nothing is typed
    session.click(60, 1);
    EXPECT_TRUE(session.wait_for("type to return", mark));
    mark = session.mark();
    session.send("\033");
    EXPECT_EQ(session.wait_exit(), 0);
    const std::string tail = session.output().substr(mark);
    EXPECT_NE(tail.find(MOUSE_OFF), std::string::npos);
    // Every terminal type gets the alternate screen, also where its description lacks it.
    EXPECT_NE(session.output().find("\033[?1049h"), std::string::npos);
    const std::size_t mouse_off = tail.find(MOUSE_OFF);
    const std::size_t leave = tail.find("\033[?1049l");
    ASSERT_NE(leave, std::string::npos) << tail;
    EXPECT_LT(mouse_off, leave);
    EXPECT_EQ(session.output().find(std::string(data().word) + "5B"), std::string::npos);
  }
}

TEST_P(EndToEnd, NonAsciiInputWithoutALocaleInTheEnvironment) {
  Session session(program(), 100, 24);  // no LANG or LC_* at all
  ASSERT_TRUE(first_frame(session));
  session.send(data().non_ascii);
  const Screen screen = session.screen_showing(data().non_ascii_gloss);
  EXPECT_TRUE(screen.shows(data().non_ascii_gloss)) << screen.text();
  EXPECT_TRUE(screen.shows(std::string("│> ") + data().non_ascii + " ")) << screen.text();
  EXPECT_TRUE(screen.shows("┌ pohjantuulikko ")) << screen.text();
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST_P(EndToEnd, KeysOfTheListsEntryAndOverlay) {
  Session session(program(), 120, 24);
  ASSERT_TRUE(first_frame(session));
  session.send(data().comparative);
  // The entry's headword row: on the pane's first row, or under a form's reading lines.
  const std::string head = std::string("│") + data().comparative_head + "  ";
  Screen screen = session.screen_showing(data().comparative_gloss);
  ASSERT_TRUE(screen.shows(data().comparative_gloss)) << screen.text();

  session.send("\t");  // the inflections list: its row leads to the headword's own entry
  screen = session.screen_showing(head);
  EXPECT_TRUE(screen.shows(head)) << screen.text();

  session.send("\r");  // Enter in the inflections list searches for the headword
  const std::string query = std::string("│> ") + data().comparative_head + " ";
  screen =
      session.screen_when([&](const Screen& s) { return cells(s, 2, 1, 48).starts_with(query); });
  EXPECT_TRUE(cells(screen, 2, 1, 48).starts_with(query)) << screen.text();
  EXPECT_TRUE(screen.shows(head)) << screen.text();

  session.send("\r");  // Enter in the matches list keeps the entry and clears the query
  screen = session.screen_showing("matches (type to search, Tab to switch)");
  EXPECT_TRUE(screen.shows("matches (type to search, Tab to switch)")) << screen.text();
  EXPECT_EQ(cells(screen, 2, 1, 47), "│>") << screen.text();
  EXPECT_TRUE(screen.shows(head)) << screen.text();

  std::size_t mark = session.mark();
  session.send("\x06");  // Ctrl+F
  EXPECT_TRUE(session.wait_for("click here, enter, or type to return", mark));

  mark = session.mark();
  session.send("\x0c");  // Ctrl+L
  EXPECT_TRUE(session.wait_for("Tab: next document", mark));
  EXPECT_TRUE(session.wait_for(DOCUMENTS[0].title, mark));
  session.send("\t");
  screen = session.screen_showing(DOCUMENTS[1].title);
  EXPECT_TRUE(screen.shows(DOCUMENTS[1].title)) << screen.text();

  mark = session.mark();
  session.send("\033");  // closes the overlay, back to the fullscreen entry
  EXPECT_TRUE(session.wait_for("type to return", mark));
  session.send("\x03");  // Ctrl+C quits
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST_P(EndToEnd, ClicksOnARowALinkAndTheEntryTitleAndTheWheel) {
  Session session(program(), 80, 14);
  ASSERT_TRUE(first_frame(session));
  // Left column 32 wide: the matches list from row 4, its first inner row at 5; the entry pane
  // from column 33, its text from column 34 and row 2.
  session.send(data().word);
  Screen screen = session.screen_showing(data().link_line);
  ASSERT_TRUE(screen.shows(data().link_line)) << screen.text();

  // The second match.
  const std::string second = cells(screen, 6, 4, 31);
  ASSERT_FALSE(second.empty()) << screen.text();
  session.click(5, 6);
  // The list cuts long rows; the entry's first line is the whole headword.
  screen =
      session.screen_when([&](const Screen& s) { return cells(s, 2, 34, 79).starts_with(second); });
  EXPECT_TRUE(cells(screen, 2, 34, 79).starts_with(second)) << screen.text();
  EXPECT_TRUE(screen.shows("│> " + second)) << screen.text();

  // A link in the entry of the first match.
  session.click(5, 5);
  screen = session.screen_showing(data().link_line);
  const auto line = screen.find(data().link_line);
  ASSERT_TRUE(line.has_value()) << screen.text();
  const auto at = std::string_view(data().link_line).find(data().link);
  session.click(line->first + static_cast<int>(at), line->second);
  const std::string query = std::string("│> ") + data().link + " ";
  screen = session.screen_when(
      [&](const Screen& s) { return s.shows(query) && s.shows(data().link_gloss); });
  EXPECT_TRUE(screen.shows(query)) << screen.text();
  EXPECT_TRUE(screen.shows(data().link_gloss)) << screen.text();

  // The entry pane's title row toggles fullscreen, and its title row in fullscreen (below the
  // query box) toggles back.
  std::size_t mark = session.mark();
  session.click(60, 1);
  EXPECT_TRUE(session.wait_for("click here, enter, or type to return", mark));
  mark = session.mark();
  session.click(60, 4);
  EXPECT_TRUE(session.wait_for("ctrl+f or click here to fullscreen", mark));

  // The wheel scrolls the entry by one line, wherever the pointer is.
  for (std::size_t i = 0; i < std::string_view(data().link).size(); ++i) {
    session.send("\x7f");
  }
  session.send(data().long_word);
  const std::string head = std::string("││") + data().long_word + " ";
  screen = session.screen_showing(head);
  ASSERT_TRUE(screen.shows(head)) << screen.text();
  const std::string second_line = cells(screen, 3, 34, 79);
  const std::string last_line = cells(screen, 13, 34, 79);
  ASSERT_FALSE(last_line.empty()) << "the entry must be longer than the pane\n" << screen.text();
  session.mouse(65, 60, 8);
  screen = session.screen_when([&](const Screen& s) { return cells(s, 2, 34, 79) == second_line; });
  EXPECT_EQ(cells(screen, 2, 34, 79), second_line) << screen.text();
  EXPECT_EQ(cells(screen, 12, 34, 79), last_line) << screen.text();
  session.mouse(64, 10, 8);
  screen = session.screen_when([&](const Screen& s) { return s.shows(head); });
  EXPECT_TRUE(screen.shows(head)) << screen.text();
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST_P(EndToEnd, AltLeftGoesBackFromALinkAndCtrlNForward) {
  Session session(program(), 80, 14);
  ASSERT_TRUE(first_frame(session));
  session.send(data().word);
  Screen screen = session.screen_showing(data().link_line);
  const auto line = screen.find(data().link_line);
  ASSERT_TRUE(line.has_value()) << screen.text();
  const auto at = std::string_view(data().link_line).find(data().link);
  session.click(line->first + static_cast<int>(at), line->second);
  const std::string link_query = std::string("│> ") + data().link + " ";
  screen = session.screen_when(
      [&](const Screen& s) { return s.shows(link_query) && s.shows(data().link_gloss); });
  ASSERT_TRUE(screen.shows(link_query)) << screen.text();

  session.send("\033[1;3D");  // Alt+Left
  const std::string word_query = std::string("│> ") + data().word + " ";
  screen = session.screen_when(
      [&](const Screen& s) { return s.shows(word_query) && s.shows(data().link_line); });
  EXPECT_TRUE(screen.shows(word_query)) << screen.text();
  EXPECT_TRUE(screen.shows(data().link_line)) << screen.text();

  session.send("\x0e");  // Ctrl+N
  screen = session.screen_showing(link_query);
  EXPECT_TRUE(screen.shows(link_query)) << screen.text();
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST_P(EndToEnd, SeparatorDragWritesTheLayoutOnRelease) {
  Session session(program(), 80, 24);
  ASSERT_TRUE(first_frame(session));
  session.send(data().word);
  session.screen_showing(data().gloss);
  // The left column is 32 wide: its right border is column 32 (1-based).
  session.mouse(0, 32, 10);
  session.mouse(32, 41, 10);  // drag to column 41: (40 + 1) * 100 / 80 = 51 %
  session.drain(300ms);
  EXPECT_FALSE(fs::exists(session.layout_beside()));
  session.mouse(0, 41, 10, 'm');
  const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
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

TEST_P(EndToEnd, NoColorWritesAttributesButNoColours) {
  Session session(program(), 80, 24, true);
  ASSERT_TRUE(first_frame(session));
  session.send(data().word);
  session.screen_showing(data().gloss);
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

  Session coloured(program(), 80, 24);
  ASSERT_TRUE(first_frame(coloured));
  const std::vector<int> colour_params = sgr_parameters(coloured.output());
  EXPECT_TRUE(std::any_of(colour_params.begin(), colour_params.end(), is_colour));
}

TEST_P(EndToEnd, ResizeRedrawsTheWholeScreenAtTheNewSize) {
  Session session(program(), 80, 24);
  ASSERT_TRUE(first_frame(session));
  session.send(data().word);
  session.screen_showing(data().gloss);
  const std::size_t mark = session.mark();
  session.resize(160, 30);
  // A wider screen gives the query box room for its longest title.
  EXPECT_TRUE(session.wait_for("ctrl+l: legal", mark));
  session.quiet();
  const std::string_view redraw = std::string_view(session.output()).substr(mark);
  const std::size_t clear = std::min(redraw.find("\033[2J"), redraw.find("\033[H\033[J"));
  ASSERT_NE(clear, std::string_view::npos);
  Screen screen(160, 30);
  screen.feed(redraw.substr(clear));
  EXPECT_TRUE(screen.shows(data().gloss)) << screen.text();
  EXPECT_EQ(cells(screen, 30, 1, 160).substr(0, 3), "└") << screen.text();
  EXPECT_EQ(screen.find("┘")->first, 64) << screen.text();  // the left column, 40 % of 160
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

TEST_P(EndToEnd, RefusesToRunWithoutATerminal) {
  int err_pipe[2];
  ASSERT_EQ(pipe(err_pipe), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    dup2(null_fd, 1);
    dup2(err_pipe[1], 2);
    close(err_pipe[0]);
    execl(program(), program(), static_cast<char*>(nullptr));
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

INSTANTIATE_TEST_SUITE_P(Programs, EndToEnd, ::testing::Values(&FIXTURE, &SHIPPED),
                         [](const ::testing::TestParamInfo<const DataSet*>& info) {
                           return std::string(info.param->name);
                         });

// English mode in the fixture program: Ctrl+E, an English word, its Finnish entry, Ctrl+E back.
TEST(EndToEndEnglish, CtrlESearchesEnglishAndBack) {
  if (FIXTURE.program == nullptr) {
    GTEST_SKIP() << "the fixture program is not part of this build";
  }
  Session session(FIXTURE.program, 100, 24);
  ASSERT_TRUE(first_frame(session));
  session.send("\x05");  // Ctrl+E
  ASSERT_TRUE(session.wait_for("English"));
  session.send("build");
  Screen screen = session.screen_when(
      [](const Screen& s) { return s.shows("building  ~> talo") && s.shows("farm, homestead"); });
  EXPECT_TRUE(screen.shows("┌ matches: English → Finnish (ctrl+e) ")) << screen.text();
  EXPECT_TRUE(screen.shows("building  ~> talo")) << screen.text();
  EXPECT_TRUE(screen.shows("farm, homestead")) << screen.text();

  session.send("\x05");  // back to Finnish: "build" is no Finnish word
  screen = session.screen_when([](const Screen& s) { return s.shows("(no matches)"); });
  EXPECT_TRUE(screen.shows("┌ matches ")) << screen.text();
  EXPECT_FALSE(screen.shows("English")) << screen.text();
  EXPECT_TRUE(screen.shows("│> build ")) << screen.text();
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

// The grammar of the shipped transducer: a form's reading above its headword's entry, then
// Ctrl+T shows the headword's forms and Ctrl+T again the entry.
TEST(EndToEndGrammar, AFormsReadingAndItsHeadwordsTable) {
  if (SHIPPED.program == nullptr) {
    GTEST_SKIP() << "the shipped program is not part of this build";
  }
  Session session(SHIPPED.program, 100, 30);
  ASSERT_TRUE(first_frame(session));
  session.send("taloissamme");
  constexpr std::string_view READING = "taloissamme: plural inessive + our (talo, noun)";
  Screen screen = session.screen_when([&](const Screen& s) { return s.shows(READING); });
  EXPECT_TRUE(screen.shows(READING)) << screen.text();
  EXPECT_TRUE(screen.shows("- house, home")) << screen.text();

  session.send("\x14");  // Ctrl+T
  screen = session.screen_when([](const Screen& s) { return s.shows("taloissa"); });
  EXPECT_TRUE(screen.shows(" forms of talo (ctrl+t · click: fullscreen) ")) << screen.text();
  EXPECT_TRUE(screen.shows("talossa")) << screen.text();
  EXPECT_TRUE(screen.shows("taloissa")) << screen.text();
  EXPECT_FALSE(screen.shows(READING)) << screen.text();

  session.send("\x14");
  screen = session.screen_when([&](const Screen& s) { return s.shows(READING); });
  EXPECT_TRUE(screen.shows("- house, home")) << screen.text();
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

// Typed without dots, a word still shows its entry: "paiva" finds "päivä".
TEST(EndToEndForgiving, AWordTypedWithoutDotsShowsItsEntry) {
  if (SHIPPED.program == nullptr) {
    GTEST_SKIP() << "the shipped program is not part of this build";
  }
  Session session(SHIPPED.program, 100, 30);
  ASSERT_TRUE(first_frame(session));
  session.send("paiva");
  const Screen screen = session.screen_when([](const Screen& s) { return s.shows("- day"); });
  EXPECT_TRUE(screen.shows(" matches (ä/ö) ")) << screen.text();
  EXPECT_TRUE(screen.shows("│> päivä ")) << screen.text();
  EXPECT_EQ(cells(screen, 2, 42, 99), "päivä") << screen.text();
  session.send("\033");
  EXPECT_EQ(session.wait_exit(), 0);
}

// Abuse at the terminal: unknown terminal types, termination signals, a huge paste and a storm of
// resizes. These runs need what a Session does not give: TERM unset, standard error apart from
// the terminal, the process id and its raw wait status.
class Spawned {
 public:
  // `term` nullptr: TERM unset.
  Spawned(const char* program, const char* term, std::uint16_t width, std::uint16_t height) {
    char pattern[] = "/tmp/pnt-abuse-XXXXXX";
    if (mkdtemp(pattern) == nullptr || pipe(err_) != 0) {
      return;
    }
    home_ = pattern;
    winsize size{height, width, 0, 0};
    int slave = -1;
    if (openpty(&master_, &slave, nullptr, nullptr, &size) != 0) {
      return;
    }
    tcgetattr(slave, &initial_);
    pid_ = fork();
    if (pid_ == 0) {
      close(master_);
      login_tty(slave);
      dup2(err_[1], STDERR_FILENO);
      const rlimit no_core{0, 0};
      setrlimit(RLIMIT_CORE, &no_core);  // SIGQUIT would dump one
      clearenv();
      if (term != nullptr) {
        setenv("TERM", term, 1);
      }
      setenv("HOME", home_.c_str(), 1);
      execl(program, program, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(slave);
    close(err_[1]);
    err_[1] = -1;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  Spawned(const Spawned&) = delete;
  Spawned& operator=(const Spawned&) = delete;
  ~Spawned() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (const int fd : {master_, err_[0], err_[1]}) {
      if (fd >= 0) {
        close(fd);
      }
    }
    std::error_code ignored;
    fs::remove_all(home_, ignored);
  }

  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] int pty() const { return master_; }
  [[nodiscard]] const std::string& output() const { return output_; }
  [[nodiscard]] const termios& initial_modes() const { return initial_; }
  [[nodiscard]] termios modes() const {
    termios now{};
    tcgetattr(master_, &now);
    return now;
  }

  // Writes everything, reading the program's output meanwhile so that neither side stalls.
  void send(std::string_view bytes) {
    const auto deadline = std::chrono::steady_clock::now() + 4 * PTY_WAIT;
    while (!bytes.empty() && std::chrono::steady_clock::now() < deadline) {
      pollfd fd{master_, POLLIN | POLLOUT, 0};
      poll(&fd, 1, 50);
      read_some();
      if ((fd.revents & POLLOUT) != 0) {
        const ssize_t n = write(master_, bytes.data(), std::min<std::size_t>(bytes.size(), 1024));
        if (n > 0) {
          bytes.remove_prefix(static_cast<std::size_t>(n));
        }
      }
    }
  }

  bool wait_for(std::string_view text, std::size_t from = 0) {
    const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
    while (output_.find(text, from) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline) {
        return false;
      }
      pollfd fd{master_, POLLIN, 0};
      poll(&fd, 1, 50);
      read_some();
    }
    return true;
  }

  // Reads until nothing has arrived for 300 ms.
  void quiet() {
    const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
    std::size_t size = 0;
    do {
      size = output_.size();
      pollfd fd{master_, POLLIN, 0};
      poll(&fd, 1, 300);
      read_some();
    } while (output_.size() != size && std::chrono::steady_clock::now() < deadline);
  }

  // The raw wait status once the process has ended, or -1 after the timeout.
  int wait() {
    const auto deadline = std::chrono::steady_clock::now() + PTY_WAIT;
    while (status_ < 0 && std::chrono::steady_clock::now() < deadline) {
      read_some();
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = status;
        read_some();
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
    return status_;
  }

  [[nodiscard]] std::string errors() const {
    std::string text;
    char buffer[512];
    ssize_t n = 0;
    while ((n = read(err_[0], buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
  }

 private:
  void read_some() {
    char buffer[8192];
    ssize_t n = 0;
    while ((n = read(master_, buffer, sizeof buffer)) > 0) {
      output_.append(buffer, static_cast<std::size_t>(n));
    }
  }

  fs::path home_;
  pid_t pid_ = -1;
  int master_ = -1;
  int err_[2] = {-1, -1};
  int status_ = -1;
  termios initial_{};
  std::string output_;
};

enum class Abuse { Starts, Refused, Signal, Paste, Resizes };

struct AbuseCase {
  const char* name;
  Abuse kind;
  const char* term = "xterm-256color";  // nullptr: unset
  int signal = 0;
};

void PrintTo(const AbuseCase& c, std::ostream* out) { *out << c.name; }

class AbuseAtTheTerminal : public ::testing::TestWithParam<AbuseCase> {
 protected:
  void SetUp() override {
    if (FIXTURE.program == nullptr) {
      GTEST_SKIP() << "the fixture program is not part of this build";
    }
  }
};

// 100 KB of what a careless paste holds: words, line breaks, tabs and bytes that are no UTF-8.
std::string paste_text() {
  std::string text;
  for (int i = 0; text.size() < 100 * 1024; ++i) {
    text += "talo koira\tkissa";
    text += i % 3 == 0 ? "\xff\xc3(\xe2\x82" : "\xc3\xa4";
    text += i % 5 == 0 ? "\n" : " ";
  }
  return text + "x";
}

TEST_P(AbuseAtTheTerminal, EndsCleanly) {
  const AbuseCase& c = GetParam();
  constexpr std::uint16_t WIDTH = 80;
  constexpr std::uint16_t HEIGHT = 24;
  Spawned run(FIXTURE.program, c.term, WIDTH, HEIGHT);
  ASSERT_GT(run.pid(), 0);
  if (c.kind == Abuse::Refused) {
    const int status = run.wait();
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(run.errors(), "Error: cannot use the terminal type \"" + std::string(c.term) +
                                "\"\n\nCaused by:\n    it cannot move the cursor\n");
    EXPECT_EQ(run.output(), "");
    EXPECT_EQ(run.modes().c_lflag, run.initial_modes().c_lflag);
    return;
  }
  ASSERT_TRUE(run.wait_for(PROMPT)) << run.output() << run.errors();
  EXPECT_NE(run.output().find(MOUSE_ON), std::string::npos);
  std::size_t mark = run.output().size();
  if (c.kind == Abuse::Signal) {
    run.quiet();
    mark = run.output().size();
    kill(run.pid(), c.signal);
    const int status = run.wait();
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), c.signal);
    // The tear-down of a quit, in its order, and nothing after it.
    const std::string tail = run.output().substr(mark);
    EXPECT_TRUE(tail.starts_with(MOUSE_OFF)) << tail;
    EXPECT_LT(tail.find(MOUSE_OFF), tail.find("\033[?1049l")) << tail;
    EXPECT_TRUE(tail.ends_with("\033[?25h")) << tail;
    const termios modes = run.modes();
    EXPECT_EQ(modes.c_lflag, run.initial_modes().c_lflag);
    EXPECT_EQ(modes.c_iflag, run.initial_modes().c_iflag);
    return;
  }
  if (c.kind == Abuse::Paste) {
    const auto start = std::chrono::steady_clock::now();
    run.send(paste_text());
    const auto written = std::chrono::steady_clock::now();
    run.send("\033");
    ASSERT_TRUE(WIFEXITED(run.wait())) << "no exit after the paste";
    const auto ms = [](auto d) {
      return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    std::printf("paste: written in %lld ms, exit %lld ms after the last byte\n",
                static_cast<long long>(ms(written - start)),
                static_cast<long long>(ms(std::chrono::steady_clock::now() - written)));
  }
  if (c.kind == Abuse::Resizes) {
    run.send("talo");
    ASSERT_TRUE(run.wait_for(FIXTURE.gloss, mark));
    for (int i = 0; i < 200; ++i) {
      // Down to 1×1 at the middle, and back.
      const int step = i < 100 ? i : 199 - i;
      const auto width = static_cast<std::uint16_t>(std::max(1, WIDTH - step * WIDTH / 99));
      const auto height = static_cast<std::uint16_t>(std::max(1, HEIGHT - step * HEIGHT / 99));
      winsize size{height, width, 0, 0};
      ioctl(run.pty(), TIOCSWINSZ, &size);
    }
    run.quiet();
    const std::string_view out = run.output();
    const std::size_t clear = out.rfind("\033[H\033[2J");
    ASSERT_NE(clear, std::string_view::npos);
    Screen screen(WIDTH, HEIGHT);
    screen.feed(out.substr(clear));
    EXPECT_TRUE(screen.shows(FIXTURE.gloss)) << screen.text();
    EXPECT_EQ(cells(screen, HEIGHT, 1, WIDTH).substr(0, 3), "└") << screen.text();
    EXPECT_EQ(screen.find("┘")->first, 32) << screen.text();  // 40 % of 80
  }
  if (c.kind != Abuse::Paste) {
    run.send("\033");
  }
  const int status = run.wait();
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(run.errors(), "");
  EXPECT_EQ(run.modes().c_lflag, run.initial_modes().c_lflag);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AbuseAtTheTerminal,
    ::testing::Values(AbuseCase{"xterm_kitty", Abuse::Starts, "xterm-kitty"},
                      AbuseCase{"alacritty", Abuse::Starts, "alacritty"},
                      AbuseCase{"foot", Abuse::Starts, "foot"},
                      AbuseCase{"unknown_type", Abuse::Starts, "no-such-terminal"},
                      AbuseCase{"term_unset", Abuse::Starts, nullptr},
                      AbuseCase{"term_empty", Abuse::Starts, ""},
                      AbuseCase{"dumb", Abuse::Refused, "dumb"},
                      AbuseCase{"sigterm", Abuse::Signal, "xterm-256color", SIGTERM},
                      AbuseCase{"sighup", Abuse::Signal, "xterm-256color", SIGHUP},
                      AbuseCase{"sigquit", Abuse::Signal, "xterm-256color", SIGQUIT},
                      AbuseCase{"sigint", Abuse::Signal, "xterm-256color", SIGINT},
                      AbuseCase{"sigterm_linux", Abuse::Signal, "linux", SIGTERM},
                      AbuseCase{"paste_100k", Abuse::Paste},
                      AbuseCase{"resizes_200", Abuse::Resizes}),
    [](const ::testing::TestParamInfo<AbuseCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pnt
