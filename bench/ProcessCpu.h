#pragma once

#include <fstream>
#include <string>

namespace velmar::bench {

// The time a process has spent on a CPU so far, in seconds, from the scheduler's own count
// ("self" or a pid); the processes the benchmarks time have one thread each.
inline double ProcessCpuSeconds(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/schedstat");
    double nanoseconds = 0;
    stat >> nanoseconds;
    return nanoseconds / 1e9;
}

}  // namespace velmar::bench
