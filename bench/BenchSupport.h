#pragma once
// Pieces the benchmark programs share.

#include <benchmark/benchmark.h>
#include <sched.h>

#include <algorithm>

namespace qm::bench {

// Benchmarks whose threads wake one another: whether the other thread sleeps
// on the same core or another changes that cost more than anything measured,
// and on a busy machine it changes from run to run. One core for the whole
// process gives every benchmark the same conditions.
inline void PinToOneCore() {
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(static_cast<unsigned>(std::max(0, sched_getcpu())), &one);
  sched_setaffinity(0, sizeof one, &one);
}

// Runs the benchmarks the command line asks for; main's exit status.
inline int RunBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace qm::bench
