// The whole cost of a keystroke's frame through the curses terminal at 200x60: the message,
// drawing into the cell buffer, and presenting it (only changed cells go out), written to a
// pseudo-terminal whose output is read and counted on another thread.
#include <benchmark/benchmark.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/cell_buffer.h"
#include "app/render.h"
#include "app/screen_map.h"
#include "app/terminal.h"
#include "tests/support/fixture.h"

namespace pnt {
namespace {

// Points standard input and output at a new pseudo-terminal for the object's lifetime.
class RedirectedTerminal {
 public:
  RedirectedTerminal() {
    winsize size{60, 200, 0, 0};
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) {
      return;
    }
    reader_ = std::thread([this] {
      char buffer[65536];
      ssize_t n = 0;
      while ((n = read(master_, buffer, sizeof buffer)) > 0) {
        bytes_ += static_cast<std::size_t>(n);
      }
    });
    std::fflush(stdout);
    saved_in_ = dup(STDIN_FILENO);
    saved_out_ = dup(STDOUT_FILENO);
    dup2(slave_, STDIN_FILENO);
    dup2(slave_, STDOUT_FILENO);
  }
  ~RedirectedTerminal() {
    if (master_ < 0) {
      return;
    }
    std::fflush(stdout);
    dup2(saved_out_, STDOUT_FILENO);
    dup2(saved_in_, STDIN_FILENO);
    close(saved_out_);
    close(saved_in_);
    close(slave_);  // the reader now sees the end of the output
    reader_.join();
    close(master_);
  }
  RedirectedTerminal(const RedirectedTerminal&) = delete;
  RedirectedTerminal& operator=(const RedirectedTerminal&) = delete;

  [[nodiscard]] bool ok() const { return master_ >= 0; }
  [[nodiscard]] std::size_t bytes() const { return bytes_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  int saved_in_ = -1;
  int saved_out_ = -1;
  std::atomic<std::size_t> bytes_{0};
  std::thread reader_;
};

void BM_KeystrokeFramePresented(benchmark::State& state) {
  setenv("TERM", "xterm-256color", 1);
  View view = testing::fixture_view();
  ScreenMap map;
  CellBuffer frame(200, 60);
  std::size_t bytes_before = 0;
  std::size_t bytes_after = 0;
  {
    RedirectedTerminal pty;
    if (!pty.ok()) {
      state.SkipWithError("no pseudo-terminal");
      return;
    }
    Result<std::unique_ptr<CursesTerminal>> terminal = CursesTerminal::open();
    if (!terminal) {
      state.SkipWithError("cannot open the terminal");
      return;
    }
    for (const char c : std::string("kissa")) {
      view.update(InsertChar{static_cast<char32_t>(c)});
    }
    draw(view, frame, map);
    (void)(*terminal)->present(frame);
    usleep(100000);  // let the reader take the first frame
    bytes_before = pty.bytes();
    bool typed = false;
    for (auto _ : state) {
      view.update(typed ? Message{Backspace{}} : Message{InsertChar{U'0'}});
      typed = !typed;
      frame.clear();
      draw(view, frame, map);
      if (!(*terminal)->present(frame)) {
        state.SkipWithError("present failed");
        break;
      }
    }
    usleep(100000);
    bytes_after = pty.bytes();
    (void)(*terminal)->close();
  }
  state.counters["bytes_per_keystroke"] =
      static_cast<double>(bytes_after - bytes_before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_KeystrokeFramePresented)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pnt

BENCHMARK_MAIN();
