#include "measure.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavbench {

namespace {

// VmHWM of a live process, in KiB; 0 if it cannot be read.
long peak_of(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

// Dirty plus Writeback from /proc/meminfo, in KiB; 0 if it cannot be read.
long unwritten_kib() {
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    long total = 0;
    while (std::getline(meminfo, line)) {
        if (line.rfind("Dirty:", 0) == 0) total += std::atol(line.c_str() + 6);
        if (line.rfind("Writeback:", 0) == 0) total += std::atol(line.c_str() + 10);
    }
    return total;
}

// Child side: stdout to /dev/null, stopped for the parent at exec, then the command.
[[noreturn]] void start_child(std::vector<char*>& args, const std::vector<std::string>& env) {
    for (const std::string& setting : env) ::putenv(const_cast<char*>(setting.c_str()));
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDOUT_FILENO);
    ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    ::execvp(args[0], args.data());
    std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
    ::_exit(127);
}

}  // namespace

// The child is traced only so that it can be stopped as it exits, while its
// memory still exists: its own VmHWM is then exact. (ru_maxrss would also
// count the parent's pages that the child carried until its exec.)
Cost measure(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    Cost cost;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) return cost;
    if (pid == 0) start_child(args, env);

    int status = 0;
    struct rusage usage {};
    bool options_set = false;
    for (;;) {
        if (::wait4(pid, &status, 0, &usage) < 0) {
            if (errno == EINTR) continue;
            return cost;
        }
        if (!WIFSTOPPED(status)) break;
        int pass_signal = 0;
        if (!options_set && WSTOPSIG(status) == SIGTRAP) {
            // The stop after exec: from now on, stop again at exit.
            ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);
            options_set = true;
        } else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            cost.peak_rss_kib = peak_of(pid);
        } else {
            pass_signal = WSTOPSIG(status);
        }
        ::ptrace(PTRACE_CONT, pid, nullptr, pass_signal);
    }
    const auto stop = Clock::now();
    ::sync();
    const auto synced = Clock::now();
    cost.seconds = std::chrono::duration<double>(stop - start).count();
    cost.synced = std::chrono::duration<double>(synced - start).count();
    if (cost.peak_rss_kib == 0) cost.peak_rss_kib = usage.ru_maxrss;
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    cost.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    cost.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return cost;
}

void settle_disk() {
    ::sync();
    // Other processes may keep writing a little; a few MiB is quiet enough.
    for (int i = 0; i < 600 && unwritten_kib() > 4096; ++i) {
        ::usleep(100 * 1000);
        ::sync();
    }
}

}  // namespace tavbench
