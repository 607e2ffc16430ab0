// The whole benchmark times GNU's commands beside ours and reads /proc, so it
// runs on Linux only; on Windows, tavbench times single runs (bench/wine.sh).
#include "driver.h"

#include <cstdio>

namespace tavbench {

int run_benchmark(const BenchOptions&) {
    std::fprintf(stderr, "tavbench run needs Linux (GNU split, cp, /proc); here, use tavbench time\n");
    return 2;
}

}  // namespace tavbench
