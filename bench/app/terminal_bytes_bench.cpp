// Bytes the program writes to the terminal for typical keystrokes, measured on the real
// program in a 200x60 pseudo-terminal (only the cells that changed should go out).
#include <benchmark/benchmark.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using Clock = std::chrono::steady_clock;

class Program {
 public:
  Program() {
    char home[] = "/tmp/pnt-bench-XXXXXX";
    home_ = mkdtemp(home);
    winsize size{60, 200, 0, 0};
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      clearenv();
      setenv("TERM", "xterm-256color", 1);
      setenv("HOME", home_.c_str(), 1);
      execl(PNT_PROGRAM, PNT_PROGRAM, static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Program() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    close(master_);
    rmdir(home_.c_str());
  }

  // Sends the bytes and returns how many the program wrote until it stayed quiet for 150 ms.
  std::size_t answer(std::string_view keys) {
    if (!keys.empty() && write(master_, keys.data(), keys.size()) < 0) {
      return 0;
    }
    std::size_t total = 0;
    auto quiet_since = Clock::now();
    const auto give_up = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() - quiet_since < std::chrono::milliseconds(150) && Clock::now() < give_up) {
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, 20) > 0) {
        char buffer[65536];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) {
          break;
        }
        total += static_cast<std::size_t>(n);
        quiet_since = Clock::now();
      }
    }
    return total;
  }

 private:
  std::string home_;
  pid_t pid_ = -1;
  int master_ = -1;
};

void BM_TerminalBytesPerKeystroke(benchmark::State& state) {
  Program program;
  const std::size_t first_frame = program.answer("");
  std::size_t typed_o = 0;
  std::size_t backspace = 0;
  std::size_t down = 0;
  std::size_t idle = 0;
  std::size_t typed_0 = 0;
  for (auto _ : state) {
    (void)program.answer("tal");
    typed_o = program.answer("o");  // same lists and entry: only the query box changes
    down = program.answer("\033[B");
    idle = program.answer("\033[<35;100;30M");  // a plain mouse move: no frame
    backspace = program.answer("\x7f");
    (void)program.answer("\x7f\x7f\x7fkissa");
    typed_0 = program.answer("0");  // new lists and a new entry
    (void)program.answer("\x7f\x7f\x7f\x7f\x7f\x7f");
  }
  state.counters["type_0_after_kissa_bytes"] = static_cast<double>(typed_0);
  state.counters["first_frame_bytes"] = static_cast<double>(first_frame);
  state.counters["type_o_after_tal_bytes"] = static_cast<double>(typed_o);
  state.counters["down_bytes"] = static_cast<double>(down);
  state.counters["mouse_move_bytes"] = static_cast<double>(idle);
  state.counters["backspace_bytes"] = static_cast<double>(backspace);
}
BENCHMARK(BM_TerminalBytesPerKeystroke)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
