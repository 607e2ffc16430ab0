// tavbench run [--size MIB] [--runs N] [--dir FOLDER] [--paths all|PATH,...] [--threads 1,2|1|2|auto]
//     the whole benchmark (bench/run.sh calls this), our engine on the code
//     paths named (avx512, avx2, sse2, plain; "all": every one the processor
//     has), by default the one it would choose itself, each reading in the
//     run (1 thread) and reading ahead (2 threads), or as it would choose
// tavbench split SOURCE DEST LINES KB
//     one split run through the same entry point as the Go button, silently
// tavbench time SOURCE DEST LINES KB
//     the same, timed inside the process (so that start-up is left out:
//     under Wine, 0.07 s with its server running and 1.5 s without): prints
//     the code path, the seconds, the number of pieces and the threads;
//     fails if the run reported an error
// tavbench generate lf|crlf|long MIB PATH
//     just one benchmark source, e.g. for a profiler
// tavbench paths
//     the code paths this processor has, and the one in use (TAV_SIMD=...
//     holds it to a lower one)
// TAV_THREADS=1 or 2 holds a split to reading in the run or ahead on a
// second thread; unset (or "auto"), it chooses as the program does.
#include "datagen.h"
#include "driver.h"

#include "tav/messagesink.h"
#include "tav/split.h"
#include "tav/splitsettings.h"
#include "textscan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Counts the pieces and notes any message that is not a limit or a piece.
class CountingSink : public tav::MessageSink {
public:
    void show(const std::string&, const std::string& caption) override {
        if (caption == "Outfile") ++pieces;
        else if (caption != "Get out") failed = true;
    }
    int pieces = 0;
    bool failed = false;
};

// The reading that TAV_THREADS asks for (the program itself reads no environment).
tav::SplitRun::Reading reading() {
    const char* threads = std::getenv("TAV_THREADS");
    const std::string_view n = threads != nullptr ? threads : "";
    using Reading = tav::SplitRun::Reading;
    return n == "1" ? Reading::InRun : n == "2" ? Reading::Ahead : Reading::Auto;
}

int usage() {
    std::fprintf(stderr,
                 "usage: tavbench run [--size MIB] [--runs N] [--dir FOLDER] [--paths all|PATH,...]\n"
                 "                    [--threads 1,2|1|2|auto]\n"
                 "       tavbench split SOURCE DEST LINES KB\n"
                 "       tavbench time SOURCE DEST LINES KB\n"
                 "       tavbench generate lf|crlf|long MIB PATH\n"
                 "       tavbench paths\n");
    return 2;
}

int split(char** argv) {
    tav::SilentSink sink;
    tav::SplitRun().reading(reading()).run(tav::SplitSettings{argv[0], argv[1], argv[3], argv[2]}, sink);
    return 0;
}

int time_split(char** argv) {
    CountingSink sink;
    const tav::SplitSettings settings{argv[0], argv[1], argv[3], argv[2]};
    const auto start = std::chrono::steady_clock::now();
    tav::SplitRun().reading(reading()).run(settings, sink);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const tav::SplitRun::Reading how = reading();
    std::printf("%s %.3f s %d pieces, %s\n", tav::textscan::path_name(tav::textscan::active_path()), took.count(),
                sink.pieces,
                how == tav::SplitRun::Reading::InRun   ? "1 thread"
                : how == tav::SplitRun::Reading::Ahead ? "2 threads"
                                                       : "threads as it chooses");
    return sink.failed ? 1 : 0;
}

int generate(char** argv) {
    const std::string_view kind = argv[0];
    tavbench::SourceKind k;
    if (kind == "lf") k = tavbench::SourceKind::LfLines;
    else if (kind == "crlf") k = tavbench::SourceKind::CrLfLines;
    else if (kind == "long") k = tavbench::SourceKind::LongLines;
    else return usage();
    return tavbench::generate_source(argv[2], k, std::strtoull(argv[1], nullptr, 10) << 20) ? 0 : 1;
}

// "all", or names separated by commas, best first; nothing if one is unknown
// or not available here.
std::vector<tav::textscan::Path> paths_named(std::string_view names) {
    std::vector<tav::textscan::Path> available = tav::textscan::available_paths();
    if (names == "all") return {available.rbegin(), available.rend()};
    std::vector<tav::textscan::Path> paths;
    for (std::size_t from = 0; from <= names.size();) {
        const std::size_t comma = std::min(names.find(',', from), names.size());
        const auto path = tav::textscan::path_named(names.substr(from, comma - from));
        if (!path || std::find(available.begin(), available.end(), *path) == available.end()) return {};
        paths.push_back(*path);
        from = comma + 1;
    }
    return paths;
}

// "1,2", "1", "2" or "auto" (0: as the program would choose); nothing if unknown.
std::vector<int> threads_named(std::string_view names) {
    if (names == "1,2") return {1, 2};
    if (names == "1" || names == "2") return {names[0] - '0'};
    if (names == "auto") return {0};
    return {};
}

int paths() {
    std::printf("available:");
    for (const auto path : tav::textscan::available_paths()) std::printf(" %s", tav::textscan::path_name(path));
    std::printf("\nin use: %s\n", tav::textscan::path_name(tav::textscan::active_path()));
    return 0;
}

int run(int argc, char** argv) {
    tavbench::BenchOptions o;
    o.paths = {tav::textscan::active_path()};
    o.size = 1ULL << 30;
    o.work_dir = "bench-work";
    for (int i = 0; i + 1 < argc; i += 2) {
        const std::string_view flag = argv[i];
        if (flag == "--size") o.size = std::strtoull(argv[i + 1], nullptr, 10) << 20;
        else if (flag == "--runs") o.runs = std::atoi(argv[i + 1]);
        else if (flag == "--dir") o.work_dir = argv[i + 1];
        else if (flag == "--paths") o.paths = paths_named(argv[i + 1]);
        else if (flag == "--threads") o.threads = threads_named(argv[i + 1]);
        else return usage();
    }
    if (argc % 2 != 0 || o.size == 0 || o.runs < 1 || o.paths.empty() || o.threads.empty()) return usage();
    return tavbench::run_benchmark(o);
}

}  // namespace

// TAV_SIMD=avx2, sse2 or plain in the environment holds the benchmark to that
// code path, or the next lower one this build has: its tables per path, and
// the checks that the lowest path works, rely on it. The program itself
// reads no environment.
static void hold_to_named_path() {
    const char* wanted = std::getenv("TAV_SIMD");
    const auto named = wanted != nullptr ? tav::textscan::path_named(wanted) : std::nullopt;
    if (!named) return;
    const std::vector<tav::textscan::Path> available = tav::textscan::available_paths();
    tav::textscan::Path held = available.front();
    for (const auto path : available)
        if (path <= *named) held = path;
    tav::textscan::use_path(held);
}

int main(int argc, char** argv) {
    hold_to_named_path();
    if (argc < 2) return usage();
    const std::string_view command = argv[1];
    if (command == "run") return run(argc - 2, argv + 2);
    if (command == "split" && argc == 6) return split(argv + 2);
    if (command == "time" && argc == 6) return time_split(argv + 2);
    if (command == "generate" && argc == 5) return generate(argv + 2);
    if (command == "paths" && argc == 2) return paths();
    return usage();
}
