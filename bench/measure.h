// Runs one command as a child process and reports what it cost.
#pragma once

#include <string>
#include <vector>

namespace tavbench {

struct Cost {
    double seconds = 0;       // wall time from start to exit
    double synced = 0;        // the same plus a sync() of everything it wrote
    double cpu = 0;           // user plus system time of the child
    long peak_rss_kib = 0;    // the child's maximum resident set
    bool ok = false;          // exited with status 0
};

// Starts argv[0] (searched in PATH) with its output sent to /dev/null and
// the NAME=VALUE settings of env added to its environment, waits for it and
// takes its wall time, then the time of a following sync.
Cost measure(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});

// Writes everything back to disk and waits until the kernel has no dirty or
// in-flight pages left (or a minute has passed), so that a file just written
// does not slow down the first run timed after it.
void settle_disk();

}  // namespace tavbench
