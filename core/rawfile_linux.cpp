// What the POSIX file layer needs of Linux beyond POSIX: setting room aside
// in a file, extended attributes, and where this process may run.
#include "rawfile.h"
#include "rawfile_system.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace tav {

int set_aside(int fd, std::uint64_t size) {
    int done;
    do {
        done = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size));
    } while (done != 0 && errno == EINTR);
    return done == 0 ? 0 : errno;
}

void copy_attributes(const std::string& like, int fd) {
    const ssize_t size = ::listxattr(like.c_str(), nullptr, 0);
    if (size <= 0) return;
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::listxattr(like.c_str(), names.data(), names.size());
    for (std::size_t at = 0; got > 0 && at < static_cast<std::size_t>(got);) {
        const char* name = names.data() + at;
        at += std::char_traits<char>::length(name) + 1;
        const ssize_t length = ::getxattr(like.c_str(), name, nullptr, 0);
        if (length < 0) continue;
        std::vector<char> value(static_cast<std::size_t>(length));
        const ssize_t n = ::getxattr(like.c_str(), name, value.data(), value.size());
        if (n >= 0) (void)::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(n), 0);
    }
}

unsigned processors_available() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<unsigned>(std::max(CPU_COUNT(&set), 1));
    // A machine with more processors than the set holds bits for.
    return std::max(std::thread::hardware_concurrency(), 1u);
}

void move_to_another_processor() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const int here = ::sched_getcpu();
    if (here < 0 || ::sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2) return;
    cpu_set_t elsewhere = allowed;
    CPU_CLR(static_cast<std::size_t>(here), &elsewhere);
    // Moves the thread at once; it may run anywhere again afterwards.
    if (::sched_setaffinity(0, sizeof elsewhere, &elsewhere) == 0)
        (void)::sched_setaffinity(0, sizeof allowed, &allowed);
}

std::optional<std::chrono::nanoseconds> idle_time() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0) return std::nullopt;
    const int fd = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char block[4096];
    for (ssize_t n; text.size() < (1u << 20) && (n = ::read(fd, block, sizeof block)) > 0;)
        text.append(block, static_cast<std::size_t>(n));
    ::close(fd);
    // A line per processor: "cpuN user nice system idle iowait ...", in clock ticks.
    std::uint64_t ticks = 0;
    bool counted = false;
    for (std::size_t at = text.find("\ncpu"); at != std::string::npos; at = text.find("\ncpu", at + 1)) {
        const char* p = text.c_str() + at + 4;
        if (*p < '0' || *p > '9') continue;
        char* end = nullptr;
        const unsigned long cpu = std::strtoul(p, &end, 10);
        if (cpu >= CPU_SETSIZE || !CPU_ISSET(cpu, &allowed)) continue;
        std::uint64_t fields[5] = {};
        for (std::uint64_t& field : fields) field = std::strtoull(p = end, &end, 10);
        ticks += fields[3] + fields[4];
        counted = true;
    }
    const long per_second = ::sysconf(_SC_CLK_TCK);
    if (!counted || per_second <= 0) return std::nullopt;
    const std::uint64_t tick = 1000000000u / static_cast<std::uint64_t>(per_second);
    return std::chrono::nanoseconds(static_cast<std::int64_t>(ticks * tick));
}

}  // namespace tav
