// The latency counters the core benchmarks report beside Google Benchmark's mean.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace pnt::bench {

/// The sample at `fraction` (0 to 1) of the sorted samples; 0 for none.
inline double percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) {
    return 0;
  }
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
  std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(at),
                   samples.end());
  return samples[at];
}

/// Sets the p50_us, p99_us and max_us counters from per-operation times in microseconds.
inline void report_percentiles(benchmark::State& state, const std::vector<double>& micros) {
  state.counters["p50_us"] = percentile(micros, 0.50);
  state.counters["p99_us"] = percentile(micros, 0.99);
  state.counters["max_us"] = percentile(micros, 1.0);
}

/// The calling thread's CPU time in microseconds: on a shared machine the wall time of one step
/// also counts the time the thread waited for a core.
inline double thread_cpu_micros() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

/// Times `step(subject, query)` once per iteration, cycling through `queries` (not empty), as
/// the benchmark's manual time, and reports the percentiles of the wall time and (cpu_p50_us,
/// cpu_p99_us, cpu_max_us) of the thread's CPU time.
template <class Subject, class Step>
void time_queries(benchmark::State& state, Subject& subject,
                  const std::vector<std::string>& queries, Step step) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> micros;
  std::vector<double> cpu_micros;
  micros.reserve(1 << 16);
  cpu_micros.reserve(1 << 16);
  std::size_t i = 0;
  for (auto _ : state) {
    // The CPU clock is read outside the wall clock's span: in a virtual machine it can be a
    // system call of a few microseconds, which would inflate the short steps' wall times.
    const double cpu_start = thread_cpu_micros();
    const auto start = Clock::now();
    step(subject, queries[i]);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    cpu_micros.push_back(thread_cpu_micros() - cpu_start);
    state.SetIterationTime(seconds);
    micros.push_back(seconds * 1e6);
    i = i + 1 == queries.size() ? 0 : i + 1;
  }
  report_percentiles(state, micros);
  state.counters["cpu_p50_us"] = percentile(cpu_micros, 0.50);
  state.counters["cpu_p99_us"] = percentile(cpu_micros, 0.99);
  state.counters["cpu_max_us"] = percentile(cpu_micros, 1.0);
}

}  // namespace pnt::bench
