// The benchmark proper: makes each source, times our engine on each code
// path and its GNU counterpart on every case, checks our pieces and prints
// one table per code path.
#pragma once

#include "textscan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavbench {

struct BenchOptions {
    std::string work_dir;                   // sources and pieces go here (one file system)
    std::uint64_t size = 0;                 // bytes per source
    int runs = 3;                           // runs per measurement; the median is shown
    std::vector<tav::textscan::Path> paths; // our engine runs on each of these in turn
    std::vector<int> threads = {1, 2};      // and with each of these (TAV_THREADS; 0: as it chooses)
};

// Returns 0 when every run succeeded and every piece check passed. Needs
// Linux: it runs GNU's commands and reads /proc.
int run_benchmark(const BenchOptions& options);

}  // namespace tavbench
