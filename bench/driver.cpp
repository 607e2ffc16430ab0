#include "driver.h"

#include "datagen.h"
#include "measure.h"
#include "textdigest.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using tav::textscan::path_name;

namespace tavbench {

namespace {

struct Case {
    const char* name;
    std::string lines, kb;         // our settings
    std::vector<std::string> gnu;  // the nearest coreutils command, before SOURCE and OUT
    bool gnu_is_split;             // otherwise cp, which takes a file name, not a prefix
};

struct Summary {
    double seconds = 0, synced = 0, cpu = 0;
    long peak_rss_kib = 0;
    bool ok = true;
};

Summary summarise(const std::vector<Cost>& costs) {
    std::vector<double> s, y, u;
    Summary out;
    for (const Cost& c : costs) {
        s.push_back(c.seconds);
        y.push_back(c.synced);
        u.push_back(c.cpu);
        out.peak_rss_kib = std::max(out.peak_rss_kib, c.peak_rss_kib);
        out.ok = out.ok && c.ok;
    }
    std::sort(s.begin(), s.end());
    std::sort(y.begin(), y.end());
    std::sort(u.begin(), u.end());
    out.seconds = s[s.size() / 2];
    out.synced = y[y.size() / 2];
    out.cpu = u[u.size() / 2];
    return out;
}

void clear_folder(const std::string& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directory(folder);
    ::sync();  // so that one run's write-back does not land in the next one's time
}

// One line of the tables: a GNU command alone (cat, cp), or a case with our
// engine's figures for each variant beside GNU's.
struct Row {
    std::string source, name, gnu_name;
    std::vector<Summary> ours;  // one per variant, empty for a GNU command alone
    std::vector<bool> checked;  // whether our pieces held the source, per variant
    Summary gnu;
    double cp_seconds = 0;     // plain cp: the kernel copies (copy_file_range), nothing is read
    double cp_rw_seconds = 0;  // cp --reflink=never: reads and writes, the floor for a copy that reads
};

// Our engine on one code path, reading in the run (1 thread), ahead on a
// second thread (2), or as it chooses (0).
struct Variant {
    tav::textscan::Path path;
    int threads;
};

// "AMD EPYC", as the system names the processor.
std::string processor_name() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0 && line.find(':') != std::string::npos) {
            const std::size_t from = line.find_first_not_of(" \t", line.find(':') + 1);
            return from == std::string::npos ? "" : line.substr(from);
        }
    }
    return "unknown processor";
}

const char* path_title(tav::textscan::Path path) {
    switch (path) {
        case tav::textscan::Path::Plain: return "plain C++";
        case tav::textscan::Path::Sse2: return "SSE2";
        case tav::textscan::Path::Avx2: return "AVX2";
        case tav::textscan::Path::Avx512: return "AVX-512 VBMI2";
    }
    return "?";
}

std::string variant_title(const Variant& v) {
    const char* threads = v.threads == 1 ? ", 1 thread" : v.threads == 2 ? ", 2 threads" : ", threads as it chooses";
    return path_title(v.path) + std::string(threads);
}

// "cp (GNU coreutils) 9.1": which cp the cp rows are.
std::string cp_version() {
    std::string line = "unknown";
    if (FILE* const version = ::popen("cp --version", "r")) {
        char text[200];
        if (std::fgets(text, sizeof text, version) != nullptr) line = text;
        ::pclose(version);
    }
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
}

class Bench {
public:
    explicit Bench(const BenchOptions& o)
        : o_(o), self_(fs::canonical("/proc/self/exe").string()), out_(o.work_dir + "/out") {
        for (const auto path : o.paths)
            for (const int threads : o.threads) variants_.push_back({path, threads});
    }

