#include "base/fd.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>

namespace pnt {
namespace {

std::atomic<bool> interrupted{false};

void note_signal(int) { interrupted = true; }

TEST(WriteAll, RetriesAnInterruptedWriteAndGoesOnAfterShortOnes) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  // Fill the pipe first, so that the write below blocks before writing anything and a signal
  // makes it fail with EINTR instead of returning a short count.
  ASSERT_EQ(::fcntl(ends[1], F_SETFL, O_NONBLOCK), 0);
  std::size_t filled = 0;
  while (::write(ends[1], "x", 1) == 1) {
    ++filled;
  }
  ASSERT_EQ(::fcntl(ends[1], F_SETFL, 0), 0);

  struct sigaction action {};
  action.sa_handler = note_signal;  // no SA_RESTART: the blocked write is interrupted
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
  const pthread_t writer = ::pthread_self();
  std::string read_back;
  std::thread reader([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::pthread_kill(writer, SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    char buffer[4096];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
      read_back.append(buffer, static_cast<std::size_t>(n));
    }
  });
  const std::string text(200'000, 'y');
  const bool written = write_all(ends[1], text);
  ::close(ends[1]);
  reader.join();
  ::close(ends[0]);
  ::sigaction(SIGUSR1, &previous, nullptr);

  EXPECT_TRUE(written);
  EXPECT_TRUE(interrupted);
  EXPECT_EQ(read_back, std::string(filled, 'x') + text);
}

TEST(WriteAll, FailsWithTheWritesErrno) {
  EXPECT_TRUE(write_all(-1, ""));
  errno = 0;
  EXPECT_FALSE(write_all(-1, "x"));
  EXPECT_EQ(errno, EBADF);
}

}  // namespace
}  // namespace pnt
