// The benchmark proper: makes each source, times our engine and its GNU
// counterpart on every case, checks our pieces and prints the table.
#pragma once

#include <cstdint>
#include <string>

namespace tavbench {

struct BenchOptions {
    std::string work_dir;       // sources and pieces go here (one file system)
    std::string self;           // this program, run as "self split ..." for our engine
    std::uint64_t size = 0;     // bytes per source
    int runs = 3;               // runs per measurement; the median is shown
};

// Returns 0 when every run succeeded and every piece check passed.
int run_benchmark(const BenchOptions& options);

}  // namespace tavbench