    int run() {
        fs::create_directories(o_.work_dir);
        std::printf("cp: %s; plain cp copies inside the kernel (copy_file_range), cp --reflink=never reads and "
                    "writes\n", cp_version().c_str());
        const std::vector<Case> cases = {
            {"LINES 100000", "100000", "", {"split", "-l", "100000"}, true},
            {"KB 10240", "", "10240", {"split", "-b", "10M"}, true},
            {"KB 1048576", "", "1048576", {"split", "-b", "1G"}, true},
            {"LINES 0", "0", "", {"cp"}, false},
        };
        bool all_ok = true;
        for (SourceKind kind : {SourceKind::LfLines, SourceKind::CrLfLines, SourceKind::LongLines})
            all_ok = bench_source(kind, cases) && all_ok;
        std::error_code ec;
        fs::remove_all(out_, ec);
        print_summary();
        for (std::size_t v = 0; v < variants_.size(); ++v) print_table(v);
        return all_ok ? 0 : 1;
    }

private:
    bool bench_source(SourceKind kind, const std::vector<Case>& cases) {
        const std::string source = o_.work_dir + "/source.txt";
        std::printf("== %s, %llu bytes\n", kind_name(kind), static_cast<unsigned long long>(o_.size));
        std::fflush(stdout);
        if (!generate_source(source, kind, o_.size)) {
            std::printf("cannot write %s\n", source.c_str());
            return false;
        }
        settle_disk();
        const std::optional<TextDigest> expected = digest_file(source);  // also brings it into the page cache
        bool ok = expected.has_value();

        Row cat{kind_name(kind), "cat > /dev/null", "", {}, {}, {}, 0, 0};
        cat.gnu = time_runs({"cat", source});
        Row cp{kind_name(kind), "cp", "", {}, {}, {}, 0, 0};
        cp.gnu = time_runs({"cp", source, out_ + "/copy"});
        Row cp_rw{kind_name(kind), "cp --reflink=never", "", {}, {}, {}, 0, 0};
        cp_rw.gnu = time_runs({"cp", "--reflink=never", source, out_ + "/copy"});
        for (const Row* r : {&cat, &cp, &cp_rw}) {
            rows_.push_back(*r);
            report(*r);
        }

        for (const Case& c : cases) {
            Row row{kind_name(kind), c.name, c.gnu.front() + (c.gnu.size() > 1 ? " " + c.gnu[1] + " " + c.gnu[2] : ""),
                    {}, std::vector<bool>(variants_.size(), true), {}, cp.gnu.seconds, cp_rw.gnu.seconds};
            std::vector<std::string> gnu_argv = c.gnu;
            gnu_argv.push_back(source);
            gnu_argv.push_back(c.gnu_is_split ? out_ + "/x" : out_ + "/copy");
            const std::vector<std::string> ours_argv = {self_, "split", source, out_, c.lines, c.kb};
            std::vector<std::vector<Cost>> ours(variants_.size());
            std::vector<Cost> gnu;
            // A first round that is not counted, then the counted ones. Each
            // round runs every variant, in an order of its own, and then GNU, so
            // that a burst of load on the machine hits them alike. A run can
            // be slowed by what the one before it left behind in the kernel:
            // after cp's in-kernel copy, the next run reads the source about
            // a third slower. So each round starts with a run that is not
            // counted, and no counted run of ours follows GNU's.
            std::vector<std::size_t> order(variants_.size());
            for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
            std::mt19937 shuffle(20261208);
            const auto run_ours = [&](std::size_t p) {
                clear_folder(out_);
                const int threads = variants_[p].threads;
                const std::string reading = threads != 0 ? std::to_string(threads) : "auto";
                const Cost cost = measure(ours_argv, {std::string("TAV_SIMD=") + path_name(variants_[p].path),
                                                      "TAV_THREADS=" + reading});
                int pieces = 0;
                const bool same = expected && digest_pieces(out_, pieces) == *expected;
                if (!same)
                    std::printf("   check FAILED: %s on %s (%d pieces)\n", c.name, variant_title(variants_[p]).c_str(),
                                pieces);
                row.checked[p] = row.checked[p] && same;
                return cost;
            };
            for (int r = -1; r < o_.runs; ++r) {
                std::shuffle(order.begin(), order.end(), shuffle);
                if (r >= 0) run_ours(order.back());
                for (const std::size_t p : order) {
                    const Cost cost = run_ours(p);
                    if (r >= 0) ours[p].push_back(cost);
                }
                clear_folder(out_);
                const Cost cost = measure(gnu_argv);
                if (r >= 0) gnu.push_back(cost);
            }
            clear_folder(out_);
            row.gnu = summarise(gnu);
            ok = ok && row.gnu.ok;
            for (std::size_t p = 0; p < variants_.size(); ++p) {
                row.ours.push_back(summarise(ours[p]));
                ok = ok && row.checked[p] && row.ours[p].ok;
            }
            rows_.push_back(row);
            report(row);
        }
        fs::remove(source);
        return ok;
    }

    // A command on its own: one run that is not counted, then the counted ones.
    Summary time_runs(const std::vector<std::string>& argv) {
        std::vector<Cost> costs;
        for (int r = -1; r < o_.runs; ++r) {
            clear_folder(out_);
            const Cost cost = measure(argv);
            if (r >= 0) costs.push_back(cost);
        }
        clear_folder(out_);
        return summarise(costs);
    }

    static double mib(long kib) { return static_cast<double>(kib) / 1024.0; }

    double mbps(double seconds) const { return seconds > 0 ? static_cast<double>(o_.size) / 1e6 / seconds : 0; }

    void report(const Row& r) const {
        if (r.ours.empty()) {
            std::printf("   %-18s %7.3f s %8.0f MB/s  +sync %7.3f s  cpu %6.3f s  peak %6.1f MiB\n", r.name.c_str(),
                        r.gnu.seconds, mbps(r.gnu.seconds), r.gnu.synced, r.gnu.cpu, mib(r.gnu.peak_rss_kib));
            std::fflush(stdout);
            return;
        }
        std::printf("   %-16s %-16s %6.3f s +sync %6.3f s cpu %6.3f s peak %4.1f MiB\n", r.name.c_str(),
                    r.gnu_name.c_str(), r.gnu.seconds, r.gnu.synced, r.gnu.cpu, mib(r.gnu.peak_rss_kib));
        for (std::size_t p = 0; p < r.ours.size(); ++p) {
            const Summary& s = r.ours[p];
            std::printf("   %-16s ours, %-24s %6.3f s %5.0f MB/s +sync %6.3f s cpu %6.3f s peak %4.1f MiB | "
                        "ours/GNU %.2f ours/cp %.2f ours/cp-rw %.2f check %s\n",
                        "", variant_title(variants_[p]).c_str(), s.seconds, mbps(s.seconds), s.synced, s.cpu,
                        mib(s.peak_rss_kib), s.seconds / r.gnu.seconds, s.seconds / r.cp_seconds,
                        s.seconds / r.cp_rw_seconds, r.checked[p] ? "ok" : "FAILED");
        }
        std::fflush(stdout);
    }

    // Every variant's wall time and its ratio to GNU's command, one line per case.
    void print_summary() const {
        std::printf("\nWall times in seconds, medians of %d runs, %llu MiB per source; ratios: ours/GNU "
                    "(\"LINES 0\": ours/cp; the tables per variant also give ours/cp --reflink=never).\n\n",
                    o_.runs, static_cast<unsigned long long>(o_.size >> 20));
        std::printf("| source | case | GNU | GNU s |");
        for (const Variant& v : variants_) std::printf(" %s s | ratio |", variant_title(v).c_str());
        std::printf("\n|---|---|---|---:|");
        for (std::size_t v = 0; v < variants_.size(); ++v) std::printf("---:|---:|");
        std::printf("\n");
        for (const Row& r : rows_) {
            if (r.ours.empty()) continue;
            std::printf("| %s | %s | %s | %.3f |", r.source.c_str(), r.name.c_str(), r.gnu_name.c_str(), r.gnu.seconds);
            for (const Summary& s : r.ours) std::printf(" %.3f | %.2f |", s.seconds, s.seconds / r.gnu.seconds);
            std::printf("\n");
        }
    }

    void print_table(std::size_t p) const {
        std::printf("\nProcessor: %s; code path: %s. Medians of %d runs, %llu MiB per source, MB = 10^6 bytes.\n\n",
                    processor_name().c_str(), variant_title(variants_[p]).c_str(), o_.runs,
                    static_cast<unsigned long long>(o_.size >> 20));
        std::printf("| source | case | ours s | ours MB/s | ours +sync s | ours cpu s | ours peak MiB | GNU | GNU s "
                    "| GNU +sync s | GNU cpu s | GNU peak MiB | ours/GNU | ours/cp | ours/cp-rw | check |\n");
        std::printf("|---|---|---:|---:|---:|---:|---:|---|---:|---:|---:|---:|---:|---:|---:|---|\n");
        for (const Row& r : rows_) {
            if (r.ours.empty()) {
                std::printf("| %s | %s | | | | | | %s | %.3f | %.3f | %.3f | %.1f | | | | |\n", r.source.c_str(),
                            r.name.c_str(), r.name.c_str(), r.gnu.seconds, r.gnu.synced, r.gnu.cpu,
                            mib(r.gnu.peak_rss_kib));
                continue;
            }
            const Summary& s = r.ours[p];
            std::printf("| %s | %s | %.3f | %.0f | %.3f | %.3f | %.1f | %s | %.3f | %.3f | %.3f | %.1f | %.2f | %.2f "
                        "| %.2f | %s |\n",
                        r.source.c_str(), r.name.c_str(), s.seconds, mbps(s.seconds), s.synced, s.cpu,
                        mib(s.peak_rss_kib), r.gnu_name.c_str(), r.gnu.seconds, r.gnu.synced, r.gnu.cpu,
                        mib(r.gnu.peak_rss_kib), s.seconds / r.gnu.seconds, s.seconds / r.cp_seconds,
                        s.seconds / r.cp_rw_seconds, r.checked[p] ? "ok" : "FAILED");
        }
    }

    const BenchOptions& o_;
    const std::string self_;  // this program, run as "self split ..." for our engine
    const std::string out_;
    std::vector<Variant> variants_;
    std::vector<Row> rows_;
};

}  // namespace

int run_benchmark(const BenchOptions& options) { return Bench(options).run(); }

}  // namespace tavbench
